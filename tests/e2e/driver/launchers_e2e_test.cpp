// The running-program guard and the three launchers: reinstall (the kit
// copied to <drive>\VTSoft and the reinstaller started), the A/S backup and
// the self-reinstall. Recorders stand in for the outside programs, a
// stay_running copy for the running product.
#include <gtest/gtest.h>

#include "driver/driver.h"
#include "driver/launchers_support.h"

namespace e2e {
namespace {

using namespace launch;

const wchar_t kInstall[] = L"최신버전업데이트";
const wchar_t kAs[] = L"DB AS접수";
const wchar_t kRestore[] = L"환경설정 복원";
const wchar_t kSelfReinstall[] = L"도움터 재설치";

const std::wstring kBackupProgram = L"자료묶음.EXE";
const std::wstring kSelfReinstaller = L"도움터재설치.exe";

class LauncherScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"doumteo.exe");
    killProcessesNamed(kExeFile + L".exe");
    resetRecords();
    removeKitFolder(L"C:");
    removeKitFolder(L"D:");
    deleteSettings(L"Setupkeeper");
    seedLauncherProfile();
  }
  void TearDown() override {
    killProcessesNamed(L"doumteo.exe");
    killProcessesNamed(kExeFile + L".exe");
    removeKitFolder(L"C:");
    removeKitFolder(L"D:");
    removeTreePatiently(environment().cRoot + L"\\product");
    removeTreePatiently(environment().cRoot + L"\\VeltoSoft");
    removeTreePatiently(environment().dRoot + L"\\VeltoSoft");
    deleteSettings(L"Setupkeeper");
    deleteSettings(L"BackUp");
  }
};

// ---- the guard --------------------------------------------------------------

class Guard : public LauncherScenario {
 protected:
  // Everything the three commands need to go ahead when nothing runs.
  ProgramFolder preparedFolder() {
    ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
    addKit(folder);
    folder.addRecorder(kBackupProgram);
    folder.addFile(L"DBS\\환경설정1.mdb", "not to be read\r\n");
    return folder;
  }

  // Each guarded command shows the reminder, then the product-running
  // message, and does nothing else; the window stays as it was.
  void expectAllThreeRefused(const Process& program, HWND main) {
    for (const wchar_t* command : {kInstall, kAs, kRestore}) {
      SCOPED_TRACE(narrow(command));
      click(main, command);
      confirmReminder(program);
      MsgBox second = waitMessageBox(program);
      expectBox(second, kRegiProgram, kCloseAll, Icon::Information);
      EXPECT_EQ(second.buttonIds(), std::vector<int>{IDOK});
      second.answer(IDOK);
      EXPECT_TRUE(noMessageBoxWithin(program, 300));
      EXPECT_TRUE(program.running());
      EXPECT_TRUE(IsWindowVisible(main));
      EXPECT_FALSE(IsIconic(main));
    }
  }

  void expectNothingDone(const SettingsArea& before) {
    EXPECT_TRUE(readRecords().empty());
    EXPECT_FALSE(fileExists(kitFolder(L"C:")));
    EXPECT_EQ(areaDifference(before, settingsArea()), "");
  }
};

TEST_F(Guard, ProductRunningRefusesAllThreeCommands) {
  ProgramFolder folder = preparedFolder();
  Process product = startStandIn(environment().cRoot + L"\\product", kExeFile + L".exe");
  waitUntil([] { return isProcessRunning(kExeFile + L".exe"); }, L"the product stand-in");
  const SettingsArea before = settingsArea();

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  expectAllThreeRefused(program, main);
  expectNothingDone(before);
}

// Windows does not tell file names apart by letter case, so neither does the guard.
TEST_F(Guard, ProductRunningUnderItsNameInCapitalsIsRefusedToo) {
  ProgramFolder folder = preparedFolder();
  const std::wstring capitals = L"VELTOBOOK.EXE";
  Process product = startStandIn(environment().cRoot + L"\\product", capitals);
  waitUntil([&] { return isProcessRunning(capitals); }, L"the product stand-in");
  const SettingsArea before = settingsArea();

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  expectAllThreeRefused(program, main);
  expectNothingDone(before);
}

