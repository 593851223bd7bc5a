#pragma once
// Helpers of the settings scenarios (restore, wipe, snapshots, bad backup
// files): settings backup files written as the maker's programs write them,
// Wine's own reg.exe for exports and imports, a comparison of two exports,
// quick message-box answers, and guards that put back the snapshot folder
// and the settings a scenario made.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "support/backup_encoder.h"

namespace e2e::settings {

// ---- texts of the program -------------------------------------------------

inline const std::wstring kRestoreDone = L"환경설정 복원이 완료되었습니다.   ";
inline const std::wstring kNoBackupFile = L"환경설정을 복원할 파일이 없습니다.  ";
inline const std::wstring kRegLogReadEnding = L"in procedure RegLogRead of Module modRegedit";
inline const std::wstring kSnapshotRefusal =
    L"설정을 바꾸기 전에 지금의 설정을 복원 지점으로 저장하지 못해 작업을 멈췄습니다.\r\n"
    L"아무것도 지우거나 바꾸지 않았습니다.";
inline const std::wstring kAppTitle = L"도움터";

inline bool startsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }
inline bool endsWith(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// ---- settings backup files ------------------------------------------------
// Written by the tests' one encoder (support/backup_encoder.h); these add the
// scenarios' header and a raw-bytes line.

using doumteo::testing::hexEncode;
using doumteo::testing::lineFromHex;
using doumteo::testing::Record;
using doumteo::testing::settingsText;

inline std::string backupLine(const std::vector<Record>& records, const std::wstring& header = L"VELTO SETTINGS") {
  return doumteo::testing::backupLine(header, records);
}
// Radix-64 of any bytes, for a line whose inner layer is no hex text at all.
inline std::string radix64Encode(std::string_view bytes) {
  std::wstring units;
  for (const unsigned char b : bytes) units += static_cast<wchar_t>(b);
  return doumteo::testing::asciiBytes(doumteo::testing::radix64Encode(units));
}

// text with `what` put in at pos (built anew: GCC 12 warns wrongly about
// std::string::insert at -O3).
inline std::string insertedAt(const std::string& text, std::size_t pos, const std::string& what) {
  return text.substr(0, pos) + what + text.substr(pos);
}

// A whole backup file: the line, and a second line that must be ignored.
inline std::string backupFile(const std::vector<Record>& records) {
  return doumteo::testing::backupFile(L"VELTO SETTINGS", records);
}

// ---- Wine's reg.exe ---------------------------------------------------------

inline std::wstring systemTool(const std::wstring& name) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) throw DriverError(L"no system folder");
  return std::wstring(folder, n) + L"\\" + name;
}

// Runs reg.exe with args, its output thrown away, and returns its exit code.
inline DWORD runReg(const std::wstring& args, DWORD ms = kWaitMs) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               OPEN_EXISTING, 0, nullptr));
  const std::wstring exe = systemTool(L"reg.exe");
  std::wstring commandLine = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = si.hStdOutput = si.hStdError = nul.get();
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                      nullptr, nullptr, &si, &pi);
  nul.reset();
  if (!started) throw DriverError(L"cannot start reg.exe (error " + std::to_wstring(GetLastError()) + L")");
  const UniqueHandle process(pi.hProcess), thread(pi.hThread);
  const DWORD waited = WaitForSingleObject(pi.hProcess, ms);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  if (waited != WAIT_OBJECT_0) throw DriverError(L"reg.exe " + args + L" did not end");
  return code;
}

// UTF-16LE with a byte order mark, as reg.exe writes and reads.
inline std::wstring utf16Text(const std::string& bytes) {
  std::size_t start = bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE' ? 2 : 0;
  std::wstring text;
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2)
    text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  return text;
}

// The export text of a key with everything below it ("HKCU\..." or
// "HKEY_CURRENT_USER"); nullopt when reg.exe fails (the key is missing).
inline std::optional<std::wstring> regExport(const std::wstring& key) {
  static int counter = 0;
  const std::wstring file = environment().cRoot + L"\\export-" + std::to_wstring(++counter) + L".reg";
  DeleteFileW(file.c_str());
  const DWORD code = runReg(L"export \"" + key + L"\" \"" + file + L"\" /y");
  auto bytes = readFile(file);
  DeleteFileW(file.c_str());
  if (code != 0 || !bytes) return std::nullopt;
  return utf16Text(*bytes);
}

