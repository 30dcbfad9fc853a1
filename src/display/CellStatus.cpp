#include "display/CellStatus.h"

namespace kestrav::display {

// The cell status is not built yet: these routines keep their place in the
// board selection and the commands that call them.
void SET_MCI_DCC_DISPLAY(Monitor&) {}
void SET_CELLstatus(Monitor&) {}
void CLEAR_CELLstatus(Monitor&) {}
void DISPLAY_CELLstatus(Monitor&) {}

}  // namespace kestrav::display
