#pragma once
#include <array>

#include "common/action_record.h"
#include "platform/ports.h"
#include "ui/kit.h"

namespace doumteo {

// The clock dialog: pick year, month and day; the time of day is kept.
class FrmTimeSet final : public ui::Form {
 public:
  // record: where a changed date is noted, from and to (none: nowhere).
  explicit FrmTimeSet(const Services& services, ActionRecord* record = nullptr);

 protected:
  void onLoad() override;
  bool onKeyDown(WPARAM key) override;
  void onCancel() override { close(); }

 private:
  void save();
  const Services& services_;
  ActionRecord* record_;
  ui::Panel pnlNowTime_;
  std::array<ui::DropDownList, 3> cmbDate_;
  ui::Button btnTimeShow_, btnSave_, btnClose_;
};

}  // namespace doumteo
