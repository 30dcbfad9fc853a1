// Run only in the ThreadSanitizer build, against a core thread built with a
// race planted in its hand-over: the window asks whether the core is idle
// while the core runs events. The test passes when ThreadSanitizer reports
// the planted race under the project's suppressions.

#include <QLineEdit>
#include <chrono>
#include <thread>

#include "WindowFixture.h"

namespace kestrav::test {
namespace {

TEST_F(WindowTest, PublishesAndRendersCrossTheHandOver) {
  start();
  // Each event takes long enough for the window to ask meanwhile.
  for (int i = 0; i < 5; ++i)
    onCore([&, i] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      ui.Text1[3].setText(std::to_string(i));
    });
  EXPECT_EQ(qobject_cast<QLineEdit*>(widget(ui.Text1[3]))->text(), "4");
}

}  // namespace
}  // namespace kestrav::test
