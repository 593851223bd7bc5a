#include "app/startup_win.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "app/frm_main_win.h"
#include "app/services_win.h"
#include "common/product_profile.h"
#include "common/text.h"
#include "dialogs/time_set.h"
#include "platform/ansi.h"
#include "platform/clock_win.h"
#include "platform/handle_win.h"
#include "ui/kit.h"

namespace doumteo {

namespace {

// The previous-instance test: a named mutex per user session, per user and
// per program file. The system releases it when a process ends, also after a
// crash, so nothing stale can fool it.
class InstanceLock {
 public:
  InstanceLock() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring key = exe;
    std::replace(key.begin(), key.end(), L'\\', L'_');
    std::replace(key.begin(), key.end(), L':', L'_');
    key = localeLower(key);
    wchar_t user[256] = {};
    DWORD n = 256;
    GetUserNameW(user, &n);
    std::wstring name = L"Local\\Doumteo.";
    name += user;
    name += L".";
    // Object names may not exceed MAX_PATH; the tail of the path identifies it.
    name += key.size() > 180 ? key.substr(key.size() - 180) : key;
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    running_ = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    handle_.reset(mutex);
  }
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  bool previousInstance() const { return running_; }

 private:
  UniqueHandle handle_;
  bool running_ = false;
};

// Brings the running copy's main window to the front and ends the process.
[[noreturn]] void ActivatePrevInstance(HWND mainWindow) {
  char cls[256] = {};
  GetClassNameA(mainWindow, cls, 255);
  const int length = GetWindowTextLengthA(mainWindow);
  std::string title(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(mainWindow, title.data(), length + 1);
  title.resize(std::strlen(title.c_str()));
  SetWindowTextA(mainWindow, "It's duplicated window...");
  HWND found = FindWindowA(cls, title.c_str());
  if (reinterpret_cast<INT_PTR>(found) > 0) {
    ShowWindow(found, SW_RESTORE);
    SetForegroundWindow(found);
  }
  ExitProcess(0);
}

}  // namespace

int runProgram(HINSTANCE instance, int show) {
  // The elevated copy started by the clock dialog changes the date and ends,
  // before the previous-instance test: the copy that started it is running.
  {
    Win32Clock clock;
    if (const auto code = RunSetDateCommand(clock, GetCommandLineW())) return static_cast<int>(*code);
  }
  ui::registerClasses(instance);
  InstanceLock lock;
  Win32Services win;
  Services services = win.services();
  ProductProfile profile;

  if (lock.previousInstance()) {
    FrmMain hidden(services, profile, true);
    hidden.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    ActivatePrevInstance(hidden.hwnd());
  }

  profile = loadProductProfile(services.settings);
  FrmMain main(services, profile, false);
  main.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN);
  win.setMainWindow(main.hwnd());
  main.show(show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE ? show : SW_SHOWNORMAL);
  return ui::runMessageLoop();
}

}  // namespace doumteo
