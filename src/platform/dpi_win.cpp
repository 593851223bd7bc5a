#include "platform/dpi_win.h"

#include <atomic>

namespace doumteo::dpi {

namespace {

struct Functions {
  UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
  UINT(WINAPI* getDpiForSystem)() = nullptr;
  BOOL(WINAPI* adjustWindowRectExForDpi)(LPRECT, DWORD, BOOL, DWORD, UINT) = nullptr;
  int(WINAPI* getSystemMetricsForDpi)(int, UINT) = nullptr;
};

template <typename F>
void resolve(HMODULE user32, const char* name, F& out) {
  // Through a plain function pointer: a cast from FARPROC straight to another
  // signature is what -Wcast-function-type warns of.
  out = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

const Functions& resolved() {
  static const Functions f = [] {
    Functions r;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      resolve(user32, "GetDpiForWindow", r.getDpiForWindow);
      resolve(user32, "GetDpiForSystem", r.getDpiForSystem);
      resolve(user32, "AdjustWindowRectExForDpi", r.adjustWindowRectExForDpi);
      resolve(user32, "GetSystemMetricsForDpi", r.getSystemMetricsForDpi);
    }
    return r;
  }();
  return f;
}

std::atomic<bool> g_simulateMissing{false};

const Functions& functions() {
  static const Functions none;
  return g_simulateMissing ? none : resolved();
}

}  // namespace

void simulateMissing(bool missing) { g_simulateMissing = missing; }

UINT system() {
  if (const auto f = functions().getDpiForSystem) return f();
  HDC screen = GetDC(nullptr);
  const int d = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return d > 0 ? static_cast<UINT>(d) : 96;
}

UINT forWindow(HWND hwnd) {
  const auto f = functions().getDpiForWindow;
  const UINT d = hwnd && f ? f(hwnd) : 0;
  return d ? d : system();
}

void adjustWindowRect(RECT& r, DWORD style, DWORD exStyle, UINT dpi) {
  if (const auto f = functions().adjustWindowRectExForDpi)
    f(&r, style, FALSE, exStyle, dpi);
  else
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

int systemMetric(int index, UINT dpi) {
  if (const auto f = functions().getSystemMetricsForDpi) return f(index, dpi);
  return GetSystemMetrics(index);
}

}  // namespace doumteo::dpi
