#include "dialogs/frm_time_set_win.h"

#include "common/messages.h"
#include "dialogs/time_set.h"
#include "resource_ids.h"

namespace doumteo {

using ui::Font;
using ui::Panel;

FrmTimeSet::FrmTimeSet(const Services& services, ActionRecord* record)
    : ui::Form(L"FrmTimeSet", L"컴퓨터시간설정", 4680, 3075), services_(services), record_(record) {
  const Panel form;
  const Panel upper = addPanel(L"SSPanel1", form, {0, 0, 4650, 2535});
  pnlNowTime_ = addPanel(L"pnlNowTime", upper, {180, 225, 4290, 510});
  // A decoration without a caption, showing the clock; pressing it does nothing.
  addImageButton(L"chameleonButton1", upper, {2025, 900, 360, 375}, L"", IDI_BTN_TIME, false);
  const Panel lists = addPanel(L"SSPanel2", upper, {180, 1485, 4290, 510});
  cmbDate_[0] = addDropDownList(L"cmbDate(0)", lists, {90, 75, 1275, 0});
  addLabel(L"Label1", lists, {1395, 135, 240, 225}, L"년");
  cmbDate_[1] = addDropDownList(L"cmbDate(1)", lists, {1845, 75, 780, 0});
  addLabel(L"Label2", lists, {2655, 135, 240, 225}, L"월");
  cmbDate_[2] = addDropDownList(L"cmbDate(2)", lists, {3105, 75, 780, 0});
  addLabel(L"Label3", lists, {3915, 135, 240, 225}, L"일");
  const Panel bar = addPanel(L"SSPanel3", form, {0, 2565, 4650, 480});
  btnTimeShow_ = addImageButton(L"btnTimeShow", bar, {45, 45, 1530, 375}, L"시스템시간      ", IDI_BTN_TIMESHOW);
  btnSave_ = addImageButton(L"btnSave", bar, {2295, 45, 1125, 375}, L"설정 F2  ", IDI_BTN_SAVE);
  btnClose_ = addImageButton(L"btnClose", bar, {3465, 45, 1125, 375}, L"닫기 &C   ", IDI_BTN_CLOSE);
  btnTimeShow_.onClick([this] { OpenSystemTimeSettings(services_.messages, services_.shell); });
  btnSave_.onClick([this] { save(); });
  btnClose_.onClick([this] { close(); });
}

void FrmTimeSet::save() {
  const std::wstring from = dateText(services_.clock.now());
  const std::wstring year = cmbDate_[0].text(), month = cmbDate_[1].text(), day = cmbDate_[2].text();
  if (!SaveClockFromLists(services_.messages, services_.clock, services_.shell, year, month, day)) return;
  if (record_) record_->note(L"날짜 설정", L"완료: " + from + L" → " + year + L"-" + month + L"-" + day);
  close();
}

void FrmTimeSet::onLoad() {
  // Shown without an owner, so it has a taskbar button of its own: the program's icon, not a stock one.
  setWindowIcon(IDI_APP);
  const LocalTime today = services_.clock.now();
  pnlNowTime_.setText(NowTimeCaption(today));
  const auto lists = cmbDateSet(today);
  // cmbDateSet: each list is a step of its own; a failing one is reported
  // and the others are still filled.
  for (std::size_t i = 0; i < lists.size(); ++i)
    guardedStep(services_.messages, cmbDateSetErrorText, [&] { cmbDate_[i].fill(lists[i].entries, lists[i].preset); });
  SetFocus(cmbDate_[0].hwnd());
}

bool FrmTimeSet::onKeyDown(WPARAM key) {
  if (key == VK_F2) {
    save();
    return true;
  }
  return false;
}

}  // namespace doumteo
