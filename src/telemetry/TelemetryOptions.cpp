#include "telemetry/TelemetryOptions.h"

#include <unistd.h>

#include <cctype>
#include <charconv>

namespace kestrav::telemetry {

namespace {

bool benchCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

// A host name or an IPv4 address; IPv6 literals are not taken.
bool validHost(const std::string& host) {
  if (host.empty()) return false;
  for (const char c : host)
    if (!(std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.')) return false;
  return true;
}

}  // namespace

std::string BrokerAddress::serverUri() const {
  return std::string(tls ? "ssl://" : "tcp://") + host + ":" + std::to_string(port);
}

std::string BrokerAddress::shown() const {
  return std::string(tls ? "mqtts://" : "mqtt://") + host + ":" + std::to_string(port);
}

std::optional<std::string> parseBrokerUrl(const std::string& text, BrokerAddress& out) {
  const std::string bad = "--mqtt needs mqtt://[user@]host[:port] or mqtts://[user@]host[:port], not \"" + text + "\"";
  BrokerAddress a;
  std::string rest;
  if (text.rfind("mqtt://", 0) == 0) {
    rest = text.substr(7);
  } else if (text.rfind("mqtts://", 0) == 0) {
    a.tls = true;
    rest = text.substr(8);
  } else {
    return bad;
  }
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  if (const auto at = rest.rfind('@'); at != std::string::npos) {
    a.user = rest.substr(0, at);
    rest = rest.substr(at + 1);
    // A password in the URL would end up in the process list.
    if (a.user.find(':') != std::string::npos)
      return std::string("--mqtt takes no password: set KESTRAV_MQTT_PASSWORD instead");
    if (a.user.empty()) return bad;
  }
  a.port = a.tls ? 8883 : 1883;
  if (const auto colon = rest.find(':'); colon != std::string::npos) {
    const std::string portText = rest.substr(colon + 1);
    int port = 0;
    const auto [end, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (ec != std::errc() || end != portText.data() + portText.size() || port < 1 || port > 65535) return bad;
    a.port = port;
    rest = rest.substr(0, colon);
  }
  if (!validHost(rest)) return bad;
  a.host = rest;
  out = a;
  return std::nullopt;
}

bool validBenchName(const std::string& name) {
  if (name.empty()) return false;
  for (const char c : name)
    if (!benchCharacter(c)) return false;
  return true;
}

std::string benchNameFromHost(const std::string& hostName) {
  std::string name = hostName.substr(0, hostName.find('.'));
  for (char& c : name)
    if (!benchCharacter(c)) c = '-';
  return name.empty() ? "bench" : name;
}

std::string defaultBenchName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return "bench";
  return benchNameFromHost(host);
}

}  // namespace kestrav::telemetry
