#pragma once
// The status a cell can be in, and everything that names or paints it: the
// short name the datalog writes, the colour of the overview square and of
// the cell symbol, and the two legend texts. One table for the whole program,
// so that the window, the text datalog and the spreadsheet legend can never
// disagree about what a colour means.

#include <array>
#include <cstdint>

namespace kestrav::display {

enum CellStatus : int {
  NR = 0,  // no reading since the last conversion start
  OK = 1,  // read, no flag
  DC = 2,  // discharge switch on
  UV = 3,  // chip reports under-voltage
  OV = 4,  // chip reports over-voltage
  MI = 5,  // interrupt of the cell masked
  MD = 6,  // masked and discharging
};

inline constexpr int kCellStatusCount = 7;

struct CellStatusCode {
  CellStatus value;
  const char* shortName;
  std::uint32_t colour;  // 0xBBGGRR
  const char* colourLegend;
  const char* statusLegend;
};

inline constexpr std::array<CellStatusCode, kCellStatusCount> kCellStatusCodes{{
    {NR, "NR", 0xFFFFFFu, "WHITE       = NO READING", "NR = NO READING"},
    {OK, "OK", 0x00FF00u, "GREEN       = NORMAL", "OK = GOOD"},
    {DC, "DC", 0xFF8080u, "LIGHT BLUE  = DISCHARGE CELL", "DC = DISCHARGE"},
    {UV, "UV", 0x00FFFFu, "YELLOW      = UNDERVOLTAGE", "UV = UNDER VOLTAGE"},
    {OV, "OV", 0x0000FFu, "RED         = OVERVOLTAGE", "OV = OVER VOLTAGE"},
    {MI, "MI", 0xE0E0E0u, "MEDIUM GREY = MASKED INTERRUPT", "MI = MASKED INTERRUPT"},
    {MD, "MD", 0x808080u, "DARK GREY   = MASKED DISCHARGE", "MD = MASKED DISCHARGE"},
}};

// The table row of a stored status; anything outside 0..6 reads as NR, so a
// stray value can never index past the table.
constexpr const CellStatusCode& cellStatusCode(int status) {
  return kCellStatusCodes[(status >= 0 && status < kCellStatusCount) ? status : NR];
}

}  // namespace kestrav::display
