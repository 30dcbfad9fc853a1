#pragma once
// Reads a written workbook back through python3-xlrd (and python3-olefile
// for the container) by running read_xls.py, and keeps what it reported.

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kestrav::test {

struct ReadCell {
  int type = 0;  // xlrd: 0 empty, 1 text, 2 number, 6 blank
  std::string value;
  int bold = 0, vertical = 0, bottom = 0;  // vertical: 0 top, 1 centre, 2 bottom
};

struct ReadBack {
  std::vector<std::string> warnings;  // reader log lines that flag a defect
  std::string container;              // "ok", "missing" or "bad: ..."
  int fatSectors = 0, difatSectors = 0, streamSize = 0;
  int sheets = 0, rows = 0, columns = 0;
  std::string sheetName;
  std::map<int, int> widths;
  std::map<std::pair<int, int>, ReadCell> cells;

  const ReadCell& at(int row, int column) const {
    static const ReadCell none{};
    const auto it = cells.find({row, column});
    return it == cells.end() ? none : it->second;
  }
  int width(int column) const {
    const auto it = widths.find(column);
    return it == widths.end() ? 0 : it->second;
  }
};

inline std::string quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// A python that has xlrd, or nothing.
inline std::optional<std::string> pythonWithXlrd() {
  for (const char* py : {"/usr/bin/python3", "python3"}) {
    const std::string cmd = std::string(py) + " -c 'import xlrd' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return std::string(py);
  }
  return std::nullopt;
}

// Whether that python also has olefile, so the container check must run.
inline bool pythonHasOlefile(const std::string& python) {
  const std::string cmd = python + " -c 'import olefile' >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

inline std::string unhex(const std::string& h) {
  if (h == "-") return {};
  std::string out;
  for (std::size_t i = 0; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
  return out;
}

// Runs the reader; nothing when it could not run or failed to open the file.
inline std::optional<ReadBack> readBack(const std::string& python, const std::string& path,
                                        const std::string& mode = "all") {
  const std::string cmd = python + " " + quoted(KESTRAV_XLS_READER) + " " + quoted(path) + " " + mode + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return std::nullopt;
  std::string output;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) output.append(buf, n);
  if (::pclose(p) != 0) {
    std::fprintf(stderr, "read_xls.py failed:\n%s\n", output.c_str());
    return std::nullopt;
  }
  ReadBack r;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    std::string kind;
    f >> kind;
    if (kind == "LOG") {
      std::string h;
      f >> h;
      r.warnings.push_back(unhex(h));
    } else if (kind == "OLE") {
      std::string state;
      f >> state;
      if (state == "ok") f >> r.fatSectors >> r.difatSectors >> r.streamSize;
      if (state == "bad") {
        std::string h;
        f >> h;
        state = "bad: " + unhex(h);
      }
      r.container = state;
    } else if (kind == "SHEET") {
      std::string h;
      f >> r.sheets >> h >> r.rows >> r.columns;
      r.sheetName = unhex(h);
    } else if (kind == "W") {
      int c = 0, w = 0;
      f >> c >> w;
      r.widths[c] = w;
    } else if (kind == "C") {
      int row = 0, col = 0;
      ReadCell c;
      std::string h;
      f >> row >> col >> c.type >> h >> c.bold >> c.vertical >> c.bottom;
      c.value = unhex(h);
      r.cells[{row, col}] = c;
    } else {
      r.warnings.push_back("unexpected output: " + line);
    }
  }
  return r;
}

}  // namespace kestrav::test
