// The controls' own calls, and the window each kind is made as.
#include "ui/controls.h"

#include <commctrl.h>

#include "ui/paint.h"

namespace doumteo::ui {

WindowKind windowKindOf(Kind kind, bool tabStop) {
  const DWORD base = WS_CHILD | WS_VISIBLE;
  const DWORD tab = tabStop ? WS_TABSTOP : 0;
  switch (kind) {
    case Kind::Panel3D:
      return {kPanelClass, base | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT};
    case Kind::Label:
      return {L"STATIC", base | SS_LEFT | SS_NOPREFIX, 0};
    case Kind::ImageButton:
      return {L"BUTTON", base | BS_OWNERDRAW | tab, 0};
    case Kind::PushButton:
      return {L"BUTTON", base | BS_PUSHBUTTON | tab, 0};
    case Kind::DropDownList:
      return {L"COMBOBOX", base | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
    case Kind::ListBox:
      // Sorted by the form, not by the control; no partial last line.
      return {L"LISTBOX", base | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case Kind::TextBox:
      return {L"EDIT", base | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case Kind::PasswordBox:
      return {L"EDIT", base | ES_AUTOHSCROLL | WS_TABSTOP | ES_PASSWORD, WS_EX_CLIENTEDGE};
    case Kind::TextView:
      return {L"EDIT", base | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case Kind::StatusLine:
      return {L"STATIC", base | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0};
    case Kind::PictureBox:
      return {kPictureClass, base, WS_EX_CLIENTEDGE};
    case Kind::Image:
      break;
  }
  return {kPictureClass, base, 0};
}

namespace {
LRESULT CALLBACK textViewSubclass(HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) {
  if (m == WM_GETDLGCODE) {
    // A multi-line box wants every key; a read-only one has no use for Tab,
    // Enter or Esc, which belong to the form's buttons.
    const auto* msg = reinterpret_cast<const MSG*>(l);
    const bool formKey = msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
                         (msg->wParam == VK_TAB || msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
    const LRESULT code = DefSubclassProc(h, m, w, l) & ~DLGC_WANTALLKEYS;
    return formKey ? code & ~DLGC_WANTMESSAGE : code;
  }
  if (m == WM_NCDESTROY) RemoveWindowSubclass(h, &textViewSubclass, 2);
  return DefSubclassProc(h, m, w, l);
}
}  // namespace

void keepKeysForForm(HWND textView) { SetWindowSubclass(textView, &textViewSubclass, 2, 0); }

HWND Control::hwnd() const { return form_ ? form_->items_[index_].hwnd : nullptr; }

std::wstring Control::text() const {
  HWND h = hwnd();
  return h ? windowText(h) : std::wstring();
}

void Control::setText(const std::wstring& t) const {
  if (HWND h = hwnd()) {
    SetWindowTextW(h, t.c_str());
    InvalidateRect(h, nullptr, TRUE);
  }
}

void Control::setEnabled(bool enabled) const {
  if (HWND h = hwnd()) EnableWindow(h, enabled ? TRUE : FALSE);
}

void Control::focus() const {
  if (HWND h = hwnd()) SetFocus(h);
}

void Button::onClick(std::function<void()> handler) const { form_->items_[index_].click = std::move(handler); }

void Button::onMouseUp(std::function<void(const MouseEvent&)> handler) const {
  Form::Item& item = form_->items_[index_];
  item.mouseUp = std::move(handler);
  form_->subclassForMouse(item);
}

void DropDownList::fill(const std::vector<std::wstring>& entries, const std::wstring& preset) const {
  HWND h = hwnd();
  SendMessageW(h, CB_RESETCONTENT, 0, 0);
  for (const auto& e : entries) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
  SendMessageW(h, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(preset.c_str()));
}

void ListBox::fill(const std::vector<std::wstring>& lines, int selected) const {
  HWND h = hwnd();
  SendMessageW(h, WM_SETREDRAW, FALSE, 0);
  SendMessageW(h, LB_RESETCONTENT, 0, 0);
  for (const auto& line : lines) SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  SendMessageW(h, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(h, nullptr, TRUE);
}

int ListBox::selectedIndex() const {
  const LRESULT i = SendMessageW(hwnd(), LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : static_cast<int>(i);
}

void ListBox::onDoubleClick(std::function<void()> handler) const {
  form_->items_[index_].doubleClick = std::move(handler);
}

void Picture::setPicture(HBITMAP bitmap) const {
  if (HWND h = hwnd()) {
    SetPropW(h, L"bitmap", bitmap);
    InvalidateRect(h, nullptr, TRUE);
  }
}

void Picture::onDoubleClick(std::function<void()> handler) const {
  form_->items_[index_].doubleClick = std::move(handler);
}

void TextView::selectAll() const { SendMessageW(hwnd(), EM_SETSEL, 0, -1); }

TextView Form::addTextView(std::wstring name, const Panel& parent, Place place, Font font) {
  return TextView(this, addItem({Kind::TextView, std::move(name), parentIndex(parent), place, L"", font, 0, true}));
}

StatusLine Form::addStatusLine(std::wstring name, const Panel& parent, Place place) {
  return StatusLine(
      this, addItem({Kind::StatusLine, std::move(name), parentIndex(parent), place, L"", Font::Gulim, 0, false}));
}

}  // namespace doumteo::ui
