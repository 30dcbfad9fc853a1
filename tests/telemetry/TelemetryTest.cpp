// The telemetry's pieces that need no broker: the command line's options,
// the journal read back as the spool, and the payloads consumers rely on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/TelemetryArguments.h"
#include "context/JournalFile.h"
#include "headless/LogCommandLine.h"
#include "telemetry/JournalReader.h"
#include "telemetry/Payloads.h"
#include "telemetry/Publisher.h"

namespace kestrav::telemetry {
namespace {

TEST(BrokerUrl, TakesSchemesUsersAndPortsAndRefusesTheRest) {
  BrokerAddress a;
  ASSERT_FALSE(parseBrokerUrl("mqtt://broker.lab", a));
  EXPECT_EQ(a.serverUri(), "tcp://broker.lab:1883");
  ASSERT_FALSE(parseBrokerUrl("mqtts://ana@10.0.0.7:8884", a));
  EXPECT_EQ(a.serverUri(), "ssl://10.0.0.7:8884");
  EXPECT_EQ(a.user, "ana");
  EXPECT_EQ(a.shown(), "mqtts://10.0.0.7:8884");
  for (const char* bad : {"broker.lab", "http://x", "mqtt://", "mqtt://h:0", "mqtt://h:70000", "mqtt://h:1x",
                          "mqtt://@h", "mqtt://h/x", "mqtt://a b"})
    EXPECT_TRUE(parseBrokerUrl(bad, a)) << bad;
  // A password in the URL would show in the process list.
  const auto reason = parseBrokerUrl("mqtt://ana:secret@h", a);
  ASSERT_TRUE(reason);
  EXPECT_EQ(reason->find("secret"), std::string::npos);
  EXPECT_NE(reason->find("KESTRAV_MQTT_PASSWORD"), std::string::npos);
}

TEST(BenchName, CheckedAndMadeFromTheHostName) {
  EXPECT_TRUE(validBenchName("rack-3_b"));
  EXPECT_FALSE(validBenchName(""));
  EXPECT_FALSE(validBenchName("a/b"));
  EXPECT_FALSE(validBenchName("a+b"));
  EXPECT_EQ(benchNameFromHost("lab-pc.example.org"), "lab-pc");
  EXPECT_EQ(benchNameFromHost("pc+1"), "pc-1");
  EXPECT_TRUE(validBenchName(defaultBenchName()));
}

TEST(TelemetryCommandLine, OptionsOfKestravLog) {
  using headless::LogAction;
  const std::vector<std::string> base{"--simulate", "--boards", "1", "--seconds", "2", "--out", "/tmp/x.xls"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return headless::parseLogCommandLine(args);
  };
  setenv("KESTRAV_MQTT_PASSWORD", "pw", 1);
  const auto ok = with({"--mqtt", "mqtts://u@h", "--mqtt-cafile", "/ca.pem", "--bench", "b7", "--mqtt-discovery",
                        "--mqtt-buffer", "50"});
  unsetenv("KESTRAV_MQTT_PASSWORD");
  ASSERT_EQ(ok.action, LogAction::Run) << ok.error;
  const TelemetryOptions& t = ok.options.telemetry;
  ASSERT_TRUE(t.broker);
  EXPECT_EQ(t.bench, "b7");
  EXPECT_EQ(t.caFile, "/ca.pem");
  EXPECT_TRUE(t.discovery);
  EXPECT_EQ(t.bufferedMessages, 50);
  EXPECT_EQ(t.password, "pw");
  EXPECT_FALSE(with({}).options.telemetry.broker);
  EXPECT_EQ(with({"--mqtt", "mqtt://h"}).options.telemetry.bench, defaultBenchName());
  for (const auto& bad : std::vector<std::vector<std::string>>{{"--mqtt", "h:1883"},
                                                              {"--mqtt"},
                                                              {"--mqtt", "mqtt://h", "--bench", "a.b"},
                                                              {"--mqtt", "mqtt://h", "--mqtt-buffer", "0"},
                                                              {"--mqtt", "mqtt://h", "--mqtt-cafile", "/ca.pem"},
                                                              {"--bench", "b7"},
                                                              {"--mqtt-discovery"}}) {
    const auto line = with(bad);
    EXPECT_EQ(line.action, LogAction::Error) << bad[0];
    EXPECT_EQ(line.error.find('\n'), std::string::npos);
  }
}

TEST(JournalReader, ReadsWholeQuotedRecordsFromWhereItStopped) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  const std::string text = "a,\"b,\"\"c\"\"\",\r\n\"x\ny\",2\r\n\"open";
  ASSERT_TRUE(nextCsvRecord(text, pos, fields));
  EXPECT_EQ(fields, (std::vector<std::string>{"a", "b,\"c\"", ""}));
  ASSERT_TRUE(nextCsvRecord(text, pos, fields));
  EXPECT_EQ(fields, (std::vector<std::string>{"x\ny", "2"}));
  const std::size_t before = pos;
  EXPECT_FALSE(nextCsvRecord(text, pos, fields));  // still being written
  EXPECT_EQ(pos, before);

