// GoogleTest with a QApplication around it, on the offscreen platform
// unless the environment names another.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "gui/Look.h"

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  kestrav::gui::applyLook(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
