#pragma once
#include <vector>

#include "common/action_record.h"
#include "common/product_profile.h"
#include "platform/ports.h"
#include "registry/undo.h"
#include "ui/kit.h"

namespace doumteo {

// The restore points, newest first, and the undo of the one selected.
class FrmRestorePoints final : public ui::Form {
 public:
  FrmRestorePoints(const Services& services, const ProductProfile& profile, ActionRecord& record);

 protected:
  void onLoad() override;
  // Enter: the button that has the focus, otherwise the undo.
  void onOk() override;
  void onCancel() override { close(); }

 private:
  // Lists the folder anew and selects the line at select (the last when fewer).
  void refill(int select);
  void undoSelected();
  const Services& services_;
  const ProductProfile& profile_;
  ActionRecord& record_;
  std::vector<RestorePoint> points_;
  ui::ListBox lstPoints_;
  ui::Button btnUndo_, btnClose_;
};

}  // namespace doumteo
