// Restore benchmark: the program's RegLogRead on the real Win32 adapters
// against regedit /s importing the same settings, alternating, in one run,
// with two leaner write patterns beside them to show what a faster restore
// would need.
//
// usage: bench_restore [--runs N] APP BACKUP.mdb SETTINGS.reg EMPTY.reg
//
// APP is the application name both files write below the settings root; its
// key is deleted before every run. regedit's own figure is its import minus
// an import of an empty file, which leaves the process start-up out.
// Output lines:
//   run side=reglogread|regedit|direct|section round=R ms=T values=V [gross_ms=G empty_ms=E]
//       [messages=M] [calls=C]
//   same_content yes|no values=V
//   calls NAME=COUNT/MS... (one extra RegLogRead through a counting port)
//   median side=S runs=R ms=T [calls=C same_content=yes|no]
//   ratio reglogread|direct|section/regedit restore=X
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "../common/bench_util.h"
#include "platform/ansi.h"
#include "platform/browser_win.h"
#include "platform/clock_win.h"
#include "platform/database_win.h"
#include "platform/files_win.h"
#include "platform/processes_win.h"
#include "platform/registry_api_win.h"
#include "platform/shell_win.h"
#include "registry/reg_log.h"
#include "registry/settings_store.h"
#include "web/radix64.h"

namespace {

using namespace doumteo;

using bench::nowMs;

using bench::narrow;

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// A well-formed file raises no message; any that comes is counted, never
// shown, so that a bad run cannot hang on a box.
class CountingMessages final : public MessageBoxPort {
 public:
  Answer show(const MessageRequest& request) override {
    if (count_ < 3) std::fprintf(stderr, "message: %s\n", narrow(request.text).c_str());
    ++count_;
    return request.buttons == MsgButtons::YesNo ? Answer::No : Answer::Ok;
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

// Counts every call the restore makes on the raw registry and the time spent
// in each kind, to show where a slow restore goes.
class CountingRegistry final : public RegistryApi {
 public:
  explicit CountingRegistry(RegistryApi& inner) : inner_(inner) {}
  long openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) override {
    return timed("openKey", [&] { return inner_.openKey(root, path, access, out); });
  }
  long createKey(RegHandle root, const std::string& path, RegHandle& out) override {
    return timed("createKey", [&] { return inner_.createKey(root, path, out); });
  }
  long closeKey(RegHandle key) override {
    return timed("closeKey", [&] { return inner_.closeKey(key); });
  }
  long queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return timed("queryValue", [&] { return inner_.queryValue(key, name, type, data, size); });
  }
  long setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return timed("setValue", [&] { return inner_.setValue(key, name, type, data, size); });
  }
  long enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override {
    return timed("enumKey", [&] { return inner_.enumKey(key, index, buffer, bufferSize); });
  }
  long enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) override {
    return timed("enumValue", [&] { return inner_.enumValue(key, index, buffer, length); });
  }
  long deleteValue(RegHandle key, const std::optional<std::string>& name) override {
    return timed("deleteValue", [&] { return inner_.deleteValue(key, name); });
  }
  long deleteKey(RegHandle root, const std::string& path) override {
    return timed("deleteKey", [&] { return inner_.deleteKey(root, path); });
  }

  struct Tally {
    long count = 0;
    double ms = 0;
  };
  const std::map<std::string, Tally>& tallies() const { return tallies_; }

 private:
  template <class F>
  long timed(const char* name, F&& call) {
    const double t = nowMs();
    const long rc = call();
    auto& tally = tallies_[name];
    ++tally.count;
    tally.ms += nowMs() - t;
    return rc;
  }

  RegistryApi& inner_;
  std::map<std::string, Tally> tallies_;
};

struct Ports {
  CountingMessages messages;
  Win32RegistryApi registry;
  RegistrySettingsStore settings{registry};
  Win32Shell shell;
  Win32ProcessList processes;
  Win32FileSystem files;
  Win32Clock clock;
  Win32BrowserPort browser;
  Win32DatabasePort database;

  Services services(RegistryApi& api, SettingsStore& store) {
    return Services{messages, api, store, shell, processes, files, clock, browser, database};
  }
};

std::wstring appKeyPath(const std::wstring& app) { return std::wstring(kSettingsRoot) + L"\\" + app; }

void clean(const std::wstring& app) { RegDeleteTreeW(HKEY_CURRENT_USER, appKeyPath(app).c_str()); }

