#include "web/frm_login_win.h"

#include "resource_ids.h"
#include "web/login.h"

namespace doumteo {

using ui::ControlSpec;
using ui::Font;
using ui::Kind;

FrmLogin::FrmLogin(const Services& services)
    : ui::Form(L"FrmLogin", L"벨토홈페이지 로그인", 3930, 1635), services_(services) {
  addControls({
      ControlSpec{Kind::Panel3D, L"SSPanel1", L"", 0, 0, 3930, 1635, L"", Font::Gulim, 0, 0, false},
      ControlSpec{Kind::Label, L"Label3", L"SSPanel1", 90, 225, 2940, 195, L"아이디와 패스워드를 적어 주십시요.",
                  Font::Gulim, 0, 0, false},
      ControlSpec{Kind::Label, L"Label1", L"SSPanel1", 90, 765, 900, 180, L"아 이 디  : ", Font::Gulim, 0, 0, false},
      ControlSpec{Kind::TextBox, L"txtID", L"SSPanel1", 990, 720, 1545, 315, L"", Font::Gulim, 0, 0, true},
      ControlSpec{Kind::Label, L"Label2", L"SSPanel1", 90, 1170, 900, 180, L"패스워드 : ", Font::Gulim, 0, 0, false},
      ControlSpec{Kind::PasswordBox, L"txtPW", L"SSPanel1", 990, 1125, 1545, 315, L"", Font::Gulim, 0, 0, true},
      ControlSpec{Kind::ImageButton, L"btnWebLogin", L"SSPanel1", 2655, 720, 1185, 735, L"접 속  ", Font::Gulim,
                  IDI_BTN_LOGIN, 0, true},
  });
  onClick[L"btnWebLogin"] = [this] { login(); };
}

void FrmLogin::onLoad() {
  // Shown without an owner, so it has a taskbar button of its own: the program's icon, not a stock one.
  setWindowIcon(IDI_APP);
  setText(L"txtID", FrmLogin_Load(services_));
  SendMessageW(control(L"txtID"), EM_SETSEL, 0, -1);
  SetFocus(control(L"txtID"));
}

void FrmLogin::onOk() {
  // Enter acts as the button only in the password box.
  if (GetFocus() == control(L"txtPW")) login();
}

void FrmLogin::login() {
  if (btnWebLogin_Click(services_, text(L"txtID"), text(L"txtPW"))) close();
}

}  // namespace doumteo
