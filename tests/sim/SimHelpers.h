#pragma once
// Building bridge strings and taking the simulator's replies apart, for the
// simulator tests. The host's own command strings are not used here on
// purpose: these tests pin the bridge down independently of the host code.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "link/Crc8.h"
#include "sim/Registers.h"
#include "sim/Simulator.h"

namespace kestrav::sim::testing {

inline std::string hex2(int b) {
  char buf[3];
  std::snprintf(buf, sizeof buf, "%02X", b & 0xFF);
  return buf;
}

// "MSxT" aa "T" cc, one "R" per register byte and one for the PEC, "X".
inline std::string readFrame(int address, int command) {
  return "MSxT" + hex2(address) + "T" + hex2(command) + std::string(readRegisterCount(static_cast<std::uint8_t>(command)) + 1, 'R') + "X";
}

inline std::string startFrame(int command) { return "MSxS" + hex2(command) + "X"; }
inline std::string startFrame(int address, int command) { return "MSxS" + hex2(address) + "S" + hex2(command) + "X"; }

// address < 0: broadcast.
inline std::string writeFrame(int address, const ConfigRegs& cfg) {
  std::string s = address < 0 ? "MSxT01" : "MSxT" + hex2(address) + "T01";
  for (std::uint8_t b : cfg) s += "S" + hex2(b);
  return s + "X";
}

struct ReadReply {
  std::string text;                  // as the bridge answered
  std::vector<std::uint8_t> regs;    // register bytes (characters 5 on)
  std::uint8_t pec = 0;              // the chip's PEC (last pair)
  bool complete = false;             // exactly the expected length
  bool pecOk() const { return complete && link::crc8(regs.data(), regs.size()) == pec; }
};

inline ReadReply parseRead(const std::string& text, int registers) {
  ReadReply r;
  r.text = text;
  r.complete = text.size() == static_cast<std::size_t>(4 + 2 * (registers + 1));
  if (!r.complete) return r;
  for (int i = 0; i < registers; ++i) r.regs.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(4 + 2 * i, 2), nullptr, 16)));
  r.pec = static_cast<std::uint8_t>(std::stoi(text.substr(text.size() - 2), nullptr, 16));
  return r;
}

inline ReadReply read(Simulator& sim, int address, int command) {
  return parseRead(sim.process(readFrame(address, command)), readRegisterCount(static_cast<std::uint8_t>(command)));
}

inline CellCodes readCells(Simulator& sim, int address) {
  const ReadReply r = read(sim, address, kRDCV);
  std::array<std::uint8_t, kCellBytes> bytes{};
  for (std::size_t i = 0; i < r.regs.size() && i < bytes.size(); ++i) bytes[i] = r.regs[i];
  return unpackCells(bytes);
}

inline double volts(std::uint16_t code) { return codeToVolts(code); }

}  // namespace kestrav::sim::testing
