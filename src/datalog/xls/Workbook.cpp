#include "datalog/xls/Workbook.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "datalog/xls/Biff8Writer.h"
#include "datalog/xls/ColumnWidth.h"
#include "datalog/xls/CompoundFile.h"
#include "datalog/xls/Utf8.h"

namespace kestrav::datalog::xls {

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

void Workbook::autoFitColumns(int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, kMaxColumns - 1);
  if (first > last) return;
  if (widths_.size() <= static_cast<std::size_t>(last)) widths_.resize(static_cast<std::size_t>(last) + 1, 0);
  std::vector<double> widest(static_cast<std::size_t>(last - first + 1), 0.0);
  // Every text is measured once per font, however many cells show it.
  std::vector<double> measured[2] = {std::vector<double>(texts_.size(), -1.0), std::vector<double>(texts_.size(), -1.0)};
  std::u16string shown;
  for (const auto& cells : rows_) {
    for (int c = first; c <= last && c < static_cast<int>(cells.size()); ++c) {
      const Cell& cell = cells[static_cast<std::size_t>(c)];
      if (cell.kind == Cell::Kind::Blank) continue;
      double& w = widest[static_cast<std::size_t>(c - first)];
      if (cell.kind == Cell::Kind::Text) {
        const bool bold = (cell.format & kBold) != 0;
        double& m = measured[bold ? 1 : 0][cell.value];
        if (m < 0) m = textWidth(utf16FromUtf8(texts_[cell.value]), bold);
        w = std::max(w, m);
        continue;
      } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.10g", numbers_[cell.value]);
        shown.assign(buf, buf + std::strlen(buf));
      }
      w = std::max(w, textWidth(shown, (cell.format & kBold) != 0));
    }
  }
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
