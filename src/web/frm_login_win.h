#pragma once
#include "platform/ports.h"
#include "ui/kit.h"

namespace doumteo {

// The web login dialog: the id and password of the maker's web site.
class FrmLogin final : public ui::Form {
 public:
  explicit FrmLogin(const Services& services);

 protected:
  void onLoad() override;
  void onOk() override;
  void onCancel() override { close(); }

 private:
  const Services& services_;
  ui::TextBox txtID_, txtPW_;
  ui::Button btnWebLogin_;
};

}  // namespace doumteo
