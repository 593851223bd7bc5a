#pragma once
#include <windows.h>

#include "platform/ports.h"

namespace doumteo::ui {

// Message boxes through MessageBoxW, owned by the program's active window so
// that they are modal to it.
class Win32MessageBox final : public MessageBoxPort {
 public:
  void setFallbackOwner(HWND owner) { owner_ = owner; }
  Answer show(const MessageRequest& request) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace doumteo::ui
