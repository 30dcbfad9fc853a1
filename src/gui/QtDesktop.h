#pragma once
// The desktop of the program, with Qt: message boxes, the input box, the
// save dialog, opening a file with the desktop's default application, the
// program's folder and quitting.

#include <QPointer>
#include <QWidget>
#include <functional>

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

 private:
  void prepareDialog();

  QPointer<QWidget> window_;
  std::function<void()> beforeDialog_;
  bool quitRequested_ = false;
  int quitStatus_ = 0;
};

}  // namespace kestrav::gui
