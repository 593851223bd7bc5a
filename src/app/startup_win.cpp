#include "app/startup_win.h"

namespace doumteo {
int runProgram(HINSTANCE, int) { return 0; }
}  // namespace doumteo