TEST_F(Guard, NothingRunningGivesTheReminderAlone) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  folder.addRecorder(kBackupProgram);  // no kit: the reinstall stops at its first file
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kAs);
  confirmReminder(program);
  MsgBox next = waitMessageBox(program);
  EXPECT_EQ(next.title, L"데이터 백업(AS)") << "not the backup's question: " << narrow(next.text);
  next.answer(IDNO);

  click(main, kInstall);
  confirmReminder(program);
  confirmPlain(program, L"재설치관리자(SetupKeeper.exe)를 찾을 수 없습니다.");
  EXPECT_EQ(program.waitExit(), 0u);
  EXPECT_TRUE(readRecords().empty());
}

// ---- reinstall --------------------------------------------------------------

class Reinstall : public LauncherScenario {};

TEST_F(Reinstall, FromDriveCCopiesTheKitWritesTheSettingsAndStartsTheReinstaller) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  addKit(folder);
  const SettingsArea before = settingsArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kInstall);
  confirmReminder(program);
  const ULONGLONG confirmed = GetTickCount64();
  DWORD code = 1;
  std::vector<std::wstring> shown = otherWindowsUntilExit(program, main, &code);
  EXPECT_TRUE(shown.empty()) << "no question on C:, but \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);
  EXPECT_GE(GetTickCount64() - confirmed, 900u) << "the pause before the reinstaller's start";

  std::vector<Record> records = waitRecords(1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].exe, L"SetupKeeper.exe");
  EXPECT_EQ(records[0].commandLine, L"\"C:\\VTSoft\\SetupKeeper.exe\" 0");
  expectKitCopied(folder, L"C:");
  EXPECT_EQ(areaDifference(withReinstallerSettings(before, folder.path()), settingsArea()), "");
}

TEST_F(Reinstall, FromTheSecondDriveAsksWithTheFolderAndYesGoesAhead) {
  ProgramFolder folder(environment().dRoot + L"\\VeltoSoft");
  addKit(folder);
  const SettingsArea before = settingsArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kInstall);
  confirmReminder(program);
  MsgBox question = waitMessageBox(program);
  expectBox(question, kAppTitle,
            L"정말 재설치 하시겠습니까?\r\n[" + folder.path() +
                L"]경로내 모든 파일 삭제됨(DB제외)\r\n\r\n※ 개발자는 소스삭제 주의요함",
            Icon::Question);
  EXPECT_EQ(question.buttonIds(), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(question.defaultId(), IDNO);
  EXPECT_FALSE(IsWindow(main) && IsWindowVisible(main)) << "the main window is closed before the question";
  question.answer(IDYES);
  EXPECT_EQ(program.waitExit(), 0u);

  std::vector<Record> records = waitRecords(1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].commandLine, L"\"D:\\VTSoft\\SetupKeeper.exe\" 0");
  expectKitCopied(folder, L"D:");
  EXPECT_FALSE(fileExists(kitFolder(L"C:")));
  EXPECT_EQ(areaDifference(withReinstallerSettings(before, folder.path()), settingsArea()), "");
}

TEST_F(Reinstall, FromTheSecondDriveNoCopiesAndWritesNothingAndStillEnds) {
  ProgramFolder folder(environment().dRoot + L"\\VeltoSoft");
  addKit(folder);
  const SettingsArea before = settingsArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kInstall);
  confirmReminder(program);
  MsgBox question = waitMessageBox(program);
  EXPECT_EQ(question.icon, Icon::Question);
  question.answer(IDNO);
  EXPECT_EQ(program.waitExit(), 0u);

  EXPECT_TRUE(readRecords().empty());
  EXPECT_FALSE(fileExists(kitFolder(L"D:")));
  EXPECT_EQ(areaDifference(before, settingsArea()), "");
}

