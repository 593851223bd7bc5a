#pragma once
// Owners for kernel handles and find handles.
#include <windows.h>

#include <memory>

namespace doumteo {

struct HandleCloser {
  void operator()(HANDLE h) const noexcept {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};
// A kernel handle (file, process, snapshot) closed when the owner goes.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
  void operator()(HANDLE h) const noexcept {
    if (h && h != INVALID_HANDLE_VALUE) FindClose(h);
  }
};
// A FindFirstFile handle.
using UniqueFind = std::unique_ptr<void, FindCloser>;

}  // namespace doumteo
