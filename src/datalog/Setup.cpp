#include "datalog/Setup.h"

namespace kestrav::datalog {

// Datalogging is not built yet: these routines keep their place in the
// menu routing and the dispatcher.
void mnuCreateNewSetup_Click(app::Monitor&) {}
void mnuUsePreviousSetup_Click(app::Monitor&) {}
void START_DATAlog(app::Monitor&) {}
void CLEAR_DATAlog(app::Monitor&) {}
void SET_collect_BUTTONS(app::Monitor&) {}
void DATALOGGING_cmd(app::Monitor&) {}

}  // namespace kestrav::datalog
