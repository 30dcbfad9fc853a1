#pragma once
// The desktop of a program without a window. It answers the dialogs of a
// datalog set-up from the program's options, as a user would click through
// them, and writes every other message box to the console as one line.

#include <optional>
#include <string>

#include "context/Desktop.h"
#include "context/Monitor.h"
#include "headless/Console.h"

namespace kestrav::headless {

class HeadlessDesktop : public context::Desktop {
 public:
  // `program` heads every message line ("kestrav-log: ..."); `folder`
  // stands for the program's folder.
  HeadlessDesktop(Console& console, std::string program, std::string folder)
      : console_(console), program_(std::move(program)), folder_(std::move(folder)) {}

  // Until endSetup(): the questions of the set-up are answered Yes and its
  // notice OK, the save dialog gets `workbook` and the interval prompt gets
  // `interval` the first time (an interval asked for again was refused: the
  // prompt is cancelled). Any other message of the set-up is shown and
  // answered Cancel where it offers that, so the set-up ends.
  void answerSetup(std::string workbook, std::string interval);
  void endSetup() { setup_.reset(); }

  // Message boxes shown on the console so far.
  int messagesShown() const { return messagesShown_; }
  // The text of the last of them, on one line.
  const std::string& lastMessage() const { return lastMessage_; }

  context::MessageAnswer messageBox(const std::string& text, const std::string& title,
                                    context::MessageButtons buttons, context::MessageIcon icon,
                                    context::MessageAnswer defaultButton) override;
  std::string inputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
  // The suggested path is passed over: the options name the workbook.
  std::optional<std::string> saveFileDialog(const std::string& filter, const std::string& suggestedPath) override;
  // There is no window to paint.
  void paintWindowNow() override {}
  // Nothing is opened on a machine without a desktop session.
  void openFile(const std::string&) override {}
  std::string programFolder() override { return folder_; }
  // The program's loop notices the end in the Monitor.
  void quit(int) override {}

 private:
  struct SetupAnswers {
    std::string workbook, interval;
    bool intervalGiven = false;
  };

  Console& console_;
  std::string program_;
  std::string folder_;
  std::optional<SetupAnswers> setup_;
  int messagesShown_ = 0;
  std::string lastMessage_;
};

// Datalog > Create New Setup, with `desktop` answering for `workbook` and
// an interval of `seconds`. True when collection runs afterwards.
bool createSetup(context::Monitor& m, HeadlessDesktop& desktop, const std::string& workbook,
                 const std::string& seconds);

}  // namespace kestrav::headless
