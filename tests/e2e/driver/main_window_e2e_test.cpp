// The main window of doumteo.exe: start-up, title and captions, the product
// name, the single running copy, and the commands that need no other window.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "build_config.h"
#include "driver/driver.h"

namespace e2e {
namespace {

const std::wstring kProductName = L"벨토 가계부 2024";

std::wstring expectedTitle() {
  using namespace doumteo::build;
  return kTitleName + std::wstring(L"  도움터 Ver.") + std::to_wstring(kVersionMajor) + L"." +
         std::to_wstring(kVersionMinor) + L"." + std::to_wstring(kVersionPatch) + L"     홈페이지 -" + kMakerHost;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"doumteo.exe");
    resetRecords();
    resetUrls();
    deleteSettings(L"BackUp");
    Profile profile;
    profile.exeFile = L"VeltoBook";
    profile.program = kProductName;
    profile.regiProgram = L"벨토가계부";
    seedProfile(profile);
  }
  void TearDown() override { deleteSettings(L"Setupkeeper"); }

  ProgramFolder folder{environment().cRoot + L"\\VeltoSoft"};
};

TEST_F(MainWindow, ShowsTheTitleAndEveryCaption) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  EXPECT_EQ(windowText(main), expectedTitle());

  using namespace doumteo::build;
  const std::wstring remoteTool = kRemoteTool + std::wstring(L" 설치");
  const std::wstring captions[] = {L"홈페이지 바로가기", kCompany,
                                   L"회원가입",          L"F A Q",
                                   L"고객센터",          L"제품 A/S요청답변",
                                   L"제품소개 다운로드", L"동 영 상",
                                   L"용지견본주문",      L"하드웨어쇼핑몰",
                                   L"A/S 및 업데이트",   L"원격지원서비스",
                                   L"최신버전업데이트",  L"DB AS접수",
                                   L"DB접속테스트",      L"컴퓨터 시간 설정",
                                   L"작업관리자",        L"레지스트리 삭제",
                                   L"레지스트리 편집기", L"환경설정 복원",
                                   L"본체뒷면 사진",     L"도움터 재설치",
                                   remoteTool,           L"키보드 모형도",
                                   kContactTitle,        L"닫기 &C"};
  const std::vector<Control> shown = controls(main);
  for (const std::wstring& caption : captions) {
    auto control = std::find_if(shown.begin(), shown.end(), [&](const Control& c) { return c.caption == caption; });
    EXPECT_NE(control, shown.end()) << "no control \"" << narrow(caption) << "\"";
    if (control != shown.end()) {
      EXPECT_TRUE(IsWindowVisible(control->window)) << narrow(caption) << " is hidden";
    }
  }
  // The nine contact lines are those of the profile the build was made from.
  for (int i = 0; i < 9; ++i) {
    const std::wstring line = doumteo::build::kContactLines[i];
    auto control = std::find_if(shown.begin(), shown.end(), [&](const Control& c) { return c.caption == line; });
    EXPECT_NE(control, shown.end()) << "no contact line " << i << " \"" << narrow(line) << "\"";
  }
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
}

TEST_F(MainWindow, ShowsTheProductNameFromTheProfile) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND panel = findChild(main, kProductName);
  ASSERT_NE(panel, nullptr) << "no control shows the product name";
  EXPECT_TRUE(IsWindowVisible(panel));
}

TEST_F(MainWindow, OpensWithoutAnyProfile) {
  deleteSettings(L"Setupkeeper");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  EXPECT_EQ(windowText(main), expectedTitle());
  EXPECT_EQ(findChild(main, kProductName), nullptr);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  click(main, L"닫기 &C");
  EXPECT_EQ(program.waitExit(), 0u);
}

TEST_F(MainWindow, SecondStartBringsTheFirstForwardAndShowsNothing) {
  Process first = startProgram(folder);
  HWND main = waitMainWindow(first);

  Process second = startProgram(folder);
  DWORD code = 1;
  std::vector<std::wstring> shown = windowsShownUntilExit(second, &code);
  EXPECT_TRUE(shown.empty()) << "the second copy showed \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(first.running());
  EXPECT_FALSE(IsIconic(main));

  ShowWindow(main, SW_MINIMIZE);
  waitUntil([&] { return IsIconic(main) != FALSE; }, L"the main window to be minimised");
  Process third = startProgram(folder);
  shown = windowsShownUntilExit(third, &code);
  EXPECT_TRUE(shown.empty()) << "the third copy showed \"" << narrow(shown.empty() ? L"" : shown[0]) << "\"";
  EXPECT_EQ(code, 0u);
  waitUntil([&] { return IsIconic(main) == FALSE; }, L"the first copy's window to be restored");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(GetForegroundWindow(), main);
  EXPECT_EQ(windowText(main), expectedTitle());
}

// Wine, like Windows, looks in the starting program's own folder first, so the
// recorders there stand in for the registry editor and the task manager.
TEST_F(MainWindow, RegistryEditorStartsAndTheWindowIsMinimised) {
  folder.addRecorder(L"regedit.exe");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"레지스트리 편집기");
  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].exe, L"regedit.exe");
  EXPECT_EQ(records[0].commandLine, L"regedit.exe");
  waitUntil([&] { return IsIconic(main) != FALSE; }, L"the main window to be minimised");
  EXPECT_TRUE(noMessageBoxWithin(program, 200));
  EXPECT_TRUE(program.running());
}

TEST_F(MainWindow, TaskManagerStartsAndTheWindowIsMinimised) {
  folder.addRecorder(L"taskmgr.exe");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"작업관리자");
  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].exe, L"taskmgr.exe");
  EXPECT_EQ(records[0].commandLine, L"taskmgr.exe ");
  waitUntil([&] { return IsIconic(main) != FALSE; }, L"the main window to be minimised");
  EXPECT_TRUE(program.running());
}

TEST_F(MainWindow, CloseEndsTheProgram) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"닫기 &C");
  EXPECT_EQ(program.waitExit(), 0u);
  EXPECT_TRUE(readRecords().empty());
}

// Run at 96 and at 144 DPI by run-e2e.sh: main-96.png and main-144.png.
TEST_F(MainWindow, Screenshot) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  std::cout << "start-up to the idle main window: " << lastStartupMs() << " ms\n";
  RECT client;
  GetClientRect(main, &client);
  // The client area is 14385 x 8955 twips, scaled to the display's DPI.
  EXPECT_NEAR(client.right, 14385 * environment().dpi / 1440, 2);
  EXPECT_NEAR(client.bottom, 8955 * environment().dpi / 1440, 2);
  screenshot(main, L"main-" + std::to_wstring(environment().dpi));
}

}  // namespace
}  // namespace e2e