// Every value below the application's key: section\name -> data.
std::map<std::wstring, std::wstring> readBack(const std::wstring& app) {
  std::map<std::wstring, std::wstring> out;
  HKEY appKey = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, appKeyPath(app).c_str(), 0, KEY_READ, &appKey) != ERROR_SUCCESS) return out;
  wchar_t section[256];
  for (DWORD i = 0;; ++i) {
    DWORD sectionLength = 256;
    if (RegEnumKeyExW(appKey, i, section, &sectionLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY key = nullptr;
    if (RegOpenKeyExW(appKey, section, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    for (DWORD j = 0;; ++j) {
      wchar_t name[16384];
      BYTE data[65536];
      DWORD nameLength = 16384, size = sizeof data, type = 0;
      if (RegEnumValueW(key, j, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
      std::wstring value(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
      while (!value.empty() && value.back() == L'\0') value.pop_back();
      out[std::wstring(section) + L"\\" + name] = std::to_wstring(type) + L":" + value;
    }
    RegCloseKey(key);
  }
  RegCloseKey(appKey);
  return out;
}

// What a restore costs with fewer registry calls per setting, on the same
// file and the same raw registry port: the decoding and record rules are
// RegLogRead's (application, section, setting records), the writes differ.
//   direct:  each setting still opened on its own, but its section key in
//            one call from HKEY_CURRENT_USER (open, write, close);
//   section: the section key opened once per section record and every
//            setting of the section written into it.
enum class Pattern { Direct, Section };

long restoreWithPattern(RegistryApi& api, FileSystemPort& files, const std::wstring& path, Pattern pattern) {
  const std::wstring text = HexTextDecode(Radix64Decode(fromAnsi(files.readFirstLine(path))));
  long calls = 0;
  std::wstring app;
  std::string sectionPath;
  RegHandle open = 0;
  auto closeOpen = [&] {
    if (open) {
      api.closeKey(open);
      ++calls;
      open = 0;
    }
  };
  std::size_t start = text.find(L"\r\n");
  while (start != std::wstring::npos) {
    start += 2;
    const std::size_t end = text.find(L"\r\n", start);
    const std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    start = end;
    const std::size_t tab = line.find(L'\t');
    if (tab == std::wstring::npos) continue;
    const std::wstring first = line.substr(0, tab), second = line.substr(tab + 1);
    if (first == L"&") {
      closeOpen();
      app = second;
    } else if (first == L"#") {
      closeOpen();
      sectionPath = toAnsi(std::wstring(kSettingsRoot) + L"\\" + app + L"\\" + second);
      RegHandle created = 0;
      ++calls;
      if (api.createKey(reg::kHkeyCurrentUser, sectionPath, created) == reg::kSuccess) {
        if (pattern == Pattern::Section) {
          open = created;
        } else {
          api.closeKey(created);
          ++calls;
        }
      }
    } else {
      const std::string name = toAnsi(first), value = toAnsi(second);
      const auto* data = reinterpret_cast<const std::uint8_t*>(value.c_str());
      const auto size = static_cast<std::uint32_t>(value.size() + 1);
      if (pattern == Pattern::Section) {
        if (open) {
          api.setValue(open, name, reg::kSz, data, size);
          ++calls;
        }
      } else {
        RegHandle key = 0;
        ++calls;
        if (api.openKey(reg::kHkeyCurrentUser, sectionPath, reg::kKeyAllAccess, key) == reg::kSuccess) {
          api.setValue(key, name, reg::kSz, data, size);
          api.closeKey(key);
          calls += 2;
        }
      }
    }
  }
  closeOpen();
  return calls;
}

// Runs a command line and waits for it; the time from start to its end.
double runAndWait(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double start = nowMs();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "cannot start regedit (%lu)\n", GetLastError());
    return -1;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double elapsed = nowMs() - start;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = 10;
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) {
    if (std::wstring(argv[i]) == L"--runs" && i + 1 < argc)
      runs = _wtoi(argv[++i]);
    else
      args.emplace_back(argv[i]);
  }
  if (args.size() != 4 || runs < 1) {
    std::fprintf(stderr, "usage: bench_restore [--runs N] APP BACKUP.mdb SETTINGS.reg EMPTY.reg\n");
    return 2;
  }
  const std::wstring& app = args[0];
  const std::wstring& backup = args[1];
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring regedit = L"\"" + std::wstring(windows) + L"\\regedit.exe\" /s ";
  const std::wstring importSettings = regedit + L"\"" + args[2] + L"\"";
  const std::wstring importEmpty = regedit + L"\"" + args[3] + L"\"";

  Ports ports;
  const Services services = ports.services(ports.registry, ports.settings);
  std::vector<double> ours, theirs, direct, section;
  std::map<std::wstring, std::wstring> oursContent, theirsContent, directContent, sectionContent;
  long directCalls = 0, sectionCalls = 0;
  int failures = 0;

  // Warm both paths once (file cache, regedit's image) before timing.
  clean(app);
  RegLogRead(services, backup);
  clean(app);
  runAndWait(importSettings);

  enum Side { kOurs, kRegedit, kDirect, kSection, kSides };
  for (int round = 0; round < runs; ++round) {
    for (int k = 0; k < kSides; ++k) {
      // Forward on even rounds, backward on odd ones.
      const int side = round % 2 ? kSides - 1 - k : k;
      clean(app);
      if (side == kOurs) {
        const int before = ports.messages.count();
        const double t = nowMs();
        RegLogRead(services, backup);
        const double ms = nowMs() - t;
        auto content = readBack(app);
        ours.push_back(ms);
        std::printf("run side=reglogread round=%d ms=%.1f values=%zu messages=%d\n", round, ms, content.size(),
                    ports.messages.count() - before);
        if (oursContent.empty()) oursContent = std::move(content);
      } else if (side == kRegedit) {
        // The empty import on either side of the real one in turn.
        double empty = 0, gross = 0;
        if (round % 2) {
          empty = runAndWait(importEmpty);
          gross = runAndWait(importSettings);
        } else {
          gross = runAndWait(importSettings);
          empty = runAndWait(importEmpty);
        }
        if (gross < 0 || empty < 0) ++failures;
        auto content = readBack(app);
        theirs.push_back(gross - empty);
        std::printf("run side=regedit round=%d ms=%.1f values=%zu gross_ms=%.1f empty_ms=%.1f\n", round, gross - empty,
                    content.size(), gross, empty);
        if (theirsContent.empty()) theirsContent = std::move(content);
      } else {
        const bool bySection = side == kSection;
        const double t = nowMs();
        const long calls =
            restoreWithPattern(ports.registry, ports.files, backup, bySection ? Pattern::Section : Pattern::Direct);
        const double ms = nowMs() - t;
        auto content = readBack(app);
        (bySection ? section : direct).push_back(ms);
        (bySection ? sectionCalls : directCalls) = calls;
        std::printf("run side=%s round=%d ms=%.1f values=%zu calls=%ld\n", bySection ? "section" : "direct", round, ms,
                    content.size(), calls);
        auto& keep = bySection ? sectionContent : directContent;
        if (keep.empty()) keep = std::move(content);
      }
      std::fflush(stdout);
    }
  }

  const bool same = !oursContent.empty() && oursContent == theirsContent;
  std::printf("same_content %s values=%zu/%zu\n", same ? "yes" : "no", oursContent.size(), theirsContent.size());
  if (!same) {
    int shown = 0;
    for (const auto& [k, v] : theirsContent) {
      auto it = oursContent.find(k);
      if (it != oursContent.end() && it->second == v) continue;
      if (shown++ < 3)
        std::fprintf(stderr, "differs: %s regedit=[%s] ours=[%s]\n", narrow(k).c_str(), narrow(v).c_str(),
                     it == oursContent.end() ? "(missing)" : narrow(it->second).c_str());
    }
  }

  // One more restore through a counting port: how many registry calls, and
  // how much of the time they take.
  {
    CountingRegistry counting(ports.registry);
    RegistrySettingsStore store(counting);
    const Services countedServices = ports.services(counting, store);
    clean(app);
    const double t = nowMs();
    RegLogRead(countedServices, backup);
    const double total = nowMs() - t;
    long calls = 0;
    double inCalls = 0;
    std::printf("calls");
    for (const auto& [name, tally] : counting.tallies()) {
      std::printf(" %s=%ld/%.1fms", name.c_str(), tally.count, tally.ms);
      calls += tally.count;
      inCalls += tally.ms;
    }
    std::printf(" total=%ld registry_ms=%.1f restore_ms=%.1f\n", calls, inCalls, total);
  }
  clean(app);
  {
    // The decoding alone: reading the line and taking off both layers.
    std::vector<double> decode;
    for (int i = 0; i < runs; ++i) {
      const double t = nowMs();
      const std::wstring text = HexTextDecode(Radix64Decode(fromAnsi(ports.files.readFirstLine(backup))));
      decode.push_back(nowMs() - t);
      if (text.empty()) ++failures;
    }
    std::printf("median side=decode runs=%zu ms=%.1f\n", decode.size(), median(decode));
  }

  const double a = median(ours), b = median(theirs);
  std::printf("median side=reglogread runs=%zu ms=%.1f\n", ours.size(), a);
  std::printf("median side=regedit runs=%zu ms=%.1f\n", theirs.size(), b);
  std::printf("median side=direct runs=%zu ms=%.1f calls=%ld same_content=%s\n", direct.size(), median(direct),
              directCalls, directContent == theirsContent ? "yes" : "no");
  std::printf("median side=section runs=%zu ms=%.1f calls=%ld same_content=%s\n", section.size(), median(section),
              sectionCalls, sectionContent == theirsContent ? "yes" : "no");
  std::printf("ratio reglogread/regedit restore=%.2f\n", b > 0 ? a / b : 0.0);
  std::printf("ratio direct/regedit restore=%.2f\n", b > 0 ? median(direct) / b : 0.0);
  std::printf("ratio section/regedit restore=%.2f\n", b > 0 ? median(section) / b : 0.0);
  const bool quiet = ports.messages.count() == 0;
  if (!quiet) std::printf("error messages=%d\n", ports.messages.count());
  return failures || !same || !quiet ? 1 : 0;
}
