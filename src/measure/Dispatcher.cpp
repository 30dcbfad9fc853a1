#include "measure/Dispatcher.h"

#include "measure/Continuous.h"

namespace kestrav::measure {

void Command1_click(app::Monitor& m, int index) {
  if (index < 0 || index > 13) return;
  // The chip commands and the datalog buttons are not built yet; only the
  // continuous toggle is routed.
  if (index == 10) CONTINUOUS_cmd(m);
}

}  // namespace kestrav::measure
