// Faults around the launchers and the start-up: program folders with Korean
// names and blanks or very long paths, and a second drive that goes away
// while the program runs. Each time the program reports and goes on as its
// commands say, and the settings area holds nothing lost or corrupted.
// (A kit file held open by another process: Reinstall.KitFileHeldOpen...)
#include <gtest/gtest.h>

#include "driver/driver.h"
#include "driver/launchers_support.h"

namespace e2e {
namespace {

using namespace launch;

class Faults : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"doumteo.exe");
    resetRecords();
    removeKitFolder(L"C:");
    removeKitFolder(L"D:");
    deleteSettings(L"Setupkeeper");
    seedLauncherProfile();
  }
  void TearDown() override {
    killProcessesNamed(L"doumteo.exe");
    removeKitFolder(L"C:");
    removeKitFolder(L"D:");
    removeTreePatiently(koreanFolder());
    removeTreePatiently(longFolderTop());
    removeTreePatiently(environment().dRoot + L"\\VeltoSoft");
    deleteSettings(L"Setupkeeper");
    deleteSettings(L"BackUp");
  }

  // Reinstall from folder on C:: reminder, no question, the kit copied, the
  // three settings (the folder stored exactly) and the reinstaller started.
  void reinstallFromDriveC(const ProgramFolder& folder) {
    addKit(folder);
    const SettingsArea before = settingsArea();
    Process program = startProgram(folder);
    HWND main = waitMainWindow(program);
    click(main, L"최신버전업데이트");
    confirmReminder(program);
    EXPECT_EQ(program.waitExit(), 0u);

    std::vector<Record> records = waitRecords(1);
    EXPECT_EQ(records[0].commandLine, L"\"C:\\VTSoft\\SetupKeeper.exe\" 0");
    expectKitCopied(folder, L"C:");
    EXPECT_EQ(getSetting(L"SetupKeeper", L"Config", L"DestAppPath"), folder.path());
    EXPECT_EQ(areaDifference(withReinstallerSettings(before, folder.path()), settingsArea()), "");
  }

  // A/S backup, then self-reinstall, from folder: both programs are found
  // and started by their full paths, and the database folder is handed over.
  void backupAndSelfReinstall(const ProgramFolder& folder) {
    const std::wstring dbPath = folder.path() + L"\\DBS";
    seedLauncherProfile(dbPath);
    folder.addRecorder(L"자료묶음.EXE");
    folder.addRecorder(L"도움터재설치.exe");
    Process program = startProgram(folder);
    HWND main = waitMainWindow(program);
    setSetting(L"BackUp", L"DB경로", L"경로", L"바뀐 값");
    SettingsArea expected = settingsArea();
    expected[areaEntry(L"BackUp", L"DB경로", L"경로")] = L"type 1: " + dbPath;

    click(main, L"DB AS접수");
    confirmReminder(program);
    MsgBox question = waitMessageBox(program);
    EXPECT_EQ(question.title, L"데이터 백업(AS)");
    question.answer(IDYES);
    std::vector<Record> records = waitRecords(1);
    EXPECT_EQ(records[0].commandLine, L"\"" + folder.file(L"자료묶음.EXE") + L"\"  AS");
    waitUntil([&] { return IsIconic(main) != FALSE; }, L"the main window to be minimised");
    EXPECT_EQ(areaDifference(expected, settingsArea()), "");

    click(main, L"도움터 재설치");
    EXPECT_EQ(program.waitExit(), 0u);
    records = waitRecords(2);
    EXPECT_EQ(records[1].commandLine, L"\"" + folder.file(L"도움터재설치.exe") + L"\" 0");
  }

  static std::wstring koreanFolder() { return environment().cRoot + L"\\벨토 프로그램 폴더"; }
  static std::wstring longFolderTop() { return environment().cRoot + L"\\폴더 0 of a rather long program path"; }
  // About 200 characters, Korean, blanks and all.
  static std::wstring longFolder() {
    std::wstring path = environment().cRoot + L"\\";
    for (int part = 0; path.size() < 190; ++part)
      path += L"폴더 " + std::to_wstring(part) + L" of a rather long program path\\";
    return path + L"VeltoSoft";
  }
};

