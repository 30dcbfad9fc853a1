#include "measure/Continuous.h"

#include "state/HexText.h"

namespace kestrav::measure {

namespace {
constexpr std::uint32_t kValidOnlyColour = 0x008000;  // dark green
constexpr std::uint32_t kAllTransfersColour = 0x000080;  // dark red
}  // namespace

void Check_AUTO_Click(Monitor& m) {
  switch (m.ui.Check_AUTO.value()) {
    case 1:
      m.stack.AUTORESTARTflag = 1;
      m.ui.Label_AUTOstatus.setCaption("DISPLAY ONLY VALID DATA TRANSFERS!");
      m.ui.Label_AUTOstatus.setForeColor(kValidOnlyColour);
      break;
    case 0:
      m.stack.AUTORESTARTflag = 0;
      m.ui.Label_AUTOstatus.setCaption("DISPLAY ALL DATA TRANSFERS!");
      m.ui.Label_AUTOstatus.setForeColor(kAllTransfersColour);
      break;
    default:
      break;
  }
}

// The measurement cycle itself is not built yet: the toggle and the step do nothing.
void CONTINUOUS_cmd(Monitor&) {}
void Measure_KESTRAV_DUT(Monitor&) {}

void CLEAR_LOCAL_CELLS(Monitor& m) {
  for (int i = 11; i >= 0; --i) m.ui.Text1[i].setText(state::readingText(0.0f));
}

void CLEAR_LOCAL_TEMPS(Monitor& m) {
  for (int i = 2; i >= 0; --i) m.ui.Text6[i].setText(state::readingText(0.0f));
  for (int i = 0; i < 3; ++i) {
    m.ui.Shape6[i].setFillColor(app::kWindowBackground);
    m.ui.Shape7[i].setFillColor(app::kWindowBackground);
    m.ui.Shape8[i].setFillColor(app::kWindowBackground);
  }
}

void CLEAR_LOCAL_FLAGS(Monitor& m) {
  for (app::Control& c : m.ui.Text7) c.setText("");
}

void CLEAR_LOCAL_READINGS(Monitor& m) {
  CLEAR_LOCAL_CELLS(m);
  CLEAR_LOCAL_TEMPS(m);
  CLEAR_LOCAL_FLAGS(m);
}

}  // namespace kestrav::measure
