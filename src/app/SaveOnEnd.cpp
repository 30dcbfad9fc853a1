#include "app/SaveOnEnd.h"

#include "datalog/Export.h"

namespace kestrav::app {

std::string saveLastDatalogOnEnd(context::Monitor& m) {
  // As STOP: the ring is exported up to the point the next sample would take.
  m.stack.COUNTERstop = m.datalog.DATApoint;
  std::string note = datalog::saveLastDatalog(m) ? "the datalog is saved in \"" + m.datalog.LastDATAlog + "\""
                                                 : "the datalog could not be saved in \"" + m.datalog.LastDATAlog + "\"";
  if (m.journal.isOpen()) note += ", its journal is \"" + m.journal.path() + "\"";
  return note;
}

}  // namespace kestrav::app
