// The desktop's dialogs show what the core asks for and hand back what the
// user chose.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

#include "WhenModal.h"
#include "gui/QtDesktop.h"

namespace kestrav::test {
namespace {

using context::MessageAnswer;
using context::MessageButtons;
using context::MessageIcon;

TEST(QtDesktop, MessageBoxShowsTextTitleButtonsIconAndDefault) {
  gui::QtDesktop desktop;
  whenModal([](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "There will be 12 samples read. Is this okay?");
    EXPECT_EQ(box->windowTitle(), "New Datalog Setup");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(desktop.messageBox("There will be 12 samples read. Is this okay?", "New Datalog Setup",
                               MessageButtons::YesNoCancel, MessageIcon::Question, MessageAnswer::Yes),
            MessageAnswer::No);
}

TEST(QtDesktop, AMessageBoxWithoutTitleGetsTheProgramsAndEscapeMeansNoOrCancel) {
  gui::QtDesktop desktop;
  whenModal([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), context::kDefaultMessageTitle);
    qobject_cast<QMessageBox*>(w)->reject();
  });
  EXPECT_EQ(desktop.messageBox("Excessive READ FLAG Communication Errors! ", "", MessageButtons::YesNo,
                               MessageIcon::Exclamation, MessageAnswer::No),
            MessageAnswer::No);
  whenModal([](QWidget* w) { qobject_cast<QMessageBox*>(w)->reject(); });
  EXPECT_EQ(desktop.messageBox("x", "t", MessageButtons::OKCancel, MessageIcon::None, MessageAnswer::OK),
            MessageAnswer::Cancel);
}

TEST(QtDesktop, InputBoxGivesTheTextOrNothingOnCancel) {
  gui::QtDesktop desktop;
  whenModal([](QWidget* w) {
    auto* dialog = qobject_cast<QInputDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->labelText(), "Enter Time Interval in seconds");
    EXPECT_EQ(dialog->windowTitle(), "Time Interval For New Datalog Settings");
    EXPECT_EQ(dialog->textValue(), "");
    dialog->setTextValue("10");
    dialog->accept();
  });
  EXPECT_EQ(desktop.inputBox("Enter Time Interval in seconds", "Time Interval For New Datalog Settings", ""), "10");
  whenModal([](QWidget* w) {
    qobject_cast<QInputDialog*>(w)->setTextValue("60");
    qobject_cast<QInputDialog*>(w)->reject();
  });
  EXPECT_EQ(desktop.inputBox("p", "t", ""), "");
}

TEST(QtDesktop, SaveDialogAddsTheEndingAndReportsCancel) {
  gui::QtDesktop desktop;
  const QString target = QDir::tempPath() + "/kestrav-save-dialog-test";
  whenModal([target](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    // selectFile() leaves the name box alone while it has the keyboard focus,
    // which it may or may not have yet: type the name the way a user does.
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(target);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  const std::optional<std::string> chosen = desktop.saveFileDialog("Excel file (*.xls) |*.xls", "");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (target + ".xls").toStdString());
  whenModal([](QWidget* w) { QMetaObject::invokeMethod(w, "reject"); });
  EXPECT_FALSE(desktop.saveFileDialog("Excel file (*.xls) |*.xls", "").has_value());
}

TEST(QtDesktop, SaveDialogOpensOnTheSuggestedFile) {
  gui::QtDesktop desktop;
  const QString folder = QDir::tempPath();
  const QString suggested = folder + "/12-07-2026_02_05_09 PM_LAST_DATALOG.xls";
  QString shownName, shownFolder;
  whenModal([&](QWidget* w) {
    if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
      if (auto* name = dialog->findChild<QLineEdit*>("fileNameEdit")) shownName = name->text();
      shownFolder = dialog->directory().absolutePath();
    }
    QMetaObject::invokeMethod(w, "accept");  // whatever it is, never left open
  });
  const std::optional<std::string> chosen = desktop.saveFileDialog("Excel file (*.xls) |*.xls", suggested.toStdString());
  EXPECT_EQ(shownName, "12-07-2026_02_05_09 PM_LAST_DATALOG.xls");
  EXPECT_EQ(shownFolder, QDir(folder).absolutePath());
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, QFileInfo(suggested).absoluteFilePath().toStdString());
}

// What a stop signal does to the dialogs: the save dialog and the question
// Qt asks over it about a file that exists close as Escape would, and a box
// asked for afterwards is answered the same way without showing.
TEST(QtDesktop, EscapingTheDialogsClosesTheOnesUpAndAnswersTheNextOnesAtOnce) {
  gui::QtDesktop desktop;
  const QString existing = QDir::tempPath() + "/kestrav-escape-dialogs-test.xls";
  QFile(existing).open(QIODevice::WriteOnly);
  QString question;
  whenModal([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(existing);
    whenModal([&](QWidget* over) {
      question = qobject_cast<QMessageBox*>(over) ? qobject_cast<QMessageBox*>(over)->text() : "not a box";
      desktop.escapeDialogs();
    });
    QMetaObject::invokeMethod(dialog, "accept");  // asks whether to replace the file, and waits
  });
  EXPECT_FALSE(desktop.saveFileDialog("Excel file (*.xls) |*.xls", "").has_value());
  EXPECT_TRUE(question.contains("already exists")) << question.toStdString();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

  int shown = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      ++shown;
      QMetaObject::invokeMethod(w, "reject");
    }
  });
  watch.start(10);
  EXPECT_EQ(desktop.messageBox("x", "t", MessageButtons::YesNoCancel, MessageIcon::Question, MessageAnswer::Yes),
            MessageAnswer::Cancel);
  EXPECT_EQ(desktop.inputBox("p", "t", "100"), "");
  EXPECT_FALSE(desktop.saveFileDialog("Excel file (*.xls) |*.xls", "").has_value());
  QApplication::processEvents();
  EXPECT_EQ(shown, 0);
  QFile::remove(existing);
}

}  // namespace
}  // namespace kestrav::test
