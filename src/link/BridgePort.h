#pragma once
// The transport under the bridge link: the five operations a transaction
// needs. Results are never examined by the link; a port that fails simply
// delivers nothing.

#include <cstddef>
#include <string_view>

namespace kestrav::link {

class BridgePort {
 public:
  virtual ~BridgePort() = default;
  virtual void open() = 0;
  virtual void setTimeouts(int readMs, int writeMs) = 0;
  virtual void write(std::string_view bytes) = 0;
  // Returns when `count` characters arrived or the read time-out ran out;
  // the result is how many arrived (never more than `count`).
  virtual std::size_t read(char* buffer, std::size_t count) = 0;
  virtual void close() = 0;
};

}  // namespace kestrav::link
