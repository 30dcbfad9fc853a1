#pragma once
// The modal and desktop interactions of the program: message boxes, the
// input box, the open and save dialogs, opening a file with the desktop, the program's
// folder and quitting. The Qt view implements it; tests use a scripted fake.

#include <optional>
#include <string>

namespace kestrav::context {

// Title of a message box that names none.
inline constexpr const char* kDefaultMessageTitle = "KESTRAV-2 Stack Monitor";

enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Exclamation, Question, Critical };
enum class MessageAnswer { OK, Cancel, Yes, No };

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Blocks until the user answers.
  virtual MessageAnswer messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                                   MessageIcon icon, MessageAnswer defaultButton) = 0;

  // The text typed, or the empty text when the user cancelled.
  virtual std::string inputBox(const std::string& prompt, const std::string& title,
                               const std::string& defaultText) = 0;

  // A save dialog with a filter such as "Excel file (*.xls) |*.xls", opened on
  // the suggested path (none when empty); the full path chosen (given the
  // filter's ending when typed without it), or nothing when the user
  // cancelled.
  virtual std::optional<std::string> saveFileDialog(const std::string& filter,
                                                    const std::string& suggestedPath) = 0;

  // An open dialog with the same kind of filter, opened on `startPath`'s
  // folder (the working folder when empty): the existing file chosen, or
  // nothing when the user cancelled. A desktop that cannot ask anybody
  // answers as a cancel.
  virtual std::optional<std::string> openFileDialog(const std::string& filter, const std::string& startPath) {
    (void)filter;
    (void)startPath;
    return std::nullopt;
  }

  // Puts the window on screen as the model stands, at once: for a long
  // operation that keeps the window from painting until it ends.
  virtual void paintWindowNow() = 0;

  // Opens a file with the desktop's default application; never blocks and
  // never reports a failure.
  virtual void openFile(const std::string& path) = 0;

  // The folder the running program lives in.
  virtual std::string programFolder() = 0;

  // Ends the program with this exit status once the current event returns.
  virtual void quit(int status) = 0;
};

}  // namespace kestrav::context
