#include "platform/shell_win.h"

#include <shellapi.h>

#include "platform/ansi.h"
#include "platform/handle_win.h"

namespace doumteo {

void Win32Shell::shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) {
  // The started program is never watched, so the result is not looked at.
  ShellExecuteA(nullptr, "Open", toAnsi(file).c_str(), toAnsi(parameters).c_str(), toAnsi(directory).c_str(),
                SW_SHOWNORMAL);
}

bool Win32Shell::startProgram(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  std::wstring buffer = commandLine;  // CreateProcessW may write into it
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  const UniqueHandle process(info.hProcess), thread(info.hThread);
  return true;
}

}  // namespace doumteo
