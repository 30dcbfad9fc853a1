#include "datalog/Setup.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <optional>
#include <string>

#include "datalog/Collection.h"
#include "display/CellStatus.h"
#include "display/ReadingDisplays.h"
#include "measure/Continuous.h"
#include "measure/Dispatcher.h"
#include "state/HexText.h"

namespace kestrav::datalog {

using context::MessageAnswer;
using context::MessageButtons;
using context::MessageIcon;
using context::Monitor;

namespace {

constexpr float kSecondsPerSample = 0.8f;  // one pass of the cycle per sample
constexpr int kStorePoints = state::SampleStore::kPoints - 1;  // points 1..1000

constexpr const char* kNewSetupTitle = "Create New Datalog Settings";
constexpr const char* kReadyText = "Click on OK button to begin data collection.";
constexpr const char* kReadyTitle = "Ready for data collection";
constexpr const char* kFileFilter = "Excel file (*.xls) |*.xls";

constexpr std::uint32_t kRunningLamp = 0x00FF00;
constexpr std::uint32_t kPausedLamp = 0x0000FF;
constexpr const char* kContinuousRunningCaption =
    "            STOP                    CONTINUOUS              READ CELLS";

// Buttons that would collide with the cycle: the conversion starts and the
// single-shot reads of cells, temperatures and flags.
constexpr int kCycleLockedButtons[] = {2, 7, 4, 9, 8};
constexpr int kContinuousButton = 10;
constexpr int kReadConfigButton = 6;
constexpr int kStartPauseButton = 11;
constexpr int kStopButton = 12;
constexpr int kViewButton = 13;
constexpr int kCellBroadcastBox = 2;         // STCVAD
constexpr int kTemperatureBroadcastBox = 4;  // STTMPAD

// The longest leading part of the text that reads as a decimal number
// (blanks before it skipped), or 0: "12s" -> 12, "abc" -> 0, "-2.5e1x" -> -25.
double leadingNumber(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  const std::size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t digitsFrom = i;
  while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
  std::size_t mantissaDigits = i - digitsFrom;
  if (i < n && text[i] == '.') {
    const std::size_t afterPoint = ++i;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    mantissaDigits += i - afterPoint;
  }
  if (mantissaDigits == 0) return 0.0;
  // An exponent counts only when at least one digit follows it.
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t expDigits = j;
    while (j < n && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
    if (j > expDigits) i = j;
  }
  // Read in the C locale whatever the user's locale: the decimal mark of
  // the input is always a point. Too large a number reads as infinity,
  // too small a one as (nearly) zero.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string number = text.substr(start, i - start);
  return strtod_l(number.c_str(), nullptr, cLocale);
}

// The sample count of an interval typed by the user: T (single precision)
// divided by the single-precision 0.8, rounded half to even. Nothing when
// the count does not fit a 16-bit signed integer.
std::optional<int> samplesFor(const std::string& answer) {
  const double typed = leadingNumber(answer);
  if (!std::isfinite(typed) || std::fabs(typed) > FLT_MAX) return std::nullopt;
  const float t = static_cast<float>(typed);
  const double rounded = std::nearbyint(static_cast<double>(t) / static_cast<double>(kSecondsPerSample));
  if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
  return static_cast<int>(rounded);
}

std::string seconds(float s) { return state::fixed(s, 3); }

// A new set-up given up on the way. A datalog already set up (collecting or
// paused) stays as it is, so that its samples can still be viewed or saved
// with STOP; otherwise there is no datalog.
void abandonSetup(Monitor& m) {
  if (m.datalog.DATACOLLECTflag != 1) m.datalog.DATACOLLECTflag = 0;
  SET_collect_BUTTONS(m);
}

void readyForCollection(Monitor& m) {
  m.datalog.DSETUPstamp = displayStamp(m.clock);
  m.desktop.messageBox(kReadyText, kReadyTitle, MessageButtons::OK, MessageIcon::Information, MessageAnswer::OK);
}

enum class IntervalOutcome { Accepted, AskAgain, Ended };

// One round of the interval prompt and the questions that follow it. The
// file and the interval stay candidates until the user answers Yes: a set-up
// given up anywhere leaves the accepted one, and the ring being collected
// with it, exactly as they were.
IntervalOutcome askInterval(Monitor& m, const std::string& candidateFile) {
  const std::string answer = m.desktop.inputBox(
      "Enter Time Interval in seconds (Note Cell Voltages are read every 800mS with this GUI):",
      "Time Interval For New Datalog Settings", "");
  if (answer.empty()) {
    abandonSetup(m);
    return IntervalOutcome::Ended;
  }
  const std::optional<int> counted = samplesFor(answer);
  if (!counted) {
    SET_collect_BUTTONS(m);  // too long for any datalog: given up quietly
    return IntervalOutcome::Ended;
  }
  const int samples = *counted;
  const float time = static_cast<float>(samples) * kSecondsPerSample;

  if (samples <= 0) {
    const MessageAnswer a =
        m.desktop.messageBox("The Time Interval of " + answer + " seconds is too low.",
                             "Low Time Interval For New Datalog Settings!", MessageButtons::OKCancel,
                             MessageIcon::Exclamation, MessageAnswer::OK);
    if (a == MessageAnswer::OK) return IntervalOutcome::AskAgain;
    abandonSetup(m);
    return IntervalOutcome::Ended;
  }
  if (samples > kStorePoints) {
    m.desktop.messageBox("The Time Interval of " + answer + " seconds needs " + std::to_string(samples) +
                             " samples, but a datalog holds at most " + std::to_string(kStorePoints) +
                             " samples. Enter at most " + seconds(kStorePoints * kSecondsPerSample) + " seconds.",
                         "High Time Interval For New Datalog Settings!", MessageButtons::OK,
                         MessageIcon::Exclamation, MessageAnswer::OK);
    return IntervalOutcome::AskAgain;
  }

  const MessageAnswer a = m.desktop.messageBox(
      "There will be " + std::to_string(samples) + " samples read for a datalogging time of " + seconds(time) +
          " seconds." + " Is this okay?",
      "New Datalog Setup", MessageButtons::YesNoCancel, MessageIcon::Question, MessageAnswer::Yes);
  if (a == MessageAnswer::No) return IntervalOutcome::AskAgain;
  if (a != MessageAnswer::Yes) {
    abandonSetup(m);
    return IntervalOutcome::Ended;
  }
  state::DatalogState& d = m.datalog;
  d.NewFile = candidateFile;
  d.SAMPLEpoints = samples;
  d.SAMPLEtime = time;
  d.DATACOLLECTflag = 1;
  d.SETpoint = samples;
  d.DATApoint = 1;
  SET_collect_BUTTONS(m);
  readyForCollection(m);
  START_DATAlog(m);
  SET_collect_BUTTONS(m);
  return IntervalOutcome::Accepted;
}

void setCycleControlsLocked(Monitor& m, bool locked) {
  context::MainWindowModel& ui = m.ui;
  for (int b : kCycleLockedButtons) ui.Command1[b].setEnabled(!locked);
  for (int box : {kCellBroadcastBox, kTemperatureBroadcastBox}) ui.Check5[box].setEnabled(!locked);
  for (int i = 1; i <= 3; ++i) ui.Label18[i].setEnabled(!locked);
}

}  // namespace

void mnuCreateNewSetup_Click(Monitor& m) {
  const MessageAnswer ok =
      m.desktop.messageBox("Is your current Configuration for each board okay for Datalogging?", kNewSetupTitle,
                           MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::No);
  if (ok != MessageAnswer::Yes) {
    m.desktop.messageBox("For each board, set the desired configuration for Datalogging first!", kNewSetupTitle,
                         MessageButtons::OK, MessageIcon::Exclamation, MessageAnswer::OK);
    abandonSetup(m);
    return;
  }
  // The dialog opens on its last file name: the last datalog written at
  // STOP, or the file chosen before.
  const std::optional<std::string> file = m.desktop.saveFileDialog(kFileFilter, m.ui.CommonDialog1.text());
  if (!file) {
    SET_collect_BUTTONS(m);
    return;
  }
  m.ui.CommonDialog1.setText(*file);
  while (askInterval(m, *file) == IntervalOutcome::AskAgain) {
  }
}

void mnuUsePreviousSetup_Click(Monitor& m) {
  state::DatalogState& d = m.datalog;
  const MessageAnswer a = m.desktop.messageBox(
      "Your Previous Setup uses " + std::to_string(d.SETpoint) + " samples read for a datalogging time of " +
          seconds(d.SAMPLEtime) + " seconds." + " Is this okay?",
      "Previous Datalog Setup", MessageButtons::YesNoCancel, MessageIcon::Question, MessageAnswer::Yes);
  if (a == MessageAnswer::Yes) {
    d.DATACOLLECTflag = 1;
    d.DATApoint = 1;
    SET_collect_BUTTONS(m);
    readyForCollection(m);
    START_DATAlog(m);
  } else if (a == MessageAnswer::No) {
    mnuCreateNewSetup_Click(m);
  } else {
    abandonSetup(m);
  }
  SET_collect_BUTTONS(m);
}

void START_DATAlog(Monitor& m) {
  CLEAR_DATAlog(m);
  // A fresh ring has not wrapped, whatever the datalog before it did.
  m.stack.CYCLEflag = 0;
  // Forced to 0 first, the toggle always lands on the running state.
  m.stack.OnOff = 0;
  measure::Command1_click(m, kStartPauseButton);
  m.ui.setFocus(m.ui.Command1[kStartPauseButton]);
  m.ui.mnuUsePreviousSetup.setEnabled(true);
}

void CLEAR_DATAlog(Monitor& m) {
  // Every point a ring may use, 1 .. SETpoint, of every board slot: a
  // shorter or smaller datalog before must leave nothing behind.
  state::DatalogState& d = m.datalog;
  const int lastPoint = d.SETpoint < kStorePoints ? d.SETpoint : kStorePoints;
  for (int point = 0; point <= lastPoint; ++point)
    for (int b = 0; b < state::SampleStore::kBoards; ++b)
      for (int c = 0; c < state::SampleStore::kColumns; ++c) d.DATAlog.at(b, c, point).clear();
  d.DATApoint = 1;
}

void SET_collect_BUTTONS(Monitor& m) {
  auto& buttons = m.ui.Command1;
  switch (m.datalog.DATACOLLECTflag) {
    case 1:
      buttons[kContinuousButton].setVisible(false);
      buttons[kStartPauseButton].setVisible(true);
      buttons[kStartPauseButton].setEnabled(true);
      buttons[kStopButton].setVisible(true);
      buttons[kViewButton].setVisible(true);
      break;
    case 0:
      buttons[kContinuousButton].setVisible(true);
      buttons[kStartPauseButton].setVisible(false);
      buttons[kStopButton].setVisible(false);
      buttons[kViewButton].setVisible(false);
      break;
    default:
      break;
  }
}

void DATALOGGING_cmd(Monitor& m) {
  state::BoardStack& s = m.stack;
  context::MainWindowModel& ui = m.ui;
  s.OnOff = s.OnOff == 1 ? 0 : s.OnOff + 1;
  if (s.OnOff == 1) {
    ui.Command1[kStartPauseButton].setCaption("PAUSE D-LOG");
    ui.Shape3.setFillColor(kRunningLamp);
    s.MEASUREflag = 0;
    s.SINGLESHOTflag = 0;
    measure::Check_AUTO_Click(m);
    for (int b : kCycleLockedButtons) ui.Command1[b].setEnabled(false);
    if (m.datalog.DATACOLLECTflag == 0) {
      ui.Command1[kReadConfigButton].setEnabled(true);
      // The cycle goes on as plain continuous measurement (after STOP): its
      // button must offer to stop it.
      ui.Command1[kContinuousButton].setCaption(kContinuousRunningCaption);
    } else if (m.datalog.DATACOLLECTflag == 1) {
      ui.Command1[kReadConfigButton].setEnabled(false);
    }
    s.BRDread = 0;
    // Conversions of a cycle go to every board at once.
    for (int box : {kCellBroadcastBox, kTemperatureBroadcastBox}) {
      ui.Check5[box].setValue(1);
      ui.Check5[box].setEnabled(false);
    }
    for (int i = 1; i <= 3; ++i) ui.Label18[i].setEnabled(false);
    measure::CLEAR_LOCAL_READINGS(m);
    s.PECflag = 0;
    display::CLEAR_PEC_DISPLAYS(m);
    display::SET_MCI_DCC_DISPLAY(m);
    display::DISPLAY_CELLstatus(m);
  } else {
    ui.Command1[kStartPauseButton].setCaption("START D-LOG");
    ui.Shape3.setFillColor(kPausedLamp);
    setCycleControlsLocked(m, false);
    ui.Command1[kReadConfigButton].setEnabled(true);
  }
}

}  // namespace kestrav::datalog
