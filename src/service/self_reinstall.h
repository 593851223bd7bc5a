#pragma once
// Self-reinstall: starts the program's own reinstaller and ends the program.
#include "common/window_port.h"
#include "platform/ports.h"

namespace doumteo {

// FrmMain.DoumteoUp_Click. No guard and no question: the reinstaller replaces
// only this program.
void DoumteoUp_Click(const Services& services, WindowPort& window);

}  // namespace doumteo
