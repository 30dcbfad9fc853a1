#include "datalog/xls/Biff8Writer.h"

#include <algorithm>
#include <array>
#include <string>

#include "datalog/xls/SheetSurvey.h"
#include "datalog/xls/Utf8.h"

namespace kestrav::datalog::xls {
namespace {

enum RecordId : unsigned {
  kEOF = 0x000A,
  kContinue = 0x003C,
  kWindow1 = 0x003D,
  kCodepage = 0x0042,
  kFont = 0x0031,
  kColInfo = 0x007D,
  kWsBool = 0x0081,
  kBoundSheet = 0x0085,
  kXF = 0x00E0,
  kSST = 0x00FC,
  kLabelSst = 0x00FD,
  kBlank = 0x0201,
  kNumber = 0x0203,
  kDimensions = 0x0200,
  kWindow2 = 0x023E,
  kStyle = 0x0293,
  kBOF = 0x0809,
};

constexpr std::size_t kMaxRecordData = 8224;
constexpr unsigned kBoldFont = 5;      // index 4 does not exist: four regular fonts, then bold
constexpr unsigned kFirstCellXf = 16;  // 0..14 style XFs, 15 the default cell XF
constexpr std::size_t kFormatCombinations = 8;

// Appends one record; `data` must fit a record.
void putRecord(Bytes& out, unsigned id, const Bytes& data) {
  putU16(out, id);
  putU16(out, static_cast<unsigned>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
}

void putBof(Bytes& out, unsigned type) {
  Bytes d;
  putU16(d, 0x0600);  // BIFF8
  putU16(d, type);
  putU16(d, 0x0DBB);  // build
  putU16(d, 0x07CC);  // year
  putU32(d, 0);       // file history
  putU32(d, 6);       // lowest version that can read it
  putRecord(out, kBOF, d);
}

void putFont(Bytes& out, bool bold) {
  Bytes d;
  putU16(d, 200);          // 10 pt
  putU16(d, bold ? 1 : 0);
  putU16(d, 0x7FFF);       // automatic colour
  putU16(d, bold ? 700 : 400);
  putU16(d, 0);            // no super/subscript
  putU8(d, 0);             // no underline
  putU8(d, 0);             // family
  putU8(d, 0);             // character set
  putU8(d, 0);
  const std::string_view name = "Arial";
  putU8(d, static_cast<unsigned>(name.size()));
  putU8(d, 0);  // 8-bit characters
  d.insert(d.end(), name.begin(), name.end());
  putRecord(out, kFont, d);
}

// A style XF (parent none) or a cell XF (parent the Normal style) with the
// given font, vertical alignment (0 top, 1 centre, 2 bottom), bottom
// border style and used-attribute bits.
void putXf(Bytes& out, bool style, unsigned font, unsigned vertical, unsigned bottomStyle, unsigned used) {
  Bytes d;
  putU16(d, font);
  putU16(d, 0);                        // "General" number format
  putU16(d, style ? 0xFFF5 : 0x0001);  // locked; style XFs have parent 0xFFF
  putU8(d, vertical << 4);             // horizontal "general"
  putU8(d, 0);                         // rotation
  putU8(d, 0);                         // indent, shrink, reading order
  putU8(d, used);                      // attributes this XF sets itself
  std::uint32_t border1 = static_cast<std::uint32_t>(bottomStyle) << 12;
  std::uint32_t border2 = bottomStyle ? (0x40u << 7) : 0;  // bottom line in the automatic colour
  putU32(d, border1);
  putU32(d, border2);
  putU16(d, 0x20C0);  // pattern colours: automatic
  putRecord(out, kXF, d);
}

// The XF of a combination of format bits.
unsigned cellXf(std::uint8_t format) { return kFirstCellXf + (format & (kFormatCombinations - 1)); }

// A string as the workbook stores it: 8-bit when every character is Latin-1.
struct XlString {
  std::u16string chars;
  bool wide = false;
};

XlString toXlString(std::string_view utf8) {
  XlString s{utf16FromUtf8(utf8), false};
  if (s.chars.size() > Workbook::kMaxTextLength) {
    s.chars.resize(Workbook::kMaxTextLength);
    if (s.chars.back() >= 0xD800 && s.chars.back() <= 0xDBFF) s.chars.pop_back();  // no half pair
  }
  s.wide = std::any_of(s.chars.begin(), s.chars.end(), [](char16_t c) { return c > 0xFF; });
  return s;
}

void putChars(Bytes& d, const XlString& s, std::size_t from, std::size_t count) {
  for (std::size_t i = from; i < from + count; ++i) {
    if (s.wide) putU16(d, s.chars[i]);
    else putU8(d, s.chars[i]);
  }
}

// The shared string table: SST, continued in CONTINUE records. A string's
// header and first character always share a record; a string cut at a
// record's end goes on after one option byte; characters are never cut.
class SstWriter {
 public:
  explicit SstWriter(Bytes& out) : out_(out) {}

  void write(std::uint32_t references, const std::vector<XlString>& strings) {
    id_ = kSST;
    putU32(data_, references);
    putU32(data_, static_cast<std::uint32_t>(strings.size()));
    for (const XlString& s : strings) add(s);
    flush();
  }

 private:
  std::size_t room() const { return kMaxRecordData - data_.size(); }
  void flush() {
    putRecord(out_, id_, data_);
    data_.clear();
    id_ = kContinue;
  }

  void add(const XlString& s) {
    const std::size_t unit = s.wide ? 2 : 1;
    if (room() < 3 + unit) flush();
    putU16(data_, static_cast<unsigned>(s.chars.size()));
    putU8(data_, s.wide ? 1 : 0);
    std::size_t done = 0;
    for (;;) {
      const std::size_t fit = std::min(s.chars.size() - done, room() / unit);
      putChars(data_, s, done, fit);
      done += fit;
      if (done == s.chars.size()) return;
      flush();
      putU8(data_, s.wide ? 1 : 0);
    }
  }

  Bytes& out_;
  Bytes data_;
  unsigned id_ = kSST;
};

void putGlobals(Bytes& out, const Workbook& book, const SharedStrings& sst, std::size_t& sheetOffsetAt) {
  putBof(out, 0x0005);
  {
    Bytes d;
    putU16(d, 1200);  // UTF-16
    putRecord(out, kCodepage, d);
  }
  {
    Bytes d;
    for (unsigned v : {0u, 0u, 0x3000u, 0x1E00u, 0x0038u, 0u, 0u, 1u, 0x0258u}) putU16(d, v);
    putRecord(out, kWindow1, d);
  }
  for (int i = 0; i < 4; ++i) putFont(out, false);
  putFont(out, true);

  // Style XFs as a new workbook has them, then the default cell XF.
  putXf(out, true, 0, 2, 0, 0x00);
  for (unsigned font : {1u, 1u, 2u, 2u}) putXf(out, true, font, 2, 0, 0xF4);
  for (int i = 5; i < 15; ++i) putXf(out, true, 0, 2, 0, 0xF4);
  putXf(out, false, 0, 2, 0, 0x00);
  // One cell XF per combination of format bits, in bit order.
  for (unsigned f = 0; f < kFormatCombinations; ++f)
    putXf(out, false, (f & kBold) ? kBoldFont : 0, (f & kVCentre) ? 1 : 2, (f & kDoubleBottom) ? 6 : 0, 0xF8);

  {
    Bytes d;
    putU16(d, 0x8000);  // built-in style of XF 0
    putU8(d, 0);        // Normal
    putU8(d, 0xFF);
    putRecord(out, kStyle, d);
  }
  {
    const XlString name = toXlString(book.sheetName());
    Bytes d;
    putU32(d, 0);  // the sheet's offset, patched once known
    putU8(d, 0);   // visible
    putU8(d, 0);   // worksheet
    putU8(d, static_cast<unsigned>(name.chars.size()));
    putU8(d, name.wide ? 1 : 0);
    putChars(d, name, 0, name.chars.size());
    sheetOffsetAt = out.size() + 4;
    putRecord(out, kBoundSheet, d);
  }
  std::vector<XlString> strings;
  strings.reserve(sst.order().size());
  for (const std::string_view s : sst.order()) strings.push_back(toXlString(s));
  SstWriter(out).write(sst.references(), strings);
  putRecord(out, kEOF, {});
}

void putColumnWidths(Bytes& out, const Workbook& book) {
  for (int c = 0; c < book.widthCount(); ++c) {
    const std::uint16_t w = book.columnWidth(c);
    if (w == 0) continue;
    Bytes d;
    putU16(d, static_cast<unsigned>(c));
    putU16(d, static_cast<unsigned>(c));
    putU16(d, w);
    putU16(d, 15);      // default cell XF
    putU16(d, 0x0002);  // width set, not the default
    putU16(d, 0);
    putRecord(out, kColInfo, d);
  }
}

void putDimensions(Bytes& out, const Extent& e) {
  Bytes d;
  if (e.empty()) {
    putZeros(d, 14);
  } else {
    putU32(d, static_cast<std::uint32_t>(e.firstRow));
    putU32(d, static_cast<std::uint32_t>(e.lastRow + 1));
    putU16(d, static_cast<unsigned>(e.firstCol));
    putU16(d, static_cast<unsigned>(e.lastCol + 1));
    putU16(d, 0);
  }
  putRecord(out, kDimensions, d);
}

// The cells, handed on to `sink` a buffer-full at a time.
void putCells(Bytes& out, const Workbook& book, const SharedStrings& sst, const ChunkSink& sink) {
  constexpr std::size_t kChunk = 1 << 20;
  book.visitRows([&](int r, const RowView& row) {
    if (out.size() >= kChunk) {
      sink(out);
      out.clear();
    }
    const auto& cells = row.cells();
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const Cell& cell = cells[c];
      const unsigned xf = cellXf(cell.format);
      const std::uint32_t text = cell.kind == Cell::Kind::Text ? sst.of(row.text(cell)) : SharedStrings::kUnknown;
      // A row source that forms a text it did not form for the table (its
      // data changed in between) leaves the cell blank rather than naming
      // a string that is not there.
      const Cell::Kind kind = cell.kind == Cell::Kind::Text && text == SharedStrings::kUnknown ? Cell::Kind::Blank : cell.kind;
      switch (kind) {
        case Cell::Kind::Blank:
          if (!cell.format) break;  // a hole in the row, nothing to store
          putU16(out, kBlank);
          putU16(out, 6);
          putU16(out, static_cast<unsigned>(r));
          putU16(out, static_cast<unsigned>(c));
          putU16(out, xf);
          break;
        case Cell::Kind::Text:
          putU16(out, kLabelSst);
          putU16(out, 10);
          putU16(out, static_cast<unsigned>(r));
          putU16(out, static_cast<unsigned>(c));
          putU16(out, xf);
          putU32(out, text);
          break;
        case Cell::Kind::Number:
          putU16(out, kNumber);
          putU16(out, 14);
          putU16(out, static_cast<unsigned>(r));
          putU16(out, static_cast<unsigned>(c));
          putU16(out, xf);
          putF64(out, row.number(cell));
          break;
      }
    }
  });
}

}  // namespace

void writeBiff8(const Workbook& book, const ChunkSink& sink) {
  SheetSurvey survey;
  book.survey(survey);
  const SharedStrings& sst = survey.strings;
  Bytes out;
  std::size_t sheetOffsetAt = 0;
  putGlobals(out, book, sst, sheetOffsetAt);
  patchU32(out, sheetOffsetAt, static_cast<std::uint32_t>(out.size()));

  putBof(out, 0x0010);
  {
    Bytes d;
    putU16(d, 0x04C1);
    putRecord(out, kWsBool, d);
  }
  putColumnWidths(out, book);
  putDimensions(out, survey.extent);
  putCells(out, book, sst, sink);
  {
    Bytes d;
    for (unsigned v : {0x06B6u, 0u, 0u, 0x0040u, 0u, 0u, 0u}) putU16(d, v);
    putU32(d, 0);
    putRecord(out, kWindow2, d);
  }
  putRecord(out, kEOF, {});
  sink(out);
}

Bytes biff8Stream(const Workbook& book) {
  Bytes stream;
  writeBiff8(book, [&stream](const Bytes& chunk) { stream.insert(stream.end(), chunk.begin(), chunk.end()); });
  return stream;
}

}  // namespace kestrav::datalog::xls
