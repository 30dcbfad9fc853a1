#include "datalog/SampleTexts.h"

#include <cstdlib>

#include "display/CellStatusCodes.h"
#include "state/HexText.h"

namespace kestrav::datalog {

namespace {

using Sample = state::SampleStore::BoardSample;

constexpr int kStampColumn = 0, kConfigColumn = 1, kFlagsColumn = 2, kUnderColumn = 3, kOverColumn = 4;
constexpr int kFirstCellColumn = 5, kStatusColumn = 17, kFirstTemperatureColumn = 18, kLastColumn = 20;

// Index into BoardSample::milli of a volt column, or -1.
int voltIndex(int column) {
  if (column >= kFirstCellColumn && column < kStatusColumn) return column - kFirstCellColumn;
  if (column >= kFirstTemperatureColumn && column <= kLastColumn) return column - kFirstTemperatureColumn + 12;
  return -1;
}

// "3.604" from 3604, "-0.012" from -12; `lead` goes before the text. Formed
// in place: an export forms millions of these.
std::string milliText(int milli, const char* lead = "") {
  const int whole = std::abs(milli) / 1000, part = std::abs(milli) % 1000;
  char digits[8];
  int n = 0;
  for (int w = whole; n == 0 || w > 0; w /= 10) digits[n++] = static_cast<char>('0' + w % 10);
  std::string t(lead);
  if (milli < 0) t += '-';
  while (n > 0) t += digits[--n];
  t += '.';
  t += static_cast<char>('0' + part / 100);
  t += static_cast<char>('0' + part / 10 % 10);
  t += static_cast<char>('0' + part % 10);
  return t;
}

// The thousandths a "0.000" text stands for, when milliText gives it back.
bool milliOf(const std::string& text, std::int16_t* milli) {
  const std::size_t n = text.size();
  if (n < 5 || n > 7 || text[n - 4] != '.') return false;
  char* end = nullptr;
  const long whole = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + (n - 4)) return false;
  const long part = std::strtol(text.c_str() + n - 3, &end, 10);
  if (end != text.c_str() + n) return false;
  const long value = text[0] == '-' ? whole * 1000 - part : whole * 1000 + part;
  if (value < -32767 || value > 32767) return false;
  if (milliText(static_cast<int>(value)) != text) return false;
  *milli = static_cast<std::int16_t>(value);
  return true;
}

// Two upper-case hex digits as a byte.
bool byteOf(const std::string& text, std::uint8_t* byte) {
  if (text.size() != 2 || text != state::hexByte(state::leadingHexValue(text))) return false;
  *byte = static_cast<std::uint8_t>(state::leadingHexValue(text));
  return true;
}

template <std::size_t N>
std::string joined(const std::array<std::string, N>& texts, const char* tail) {
  std::string out;
  for (std::size_t i = 0; i < N; ++i) {
    if (i > 0) out += ", ";
    out += texts[i];
  }
  return out + tail;
}

// Register texts as bytes; any text of another form keeps the column's text.
template <std::size_t N>
void recordRegisters(state::SampleStore& store, Sample& s, const std::array<std::string, N>& texts,
                     std::array<std::uint8_t, N>& bytes, int firstBit, int b, int column, int point,
                     const char* tail) {
  for (std::size_t i = 0; i < N; ++i) {
    if (texts[i].empty()) continue;
    if (!byteOf(texts[i], &bytes[i])) return store.setText(b, column, point, joined(texts, tail));
    s.present = static_cast<std::uint16_t>(s.present | (1u << (firstBit + static_cast<int>(i))));
  }
}

template <std::size_t N>
std::string registerText(const Sample& s, const std::array<std::uint8_t, N>& bytes, int firstBit, const char* tail) {
  std::array<std::string, N> texts;
  for (std::size_t i = 0; i < N; ++i)
    if (s.present & (1u << (firstBit + static_cast<int>(i)))) texts[i] = state::hexByte(bytes[i]);
  return joined(texts, tail);
}

void recordThreshold(state::SampleStore& store, const std::string& text, std::uint16_t* index, int b, int column,
                     int point) {
  if (!store.thresholdIndex(text, index)) store.setText(b, column, point, text);
}

void recordVolts(state::SampleStore& store, Sample& s, float volts, int b, int column, int point) {
  const std::string text = state::fixed(volts, 3);
  if (!milliOf(text, &s.milli[static_cast<std::size_t>(voltIndex(column))]))
    store.setText(b, column, point, column >= kFirstTemperatureColumn ? " " + text : text);
}

std::string statusText(const Sample& s) {
  std::string out;
  for (int c = 0; c < state::SampleStore::kCells; ++c) {
    if (c > 0) out += ", ";
    out += display::cellStatusCode(s.status[static_cast<std::size_t>(c)]).shortName;
  }
  return out;
}

}  // namespace

void recordBoardSample(state::SampleStore& store, const state::BoardStack& st, int b, int point,
                       const LocalMoment& when) {
  if (!state::SampleStore::writable(b, point)) return;
  Sample& s = store.write(b, point);
  const state::BoardRecord& r = st.board[static_cast<std::size_t>(b)];
  if (const auto n = momentNumber(when)) s.stamp = *n;
  else store.setText(b, kStampColumn, point, displayStampText(when));
  recordRegisters(store, s, r.CFGRread, s.cfgr, 0, b, kConfigColumn, point, ".");
  recordRegisters(store, s, r.FLGRread, s.flgr, 6, b, kFlagsColumn, point, "");
  recordThreshold(store, r.VUVread, &s.vuv, b, kUnderColumn, point);
  recordThreshold(store, r.VOVread, &s.vov, b, kOverColumn, point);
  for (int c = 1; c <= state::kCellsPerBoard; ++c) {
    // Any code beyond the table reads as "no reading", as on the window.
    const int code = st.CELLstatus[state::statusIndex(b, c)];
    s.status[static_cast<std::size_t>(c - 1)] =
        static_cast<std::uint8_t>(code >= 0 && code < display::kCellStatusCount ? code : display::NR);
    recordVolts(store, s, st.READINGvolts[state::cellReading(b, c)], b, kFirstCellColumn + c - 1, point);
  }
  for (int t = 0; t < 3; ++t)
    recordVolts(store, s, st.READINGvolts[state::temperatureReading(b, t)], b, kFirstTemperatureColumn + t, point);
}

std::string SampleTexts::at(int board, int column, int point) const {
  if (const std::string* kept = store_.text(board, column, point)) return *kept;
  const Sample* s = store_.sample(board, point);
  if (s == nullptr) return {};
  switch (column) {
    case kStampColumn:
      return displayStampText(momentOf(s->stamp));
    case kConfigColumn:
      return registerText(*s, s->cfgr, 0, ".");
    case kFlagsColumn:
      return registerText(*s, s->flgr, 6, "");
    case kUnderColumn:
      return store_.threshold(s->vuv);
    case kOverColumn:
      return store_.threshold(s->vov);
    case kStatusColumn:
      return statusText(*s);
    default:
      break;
  }
  const int v = voltIndex(column);
  if (v < 0) return {};
  return milliText(s->milli[static_cast<std::size_t>(v)], column >= kFirstTemperatureColumn ? " " : "");
}

}  // namespace kestrav::datalog
