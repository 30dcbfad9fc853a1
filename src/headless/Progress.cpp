#include "headless/Progress.h"

#include <cstdio>

#include "state/HexText.h"

namespace kestrav::headless {

namespace {

std::string clockTime(std::chrono::seconds s) {
  const long total = static_cast<long>(s.count() < 0 ? 0 : s.count());
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  return text;
}

}  // namespace

void stackCellRange(const context::Monitor& m, ProgressFigures& f) {
  const state::BoardStack& s = m.stack;
  f.lowest.reset();
  f.highest.reset();
  for (int b = 0; b <= s.CARDSTACK && b < state::kBoards; ++b) {
    for (int c = 1; c <= state::kCellsPerBoard; ++c) {
      const int r = state::cellReading(b, c);
      if (s.READINGhex[r].empty()) continue;  // never read
      const float v = s.READINGvolts[r];
      if (!f.lowest || v < *f.lowest) f.lowest = v;
      if (!f.highest || v > *f.highest) f.highest = v;
    }
  }
}

std::string progressText(const ProgressFigures& f) {
  std::string t = std::to_string(f.samples) + (f.samples == 1 ? " sample, " : " samples, ") + clockTime(f.elapsed) +
                  " elapsed, " + clockTime(f.remaining) + " left, cells ";
  if (f.lowest && f.highest)
    t += state::fixed(*f.lowest, 3) + "-" + state::fixed(*f.highest, 3) + " V";
  else
    t += "not read yet";
  t += ", " + std::to_string(f.giveUps) + (f.giveUps == 1 ? " give-up" : " give-ups");
  if (f.passesPerSecond) t += ", " + state::fixed(*f.passesPerSecond, 1) + " passes/s";
  return t;
}

void ProgressReport::update(const ProgressFigures& f) {
  if (console_.live()) {
    console_.status(progressText(f));
    return;
  }
  if (f.elapsed < nextPlain_) return;
  console_.status(prefix_ + progressText(f));
  while (nextPlain_ <= f.elapsed) nextPlain_ += kPlainEvery;
}

}  // namespace kestrav::headless
