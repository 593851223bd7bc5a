// The image viewer in this process. A DPI change puts every control of a form
// back at its design place; the viewer's picture box must be placed by its
// layout rule again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "dialogs/frm_zoom_image_win.h"

namespace doumteo {
namespace {

bool centredIn(HWND box, HWND window) {
  RECT client{}, r{};
  GetClientRect(window, &client);
  GetWindowRect(box, &r);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
  return std::abs(r.left - (client.right - (r.right - r.left)) / 2) <= 1 &&
         std::abs(r.top - (client.bottom - (r.bottom - r.top)) / 2) <= 1;
}

// The picture box on show: the one visible picture control.
HWND shownPictureBox(HWND window) {
  for (HWND c = FindWindowExW(window, nullptr, L"DoumteoPicture", nullptr); c;
       c = FindWindowExW(window, c, L"DoumteoPicture", nullptr))
    if (IsWindowVisible(c)) return c;
  return nullptr;
}

TEST(ZoomImageWin, DpiChangeLaysThePictureBoxOutAgain) {
  ui::registerClasses(GetModuleHandleW(nullptr));
  FrmZoom_Image viewer;
  viewer.create(nullptr, WS_OVERLAPPEDWINDOW);
  viewer.choosePicture(0);
  viewer.show();
  HWND box = shownPictureBox(viewer.hwnd());
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(IsWindowVisible(box));
  ASSERT_TRUE(centredIn(box, viewer.hwnd()));

  // The suggested rectangle is the window's own: no resize follows.
  RECT window{};
  GetWindowRect(viewer.hwnd(), &window);
  const WORD dpi = static_cast<WORD>(viewer.dpi());
  SendMessageW(viewer.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&window));
  EXPECT_TRUE(centredIn(box, viewer.hwnd())) << "the box is where the kit put it";
  viewer.close();
}

}  // namespace
}  // namespace doumteo
