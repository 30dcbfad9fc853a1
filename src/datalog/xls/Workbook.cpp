#include "datalog/xls/Workbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "datalog/xls/Biff8Writer.h"
#include "datalog/xls/ColumnWidth.h"
#include "datalog/xls/CompoundFile.h"
#include "datalog/xls/SheetSurvey.h"
#include "datalog/xls/Utf8.h"
#include "files/FileCalls.h"

namespace kestrav::datalog::xls {

void RowValues::clear() {
  cells_.clear();
  texts_.clear();
  numbers_.clear();
}

Cell* RowValues::cell(int column) {
  if (column < 0 || column >= Workbook::kMaxColumns) return nullptr;
  if (static_cast<std::size_t>(column) >= cells_.size()) cells_.resize(static_cast<std::size_t>(column) + 1);
  return &cells_[static_cast<std::size_t>(column)];
}

void RowValues::setText(int column, std::string text) {
  Cell* c = cell(column);
  if (!c) return;
  if (text.empty()) {
    *c = Cell{};
    return;
  }
  c->kind = Cell::Kind::Text;
  c->value = static_cast<std::uint32_t>(texts_.size());
  texts_.push_back(std::move(text));
}

void RowValues::setNumber(int column, double value) {
  Cell* c = cell(column);
  if (!c) return;
  c->kind = Cell::Kind::Number;
  c->value = static_cast<std::uint32_t>(numbers_.size());
  numbers_.push_back(value);
}

Workbook::Workbook(std::string sheetName) : sheetName_(std::move(sheetName)) {
  if (sheetName_.empty()) sheetName_ = "Sheet1";
  if (sheetName_.size() > 31) sheetName_.resize(31);
}

Cell* Workbook::cell(int row, int column) {
  if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns) return nullptr;
  if (static_cast<std::size_t>(row) >= rows_.size()) rows_.resize(static_cast<std::size_t>(row) + 1);
  auto& cells = rows_[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(column) >= cells.size()) cells.resize(static_cast<std::size_t>(column) + 1);
  return &cells[static_cast<std::size_t>(column)];
}

std::uint32_t Workbook::textIndex(std::string&& text) {
  const auto it = textIndex_.find(text);
  if (it != textIndex_.end()) return it->second;
  const auto index = static_cast<std::uint32_t>(texts_.size());
  texts_.push_back(std::move(text));
  textIndex_.emplace(texts_.back(), index);
  return index;
}

void Workbook::setText(int row, int column, std::string text) {
  Cell* c = cell(row, column);
  if (!c) return;
  c->kind = text.empty() ? Cell::Kind::Blank : Cell::Kind::Text;
  c->value = text.empty() ? 0 : textIndex(std::move(text));
}

void Workbook::setNumber(int row, int column, double value) {
  Cell* c = cell(row, column);
  if (!c) return;
  if (c->kind != Cell::Kind::Number) {
    c->value = static_cast<std::uint32_t>(numbers_.size());
    numbers_.push_back(value);
  } else {
    numbers_[c->value] = value;
  }
  c->kind = Cell::Kind::Number;
}

void Workbook::addFormat(int row1, int column1, int row2, int column2, std::uint8_t bits) {
  if (row1 > row2) std::swap(row1, row2);
  if (column1 > column2) std::swap(column1, column2);
  for (int r = std::max(row1, 0); r <= std::min(row2, kMaxRows - 1); ++r)
    for (int c = std::max(column1, 0); c <= std::min(column2, kMaxColumns - 1); ++c) cell(r, c)->format |= bits;
}

// The texts of the source's rows in order of first use, with their uses
// (the cells of the block name them by position here), and their extent
// with the formats they had then.
struct Workbook::BlockSurvey {
  std::deque<std::string> texts;
  std::vector<std::uint32_t> uses;
  Extent extent;
};

void Workbook::setRowSource(int first, int count, RowSource source) {
  blockSurvey_.reset();
  sourceFirst_ = std::clamp(first, 0, kMaxRows);
  sourceCount_ = std::clamp(count, 0, kMaxRows - sourceFirst_);
  source_ = std::move(source);
  if (!source_) sourceCount_ = 0;
}

