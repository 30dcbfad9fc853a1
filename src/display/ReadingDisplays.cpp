#include "display/ReadingDisplays.h"

namespace kestrav::display {

// The reading displays are not built yet: these routines keep their place
// in the board selection and the commands that call them.
void Single_12CELL_Display(Monitor&) {}
void UPDATE_RDFLG_Display(Monitor&) {}
void UPDATE_RDTMP_Display(Monitor&) {}
void DISPLAY_RDCFG(Monitor&) {}
void UPDATE_PEC_Display(Monitor&) {}
void CLEAR_PEC_DISPLAYS(Monitor&) {}

}  // namespace kestrav::display
