#pragma once
// What the driver's own files share: the short sleep of every
// poll, the lower-casing of names, and the screen grab that both screenshots
// and the reading of message-box icons use. Not for the scenarios.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e::detail {

inline void sleepMs(DWORD ms) { Sleep(ms); }

inline std::wstring lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// Pixels of a screen rectangle, 32 bits each, top-down rows.
std::vector<DWORD> grabScreen(const RECT& r);

}  // namespace e2e::detail
