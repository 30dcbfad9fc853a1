// The program's life around its window, in-process: a refused bridge shows
// no window and says so in one line; a lost bridge and the Exit item end
// the event loop with their status.

#include <QAction>
#include <QCoreApplication>
#include <QTimer>
#include <sstream>

#include "WindowFixture.h"
#include "gui/Run.h"

namespace kestrav::test {
namespace {

class RunTest : public WindowTest {
 protected:
  RunTest() {
    window.installEventFilter(&shows);
    // However the program behaves, no test waits forever on its loop.
    QTimer::singleShot(20000, &window, [] { QCoreApplication::exit(99); });
  }

  int run() { return gui::runWindow(monitor, core, window, desktop, "the test port", err); }

  struct ShowCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Show) ++count;
      return false;
    }
  } shows;
  std::ostringstream err;
};

TEST_F(RunTest, RefusedBridgeShowsNoWindowAndSaysSoOnce) {
  port->name = "KESTRAV-3 other chip";
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(shows.count, 0);
  EXPECT_FALSE(window.timer1().isActive());
  EXPECT_EQ(err.str(), "kestrav-gui: the bridge on the test port answered \"KESTRAV-3\" instead of \"KESTRAV-2\"\n");
  EXPECT_EQ(port->identifications, 1);
}

TEST_F(RunTest, BridgeLostWhileTheWindowIsOpenEndsTheLoopWithStatusOne) {
  port->answers = 3;  // the load and two ticks
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(shows.count, 1);
  EXPECT_EQ(port->identifications, 4);
  EXPECT_EQ(err.str(), "kestrav-gui: the bridge on the test port did not answer (received \"         \" instead of "
                       "\"KESTRAV-2\")\n");
}

TEST_F(RunTest, ExitItemEndsTheLoopWithStatusZero) {
  QTimer::singleShot(300, &window, [this] { window.actionFor(ui.mnuExit)->trigger(); });
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(shows.count, 1);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace kestrav::test
