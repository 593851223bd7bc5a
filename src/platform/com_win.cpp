#include "platform/com_win.h"

#include <algorithm>
#include <vector>

#include "platform/system_error_win.h"

namespace doumteo::com {

namespace {

std::wstring errorInfoText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return L"";
  BSTR raw = nullptr;
  const HRESULT hr = info->GetDescription(&raw);
  const UniqueBstr description(raw);
  std::wstring s;
  if (SUCCEEDED(hr) && description) s.assign(description.get(), SysStringLen(description.get()));
  return s;
}

[[noreturn]] void failWith(HRESULT hr, std::wstring description) {
  if (description.empty()) description = systemErrorText(static_cast<DWORD>(hr));
  throw Failure(static_cast<int>(hr), std::move(description));
}

}  // namespace

UniqueBstr allocBstr(const std::wstring& text) {
  UniqueBstr b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!b) fail(E_OUTOFMEMORY);
  return b;
}

void fail(HRESULT hr) { failWith(hr, errorInfoText()); }

ComPtr<IUnknown> createByProgId(const wchar_t* progId, DWORD context, REFIID iid) {
  CLSID clsid{};
  check(CLSIDFromProgID(progId, &clsid));
  ComPtr<IUnknown> object;
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
    // The texts of the exception are ours to free.
    const UniqueBstr source(exception.bstrSource), what(exception.bstrDescription), help(exception.bstrHelpFile);
    std::wstring description;
    if (what) description.assign(what.get(), SysStringLen(what.get()));
    const HRESULT code = exception.scode ? exception.scode : hr;
    failWith(code, std::move(description));
  }
  check(hr);
}

}  // namespace doumteo::com
