#pragma once
// What the datalog keeps between events: whether one is set up, the length
// of the sample ring and the point the next sample goes to.

namespace kestrav::datalog {

struct DatalogState {
  int DATACOLLECTflag = 0;  // 1 while a datalog is set up (collecting or paused)
  int SETpoint = 0;         // sample points of the accepted set-up: the ring's length
  int DATApoint = 0;        // point the next sample is written to, 1..SETpoint
};

}  // namespace kestrav::datalog
