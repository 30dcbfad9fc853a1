#pragma once
// A stack's prepared configuration as one value: what a configuration file
// holds, what Save collects from the window's boxes and what Open types
// back into them.

#include <array>
#include <cstdint>
#include <set>
#include <vector>

#include "context/Monitor.h"
#include "state/BoardStack.h"

namespace kestrav::config {

using Registers = std::array<std::uint8_t, 6>;  // CFGR0..CFGR5

struct BoardConfig {
  int cdc = 0;  // comparator duty cycle 0..7
  bool cell10 = false;
  bool lvlpl = false;
  bool gpio1 = true;
  bool gpio2 = true;
  bool spare = true;         // CFGR0 bit 7, unused by the chip; only in "cfgr"
  std::set<int> discharge;   // cells 1..12 whose discharge switch is on
  std::set<int> mask;        // cells 1..12 whose interrupt is masked
  int vuvCode = 0;           // 0..255, steps of 0.024 V
  int vovCode = 0;

  bool operator==(const BoardConfig&) const = default;
};

struct StackConfig {
  int boards = 1;  // 1..10
  // Every position's address, as BRDaddress holds it ("81"), boards beyond
  // the stack included: they keep theirs when the stack grows again.
  std::array<std::string, state::kBoards> addresses;
  // By state::Broadcastable: PLADC, PLINT, STCVAD, STOWAD, STTMPAD, WRCFG.
  std::array<bool, state::kBroadcastables> broadcast{};
  bool pecMatchOnly = true;
  bool globalThresholds = true;  // GLOBAL VUV, VOV; false: per board
  std::vector<BoardConfig> board;  // one per board of the stack

  bool operator==(const StackConfig&) const = default;
};

// The register bytes the chip gets for a board's settings.
Registers packRegisters(const BoardConfig& b);
// The settings a board's register bytes stand for.
BoardConfig unpackRegisters(const Registers& r);

// What is prepared in the window: the stack size, every address, the
// broadcast boxes, "PEC Match Only", the threshold option and, for each
// board of the stack, the configuration its boxes show when it is selected
// (and so what WRITE CONFIG sends for it).
StackConfig preparedStackConfig(const context::Monitor& m);

// The registers board `index`'s boxes show when it is selected: CFGRset,
// with the duty cycle from its CDCmode (selecting a board sets the CDC
// boxes from it) and the thresholds from its codes (selecting a board
// rewrites CFGR4 and CFGR5 from them, whatever a global write copied in).
Registers preparedRegisters(const context::Monitor& m, int index);

}  // namespace kestrav::config
