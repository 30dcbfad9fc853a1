#include "config/Thresholds.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "config/ConfigRegisters.h"
#include "state/HexText.h"

namespace kestrav::config {

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kWriteConfigButton = 5;

// One code step of the chip's threshold comparators, in volts. Everything
// here is single precision, as the codes were always computed.
constexpr float kVoltsPerCode = 0.024f;
constexpr float kHighestVolts = 6.12f;  // code 255

// Written so that a NaN (from a script, never from a box) is out of range too.
bool outOfRange(float volts) { return !(volts >= 0.0f && volts <= kHighestVolts); }

void complain(Monitor& m, const char* text) {
  m.desktop.messageBox(text, context::kDefaultMessageTitle, context::MessageButtons::OK, context::MessageIcon::Exclamation,
                       context::MessageAnswer::OK);
}

// Trims the blanks around the text, keeping the caret and the selection on
// the same characters.
void trimBox(context::Control& box) {
  const std::string& text = box.text();
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    box.setText("");
    box.setSelStart(0);
    return;
  }
  const std::size_t last = text.find_last_not_of(' ');
  const int length = static_cast<int>(last - first + 1);
  auto kept = [&](int pos) {
    pos -= static_cast<int>(first);
    return pos < 0 ? 0 : pos > length ? length : pos;
  };
  const int start = kept(box.selStart());
  const int end = kept(box.selStart() + box.selLength());
  box.setText(text.substr(first, last - first + 1));
  box.setSelection(start, end - start);
}

}  // namespace

int thresholdCode(float volts) { return static_cast<int>(std::nearbyint(volts / kVoltsPerCode)); }

const char* thresholdPairFault(float vuv, float vov) {
  if (outOfRange(vuv) || outOfRange(vov)) return kThresholdRangeMessage;
  // Judged on the codes that would be stored: 4.19 V against 4.200 V is
  // below in volts but rounds to the same code, and the chip would then get
  // equal thresholds.
  if (thresholdCode(vuv) >= thresholdCode(vov)) return kThresholdOrderMessage;
  return nullptr;
}

float leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::size_t end = i;
  if (end < text.size() && (text[end] == '-' || text[end] == '+')) ++end;
  bool point = false;
  while (end < text.size()) {
    const char c = text[end];
    if (c >= '0' && c <= '9') {
      ++end;
    } else if (c == '.' && !point) {
      point = true;
      ++end;
    } else {
      break;
    }
  }
  std::string number(text.substr(i, end - i));
  if (!number.empty() && number[0] == '+') number.erase(0, 1);
  // from_chars wants a digit before the point; a sign or point alone is 0.
  if (number.empty() || number == "-" || number == "." || number == "-.") return 0.0f;
  if (number[0] == '.') number.insert(0, "0");
  if (number.size() > 1 && number[0] == '-' && number[1] == '.') number.insert(1, "0");
  float value = 0.0f;
  // Locale-independent: the desktop's decimal comma must not change the value.
  const auto [unused, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Without an exponent only a whole part of 1 or more can overflow, and
    // only a pure fraction can underflow.
    const bool negative = number[0] == '-';
    const std::size_t whole = number.find_first_not_of('0', negative ? 1 : 0);
    const bool overflow = whole != std::string::npos && number[whole] != '.';
    const float magnitude = overflow ? std::numeric_limits<float>::infinity() : 0.0f;
    return negative ? -magnitude : magnitude;
  }
  return value;
}

void Text2_GotFocus(Monitor& m, int index) {
  if (index < 0 || index > 1) return;
  m.ui.Text2[index].setText("");  // the user types a fresh value
  m.ui.Text2[index].setSelStart(0);
}

int Text2_Keypress(Monitor& m, int index, int keyAscii) {
  if (index < 0 || index > 1) return keyAscii;
  context::Control& box = m.ui.Text2[index];
  box.setForeColor(context::kGrey);  // typed, not yet applied nor written
  return NUMERIC_KEYfilter(m, box, keyAscii);
}

int NUMERIC_KEYfilter(Monitor& m, context::Control& box, int keyAscii) {
  trimBox(box);
  const std::string& text = box.text();
  if (keyAscii == kKeyBackspace) return keyAscii;
  if (keyAscii == kKeyEnter) {
    // Leaving the box applies the value; the write itself stays the user's
    // decision.
    m.ui.setFocus(m.ui.Command1[kWriteConfigButton]);
    return keyAscii;
  }
  if (keyAscii == '.') return text.find('.') == std::string::npos ? keyAscii : 0;
  if (keyAscii == '-') return text.find('-') == std::string::npos && box.selStart() == 0 ? keyAscii : 0;
  return keyAscii >= '0' && keyAscii <= '9' ? keyAscii : 0;
}

void Text2_LostFocus(Monitor& m, int index) {
  state::BoardStack& s = m.stack;
  const float u = leadingNumber(m.ui.Text2[0].text());
  const float o = leadingNumber(m.ui.Text2[1].text());
  if (const char* fault = thresholdPairFault(u, o)) {
    complain(m, fault);
  } else {
    const int uvCode = thresholdCode(u);
    const int ovCode = thresholdCode(o);
    if (index == 0 || index == 1) {
      const bool global = m.ui.Option1[1].value() != 0;
      const bool perBoard = m.ui.Option1[0].value() != 0;
      const int first = perBoard ? s.BRDnumber : 0;
      const int last = perBoard ? s.BRDnumber : global ? s.CARDSTACK : -1;
      for (int b = first; b <= last; ++b) {
        if (index == 0)
          s.board[b].VUVcode = uvCode;
        else
          s.board[b].VOVcode = ovCode;
      }
    }
  }
  // Rewrites both boxes from the stored codes: a refused entry disappears.
  DISPLAY_VUV_VOV(m);
}

void Command2_Click(Monitor& m, int index) {
  if (index < 0 || index > 3) return;
  state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  int& code = index < 2 ? r.VUVcode : r.VOVcode;
  const int step = index % 2 == 0 ? -1 : 1;
  code = (code + step + 256) % 256;
  m.ui.Text2[index / 2].setForeColor(context::kGrey);
  DISPLAY_VUV_VOV(m);
}

void DISPLAY_VUV_VOV(Monitor& m) {
  state::BoardRecord& r = m.stack.board[m.stack.BRDnumber];
  r.CFGRset[4] = state::hexByte(r.VUVcode);
  m.ui.Text2[0].setText(state::fixed(static_cast<float>(r.VUVcode) * kVoltsPerCode, 3) + "V ");
  r.CFGRset[5] = state::hexByte(r.VOVcode);
  m.ui.Text2[1].setText(state::fixed(static_cast<float>(r.VOVcode) * kVoltsPerCode, 3) + "V ");
  REFRESH_CFGR_FRAME4(m);
}

}  // namespace kestrav::config
