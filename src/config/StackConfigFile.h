#pragma once
// Stack configurations as files: JSON, UTF-8, one object (the layout is in
// the README, section "Stack configuration files"). Reading is all or
// nothing: a file that is not a valid configuration gives no configuration
// and a reason naming the file, the field and what is wrong. Writing goes
// to a temporary file in the same folder that is flushed to the disk and
// then renamed over the target, so the target is either the old file or
// the whole new one.

#include <optional>
#include <string>

#include "config/StackConfig.h"

namespace kestrav::config {

inline constexpr const char* kStackConfigFormat = "kestrav-stack-config";
inline constexpr int kStackConfigVersion = 1;
// For the desktop's file dialogs.
inline constexpr const char* kStackConfigFilter = "Stack configuration (*.json)|*.json";

// The configuration, or why not ("board 2 \"vuv\": Only Enter Values ...";
// the caller puts the file's name in front).
struct ParsedStackConfig {
  std::optional<StackConfig> config;
  std::string fault;
};

// The JSON text of a configuration, pretty-printed, ending in a newline.
std::string stackConfigJson(const StackConfig& c);
// The configuration a JSON text holds, checked field by field.
ParsedStackConfig parseStackConfig(const std::string& text);

struct StackConfigFileResult {
  std::optional<StackConfig> config;  // for reading
  std::string error;                  // empty when it went well; names the file
  bool ok() const { return error.empty(); }
};

// Reads and checks the file. The error reads "<path>: <field>: <reason>".
StackConfigFileResult readStackConfigFile(const std::string& path);

// Writes the configuration, unless it would be refused when read back (the
// error then says why and nothing is written). A failed write leaves the
// old file as it was; the error names the file and the system's reason.
StackConfigFileResult writeStackConfigFile(const std::string& path, const StackConfig& c);

// The text a threshold box shows for a code, without its "V ": "4.200".
std::string thresholdText(int code);

}  // namespace kestrav::config
