#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "config/StackConfigFile.h"
#include "datalog/TempFolder.h"

namespace kestrav::config {
namespace {

using Json = nlohmann::ordered_json;
using test::TempFolder;

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Three boards set as differently as the format allows.
StackConfig varied() {
  StackConfig c;
  c.boards = 3;
  for (int b = 0; b < state::kBoards; ++b) c.addresses[b] = state::defaultAddress(b);
  c.addresses[2] = "81";  // two boards may share an address
  c.addresses[9] = "80";
  c.broadcast = {false, true, false, true, false, true};
  c.pecMatchOnly = false;
  c.globalThresholds = false;
  BoardConfig a;
  a.cdc = 7;
  a.cell10 = true;
  a.lvlpl = true;
  a.gpio1 = false;
  a.spare = false;
  a.discharge = {1, 8, 9, 12};
  a.mask = {4, 5, 11, 12};  // 11 and 12 kept in ten-cell mode too
  a.vuvCode = 0;
  a.vovCode = 255;
  BoardConfig b;
  b.vuvCode = 129;
  b.vovCode = 175;
  BoardConfig d;
  d.cdc = 1;
  d.vuvCode = 254;
  d.vovCode = 255;
  c.board = {a, b, d};
  return c;
}

Json validJson() { return Json::parse(stackConfigJson(varied())); }

std::string faultOf(const Json& j) {
  const ParsedStackConfig p = parseStackConfig(j.dump());
  EXPECT_FALSE(p.config.has_value()) << j.dump();
  return p.fault;
}

TEST(StackConfigFile, WhatIsWrittenReadsBackTheSame) {
  const StackConfig c = varied();
  const ParsedStackConfig p = parseStackConfig(stackConfigJson(c));
  ASSERT_TRUE(p.config.has_value()) << p.fault;
  EXPECT_EQ(*p.config, c);

  const Json j = Json::parse(stackConfigJson(c));
  EXPECT_EQ(j["format"], "kestrav-stack-config");
  EXPECT_EQ(j["version"], 1);
  EXPECT_EQ(j["addresses"][2], "0x81");
  EXPECT_EQ(j["addresses"][9], "0x80");
  EXPECT_EQ(j["broadcast"]["WRCFG"], true);
  EXPECT_EQ(j["broadcast"]["PLADC"], false);
  EXPECT_EQ(j["threshold_mode"], "per_board");
  EXPECT_EQ(j["board"][0]["cfgr"], Json::parse(R"(["5F","81","89","C1","00","FF"])"));
  EXPECT_EQ(j["board"][1]["cfgr"], Json::parse(R"(["E0","00","00","00","81","AF"])"));
  EXPECT_EQ(j["board"][0]["discharge"], Json::parse("[1,8,9,12]"));
  // Volts as the boxes show them, to three decimals.
  EXPECT_EQ(j["board"][1]["vuv"].dump(), "3.096");
  EXPECT_EQ(j["board"][1]["vov"].dump(), "4.2");
  EXPECT_EQ(j["board"][0]["vov"].dump(), "6.12");
}

TEST(StackConfigFile, EveryThresholdCodeSurvivesItsVolts) {
  for (int code = 0; code < 255; ++code) {
    StackConfig c = varied();
    c.board[1].vuvCode = code;
    c.board[1].vovCode = code + 1;
    const ParsedStackConfig p = parseStackConfig(stackConfigJson(c));
    ASSERT_TRUE(p.config.has_value()) << code << ": " << p.fault;
    EXPECT_EQ(p.config->board[1].vuvCode, code);
    EXPECT_EQ(p.config->board[1].vovCode, code + 1);
  }
  EXPECT_EQ(thresholdText(175), "4.200");
  EXPECT_EQ(thresholdText(129), "3.096");
  EXPECT_EQ(thresholdText(0), "0.000");
}

TEST(StackConfigFile, RefusesWhatIsNotAConfiguration) {
  EXPECT_EQ(parseStackConfig("{\"format\": ").fault.rfind("not JSON: ", 0), 0u);
  EXPECT_EQ(parseStackConfig("[1, 2]").fault, "it holds no JSON object");

  Json j = validJson();
  j["format"] = "kestrav-datalog";
  EXPECT_EQ(faultOf(j), "\"format\": must be \"kestrav-stack-config\", not \"kestrav-datalog\"");
  j = validJson();
  j["version"] = 2;
  EXPECT_EQ(faultOf(j), "\"version\": version 2 is newer than this program reads (1)");
  j["version"] = 0;
  EXPECT_NE(faultOf(j).find("\"version\""), std::string::npos);
}

TEST(StackConfigFile, RefusesAMissingFieldNamingIt) {
  for (const char* key : {"format", "version", "boards", "addresses", "broadcast", "pec_match_only",
                          "threshold_mode", "board"}) {
    Json j = validJson();
    j.erase(key);
    EXPECT_EQ(faultOf(j), "\"" + std::string(key) + "\": is missing");
  }
  for (const char* key : {"cdc", "cell10", "lvlpl", "gpio1", "gpio2", "discharge", "mask", "vuv", "vov", "cfgr"}) {
    Json j = validJson();
    j["board"][1].erase(key);
    EXPECT_EQ(faultOf(j), "board 2 \"" + std::string(key) + "\": is missing");
  }
  Json j = validJson();
  j["broadcast"].erase("STTMPAD");
  EXPECT_EQ(faultOf(j), "\"broadcast\" \"STTMPAD\": is missing");
}

TEST(StackConfigFile, RefusesValuesOutOfRange) {
  const std::string range = "Only Enter Values Between 0.000V and 6.120V.";
  Json j = validJson();
  j["board"][1]["vuv"] = 7;
  EXPECT_EQ(faultOf(j), "board 2 \"vuv\" and \"vov\": " + range + " (vuv 7, vov 4.2)");
  j = validJson();
  j["board"][0]["vov"] = 6.13;
  EXPECT_NE(faultOf(j).find(range), std::string::npos);
  j = validJson();
  j["board"][1]["vuv"] = -0.024;
  EXPECT_NE(faultOf(j).find(range), std::string::npos);

  // The boxes' rule on the codes: 4.19 V and 4.2 V both keep code 175.
  j = validJson();
  j["board"][1]["vuv"] = 4.19;
  EXPECT_EQ(faultOf(j), "board 2 \"vuv\" and \"vov\": VUV must be less than VOV (vuv 4.19, vov 4.2)");
  j["board"][1]["vuv"] = 4.2;
  j["board"][1]["vov"] = 3.1;
  EXPECT_NE(faultOf(j).find("VUV must be less than VOV"), std::string::npos);

  j = validJson();
  j["board"][1]["discharge"] = Json::parse("[3, 13]");
  EXPECT_EQ(faultOf(j), "board 2 \"discharge\": holds 13, not a cell number 1 to 12");
  j["board"][1]["discharge"] = Json::parse("[0]");
  EXPECT_NE(faultOf(j).find("holds 0"), std::string::npos);
  j = validJson();
  j["board"][2]["mask"] = Json::parse("[2, 2]");
  EXPECT_EQ(faultOf(j), "board 3 \"mask\": lists cell 2 twice");

  j = validJson();
  j["addresses"][3] = "0x90";
  EXPECT_EQ(faultOf(j), "\"addresses\" entry 4: \"0x90\" is not a board address from \"0x80\" to \"0x8F\"");
  j["addresses"][3] = "0x7F";
  EXPECT_NE(faultOf(j).find("\"0x7F\" is not a board address"), std::string::npos);
  j["addresses"][3] = "84";
  EXPECT_NE(faultOf(j).find("\"84\" is not a board address"), std::string::npos);
  j = validJson();
  j["addresses"].erase(9);
  EXPECT_NE(faultOf(j).find("must list the ten board addresses"), std::string::npos);

  j = validJson();
  j["boards"] = 11;
  EXPECT_EQ(faultOf(j), "\"boards\": must be a whole number from 1 to 10, not 11");
  j = validJson();
  j["boards"] = 2;  // the list still holds three
  EXPECT_EQ(faultOf(j), "\"board\": must list 2 boards (\"boards\"), not 3");
  j = validJson();
  j["board"][0]["cdc"] = 8;
  EXPECT_EQ(faultOf(j), "board 1 \"cdc\": must be a whole number from 0 to 7, not 8");
  j = validJson();
  j["board"][0]["cell10"] = 1;
  EXPECT_EQ(faultOf(j), "board 1 \"cell10\": must be true or false, not 1");
  j = validJson();
  j["threshold_mode"] = "both";
  EXPECT_NE(faultOf(j).find("\"threshold_mode\": must be \"global\" or \"per_board\""), std::string::npos);
}

TEST(StackConfigFile, RefusesRegisterBytesThatDisagreeWithTheFields) {
  Json j = validJson();
  j["board"][1]["cfgr"][1] = "08";  // cell 4's discharge, which "discharge" does not list
  EXPECT_EQ(faultOf(j), "board 2 \"cfgr\": CFGR1 is 08 but the named fields give 00");
  j = validJson();
  j["board"][1]["cfgr"][5] = "AE";
  EXPECT_EQ(faultOf(j), "board 2 \"cfgr\": CFGR5 is AE but the named fields give AF");
  j = validJson();
  j["board"][0]["cfgr"][0] = "5E";  // CDC 6 where "cdc" says 7
  EXPECT_EQ(faultOf(j), "board 1 \"cfgr\": CFGR0 is 5E but the named fields give 5F");
  j = validJson();
  j["board"][0]["cfgr"][0] = "XY";
  EXPECT_NE(faultOf(j).find("not two hex digits"), std::string::npos);
  // The unused bit 7 of CFGR0 is named by no field: "cfgr" carries it.
  j = validJson();
  j["board"][0]["cfgr"][0] = "df";
  const ParsedStackConfig p = parseStackConfig(j.dump());
  ASSERT_TRUE(p.config.has_value()) << p.fault;
  EXPECT_TRUE(p.config->board[0].spare);
}

TEST(StackConfigFile, OpeningNamesTheFileTheFieldAndTheReason) {
  TempFolder folder;
  const std::string path = folder.file("rig.json");
  Json j = validJson();
  j["board"][1]["vuv"] = 7;
  writeText(path, j.dump());
  const StackConfigFileResult r = readStackConfigFile(path);
  EXPECT_FALSE(r.config.has_value());
  EXPECT_EQ(r.error.rfind(path + ": board 2 \"vuv\" and \"vov\": Only Enter Values", 0), 0u) << r.error;

  EXPECT_EQ(readStackConfigFile(folder.file("none.json")).error, folder.file("none.json") + ": No such file or directory");
  EXPECT_EQ(readStackConfigFile(folder.path()).error, folder.path() + ": is a folder");
  writeText(path, std::string(2u << 20, ' '));
  EXPECT_NE(readStackConfigFile(path).error.find("larger than 1 MiB"), std::string::npos);
  writeText(path, "\xff\xfe{}");
  EXPECT_EQ(readStackConfigFile(path).error.rfind(path + ": not JSON: ", 0), 0u);
}

TEST(StackConfigFile, SaveWritesOnlyWhatOpenAccepts) {
  TempFolder folder;
  const std::string path = folder.file("rig.json");
  // Boards sharing an address are a valid stack.
  StackConfig c = varied();
  c.addresses[1] = c.addresses[0];
  ASSERT_TRUE(writeStackConfigFile(path, c).ok());
  const StackConfigFileResult back = readStackConfigFile(path);
  ASSERT_TRUE(back.ok()) << back.error;
  EXPECT_EQ(*back.config, c);

  // Equal thresholds (the start-up codes 0 and 0) cannot be typed, so a file
  // cannot hold them: the save says why and the old file stays.
  const std::string before = readText(path);
  StackConfig bad = c;
  bad.board[2].vuvCode = bad.board[2].vovCode = 0;
  const StackConfigFileResult r = writeStackConfigFile(path, bad);
  EXPECT_EQ(r.error, path + ": not saved, it could not be opened again: board 3 \"vuv\" and \"vov\": "
                            "VUV must be less than VOV (vuv 0.0, vov 0.0)");
  EXPECT_EQ(readText(path), before);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"rig.json"});
}

