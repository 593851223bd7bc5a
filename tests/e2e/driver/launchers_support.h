#pragma once
// Shared by the launcher and fault scenarios: the reinstaller kit, the kit
// folder at the root of a drive, the guard's messages, a file held open by
// another process, the whole settings area read at once, and a second drive
// that disappears while the program runs.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e::launch {

inline const std::wstring kExeFile = L"VeltoBook";  // the profile's Exefile; the product runs as VeltoBook.exe
inline const std::wstring kRegiProgram = L"벨토가계부";
inline const std::wstring kSetupFile = L"http://www.velto.example/setup/VeltoBook.exe";
inline const std::wstring kDbFold = L"DBS";

inline const std::wstring kAppTitle = L"도움터";

inline void seedLauncherProfile(const std::wstring& backupDbPath = L"") {
  Profile profile;
  profile.exeFile = kExeFile;
  profile.program = L"벨토 가계부 2024";
  profile.regiProgram = kRegiProgram;
  profile.setupFile = kSetupFile;
  profile.dbFold = kDbFold;
  seedProfile(profile);
  if (backupDbPath.empty())
    deleteSettings(L"BackUp");
  else
    setSetting(L"BackUp", L"DB경로", L"경로", backupDbPath);
}

// ---- the kit ---------------------------------------------------------------

// The reinstaller is a recorder, so its start is seen; the other two only
// have to be copied, and carry the folder's name so that a stale copy shows.
inline std::string kitBytes(const std::wstring& name, const std::wstring& folder) {
  return "kit file " + narrow(name) + " of " + narrow(folder);
}
inline void addKit(const ProgramFolder& folder, const std::wstring& leaveOut = L"") {
  if (leaveOut != L"SetupKeeper.exe") folder.addRecorder(L"SetupKeeper.exe");
  for (const wchar_t* name : {L"FetchPilot.exe", L"libmySQL.dll"})
    if (leaveOut != name) folder.addFile(name, kitBytes(name, folder.path()));
}

// <drive>\VTSoft, where the reinstaller kit is copied; removed before and
// after each scenario since it sits at the root of the drive.
inline std::wstring kitFolder(const std::wstring& drive) { return drive + L"\\VTSoft"; }

// Removes a folder that a recorder started by the scenario (or by one that
// went wrong) may still be running from, or just leaving.
inline void removeTreePatiently(const std::wstring& path) {
  for (int attempt = 0;; ++attempt) {
    try {
      removeTree(path);
      return;
    } catch (const DriverError&) {
      if (attempt == 50) throw;
      Sleep(100);
    }
  }
}

// The reinstaller a scenario started there is ended first.
inline void removeKitFolder(const std::wstring& drive) {
  killProcessesNamed(L"SetupKeeper.exe");
  removeTreePatiently(kitFolder(drive));
}

// The three files of the kit folder are the program folder's.
inline void expectKitCopied(const ProgramFolder& folder, const std::wstring& drive) {
  for (const wchar_t* name : {L"SetupKeeper.exe", L"FetchPilot.exe", L"libmySQL.dll"}) {
    std::optional<std::string> copy = readFile(kitFolder(drive) + L"\\" + name);
    ASSERT_TRUE(copy.has_value()) << narrow(name) << " is not in the kit folder";
    EXPECT_TRUE(*copy == *readFile(folder.file(name))) << narrow(name) << " in the kit folder is not the new one";
  }
}

// ---- message boxes ---------------------------------------------------------

inline void expectBox(const MsgBox& box, const std::wstring& title, const std::wstring& text, Icon icon) {
  EXPECT_EQ(box.title, title) << narrow(box.text);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.icon, icon) << iconName(box.icon) << " instead of " << iconName(icon) << ": " << narrow(box.text);
}

// Waits for the reminder of the guard, checks it and confirms it.
inline void confirmReminder(const Process& program) {
  MsgBox box = waitMessageBox(program);
  expectBox(box, kRegiProgram, kReminder, Icon::Warning);
  EXPECT_EQ(box.buttonIds(), std::vector<int>{IDOK});
  box.answer(IDOK);
}

