#include <windows.h>

#include "app/startup_win.h"
#include "ui/kit.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  try {
    return doumteo::runProgram(instance, show);
  } catch (...) {
    // Start-up has no handler of its own; the message is all that is left to do.
    doumteo::ui::reportUnexpected(nullptr, L"Main", L"Module modMain", std::current_exception());
    return 1;
  }
}
