#pragma once
// What a user does in the main window, done through the window model so
// that the very handlers of the window run: the clicks on buttons, check
// boxes, option buttons and lists, and the threshold boxes typed key by
// key. The window's configuration files, kestrav-log and the headless
// session all drive the stack through these steps, so each exists once.
//
// A step acts on the selected board where the window's control does.
// Steps that press a button return false when the button is hidden or
// disabled at that moment (the user could not press it) and do nothing.

#include <string>

#include "context/Monitor.h"

namespace kestrav::app {

using context::Monitor;

// --- Stack and board choice ---------------------------------------------
// Chooses "N" in Combo1 (1..10 boards).
void chooseBoards(Monitor& m, int boards);
// Clicks the button of board `index` (0..9).
bool selectBoard(Monitor& m, int index);
// Chooses the selected board's address "8k" in Combo2 (k = 0..15).
void chooseAddress(Monitor& m, int lowDigit);

// --- Configuration bits of the selected board ---------------------------
// Ticks or clears box `bit` (0..7) of register row `reg` (0..3: Check0..3);
// a box that already shows the value is left alone, as a user would.
void setConfigBox(Monitor& m, int reg, int bit, bool on);
// Steps the comparator duty cycle with the arrow buttons until it is `mode`
// (0..7), by the shorter way round.
void chooseCdc(Monitor& m, int mode);
void setCell10(Monitor& m, bool on);  // CFGR0 bit 3: ten-cell reading
void setLvlpl(Monitor& m, bool on);   // CFGR0 bit 4: level poll
void setGpio1(Monitor& m, bool on);   // CFGR0 bit 5: Hi-Z
void setGpio2(Monitor& m, bool on);   // CFGR0 bit 6: Hi-Z
// Cell 1..12: its discharge switch (DCC) or its interrupt mask (MCI).
void setDischarge(Monitor& m, int cell, bool on);
void setMask(Monitor& m, int cell, bool on);

// --- Thresholds ----------------------------------------------------------
// The VUV/VOV option: false "CUSTOM BOARD # n" (the selected board only),
// true "GLOBAL VUV,  VOV" (every board of the stack).
void chooseThresholdScope(Monitor& m, bool global);
// Box 0 (VUV) or 1 (VOV): focus, every character typed as a key the box's
// filter judges, then Enter, which applies the value as leaving the box does.
void typeThreshold(Monitor& m, int box, const std::string& text);
// Both boxes typed in the order they accept: VOV first when the new VOV
// stays above the VUV now kept (it rises), VUV first otherwise (it falls),
// so any valid pair is reached from any previous one.
void typeThresholds(Monitor& m, const std::string& vuv, const std::string& vov);
// The same in volts for the scope chosen: checked first by the boxes' own
// rule; a pair they would refuse changes nothing and gives the window's
// message. nullptr once both codes are kept.
const char* enterThresholds(Monitor& m, float vuv, float vov);
// The text typed for `volts`: the shortest digits that give back the same
// single-precision value (the boxes read single precision), no exponent.
std::string thresholdText(float volts);

// --- Broadcast choices and "PEC Match Only" -------------------------------
// Check5(command): 0 PLADC, 1 PLINT, 2 STCVAD, 3 STOWAD, 4 STTMPAD, 5 WRCFG.
void setBroadcast(Monitor& m, int command, bool on);
void setPecMatchOnly(Monitor& m, bool on);

// --- The command buttons --------------------------------------------------
bool pollAdc(Monitor& m);        // "POLL ADC"
bool pollInt(Monitor& m);        // "POLL INT"
bool startCells(Monitor& m);     // "STARTCELLVOLT"
bool startOpenWire(Monitor& m);  // "START OPENWIRE"
bool startTemps(Monitor& m);     // "START TEMP"
bool writeConfig(Monitor& m);    // "WRITE CONFIG"
bool readConfig(Monitor& m);     // "READ CONFIG"
bool readCells(Monitor& m);      // "READCELLVOLT"
bool readFlags(Monitor& m);      // "READ FLAG"
bool readTemps(Monitor& m);      // "READ TEMP"
bool toggleContinuous(Monitor& m);  // "START CONTINUOUS READ CELLS"

// --- Datalog ---------------------------------------------------------------
// Datalog > Create New Setup; the desktop answers its dialogs. True when
// collection runs afterwards.
bool createSetup(Monitor& m);
// START D-LOG after a read gave up and stopped the cycle.
void restartCollection(Monitor& m);
// The VIEW button's export of the ring to the set-up's workbook. Runs also
// once the program has ended (the save before the end).
void exportRing(Monitor& m);

}  // namespace kestrav::app
