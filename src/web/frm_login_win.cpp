#include "web/frm_login_win.h"

#include "build_config.h"
#include "resource_ids.h"
#include "web/login.h"

namespace doumteo {

using ui::Panel;

namespace {
constexpr int kEnterKey = 13;
}  // namespace

FrmLogin::FrmLogin(const Services& services)
    : ui::Form(L"FrmLogin", build::kLoginTitle, 3930, 1635), services_(services) {
  const Panel panel = addPanel(L"SSPanel1", Panel(), {0, 0, 3930, 1635});
  addLabel(L"Label3", panel, {90, 225, 2940, 195}, L"아이디와 패스워드를 적어 주십시요.");
  addLabel(L"Label1", panel, {90, 765, 900, 180}, L"아 이 디  : ");
  txtID_ = addTextBox(L"txtID", panel, {990, 720, 1545, 315});
  addLabel(L"Label2", panel, {90, 1170, 900, 180}, L"패스워드 : ");
  txtPW_ = addTextBox(L"txtPW", panel, {990, 1125, 1545, 315}, true);
  // A push button: Enter on it presses it, as on any push button.
  btnWebLogin_ = addPushButton(L"btnWebLogin", panel, {2655, 720, 1185, 735}, L"접 속  ");
  btnWebLogin_.onClick([this] {
    if (btnWebLogin_Click(services_, txtID_.text(), txtPW_.text())) close();
  });
}

void FrmLogin::onLoad() {
  // Shown without an owner, so it has a taskbar button of its own: the program's icon, not a stock one.
  setWindowIcon(IDI_APP);
  txtID_.setText(FrmLogin_Load(services_));
  SendMessageW(txtID_.hwnd(), EM_SETSEL, 0, -1);
  SetFocus(txtID_.hwnd());
}

void FrmLogin::onOk() {
  // Enter in the password box is its key press; in the id box it means nothing.
  if (GetFocus() == txtPW_.hwnd() && txtPW_KeyPress(services_, txtID_.text(), txtPW_.text(), kEnterKey)) close();
}

}  // namespace doumteo
