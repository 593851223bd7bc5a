// Processes: starting and ending them, the program's main window and the
// stand-in for the maker's running product.
#include "driver/driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <iostream>
#include <utility>

#include "driver/driver_internal.h"

namespace e2e {

using namespace detail;

namespace {
ULONGLONG g_lastStartupMs = 0;

template <typename F>
void forEachProcess(F f) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry)) f(entry);
}
}  // namespace

Process Process::start(const std::wstring& exePath, const std::wstring& args, const std::wstring& currentDir) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto create = [&] {
    return CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi);
  };
  BOOL started = create();
  // Wine reports a child that died while its loader was still setting up
  // (before any code of the program ran) as ERROR_INTERNAL_ERROR. That is
  // Wine's and rare, so the start is tried once more; a program that really
  // does not start fails the second time as well.
  if (!started && GetLastError() == ERROR_INTERNAL_ERROR) {
    std::cout << "driver: starting " << toUtf8(exePath)
              << " failed with error 1359 (ERROR_INTERNAL_ERROR); trying once more" << std::endl;
    sleepMs(200);
    started = create();
  }
  if (!started) throw DriverError(L"cannot start " + exePath + L" (error " + std::to_wstring(GetLastError()) + L")");
  CloseHandle(pi.hThread);
  Process p;
  p.handle_ = pi.hProcess;
  p.id_ = pi.dwProcessId;
  p.startedAt_ = GetTickCount64();
  return p;
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), id_(std::exchange(other.id_, 0)), startedAt_(other.startedAt_) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    kill();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
    startedAt_ = other.startedAt_;
  }
  return *this;
}

Process::~Process() { kill(); }

bool Process::running() const { return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT; }

DWORD Process::waitExit(DWORD ms) const {
  if (!handle_) throw DriverError(L"no process to wait for");
  if (WaitForSingleObject(handle_, ms) != WAIT_OBJECT_0)
    throw DriverError(L"process " + std::to_wstring(id_) + L" still running after " + std::to_wstring(ms) + L" ms");
  DWORD code = 0;
  GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::kill() {
  if (!handle_) return;
  if (running()) {
    TerminateProcess(handle_, 1);
    WaitForSingleObject(handle_, 5000);
  }
  CloseHandle(handle_);
  handle_ = nullptr;
  id_ = 0;
}

std::vector<std::wstring> windowsShownUntilExit(const Process& process, DWORD* exitCode, DWORD ms) {
  std::vector<std::wstring> shown;
  std::vector<HWND> seen;
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (process.running()) {
    for (HWND w : topWindows(process.id())) {
      if (std::find(seen.begin(), seen.end(), w) != seen.end()) continue;
      seen.push_back(w);
      shown.push_back(windowText(w));
    }
    if (GetTickCount64() >= deadline)
      throw DriverError(L"process " + std::to_wstring(process.id()) + L" still running after " + std::to_wstring(ms) +
                        L" ms");
    sleepMs(10);
  }
  *exitCode = process.waitExit(0);
  return shown;
}

ULONGLONG lastStartupMs() { return g_lastStartupMs; }

Process startProgram(const ProgramFolder& folder) { return Process::start(folder.exePath(), L"", folder.path()); }

HWND waitMainWindow(const Process& process, DWORD ms) {
  HWND found = nullptr;
  const std::wstring prefix = kTitlePrefix;
  waitUntil(
      [&] {
        if (!process.running()) throw DriverError(L"the program ended before showing its main window");
        for (HWND w : topWindows(process.id())) {
          if (windowText(w).rfind(prefix, 0) == 0) {
            found = w;
            return true;
          }
        }
        return false;
      },
      L"the main window", ms);
  // The window answers once its thread is in its message loop. (Not
  // WaitForInputIdle: under Wine it waits its whole time-out whenever either
  // side is a 32-bit process.)
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_NORMAL, ms, &answer))
    throw DriverError(L"the main window does not answer");
  g_lastStartupMs = GetTickCount64() - process.startedAt();
  screenshot(found);
  return found;
}

Process startStandIn(const std::wstring& folder, const std::wstring& fileName) {
  makeFolders(folder);
  // A copy of another letter case may be left from an earlier test; the file
  // system would keep that name.
  DeleteFileW((folder + L"\\" + fileName).c_str());
  copyFile(environment().binDir + L"\\stay_running.exe", folder + L"\\" + fileName);
  return Process::start(folder + L"\\" + fileName, L"", folder);
}

void killProcessesNamed(const std::wstring& exeName) {
  const std::wstring wanted = lower(exeName);
  forEachProcess([&](const PROCESSENTRY32W& entry) {
    if (lower(entry.szExeFile) != wanted) return;
    UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (p) {
      TerminateProcess(p.get(), 1);
      WaitForSingleObject(p.get(), 5000);
    }
  });
}

bool isProcessRunning(const std::wstring& exeName) {
  const std::wstring wanted = lower(exeName);
  bool found = false;
  forEachProcess([&](const PROCESSENTRY32W& entry) { found = found || lower(entry.szExeFile) == wanted; });
  return found;
}

}  // namespace e2e
