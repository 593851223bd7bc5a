#include "dialogs/frm_time_set_win.h"

#include "dialogs/time_set.h"
#include "resource_ids.h"

namespace doumteo {

using ui::ControlSpec;
using ui::Font;
using ui::Kind;

FrmTimeSet::FrmTimeSet(const Services& services)
    : ui::Form(L"FrmTimeSet", L"컴퓨터시간설정", 4680, 3075), services_(services) {
  auto panel = [](const wchar_t* name, const wchar_t* parent, int l, int t, int w, int h) {
    return ControlSpec{Kind::Panel3D, name, parent, l, t, w, h, L"", Font::Gulim, 0, 0, false};
  };
  auto label = [](const wchar_t* name, int l, const wchar_t* caption) {
    return ControlSpec{Kind::Label, name, L"SSPanel2", l, 135, 240, 225, caption, Font::Gulim, 0, 0, false};
  };
  auto list = [](const wchar_t* name, int l, int w) {
    return ControlSpec{Kind::DropDownList, name, L"SSPanel2", l, 75, w, 0, L"", Font::Gulim, 0, 0, true};
  };
  auto button = [](const wchar_t* name, int l, int w, const wchar_t* caption, int icon) {
    return ControlSpec{Kind::ImageButton, name, L"SSPanel3", l, 45, w, 375, caption, Font::Gulim, icon, 0, true};
  };
  addControls({
      panel(L"SSPanel1", L"", 0, 0, 4650, 2535),
      panel(L"pnlNowTime", L"SSPanel1", 180, 225, 4290, 510),
      // A decoration without a caption, showing the clock; pressing it does nothing.
      ControlSpec{Kind::ImageButton, L"chameleonButton1", L"SSPanel1", 2025, 900, 360, 375, L"", Font::Gulim,
                  IDI_BTN_TIME, 0, false},
      panel(L"SSPanel2", L"SSPanel1", 180, 1485, 4290, 510),
      list(L"cmbDate(0)", 90, 1275),
      label(L"Label1", 1395, L"년"),
      list(L"cmbDate(1)", 1845, 780),
      label(L"Label2", 2655, L"월"),
      list(L"cmbDate(2)", 3105, 780),
      label(L"Label3", 3915, L"일"),
      panel(L"SSPanel3", L"", 0, 2565, 4650, 480),
      button(L"btnTimeShow", 45, 1530, L"시스템시간      ", IDI_BTN_TIMESHOW),
      button(L"btnSave", 2295, 1125, L"설정 F2  ", IDI_BTN_SAVE),
      button(L"btnClose", 3465, 1125, L"닫기 &C   ", IDI_BTN_CLOSE),
  });
  onClick[L"btnTimeShow"] = [this] { OpenSystemTimeSettings(services_.messages, services_.shell); };
  onClick[L"btnSave"] = [this] {
    if (SaveClockFromLists(services_.messages, services_.clock, services_.shell, listText(L"cmbDate(0)"),
                           listText(L"cmbDate(1)"), listText(L"cmbDate(2)")))
      close();
  };
  onClick[L"btnClose"] = [this] { close(); };
}

void FrmTimeSet::onLoad() {
  // Shown without an owner, so it has a taskbar button of its own: the program's icon, not a stock one.
  setWindowIcon(IDI_APP);
  const LocalTime today = services_.clock.now();
  setText(L"pnlNowTime", NowTimeCaption(today));
  const auto lists = cmbDateSet(today);
  for (int i = 0; i < 3; ++i) {
    const std::wstring name = L"cmbDate(" + std::to_wstring(i) + L")";
    fillList(name, lists[static_cast<std::size_t>(i)].entries, lists[static_cast<std::size_t>(i)].preset);
  }
  SetFocus(control(L"cmbDate(0)"));
}

bool FrmTimeSet::onKeyDown(WPARAM key) {
  if (key == VK_F2) {
    onClick[L"btnSave"]();
    return true;
  }
  return false;
}

void FrmTimeSet::fillList(const std::wstring& name, const std::vector<std::wstring>& entries,
                          const std::wstring& preset) {
  HWND h = control(name);
  SendMessageW(h, CB_RESETCONTENT, 0, 0);
  for (const auto& e : entries) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.c_str()));
  SendMessageW(h, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(preset.c_str()));
}

std::wstring FrmTimeSet::listText(const std::wstring& name) const { return text(name); }

}  // namespace doumteo
