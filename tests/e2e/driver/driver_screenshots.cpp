// Screenshots of the windows the scenarios meet, as 24-bit BMP files.
#include "driver/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>

#include "driver/driver_internal.h"

namespace e2e {

namespace detail {

ScreenDib::ScreenDib(int w, int h) : memory_(CreateCompatibleDC(screen_.get())) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(memory_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_) throw DriverError(L"cannot make a bitmap for the screen's pixels");
  bits_ = static_cast<DWORD*>(bits);
  selected_ = std::make_unique<SelectedObject>(memory_.get(), bitmap_.get());
}

std::vector<DWORD> grabScreen(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<DWORD> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  if (w <= 0 || h <= 0) return pixels;
  const ScreenDib dib(w, h);
  BitBlt(dib.dc(), 0, 0, w, h, dib.screen(), r.left, r.top, SRCCOPY);
  GdiFlush();
  std::copy_n(dib.pixels(), pixels.size(), pixels.begin());
  return pixels;
}

}  // namespace detail

using namespace detail;

namespace {

std::wstring currentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return L"e2e";
  return fromUtf8(std::string(info->test_suite_name()) + "." + info->name());
}

void writeBmp(const std::wstring& path, const std::vector<DWORD>& pixels, int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;  // bottom-up
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biSizeImage = static_cast<DWORD>(stride * h);
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + ih.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
  bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      DWORD p = pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      row[static_cast<size_t>(x) * 3] = static_cast<char>(p & 0xFF);
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
    }
    bytes += row;
  }
  writeFile(path, bytes);
}

}  // namespace

std::wstring screenshot(HWND window, const std::wstring& name) {
  static std::map<std::wstring, int> counters;
  std::wstring file = name;
  if (file.empty()) {
    std::wstring test = currentTestName();
    file = test + L"-" + std::to_wstring(++counters[test]);
  }
  RECT r;
  if (!GetWindowRect(window, &r)) throw DriverError(L"screenshot of a window that is gone");
  // Only what lies on the virtual screen can be read back.
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  IntersectRect(&r, &r, &screen);
  std::wstring path = environment().shotsDir + L"\\" + file + L".bmp";
  // Take the picture once two looks 100 ms apart agree: the window has
  // finished painting (or 3 s have passed).
  std::vector<DWORD> pixels = grabScreen(r);
  for (int attempt = 0; attempt < 30; ++attempt) {
    sleepMs(100);
    std::vector<DWORD> again = grabScreen(r);
    bool stable = again == pixels;
    pixels = std::move(again);
    if (stable) break;
  }
  writeBmp(path, pixels, r.right - r.left, r.bottom - r.top);
  return path;
}

}  // namespace e2e
