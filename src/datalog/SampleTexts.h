#pragma once
// The texts of the sample ring. A sample is recorded as numbers and codes
// (state::SampleStore) and its 21 column texts are formed when they are
// shown, exported or journalled; what cannot be held as a number or code is
// kept as its text, so every text reads back exactly as it was formed.

#include <string>

#include "datalog/Stamps.h"
#include "state/BoardStack.h"
#include "state/DatalogState.h"

namespace kestrav::datalog {

// Records board b of the stack at a point of the ring, stamped `when`.
void recordBoardSample(state::SampleStore& store, const state::BoardStack& s, int b, int point,
                       const LocalMoment& when);

// The texts of the ring by board, column and point, as the datalog's
// routines address them.
class SampleTexts {
 public:
  explicit SampleTexts(const state::SampleStore& store) : store_(store) {}
  std::string at(int board, int column, int point) const;

 private:
  const state::SampleStore& store_;
};

}  // namespace kestrav::datalog
