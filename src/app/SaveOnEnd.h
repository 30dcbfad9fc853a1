#pragma once
// kestrav-gui's save before an end it did not choose (a lost bridge, a
// signal): the datalog's ring goes to the last-datalog workbook, as STOP
// writes it; the journal already holds every sample.

#include <string>

#include "context/Monitor.h"

namespace kestrav::app {

// Returns the note for the program's last line on stderr, naming the
// workbook (or that it could not be saved) and the journal.
std::string saveLastDatalogOnEnd(context::Monitor& m);

}  // namespace kestrav::app
