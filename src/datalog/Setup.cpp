#include "datalog/Setup.h"

namespace kestrav::datalog {

// Datalogging is not built yet: the menu items keep their place in the routing.
void mnuCreateNewSetup_Click(app::Monitor&) {}
void mnuUsePreviousSetup_Click(app::Monitor&) {}
void mnuViewLastDatalog_Click(app::Monitor&) {}

}  // namespace kestrav::datalog
