#include "link/ports/SerialPort.h"

namespace kestrav::link {
SerialPort::SerialPort(std::string path, int baud) : path_(std::move(path)), baud_(baud) {}
SerialPort::~SerialPort() = default;
void SerialPort::open() {}
void SerialPort::setTimeouts(int readMs, int writeMs) { readTimeoutMs_ = readMs; writeTimeoutMs_ = writeMs; }
void SerialPort::write(std::string_view) {}
std::size_t SerialPort::read(char*, std::size_t) { return 0; }
void SerialPort::close() {}
}  // namespace kestrav::link
