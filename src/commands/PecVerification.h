#pragma once
// Judging each read's reply by its packet error code: accept, show the
// mismatch, or throw it away and try again.

#include "app/Monitor.h"

namespace kestrav::commands {

}  // namespace kestrav::commands
