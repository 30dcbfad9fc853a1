// The rules of the view that need no window: how captions are split for
// display, the command line, the save dialog's filter and the refusal line.

#include <gtest/gtest.h>

#include "context/MainWindowModel.h"
#include "gui/CommandLine.h"
#include "gui/FileFilter.h"
#include "gui/LabelText.h"
#include "gui/PortChoice.h"

namespace kestrav::gui {
namespace {

using Strings = std::vector<std::string>;

TEST(CaptionDisplay, LongBlankRunsBreakLinesAndShortOnesStay) {
  const context::MainWindowModel ui;
  EXPECT_EQ(breakSpaceRuns(ui.Command1[10].caption()), "START\nCONTINUOUS\nREAD CELLS");
  EXPECT_EQ(breakSpaceRuns("            STOP                    CONTINUOUS              READ CELLS"),
            "STOP\nCONTINUOUS\nREAD CELLS");
  EXPECT_EQ(breakSpaceRuns(ui.Label3[1].caption()), "Enter VOV  Overvoltage\n0.000V to\n6.120V");
  EXPECT_EQ(breakSpaceRuns("BRD# 1    0x81"), "BRD# 1\n0x81");
  EXPECT_EQ(breakSpaceRuns("BRD#10   0x8A"), "BRD#10\n0x8A");
  EXPECT_EQ(breakSpaceRuns("B O A R D # 1 "), "B O A R D # 1");
  EXPECT_EQ(breakSpaceRuns("CUSTOM  BOARD # 1"), "CUSTOM  BOARD # 1");
  EXPECT_EQ(breakSpaceRuns(""), "");
  EXPECT_EQ(breakSpaceRuns("     "), "");
}

TEST(CaptionDisplay, OverviewLegendsHaveOneEntryPerRow) {
  const context::MainWindowModel ui;
  const Strings cells = rowLegendTokens(ui.Label9[0].caption());
  ASSERT_EQ(cells.size(), 12u);
  EXPECT_EQ(cells.front(), "CELL12");
  EXPECT_EQ(cells[3], "CELL 9");
  EXPECT_EQ(cells.back(), "CELL 1");
  const Strings marks = rowLegendTokens(ui.Label9[1].caption());
  ASSERT_EQ(marks.size(), 13u);
  EXPECT_EQ(marks[0], "PEC");
  EXPECT_EQ(marks[1], "C12");
  EXPECT_EQ(marks[4], "C 9");
  EXPECT_EQ(marks.back(), "C 1");
}

TEST(CaptionDisplay, ColumnHeadingsHaveATitleAndOneEntryPerBoard) {
  const context::MainWindowModel ui;
  const Strings boards = wordTokens(ui.Label12.caption());
  ASSERT_EQ(boards.size(), 11u);
  EXPECT_EQ(boards[0], "BOARDS");
  EXPECT_EQ(boards[10], "10");
  EXPECT_EQ(wordTokens("BOARD#   1      2"), (Strings{"BOARD#", "1", "2"}));
  const Strings addresses = wordTokens(ui.Label15.caption());
  ASSERT_EQ(addresses.size(), 11u);
  EXPECT_EQ(addresses[1], "81");
  EXPECT_EQ(addresses[10], "8A");
}

TEST(CaptionDisplay, PipeHeadingsLoseTheirSeparators) {
  const context::MainWindowModel ui;
  EXPECT_EQ(pipeTokens(ui.Label5[1].caption()),
            (Strings{"CONFIGURATION WRITTEN TO KESTRAV", "CFGR0", "CFGR1", "CFGR2", "CFGR3", "CFGR4", "CFGR5"}));
  EXPECT_EQ(pipeTokens(ui.Label4.caption()).size(), 4u);
  EXPECT_EQ(pipeTokens(ui.Label4.caption())[0], "CDC");
  EXPECT_EQ(pipeTokens(ui.Label8[0].caption()), (Strings{"KESTRAV", "CALC"}));
  EXPECT_EQ(pipeTokens(ui.Label2[2].caption()), (Strings{"FLGR2"}));
  EXPECT_TRUE(pipeTokens("").empty());
}

TEST(CaptionDisplay, DutyCycleDescriptionsSplitIntoTwoRowsOfThreeCells) {
  // Row 1 and row 2 of a mode, written straight after one another.
  const std::string mode0 =
      "|     Comparator Off     |                 Yes                |                   N/A                  | "
      "|      Standby Mode      |                                        |                                           |  ";
  EXPECT_EQ(pipeTableCells(mode0), (Strings{"Comparator Off", "Yes", "N/A", "Standby Mode", "", ""}));
  const std::string mode1 =
      "|     Comparator Off    |                 No                  |                   12mS                | "
      "|      Monitor Mode       |                                       |           (Cell Voltage)           |  ";
  EXPECT_EQ(pipeTableCells(mode1), (Strings{"Comparator Off", "No", "12mS", "Monitor Mode", "", "(Cell Voltage)"}));
  const std::string mode4 =
      "|              500mS              |                 No                  |                   12mS            | "
      "|                                       |                                       |                                        |  ";
  EXPECT_EQ(pipeTableCells(mode4), (Strings{"500mS", "No", "12mS", "", "", ""}));
  EXPECT_TRUE(pipeTableCells("").empty());
}

TEST(CommandLine, ChoosesTheBridge) {
  CommandLine c = parseCommandLine({});
  EXPECT_EQ(c.action, Action::Run);
  EXPECT_EQ(c.options.port, PortKind::Ftdi);

  c = parseCommandLine({"--port", "/dev/ttyUSB0"});
  EXPECT_EQ(c.options.port, PortKind::Serial);
  EXPECT_EQ(c.options.path, "/dev/ttyUSB0");
  EXPECT_EQ(c.options.baud, 115200);

  c = parseCommandLine({"--port=/dev/pts/7", "--baud", "9600"});
  EXPECT_EQ(c.action, Action::Run);
  EXPECT_EQ(c.options.path, "/dev/pts/7");
  EXPECT_EQ(c.options.baud, 9600);

  c = parseCommandLine({"--simulate"});
  EXPECT_EQ(c.options.port, PortKind::Simulator);
  EXPECT_EQ(c.options.boards, 10);
  EXPECT_EQ(parseCommandLine({"--simulate=3"}).options.boards, 3);

  EXPECT_EQ(parseCommandLine({"--port", "x", "--help"}).action, Action::Help);
  EXPECT_EQ(parseCommandLine({"--version"}).action, Action::Version);
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  for (const Strings& args : {Strings{"--bogus"}, Strings{"/dev/ttyUSB0"}, Strings{"--port"}, Strings{"--port="},
                              Strings{"--simulate=0"}, Strings{"--simulate=16"}, Strings{"--simulate=two"},
                              Strings{"--simulate", "3"}, Strings{"--baud", "9600"},
                              Strings{"--port", "p", "--baud", "fast"}, Strings{"--port", "p", "--baud", "-1"},
                              Strings{"--port", "p", "--baud", "12345"}, Strings{"--port", "p", "--simulate"}}) {
    const CommandLine c = parseCommandLine(args);
    EXPECT_EQ(c.action, Action::Error) << args[0] << (args.size() > 1 ? " " + args[1] : "");
    EXPECT_FALSE(c.error.empty());
  }
}

// The next option is never taken for a missing value.
TEST(CommandLine, AnOptionInPlaceOfAValueIsAMissingValue) {
  for (const Strings& args : {Strings{"--port", "--simulate"}, Strings{"--port=--simulate"},
                              Strings{"--port", "--help"}, Strings{"--port", "p", "--baud", "--simulate"},
                              Strings{"--port", "p", "--baud=--9600"}}) {
    const CommandLine c = parseCommandLine(args);
    EXPECT_EQ(c.action, Action::Error) << args[0] << " " << args.back();
    const std::string option = args.size() == 4 || args.back().rfind("--baud", 0) == 0 ? "--baud" : "--port";
    EXPECT_EQ(c.error.rfind(option + " needs", 0), 0u) << c.error;
    EXPECT_EQ(c.error.find('\n'), std::string::npos);
  }
}

TEST(SaveDialogFilter, DescriptionAndPatternPairs) {
  FileFilter f = parseFileFilter("Excel file (*.xls) |*.xls");
  EXPECT_EQ(f.nameFilters, (Strings{"Excel file (*.xls)"}));
  EXPECT_EQ(f.suffix, "xls");

  f = parseFileFilter("Workbook|*.xls|All files|*.*");
  EXPECT_EQ(f.nameFilters, (Strings{"Workbook (*.xls)", "All files (*.*)"}));
  EXPECT_EQ(f.suffix, "xls");

  f = parseFileFilter("All files|*.*");
  EXPECT_EQ(f.suffix, "");
}

TEST(SaveDialogFilter, ChosenPathGetsTheEndingOnce) {
  EXPECT_EQ(withSuffix("/tmp/run1", "xls"), "/tmp/run1.xls");
  EXPECT_EQ(withSuffix("/tmp/run1.xls", "xls"), "/tmp/run1.xls");
  EXPECT_EQ(withSuffix("/tmp/RUN1.XLS", "xls"), "/tmp/RUN1.XLS");
  EXPECT_EQ(withSuffix("/tmp/run1.xlsx", "xls"), "/tmp/run1.xlsx.xls");
  EXPECT_EQ(withSuffix("/tmp/run1", ""), "/tmp/run1");
}

TEST(RefusalLine, NamesThePortAndTheNineCharacters) {
  EXPECT_EQ(refusalLine("kestrav-gui", "/dev/pts/3", "KESTRAV-3"),
            "kestrav-gui: the bridge on /dev/pts/3 answered \"KESTRAV-3\" instead of \"KESTRAV-2\"");
  EXPECT_EQ(refusalLine("kestrav-gui", "FTDI device 0", "         "),
            "kestrav-gui: the bridge on FTDI device 0 did not answer (received \"         \" instead of \"KESTRAV-2\")");
  const std::string line = refusalLine("kestrav-gui", "p", std::string("KES\0\r\n\"\\x", 9));
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_NE(line.find("KES\\x00\\x0D\\x0A\\x22\\x5Cx"), std::string::npos) << line;
}

}  // namespace
}  // namespace kestrav::gui
