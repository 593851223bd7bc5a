#pragma once
// The shell port: ShellExecuteA for documents and programs, CreateProcessW
// for command lines, ShellExecuteExW for starts that need the shell (an
// elevation prompt).
#include <windows.h>

#include "platform/ports.h"

namespace doumteo {

class Win32Shell final : public ShellPort {
 public:
  void shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override;
  long createProcess(const std::wstring& commandLine) override;
  long shellExecute(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters) override;
  ProgramRun runSelfAndWait(const std::wstring& verb, const std::wstring& parameters, unsigned timeoutMs) override;
  // runSelfAndWait with any program, for the adapter's own tests.
  static ProgramRun runAndWait(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                               unsigned timeoutMs);
};

}  // namespace doumteo
