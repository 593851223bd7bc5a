#include "registry/frm_restore_points_win.h"

#include <algorithm>

namespace doumteo {

using ui::Font;
using ui::Panel;

FrmRestorePoints::FrmRestorePoints(const Services& services, const ProductProfile& profile, ActionRecord& record)
    : ui::Form(L"FrmRestorePoints", L"복원 지점", 7800, 4560), services_(services), profile_(profile), record_(record) {
  const Panel form;
  addLabel(L"lblPoints", form, {120, 150, 7560, 240}, L"도움터가 설정을 바꾸기 전에 저장해 둔 설정입니다.");
  // A fixed-pitch font keeps the columns of the lines under each other.
  lstPoints_ = addListBox(L"lstPoints", form, {120, 450, 7560, 3360}, Font::GulimChe);
  btnUndo_ = addPushButton(L"btnUndo", form, {4680, 3990, 1440, 420}, L"되돌리기(&U)");
  btnClose_ = addPushButton(L"btnClose", form, {6240, 3990, 1440, 420}, L"닫기(&C)");
  btnUndo_.onClick([this] { undoSelected(); });
  btnClose_.onClick([this] { close(); });
  lstPoints_.onDoubleClick([this] { undoSelected(); });
}

void FrmRestorePoints::onLoad() {
  SendMessageW(btnUndo_.hwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  refill(0);
}

void FrmRestorePoints::refill(int select) {
  points_ = listRestorePoints(services_);
  std::vector<std::wstring> lines;
  for (const auto& p : points_) lines.push_back(restorePointLine(p));
  if (lines.empty()) {
    lstPoints_.fill({kNoRestorePoints}, -1);
    lstPoints_.setEnabled(false);
    btnUndo_.setEnabled(false);
    btnClose_.focus();
    return;
  }
  lstPoints_.setEnabled(true);
  btnUndo_.setEnabled(true);
  lstPoints_.fill(lines, std::min(select, static_cast<int>(lines.size()) - 1));
  lstPoints_.focus();
}

void FrmRestorePoints::undoSelected() {
  const int i = lstPoints_.selectedIndex();
  if (i < 0 || static_cast<std::size_t>(i) >= points_.size()) return;
  const RestorePoint point = points_[static_cast<std::size_t>(i)];
  // After an undo its own point is the newest; after a refusal the folder
  // is listed again all the same (the file may be gone), on the same line.
  bool touched = false;
  record_.run(L"되돌리기 (" + point.when + L")", [&] { touched = UndoRestorePoint(services_, profile_, point); });
  refill(touched ? 0 : i);
}

void FrmRestorePoints::onOk() {
  if (GetFocus() == btnClose_.hwnd()) {
    close();
  } else if (IsWindowEnabled(btnUndo_.hwnd())) {
    undoSelected();
  }
}

}  // namespace doumteo
