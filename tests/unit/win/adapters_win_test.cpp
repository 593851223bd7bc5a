#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/clock_win.h"
#include "platform/files_win.h"
#include "platform/handle_win.h"
#include "platform/processes_win.h"
#include "platform/shell_win.h"
#include "platform/system_error_win.h"

namespace doumteo {
namespace {

std::wstring modulePath() {
  wchar_t buffer[MAX_PATH * 4] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  return buffer;
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

void writeFile(const std::wstring& path, const std::string& bytes) {
  const UniqueHandle h(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(h.get(), INVALID_HANDLE_VALUE) << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(written, bytes.size());
}

std::string readFile(const std::wstring& path) {
  const UniqueHandle h(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) return {};
  std::string out(4096, '\0');
  DWORD got = 0;
  ReadFile(h.get(), out.data(), static_cast<DWORD>(out.size()), &got, nullptr);
  out.resize(got);
  return out;
}

void removeTree(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  const HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    const UniqueFind owner(h);
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        removeTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(h, &data));
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(path.c_str());
}

// Polls for a file that another process writes.
std::string waitForContent(const std::wstring& path) {
  for (int i = 0; i < 150; ++i) {
    if (auto text = readFile(path); !text.empty()) return text;
    Sleep(100);
  }
  return {};
}

int failureNumber(const std::function<void()>& call) {
  try {
    call();
  } catch (const Failure& f) {
    return f.number;
  }
  return 0;
}

// Each test works in a scratch folder of its own below the temp folder.
class AdapterFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    root = std::wstring(temp) + L"doumteo-adapters-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter_);
    removeTree(root);
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr)) << GetLastError();
  }
  void TearDown() override { removeTree(root); }
  std::wstring at(const std::wstring& name) const { return root + L"\\" + name; }
  void withAttributes(const std::wstring& path, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
    ASSERT_EQ(GetFileAttributesW(path.c_str()) & attributes, attributes) << "attributes not kept";
  }
  std::wstring root;
  Win32FileSystem files;

 private:
  static inline int counter_ = 0;
};

TEST_F(AdapterFiles, ProgramFolderIsTheExecutablesFolderWithoutSeparator) {
  const std::wstring folder = files.programFolder();
  EXPECT_EQ(folder, folderOf(modulePath()));
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), L'\\');
  EXPECT_TRUE(files.exists(modulePath()));
}

TEST_F(AdapterFiles, ExistsSeesOrdinaryFilesAndFoldersOnlyWhenAsked) {
  writeFile(at(L"재설치관리자.exe"), "MZ");
  writeFile(at(L"readonly.dll"), "MZ");
  withAttributes(at(L"readonly.dll"), FILE_ATTRIBUTE_READONLY);
  writeFile(at(L"hidden.exe"), "MZ");
  withAttributes(at(L"hidden.exe"), FILE_ATTRIBUTE_HIDDEN);
  writeFile(at(L"system.exe"), "MZ");
  withAttributes(at(L"system.exe"), FILE_ATTRIBUTE_SYSTEM);
  ASSERT_TRUE(CreateDirectoryW(at(L"VTSoft").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(at(L"숨김").c_str(), nullptr));
  withAttributes(at(L"숨김"), FILE_ATTRIBUTE_HIDDEN);

  EXPECT_TRUE(files.exists(at(L"재설치관리자.exe")));
  EXPECT_TRUE(files.exists(at(L"readonly.dll")));
  EXPECT_FALSE(files.exists(at(L"hidden.exe")));
  EXPECT_FALSE(files.exists(at(L"system.exe"), true));
  EXPECT_FALSE(files.exists(at(L"VTSoft")));
  EXPECT_TRUE(files.exists(at(L"VTSoft"), true));
  EXPECT_FALSE(files.exists(at(L"숨김"), true));
  EXPECT_FALSE(files.exists(at(L"missing.exe")));
  EXPECT_FALSE(files.exists(at(L"missing\\SetupKeeper.exe"), true));
  EXPECT_FALSE(files.exists(L""));
}

TEST_F(AdapterFiles, ListFilesGivesOrdinaryFilesMatchingThePattern) {
  for (const auto* name : {L"환경설정1.mdb", L"환경설정20.mdb", L"환경설정3.mdb", L"기타.mdb", L"환경설정5.txt"})
    writeFile(at(name), "x");
  withAttributes(at(L"환경설정3.mdb"), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(CreateDirectoryW(at(L"환경설정4.mdb").c_str(), nullptr));

  auto names = files.listFiles(root, L"환경설정*.mdb");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"환경설정1.mdb", L"환경설정20.mdb"}));
  EXPECT_EQ(files.listFiles(root + L"\\", L"기타.mdb"), std::vector<std::wstring>{L"기타.mdb"});
  EXPECT_TRUE(files.listFiles(at(L"missing"), L"*.mdb").empty());
}

