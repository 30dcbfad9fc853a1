#pragma once
// The BIFF8 record stream of a workbook ([MS-XLS]): the workbook globals
// (fonts, cell formats, the sheet list, the shared string table) followed by
// the one worksheet with its column widths and cells. This is the content
// of the compound file's "Workbook" stream.

#include "datalog/xls/ByteWriter.h"
#include "datalog/xls/Workbook.h"

namespace kestrav::datalog::xls {

Bytes biff8Stream(const Workbook& book);

}  // namespace kestrav::datalog::xls
