// The clicks and keys of a user in the window, on the window model over
// the seeded simulator, traced as --trace traces: the reference the Python
// package's bridge strings are compared with.
//   window_clicks TRACE_FILE

#include <cstdio>
#include <memory>
#include <string>

#include "app/Events.h"
#include "context/Monitor.h"
#include "history/Tracing.h"
#include "link/ports/SimulatedPort.h"
#include "sim/Simulator.h"
#include "support/FakeDesktop.h"

using namespace kestrav;

namespace {

void type(context::Monitor& m, context::Control& box, const std::string& text) {
  m.ui.setFocus(box);
  for (const char ch : text) box.typeKey(static_cast<unsigned char>(ch));
  box.typeKey(13);  // Enter
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_clicks TRACE_FILE\n");
    return 2;
  }
  sim::SimOptions options;
  options.boards = 4;
  options.seed = 7;
  auto simulator = std::make_shared<sim::Simulator>(options);
  test::FakeDesktop desktop;
  test::FixedClock clock;
  context::Monitor m(std::make_unique<link::SimulatedPort>(simulator, false), desktop, clock);
  app::wireMainWindow(m);
  std::string error;
  auto tracing = history::Tracing::start(m, argv[1], error);
  if (!tracing) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  app::loadMainWindow(m);
  m.ui.Combo1.setListIndex(3);  // "4"
  m.ui.Command4[1].raiseClick();  // board 2
  m.ui.Option1[0].setValue(1);  // CUSTOM BOARD # 2
  type(m, m.ui.Text2[1], "4.2");
  type(m, m.ui.Text2[0], "3.1");
  m.ui.Command1[5].raiseClick();  // WRITE CONFIG
  m.ui.Command1[2].raiseClick();  // STARTCELLVOLT
  m.ui.Command1[7].raiseClick();  // READCELLVOLT
  m.ui.Command1[8].raiseClick();  // READ FLAG
  return desktop.messages.empty() ? 0 : 1;
}
