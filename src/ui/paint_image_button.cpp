#include "platform/handle_win.h"
#include "ui/paint.h"

namespace doumteo::ui {

std::wstring windowText(HWND h) {
  const int n = GetWindowTextLengthW(h);
  std::wstring s(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(h, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(n));
  return s;
}

void paintImageButton(const DRAWITEMSTRUCT& dis, UINT dpi, const std::function<HICON(int sizePx)>& iconOfSize) {
  HDC dc = dis.hDC;
  RECT r = dis.rcItem;
  const bool pressed = (dis.itemState & ODS_SELECTED) != 0;
  const bool focused = (dis.itemState & ODS_FOCUS) != 0;
  const bool disabled = (dis.itemState & ODS_DISABLED) != 0;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  const int pad = MulDiv(6, static_cast<int>(dpi), 96);
  const int shift = pressed ? 1 : 0;
  int x = r.left + pad + shift;
  const int h = r.bottom - r.top;
  // The stored captions end in blanks that spaced the text from the icon;
  // the icon is spaced here, and measured blanks would only push a caption
  // that fits into an ellipsis.
  std::wstring caption = windowText(dis.hwndItem);
  while (!caption.empty() && caption.back() == L' ') caption.pop_back();
  if (iconOfSize) {
    int size = MulDiv(32, static_cast<int>(dpi), 96);
    if (size > h - 2 * pad) size = MulDiv(16, static_cast<int>(dpi), 96);
    if (caption.empty()) x = r.left + (r.right - r.left - size) / 2 + shift;  // an icon alone sits in the middle
    if (HICON ic = iconOfSize(size)) {
      DrawIconEx(dc, x, r.top + (h - size) / 2 + shift, ic, size, size, 0, nullptr, DI_NORMAL);
      x += size + pad;
    }
  }
  RECT tr{x, r.top + shift, r.right - pad, r.bottom + shift};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  {
    const SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dis.hwndItem, WM_GETFONT, 0, 0)));
    UINT fmt = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS;
    if (dis.itemState & ODS_NOACCEL) fmt |= DT_HIDEPREFIX;
    DrawTextW(dc, caption.c_str(), -1, &tr, fmt);
  }
  if (focused && !(dis.itemState & ODS_NOFOCUSRECT)) {
    RECT fr = r;
    InflateRect(&fr, -pad / 2 - 1, -pad / 2 - 1);
    DrawFocusRect(dc, &fr);
  }
}

}  // namespace doumteo::ui
