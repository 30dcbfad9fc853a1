#pragma once
// The BIFF8 record stream of a workbook ([MS-XLS]): the workbook globals
// (fonts, cell formats, the sheet list, the shared string table) followed by
// the one worksheet with its column widths and cells. This is the content
// of the compound file's "Workbook" stream.

#include <functional>

#include "datalog/xls/ByteWriter.h"
#include "datalog/xls/Workbook.h"

namespace kestrav::datalog::xls {

// Receives the stream a part at a time, in order.
using ChunkSink = std::function<void(const Bytes&)>;

// Writes the stream in parts of about a megabyte, so a large sheet is never
// held whole.
void writeBiff8(const Workbook& book, const ChunkSink& sink);

// The whole stream in memory.
Bytes biff8Stream(const Workbook& book);

}  // namespace kestrav::datalog::xls
