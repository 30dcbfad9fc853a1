#include "gui/QtDesktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include "gui/FileFilter.h"

namespace kestrav::gui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::StandardButtons buttonsOf(context::MessageButtons b) {
  switch (b) {
    case context::MessageButtons::OKCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case context::MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case context::MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case context::MessageButtons::OK: break;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(context::MessageIcon i) {
  switch (i) {
    case context::MessageIcon::Information: return QMessageBox::Information;
    case context::MessageIcon::Exclamation: return QMessageBox::Warning;
    case context::MessageIcon::Question: return QMessageBox::Question;
    case context::MessageIcon::Critical: return QMessageBox::Critical;
    case context::MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton buttonOf(context::MessageAnswer a) {
  switch (a) {
    case context::MessageAnswer::Cancel: return QMessageBox::Cancel;
    case context::MessageAnswer::Yes: return QMessageBox::Yes;
    case context::MessageAnswer::No: return QMessageBox::No;
    case context::MessageAnswer::OK: break;
  }
  return QMessageBox::Ok;
}

context::MessageAnswer answerOf(int button, context::MessageButtons offered) {
  switch (button) {
    case QMessageBox::Ok: return context::MessageAnswer::OK;
    case QMessageBox::Yes: return context::MessageAnswer::Yes;
    case QMessageBox::No: return context::MessageAnswer::No;
    case QMessageBox::Cancel: return context::MessageAnswer::Cancel;
    default: break;
  }
  // Closed without a button: what Escape would have answered.
  switch (offered) {
    case context::MessageButtons::OK: return context::MessageAnswer::OK;
    case context::MessageButtons::YesNo: return context::MessageAnswer::No;
    default: return context::MessageAnswer::Cancel;
  }
}

}  // namespace

void QtDesktop::attach(QWidget* window, std::function<void()> beforeDialog) {
  window_ = window;
  beforeDialog_ = std::move(beforeDialog);
}

void QtDesktop::prepareDialog() {
  if (beforeDialog_) beforeDialog_();
}

int QtDesktop::runModal(QDialog& dialog) {
  if (escaping_) return QDialog::Rejected;
  open_.emplace_back(&dialog);
  const int result = dialog.exec();
  open_.pop_back();
  // The window the dialog belonged to takes the keyboard back, with the
  // focus it had; not every platform hands it back by itself. (The box's
  // own deactivation may still be on its way, so this asks every time.)
  if (window_ && window_->isVisible()) window_->activateWindow();
  return result;
}

void QtDesktop::escapeDialogs() {
  escaping_ = true;
  // Newest first: a dialog opened over another (the save dialog's question
  // about a file that exists) blocks the one below it. reject() is what
  // Escape does, also for a box whose buttons offer no Escape.
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
    for (int depth = 0; depth < 8; ++depth) {
      auto* inner = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (inner == nullptr || inner == it->data() || !inner->isVisible()) break;
      inner->reject();
    }
    if (*it) (*it)->reject();
  }
}

context::MessageAnswer QtDesktop::messageBox(const std::string& text, const std::string& title,
                                         context::MessageButtons buttons, context::MessageIcon icon,
                                         context::MessageAnswer defaultButton) {
  prepareDialog();
  QMessageBox box(iconOf(icon), qs(title.empty() ? context::kDefaultMessageTitle : title), qs(text),
                  buttonsOf(buttons), window_);
  box.setObjectName("MessageBox");
  if (QAbstractButton* b = box.button(buttonOf(defaultButton))) box.setDefaultButton(qobject_cast<QPushButton*>(b));
  return answerOf(runModal(box), buttons);
}

std::string QtDesktop::inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) {
  prepareDialog();
  QInputDialog dialog(window_);
  dialog.setObjectName("InputBox");
  dialog.setWindowTitle(qs(title.empty() ? context::kDefaultMessageTitle : title));
  dialog.setLabelText(qs(prompt));
  dialog.setTextValue(qs(defaultText));
  dialog.setInputMode(QInputDialog::TextInput);
  if (runModal(dialog) != QDialog::Accepted) return {};
  return dialog.textValue().toStdString();
}

std::optional<std::string> QtDesktop::saveFileDialog(const std::string& filter, const std::string& suggestedPath) {
  prepareDialog();
  const FileFilter f = parseFileFilter(filter);
  QFileDialog dialog(window_);
  dialog.setObjectName("CommonDialog1");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  QStringList names;
  for (const std::string& n : f.nameFilters) names << qs(n);
  if (!names.isEmpty()) dialog.setNameFilters(names);
  if (!f.suffix.empty()) dialog.setDefaultSuffix(qs(f.suffix));
  // Before exec, while the name box cannot have the focus yet: selectFile
  // leaves a focused box alone.
  if (!suggestedPath.empty()) dialog.selectFile(qs(suggestedPath));
  if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return withSuffix(dialog.selectedFiles().first().toStdString(), f.suffix);
}

std::optional<std::string> QtDesktop::openFileDialog(const std::string& filter, const std::string& startPath) {
  prepareDialog();
  const FileFilter f = parseFileFilter(filter);
  QFileDialog dialog(window_);
  dialog.setObjectName("OpenDialog");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList names;
  for (const std::string& n : f.nameFilters) names << qs(n);
  if (!names.isEmpty()) dialog.setNameFilters(names);
  if (!startPath.empty()) dialog.selectFile(qs(startPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

void QtDesktop::paintWindowNow() {
  prepareDialog();
  if (window_) window_->repaint();  // painted now, not when the event loop gets to it
}

void QtDesktop::openFile(const std::string& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path))); }

std::string QtDesktop::programFolder() { return QCoreApplication::applicationDirPath().toStdString(); }

void QtDesktop::quit(int status) {
  quitRequested_ = true;
  quitStatus_ = status;
  // With no loop running yet (the load handler refused the bridge) the
  // caller sees the request; telling Qt then would only make the next
  // dialog return at once.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(status);
}

}  // namespace kestrav::gui
