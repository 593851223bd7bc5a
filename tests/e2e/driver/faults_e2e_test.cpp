// Faults around the launchers and the start-up: program folders with Korean
// names and blanks or very long paths, and a second drive that goes away
// while the program runs. Each time the program reports and goes on as its
// commands say, and the settings area holds nothing lost or corrupted.
// The same holds when a settings key may be read but not written.
// (A kit file held open by another process: Reinstall.KitFileHeldOpen...)
#include <gtest/gtest.h>

#include "driver/denied_support.h"
#include "driver/driver.h"
#include "driver/launchers_support.h"
#include "driver/settings_support.h"

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
    removeTreePatiently(environment().cRoot + L"\\VeltoSoft");
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

// ---- a settings key the program may not write --------------------------------

const char kNotDenied[] = "this registry lets the user write a key whose access list grants KEY_READ only";

// The reinstaller's settings key is read-only: each of its three settings is
// reported, the kit is still copied and the reinstaller started (with the
// settings it already had), and none of those is changed.
TEST_F(Faults, DeniedKeyReinstallReportsEachSettingAndStillStartsTheReinstaller) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  addKit(folder);
  setSetting(L"SetupKeeper", L"Config", L"FileURL", L"http://old.example/setup.exe");
  setSetting(L"SetupKeeper", L"Config", L"DestAppPath", L"C:\\Old");
  setSetting(L"SetupKeeper", L"Config", L"DBFoldName", L"OldDB");
  const SettingsArea before = settingsArea();
  denied::ReadOnlyKey readOnly(settingsKey(L"SetupKeeper", L"Config"));
  if (!readOnly.denied()) GTEST_SKIP() << kNotDenied;

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"최신버전업데이트");
  confirmReminder(program);
  for (const char* setting : {"FileURL", "DestAppPath", "DBFoldName"}) {
    SCOPED_TRACE(setting);
    confirmPlain(program, L"Error 70 (Permission denied) in procedure GoReInst of Module modReInst");
  }
  DWORD code = 1;
  std::vector<std::wstring> shown = otherWindowsUntilExit(program, main, &code);
  EXPECT_TRUE(shown.empty()) << "also showed \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);

  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].commandLine, L"\"C:\\VTSoft\\SetupKeeper.exe\" 0");
  expectKitCopied(folder, L"C:");
  EXPECT_EQ(areaDifference(before, settingsArea()), "");
}

// The database location cannot be handed over: the backup is not started,
// the window stays, and the next click asks again.
TEST_F(Faults, DeniedKeyAsBackupReportsTheSettingAndStartsNothing) {
  ProgramFolder folder(environment().cRoot + L"\\VeltoSoft");
  folder.addRecorder(L"자료묶음.EXE");
  seedLauncherProfile(folder.path() + L"\\DBS");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  // Changed after start-up, so that a write of the program's would show.
  setSetting(L"BackUp", L"DB경로", L"경로", L"바뀐 값");
  const SettingsArea before = settingsArea();
  denied::ReadOnlyKey readOnly(settingsKey(L"BackUp", L"DB경로"));
  if (!readOnly.denied()) GTEST_SKIP() << kNotDenied;

  click(main, L"DB AS접수");
  confirmReminder(program);
  MsgBox question = waitMessageBox(program);
  EXPECT_EQ(question.title, L"데이터 백업(AS)");
  question.answer(IDYES);
  confirmPlain(program, L"Error 70 (Permission denied) in procedure ExecBackUp of Module mdlBackUp");
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_TRUE(readRecords().empty());
  EXPECT_FALSE(IsIconic(main));
  EXPECT_EQ(areaDifference(before, settingsArea()), "");

  click(main, L"DB AS접수");
  confirmReminder(program);
  MsgBox again = waitMessageBox(program);
  EXPECT_EQ(again.title, L"데이터 백업(AS)");
  again.answer(IDNO);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_TRUE(readRecords().empty());
  EXPECT_TRUE(program.running());
}

}  // namespace