TEST(StackConfigFile, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  TempFolder folder;
  const std::string path = folder.file("rig.json");
  writeText(path, "old contents");
  // A file size limit makes the write fail part-way (as a full disk would).
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &old);
  rlimit limit{}, saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  limit.rlim_cur = 64;
  setrlimit(RLIMIT_FSIZE, &limit);
  const StackConfigFileResult r = writeStackConfigFile(path, varied());
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_EQ(r.error, path + ": File too large; the file is unchanged");
  EXPECT_EQ(readText(path), "old contents");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"rig.json"});

  EXPECT_NE(writeStackConfigFile(folder.file("missing/rig.json"), varied()).error.find("No such file or directory"),
            std::string::npos);
  // With room again, the new file replaces the old one whole.
  ASSERT_TRUE(writeStackConfigFile(path, varied()).ok());
  EXPECT_EQ(readText(path), stackConfigJson(varied()));
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read | std::filesystem::perms::others_read);
}

TEST(StackConfigFile, TheShippedExampleOpens) {
  const StackConfigFileResult r = readStackConfigFile(KESTRAV_SOURCE_DIR "/examples/stack-config.json");
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.config->boards, 3);
  EXPECT_EQ(r.config->addresses[2], "8F");
  EXPECT_EQ(r.config->board[1].discharge, std::set<int>{3});
  EXPECT_EQ(r.config->board[1].mask, (std::set<int>{11, 12}));
  EXPECT_EQ(r.config->board[2].vuvCode, 104);
}

}  // namespace
}  // namespace kestrav::config
