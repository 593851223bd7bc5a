#pragma once
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
  void fillList(const std::wstring& name, const std::vector<std::wstring>& entries, const std::wstring& preset);
  std::wstring listText(const std::wstring& name) const;
  const Services& services_;
};

}  // namespace doumteo
