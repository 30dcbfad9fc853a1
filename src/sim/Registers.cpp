#include "sim/Registers.h"

#include <cmath>

namespace kestrav::sim {

int readRegisterCount(std::uint8_t command) {
  switch (command) {
    case kRDCFG: return kConfigBytes;
    case kRDCV: return kCellBytes;
    case kRDFLG: return kFlagBytes;
    case kRDTMP: return kTempBytes;
    default: return 0;
  }
}

std::uint16_t voltsToCode(double volts) {
  const double code = std::round(volts * kMaxCode / kFullScaleVolts);
  if (!(code > 0.0)) return 0;  // also catches NaN
  if (code >= kMaxCode) return kMaxCode;
  return static_cast<std::uint16_t>(code);
}

double codeToVolts(std::uint16_t code) { return code * kFullScaleVolts / kMaxCode; }

bool tenCellMode(const ConfigRegs& cfg) { return (cfg[0] & 0x08u) != 0; }

bool dischargeBit(const ConfigRegs& cfg, int cell) {
  if (cell < 8) return (cfg[1] >> cell) & 1u;
  return (cfg[2] >> (cell - 8)) & 1u;
}

bool maskBit(const ConfigRegs& cfg, int cell) {
  if (cell < 4) return (cfg[2] >> (cell + 4)) & 1u;
  return (cfg[3] >> (cell - 4)) & 1u;
}

std::uint16_t dischargeMask(const ConfigRegs& cfg) {
  return static_cast<std::uint16_t>(cfg[1] | ((cfg[2] & 0x0Fu) << 8));
}

namespace {
// Two 12-bit codes into three bytes, the layout shared by cells and the
// external temperatures.
void packPair(std::uint16_t first, std::uint16_t second, std::uint8_t* out) {
  out[0] = static_cast<std::uint8_t>(first & 0xFFu);
  out[1] = static_cast<std::uint8_t>(((first >> 8) & 0x0Fu) | ((second & 0x0Fu) << 4));
  out[2] = static_cast<std::uint8_t>((second >> 4) & 0xFFu);
}
}  // namespace

std::array<std::uint8_t, kCellBytes> packCells(const CellCodes& codes) {
  std::array<std::uint8_t, kCellBytes> out{};
  for (int p = 0; p < kCells / 2; ++p) packPair(codes[2 * p], codes[2 * p + 1], &out[3 * p]);
  return out;
}

CellCodes unpackCells(const std::array<std::uint8_t, kCellBytes>& b) {
  CellCodes codes{};
  for (int p = 0; p < kCells / 2; ++p) {
    codes[2 * p] = static_cast<std::uint16_t>(((b[3 * p + 1] & 0x0Fu) << 8) | b[3 * p]);
    codes[2 * p + 1] = static_cast<std::uint16_t>((b[3 * p + 2] << 4) | (b[3 * p + 1] >> 4));
  }
  return codes;
}

std::array<std::uint8_t, kTempBytes> packTemps(const TempCodes& codes, std::uint8_t statusNibble) {
  std::array<std::uint8_t, kTempBytes> out{};
  packPair(codes.etmp1, codes.etmp2, out.data());
  out[3] = static_cast<std::uint8_t>(codes.itmp & 0xFFu);
  out[4] = static_cast<std::uint8_t>(((codes.itmp >> 8) & 0x0Fu) | ((statusNibble & 0x0Fu) << 4));
  return out;
}

Comparison compareCells(const CellCodes& codes, const ConfigRegs& cfg) {
  Comparison cmp;
  const double vuv = cfg[4] * kThresholdStepVolts;
  const double vov = cfg[5] * kThresholdStepVolts;
  const int compared = tenCellMode(cfg) ? 10 : kCells;
  for (int c = 0; c < compared; ++c) {
    const double v = codeToVolts(codes[c]);
    cmp.under[c] = cfg[4] != 0 && v < vuv;
    cmp.over[c] = cfg[5] != 0 && v > vov;
  }
  return cmp;
}

std::array<std::uint8_t, kFlagBytes> flagRegisters(const Comparison& cmp, const ConfigRegs& cfg) {
  std::array<std::uint8_t, kFlagBytes> flags{};
  for (int c = 0; c < kCells; ++c) {
    if (maskBit(cfg, c)) continue;
    const int k = c % 4;
    if (cmp.under[c]) flags[c / 4] |= static_cast<std::uint8_t>(1u << (2 * k));
    if (cmp.over[c]) flags[c / 4] |= static_cast<std::uint8_t>(1u << (2 * k + 1));
  }
  return flags;
}

}  // namespace kestrav::sim
