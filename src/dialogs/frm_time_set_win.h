#pragma once
#include <array>

#include "platform/ports.h"
#include "ui/kit.h"

namespace doumteo {

// The clock dialog: pick year, month and day; the time of day is kept.
class FrmTimeSet final : public ui::Form {
 public:
  explicit FrmTimeSet(const Services& services);

 protected:
  void onLoad() override;
  bool onKeyDown(WPARAM key) override;
  void onCancel() override { close(); }

 private:
  void save();
  const Services& services_;
  ui::Panel pnlNowTime_;
  std::array<ui::DropDownList, 3> cmbDate_;
  ui::Button btnTimeShow_, btnSave_, btnClose_;
};

}  // namespace doumteo
