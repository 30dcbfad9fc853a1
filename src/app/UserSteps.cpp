#include "app/UserSteps.h"

#include <array>
#include <charconv>

#include "config/Thresholds.h"
#include "measure/Dispatcher.h"
#include "state/ConfigBits.h"

namespace kestrav::app {

namespace {

constexpr int kKeyEnter = 13;
constexpr int kCdcDown = 0, kCdcUp = 1;
constexpr int kCdcModes = 8;
constexpr int kPerBoardOption = 0, kGlobalOption = 1;
constexpr int kVuvBox = 0, kVovBox = 1;
constexpr int kCell10Bit = 3, kLvlplBit = 4, kGpio1Bit = 5, kGpio2Bit = 6;

enum Button {
  kPollAdc = 0,
  kPollInt = 1,
  kStartCells = 2,
  kStartOpenWire = 3,
  kStartTemps = 4,
  kWriteConfig = 5,
  kReadConfig = 6,
  kReadCells = 7,
  kReadFlags = 8,
  kReadTemps = 9,
  kContinuous = 10,
  kStartPause = 11,
  kView = 13,
};

bool press(Monitor& m, int button) {
  context::Control& c = m.ui.Command1[button];
  if (!c.visible() || !c.enabled()) return false;
  c.raiseClick();
  return true;
}

// A check box shows `on` after the step; a click only where it changes.
void tick(context::Control& box, bool on) {
  if ((box.value() != 0) != on) box.setValue(on ? 1 : 0);
}

std::array<context::Control, 8>& row(Monitor& m, int reg) {
  switch (reg) {
    case 0:
      return m.ui.Check0;
    case 1:
      return m.ui.Check1;
    case 2:
      return m.ui.Check2;
    default:
      return m.ui.Check3;
  }
}

// DCC1..8 are CFGR1 bits 0..7, DCC9..12 CFGR2 bits 0..3; MCI1..4 are CFGR2
// bits 4..7, MCI5..12 CFGR3 bits 0..7.
// The box of a cell's bit, `where` giving the register and bit of cell 1..12.
void setCellBox(Monitor& m, int cell, bool on, state::RegisterBit (*where)(int)) {
  if (cell < 1 || cell > 12) return;
  const state::RegisterBit b = where(cell);
  setConfigBox(m, b.reg, b.bit, on);
}

}  // namespace

void chooseBoards(Monitor& m, int boards) {
  if (boards < 1 || boards > static_cast<int>(m.ui.Command4.size())) return;
  m.ui.Combo1.setListIndex(boards - 1);
}

bool selectBoard(Monitor& m, int index) {
  if (index < 0 || index >= static_cast<int>(m.ui.Command4.size())) return false;
  context::Control& button = m.ui.Command4[index];
  if (!button.visible() || !button.enabled()) return false;
  button.raiseClick();
  return true;
}

void chooseAddress(Monitor& m, int lowDigit) {
  if (lowDigit < 0 || lowDigit > 15) return;
  m.ui.Combo2.setListIndex(lowDigit);
}

void setConfigBox(Monitor& m, int reg, int bit, bool on) {
  if (reg < 0 || reg > 3 || bit < 0 || bit > 7) return;
  tick(row(m, reg)[bit], on);
}

void chooseCdc(Monitor& m, int mode) {
  if (mode < 0 || mode >= kCdcModes) return;
  int& now = m.stack.board[m.stack.BRDnumber].CDCmode;
  const int upSteps = (mode - now + kCdcModes) % kCdcModes;
  const int button = upSteps <= kCdcModes / 2 ? kCdcUp : kCdcDown;
  for (int i = 0; i < kCdcModes && now != mode; ++i) m.ui.Command0[button].raiseClick();
}

void setCell10(Monitor& m, bool on) { setConfigBox(m, 0, kCell10Bit, on); }
void setLvlpl(Monitor& m, bool on) { setConfigBox(m, 0, kLvlplBit, on); }
void setGpio1(Monitor& m, bool on) { setConfigBox(m, 0, kGpio1Bit, on); }
void setGpio2(Monitor& m, bool on) { setConfigBox(m, 0, kGpio2Bit, on); }
void setDischarge(Monitor& m, int cell, bool on) { setCellBox(m, cell, on, &state::dischargeBit); }
void setMask(Monitor& m, int cell, bool on) { setCellBox(m, cell, on, &state::maskBit); }

void chooseThresholdScope(Monitor& m, bool global) {
  m.ui.Option1[global ? kGlobalOption : kPerBoardOption].setValue(1);
}

void typeThreshold(Monitor& m, int box, const std::string& text) {
  if (box != kVuvBox && box != kVovBox) return;
  context::Control& c = m.ui.Text2[box];
  m.ui.setFocus(c);
  for (const char ch : text) c.typeKey(static_cast<unsigned char>(ch));
  c.typeKey(kKeyEnter);
}

void typeThresholds(Monitor& m, const std::string& vuv, const std::string& vov) {
  // The box that loses focus is judged against the value the other box
  // shows, which is the selected board's kept code.
  const int keptVuv = m.stack.board[m.stack.BRDnumber].VUVcode;
  if (config::thresholdCode(config::leadingNumber(vov)) > keptVuv) {
    typeThreshold(m, kVovBox, vov);
    typeThreshold(m, kVuvBox, vuv);
  } else {
    typeThreshold(m, kVuvBox, vuv);
    typeThreshold(m, kVovBox, vov);
  }
}

const char* enterThresholds(Monitor& m, float vuv, float vov) {
  if (const char* fault = config::thresholdPairFault(vuv, vov)) return fault;
  typeThresholds(m, thresholdText(vuv), thresholdText(vov));
  return nullptr;
}

std::string thresholdText(float volts) {
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, volts, std::chars_format::fixed);
  if (ec != std::errc()) return {};
  return std::string(buffer, end);
}

void setBroadcast(Monitor& m, int command, bool on) {
  if (command < 0 || command >= static_cast<int>(m.ui.Check5.size())) return;
  tick(m.ui.Check5[command], on);
}

void setPecMatchOnly(Monitor& m, bool on) { tick(m.ui.Check_AUTO, on); }

bool pollAdc(Monitor& m) { return press(m, kPollAdc); }
bool pollInt(Monitor& m) { return press(m, kPollInt); }
bool startCells(Monitor& m) { return press(m, kStartCells); }
bool startOpenWire(Monitor& m) { return press(m, kStartOpenWire); }
bool startTemps(Monitor& m) { return press(m, kStartTemps); }
bool writeConfig(Monitor& m) { return press(m, kWriteConfig); }
bool readConfig(Monitor& m) { return press(m, kReadConfig); }
bool readCells(Monitor& m) { return press(m, kReadCells); }
bool readFlags(Monitor& m) { return press(m, kReadFlags); }
bool readTemps(Monitor& m) { return press(m, kReadTemps); }
bool toggleContinuous(Monitor& m) { return press(m, kContinuous); }

bool createSetup(Monitor& m) {
  m.ui.mnuCreateNewSetup.raiseClick();
  return !m.ended() && m.datalog.DATACOLLECTflag == 1 && m.stack.OnOff == 1;
}

void restartCollection(Monitor& m) { m.ui.Command1[kStartPause].raiseClick(); }

void exportRing(Monitor& m) { measure::Command1_click(m, kView); }

}  // namespace kestrav::app
