#include "app/TelemetryArguments.h"

#include <cstdlib>

namespace kestrav::app {

bool TelemetryArguments::take(ArgumentReader& r, std::string& error) {
  const std::string name(r.name());
  if (name == "--mqtt") {
    const auto url = r.value();
    telemetry::BrokerAddress address;
    if (!url) {
      error = "--mqtt needs the broker's URL, such as mqtt://broker.lab:1883";
    } else if (const auto reason = telemetry::parseBrokerUrl(*url, address)) {
      error = *reason;
    } else {
      options.broker = address;
    }
    return true;
  }
  if (name == "--mqtt-discovery" && !r.hasInlineValue()) {
    options.discovery = true;
    telemetryOnlyGiven_ = true;
    onlyName_ = name;
    return true;
  }
  if (name == "--mqtt-cafile" || name == "--bench" || name == "--mqtt-buffer") {
    const auto value = r.value();
    telemetryOnlyGiven_ = true;
    onlyName_ = name;
    if (name == "--mqtt-cafile") {
      if (!value || value->empty())
        error = "--mqtt-cafile needs the path of a CA certificate file";
      else
        options.caFile = *value;
    } else if (name == "--bench") {
      if (!value || !telemetry::validBenchName(*value))
        error = "--bench needs a name of letters, digits, \"-\" and \"_\"";
      else
        options.bench = *value;
    } else {
      const auto n = value ? positiveNumber(*value) : std::nullopt;
      if (!n)
        error = "--mqtt-buffer needs a positive number of messages";
      else
        options.bufferedMessages = *n;
    }
    return true;
  }
  return false;
}

std::string TelemetryArguments::check() {
  if (!options.broker) return telemetryOnlyGiven_ ? onlyName_ + " applies to --mqtt only" : std::string();
  if (!options.caFile.empty() && !options.broker->tls) return "--mqtt-cafile applies to an mqtts:// broker only";
  if (options.bench.empty()) options.bench = telemetry::defaultBenchName();
  if (const char* password = std::getenv("KESTRAV_MQTT_PASSWORD")) options.password = password;
  return {};
}

std::string telemetryUsageLines() {
  return "  --mqtt URL       publish lab telemetry to an MQTT broker: mqtt://[user@]host[:port],\n"
         "                   mqtts://... for TLS; the password from KESTRAV_MQTT_PASSWORD\n"
         "  --mqtt-cafile FILE  the CA certificate that signs an mqtts:// broker's certificate\n"
         "  --bench NAME     the bench's name in the topics kestrav/NAME/... (default: the host name)\n"
         "  --mqtt-discovery announce the boards' sensors to Home Assistant\n"
         "  --mqtt-buffer N  messages kept while the broker is away (default 10000; the journal\n"
         "                   is sent again after a reconnect, so nothing of it is lost)\n";
}

}  // namespace kestrav::app
