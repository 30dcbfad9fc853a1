#include "config/StackConfig.h"

#include "state/ConfigBits.h"
#include "state/HexText.h"

namespace kestrav::config {

namespace {

void setBit(Registers& r, state::RegisterBit at, bool on) {
  if (on) r[at.reg] = static_cast<std::uint8_t>(r[at.reg] | (1u << at.bit));
}
bool bitOf(const Registers& r, state::RegisterBit at) { return ((r[at.reg] >> at.bit) & 1u) != 0; }

}  // namespace

Registers packRegisters(const BoardConfig& b) {
  Registers r{};
  r[0] = static_cast<std::uint8_t>(b.cdc & state::kCdcMask);
  setBit(r, {0, state::kCell10Bit}, b.cell10);
  setBit(r, {0, state::kLvlplBit}, b.lvlpl);
  setBit(r, {0, state::kGpio1Bit}, b.gpio1);
  setBit(r, {0, state::kGpio2Bit}, b.gpio2);
  setBit(r, {0, state::kSpareBit}, b.spare);
  for (int cell : b.discharge) setBit(r, state::dischargeBit(cell), true);
  for (int cell : b.mask) setBit(r, state::maskBit(cell), true);
  r[state::kVuvRegister] = static_cast<std::uint8_t>(b.vuvCode);
  r[state::kVovRegister] = static_cast<std::uint8_t>(b.vovCode);
  return r;
}

BoardConfig unpackRegisters(const Registers& r) {
  BoardConfig b;
  b.cdc = r[0] & state::kCdcMask;
  b.cell10 = bitOf(r, {0, state::kCell10Bit});
  b.lvlpl = bitOf(r, {0, state::kLvlplBit});
  b.gpio1 = bitOf(r, {0, state::kGpio1Bit});
  b.gpio2 = bitOf(r, {0, state::kGpio2Bit});
  b.spare = bitOf(r, {0, state::kSpareBit});
  for (int cell = 1; cell <= state::kCellsPerBoard; ++cell) {
    if (bitOf(r, state::dischargeBit(cell))) b.discharge.insert(cell);
    if (bitOf(r, state::maskBit(cell))) b.mask.insert(cell);
  }
  b.vuvCode = r[state::kVuvRegister];
  b.vovCode = r[state::kVovRegister];
  return b;
}

Registers preparedRegisters(const context::Monitor& m, int index) {
  const state::BoardRecord& rec = m.stack.board[index];
  Registers r{};
  for (int k = 0; k < 4; ++k) r[k] = static_cast<std::uint8_t>(state::leadingHexValue(rec.CFGRset[k]));
  // The selected board's CDC boxes are on screen as they stand (a user may
  // have clicked them directly); any other board's follow its CDCmode.
  if (index != m.stack.BRDnumber)
    r[0] = static_cast<std::uint8_t>((r[0] & ~state::kCdcMask) | (rec.CDCmode & state::kCdcMask));
  r[state::kVuvRegister] = static_cast<std::uint8_t>(rec.VUVcode);
  r[state::kVovRegister] = static_cast<std::uint8_t>(rec.VOVcode);
  return r;
}

StackConfig preparedStackConfig(const context::Monitor& m) {
  const state::BoardStack& s = m.stack;
  StackConfig c;
  c.boards = s.CARDSTACK + 1;
  for (int b = 0; b < state::kBoards; ++b) c.addresses[b] = s.board[b].BRDaddress;
  for (int i = 0; i < state::kBroadcastables; ++i) c.broadcast[i] = m.ui.Check5[i].value() == 1;
  c.pecMatchOnly = m.ui.Check_AUTO.value() == 1;
  c.globalThresholds = m.ui.Option1[1].value() == 1;
  for (int b = 0; b <= s.CARDSTACK; ++b) c.board.push_back(unpackRegisters(preparedRegisters(m, b)));
  return c;
}

}  // namespace kestrav::config
