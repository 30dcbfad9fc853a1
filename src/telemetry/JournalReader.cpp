#include "telemetry/JournalReader.h"

#include <charconv>
#include <fstream>

namespace kestrav::telemetry {

namespace {

constexpr std::size_t kReadPiece = 64 * 1024;

long long sampleNumber(const std::vector<std::string>& fields) {
  long long seq = 0;
  if (fields.size() < 2) return 0;
  const std::string& s = fields[1];
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), seq);
  return ec == std::errc() && end == s.data() + s.size() ? seq : 0;
}

}  // namespace

bool nextCsvRecord(std::string_view text, std::size_t& pos, std::vector<std::string>& fields) {
  std::vector<std::string> out;
  std::string field;
  bool quoted = false;
  for (std::size_t i = pos; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (i + 1 >= text.size()) {
        return false;  // cannot tell a closing quote from a doubled one yet
      } else {
        quoted = false;
      }
    } else if (c == '"' && field.empty()) {
      quoted = true;
    } else if (c == ',') {
      out.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      if (!field.empty() && field.back() == '\r') field.pop_back();
      out.push_back(std::move(field));
      fields = std::move(out);
      pos = i + 1;
      return true;
    } else {
      field += c;
    }
  }
  return false;
}

std::vector<JournalLine> JournalReader::next(long long fromSeq, int most) {
  std::vector<JournalLine> lines;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return lines;
  in.seekg(static_cast<std::streamoff>(offset_));
  std::string text;
  std::size_t pos = 0;
  while (static_cast<int>(lines.size()) < most) {
    std::vector<std::string> fields;
    if (!nextCsvRecord(text, pos, fields)) {
      // Keep the unfinished tail, read the next piece behind it.
      text.erase(0, pos);
      pos = 0;
      char piece[kReadPiece];
      in.read(piece, sizeof piece);
      if (in.gcount() <= 0) break;
      text.append(piece, static_cast<std::size_t>(in.gcount()));
      continue;
    }
    offset_ += pos;
    text.erase(0, pos);
    pos = 0;
    if (header_.empty()) {
      header_ = std::move(fields);
      continue;
    }
    const long long seq = sampleNumber(fields);
    if (seq >= fromSeq) lines.push_back({seq, std::move(fields)});
  }
  return lines;
}

}  // namespace kestrav::telemetry