// "" when the two exports are the same; otherwise the first line where they
// part (an export can be long, so a failure shows only that).
inline std::string exportDifference(const std::optional<std::wstring>& was, const std::optional<std::wstring>& now) {
  if (!was || !now) return was == now ? "" : std::string(was ? "the key is gone" : "the key appeared");
  if (*was == *now) return "";
  auto lines = [](const std::wstring& text) {
    std::vector<std::wstring> out;
    for (std::size_t start = 0; start <= text.size();) {
      std::size_t end = text.find(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      out.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return out;
  };
  const auto a = lines(*was), b = lines(*now);
  std::size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  auto at = [](const std::vector<std::wstring>& v, std::size_t k) {
    return k < v.size() ? narrow(v[k].substr(0, 200)) : std::string("(end)");
  };
  return "line " + std::to_string(i + 1) + ": was \"" + at(a, i) + "\", now \"" + at(b, i) + "\"";
}

inline DWORD regImport(const std::wstring& file) { return runReg(L"import \"" + file + L"\""); }

inline std::wstring settingsAreaKey(const std::wstring& app) { return L"HKCU\\" + settingsKey(app); }

// ---- reading an export ------------------------------------------------------

// Key path (as written) -> its value lines (a value continued over several
// lines joined into one), in the export's order.
using ExportKeys = std::map<std::wstring, std::vector<std::wstring>>;

inline ExportKeys parseExport(const std::wstring& text) {
  ExportKeys keys;
  std::vector<std::wstring>* current = nullptr;
  std::wstring pending;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!pending.empty()) {
      line = pending + line.substr(std::min(line.find_first_not_of(L' '), line.size()));
      pending.clear();
    }
    if (line.empty() || line[0] == L';' || startsWith(line, L"Windows Registry Editor")) continue;
    if (line.front() == L'[' && line.back() == L']') {
      current = &keys[line.substr(1, line.size() - 2)];
      continue;
    }
    if (line.back() == L'\\' && line.find(L"=hex") != std::wstring::npos) {
      line.pop_back();
      pending = line;
      continue;
    }
    if (!current) throw DriverError(L"a value before any key in an export: " + line);
    current->push_back(line);
  }
  return keys;
}

// The export line of a REG_SZ value.
inline std::wstring exportLine(const std::wstring& name, const std::wstring& value) {
  auto quoted = [](const std::wstring& s) {
    std::wstring out = L"\"";
    for (wchar_t c : s) {
      if (c == L'\\' || c == L'"') out += L'\\';
      out += c;
    }
    return out + L"\"";
  };
  return (name.empty() ? L"@" : quoted(name)) + L"=" + quoted(value);
}