TEST_F(AdapterFiles, CopyReplacesAndReportsWhatKeepsItFromCopying) {
  writeFile(at(L"SetupKeeper.exe"), "new");
  ASSERT_TRUE(CreateDirectoryW(at(L"VTSoft").c_str(), nullptr));
  writeFile(at(L"VTSoft\\SetupKeeper.exe"), "old kit file");
  files.copyFile(at(L"SetupKeeper.exe"), at(L"VTSoft\\SetupKeeper.exe"));
  EXPECT_EQ(readFile(at(L"VTSoft\\SetupKeeper.exe")), "new");

  {
    // A running reinstaller holds its file open without sharing.
    const UniqueHandle held(
        CreateFileW(at(L"VTSoft\\SetupKeeper.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(failureNumber([&] { files.copyFile(at(L"SetupKeeper.exe"), at(L"VTSoft\\SetupKeeper.exe")); }),
              err::kPermissionDenied);
  }
  EXPECT_EQ(failureNumber([&] { files.copyFile(at(L"missing.exe"), at(L"VTSoft\\missing.exe")); }), err::kFileNotFound);
  EXPECT_EQ(failureNumber([&] { files.copyFile(at(L"SetupKeeper.exe"), at(L"nowhere\\SetupKeeper.exe")); }),
            err::kPathNotFound);
}

TEST_F(AdapterFiles, FoldersAreCreatedAndEnteredOrTheFailureSaysWhy) {
  files.createFolder(at(L"VTSoft"));
  EXPECT_TRUE(files.exists(at(L"VTSoft"), true));
  EXPECT_EQ(failureNumber([&] { files.createFolder(at(L"VTSoft")); }), err::kPathFileAccess);
  EXPECT_EQ(failureNumber([&] { files.createFolder(at(L"missing\\VTSoft")); }), err::kPathNotFound);
  const DWORD drives = GetLogicalDrives();
  for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
    if (drives & (1u << (letter - L'A'))) continue;
    EXPECT_EQ(failureNumber([&] { files.createFolder(std::wstring(1, letter) + L":\\VTSoft"); }), err::kPathNotFound)
        << "on the missing drive " << static_cast<char>(letter);
    break;
  }

  wchar_t before[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, before);
  files.setCurrentFolder(at(L"VTSoft\\"));
  wchar_t now[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, now);
  EXPECT_EQ(std::wstring(now), at(L"VTSoft"));
  EXPECT_EQ(failureNumber([&] { files.setCurrentFolder(at(L"missing")); }), err::kPathNotFound);
  SetCurrentDirectoryW(before);
}

TEST_F(AdapterFiles, FirstLineEndsAtCrOrLfAndKeepsItsBytes) {
  const std::string korean = "\xC8\xAF\xB0\xE6";  // code page 949 bytes, passed through untouched
  const std::pair<std::string, std::string> cases[] = {
      {"abc\r\ndef", "abc"}, {"abc\ndef", "abc"},      {"abc\rdef", "abc"}, {"abc", "abc"}, {"", ""},
      {"\r\nabc", ""},       {korean + "\r\n", korean}};
  for (const auto& [content, line] : cases) {
    writeFile(at(L"환경설정1.mdb"), content);
    EXPECT_EQ(files.readFirstLine(at(L"환경설정1.mdb")), line) << content;
  }
  EXPECT_EQ(failureNumber([&] { files.readFirstLine(at(L"missing.mdb")); }), err::kFileNotFound);
  // The settings reader reports a second failure only for a file that never opened.
  EXPECT_THROW(files.readFirstLine(at(L"missing.mdb")), FileOpenFailure);
}

TEST_F(AdapterFiles, FirstLineLongerThanTheCapIsAnOverflow) {
  writeFile(at(L"full.mdb"), std::string(FileSystemPort::kMaxLine, 'A') + "\r\nrest");
  EXPECT_EQ(files.readFirstLine(at(L"full.mdb")).size(), FileSystemPort::kMaxLine);
  writeFile(at(L"over.mdb"), std::string(FileSystemPort::kMaxLine + 1, 'A'));
  EXPECT_EQ(failureNumber([&] { files.readFirstLine(at(L"over.mdb")); }), err::kOverflow);
}

TEST(AdapterProcesses, SnapshotListsThisTestProgram) {
  Win32ProcessList processes;
  const auto names = processes.snapshot();
  ASSERT_TRUE(names.has_value());
  const std::wstring self = modulePath().substr(modulePath().find_last_of(L'\\') + 1);
  const bool found = std::any_of(names->begin(), names->end(), [&](const std::wstring& n) {
    return CompareStringOrdinal(n.c_str(), -1, self.c_str(), -1, TRUE) == CSTR_EQUAL;
  });
  EXPECT_TRUE(found) << "no " << std::string(self.begin(), self.end()) << " among " << names->size();
}

TEST(AdapterProcesses, NameIsCutAtItsFirstNulAndEmptyWithoutOne) {
  const char named[8] = {'a', '.', 'e', 'x', 'e', '\0', 'z', 'z'};
  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  const char empty[4] = {'\0', 'x', 'y', 'z'};
  EXPECT_EQ(fixedFieldText(named, sizeof named), "a.exe");
  EXPECT_EQ(fixedFieldText(unterminated, sizeof unterminated), "");
  EXPECT_EQ(fixedFieldText(empty, sizeof empty), "");
}

class AdapterShell : public AdapterFiles {};

TEST_F(AdapterShell, ShellOpenStartsTheProgramWithItsParameters) {
  // The output name is Korean: it has to survive the ANSI boundary.
  const std::wstring out = at(L"기록.txt");
  Win32Shell shell;
  shell.shellOpen(L"cmd.exe", L"/c echo started> \"" + out + L"\"", L"0");
  EXPECT_EQ(waitForContent(out).substr(0, 7), "started");
}

TEST_F(AdapterShell, ProgramStartsRunACommandLineOrGiveTheSystemsError) {
  const std::wstring out = at(L"started.txt");
  Win32Shell shell;
  EXPECT_EQ(shell.createProcess(L"cmd.exe /c echo ran> \"" + out + L"\""), 0);
  EXPECT_EQ(waitForContent(out).substr(0, 3), "ran");
  EXPECT_EQ(shell.createProcess(L"no-such-program-of-doumteo.exe "), ERROR_FILE_NOT_FOUND);
  const std::wstring viaShell = at(L"셸.txt");
  EXPECT_EQ(shell.shellExecute(L"open", L"cmd.exe", L"/c echo shell> \"" + viaShell + L"\""), 0);
  EXPECT_EQ(waitForContent(viaShell).substr(0, 5), "shell");
  EXPECT_NE(shell.shellExecute(L"open", L"no-such-program-of-doumteo.exe", L""), 0);
}

TEST_F(AdapterShell, RunAndWaitGivesTheExitCodeOrEndsAtTheTimeLimit) {
  ProgramRun run = Win32Shell::runAndWait(L"open", L"cmd.exe", L"/c exit 1314", 20000);
  EXPECT_EQ(run.end, ProgramRun::End::Exited);
  EXPECT_EQ(run.code, 1314);
  EXPECT_FALSE(run.description.empty());
  run = Win32Shell::runAndWait(L"open", L"cmd.exe", L"/c exit 0", 20000);
  EXPECT_EQ(run.end, ProgramRun::End::Exited);
  EXPECT_EQ(run.code, 0);
  EXPECT_TRUE(run.description.empty());
  run = Win32Shell::runAndWait(L"open", L"no-such-program-of-doumteo.exe", L"", 20000);
  EXPECT_EQ(run.end, ProgramRun::End::Failed);
  EXPECT_NE(run.code, 0);
  // A program that outlives the limit is left running and reported as such.
  const ULONGLONG start = GetTickCount64();
  run = Win32Shell::runAndWait(L"open", modulePath(), L"--sleep-ms 5000", 300);
  EXPECT_EQ(run.end, ProgramRun::End::TimedOut);
  EXPECT_LT(GetTickCount64() - start, 2500u);
}

TEST(AdapterClock, NowIsTheLocalTimeAndSleepWaits) {
  Win32Clock clock;
  SYSTEMTIME st{};
  GetLocalTime(&st);
  const LocalTime now = clock.now();
  EXPECT_EQ(now.year, st.wYear);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_LE(now.dayOfWeek, 6);
  const ULONGLONG start = GetTickCount64();
  clock.sleep(120);
  EXPECT_GE(GetTickCount64() - start, 100u);
}

TEST(AdapterClock, SystemErrorTextIsTheSystemsMessageWithoutLineBreak) {
  const std::wstring text = systemErrorText(ERROR_PRIVILEGE_NOT_HELD);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), L'\n');
  EXPECT_NE(text.back(), L'\r');
  EXPECT_EQ(systemErrorText(0x2FFFFFF0u), L"Error 805306352");
}

}  // namespace
}  // namespace doumteo
