#pragma once
#include <windows.h>

namespace doumteo {
// The start-up routine: single instance, product profile, main window, loop.
int runProgram(HINSTANCE instance, int show);
}  // namespace doumteo
