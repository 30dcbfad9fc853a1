// The program's life around its window, in-process: a refused bridge shows
// no window and says so in one line; a lost bridge, the Exit item and a stop
// signal (also over a dialog) end the event loop with their status.

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <functional>
#include <sstream>
#include <unistd.h>

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

// A stop signal while a dialog the core asked for is up.
class SignalOverDialogTest : public RunTest {
 protected:
  using Ask = std::function<std::string(context::Desktop&)>;

  // Runs the program; once it is up, an event of the core asks `ask` twice;
  // the signal comes while the first dialog is up.
  int runWithSignalDuring(const Ask& ask, int signalNumber) {
    qApp->installEventFilter(&dialogs);
    QTimer::singleShot(300, &window, [this, ask] {
      core.post(-1, [this, ask](context::Monitor& m, context::Control*) {
        answers.push_back(ask(m.desktop));
        answers.push_back(ask(m.desktop));  // asked while the program ends
      });
    });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (since.isValid() || QApplication::activeModalWidget() == nullptr) return;
      shownKind = QApplication::activeModalWidget()->metaObject()->className();
      since.start();
      ::kill(::getpid(), signalNumber);
    });
    watch.start(10);
    const int status = run();
    qApp->removeEventFilter(&dialogs);
    return status;
  }

  struct DialogCounter : QObject {
    int shown = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Show && qobject_cast<QDialog*>(o) != nullptr) ++shown;
      return false;
    }
  } dialogs;
  std::vector<std::string> answers;  // written by the core, read once it has ended
  std::string shownKind;
  QElapsedTimer since;  // from the signal
};

std::string nameOf(context::MessageAnswer a) {
  switch (a) {
    case context::MessageAnswer::OK: return "OK";
    case context::MessageAnswer::Cancel: return "Cancel";
    case context::MessageAnswer::Yes: return "Yes";
    case context::MessageAnswer::No: return "No";
  }
  return "?";
}

TEST_F(SignalOverDialogTest, AMessageBoxClosesAsEscapeAndTheProgramEnds) {
  const int status = runWithSignalDuring(
      [](context::Desktop& d) {
        return nameOf(d.messageBox("Excessive READ FLAG Communication Errors! ", "", context::MessageButtons::YesNo,
                                   context::MessageIcon::Exclamation, context::MessageAnswer::Yes));
      },
      SIGTERM);
  EXPECT_EQ(status, 128 + SIGTERM);
  EXPECT_EQ(shownKind, "QMessageBox");
  EXPECT_EQ(answers, (std::vector<std::string>{"No", "No"}));
  EXPECT_EQ(dialogs.shown, 1);  // the second box never came up
  EXPECT_LT(since.elapsed(), 5000);
  EXPECT_EQ(err.str(), "");
}

TEST_F(SignalOverDialogTest, AnInputBoxClosesAsEscapeAndTheProgramEnds) {
  const int status = runWithSignalDuring(
      [](context::Desktop& d) { return "[" + d.inputBox("Enter the number of samples", "", "100") + "]"; }, SIGINT);
  EXPECT_EQ(status, 128 + SIGINT);
  EXPECT_EQ(shownKind, "QInputDialog");
  EXPECT_EQ(answers, (std::vector<std::string>{"[]", "[]"}));
  EXPECT_EQ(dialogs.shown, 1);
  EXPECT_LT(since.elapsed(), 5000);
}

TEST_F(SignalOverDialogTest, ASaveDialogClosesAsEscapeAndTheProgramEnds) {
  const int status = runWithSignalDuring(
      [](context::Desktop& d) {
        return d.saveFileDialog("Excel file (*.xls) |*.xls", "").value_or("(cancelled)");
      },
      SIGHUP);
  EXPECT_EQ(status, 128 + SIGHUP);
  EXPECT_EQ(shownKind, "QFileDialog");
  EXPECT_EQ(answers, (std::vector<std::string>{"(cancelled)", "(cancelled)"}));
  EXPECT_EQ(dialogs.shown, 1);
  EXPECT_LT(since.elapsed(), 5000);
}

}  // namespace
}  // namespace kestrav::test
