#include "headless/HeadlessDesktop.h"

#include "app/UserSteps.h"

namespace kestrav::headless {

using context::MessageAnswer;
using context::MessageButtons;
using context::MessageIcon;

void HeadlessDesktop::answerSetup(std::string workbook, std::string interval) {
  setup_ = SetupAnswers{std::move(workbook), std::move(interval), false};
}

MessageAnswer HeadlessDesktop::messageBox(const std::string& text, const std::string&, MessageButtons buttons,
                                          MessageIcon icon, MessageAnswer defaultButton) {
  if (setup_) {
    // The set-up asks whether the configuration is fine and whether the
    // sample count is, then tells that collection is about to begin.
    const bool offersYes = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel;
    if (icon == MessageIcon::Question && offersYes) return MessageAnswer::Yes;
    if (icon == MessageIcon::Information && buttons == MessageButtons::OK) return MessageAnswer::OK;
  }
  lastMessage_ = oneLine(text);
  console_.line(program_ + ": " + lastMessage_);
  ++messagesShown_;
  if (!setup_) return defaultButton;
  switch (buttons) {
    case MessageButtons::OKCancel:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    case MessageButtons::OK:
      break;
  }
  return MessageAnswer::OK;
}

std::string HeadlessDesktop::inputBox(const std::string&, const std::string&, const std::string&) {
  if (!setup_ || setup_->intervalGiven) return {};
  setup_->intervalGiven = true;
  return setup_->interval;
}

std::optional<std::string> HeadlessDesktop::saveFileDialog(const std::string&, const std::string&) {
  if (!setup_) return std::nullopt;
  return setup_->workbook;
}

bool createSetup(context::Monitor& m, HeadlessDesktop& desktop, const std::string& workbook,
                 const std::string& seconds) {
  desktop.answerSetup(workbook, seconds);
  const bool running = app::createSetup(m);
  desktop.endSetup();
  return running;
}

}  // namespace kestrav::headless