inline std::wstring lowerText(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

// Differences between two exports of HKEY_CURRENT_USER anywhere except in
// the section keys HKCU\Software\VB and VBA Program Settings\<app>\<section>
// themselves (an application key may appear, but without values of its own).
inline std::vector<std::wstring> changesOutsideSettingsSections(const ExportKeys& before, const ExportKeys& after) {
  const std::wstring root = lowerText(std::wstring(L"HKEY_CURRENT_USER\\") + kSettingsRoot);
  auto levelsBelowRoot = [&](const std::wstring& path) -> int {
    const std::wstring p = lowerText(path);
    if (p == root) return 0;
    if (!startsWith(p, root + L"\\")) return -1;
    return 1 + static_cast<int>(std::count(p.begin() + static_cast<std::ptrdiff_t>(root.size()) + 1, p.end(), L'\\'));
  };
  std::map<std::wstring, std::pair<const std::vector<std::wstring>*, const std::vector<std::wstring>*>> all;
  for (const auto& [path, values] : before) all[lowerText(path)].first = &values;
  for (const auto& [path, values] : after) all[lowerText(path)].second = &values;
  const std::vector<std::wstring> none;
  std::vector<std::wstring> changes;
  // Wine's user32 keeps its own notes there while windows come and go.
  const std::wstring wineScratch = L"hkey_current_user\\software\\wine\\temporary system parameters";
  for (const auto& [path, pair] : all) {
    if (path == wineScratch || startsWith(path, wineScratch + L"\\")) continue;
    const int level = levelsBelowRoot(path);
    if (level == 2) continue;
    const auto& was = pair.first ? *pair.first : none;
    const auto& now = pair.second ? *pair.second : none;
    if (level == 1) {
      if (was != now) changes.push_back(L"values of the application key " + path + L" changed");
      continue;
    }
    if (!pair.first)
      changes.push_back(L"new key " + path);
    else if (!pair.second)
      changes.push_back(L"key removed: " + path);
    else if (was != now)
      changes.push_back(L"values changed in " + path);
  }
  return changes;
}

// ---- message boxes, answered quickly -----------------------------------------
// waitMessageBox() takes a screenshot of every box; a scenario that meets
// many boxes reads them without one.

struct QuickBox {
  HWND window = nullptr;
  std::wstring title;
  std::wstring text;
  std::vector<std::pair<int, HWND>> buttons;  // id, window
};

inline QuickBox waitQuickBox(const Process& process, DWORD ms = kWaitMs) {
  HWND found = waitMessageBoxWindow(process, ms);
  QuickBox box;
  box.window = found;
  box.title = windowText(found);
  if (HWND text = GetDlgItem(found, 0xFFFF)) box.text = windowText(text);
  for (HWND w : childWindows(found))
    if (lowerText(className(w)) == L"button" && IsWindowVisible(w)) box.buttons.emplace_back(GetDlgCtrlID(w), w);
  return box;
}

inline void answerQuick(const QuickBox& box, int id) {
  for (const auto& [buttonId, window] : box.buttons) {
    if (buttonId != id) continue;
    click(window);
    waitGone(box.window);
    return;
  }
  throw DriverError(L"the box \"" + box.text + L"\" has no button " + std::to_wstring(id));
}

// Answers every box with OK until one for which isLast is true has been
// answered; returns them all. A box that asks (no OK button) or more than
// `limit` boxes fail the scenario.
inline std::vector<QuickBox> answerOkUntil(const Process& process, const std::function<bool(const QuickBox&)>& isLast,
                                           std::size_t limit = 40, DWORD ms = kWaitMs) {
  std::vector<QuickBox> boxes;
  for (;;) {
    QuickBox box = waitQuickBox(process, ms);
    boxes.push_back(box);
    answerQuick(box, IDOK);
    if (isLast(box)) return boxes;
    if (boxes.size() >= limit) throw DriverError(L"more than " + std::to_wstring(limit) + L" message boxes");
  }
}
inline std::vector<QuickBox> answerOkUntil(const Process& process, const std::wstring& last, std::size_t limit = 40,
                                           DWORD ms = kWaitMs) {
  return answerOkUntil(
      process, [&](const QuickBox& box) { return box.text == last; }, limit, ms);
}

// ---- program windows ----------------------------------------------------------

inline HWND backupCombo(HWND main) {
  for (const Control& c : controls(main))
    if (lowerText(c.className) == L"combobox") return c.window;
  throw DriverError(L"the main window has no drop-down list");
}

inline int comboIndexOf(HWND combo, const std::wstring& item) {
  const auto items = comboItems(combo);
  const auto at = std::find(items.begin(), items.end(), item);
  if (at == items.end()) throw DriverError(L"the list has no item " + item);
  return static_cast<int>(at - items.begin());
}

// ---- folders and guards ---------------------------------------------------------

inline std::wstring localAppData() {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, path))) throw DriverError(L"no LocalAppData");
  return path;
}
inline std::wstring snapshotOwnFolder() { return localAppData() + L"\\도움터"; }
inline std::wstring snapshotFolder() { return snapshotOwnFolder() + L"\\복원지점"; }

inline std::vector<std::wstring> fileNames(const std::wstring& folder, const std::wstring& pattern = L"*") {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  const UniqueFind owner(find);
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  std::sort(names.begin(), names.end());
  return names;
}