// The kit is checked before the drive: no question on D: for an incomplete kit.
TEST_F(Reinstall, OneKitFileMissingIsReportedAndNothingElseHappens) {
  ProgramFolder folder(environment().dRoot + L"\\VeltoSoft");
  addKit(folder, L"FetchPilot.exe");
  const SettingsArea before = settingsArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kInstall);
  confirmReminder(program);
  confirmPlain(program, L"자동 다운로드(FetchPilot.exe)를 찾을 수 없습니다.");
  DWORD code = 1;
  std::vector<std::wstring> shown = otherWindowsUntilExit(program, main, &code);
  EXPECT_TRUE(shown.empty()) << "after the message: \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);

  EXPECT_TRUE(readRecords().empty());
  EXPECT_FALSE(fileExists(kitFolder(L"D:")));
  EXPECT_EQ(areaDifference(before, settingsArea()), "");
}

TEST_F(Reinstall, OlderKitInTheKitFolderIsReplaced) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  addKit(folder);
  makeFolders(kitFolder(L"C:"));
  for (const wchar_t* name : {L"SetupKeeper.exe", L"FetchPilot.exe", L"libmySQL.dll"})
    writeFile(kitFolder(L"C:") + L"\\" + name, "older " + narrow(name));
  writeFile(kitFolder(L"C:") + L"\\readme.txt", "left alone");
  setSetting(L"SetupKeeper", L"Config", L"FileURL", L"http://old.example/setup.exe");
  setSetting(L"SetupKeeper", L"Config", L"DestAppPath", L"C:\\Old");
  const SettingsArea before = settingsArea();

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, kInstall);
  confirmReminder(program);
  EXPECT_EQ(program.waitExit(), 0u);

  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].commandLine, L"\"C:\\VTSoft\\SetupKeeper.exe\" 0");
  expectKitCopied(folder, L"C:");
  EXPECT_EQ(readFile(kitFolder(L"C:") + L"\\readme.txt"), "left alone");
  EXPECT_EQ(areaDifference(withReinstallerSettings(before, folder.path()), settingsArea()), "");
}

// A kit file that another process holds open cannot be replaced: that copy is
// reported, and the other copies, the settings and the start still follow.
TEST_F(Reinstall, KitFileHeldOpenIsReportedAndTheRestGoesOn) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  addKit(folder);
  makeFolders(kitFolder(L"C:"));
  for (const wchar_t* name : {L"SetupKeeper.exe", L"FetchPilot.exe", L"libmySQL.dll"})
    writeFile(kitFolder(L"C:") + L"\\" + name, "older " + narrow(name));
  HeldOpen held(kitFolder(L"C:") + L"\\FetchPilot.exe");
  const SettingsArea before = settingsArea();

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, kInstall);
  confirmReminder(program);
  confirmPlain(program, L"Error 70 (Permission denied) in procedure GoReInst of Module modReInst");
  DWORD code = 1;
  std::vector<std::wstring> shown = otherWindowsUntilExit(program, main, &code);
  EXPECT_TRUE(shown.empty()) << "one error only, but also \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);

  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].commandLine, L"\"C:\\VTSoft\\SetupKeeper.exe\" 0");
  held.release();
  EXPECT_EQ(readFile(kitFolder(L"C:") + L"\\SetupKeeper.exe"), readFile(folder.file(L"SetupKeeper.exe")));
  EXPECT_EQ(readFile(kitFolder(L"C:") + L"\\FetchPilot.exe"), "older FetchPilot.exe");
  EXPECT_EQ(readFile(kitFolder(L"C:") + L"\\libmySQL.dll"), readFile(folder.file(L"libmySQL.dll")));
  EXPECT_EQ(areaDifference(withReinstallerSettings(before, folder.path()), settingsArea()), "");
}

// ---- A/S backup -------------------------------------------------------------

