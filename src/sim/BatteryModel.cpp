#include "sim/BatteryModel.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace kestrav::sim {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDriftVolts = 0.008;          // amplitude of the slow wander
constexpr double kDriftPeriodSteps = 600.0;    // conversions per drift period
constexpr double kNoiseVolts = 0.0007;         // ADC noise, about half a code
constexpr double kFloatingNoiseVolts = 0.05;   // a floating input in a normal conversion
constexpr double kDischargeDropVolts = 0.045;  // IR drop across the balancing resistor path
constexpr double kDrainPerStepVolts = 0.0002;  // charge a discharging cell loses per conversion
constexpr double kMaxDrainVolts = 0.25;
constexpr double kOpenWireResidualVolts = 0.02;
constexpr double kAmbientKelvin = 298.15;
constexpr double kHeatPerDischargeKelvin = 1.5;  // die warming per closed switch
constexpr double kItmpVoltsPerKelvin = 0.008;
}  // namespace

BatteryModel::BatteryModel(const BatteryParams& params, std::uint32_t seed) : params_(params), rng_(seed) {
  std::uniform_real_distribution<double> spread(-params_.spreadVolts, params_.spreadVolts);
  std::uniform_real_distribution<double> phase(0.0, kTwoPi);
  for (int c = 0; c < kCells; ++c) {
    offset_[c] = spread(rng_);
    phase_[c] = phase(rng_);
  }
  pinned_.fill(-1.0);
}

void BatteryModel::pinCell(int cell, double volts) {
  if (cell < 1 || cell > kCells || !(volts >= 0.0)) return;
  pinned_[cell - 1] = volts;
  drained_[cell - 1] = 0.0;
}

void BatteryModel::breakWire(int cell) {
  if (cell < 1 || cell > kCells) return;
  params_.openWires = static_cast<std::uint16_t>(params_.openWires | (1u << (cell - 1)));
}

double BatteryModel::noise(double sigma) {
  std::normal_distribution<double> dist(0.0, sigma);
  return dist(rng_);
}

void BatteryModel::advance(std::uint16_t dischargeMask) {
  ++steps_;
  for (int c = 0; c < kCells; ++c)
    if ((dischargeMask >> c) & 1u) drained_[c] = std::min(kMaxDrainVolts, drained_[c] + kDrainPerStepVolts);
}

CellVolts BatteryModel::cellVolts(std::uint16_t dischargeMask, bool openWireTest) {
  CellVolts v{};
  const double t = static_cast<double>(steps_) / kDriftPeriodSteps;
  for (int c = 0; c < kCells; ++c) {
    const double base = pinned_[c] >= 0.0 ? pinned_[c]
                                          : params_.nominalVolts + offset_[c] + kDriftVolts * std::sin(kTwoPi * t + phase_[c]);
    v[c] = base - drained_[c] + noise(kNoiseVolts);
    if ((dischargeMask >> c) & 1u) v[c] -= kDischargeDropVolts;
  }
  for (int c = 0; c < kCells; ++c) {
    if (!((params_.openWires >> c) & 1u)) continue;
    if (!openWireTest) {
      v[c] += noise(kFloatingNoiseVolts);
      continue;
    }
    // The load current pulls the floating node onto the wire below: this
    // cell reads almost nothing and the cell above spans both.
    if (c + 1 < kCells) v[c + 1] += v[c];
    v[c] = kOpenWireResidualVolts + std::abs(noise(kNoiseVolts));
  }
  for (double& x : v) x = std::max(0.0, x);
  return v;
}

BatteryModel::Temperatures BatteryModel::temperatureVolts(std::uint16_t dischargeMask) {
  const double t = static_cast<double>(steps_) / kDriftPeriodSteps;
  const int closed = std::popcount(dischargeMask);
  Temperatures temps;
  temps.etmp1 = 1.55 + 0.01 * std::sin(kTwoPi * t / 3.0) - 0.004 * closed + noise(kNoiseVolts);
  temps.etmp2 = 1.48 + 0.01 * std::cos(kTwoPi * t / 4.0) - 0.002 * closed + noise(kNoiseVolts);
  temps.itmp = (kAmbientKelvin + kHeatPerDischargeKelvin * closed) * kItmpVoltsPerKelvin + noise(kNoiseVolts);
  return temps;
}

}  // namespace kestrav::sim
