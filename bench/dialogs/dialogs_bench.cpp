// The support page against the restore points dialog, side by side: starts
// the program once, then opens each through its system-menu command in turn
// (AB, BA, ...) and times it from the command to a shown and idle dialog.
// The user's snapshot folder gets 30 restore points first, each the settings
// of a product of 50 sections of 20 values, as the undo writes them.
//
// usage: bench_dialogs [--runs N] C:\path\doumteo.exe
// Output lines:
//   run name=N round=R open_ms=T
//   median name=N runs=R open_ms=T fastest_ms=F
//   ratio support/restore open=X
#include <windows.h>
// after windows.h
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../common/bench_util.h"

namespace {

using bench::nowMs;

constexpr double kTimeoutMs = 30000;

struct Dialog {
  const wchar_t* name;
  UINT command;
  const wchar_t* title;
  std::vector<double> openMs;
};

std::wstring snapshotFolder() {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path))) return L"";
  return std::wstring(path) + L"\\도움터\\복원지점";
}

void writeRestorePoints(const std::wstring& folder) {
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*.reg").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do DeleteFileW((folder + L"\\" + data.cFileName).c_str());
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  const std::wstring area = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\DoumteoBench";
  std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n[-" + area + L"]\r\n\r\n[" + area + L"]\r\n\r\n";
  for (int s = 0; s < 50; ++s) {
    text += L"[" + area + L"\\섹션" + std::to_wstring(s) + L"]\r\n";
    for (int k = 0; k < 20; ++k)
      text += L"\"키" + std::to_wstring(k) + L"\"=\"값 " + std::to_wstring(s * 20 + k) + L"\"\r\n";
    text += L"\r\n";
  }
  std::wstring bytes = L"\xFEFF" + text;
  for (int i = 1; i <= 30; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"\\20261201_1200%02d_000 %06d 전체삭제.reg", i % 60, i);
    HANDLE h = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size() * sizeof(wchar_t)), &wrote, nullptr);
    CloseHandle(h);
  }
}

struct FindData {
  DWORD pid;
  const wchar_t* title;  // nullptr: the main window
  HWND found;
};

BOOL CALLBACK findWindow(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != data->pid || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t title[64] = {};
  GetWindowTextW(hwnd, title, 63);
  if (data->title ? wcscmp(title, data->title) == 0 : GetWindow(hwnd, GW_OWNER) == nullptr) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND waitWindow(DWORD pid, const wchar_t* title) {
  FindData data{pid, title, nullptr};
  for (const double start = nowMs(); !data.found && nowMs() - start < kTimeoutMs;) {
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&data));
    if (!data.found) Sleep(1);
  }
  return data.found;
}

bool roundTrip(HWND hwnd) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 11;
  std::wstring exe;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    if (a == L"--runs" && i + 1 < argc)
      runs = _wtoi(argv[++i]);
    else
      exe = a;
  }
  if (exe.empty() || runs < 1) {
    std::fprintf(stderr, "usage: bench_dialogs [--runs N] C:\\path\\doumteo.exe\n");
    return 2;
  }
  writeRestorePoints(snapshotFolder());

  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    std::printf("error cannot-start=%lu\n", GetLastError());
    return 1;
  }
  CloseHandle(pi.hThread);
  HWND main = waitWindow(pi.dwProcessId, nullptr);
  if (!main) {
    std::printf("error no-window\n");
    TerminateProcess(pi.hProcess, 1);
    return 1;
  }
  WaitForInputIdle(pi.hProcess, 10000);
  roundTrip(main);
  Sleep(500);

  Dialog dialogs[] = {{L"restore", 0x0110, L"복원 지점", {}}, {L"support", 0x0120, L"지원 정보", {}}};
  int failures = 0;
  for (int round = 0; round < runs; ++round) {
    for (int k = 0; k < 2; ++k) {
      Dialog& d = dialogs[round % 2 ? 1 - k : k];
      const double start = nowMs();
      PostMessageW(main, WM_SYSCOMMAND, d.command, 0);
      // The dialog is shown once its facts are read and its controls filled.
      HWND shown = waitWindow(pi.dwProcessId, d.title);
      if (!shown) {
        std::printf("error name=%s no-dialog\n", bench::narrow(d.name).c_str());
        ++failures;
        continue;
      }
      roundTrip(shown);
      roundTrip(shown);
      const double ms = nowMs() - start;
      d.openMs.push_back(ms);
      std::printf("run name=%s round=%d open_ms=%.1f\n", bench::narrow(d.name).c_str(), round, ms);
      std::fflush(stdout);
      PostMessageW(shown, WM_CLOSE, 0, 0);
      for (const double closing = nowMs(); IsWindow(shown) && nowMs() - closing < kTimeoutMs;) Sleep(1);
      Sleep(100);
    }
  }
  for (const Dialog& d : dialogs)
    std::printf("median name=%s runs=%zu open_ms=%.1f fastest_ms=%.1f\n", bench::narrow(d.name).c_str(),
                d.openMs.size(), median(d.openMs),
                d.openMs.empty() ? 0.0 : *std::min_element(d.openMs.begin(), d.openMs.end()));
  std::printf("ratio support/restore open=%.2f\n", median(dialogs[1].openMs) / median(dialogs[0].openMs));
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  return failures ? 1 : 0;
}
