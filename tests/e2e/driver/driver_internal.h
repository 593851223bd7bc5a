#pragma once
// What the driver's own files share: the short sleep of every
// poll, the lower-casing of names, and the screen grab that both screenshots
// and the reading of message-box icons use. Not for the scenarios.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e::detail {

inline void sleepMs(DWORD ms) { Sleep(ms); }

inline std::wstring lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

// A w × h bitmap of 32-bit top-down rows, selected into a memory DC
// compatible with the screen, for drawing and reading pixels.
class ScreenDib {
 public:
  ScreenDib(int w, int h);
  HDC dc() const { return memory_.get(); }
  HDC screen() const { return screen_.get(); }
  DWORD* pixels() const { return bits_; }

 private:
  WindowDc screen_{nullptr};
  MemoryDc memory_;
  DWORD* bits_ = nullptr;
  UniqueBitmap bitmap_;
  std::unique_ptr<SelectedObject> selected_;
};

// Pixels of a screen rectangle, 32 bits each, top-down rows.
std::vector<DWORD> grabScreen(const RECT& r);

}  // namespace e2e::detail