  const auto dir = std::filesystem::temp_directory_path() / ("kestrav-journal-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "run.csv").string();
  {
    context::JournalFile f;
    std::string reason;
    ASSERT_TRUE(f.create(path, &reason));
    ASSERT_TRUE(f.appendLine({"ISO TIME", "SAMPLE", "TIME STAMP"}, &reason));
    for (int s = 1; s <= 120; ++s)
      ASSERT_TRUE(f.appendLine({"t" + std::to_string(s), std::to_string(s), "a, \"quoted\" stamp"}, &reason));
  }
  JournalReader r(path);
  std::vector<long long> seqs;
  for (auto piece = r.next(100, 7); !piece.empty(); piece = r.next(100, 7))
    for (const auto& l : piece) seqs.push_back(l.seq);
  ASSERT_EQ(seqs.size(), 21u);
  EXPECT_EQ(seqs.front(), 100);
  EXPECT_EQ(seqs.back(), 120);
  EXPECT_EQ(r.header()[1], "SAMPLE");
  // Lines appended later are found by the next call.
  {
    std::ofstream more(path, std::ios::app | std::ios::binary);
    more << "t121,121,x\r\nt122,1";
  }
  const auto tail = r.next(100, 7);
  ASSERT_EQ(tail.size(), 1u);
  EXPECT_EQ(tail[0].fields[2], "x");
  std::filesystem::remove_all(dir);
}

TEST(Payloads, SampleCarriesTheJournalTextsUnderTheirTitles) {
  std::vector<std::string> header{"ISO TIME", "SAMPLE", "TIME STAMP"}, line{"2026-12-07T14:05:09.250+01:00", "42", "st"};
  for (int b = 1; b <= 2; ++b)
    for (int k = 1; k <= 20; ++k) {
      header.push_back("(" + std::to_string(b) + ") C" + std::to_string(k));
      line.push_back(std::to_string(b * 100 + k));
    }
  const auto j = samplePayload("run.csv", header, line, {"0x81", "0x82"});
  EXPECT_EQ(j["run"], "run.csv");
  EXPECT_EQ(j["seq"], 42);
  EXPECT_EQ(j["time"], line[0]);
  ASSERT_EQ(j["boards"].size(), 2u);
  EXPECT_EQ(j["boards"][1]["board"], 2);
  EXPECT_EQ(j["boards"][1]["address"], "0x82");
  EXPECT_EQ(j["boards"][1]["columns"].size(), 20u);
  EXPECT_EQ(j["boards"][1]["columns"]["C20"], "220");
}

TEST(Payloads, BoardSummarisesTheMeasuredCells) {
  BoardReadings b;
  b.board = 3;
  b.address = "0x83";
  b.tenCells = true;
  b.cellCodes.fill(2333);  // 3.500 V
  b.cellCodes[4] = 2000;   // 3.001 V
  b.cellCodes[11] = 4095;  // not measured in ten-cell mode
  b.statuses.fill(1);
  b.statuses[4] = 3;
  b.statuses[6] = 4;
  const auto j = boardPayload(b);
  EXPECT_EQ(j["cells_v"].size(), 10u);
  EXPECT_DOUBLE_EQ(j["min_v"].get<double>(), 3.001);
  EXPECT_EQ(j["min_cell"], 5);
  EXPECT_DOUBLE_EQ(j["max_v"].get<double>(), 3.5);
  EXPECT_DOUBLE_EQ(j["spread_mv"].get<double>(), 499.0);
  EXPECT_DOUBLE_EQ(j["total_v"].get<double>(), 34.501);
  EXPECT_EQ(j["uv"], nlohmann::json({5}));
  EXPECT_EQ(j["ov"], nlohmann::json({7}));
  EXPECT_EQ(j["status"][4], "UV");
  EXPECT_EQ(j["status"].size(), 12u);
}

TEST(Payloads, DiscoveryForHomeAssistant) {
  const auto configs = discoveryConfigs("b7", 2, "0x82");
  ASSERT_EQ(configs.size(), 19u);  // 7 summaries and 12 cells
  EXPECT_EQ(configs[0].first, "homeassistant/sensor/kestrav_b7_b2/min_v/config");
  const auto first = nlohmann::json::parse(configs[0].second);
  EXPECT_EQ(first["state_topic"], "kestrav/b7/board/2");
  EXPECT_EQ(first["availability_topic"], "kestrav/b7/status");
  EXPECT_EQ(first["device_class"], "voltage");
  EXPECT_EQ(first["unique_id"], "kestrav_b7_b2_min_v");
  EXPECT_FALSE(first.contains("enabled_by_default"));
  EXPECT_EQ(nlohmann::json::parse(configs[2].second)["unit_of_measurement"], "mV");
  const auto cell = nlohmann::json::parse(configs.back().second);
  EXPECT_EQ(cell["enabled_by_default"], false);
  EXPECT_EQ(cell["value_template"], "{{ value_json.cells_v[11] }}");
}

TEST(Publisher, StateFolderFollowsXdg) {
  setenv("XDG_STATE_HOME", "/var/x", 1);
  EXPECT_EQ(Publisher::stateFolder("kestrav-log", "b7"), "/var/x/kestrav-monitor/mqtt/kestrav-log-b7");
  unsetenv("XDG_STATE_HOME");
  setenv("HOME", "/home/u", 1);
  EXPECT_EQ(Publisher::stateFolder("kestrav-gui", "b7"), "/home/u/.local/state/kestrav-monitor/mqtt/kestrav-gui-b7");
}

}  // namespace
}  // namespace kestrav::telemetry
