#pragma once
// The KESTRAV-2 register groups as they travel on the SPI bus: 12-bit ADC
// codes, how cell and temperature codes are packed into bytes, the
// configuration bits the chip acts on, and the flag bytes its comparators
// produce. Pure functions, no state.

#include <array>
#include <cstdint>

namespace kestrav::sim {

inline constexpr int kCells = 12;
inline constexpr int kConfigBytes = 6;
inline constexpr int kCellBytes = 18;
inline constexpr int kFlagBytes = 3;
inline constexpr int kTempBytes = 5;

// Chip command codes (the byte after the address, or alone when broadcast).
enum Command : std::uint8_t {
  kWRCFG = 0x01,
  kRDCFG = 0x02,
  kRDCV = 0x04,
  kRDFLG = 0x06,
  kRDTMP = 0x08,
  kSTCVAD = 0x10,
  kSTOWAD = 0x20,
  kSTTMPAD = 0x30,
  kPLADC = 0x40,
  kPLINT = 0x50,
};

// Register bytes a read command returns before its PEC; 0 for anything
// that is not a read.
int readRegisterCount(std::uint8_t command);

// An address byte selects one chip: 0x80 | A3..A0.
constexpr bool isAddressByte(std::uint8_t b) { return (b & 0xF0u) == 0x80u; }

using ConfigRegs = std::array<std::uint8_t, kConfigBytes>;
using CellCodes = std::array<std::uint16_t, kCells>;
using CellVolts = std::array<double, kCells>;

// The configuration a chip wakes up with: CFGR0 = E0 (GPIOs released,
// level polling off, comparator off, 12 cells), everything else 0.
inline constexpr ConfigRegs kPowerUpConfig{0xE0, 0, 0, 0, 0, 0};

// ADC full scale: 4095 codes for 6.144 V, about 1.5 mV per code.
inline constexpr double kFullScaleVolts = 6.144;
inline constexpr int kMaxCode = 4095;
// One threshold step of VUV/VOV.
inline constexpr double kThresholdStepVolts = 0.024;

// Rounded and clamped to 0 .. 4095.
std::uint16_t voltsToCode(double volts);
double codeToVolts(std::uint16_t code);

// Configuration bits, cell 0 .. 11.
bool tenCellMode(const ConfigRegs& cfg);          // CFGR0 bit 3
bool dischargeBit(const ConfigRegs& cfg, int cell);  // DCC1..8 in CFGR1, DCC9..12 in CFGR2 bits 0-3
bool maskBit(const ConfigRegs& cfg, int cell);       // MCI1..4 in CFGR2 bits 4-7, MCI5..12 in CFGR3
std::uint16_t dischargeMask(const ConfigRegs& cfg);  // bit n = cell n+1

// Cells 2p-1 and 2p share three bytes: the odd cell's low byte, then its
// high nibble under the even cell's low nibble, then the even cell's high
// byte.
std::array<std::uint8_t, kCellBytes> packCells(const CellCodes& codes);
CellCodes unpackCells(const std::array<std::uint8_t, kCellBytes>& bytes);

struct TempCodes {
  std::uint16_t etmp1 = 0;
  std::uint16_t etmp2 = 0;
  std::uint16_t itmp = 0;
};
// ETMP1 and ETMP2 share three bytes like a cell pair; ITMP takes the last
// two, with `statusNibble` in the top four bits of the last byte.
std::array<std::uint8_t, kTempBytes> packTemps(const TempCodes& codes, std::uint8_t statusNibble);

// What the comparators latched at the last cell conversion, per cell.
struct Comparison {
  std::array<bool, kCells> under{};
  std::array<bool, kCells> over{};
};

// A cell is under-voltage below VUV × 24 mV and over-voltage above
// VOV × 24 mV. A threshold code of 0 switches that comparison off (the
// power-up state, so a fresh chip raises nothing); cells 11 and 12 are not
// compared in 10-cell mode.
Comparison compareCells(const CellCodes& codes, const ConfigRegs& cfg);

// FLGR0..2: bit 2k = under-voltage, bit 2k+1 = over-voltage of the k-th
// cell of that register's four. A masked cell (MCI) raises nothing.
std::array<std::uint8_t, kFlagBytes> flagRegisters(const Comparison& cmp, const ConfigRegs& cfg);

}  // namespace kestrav::sim
