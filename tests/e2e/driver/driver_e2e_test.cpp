// The driver's own checks, against e2e_testwin.exe, a window whose behaviour
// is known: if these fail, the scenarios of doumteo.exe cannot be trusted.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "driver/driver.h"

namespace e2e {
namespace {

class DriverSelfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"e2e_testwin.exe");
    resetRecords();
    resetUrls();
  }
  ProgramFolder folder{environment().cRoot + L"\\testwin", L"e2e_testwin.exe", L"e2e_testwin.exe"};
};

TEST_F(DriverSelfTest, ReadsAndAnswersMessageBoxes) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, L"정보");
  MsgBox info = waitMessageBox(program);
  EXPECT_EQ(info.title, L"제품");
  EXPECT_EQ(info.text, L"정보 메시지\r\n둘째 줄");
  EXPECT_EQ(info.icon, Icon::Information) << narrow(iconName(info.icon));
  EXPECT_EQ(info.buttonIds(), std::vector<int>{IDOK});
  EXPECT_EQ(info.defaultId(), IDOK);
  info.answer(IDOK);

  click(main, L"경고");
  MsgBox warning = waitMessageBox(program);
  EXPECT_EQ(warning.icon, Icon::Warning) << narrow(iconName(warning.icon));
  warning.answer(IDOK);

  click(main, L"오류");
  MsgBox plain = waitMessageBox(program);
  EXPECT_EQ(plain.icon, Icon::None);
  EXPECT_EQ(plain.text, L"Error 5 (Invalid)");
  plain.answer(IDOK);

  click(main, L"질문 예");
  MsgBox yesFirst = waitMessageBox(program);
  EXPECT_EQ(yesFirst.icon, Icon::Question) << narrow(iconName(yesFirst.icon));
  EXPECT_EQ(yesFirst.buttonIds(), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(yesFirst.defaultId(), IDYES);
  yesFirst.answer(IDNO);
  MsgBox answered = waitMessageBox(program);
  EXPECT_EQ(answered.text, L"아니요");
  answered.answer(IDOK);

  click(main, L"질문 아니요");
  MsgBox noFirst = waitMessageBox(program);
  EXPECT_EQ(noFirst.defaultId(), IDNO);
  noFirst.answer(IDYES);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));

  click(main, L"닫기 &C");
  EXPECT_EQ(program.waitExit(), 0u);
}

TEST_F(DriverSelfTest, TypesKeysAndReadsLists) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND list = nullptr;
  HWND edit = nullptr;
  for (const Control& c : controls(main)) {
    if (c.className == L"ComboBox") list = c.window;
    if (c.className == L"Edit") edit = c.window;
  }
  ASSERT_TRUE(list && edit);
  EXPECT_EQ(comboItems(list), (std::vector<std::wstring>{L"환경설정2019.mdb", L"환경설정2024.mdb", L"환경설정.mdb"}));
  EXPECT_EQ(comboSelection(list), 1);
  selectComboItem(list, 2);
  setText(edit, L"아이디");
  typeText(edit, L" a&b#");
  click(main, L"입력 확인");
  MsgBox input = waitMessageBox(program);
  EXPECT_EQ(input.text, L"아이디 a&b#|환경설정.mdb");
  input.answer(IDOK);

  pressKey(main, VK_F2);
  MsgBox f2 = waitMessageBox(program);
  EXPECT_EQ(f2.text, L"F2");
  f2.answer(IDOK);

  pressKey(focusWindow(program), 'C', true);
  EXPECT_EQ(program.waitExit(), 0u);
}

