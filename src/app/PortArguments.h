#pragma once
// Reading a program's command line: "--name value" or "--name=value", and
// the options that choose the bridge, which every program on the bridge
// takes alike.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/PortChoice.h"

namespace kestrav::app {

// Walks the arguments (without the program name) one option at a time.
class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

  // Moves to the next argument; false after the last one.
  bool next();
  std::string_view arg() const { return args_[i_]; }
  // The part before "=" ("--port" of "--port=/dev/pts/3").
  std::string_view name() const { return arg().substr(0, arg().find('=')); }
  bool hasInlineValue() const { return arg().find('=') != std::string_view::npos; }
  // The value after "=", or else the next argument (which is then used up);
  // nothing when there is none or it starts with "--" (another option).
  std::optional<std::string> value();

 private:
  const std::vector<std::string>& args_;
  std::size_t i_ = 0;
  bool started_ = false;
};

// A whole positive decimal number, or nothing ("12x", "0", "-3").
std::optional<int> positiveNumber(std::string_view s);

// --port PATH, --baud N, --simulate[=N].
class PortArguments {
 public:
  // Takes the reader's current argument when it is one of these options and
  // returns true; a bad value leaves its reason in `error`. False (and
  // nothing read) for any other argument.
  bool take(ArgumentReader& r, std::string& error);
  // The rules between the options, once every argument was read; the
  // reason when they are broken, else the empty text.
  std::string check() const;

  PortOptions options;

 private:
  bool portGiven_ = false, simulateGiven_ = false, baudGiven_ = false;
};

// The usage lines of these options, for a program's --help.
std::string portUsageLines();

}  // namespace kestrav::app
