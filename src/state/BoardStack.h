#pragma once
// The one shared store of everything the program knows about the chained
// monitor boards. Plain data: routines of the other folders read and write
// the fields directly.

#include <array>
#include <cstdint>
#include <string>

namespace kestrav::state {

constexpr int kBoards = 10;        // board positions 0..9 on the bus
constexpr int kBoardSlots = 11;    // every per-board table has a spare slot 10
constexpr int kReadingNumbers = 151;  // 0 unused, 1..120 cells, 121..150 temperatures
constexpr int kStatusEntries = 121;   // 0..119 cells, 120 unused
constexpr int kCellsPerBoard = 12;

// The four read commands, also the index of their per-command tables.
enum class ReadCommand { RDCFG = 0, RDCV = 1, RDFLG = 2, RDTMP = 3 };
constexpr int kReadCommands = 4;
constexpr int index(ReadCommand c) { return static_cast<int>(c); }

// The six commands that can go out as a broadcast, in the order of the
// broadcast check boxes; also the index into BCASTflag.
enum class Broadcastable { PLADC = 0, PLINT = 1, STCVAD = 2, STOWAD = 3, STTMPAD = 4, WRCFG = 5 };
constexpr int kBroadcastables = 6;
constexpr int index(Broadcastable c) { return static_cast<int>(c); }

// VB-style truth values used by the verdicts and bit tables.
constexpr int kTrue = -1;
constexpr int kFalse = 0;

struct BoardRecord {
  std::string BRDaddress;                       // two upper-case hex digits, "81".."8A"
  std::array<int, kBroadcastables> BCASTflag{};  // 1 broadcast, 0 addressed
  std::array<std::string, 6> CFGRset{"E0", "00", "00", "00", "00", "00"};
  std::array<std::string, 6> CFGRread{};
  std::array<std::string, 3> FLGRread{};
  int CDCmode = 0;
  int VUVcode = 0;
  int VOVcode = 0;
  std::string VUVread;
  std::string VOVread;
  std::array<bool, 13> DCCbit{};  // 0..11 = cells 1..12; 12 stays false
  std::array<bool, 13> MCIbit{};

  // Data bytes of the last reply of each read; the last slot is never written.
  std::array<std::uint8_t, 7> RDCFGbytes{};
  std::array<std::uint8_t, 19> RDCVbytes{};
  std::array<std::uint8_t, 4> RDFLGbytes{};
  std::array<std::uint8_t, 6> RDTMPbytes{};
  std::array<std::uint8_t, kReadCommands> PECrx{};    // indexed by ReadCommand
  std::array<std::uint8_t, kReadCommands> PECcalc{};  // indexed by ReadCommand
};

// Reading numbers: one index for cells and temperatures of every board.
constexpr int cellReading(int board, int cell /*1..12*/) { return board * 12 + cell; }
constexpr int temperatureReading(int board, int t /*0 ETMP1, 1 ETMP2, 2 ITMP*/) {
  return 121 + board * 3 + t;
}
// Status index of a cell: one less than its reading number.
constexpr int statusIndex(int board, int cell /*1..12*/) { return board * 12 + cell - 1; }

struct BoardStack {
  BoardStack();

  // Stack-wide values (16-bit in the chip program's model; int here).
  int Initialize = 0;
  int BRDnumber = 0;
  int CARDSTACK = 0;
  int BRDread = 0;
  int OnOff = 0;
  int PECflag = 0;
  int AUTORESTARTflag = 0;
  int SINGLESHOTflag = 0;
  int MEASURESKIPflag = 0;
  int PEC_RDCFG = kTrue;
  int PEC_RDCV = kTrue;
  int PEC_RDFLG = kTrue;
  int PEC_RDTMP = kTrue;
  int MEASUREflag = 0;
  int CYCLEflag = 0;
  int COUNTERstop = 0;
  int RDCVflag = 0;
  int RDCFGflag = 0;
  int GLOBALCFGRflag = 1;
  int CLEARALLstatus = 0;

  std::array<BoardRecord, kBoardSlots> board;

  std::array<std::string, kReadingNumbers> READINGhex{};
  std::array<float, kReadingNumbers> READINGvolts{};
  std::array<int, kStatusEntries> CELLstatus{};  // CellStatus codes, 0 = NR

  // The verdict of one read command, by its ReadCommand index.
  int& verdict(ReadCommand c);
};

// The default address of board position i: "81" .. "8A".
std::string defaultAddress(int boardIndex);

}  // namespace kestrav::state