// A message with OK only and no icon under the program's own title.
inline void confirmPlain(const Process& program, const std::wstring& text) {
  MsgBox box = waitMessageBox(program);
  expectBox(box, kAppTitle, text, Icon::None);
  EXPECT_EQ(box.buttonIds(), std::vector<int>{IDOK});
  box.answer(IDOK);
}

// Waits for the end of the program and returns the titles of the windows it
// showed meanwhile besides its main window (which it closes on its way out,
// and which may be half destroyed when looked at).
inline std::vector<std::wstring> otherWindowsUntilExit(const Process& program, HWND main, DWORD* exitCode) {
  std::vector<std::wstring> shown;
  std::vector<HWND> seen{main};
  const ULONGLONG deadline = GetTickCount64() + kWaitMs;
  while (program.running()) {
    for (HWND w : topWindows(program.id())) {
      if (std::find(seen.begin(), seen.end(), w) != seen.end()) continue;
      std::wstring title = windowText(w);
      if (!IsWindow(w)) continue;  // gone while being read
      seen.push_back(w);
      shown.push_back(title + L" (" + className(w) + L")");
    }
    if (GetTickCount64() >= deadline) throw DriverError(L"the program is still running");
    Sleep(10);
  }
  *exitCode = program.waitExit(0);
  return shown;
}

// ---- another process holding a file ----------------------------------------

// Opened without sharing, as a running reinstaller holds its own files:
// nobody else can open it for writing until this goes out of scope.
class HeldOpen {
 public:
  explicit HeldOpen(const std::wstring& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (handle_.get() == INVALID_HANDLE_VALUE) throw DriverError(L"cannot hold " + path + L" open");
  }
  void release() { handle_.reset(); }

 private:
  UniqueHandle handle_;
};

// ---- the settings area -----------------------------------------------------

// Every value under HKCU\Software\VB and VBA Program Settings, by
// "<key path in lower case>|<value name in lower case>", with its type and
// data, so that two readings show whatever was added, lost or changed.
using SettingsArea = std::map<std::wstring, std::wstring>;

inline void readSettingsKey(HKEY root, const std::wstring& path, SettingsArea& area) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  UniqueKey owner(key);
  std::wstring lowerPath = path;
  CharLowerBuffW(lowerPath.data(), static_cast<DWORD>(lowerPath.size()));
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384, type = 0, dataSize = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &dataSize) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(dataSize + 2);
    nameLength = 16384;
    DWORD got = dataSize;
    RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &got);
    std::wstring valueName(name, nameLength);
    CharLowerBuffW(valueName.data(), static_cast<DWORD>(valueName.size()));
    std::wstring shown = L"type " + std::to_wstring(type) + L": ";
    if (type == REG_SZ) {
      std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), got / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      shown += text;
    } else
      for (DWORD b = 0; b < got; ++b) shown += std::to_wstring(data[b]) + L" ";
    area[lowerPath + L"|" + valueName] = shown;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    if (RegEnumKeyW(key, i, name, 256) != ERROR_SUCCESS) break;
    subkeys.emplace_back(name);
  }
  owner.reset();  // before the subkeys are opened
  for (const std::wstring& sub : subkeys) readSettingsKey(root, path + L"\\" + sub, area);
}

inline SettingsArea settingsArea() {
  SettingsArea area;
  readSettingsKey(HKEY_CURRENT_USER, kSettingsRoot, area);
  return area;
}

inline std::wstring areaEntry(const std::wstring& app, const std::wstring& section, const std::wstring& name) {
  std::wstring entry = settingsKey(app, section) + L"|" + name;
  CharLowerBuffW(entry.data(), static_cast<DWORD>(entry.size()));
  return entry;
}

