#pragma once
// The Win32 adapters of every port, built once at start-up.
#include <windows.h>

#include <memory>

#include "platform/ports.h"

namespace doumteo {

class Win32Services {
 public:
  Win32Services();
  ~Win32Services();
  Win32Services(const Win32Services&) = delete;
  Win32Services& operator=(const Win32Services&) = delete;
  Services services();
  void setMainWindow(HWND main);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace doumteo
