#include "sim/Chip.h"

#include <algorithm>

#include "link/Crc8.h"

namespace kestrav::sim {

namespace {
// Upper nibble of the last temperature byte: chip revision 2, no thermal
// shutdown.
constexpr std::uint8_t kStatusNibble = 0x2;
}  // namespace

Chip::Chip(std::uint8_t address, const BatteryParams& battery, std::uint32_t seed)
    : address_(address), battery_(battery, seed) {}

void Chip::beginFrame() {
  bytesIn_ = 0;
  listening_ = false;
  command_ = -1;
  dataCount_ = 0;
  outLen_ = 0;
  outPos_ = 0;
}

std::uint8_t Chip::clock(std::uint8_t mosi) {
  const int index = bytesIn_;
  if (bytesIn_ < 1000) ++bytesIn_;  // only small indices matter

  if (index == 0) {
    if (isAddressByte(mosi)) {
      listening_ = mosi == address_;
    } else {
      listening_ = true;
      command_ = mosi;
      // Every chip would drive the bus at once, so a read is never obeyed
      // as a broadcast; the bus stays released.
    }
    return 0xFF;
  }
  if (!listening_) return 0xFF;
  if (command_ < 0) {
    command_ = mosi;
    startRead(mosi);
    return 0xFF;
  }
  if (command_ == kWRCFG && dataCount_ < kConfigBytes) data_[dataCount_++] = mosi;
  if (outPos_ < outLen_) return out_[outPos_++];
  return 0xFF;
}

void Chip::startRead(std::uint8_t command) {
  const int n = readRegisterCount(command);
  if (n == 0) return;
  switch (command) {
    case kRDCFG: std::copy(config_.begin(), config_.end(), out_.begin()); break;
    case kRDCV: {
      const auto bytes = packCells(cells_);
      std::copy(bytes.begin(), bytes.end(), out_.begin());
      break;
    }
    case kRDFLG: {
      const auto bytes = flagRegisters(comparison_, config_);
      std::copy(bytes.begin(), bytes.end(), out_.begin());
      break;
    }
    case kRDTMP: {
      const auto bytes = packTemps(temps_, kStatusNibble);
      std::copy(bytes.begin(), bytes.end(), out_.begin());
      break;
    }
    default: return;
  }
  out_[n] = link::crc8(out_.data(), static_cast<std::size_t>(n));
  outLen_ = n + 1;
  outPos_ = 0;
}

void Chip::endFrame() {
  if (listening_ && command_ >= 0) execute();
  beginFrame();
}

void Chip::abortFrame() { beginFrame(); }

void Chip::execute() {
  switch (command_) {
    case kWRCFG:
      // A write cut short leaves the registers as they were.
      if (dataCount_ == kConfigBytes) std::copy(data_.begin(), data_.end(), config_.begin());
      break;
    case kSTCVAD: convertCells(false); break;
    case kSTOWAD: convertCells(true); break;
    case kSTTMPAD: convertTemperatures(); break;
    default: break;  // reads already happened; polls report nothing here
  }
}

void Chip::convertCells(bool openWireTest) {
  const std::uint16_t discharging = dischargeMask(config_);
  battery_.advance(discharging);
  const CellVolts volts = battery_.cellVolts(discharging, openWireTest);
  for (int c = 0; c < kCells; ++c) cells_[c] = voltsToCode(volts[c]);
  // In 10-cell mode the top two inputs are not converted at all.
  if (tenCellMode(config_)) cells_[10] = cells_[11] = 0;
  comparison_ = compareCells(cells_, config_);
}

void Chip::convertTemperatures() {
  const BatteryModel::Temperatures t = battery_.temperatureVolts(dischargeMask(config_));
  temps_.etmp1 = voltsToCode(t.etmp1);
  temps_.etmp2 = voltsToCode(t.etmp2);
  temps_.itmp = voltsToCode(t.itmp);
}

}  // namespace kestrav::sim
