#pragma once
// The facts of the support page on the Win32 calls. The libraries only the
// page needs (file versions, signatures) are loaded when it asks, so that
// start-up loads nothing more.
#include <windows.h>

#include "platform/ports.h"

namespace doumteo {

// A library of the system folder (never one beside the program), loaded on
// first use and kept; throws Failure when it cannot be loaded.
HMODULE systemLibrary(const wchar_t* name);

class Win32SystemInfo final : public SystemInfoPort {
 public:
  // window: the screen facts are those of its monitor.
  explicit Win32SystemInfo(HWND window) : window_(window) {}
  std::wstring executablePath() override;
  bool is64BitProcess() override;
  bool is64BitWindows() override;
  bool elevated() override;
  ScreenFacts screen() override;
  unsigned ansiCodePage() override;
  TimeZoneFacts timeZone() override;
  std::optional<FileFacts> file(const std::wstring& path) override;
  std::wstring signer(const std::wstring& path) override;

 private:
  HWND window_;
};

}  // namespace doumteo
