#pragma once
// What the driver's own files share: handle owners, the short sleep of every
// poll, the lower-casing of names, and the screen grab that both screenshots
// and the reading of message-box icons use. Not for the scenarios.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e::detail {

struct HandleCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct DcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct ObjectDeleter {
  void operator()(HGDIOBJ o) const { DeleteObject(o); }
};

inline void sleepMs(DWORD ms) { Sleep(ms); }

inline std::wstring lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// Pixels of a screen rectangle, 32 bits each, top-down rows.
std::vector<DWORD> grabScreen(const RECT& r);

}  // namespace e2e::detail