int Workbook::rowCount() const {
  return std::max(static_cast<int>(rows_.size()), sourceCount_ > 0 ? sourceFirst_ + sourceCount_ : 0);
}

void Workbook::visitRows(const std::function<void(int row, const RowView& view)>& visit) const {
  static const std::vector<Cell> kNoCells;
  RowView stored;
  stored.bookTexts_ = &texts_;
  stored.numbers_ = &numbers_;
  RowValues values;
  RowView formed;
  formed.cells_ = &values.cells_;
  formed.rowTexts_ = &values.texts_;
  formed.numbers_ = &values.numbers_;
  const int count = rowCount();
  for (int r = 0; r < count; ++r) {
    const std::vector<Cell>& cells = r < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(r)] : kNoCells;
    if (r < sourceFirst_ || r >= sourceFirst_ + sourceCount_) {
      stored.cells_ = &cells;
      visit(r, stored);
      continue;
    }
    values.clear();
    source_(r - sourceFirst_, values);
    // The row's formats lie on the formed values, and on blank cells past them.
    if (values.cells_.size() < cells.size()) values.cells_.resize(cells.size());
    for (std::size_t c = 0; c < cells.size(); ++c) values.cells_[c].format |= cells[c].format;
    visit(r, formed);
  }
}

void Workbook::autoFitColumns(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, kMaxColumns - 1);
  if (first > last) return;
  if (widths_.size() <= static_cast<std::size_t>(last)) widths_.resize(static_cast<std::size_t>(last) + 1, 0);
  std::vector<double> widest(static_cast<std::size_t>(last - first + 1), 0.0);
  const int blockEnd = sourceFirst_ + sourceCount_;
  auto block = sourceCount_ > 0 ? std::make_shared<BlockSurvey>() : nullptr;
  // Every text is looked up once per cell: measured once per font however
  // many cells show it, and counted for the block's shared strings. The
  // keys name texts held by the book or by the block's survey.
  constexpr std::uint32_t kNotInBlock = 0xFFFFFFFFu;
  struct Seen {
    double width[2] = {-1, -1};  // plain, bold; below 0 until measured
    std::uint32_t blockOrder = kNotInBlock;
  };
  std::unordered_map<std::string_view, Seen> seen;
  std::u16string shown;
  visitRows([&](int r, const RowView& row) {
    const auto& cells = row.cells();
    const bool inBlock = block && r >= sourceFirst_ && r < blockEnd;
    if (inBlock) block->extent.add(r, cells);
    const int lastColumn = inBlock ? static_cast<int>(cells.size()) - 1 : std::min(last, static_cast<int>(cells.size()) - 1);
    for (int c = inBlock ? 0 : first; c <= lastColumn; ++c) {
      const Cell& cell = cells[static_cast<std::size_t>(c)];
      if (cell.kind == Cell::Kind::Blank) continue;
      const bool fitted = c >= first && c <= last;
      const bool bold = (cell.format & kBold) != 0;
      double width = 0;
      if (cell.kind == Cell::Kind::Text) {
        const std::string& text = row.text(cell);
        auto it = seen.find(text);
        if (it == seen.end()) {
          // A formed text lasts only as long as its row: the block keeps it.
          it = seen.emplace(inBlock ? std::string_view(block->texts.emplace_back(text)) : std::string_view(text), Seen{})
                   .first;
          if (inBlock) {
            it->second.blockOrder = static_cast<std::uint32_t>(block->uses.size());
            block->uses.push_back(0);
          }
        } else if (inBlock && it->second.blockOrder == kNotInBlock) {  // shown in a held row first
          it->second.blockOrder = static_cast<std::uint32_t>(block->uses.size());
          block->texts.push_back(text);
          block->uses.push_back(0);
        }
        Seen& s = it->second;
        if (inBlock) ++block->uses[s.blockOrder];
        if (!fitted) continue;
        if (s.width[bold] < 0) s.width[bold] = textWidth(utf16FromUtf8(text), bold);
        width = s.width[bold];
      } else {
        if (!fitted) continue;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.10g", row.number(cell));
        shown.assign(buf, buf + std::strlen(buf));
        width = textWidth(shown, bold);
      }
      double& w = widest[static_cast<std::size_t>(c - first)];
      w = std::max(w, width);
    }
  });
  for (int c = first; c <= last; ++c) {
    const double w = widest[static_cast<std::size_t>(c - first)];
    if (w > 0) widths_[static_cast<std::size_t>(c)] = columnWidthFor(w);
  }
  blockSurvey_ = std::move(block);
}

