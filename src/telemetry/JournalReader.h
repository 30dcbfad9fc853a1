#pragma once
// Reading a datalog journal back from its file: the journal is the spool of
// the lab telemetry, so whatever the broker may have missed is sent again
// from it. The file is read in pieces from a byte offset, so a journal of
// days costs one pass and little memory.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrav::telemetry {

// Splits one RFC 4180 record that starts at `pos` of `text` and ends with a
// line break outside quotes; moves `pos` past it. False (pos unchanged) when
// the text holds no whole record there (a line still being written).
bool nextCsvRecord(std::string_view text, std::size_t& pos, std::vector<std::string>& fields);

struct JournalLine {
  long long seq = 0;                // its SAMPLE column
  std::vector<std::string> fields;  // ISO TIME, SAMPLE, TIME STAMP, then 20 per board
};

class JournalReader {
 public:
  explicit JournalReader(std::string path) : path_(std::move(path)) {}

  // Up to `most` whole sample lines with a SAMPLE of at least `fromSeq`,
  // continuing where the last call stopped. Empty at the end of the file
  // (as far as it is written) or when it cannot be read.
  std::vector<JournalLine> next(long long fromSeq, int most);

  // The header's column titles (empty before the first next()).
  const std::vector<std::string>& header() const { return header_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::uint64_t offset_ = 0;
  std::vector<std::string> header_;
};

}  // namespace kestrav::telemetry
