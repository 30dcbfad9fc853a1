#include <gtest/gtest.h>

#include "link/BridgeLink.h"
#include "support/ScriptedPort.h"

namespace kestrav::link {
namespace {

using test::PortScript;
using test::scriptedPort;

TEST(BridgeLink, EveryTransactionOpensSetsTimeoutsWritesReadsAndCloses) {
  auto script = std::make_shared<PortScript>();
  BridgeLink link(scriptedPort(script));
  link.identify();
  link.send("MSxS10X");
  script->replies.push_back("FFFFE00000000000A1");
  link.read(ReadCommand::RDCFG, "MSxT81T02RRRRRRRX");
  const std::vector<std::string> expected = {
      "open", "timeouts 200/50",   "write IZ",     "read 50",       "close",
      "open", "timeouts 1000/1000", "write MSxS10X", "close",
      "open", "timeouts 1000/1000", "write MSxT81T02RRRRRRRX", "read 18", "close"};
  EXPECT_EQ(script->ops, expected);
}

TEST(BridgeLink, AWriteTakesTheAnswersToItsTTokensSoTheNextReadStartsClean) {
  auto script = std::make_shared<PortScript>();
  script->responder = [](const std::string& cmd) {
    return cmd.find('R') == std::string::npos ? std::string("FFFF") : std::string("8102E00000000000A1");
  };
  BridgeLink link(scriptedPort(script));
  link.send("MSxT81T01SE0S00S00S00S00S00X");
  EXPECT_EQ(script->ops, (std::vector<std::string>{"open", "timeouts 1000/1000",
                                                   "write MSxT81T01SE0S00S00S00S00S00X", "read 4", "close"}));
  link.send("MSxT01SE0S00S00S00S00S00X");
  EXPECT_EQ(script->ops[8], "read 2");
  link.read(ReadCommand::RDCFG, "MSxT81T02RRRRRRRX");
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), "8102E00000000000A1");
}

TEST(BridgeLink, IdentificationUsesAFreshBufferEveryTime) {
  auto script = std::make_shared<PortScript>();
  BridgeLink link(scriptedPort(script));
  script->identity = "KESTRAV-2 BRIDGE V1";
  std::string id = link.identify();
  EXPECT_EQ(id.size(), kIdentifyBufferSize);
  EXPECT_EQ(id.substr(0, 9), "KESTRAV-2");
  script->identity = "KES";
  id = link.identify();
  EXPECT_EQ(id.substr(0, 9), "KES      ");  // nothing of the previous answer survives
  script->unplugged = true;
  EXPECT_EQ(link.identify().substr(0, 9), "         ");
}

TEST(BridgeLink, AReadReplacesOnlyThePrefixThatArrived) {
  auto script = std::make_shared<PortScript>();
  BridgeLink link(scriptedPort(script));
  // Before any reply the buffer holds no hex digit.
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), std::string(18, ' '));

  script->replies.push_back("FFFFE00000000000A1");
  EXPECT_EQ(link.read(ReadCommand::RDCFG, "MSxT81T02RRRRRRRX"), 18u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), "FFFFE00000000000A1");

  script->replies.push_back("8102E81111");  // stops after 10 characters
  EXPECT_EQ(link.read(ReadCommand::RDCFG, "MSxT81T02RRRRRRRX"), 10u);
  EXPECT_EQ(link.lastReceived(ReadCommand::RDCFG), 10u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), "8102E81111" "000000A1");

  // An unplugged bridge leaves the buffer as it was.
  script->unplugged = true;
  EXPECT_EQ(link.read(ReadCommand::RDCFG, "MSxT81T02RRRRRRRX"), 0u);
  EXPECT_EQ(link.reply(ReadCommand::RDCFG), "8102E81111000000A1");
  // Each command keeps its own buffer.
  EXPECT_EQ(link.reply(ReadCommand::RDFLG), std::string(12, ' '));
}

TEST(BridgeLink, ALongerAnswerNeverOverrunsTheBuffer) {
  auto script = std::make_shared<PortScript>();
  BridgeLink link(scriptedPort(script));
  script->replies.push_back(std::string(100, 'A'));
  EXPECT_EQ(link.read(ReadCommand::RDFLG, "MSxT81T06RRRRX"), 12u);
  EXPECT_EQ(link.reply(ReadCommand::RDFLG), std::string(12, 'A'));
  script->identity = std::string(500, 'K');
  EXPECT_EQ(link.identify(), std::string(50, 'K') + std::string(78, ' '));
}

}  // namespace
}  // namespace kestrav::link