namespace settings {
namespace {

const char kNotDenied[] = "this registry lets the user write a key whose access list grants KEY_READ only";

class SettingsFaults : public SettingsScenario {};

// A section the restore may not write is passed over without a word, as
// every failed write is; the other sections and areas of the file are
// written, and the read-only one keeps its values.
TEST_F(SettingsFaults, DeniedSectionRestoreKeepsItAndWritesTheOthers) {
  seedProductSettings();
  addBackup(L"환경설정_20240105_1230.mdb", backupFile({{L"&", kApp},
                                                       {L"#", L"환경설정"},
                                                       {L"CSType", L"7"},
                                                       {L"새 값", L"없어야 함"},
                                                       {L"#", L"DB정보"},
                                                       {L"경로", L"D:\\새 DB"},
                                                       {L"#", L"새 섹션"},
                                                       {L"K", L"V"},
                                                       {L"&", kSecondApp},
                                                       {L"#", L"S"},
                                                       {L"K", L"V2"}}));
  const std::wstring section = L"HKCU\\" + settingsKey(kApp, L"환경설정");
  const auto sectionBefore = regExport(section);
  ASSERT_TRUE(sectionBefore);
  denied::ReadOnlyKey readOnly(settingsKey(kApp, L"환경설정"));
  if (!readOnly.denied()) GTEST_SKIP() << kNotDenied;

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"환경설정 복원");
  const auto boxes = answerOkUntil(program, kRestoreDone);
  ASSERT_EQ(boxes.size(), 2u) << "also: " << narrow(boxes[1].text);
  EXPECT_EQ(boxes[0].text, kReminder);
  EXPECT_EQ(boxes[1].title, kApp);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));

  EXPECT_EQ(exportDifference(sectionBefore, regExport(section)), "");
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"CSType"), L"1");
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"새 값"), std::nullopt);
  EXPECT_EQ(getSetting(kApp, L"DB정보", L"경로"), L"D:\\새 DB");
  EXPECT_EQ(getSetting(kApp, L"DB정보", L"이름"), L"dbMain.mdb");
  EXPECT_EQ(getSetting(kApp, L"새 섹션", L"K"), L"V");
  EXPECT_EQ(getSetting(kApp, L"창위치", L"Left"), L"120");
  EXPECT_EQ(getSetting(kSecondApp, L"S", L"K"), L"V2");
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
  EXPECT_EQ(snapshots.newSnapshots().size(), 1u) << "the area is saved before the restore";
}

// The selective wipe cannot delete the database location from a read-only
// section: it still ends with its message, the value stays, CSType of a
// writable section goes as usual and nothing else is lost.
TEST_F(SettingsFaults, DeniedSectionSelectiveWipeKeepsItsValueAndLosesNothingElse) {
  seedProductSettings();
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);
  denied::ReadOnlyKey readOnly(settingsKey(kApp, L"DB정보"));
  if (!readOnly.denied()) GTEST_SKIP() << kNotDenied;

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left);
  MsgBox question = waitMessageBox(program);
  EXPECT_EQ(question.icon, Icon::Question);
  question.answer(IDYES);
  MsgBox done = waitMessageBox(program);
  EXPECT_EQ(done.title, kApp);
  EXPECT_EQ(done.text, L"삭제되었습니다.");
  done.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));

  ExportKeys expected = parseExport(*before);
  auto& environmentSection = expected[L"HKEY_CURRENT_USER\\" + settingsKey(kApp, L"환경설정")];
  const auto csType = std::find(environmentSection.begin(), environmentSection.end(), exportLine(L"CSType", L"1"));
  ASSERT_NE(csType, environmentSection.end());
  environmentSection.erase(csType);
  const auto after = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(after);
  EXPECT_EQ(parseExport(*after), expected);
  EXPECT_EQ(getSetting(kApp, L"DB정보", L"경로"), L"C:\\VeltoSoft\\DB");
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
}

}  // namespace
}  // namespace settings
}  // namespace e2e