TEST_F(DriverSelfTest, PostsMouseButtonsWithModifiers) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND button = child(main, L"레지스트리 삭제");

  mouseClick(button, MouseButton::Left, MK_SHIFT);
  MsgBox shiftLeft = waitMessageBox(program);
  EXPECT_EQ(shiftLeft.text, L"왼쪽 Shift");
  shiftLeft.answer(IDOK);

  mouseClick(button, MouseButton::Right, MK_CONTROL);
  MsgBox ctrlRight = waitMessageBox(program);
  EXPECT_EQ(ctrlRight.text, L"오른쪽 Ctrl");
  ctrlRight.answer(IDOK);
}

// Wine searches the starting program's own folder before its own system
// folder, so recorders in the program folder stand in for regedit and taskmgr.
TEST_F(DriverSelfTest, RecordsProgramsStartedFromTheProgramFolder) {
  folder.addRecorder(L"regedit.exe");
  folder.addRecorder(L"taskmgr.exe");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, L"레지스트리 편집기");
  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].exe, L"regedit.exe");
  EXPECT_EQ(records[0].commandLine, L"regedit.exe");
  EXPECT_EQ(records[0].currentDir, folder.path());
  waitUntil([&] { return IsIconic(main) != FALSE; }, L"the window to be minimised");

  ShowWindow(main, SW_RESTORE);
  click(main, L"작업관리자");
  records = waitRecords(2);
  EXPECT_EQ(records[1].exe, L"taskmgr.exe");
  EXPECT_EQ(records[1].commandLine, L"taskmgr.exe ");
}

TEST_F(DriverSelfTest, CatchesAddressesHandedToTheShell) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"주소 열기");
  EXPECT_EQ(waitUrls(1), std::vector<std::wstring>{L"http://www.velto.example/html/join.php"});
}

TEST_F(DriverSelfTest, SeesTheSecondStartRestoreTheFirst) {
  Process first = startProgram(folder);
  HWND main = waitMainWindow(first);
  ShowWindow(main, SW_MINIMIZE);
  waitUntil([&] { return IsIconic(main) != FALSE; }, L"the window to be minimised");

  Process second = startProgram(folder);
  EXPECT_EQ(second.waitExit(), 0u);
  waitUntil([&] { return IsIconic(main) == FALSE; }, L"the first window to be restored");
}

TEST_F(DriverSelfTest, RunsProgramsFromTheSecondDrive) {
  ProgramFolder onD(environment().dRoot + L"\\testwin", L"e2e_testwin.exe", L"e2e_testwin.exe");
  onD.addRecorder(L"regedit.exe");
  Process program = startProgram(onD);
  HWND main = waitMainWindow(program);
  click(main, L"레지스트리 편집기");
  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].currentDir, onD.path());
  EXPECT_EQ(records[0].currentDir.substr(0, 3), L"D:\\");
}

// The guard scenarios rely on the process list showing the product's name
// in the letter case it runs under.
TEST_F(DriverSelfTest, StandInRunsUnderItsFileName) {
  const std::wstring dir = environment().cRoot + L"\\product";
  auto listed = [] {
    std::vector<std::wstring> names;
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry))
      names.push_back(entry.szExeFile);
    return names;
  };
  {
    Process product = startStandIn(dir, L"VELTO.EXE");
    std::vector<std::wstring> names = listed();
    EXPECT_NE(std::find(names.begin(), names.end(), L"VELTO.EXE"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), L"Velto.exe"), names.end());
  }
  {
    Process product = startStandIn(dir, L"Velto.exe");
    std::vector<std::wstring> names = listed();
    EXPECT_NE(std::find(names.begin(), names.end(), L"Velto.exe"), names.end());
  }
  EXPECT_FALSE(isProcessRunning(L"Velto.exe"));
}

TEST_F(DriverSelfTest, KillsWhatAFailedTestLeftRunning) {
  DWORD id = 0;
  {
    Process program = startProgram(folder);
    waitMainWindow(program);
    id = program.id();
  }
  EXPECT_TRUE(topWindows(id).empty());
  EXPECT_FALSE(isProcessRunning(L"e2e_testwin.exe"));
}

}  // namespace
}  // namespace e2e
