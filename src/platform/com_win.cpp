#include "platform/com_win.h"

#include <algorithm>
#include <vector>

#include "platform/system_error_win.h"

namespace doumteo::com {

namespace {

std::wstring errorInfoText() {
  Ref<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return L"";
  BSTR description = nullptr;
  std::wstring s;
  if (SUCCEEDED(info->GetDescription(&description)) && description) s.assign(description, SysStringLen(description));
  SysFreeString(description);
  return s;
}

[[noreturn]] void failWith(HRESULT hr, std::wstring description) {
  if (description.empty()) description = systemErrorText(static_cast<DWORD>(hr));
  throw Failure(static_cast<int>(hr), std::move(description));
}

}  // namespace

Bstr::Bstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {
  if (!b_) fail(E_OUTOFMEMORY);
}

void fail(HRESULT hr) { failWith(hr, errorInfoText()); }

Ref<IUnknown> createByProgId(const wchar_t* progId, DWORD context, REFIID iid) {
  CLSID clsid{};
  check(CLSIDFromProgID(progId, &clsid));
  Ref<IUnknown> object;
  check(CoCreateInstance(clsid, nullptr, context, iid, object.putVoid()));
  return object;
}

void invokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args,
                  VARIANT* result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));

  // IDispatch takes the arguments last first.
  std::vector<VARIANT> reversed(args.begin(), args.end());
  std::reverse(reversed.begin(), reversed.end());
  DISPID namedPut = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &namedPut;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception{};
  UINT badArgument = 0;
  const HRESULT hr =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, &badArgument);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    std::wstring description;
    if (exception.bstrDescription)
      description.assign(exception.bstrDescription, SysStringLen(exception.bstrDescription));
    const HRESULT code = exception.scode ? exception.scode : hr;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    failWith(code, std::move(description));
  }
  check(hr);
}

}  // namespace doumteo::com
