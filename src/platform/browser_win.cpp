#include "platform/browser_win.h"

#include "platform/com_win.h"

namespace doumteo {

namespace {

class Win32BrowserObject final : public BrowserObject {
 public:
  explicit Win32BrowserObject(ComPtr<IDispatch> object) : object_(std::move(object)) {}

  void setVisible(bool visible) override {
    VARIANT value{};
    value.vt = VT_BOOL;
    value.boolVal = visible ? VARIANT_TRUE : VARIANT_FALSE;
    com::invokeByName(object_.get(), L"Visible", DISPATCH_PROPERTYPUT, {value});
  }

  void setFocus() override { com::invokeByName(object_.get(), L"SetFocus", DISPATCH_METHOD, {}); }

  void navigate(const std::wstring& url) override {
    const UniqueBstr address = com::allocBstr(url);
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = address.get();
    com::invokeByName(object_.get(), L"Navigate", DISPATCH_METHOD, {value});
  }

 private:
  ComPtr<IDispatch> object_;
};

}  // namespace

std::unique_ptr<BrowserObject> Win32BrowserPort::create() {
  ComPtr<IUnknown> object = com::createByProgId(progId_.c_str(), CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER);
  ComPtr<IDispatch> dispatch;
  com::check(object->QueryInterface(IID_IDispatch, dispatch.putVoid()));
  return std::make_unique<Win32BrowserObject>(std::move(dispatch));
}

}  // namespace doumteo
