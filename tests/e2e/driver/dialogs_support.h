#pragma once
// Helpers of the web, login, clock and viewer scenarios that the driver does
// not offer: controls found by id or class inside nested panels, one registry
// value put back as it was, and today's date.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e {

// The descendant with that control id (the kit numbers a form's controls from
// 1000 in the order of its table), or nullptr. GetDlgItem sees only direct
// children; most controls sit inside panels.
inline HWND controlById(HWND form, int id) {
  for (HWND w : childWindows(form))
    if (GetDlgCtrlID(w) == id) return w;
  return nullptr;
}

// The descendants of that window class (case-insensitive), left to right.
inline std::vector<HWND> controlsOfClass(HWND form, const std::wstring& cls) {
  std::vector<HWND> found;
  for (HWND w : childWindows(form))
    if (CompareStringOrdinal(className(w).c_str(), -1, cls.c_str(), -1, TRUE) == CSTR_EQUAL) found.push_back(w);
  std::stable_sort(found.begin(), found.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  return found;
}

inline SIZE clientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right, r.bottom};
}

inline SIZE windowSize(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The window's rectangle in its parent's client coordinates.
inline RECT rectInParent(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Resizes a top-level window of the program so that its client area gets
// that size, and waits until the program has laid it out.
inline void resizeClient(HWND window, int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// One registry value that a scenario changes, put back as it was found (or
// removed again, with the key when the scenario made it) when it ends.
class RegistryValueRestorer {
 public:
  RegistryValueRestorer(HKEY root, std::wstring path, std::wstring name)
      : root_(root), path_(std::move(path)), name_(std::move(name)) {
    keyExisted_ = regKeyExists(root_, path_);
    original_ = regString(root_, path_, name_);
  }
  ~RegistryValueRestorer() {
    if (original_) {
      regSetString(root_, path_, name_, *original_);
    } else if (!keyExisted_) {
      regDeleteTree(root_, path_);
    } else {
      RegDeleteKeyValueW(root_, path_.c_str(), name_.c_str());
    }
  }
  RegistryValueRestorer(const RegistryValueRestorer&) = delete;
  RegistryValueRestorer& operator=(const RegistryValueRestorer&) = delete;

  void set(const std::wstring& value) const { regSetString(root_, path_, name_, value); }
  void remove() const { RegDeleteKeyValueW(root_, path_.c_str(), name_.c_str()); }

 private:
  HKEY root_;
  std::wstring path_, name_;
  bool keyExisted_ = false;
  std::optional<std::wstring> original_;
};

inline std::wstring padded(int value, size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

}  // namespace e2e
