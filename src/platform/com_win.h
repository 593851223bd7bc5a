#pragma once
// Small COM helpers for the automation adapters: an owning interface pointer,
// an owning BSTR, failures carrying the HRESULT, and late-bound calls by name.
#include <oaidl.h>
#include <windows.h>

#include <initializer_list>
#include <string>

#include "platform/failure.h"

namespace doumteo::com {

template <class T>
class Ref {
 public:
  Ref() = default;
  ~Ref() { reset(); }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  Ref(Ref&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  Ref& operator=(Ref&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out parameters; releases what was held.
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text);
  ~Bstr() { SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return b_; }

 private:
  BSTR b_;
};

// A Failure with hr as its number and the best description at hand: the
// object's error information, else the system's text for hr.
[[noreturn]] void fail(HRESULT hr);
inline void check(HRESULT hr) {
  if (FAILED(hr)) fail(hr);
}

// CLSIDFromProgID + CoCreateInstance, then the interface iid.
Ref<IUnknown> createByProgId(const wchar_t* progId, DWORD context, REFIID iid = IID_IUnknown);

// A member called by name through IDispatch. args are in the natural order
// and stay owned by the caller; flags is DISPATCH_METHOD, DISPATCH_PROPERTYGET
// or DISPATCH_PROPERTYPUT. result (may be null) is the caller's to clear.
void invokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args,
                  VARIANT* result = nullptr);

}  // namespace doumteo::com
