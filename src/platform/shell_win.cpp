#include "platform/shell_win.h"

#include <shellapi.h>

#include <vector>

#include "platform/ansi.h"
#include "platform/handle_win.h"
#include "platform/system_error_win.h"

namespace doumteo {

namespace {

ProgramRun failed(DWORD code) { return {ProgramRun::End::Failed, static_cast<long>(code), systemErrorText(code)}; }

std::wstring ownPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// Waits for the process, letting the thread's windows paint; sent messages
// are handled by PeekMessage itself. Input is left queued and dropped after.
DWORD waitPainting(HANDLE process, unsigned timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  DWORD result = WAIT_TIMEOUT;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    result =
        MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(deadline - now), QS_PAINT | QS_SENDMESSAGE);
    if (result != WAIT_OBJECT_0 + 1) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
    result = WAIT_TIMEOUT;
  }
  MSG dropped;
  while (PeekMessageW(&dropped, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  while (PeekMessageW(&dropped, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
  }
  return result;
}

}  // namespace

void Win32Shell::shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) {
  // The started program is never watched, so the result is not looked at.
  ShellExecuteA(nullptr, "Open", toAnsi(file).c_str(), toAnsi(parameters).c_str(), toAnsi(directory).c_str(),
                SW_SHOWNORMAL);
}

long Win32Shell::createProcess(const std::wstring& commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION info{};
  std::wstring buffer = commandLine;  // CreateProcessW may write into it
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return static_cast<long>(GetLastError());
  const UniqueHandle process(info.hProcess), thread(info.hThread);
  return 0;
}

long Win32Shell::shellExecute(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // The program reports a failure in its own words.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = GetActiveWindow();
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return static_cast<long>(GetLastError());
  return 0;
}

ProgramRun Win32Shell::runSelfAndWait(const std::wstring& verb, const std::wstring& parameters, unsigned timeoutMs) {
  return runAndWait(verb, ownPath(), parameters, timeoutMs);
}

ProgramRun Win32Shell::runAndWait(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                                  unsigned timeoutMs) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  // The elevation prompt belongs to the window the user is working in.
  info.hwnd = GetActiveWindow();
  info.lpVerb = verb.c_str();
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_HIDE;
  if (!ShellExecuteExW(&info)) {
    const DWORD error = GetLastError();
    if (error == ERROR_CANCELLED) return {ProgramRun::End::Cancelled, static_cast<long>(error), {}};
    return failed(error);
  }
  if (!info.hProcess) return failed(ERROR_INVALID_HANDLE);
  const UniqueHandle process(info.hProcess);
  const DWORD waited = waitPainting(info.hProcess, timeoutMs);
  if (waited == WAIT_TIMEOUT) return {ProgramRun::End::TimedOut, 0, {}};
  if (waited != WAIT_OBJECT_0) return failed(GetLastError());
  DWORD code = 0;
  if (!GetExitCodeProcess(info.hProcess, &code)) return failed(GetLastError());
  return {ProgramRun::End::Exited, static_cast<long>(code), code ? systemErrorText(code) : std::wstring()};
}

}  // namespace doumteo
