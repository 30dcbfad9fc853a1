#include "link/ports/FtdiPort.h"

namespace kestrav::link {
FtdiPort::FtdiPort(int baud) : baud_(baud) {}
FtdiPort::~FtdiPort() = default;
void FtdiPort::open() {}
void FtdiPort::setTimeouts(int readMs, int writeMs) { readTimeoutMs_ = readMs; writeTimeoutMs_ = writeMs; }
void FtdiPort::write(std::string_view) {}
std::size_t FtdiPort::read(char*, std::size_t) { return 0; }
void FtdiPort::close() {}
}  // namespace kestrav::link
