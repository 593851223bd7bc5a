#include "ui/message_box_win.h"

namespace doumteo::ui {

Answer Win32MessageBox::show(const MessageRequest& r) {
  UINT flags = r.buttons == MsgButtons::YesNo ? MB_YESNO : MB_OK;
  switch (r.icon) {
    case MsgIcon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case MsgIcon::Exclamation:
      flags |= MB_ICONEXCLAMATION;
      break;
    case MsgIcon::Question:
      flags |= MB_ICONQUESTION;
      break;
    case MsgIcon::None:
      break;
  }
  if (r.buttons == MsgButtons::YesNo && r.defaultIsNo) flags |= MB_DEFBUTTON2;
  HWND owner = GetActiveWindow();
  if (!owner || !IsWindowEnabled(owner))
    owner = owner_ && IsWindow(owner_) && IsWindowEnabled(owner_) ? owner_ : nullptr;
  if (!owner) flags |= MB_TASKMODAL;
  flags |= MB_SETFOREGROUND;
  switch (MessageBoxW(owner, r.text.c_str(), r.title.c_str(), flags)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return r.buttons == MsgButtons::YesNo ? Answer::No : Answer::Ok;
  }
}

}  // namespace doumteo::ui
