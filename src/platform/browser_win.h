#pragma once
// The browser automation object, created by its programmatic identifier and
// driven by member names through IDispatch.
#include <string>

#include "platform/ports.h"

namespace doumteo {

class Win32BrowserPort final : public BrowserPort {
 public:
  // progId is replaceable so that tests can drive another automation object.
  explicit Win32BrowserPort(std::wstring progId = L"InternetExplorer.Application") : progId_(std::move(progId)) {}
  std::unique_ptr<BrowserObject> create() override;

 private:
  std::wstring progId_;
};

}  // namespace doumteo
