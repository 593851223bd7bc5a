#pragma once
// Small COM helpers for the automation adapters: BSTRs, failures carrying the
// HRESULT, and late-bound calls by name. The owners are in handle_win.h.
#include <oaidl.h>
#include <windows.h>

#include <initializer_list>
#include <string>

#include "platform/failure.h"
#include "platform/handle_win.h"

namespace doumteo::com {

// A BSTR copy of text; a Failure with E_OUTOFMEMORY when memory is short.
UniqueBstr allocBstr(const std::wstring& text);

// A Failure with hr as its number and the best description at hand: the
// object's error information, else the system's text for hr.
[[noreturn]] void fail(HRESULT hr);
inline void check(HRESULT hr) {
  if (FAILED(hr)) fail(hr);
}

// CLSIDFromProgID + CoCreateInstance, then the interface iid.
ComPtr<IUnknown> createByProgId(const wchar_t* progId, DWORD context, REFIID iid = IID_IUnknown);

// A member called by name through IDispatch. args are in the natural order
// and stay owned by the caller; flags is DISPATCH_METHOD, DISPATCH_PROPERTYGET
// or DISPATCH_PROPERTYPUT. result (may be null) is the caller's to clear.
void invokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args,
                  VARIANT* result = nullptr);

}  // namespace doumteo::com