inline bool isFolder(const std::wstring& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Puts the snapshot folder back as it was (files and all) when it ends.
class SnapshotFolderGuard {
 public:
  SnapshotFolderGuard() : ownExisted_(isFolder(snapshotOwnFolder())), folderExisted_(isFolder(snapshotFolder())) {
    if (folderExisted_)
      for (const auto& name : fileNames(snapshotFolder()))
        saved_[name] = readFile(snapshotFolder() + L"\\" + name).value_or("");
  }
  ~SnapshotFolderGuard() {
    try {
      // A scenario may have put a file where the program's own folder goes.
      if (!isFolder(snapshotOwnFolder())) DeleteFileW(snapshotOwnFolder().c_str());
      if (!ownExisted_) {
        removeTree(snapshotOwnFolder());
        return;
      }
      removeTree(snapshotFolder());
      if (!folderExisted_) return;
      makeFolders(snapshotFolder());
      for (const auto& [name, bytes] : saved_) writeFile(snapshotFolder() + L"\\" + name, bytes);
    } catch (const DriverError&) {
    }
  }
  SnapshotFolderGuard(const SnapshotFolderGuard&) = delete;
  SnapshotFolderGuard& operator=(const SnapshotFolderGuard&) = delete;

  // Snapshot files that were not there when the guard began.
  std::vector<std::wstring> newSnapshots() const {
    std::vector<std::wstring> added;
    for (const auto& name : fileNames(snapshotFolder(), L"*.reg"))
      if (!saved_.count(name)) added.push_back(name);
    return added;
  }

 private:
  bool ownExisted_;
  bool folderExisted_;
  std::map<std::wstring, std::string> saved_;
};

inline std::set<std::wstring> settingsApplications() {
  std::set<std::wstring> apps;
  HKEY root = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) return apps;
  const UniqueKey owner(root);
  wchar_t name[512];
  for (DWORD i = 0;; ++i) {
    DWORD length = 512;
    if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    apps.insert(lowerText(std::wstring(name, length)));
  }
  return apps;
}

// Deletes, when it ends, every application area that appeared meanwhile and
// the areas named to it (which a scenario seeds and changes).
class SettingsGuard {
 public:
  explicit SettingsGuard(std::vector<std::wstring> owned = {})
      : before_(settingsApplications()), owned_(std::move(owned)) {
    for (const auto& app : owned_) deleteSettings(app);
  }
  ~SettingsGuard() {
    for (const auto& app : owned_) deleteSettings(app);
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsRoot, 0, KEY_READ, &root) != ERROR_SUCCESS) return;
    UniqueKey owner(root);
    std::vector<std::wstring> added;
    wchar_t name[512];
    for (DWORD i = 0;; ++i) {
      DWORD length = 512;
      if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      if (!before_.count(lowerText(std::wstring(name, length)))) added.emplace_back(name, length);
    }
    owner.reset();  // before the areas are deleted
    for (const auto& app : added) deleteSettings(app);
  }
  SettingsGuard(const SettingsGuard&) = delete;
  SettingsGuard& operator=(const SettingsGuard&) = delete;

 private:
  std::set<std::wstring> before_;
  std::vector<std::wstring> owned_;
};

// ---- the scenarios' product ----------------------------------------------------

inline const std::wstring kApp = L"E2E벨토가계부";          // regiProgram: the product's settings area
inline const std::wstring kNeighbour = L"E2E이웃프로그램";  // another program's area, never to be touched
inline const std::wstring kSecondApp = L"E2E둘째";          // a second area some backup files name
inline const std::wstring kProgramName = L"벨토 가계부 2024";
inline const std::wstring kProductExe = L"VELTO.exe";  // the name exeFile gives, letter for letter

// A program folder with Korean and blanks in its path, the product profile,
// and guards that put back the settings areas and the snapshot folder.
class SettingsScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"doumteo.exe");
    killProcessesNamed(kProductExe);
    Profile profile;
    profile.exeFile = L"VELTO";
    profile.program = kProgramName;
    profile.regiProgram = kApp;
    profile.dbPath = L"DB정보;경로";
    seedProfile(profile);
  }
  void TearDown() override {
    killProcessesNamed(L"doumteo.exe");
    killProcessesNamed(kProductExe);
    deleteSettings(L"Setupkeeper");
  }

  // The product's settings as a customer's PC holds them, and a neighbour's.
  static void seedProductSettings() {
    setSetting(kApp, L"환경설정", L"CSType", L"1");
    setSetting(kApp, L"환경설정", L"글꼴", L"굴림체");
    setSetting(kApp, L"DB정보", L"경로", L"C:\\VeltoSoft\\DB");
    setSetting(kApp, L"DB정보", L"이름", L"dbMain.mdb");
    setSetting(kApp, L"창위치", L"Left", L"120");
    setSetting(kNeighbour, L"환경설정", L"CSType", L"9");
  }

  std::wstring backupPath(const std::wstring& name) const { return folder.file(L"DBS\\" + name); }
  void addBackup(const std::wstring& name, const std::string& bytes) const { folder.addFile(L"DBS\\" + name, bytes); }

  SettingsGuard settingsGuard{{kApp, kNeighbour, kSecondApp}};
  SnapshotFolderGuard snapshots;
  ProgramFolder folder{environment().cRoot + L"\\벨토 소프트\\도움터"};
};

}  // namespace e2e::settings