class AsBackup : public LauncherScenario {
 protected:
  void SetUp() override {
    LauncherScenario::SetUp();
    seedLauncherProfile(dbPath);
  }
  const std::wstring dbPath = environment().cRoot + L"\\VeltoSoft\\DBS";
  const std::wstring kQuestion =
      L"안전한 백업을 위하여 현재 사용중인 " + kRegiProgram + L" 프로그램을 종료합니다.\r\n계속하시겠습니까?";
};

TEST_F(AsBackup, StartsTheBackupProgramInAsModeAndMinimisesOnceARun) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  folder.addRecorder(kBackupProgram);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  // Changed after start-up, so that the program's own write shows.
  setSetting(L"BackUp", L"DB경로", L"경로", L"바뀐 값");

  click(main, kAs);
  confirmReminder(program);
  MsgBox question = waitMessageBox(program);
  expectBox(question, L"데이터 백업(AS)", kQuestion, Icon::Question);
  EXPECT_EQ(question.buttonIds(), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(question.defaultId(), IDYES);
  question.answer(IDYES);

  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].exe, kBackupProgram);
  EXPECT_EQ(records[0].commandLine, L"\"" + folder.file(kBackupProgram) + L"\"  AS");
  waitUntil([&] { return IsIconic(main) != FALSE; }, L"the main window to be minimised");
  EXPECT_EQ(getSetting(L"Backup", L"DB경로", L"경로"), dbPath);
  EXPECT_TRUE(program.running());

  // Once started, a second click does nothing after the reminder.
  click(main, kAs);
  confirmReminder(program);
  EXPECT_TRUE(noMessageBoxWithin(program, 500));
  EXPECT_EQ(readRecords().size(), 1u);
  EXPECT_TRUE(program.running());
}

TEST_F(AsBackup, NoStartsAndWritesNothingAndAsksAgain) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  folder.addRecorder(kBackupProgram);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  setSetting(L"BackUp", L"DB경로", L"경로", L"바뀐 값");

  for (int round = 0; round < 2; ++round) {
    click(main, kAs);
    confirmReminder(program);
    MsgBox question = waitMessageBox(program);
    EXPECT_EQ(question.title, L"데이터 백업(AS)");
    question.answer(IDNO);
    EXPECT_TRUE(noMessageBoxWithin(program, 300));
  }
  EXPECT_TRUE(readRecords().empty());
  EXPECT_EQ(getSetting(L"BackUp", L"DB경로", L"경로"), L"바뀐 값");
  EXPECT_FALSE(IsIconic(main));
  EXPECT_TRUE(program.running());
}

TEST_F(AsBackup, MissingBackupProgramShowsItsFullPath) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kAs);
  confirmReminder(program);
  confirmPlain(program, L"데이터백업 프로그램을 찾을 수 없습니다.\r\n경로) " + folder.file(kBackupProgram));
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_TRUE(program.running());
  EXPECT_TRUE(readRecords().empty());
}

// ---- self-reinstall ---------------------------------------------------------

class SelfReinstall : public LauncherScenario {};

// No guard and no question: it goes ahead even while the product runs.
TEST_F(SelfReinstall, PresentIsStartedAndTheProgramEnds) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  folder.addRecorder(kSelfReinstaller);
  Process product = startStandIn(environment().cRoot + L"\\product", kExeFile + L".exe");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kSelfReinstall);
  DWORD code = 1;
  std::vector<std::wstring> shown = otherWindowsUntilExit(program, main, &code);
  EXPECT_TRUE(shown.empty()) << "showed \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);
  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].exe, kSelfReinstaller);
  EXPECT_EQ(records[0].commandLine, L"\"" + folder.file(kSelfReinstaller) + L"\" 0");
}

TEST_F(SelfReinstall, MissingShowsTheMessageAndTheWindowStays) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, kSelfReinstall);
  confirmPlain(program, L"도움터(도움터재설치.exe)를 찾을 수 없습니다.");
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_TRUE(IsWindowVisible(main));
  click(main, L"닫기 &C");  // still usable
  EXPECT_EQ(program.waitExit(), 0u);
  EXPECT_TRUE(readRecords().empty());
}

}  // namespace
}  // namespace e2e
