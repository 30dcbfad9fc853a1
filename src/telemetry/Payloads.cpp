#include "telemetry/Payloads.h"

#include <algorithm>
#include <cmath>

#include "datalog/Journal.h"
#include "display/CellStatusCodes.h"

namespace kestrav::telemetry {

namespace {

// Cell and temperature codes are 12-bit on a 6.144 V full scale.
double volts(std::uint16_t code) { return std::round(code * 6144.0 / 4095.0) / 1000.0; }
double rounded(double v, double scale) { return std::round(v * scale) / scale; }

// "(3) CV 1" gives "CV 1".
std::string columnName(const std::string& title) {
  const auto close = title.find(") ");
  return title.size() > 1 && title[0] == '(' && close != std::string::npos ? title.substr(close + 2) : title;
}

}  // namespace

std::string addressText(const std::string& hexDigits) { return "0x" + hexDigits; }

nlohmann::json boardPayload(const BoardReadings& b) {
  const int cells = b.tenCells ? 10 : 12;
  nlohmann::json j;
  j["time"] = datalog::isoLocalTime(b.time);
  j["board"] = b.board;
  j["address"] = b.address;
  std::vector<double> v;
  for (int c = 0; c < cells; ++c) v.push_back(volts(b.cellCodes[static_cast<std::size_t>(c)]));
  j["cells_v"] = v;
  j["temps_v"] = {{"etmp1", volts(b.temperatureCodes[0])},
                  {"etmp2", volts(b.temperatureCodes[1])},
                  {"itmp", volts(b.temperatureCodes[2])}};
  std::vector<int> uv, ov;
  std::vector<std::string> status;
  for (int c = 0; c < 12; ++c) {
    const int s = b.statuses[static_cast<std::size_t>(c)];
    status.emplace_back(display::cellStatusCode(s).shortName);
    if (s == display::UV) uv.push_back(c + 1);
    if (s == display::OV) ov.push_back(c + 1);
  }
  j["uv"] = uv;
  j["ov"] = ov;
  j["status"] = status;
  const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
  double total = 0.0;
  for (const double x : v) total += x;
  j["min_v"] = *lo;
  j["min_cell"] = lo - v.begin() + 1;
  j["max_v"] = *hi;
  j["max_cell"] = hi - v.begin() + 1;
  j["spread_mv"] = rounded((*hi - *lo) * 1000.0, 1.0);
  j["total_v"] = rounded(total, 1000.0);
  return j;
}

nlohmann::json samplePayload(const std::string& run, const std::vector<std::string>& header,
                             const std::vector<std::string>& fields, const std::vector<std::string>& addresses) {
  constexpr std::size_t kFirstBoardColumn = 3, kPerBoard = 20;
  nlohmann::json j;
  j["run"] = run;
  j["seq"] = fields.size() > 1 ? std::stoll("0" + fields[1]) : 0;
  j["time"] = fields.empty() ? "" : fields[0];
  nlohmann::json boards = nlohmann::json::array();
  const std::size_t n = std::min(header.size(), fields.size());
  for (std::size_t first = kFirstBoardColumn, b = 0; first + kPerBoard <= n; first += kPerBoard, ++b) {
    nlohmann::json columns = nlohmann::json::object();
    for (std::size_t k = first; k < first + kPerBoard; ++k) columns[columnName(header[k])] = fields[k];
    boards.push_back({{"board", b + 1}, {"address", b < addresses.size() ? addresses[b] : ""}, {"columns", columns}});
  }
  j["boards"] = boards;
  return j;
}

nlohmann::json eventPayload(TimePoint t, const std::string& type, nlohmann::json detail) {
  return {{"time", datalog::isoLocalTime(t)}, {"type", type}, {"detail", detail.is_null() ? nlohmann::json::object() : detail}};
}

nlohmann::json metaPayload(const StackDescription& s) {
  return {{"program", s.program},
          {"version", KESTRAV_VERSION},
          {"boards", s.addresses.size()},
          {"addresses", s.addresses},
          {"cells_per_board", s.cellsPerBoard},
          {"units", {{"cells_v", "V"}, {"temps_v", "V"}, {"spread_mv", "mV"}, {"total_v", "V"}}}};
}

std::vector<std::pair<std::string, std::string>> discoveryConfigs(const std::string& bench, int board,
                                                                  const std::string& address) {
  const std::string node = "kestrav_" + bench + "_b" + std::to_string(board);
  const std::string stateTopic = "kestrav/" + bench + "/board/" + std::to_string(board);
  const nlohmann::json device = {{"identifiers", {node}},
                                 {"name", "KESTRAV " + bench + " board " + std::to_string(board) + " (" + address + ")"},
                                 {"manufacturer", "KESTRAV"},
                                 {"model", "KESTRAV-2 stack monitor board"}};
  struct Sensor {
    std::string object, name, unit, value;
    bool enabled;
  };
  std::vector<Sensor> sensors = {
      {"min_v", "lowest cell", "V", "value_json.min_v", true},
      {"max_v", "highest cell", "V", "value_json.max_v", true},
      {"spread_mv", "cell spread", "mV", "value_json.spread_mv", true},
      {"total_v", "total", "V", "value_json.total_v", true},
      {"etmp1", "ETMP1", "V", "value_json.temps_v.etmp1", true},
      {"etmp2", "ETMP2", "V", "value_json.temps_v.etmp2", true},
      {"itmp", "ITMP", "V", "value_json.temps_v.itmp", true},
  };
  for (int c = 1; c <= 12; ++c)
    sensors.push_back({"cell" + std::to_string(c), "cell " + std::to_string(c), "V",
                       "value_json.cells_v[" + std::to_string(c - 1) + "]", false});
  std::vector<std::pair<std::string, std::string>> out;
  for (const Sensor& s : sensors) {
    nlohmann::json j = {{"name", s.name},
                        {"device_class", "voltage"},
                        {"state_class", "measurement"},
                        {"unit_of_measurement", s.unit},
                        {"state_topic", stateTopic},
                        {"value_template", "{{ " + s.value + " }}"},
                        {"availability_topic", "kestrav/" + bench + "/status"},
                        {"unique_id", node + "_" + s.object},
                        {"device", device}};
    if (!s.enabled) j["enabled_by_default"] = false;
    out.emplace_back("homeassistant/sensor/" + node + "/" + s.object + "/config", j.dump());
  }
  return out;
}

}  // namespace kestrav::telemetry
