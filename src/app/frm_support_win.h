#pragma once
#include <string>

#include "common/action_record.h"
#include "common/product_profile.h"
#include "platform/ports.h"
#include "ui/kit.h"

namespace doumteo {

// The support page: the facts the maker's agent asks for, read as it opens,
// to be read out, copied or saved. Nothing is sent.
class FrmSupport final : public ui::Form {
 public:
  FrmSupport(const Services& services, const ProductProfile& profile, ActionRecord& record);

 protected:
  void onLoad() override;
  // Enter: the button that has the focus, otherwise the copy.
  void onOk() override;
  void onCancel() override { close(); }

 private:
  void copy();
  void save();
  const Services& services_;
  const ProductProfile& profile_;
  ActionRecord& record_;
  std::wstring text_;
  ui::TextView txtInfo_;
  ui::StatusLine lblStatus_;
  ui::Button btnCopy_, btnSave_, btnClose_;
};

}  // namespace doumteo