// What changed from before to after, one line each, for a readable failure.
inline std::string areaDifference(const SettingsArea& before, const SettingsArea& after) {
  std::string out;
  for (const auto& [entry, value] : before) {
    auto now = after.find(entry);
    if (now == after.end())
      out += "lost " + narrow(entry) + "\n";
    else if (now->second != value)
      out += "changed " + narrow(entry) + ": " + narrow(value) + " -> " + narrow(now->second) + "\n";
  }
  for (const auto& [entry, value] : after)
    if (!before.count(entry)) out += "added " + narrow(entry) + " = " + narrow(value) + "\n";
  return out;
}

// The reinstaller's three settings, added to the area as it was before.
inline SettingsArea withReinstallerSettings(SettingsArea area, const std::wstring& programFolder) {
  area[areaEntry(L"SetupKeeper", L"Config", L"fileurl")] = L"type 1: " + kSetupFile;
  area[areaEntry(L"SetupKeeper", L"Config", L"destapppath")] = L"type 1: " + programFolder;
  area[areaEntry(L"SetupKeeper", L"Config", L"dbfoldname")] = L"type 1: " + kDbFold;
  return area;
}

// ---- a second drive that goes away -----------------------------------------

// Wine's mount manager maps drive letters to Unix folders; removing the
// mapping of D: is what a disconnected second drive looks like to a program.
// The mapping is put back when this goes out of scope.
class DriveRemoval {
 public:
  explicit DriveRemoval(wchar_t letter) : letter_(letter) {
    manager_.reset(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (manager_.get() == INVALID_HANDLE_VALUE) throw DriverError(L"cannot open the mount manager");
    unixFolder_ = query();
    if (unixFolder_.empty()) throw DriverError(std::wstring(L"drive ") + letter_ + L": has no Unix folder");
    define("");
    if (GetDriveTypeW(root().c_str()) != DRIVE_NO_ROOT_DIR) {
      define(unixFolder_);
      throw DriverError(L"the drive is still there after its removal");
    }
  }
  ~DriveRemoval() {
    try {
      define(unixFolder_);
    } catch (const DriverError&) {
      ADD_FAILURE() << "the drive could not be mapped again to " << unixFolder_;
    }
  }
  DriveRemoval(const DriveRemoval&) = delete;
  DriveRemoval& operator=(const DriveRemoval&) = delete;

  std::wstring root() const { return std::wstring(1, letter_) + L":\\"; }

 private:
  // Wine's own layout of the request (its ddk/mountmgr.h, Wine extensions).
  struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
  };
  static constexpr DWORD kDefine = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
  static constexpr DWORD kQuery = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

  std::string query() {
    std::vector<char> buffer(sizeof(UnixDrive) + 4096, 0);
    UnixDrive in{};
    in.size = sizeof in;
    in.letter = letter_;
    DWORD got = 0;
    if (!DeviceIoControl(manager_.get(), kQuery, &in, sizeof in, buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                         nullptr))
      throw DriverError(L"the mount manager does not know the drive (error " + std::to_wstring(GetLastError()) + L")");
    UnixDrive out;
    std::memcpy(&out, buffer.data(), sizeof out);
    if (!out.mountPointOffset || out.mountPointOffset >= got) return {};
    return std::string(buffer.data() + out.mountPointOffset);
  }

  void define(const std::string& folder) {
    std::vector<char> request(sizeof(UnixDrive) + folder.size() + 1, 0);
    UnixDrive in{};
    in.size = static_cast<ULONG>(request.size());
    in.type = DRIVE_FIXED;
    in.letter = letter_;
    if (!folder.empty()) {
      in.mountPointOffset = sizeof(UnixDrive);
      std::memcpy(request.data() + sizeof(UnixDrive), folder.c_str(), folder.size() + 1);
    }
    std::memcpy(request.data(), &in, sizeof in);
    DWORD got = 0;
    if (!DeviceIoControl(manager_.get(), kDefine, request.data(), static_cast<DWORD>(request.size()), nullptr, 0, &got,
                         nullptr))
      throw DriverError(L"the mount manager refused to change the drive (error " + std::to_wstring(GetLastError()) +
                        L")");
  }

  wchar_t letter_;
  UniqueHandle manager_;
  std::string unixFolder_;
};

}  // namespace e2e::launch
