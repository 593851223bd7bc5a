// The program's start-up, step by step: the same calls as its WinMain (with
// the same resources linked in), each one timed. Started by the probe like
// the program itself; on exit it appends one line to steps.log beside the
// executable:
//   steps loader_ms=.. classes_ms=.. services_ms=.. profile_ms=.. create_ms=..
//         show_ms=.. first_idle_ms=.. fill_list_ms=.. list_items=.. listing_ms=..
//         choosing_ms=.. adding_ms=.. adding_batched_ms=..
// loader_ms runs from the process's creation to WinMain (image and DLL
// loading, their initialisation, static constructors); every other figure is
// the time of its own step; first_idle_ms is from WinMain to the first empty
// message queue, the first paint done. After that the backup list is filled
// again, as a whole and in its parts, each timed.
#include <windows.h>

#include <cstdio>
#include <string>

#include "../common/bench_util.h"
#include "app/frm_main_win.h"
#include "app/services_win.h"
#include "common/product_profile.h"
#include "registry/backup_list.h"
#include "ui/kit.h"

namespace {

using bench::nowMs;

double sinceCreationMs() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  auto ticks = [](const FILETIME& f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
  return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;
}

// The main window's backup list: its only combo box.
BOOL CALLBACK findCombo(HWND h, LPARAM l) {
  wchar_t cls[16] = {};
  GetClassNameW(h, cls, 16);
  if (lstrcmpiW(cls, L"ComboBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(l) = h;
  return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace doumteo;
  const double loader = sinceCreationMs();
  const double t0 = nowMs();
  double t = t0;
  auto lap = [&t] {
    const double now = nowMs(), d = now - t;
    t = now;
    return d;
  };

  ui::registerClasses(instance);
  const double classes = lap();
  Win32Services win;
  Services services = win.services();
  const double servicesMs = lap();
  ProductProfile profile = loadProductProfile(services.settings);
  const double profileMs = lap();
  FrmMain main(services, profile, false);
  main.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN);
  win.setMainWindow(main.hwnd());
  const double create = lap();
  main.show(show == SW_SHOWMINIMIZED || show == SW_MINIMIZE || show == SW_SHOWMINNOACTIVE ? show : SW_SHOWNORMAL);
  const double showMs = lap();

  double firstIdle = 0, fill = 0, listing = 0, selecting = 0, adding = 0, addingBatched = 0;
  LRESULT items = 0;
  MSG msg{};
  for (bool quit = false; !quit;) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        break;
      }
      if (!ui::Form::preTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (quit) break;
    if (firstIdle == 0) {
      firstIdle = nowMs() - t0;
      // The list filled again on its own: what the backup files cost.
      t = nowMs();
      main.FillBackupList();
      fill = lap();
      HWND list = nullptr;
      EnumChildWindows(main.hwnd(), &findCombo, reinterpret_cast<LPARAM>(&list));
      items = SendMessageW(list, CB_GETCOUNT, 0, 0);
      // Its parts: the folder listing with the choice, the choice alone, and
      // filling the list; then the list filled with its redrawing held off
      // and its storage reserved first.
      const BackupList found = listBackupFiles(services.files, services.files.programFolder());
      listing = lap();
      selectBackup(found.names);
      selecting = lap();
      SendMessageW(list, CB_RESETCONTENT, 0, 0);
      for (const auto& name : found.names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      adding = lap();
      SendMessageW(list, WM_SETREDRAW, FALSE, 0);
      SendMessageW(list, CB_RESETCONTENT, 0, 0);
      std::size_t chars = 0;
      for (const auto& name : found.names) chars += name.size() + 1;
      SendMessageW(list, CB_INITSTORAGE, found.names.size(), chars * sizeof(wchar_t));
      for (const auto& name : found.names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
      SendMessageW(list, WM_SETREDRAW, TRUE, 0);
      addingBatched = lap();
      if (found.selected) SendMessageW(list, CB_SETCURSEL, *found.selected, 0);
    }
    WaitMessage();
  }

  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring log = exe;
  log = log.substr(0, log.find_last_of(L'\\')) + L"\\steps.log";
  if (FILE* f = _wfopen(log.c_str(), L"a")) {
    std::fprintf(f,
                 "steps loader_ms=%.1f classes_ms=%.1f services_ms=%.1f profile_ms=%.1f create_ms=%.1f show_ms=%.1f "
                 "first_idle_ms=%.1f fill_list_ms=%.1f list_items=%lld listing_ms=%.1f choosing_ms=%.1f adding_ms=%.1f "
                 "adding_batched_ms=%.1f\n",
                 loader, classes, servicesMs, profileMs, create, showMs, firstIdle, fill, static_cast<long long>(items),
                 listing, selecting, adding, addingBatched);
    std::fclose(f);
  }
  return static_cast<int>(msg.wParam);
}
