#pragma once
// The shell port: ShellExecuteA for documents and programs, CreateProcessW
// for command lines.
#include <windows.h>

#include "platform/ports.h"

namespace doumteo {

class Win32Shell final : public ShellPort {
 public:
  void shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override;
  bool startProgram(const std::wstring& commandLine) override;
};

}  // namespace doumteo
