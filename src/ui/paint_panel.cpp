#include "platform/handle_win.h"
#include "ui/paint.h"

namespace doumteo::ui {

void paintPanel(HWND h) {
  const PaintDc paint(h);
  HDC dc = paint.get();
  RECT r;
  GetClientRect(h, &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, BDR_RAISEDINNER | BDR_RAISEDOUTER, BF_RECT);
  const std::wstring caption = windowText(h);
  if (caption.empty()) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(h, WM_GETFONT, 0, 0)));
  DrawTextW(dc, caption.c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
}

}  // namespace doumteo::ui
