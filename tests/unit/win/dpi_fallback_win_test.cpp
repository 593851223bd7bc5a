#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/frm_main_win.h"
#include "fakes/fakes.h"
#include "platform/dpi_win.h"
#include "ui/kit.h"

namespace doumteo {
namespace {

struct Layout {
  UINT dpi = 0;
  SIZE client{};
  SIZE window{};
  std::vector<RECT> controls;  // in the main window's client coordinates
};

BOOL CALLBACK collect(HWND child, LPARAM l) {
  auto& layout = *reinterpret_cast<Layout*>(l);
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetAncestor(child, GA_ROOT), reinterpret_cast<POINT*>(&r), 2);
  layout.controls.push_back(r);
  return TRUE;
}

Layout mainWindowLayout() {
  fakes::FakeEnv env;
  ProductProfile profile;
  FrmMain main(env.services(), profile, false);
  main.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN);
  Layout layout;
  layout.dpi = main.dpi();
  RECT c, w;
  GetClientRect(main.hwnd(), &c);
  GetWindowRect(main.hwnd(), &w);
  layout.client = {c.right, c.bottom};
  layout.window = {w.right - w.left, w.bottom - w.top};
  EnumChildWindows(main.hwnd(), &collect, reinterpret_cast<LPARAM>(&layout));
  return layout;
}

// Windows 7 to 10 version 1511 have none of the DPI functions the window kit
// calls; the main window built with their fallbacks must be the one built
// with them. Run at 96 DPI and, in a prefix of its own, at 144.
TEST(DpiFallback, TheMainWindowIsLaidOutAlikeWithoutTheNewerDpiFunctions) {
  ui::registerClasses(GetModuleHandleW(nullptr));
  const Layout with = mainWindowLayout();
  dpi::simulateMissing(true);
  const Layout without = mainWindowLayout();
  const UINT systemWithout = dpi::system();
  dpi::simulateMissing(false);

  const char* logPixels = std::getenv("DOUMTEO_LOGPIXELS");
  const UINT expected = logPixels ? static_cast<UINT>(std::atoi(logPixels)) : 96;
  EXPECT_EQ(with.dpi, expected);
  EXPECT_EQ(without.dpi, expected);
  EXPECT_EQ(systemWithout, expected);
  EXPECT_EQ(without.client.cx, with.client.cx);
  EXPECT_EQ(without.client.cy, with.client.cy);
  EXPECT_EQ(without.window.cx, with.window.cx);
  EXPECT_EQ(without.window.cy, with.window.cy);
  ASSERT_EQ(without.controls.size(), with.controls.size());
  ASSERT_GT(with.controls.size(), 30u);
  for (std::size_t i = 0; i < with.controls.size(); ++i) {
    const RECT &a = with.controls[i], &b = without.controls[i];
    EXPECT_TRUE(EqualRect(&a, &b)) << "control " << i << ": (" << a.left << "," << a.top << ")-(" << a.right << ","
                                   << a.bottom << ") with, (" << b.left << "," << b.top << ")-(" << b.right << ","
                                   << b.bottom << ") without";
  }
}

}  // namespace
}  // namespace doumteo