TEST_F(Faults, KoreanFolderWithBlanksReinstall) {
  ProgramFolder folder(koreanFolder());
  reinstallFromDriveC(folder);
}

TEST_F(Faults, KoreanFolderWithBlanksBackupAndSelfReinstall) {
  ProgramFolder folder(koreanFolder());
  backupAndSelfReinstall(folder);
}

TEST_F(Faults, VeryLongFolderReinstall) {
  ProgramFolder folder(longFolder());
  ASSERT_GE(folder.path().size(), 190u);
  reinstallFromDriveC(folder);
}

TEST_F(Faults, VeryLongFolderBackupAndSelfReinstall) {
  ProgramFolder folder(longFolder());
  backupAndSelfReinstall(folder);
}

// The second drive is disconnected while the program runs: the reinstall
// finds no kit, says so and ends; nothing is written, and once the drive is
// back every file of the program folder is still there.
TEST_F(Faults, SecondDriveGoneBeforeTheReinstall) {
  ProgramFolder folder(environment().dRoot + L"\\VeltoSoft");
  addKit(folder);
  folder.addFile(L"DBS\\dbMain.mdb", "the product's database");
  const SettingsArea before = settingsArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  {
    DriveRemoval gone(L'D');
    click(main, L"최신버전업데이트");
    confirmReminder(program);
    confirmPlain(program, L"재설치관리자(SetupKeeper.exe)를 찾을 수 없습니다.");
    EXPECT_EQ(program.waitExit(), 0u);
  }
  EXPECT_TRUE(readRecords().empty());
  EXPECT_EQ(areaDifference(before, settingsArea()), "");
  EXPECT_FALSE(fileExists(kitFolder(L"D:")));
  EXPECT_FALSE(fileExists(kitFolder(L"C:")));
  EXPECT_EQ(readFile(folder.file(L"DBS\\dbMain.mdb")), "the product's database");
  EXPECT_TRUE(fileExists(folder.file(L"SetupKeeper.exe")));
  EXPECT_TRUE(fileExists(folder.exePath()));
}

// The drive goes away while the question is shown, after the kit was found:
// every step that needs the drive is reported and the next one still runs,
// so the reinstaller's settings are written and its start comes to nothing.
TEST_F(Faults, SecondDriveGoneWhileTheReinstallAsks) {
  ProgramFolder folder(environment().dRoot + L"\\VeltoSoft");
  addKit(folder);
  folder.addFile(L"DBS\\dbMain.mdb", "the product's database");
  const SettingsArea before = settingsArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"최신버전업데이트");
  confirmReminder(program);
  MsgBox question = waitMessageBox(program);
  ASSERT_EQ(question.icon, Icon::Question);
  {
    DriveRemoval gone(L'D');
    question.answer(IDYES);
    // Entering the drive's root, creating the kit folder, the three copies.
    for (int step = 0; step < 5; ++step) {
      SCOPED_TRACE(step);
      confirmPlain(program, L"Error 76 (Path not found) in procedure GoReInst of Module modReInst");
    }
    DWORD code = 1;
    std::vector<std::wstring> shown = otherWindowsUntilExit(program, main, &code);
    EXPECT_TRUE(shown.empty()) << "also showed \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
    EXPECT_EQ(code, 0u);
  }
  EXPECT_TRUE(readRecords().empty());
  EXPECT_EQ(areaDifference(withReinstallerSettings(before, folder.path()), settingsArea()), "");
  EXPECT_FALSE(fileExists(kitFolder(L"D:")));
  EXPECT_EQ(readFile(folder.file(L"DBS\\dbMain.mdb")), "the product's database");
  EXPECT_TRUE(fileExists(folder.file(L"SetupKeeper.exe")));
}

}  // namespace
}  // namespace e2e
