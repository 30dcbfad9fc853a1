#pragma once
// An OLE2 compound file ([MS-CFB], version 3, 512-byte sectors) holding one
// stream under the root storage, as an Excel 97-2003 workbook needs: the
// "Workbook" stream and nothing else.

#include <string_view>

#include "datalog/xls/ByteWriter.h"

namespace kestrav::datalog::xls {

// The whole file. The stream is padded with zeros to at least 4096 bytes
// (so it never lands in a mini stream) and to a whole number of sectors; the
// padded size is the declared size. Streams that need more than 109 FAT
// sectors get their FAT sector numbers from chained DIFAT sectors.
// `name` is ASCII, at most 31 characters.
Bytes compoundFile(std::string_view name, Bytes stream);

// The same file in three parts, for writing a large stream without copying
// it: the header, then the stream itself followed by compoundPadding, then
// the trailer (directory, FAT and DIFAT sectors).
Bytes compoundHeader(std::size_t streamSize);
Bytes compoundPadding(std::size_t streamSize);
Bytes compoundTrailer(std::string_view name, std::size_t streamSize);

}  // namespace kestrav::datalog::xls
