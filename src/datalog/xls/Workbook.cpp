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
#include "datalog/xls/Utf8.h"

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

void Workbook::setRowSource(int first, int count, RowSource source) {
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
  // Every text is measured once per font, however many cells show it.
  std::unordered_map<std::string, double> measured[2];
  std::u16string shown;
  visitRows([&](int, const RowView& row) {
    const auto& cells = row.cells();
    for (int c = first; c <= last && c < static_cast<int>(cells.size()); ++c) {
      const Cell& cell = cells[static_cast<std::size_t>(c)];
      if (cell.kind == Cell::Kind::Blank) continue;
      double& w = widest[static_cast<std::size_t>(c - first)];
      const bool bold = (cell.format & kBold) != 0;
      if (cell.kind == Cell::Kind::Text) {
        const std::string& text = row.text(cell);
        auto& cache = measured[bold ? 1 : 0];
        auto it = cache.find(text);
        if (it == cache.end()) it = cache.emplace(text, textWidth(utf16FromUtf8(text), bold)).first;
        w = std::max(w, it->second);
      } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.10g", row.number(cell));
        shown.assign(buf, buf + std::strlen(buf));
        w = std::max(w, textWidth(shown, bold));
      }
    }
  });
  for (int c = first; c <= last; ++c) {
    const double w = widest[static_cast<std::size_t>(c - first)];
    if (w > 0) widths_[static_cast<std::size_t>(c)] = columnWidthFor(w);
  }
}

std::vector<std::uint8_t> Workbook::fileBytes() const { return compoundFile("Workbook", biff8Stream(*this)); }

namespace {
constexpr const char* kStreamName = "Workbook";
}

namespace {

std::string describe(int err) { return std::strerror(err); }

// All of `data` to `fd`; false with errno set on failure.
bool writeAll(int fd, const std::vector<std::uint8_t>& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::atomic<unsigned> tempCounter{0};

}  // namespace

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
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string temp = folder + "." + base + "." + std::to_string(::getpid()) + "-" +
                           std::to_string(tempCounter.fetch_add(1)) + ".tmp";

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
  ok = ok && ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) && ::fsync(fd) == 0;
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
  return true;
}

}  // namespace kestrav::datalog::xls
