#pragma once
// One KESTRAV-2 monitor chip on the shared SPI bus. It listens to every
// frame, answers only at its own address or to a broadcast, and drives MISO
// only while it is sending a read; otherwise its open-drain output stays
// released (reads as 1s).

#include <array>
#include <cstdint>

#include "sim/BatteryModel.h"
#include "sim/Registers.h"

namespace kestrav::sim {

class Chip {
 public:
  Chip(std::uint8_t address, const BatteryParams& battery, std::uint32_t seed);

  std::uint8_t address() const { return address_; }
  const ConfigRegs& config() const { return config_; }
  BatteryModel& battery() { return battery_; }

  // Chip select falls.
  void beginFrame();
  // One byte clocked in on MOSI; returns what the chip drives on MISO for
  // that byte, 0xFF when it is not driving.
  std::uint8_t clock(std::uint8_t mosi);
  // Chip select rises: a complete write or conversion start takes effect.
  void endFrame();
  // Chip select rose in the middle of a command: nothing takes effect.
  void abortFrame();

 private:
  void startRead(std::uint8_t command);
  void execute();
  void convertCells(bool openWireTest);
  void convertTemperatures();

  std::uint8_t address_;
  ConfigRegs config_ = kPowerUpConfig;
  BatteryModel battery_;

  // Last conversion results. Before the first conversion every code is 0.
  CellCodes cells_{};
  Comparison comparison_{};
  TempCodes temps_{};

  // Frame in progress.
  int bytesIn_ = 0;         // bytes clocked since chip select fell
  bool listening_ = false;  // this frame is broadcast or carries our address
  int command_ = -1;        // -1 until the command byte arrived
  std::array<std::uint8_t, kConfigBytes> data_{};
  int dataCount_ = 0;
  std::array<std::uint8_t, kCellBytes + 1> out_{};  // register bytes and PEC being sent
  int outLen_ = 0;
  int outPos_ = 0;
};

}  // namespace kestrav::sim
