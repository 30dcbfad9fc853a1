#pragma once
// The desktop of the program, with Qt: message boxes, the input box, the
// save dialog, opening a file with the desktop's default application, the
// program's folder and quitting.

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "context/Desktop.h"

namespace kestrav::gui {

class QtDesktop : public context::Desktop {
 public:
  QtDesktop() = default;

  // The window the dialogs belong to, and what brings it up to date before
  // a dialog opens or a long operation starts (either blocks, so the window
  // must show the state that led to it).
  void attach(QWidget* window, std::function<void()> beforeDialog);

  context::MessageAnswer messageBox(const std::string& text, const std::string& title, context::MessageButtons buttons,
                                context::MessageIcon icon, context::MessageAnswer defaultButton) override;
  std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
  std::optional<std::string> saveFileDialog(const std::string& filter, const std::string& suggestedPath) override;
  std::optional<std::string> openFileDialog(const std::string& filter, const std::string& startPath) override;
  void paintWindowNow() override;
  void openFile(const std::string& path) override;
  std::string programFolder() override;

  // Leaves the event loop with this status. Before the loop runs (during
  // the load handler) the request is kept: quitRequested() tells.
  void quit(int status) override;
  bool quitRequested() const { return quitRequested_; }
  int quitStatus() const { return quitStatus_; }

  // A stop signal ends the program: the dialogs that are up close as their
  // Escape key would close them, and every dialog asked for from now on
  // gets that answer without showing. An unattended program must not wait
  // for a user who has logged out.
  void escapeDialogs();

 private:
  void prepareDialog();
  // exec() of a dialog that escapeDialogs() can close; Rejected at once once
  // the program is ending.
  int runModal(QDialog& dialog);

  QPointer<QWidget> window_;
  std::function<void()> beforeDialog_;
  std::vector<QPointer<QDialog>> open_;  // the dialogs up, the newest last
  bool escaping_ = false;
  bool quitRequested_ = false;
  int quitStatus_ = 0;
};

}  // namespace kestrav::gui
