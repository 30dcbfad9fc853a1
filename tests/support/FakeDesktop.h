#pragma once
// A scripted desktop for tests: records every message box and dialog and
// answers from queues; a fixed clock.

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "context/Clock.h"
#include "context/Desktop.h"

namespace kestrav::test {

struct ShownMessage {
  std::string text, title;
  context::MessageButtons buttons;
  context::MessageIcon icon;
  context::MessageAnswer defaultButton;
};

class FakeDesktop : public context::Desktop {
 public:
  // The program's folder is a fresh temporary folder of its own, so files a
  // test makes the program write (the last datalog) never pile up anywhere.
  FakeDesktop() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrav-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) folder = ownFolder_ = pattern;
  }
  ~FakeDesktop() override {
    std::error_code ignored;
    if (!ownFolder_.empty()) std::filesystem::remove_all(ownFolder_, ignored);
  }
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;

  std::vector<ShownMessage> messages;
  std::deque<context::MessageAnswer> answers;  // empty: the default button
  std::vector<std::string> inputPrompts;
  std::deque<std::string> inputAnswers;  // empty: cancel (empty text)
  std::deque<std::optional<std::string>> saveAnswers;
  std::vector<std::string> suggestedPaths;  // what each save dialog opened on
  std::vector<std::string> opened;
  std::string folder = "/tmp";
  std::vector<int> quits;
  std::function<void()> onPaintNow;  // what a test looks at when the window is painted at once

  context::MessageAnswer messageBox(const std::string& text, const std::string& title, context::MessageButtons buttons,
                                context::MessageIcon icon, context::MessageAnswer defaultButton) override {
    messages.push_back({text, title, buttons, icon, defaultButton});
    if (answers.empty()) return defaultButton;
    const context::MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string inputBox(const std::string& prompt, const std::string&, const std::string&) override {
    inputPrompts.push_back(prompt);
    if (inputAnswers.empty()) return {};
    std::string a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
  }
  std::optional<std::string> saveFileDialog(const std::string&, const std::string& suggestedPath) override {
    suggestedPaths.push_back(suggestedPath);
    if (saveAnswers.empty()) return std::nullopt;
    std::optional<std::string> a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
  }
  std::deque<std::optional<std::string>> openAnswers;  // empty: cancel
  std::vector<std::string> openFilters;                // what each open dialog offered
  std::optional<std::string> openFileDialog(const std::string& filter, const std::string&) override {
    openFilters.push_back(filter);
    if (openAnswers.empty()) return std::nullopt;
    std::optional<std::string> a = openAnswers.front();
    openAnswers.pop_front();
    return a;
  }
  void paintWindowNow() override {
    if (onPaintNow) onPaintNow();
  }
  void openFile(const std::string& path) override { opened.push_back(path); }
  std::string programFolder() override { return folder; }
  void quit(int status) override { quits.push_back(status); }

 private:
  std::string ownFolder_;
};

class FixedClock : public context::Clock {
 public:
  std::chrono::system_clock::time_point when{std::chrono::seconds(1796652309)};  // 2026-12-07 14:05:09 UTC
  std::chrono::system_clock::time_point now() override { return when; }
};

}  // namespace kestrav::test