void Workbook::survey(SheetSurvey& survey) const {
  const int blockEnd = sourceFirst_ + sourceCount_;
  auto inBlock = [&](int r) { return r >= sourceFirst_ && r < blockEnd; };
  if (!blockSurvey_) {
    visitRows([&](int r, const RowView& row) {
      survey.extent.add(r, row.cells());
      for (const Cell& cell : row.cells()) {
        if (cell.kind != Cell::Kind::Text) continue;
        if (inBlock(r)) survey.strings.addFormed(row.text(cell));
        else survey.strings.addHeld(row.text(cell));
      }
    });
    return;
  }
  // The rows held here as they are now; the source's rows as the last fit
  // found them, with the formats added to them since.
  const int stored = static_cast<int>(rows_.size());
  auto addStored = [&](int r) {
    const std::vector<Cell>& cells = rows_[static_cast<std::size_t>(r)];
    if (inBlock(r)) {
      survey.extent.addFormats(r, cells);
      return;
    }
    survey.extent.add(r, cells);
    for (const Cell& cell : cells)
      if (cell.kind == Cell::Kind::Text) survey.strings.addHeld(texts_[cell.value]);
  };
  for (int r = 0; r < std::min(stored, sourceFirst_); ++r) addStored(r);
  for (std::size_t i = 0; i < blockSurvey_->texts.size(); ++i)
    survey.strings.addHeld(blockSurvey_->texts[i], blockSurvey_->uses[i]);
  survey.extent.add(blockSurvey_->extent);
  for (int r = sourceFirst_; r < stored; ++r) addStored(r);
}

std::vector<std::uint8_t> Workbook::fileBytes() const { return compoundFile("Workbook", biff8Stream(*this)); }

namespace {

constexpr const char* kStreamName = "Workbook";

std::string describe(int err) { return std::strerror(err); }

bool writeAll(int fd, const Bytes& data) { return files::writeAll(fd, data.data(), data.size()); }

std::atomic<unsigned> tempCounter{0};

}  // namespace

std::string temporaryName(unsigned pid, unsigned n) {
  char name[32];
  std::snprintf(name, sizeof name, ".xls-%08x-%08x.tmp", pid, n);
  return name;
}

bool Workbook::save(const std::string& path, std::string* reason) const {
  auto fail = [&](const std::string& why) {
    if (reason) *reason = why;
    return false;
  };
  if (path.empty()) return fail("No file name was given.");

  // A file the user made read-only is refused rather than replaced.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return fail(describe(errno));

  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string temp = folder + temporaryName(static_cast<unsigned>(::getpid()), tempCounter.fetch_add(1));

  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return fail(describe(errno));
  // The stream goes to the file as it is made, after room for the header;
  // the header, which needs the stream's size, comes last.
  std::size_t streamSize = 0;
  bool ok = writeAll(fd, Bytes(compoundHeader(0).size(), 0));
  writeBiff8(*this, [&](const Bytes& chunk) {
    if (ok) ok = writeAll(fd, chunk);
    streamSize += chunk.size();
  });
  ok = ok && writeAll(fd, compoundPadding(streamSize)) && writeAll(fd, compoundTrailer(kStreamName, streamSize));
  const Bytes head = compoundHeader(streamSize);
  // The bytes reach the disk before the new name does, so a power cut
  // leaves the old file or the whole new one.
  ok = ok && files::writeAllAt(fd, head.data(), head.size(), 0) && files::syncFile(fd);
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return fail(describe(err));
  }
  files::syncFolderOf(path);
  return true;
}

}  // namespace kestrav::datalog::xls
