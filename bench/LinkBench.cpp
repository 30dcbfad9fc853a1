// Costs of the work every read does: building the command string, cutting
// the reply into bytes for every board slot and computing the CRC-8.

#include <benchmark/benchmark.h>

#include "link/CommandStrings.h"
#include "link/PecTable.h"
#include "link/ReplyBytes.h"

namespace {

using kestrav::state::BoardStack;
using kestrav::state::ReadCommand;

void BM_ReadCommandString(benchmark::State& st) {
  BoardStack s;
  for (auto _ : st) benchmark::DoNotOptimize(kestrav::link::readCommandString(s, ReadCommand::RDCV));
}
BENCHMARK(BM_ReadCommandString);

void BM_CellReplyToBytesAndPecTenBoards(benchmark::State& st) {
  BoardStack s;
  s.CARDSTACK = 9;
  kestrav::link::PecTable t;
  kestrav::link::PECload(t);
  const std::string reply = "8104" "B80BB80BB80BB80BB80BB80BB80BB80BB80B" "3C";
  for (auto _ : st) {
    kestrav::link::PEC_Create_CVRbyte_array_ADDR(s, reply);
    kestrav::link::PEC_GUI_RDCV_Calc_ADDR(s, t);
    benchmark::DoNotOptimize(s.board[9].PECcalc);
  }
}
BENCHMARK(BM_CellReplyToBytesAndPecTenBoards);

}  // namespace
