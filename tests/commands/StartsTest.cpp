#include <gtest/gtest.h>

#include "commands/Starts.h"
#include "support/MonitorFixture.h"

namespace kestrav::commands {
namespace {

using test::MonitorFixture;

TEST(Starts, TakeTheSelectedBoardsChoiceAndAddressEvenDuringACycle) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  m.ui.Combo1.setListIndex(9);
  m.ui.Command4[3].raiseClick();
  f.script->written.clear();
  STOWAD_BROADCAST(m);
  m.ui.Check5[3].setValue(1);
  STOWAD_BROADCAST(m);
  EXPECT_EQ(f.script->written, (std::vector<std::string>{"MSxS84S20X", "MSxS20X"}));

  m.ui.Command4[0].raiseClick();
  m.stack.OnOff = 1;
  m.stack.BRDread = 5;
  f.script->written.clear();
  STCVAD_BROADCAST(m);
  STTMPAD_BROADCAST(m);
  PLADC_BROADCAST(m);
  PLINT_BROADCAST(m);
  EXPECT_EQ(f.script->written,
            (std::vector<std::string>{"MSxS81S10X", "MSxS81S30X", "MSxS81S40X", "MSxS81S50X"}));
}

TEST(Starts, OnlyCellConversionStartsClearTheCellsReadFlag) {
  MonitorFixture f;
  context::Monitor& m = f.start();
  for (auto start : {&STTMPAD_BROADCAST, &PLADC_BROADCAST, &PLINT_BROADCAST}) {
    m.stack.RDCVflag = 1;
    start(m);
    EXPECT_EQ(m.stack.RDCVflag, 1);
  }
  for (auto start : {&STCVAD_BROADCAST, &STOWAD_BROADCAST}) {
    m.stack.RDCVflag = 1;
    start(m);
    EXPECT_EQ(m.stack.RDCVflag, 0);
  }
  // Every start is one complete write-only transaction.
  EXPECT_EQ(f.script->ops.back(), "close");
  EXPECT_EQ(f.script->ops[f.script->ops.size() - 2].rfind("write ", 0), 0u);
}

}  // namespace
}  // namespace kestrav::commands
