// File > Open and Save Stack Configuration... in the window: the menu, the
// dialogs through the core thread, and a picture of the menu.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "WhenModal.h"
#include "WindowFixture.h"
#include "config/StackConfigFile.h"

namespace kestrav::test {
namespace {

using StackConfigMenu = WindowTest;

// Types the file name into the dialog and accepts it; what it offered.
void chooseFile(const QString& path, QFileDialog::AcceptMode* mode, QStringList* filters) {
  whenModal([=](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    if (dialog == nullptr) {
      QMetaObject::invokeMethod(w, "reject");
      return;
    }
    *mode = dialog->acceptMode();
    *filters = dialog->nameFilters();
    if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

TEST_F(StackConfigMenu, OpenAndSaveSitAboveExitWithTheirShortcuts) {
  start();
  auto* file = window.findChild<QMenu*>("mnuFile");
  ASSERT_NE(file, nullptr);
  const QList<QAction*> items = file->actions();
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0]->text(), "Open Stack Configuration...");
  EXPECT_EQ(items[0]->shortcut(), QKeySequence("Ctrl+O"));
  EXPECT_EQ(items[1]->text(), "Save Stack Configuration...");
  EXPECT_EQ(items[1]->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_TRUE(items[2]->isSeparator());
  EXPECT_EQ(items[3], window.actionFor(ui.mnuExit));
  EXPECT_EQ(items[3]->text(), "&Exit");

  file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
  QApplication::processEvents();
  EXPECT_TRUE(file->grab().save(artifact("file-menu.png")));
  file->hide();
}

TEST_F(StackConfigMenu, TheDialogsOpenAFileIntoTheWindowAndSaveItAgain) {
  start();
  QFileDialog::AcceptMode mode{};
  QStringList filters;
  chooseFile(KESTRAV_SOURCE_DIR "/examples/stack-config.json", &mode, &filters);
  window.findChild<QAction*>("mnuOpenStackConfig")->trigger();
  settle();
  EXPECT_EQ(mode, QFileDialog::AcceptOpen);
  EXPECT_EQ(filters, QStringList{"Stack configuration (*.json)"});
  EXPECT_TRUE(qobject_cast<QPushButton*>(widget(ui.Command4[2]))->text().endsWith("0x8F"));
  EXPECT_FALSE(widget(ui.Command4[3])->isVisible());
  EXPECT_EQ(qobject_cast<QLineEdit*>(widget(ui.Text2[1]))->text(), "4.200V ");

  const QString saved = QDir::tempPath() + "/kestrav-stack-config-menu-test.json";
  QFile::remove(saved);
  chooseFile(saved, &mode, &filters);
  window.findChild<QAction*>("mnuSaveStackConfig")->trigger();
  settle();
  EXPECT_EQ(mode, QFileDialog::AcceptSave);
  const config::StackConfigFileResult back = config::readStackConfigFile(saved.toStdString());
  ASSERT_TRUE(back.ok()) << back.error;
  EXPECT_EQ(*back.config,
            *config::readStackConfigFile(KESTRAV_SOURCE_DIR "/examples/stack-config.json").config);
  QFile::remove(saved);
}

}  // namespace
}  // namespace kestrav::test
