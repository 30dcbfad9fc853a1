#pragma once
// The lab telemetry options every program that watches the stack takes
// alike: --mqtt URL, --mqtt-cafile FILE, --bench NAME, --mqtt-discovery,
// --mqtt-buffer N. The broker's password comes from the environment
// (KESTRAV_MQTT_PASSWORD), never from the command line.

#include <string>

#include "app/PortArguments.h"
#include "telemetry/TelemetryOptions.h"

namespace kestrav::app {

class TelemetryArguments {
 public:
  // Takes the reader's current argument when it is one of these options and
  // returns true; a bad value leaves its reason in `error`.
  bool take(ArgumentReader& r, std::string& error);
  // Once every argument was read: the rules between the options (the
  // reason when broken, else the empty text); fills in the default bench
  // name and the password from the environment.
  std::string check();

  telemetry::TelemetryOptions options;

 private:
  bool telemetryOnlyGiven_ = false;
  std::string onlyName_;
};

std::string telemetryUsageLines();

}  // namespace kestrav::app
