// The end-to-end runner: per-monitor DPI aware, so that window rectangles and
// screen pixels are in the same physical units as the program's at any DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include "driver/driver.h"

int main(int argc, char** argv) {
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  testing::InitGoogleTest(&argc, argv);
  e2e::initEnvironment();
  return RUN_ALL_TESTS();
}
