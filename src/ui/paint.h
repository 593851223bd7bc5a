#pragma once
// The painting of the kit's three drawn controls. The form owns the
// controls, their data and their messages; these only draw.
#include <windows.h>

#include <functional>
#include <string>

namespace doumteo::ui {

// The control's window text.
std::wstring windowText(HWND h);

// An image button as an owner-drawn push button: a raised (or, pressed,
// sunken) edge, the icon beside the caption, the focus rectangle. iconOfSize
// gives the button's icon at a size in pixels (null: none).
void paintImageButton(const DRAWITEMSTRUCT& dis, UINT dpi, const std::function<HICON(int sizePx)>& iconOfSize);

// A 3-D panel on WM_PAINT: a raised edge and its caption centred.
void paintPanel(HWND panel);

// A picture box on WM_PAINT: its bitmap at its own size for the window's
// DPI, or stretched over the box; the rest in the face colour.
void paintPicture(HWND picture, HBITMAP bitmap, bool stretch, UINT dpi);

}  // namespace doumteo::ui
