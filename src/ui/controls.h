#pragma once
// What the form and its controls share inside the kit: the window classes,
// and the class and styles each kind of control is made with.
#include <windows.h>

#include "ui/kit.h"

namespace doumteo::ui {

inline constexpr wchar_t kFormClass[] = L"DoumteoForm";
inline constexpr wchar_t kPanelClass[] = L"DoumteoPanel3D";
inline constexpr wchar_t kPictureClass[] = L"DoumteoPicture";

struct WindowKind {
  const wchar_t* windowClass;
  DWORD style;  // WS_CHILD | WS_VISIBLE and the kind's own
  DWORD exStyle;
};
WindowKind windowKindOf(Kind kind, bool tabStop);

// A text view leaves Tab, Enter and Esc to the form, as a one-line box does.
void keepKeysForForm(HWND textView);

}  // namespace doumteo::ui
