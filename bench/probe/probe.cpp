// Start-up probe: starts each named program in turn, times it from process
// start to an idle main window, reads its peak working set at that moment,
// closes the window and waits for the process to end.
//
// usage: bench_probe [--runs N] [--ratio A/B]... NAME=C:\path\prog.exe...
//
// The programs alternate (ABC, CBA, ABC...) so that drifting machine load
// falls on all of them alike. Output lines, one record each:
//   run name=N round=R startup_ms=T peak_ws_kb=K ws_kb=K class=C children=N exit=E
//       visible_ms=.. input_idle_ms=.. answered_ms=.. (the phases, from the start)
//   median name=N runs=R startup_ms=T peak_ws_kb=K fastest_ms=F
//   ratio A/B startup=X peak_ws=Y
#include <windows.h>
// after windows.h
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "../common/bench_util.h"

namespace {

struct Target {
  std::wstring name;
  std::wstring exe;
  std::vector<double> startupMs;
  std::vector<double> peakKb;
};

using bench::nowMs;

using bench::narrow;

struct FindData {
  DWORD pid;
  HWND found;
};

// A visible, unowned top-level window of the process: its main window.
BOOL CALLBACK findMainWindow(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == data->pid && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK countChild(HWND, LPARAM lParam) {
  ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}

// One round trip through the window's thread; false when it did not answer.
bool roundTrip(HWND hwnd, UINT timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

constexpr double kTimeoutMs = 30000;
// The window counts as idle once its thread answers promptly for this long.
constexpr double kConfirmMs = 100;
constexpr double kPromptMs = 15;

bool launchOnce(Target& t, int round) {
  std::wstring folder = t.exe.substr(0, t.exe.find_last_of(L'\\'));
  std::wstring commandLine = L"\"" + t.exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};

  const double start = nowMs();
  if (!CreateProcessW(t.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                      &pi)) {
    std::printf("error name=%s cannot-start=%lu\n", narrow(t.name).c_str(), GetLastError());
    return false;
  }
  CloseHandle(pi.hThread);

  FindData data{pi.dwProcessId, nullptr};
  while (!data.found && nowMs() - start < kTimeoutMs) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) break;
    EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&data));
    if (!data.found) Sleep(1);
  }
  if (!data.found) {
    std::printf("error name=%s no-window\n", narrow(t.name).c_str());
    TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return false;
  }
  const HWND hwnd = data.found;
  const double visible = nowMs();
  // Input idle: the thread waits in its message loop with nothing queued,
  // so the first paint is done. Two round trips more make sure of it where
  // the idle signal came early.
  WaitForInputIdle(pi.hProcess, static_cast<DWORD>(kTimeoutMs));
  const double inputIdle = nowMs();
  roundTrip(hwnd, 5000);
  roundTrip(hwnd, 5000);
  double ready = nowMs();
  const double answered = ready;
  // Confirmation: a thread still busy with start-up answers late; the ready
  // time then moves past that work.
  for (double quietSince = ready; nowMs() - quietSince < kConfirmMs && nowMs() - start < kTimeoutMs;) {
    Sleep(5);
    const double before = nowMs();
    roundTrip(hwnd, 5000);
    const double after = nowMs();
    if (after - before > kPromptMs) ready = quietSince = after;
  }

  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof pmc);
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 127);
  int children = 0;
  EnumChildWindows(hwnd, countChild, reinterpret_cast<LPARAM>(&children));

  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  DWORD exitCode = 0;
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
    std::printf("error name=%s did-not-exit\n", narrow(t.name).c_str());
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
  }
  GetExitCodeProcess(pi.hProcess, &exitCode);
  CloseHandle(pi.hProcess);

  const double startupMs = ready - start;
  const double peakKb = static_cast<double>(pmc.PeakWorkingSetSize) / 1024.0;
  t.startupMs.push_back(startupMs);
  t.peakKb.push_back(peakKb);
  std::printf(
      "run name=%s round=%d startup_ms=%.1f peak_ws_kb=%.0f ws_kb=%.0f class=%s children=%d exit=%lu "
      "visible_ms=%.1f input_idle_ms=%.1f answered_ms=%.1f\n",
      narrow(t.name).c_str(), round, startupMs, peakKb, static_cast<double>(pmc.WorkingSetSize) / 1024.0,
      narrow(cls).c_str(), children, exitCode, visible - start, inputIdle - start, answered - start);
  std::fflush(stdout);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 10;
  std::vector<Target> targets;
  std::vector<std::pair<std::wstring, std::wstring>> ratios;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a == L"--runs" && i + 1 < argc) {
      runs = _wtoi(argv[++i]);
    } else if (a == L"--ratio" && i + 1 < argc) {
      std::wstring r = argv[++i];
      const auto slash = r.find(L'/');
      if (slash == std::wstring::npos) return 2;
      ratios.emplace_back(r.substr(0, slash), r.substr(slash + 1));
    } else if (const auto eq = a.find(L'='); eq != std::wstring::npos) {
      targets.push_back(Target{a.substr(0, eq), a.substr(eq + 1), {}, {}});
    } else {
      std::fprintf(stderr, "usage: bench_probe [--runs N] [--ratio A/B]... NAME=EXE...\n");
      return 2;
    }
  }
  if (targets.empty() || runs < 1) return 2;

  int failures = 0;
  for (int round = 0; round < runs; ++round) {
    for (std::size_t k = 0; k < targets.size(); ++k) {
      Target& t = targets[round % 2 ? targets.size() - 1 - k : k];
      if (!launchOnce(t, round)) ++failures;
      Sleep(100);
    }
  }

  std::map<std::wstring, const Target*> byName;
  for (const auto& t : targets) {
    byName[t.name] = &t;
    std::printf("median name=%s runs=%zu startup_ms=%.1f peak_ws_kb=%.0f fastest_ms=%.1f\n", narrow(t.name).c_str(),
                t.startupMs.size(), median(t.startupMs), median(t.peakKb),
                t.startupMs.empty() ? 0.0 : *std::min_element(t.startupMs.begin(), t.startupMs.end()));
  }
  for (const auto& [a, b] : ratios) {
    if (!byName.count(a) || !byName.count(b)) return 2;
    const Target& ta = *byName[a];
    const Target& tb = *byName[b];
    std::printf("ratio %s/%s startup=%.2f peak_ws=%.2f\n", narrow(a).c_str(), narrow(b).c_str(),
                median(ta.startupMs) / median(tb.startupMs), median(ta.peakKb) / median(tb.peakKb));
  }
  return failures ? 1 : 0;
}
