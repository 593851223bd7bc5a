#include "platform/handle_win.h"
#include "ui/paint.h"

namespace doumteo::ui {

void paintPicture(HWND h, HBITMAP bitmap, bool stretch, UINT dpi) {
  const PaintDc paint(h);
  HDC dc = paint.get();
  RECT r;
  GetClientRect(h, &r);
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    return;
  }
  const MemoryDc memory(CreateCompatibleDC(dc));
  HDC mem = memory.get();
  const SelectedObject selected(mem, bitmap);
  int w2 = r.right, h2 = r.bottom;
  if (!stretch) {
    w2 = MulDiv(bm.bmWidth, static_cast<int>(dpi), 96);
    h2 = MulDiv(bm.bmHeight, static_cast<int>(dpi), 96);
    RECT rest = r;
    rest.left = w2;
    FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
    rest = r;
    rest.top = h2;
    FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
  }
  if (w2 == bm.bmWidth && h2 == bm.bmHeight) {
    BitBlt(dc, 0, 0, w2, h2, mem, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, 0, 0, w2, h2, mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  }
}

}  // namespace doumteo::ui
