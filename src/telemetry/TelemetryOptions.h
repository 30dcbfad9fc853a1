#pragma once
// What a program's command line says about lab telemetry: the broker, the
// bench's name in the topics, the CA that signs the broker's certificate,
// Home Assistant discovery and how many messages may wait for the broker.
// Plain data and its checks; no network here.

#include <optional>
#include <string>

namespace kestrav::telemetry {

// How many messages the MQTT client keeps while the broker is away.
inline constexpr int kDefaultBufferedMessages = 10000;

// mqtt://[user@]host[:port] or mqtts://[user@]host[:port].
struct BrokerAddress {
  bool tls = false;
  std::string user;  // empty for none
  std::string host;
  int port = 0;
  // The address as the MQTT library takes it: "tcp://host:1883", "ssl://host:8883".
  std::string serverUri() const;
  // The address without the user, for messages: "mqtt://host:1883".
  std::string shown() const;
};

struct TelemetryOptions {
  std::optional<BrokerAddress> broker;  // nothing: no telemetry
  std::string caFile;                   // --mqtt-cafile; empty for the system's CAs
  std::string bench;                    // letters, digits, "-" and "_"
  bool discovery = false;               // --mqtt-discovery
  int bufferedMessages = kDefaultBufferedMessages;
  std::string password;                 // from KESTRAV_MQTT_PASSWORD, never from the command line
};

// Reads a broker URL; the reason when it is not one, else nothing.
std::optional<std::string> parseBrokerUrl(const std::string& text, BrokerAddress& out);

// Letters, digits, "-" and "_", at least one.
bool validBenchName(const std::string& name);

// A host name up to its first ".", with every character a bench name may not
// hold replaced by "-" ("lab-pc.example.org" gives "lab-pc").
std::string benchNameFromHost(const std::string& hostName);

// The bench name of this machine (from gethostname).
std::string defaultBenchName();

}  // namespace kestrav::telemetry
