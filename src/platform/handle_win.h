#pragma once
// The owners of the system's handles, one for each kind: each closes, deletes
// or releases what it holds when it goes. What the system only lends (stock
// objects, shared icons, predefined root keys, the DC of WM_CTLCOLOR* or
// WM_DRAWITEM) is never given to one.
#include <windows.h>
// After <windows.h>: they rely on its types.
#include <objbase.h>
#include <oleauto.h>

#include <memory>
#include <type_traits>

namespace doumteo {

// ---- kernel ----------------------------------------------------------------

struct HandleCloser {
  void operator()(HANDLE h) const noexcept {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
// A kernel handle (file, process, thread, mutex, snapshot, token).
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
  void operator()(HANDLE h) const noexcept {
    if (h && h != INVALID_HANDLE_VALUE) FindClose(h);
  }
};
// A FindFirstFile handle.
using UniqueFind = std::unique_ptr<void, FindCloser>;

// ---- registry --------------------------------------------------------------

struct KeyCloser {
  void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
// An opened or created registry key. The program's own code reaches the
// registry through its port (RegKey in ports.h); this is for direct calls.
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// ---- GDI and USER objects --------------------------------------------------

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};
// A font, bitmap, brush, pen or region made by the program.
template <class Handle>
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniquePen = UniqueGdiObject<HPEN>;

struct IconDestroyer {
  void operator()(HICON icon) const noexcept { DestroyIcon(icon); }
};
// An icon loaded without LR_SHARED, or created.
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct DcDeleter {
  void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
// A DC of CreateCompatibleDC or CreateDC.
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// A window's (or, for nullptr, the screen's) DC of GetDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint ... EndPaint of one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const noexcept { return dc_; }
  const PAINTSTRUCT& paint() const noexcept { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a DC and selects the previous one back when it
// goes, so that the object can be deleted afterwards. Declare it after the
// owners of the DC and of the object.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// ---- memory ----------------------------------------------------------------

struct LocalFreer {
  void operator()(void* p) const noexcept { LocalFree(p); }
};
// What the system allocated with LocalAlloc for the caller
// (FORMAT_MESSAGE_ALLOCATE_BUFFER, security descriptors...).
template <class T>
using UniqueLocal = std::unique_ptr<T, LocalFreer>;

struct CoTaskMemFreer {
  void operator()(void* p) const noexcept { CoTaskMemFree(p); }
};
// What COM or the shell allocated for the caller (SHGetKnownFolderPath...).
template <class T>
using UniqueCoTaskMem = std::unique_ptr<T, CoTaskMemFreer>;

struct BstrFreer {
  void operator()(BSTR text) const noexcept { SysFreeString(text); }
};
// A BSTR of SysAllocString or handed out by an automation object.
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFreer>;

// ---- COM -------------------------------------------------------------------

// An interface pointer that holds one reference.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }
  void reset() noexcept {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // For out parameters; releases what was held.
  T** put() noexcept {
    reset();
    return &p_;
  }
  void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

 private:
  T* p_ = nullptr;
};

}  // namespace doumteo
