#pragma once
// The program's ends that are not the user's choice: the bridge is gone (the
// heartbeat's identification failed, or a read received nothing at all and
// the identification after it failed), or a signal (logout, kill, Ctrl-C)
// asks it to end. Both first give the program's save hook the ring of a
// datalog that holds samples, so an unattended run loses nothing.

#include <functional>
#include <string>

namespace kestrav::context {

struct Monitor;

// What a program does with the ring of a datalog before it ends: kestrav-gui
// saves it as the last-datalog workbook. Returns a note for the program's
// last line on standard error ("the datalog is saved in ..."), or nothing.
using SaveBeforeEnd = std::function<std::string(Monitor&)>;

// True while a datalog is set up (collecting or paused) and its ring holds
// at least one sample.
bool datalogHoldsSamples(const Monitor& m);

// The bridge is gone: stops the cycle, saves through the hook, ends with
// kExitRefused, the status of a bridge that does not name the chip. The one road for every place that finds the bridge gone.
void endOnLostBridge(Monitor& m);

// "SIGTERM", "SIGINT", "SIGHUP"; "a signal" for any other.
const char* signalName(int signalNumber);

// A signal asked the program to end: the same save, then the end with the
// status a shell expects, 128 + the signal's number.
void endOnSignal(Monitor& m, int signalNumber);

}  // namespace kestrav::context
