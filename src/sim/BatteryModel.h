#pragma once
// The twelve series cells and the temperature sensors one board measures.
// Time is the number of conversions taken, not wall time, so a run is
// reproducible for a seed.

#include <array>
#include <cstdint>
#include <random>

#include "sim/Registers.h"

namespace kestrav::sim {

struct BatteryParams {
  double nominalVolts = 3.6;     // centre of the cell voltages
  double spreadVolts = 0.025;    // each cell sits up to this far from nominal
  std::uint16_t openWires = 0;   // bit n: the sense wire at the top of cell n+1 is broken
};

class BatteryModel {
 public:
  BatteryModel(const BatteryParams& params, std::uint32_t seed);

  // One conversion's worth of time passes; the cells with their discharge
  // switch closed (bit n = cell n+1) lose a little charge.
  void advance(std::uint16_t dischargeMask);

  // What the ADC sees across each cell. A closed discharge switch drops the
  // cell by its IR drop on top of the charge it has lost. In the open-wire
  // test the chip loads every input: a broken wire collapses its cell to
  // almost nothing and the cell above reads the pair's sum; in a normal
  // conversion the floating input only makes that cell noisy.
  CellVolts cellVolts(std::uint16_t dischargeMask, bool openWireTest);

  struct Temperatures {
    double etmp1 = 0;  // thermistor dividers: the voltage falls as the pack warms
    double etmp2 = 0;
    double itmp = 0;   // die sensor, 8 mV per kelvin
  };
  Temperatures temperatureVolts(std::uint16_t dischargeMask);

  // Controls of a test script: `cell` (1..12) sits at `volts` (before the
  // discharge drop and the noise) until pinned anew; the sense wire at the
  // top of `cell` breaks.
  void pinCell(int cell, double volts);
  void breakWire(int cell);

  std::uint64_t steps() const { return steps_; }

 private:
  double noise(double sigma);

  BatteryParams params_;
  std::mt19937 rng_;
  std::array<double, kCells> offset_{};   // fixed per-cell spread
  std::array<double, kCells> phase_{};    // phase of each cell's slow drift
  std::array<double, kCells> drained_{};  // charge lost to discharging, in volts
  std::array<double, kCells> pinned_{};   // a pinned cell's volts; negative when not pinned
  std::uint64_t steps_ = 0;
};

}  // namespace kestrav::sim
