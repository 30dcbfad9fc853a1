#pragma once
// The JSON of every telemetry message: the latest readings of a board, a
// datalog sample as its journal line holds it, an event, the stack's
// description and Home Assistant's discovery configs.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace kestrav::telemetry {

using TimePoint = std::chrono::system_clock::time_point;

// What the stack holds of one board after its latest accepted reads.
struct BoardReadings {
  int board = 0;        // 1..10
  std::string address;  // "0x81"
  TimePoint time{};     // of the newest of these reads
  std::array<std::uint16_t, 12> cellCodes{};
  bool tenCells = false;
  std::array<std::uint16_t, 3> temperatureCodes{};  // ETMP1, ETMP2, ITMP
  std::array<int, 12> statuses{};                   // as painted
};

nlohmann::json boardPayload(const BoardReadings& b);

// One sample from its journal line and the journal's header.
// `addresses[i]` is board i+1's "0x81".
nlohmann::json samplePayload(const std::string& run, const std::vector<std::string>& header,
                             const std::vector<std::string>& fields, const std::vector<std::string>& addresses);

nlohmann::json eventPayload(TimePoint t, const std::string& type, nlohmann::json detail);

struct StackDescription {
  std::string program;
  std::vector<std::string> addresses;  // one per board of the stack
  std::vector<int> cellsPerBoard;      // 12, or 10 in ten-cell mode
};
nlohmann::json metaPayload(const StackDescription& s);

// Every discovery config of one board: (topic, payload).
std::vector<std::pair<std::string, std::string>> discoveryConfigs(const std::string& bench, int board,
                                                                  const std::string& address);

// "0x81" for the stack's "81".
std::string addressText(const std::string& hexDigits);

}  // namespace kestrav::telemetry
