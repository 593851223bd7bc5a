// The clock dialog and the image viewer. The button that sets the clock
// ("설정 F2") and the F2 key are never pressed: this machine's clock is not
// to be changed.
#include <gtest/gtest.h>

#include <iostream>

#include "driver/dialogs_support.h"
#include "driver/driver.h"

namespace e2e {
namespace {

const std::wstring kClockTitle = L"컴퓨터시간설정";
const std::wstring kViewerTitle = L"이미지확대";
const std::wstring kTimeSettingsCommand = L"rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,0";

class DialogScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"doumteo.exe");
    resetRecords();
    resetUrls();
    deleteSettings(L"BackUp");
    Profile profile;
    profile.exeFile = L"VeltoBook";
    profile.program = L"벨토 가계부 2024";
    profile.regiProgram = L"벨토가계부";
    seedProfile(profile);
  }
  void TearDown() override { deleteSettings(L"Setupkeeper"); }

  ProgramFolder folder{environment().cRoot + L"\\VeltoDialogs"};
};

// ---- the clock dialog -------------------------------------------------------

class ClockDialog : public DialogScenario {
 protected:
  struct Clock {
    HWND window = nullptr;
    HWND panel = nullptr;     // pnlNowTime
    std::vector<HWND> lists;  // year, month, day, left to right
  };

  Clock openClock(const Process& program, HWND main) {
    click(main, L"컴퓨터 시간 설정");
    Clock c;
    c.window = waitWindow(program, kClockTitle);
    for (const Control& k : controls(c.window))
      if (k.caption.rfind(L"현재시간 : ", 0) == 0) c.panel = k.window;
    c.lists = controlsOfClass(c.window, L"ComboBox");
    if (!c.panel || c.lists.size() != 3) throw DriverError(L"the clock dialog lacks its date panel or lists");
    return c;
  }

  static std::wstring caption(const SYSTEMTIME& t) {
    return L"현재시간 : " + padded(t.wYear, 4) + L"년 " + padded(t.wMonth, 2) + L"월 " + padded(t.wDay, 2) + L"일";
  }
};

TEST_F(ClockDialog, ShowsTodayAndTheThreeLists) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  SYSTEMTIME before;
  GetLocalTime(&before);
  Clock c = openClock(program, main);
  SYSTEMTIME today;
  GetLocalTime(&today);
  if (today.wDay != before.wDay) GTEST_SKIP() << "the date changed while the dialog opened";

  EXPECT_EQ(windowText(c.panel), caption(today));
  EXPECT_FALSE(IsWindowEnabled(main)) << "the clock dialog is modal";
  EXPECT_EQ(GetWindow(c.window, GW_OWNER), nullptr);

  std::vector<std::wstring> years, months, days;
  for (int y = 2000; y <= 2100; ++y) years.push_back(std::to_wstring(y));
  for (int m = 1; m <= 12; ++m) months.push_back(padded(m, 2));
  for (int d = 1; d <= 31; ++d) days.push_back(padded(d, 2));
  EXPECT_EQ(comboItems(c.lists[0]), years);
  EXPECT_EQ(comboItems(c.lists[1]), months);
  EXPECT_EQ(comboItems(c.lists[2]), days);
  EXPECT_EQ(comboSelection(c.lists[0]), today.wYear - 2000);
  EXPECT_EQ(comboSelection(c.lists[1]), today.wMonth - 1);
  EXPECT_EQ(comboSelection(c.lists[2]), today.wDay - 1);
  for (HWND list : c.lists)
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "the user can only pick an entry";

  for (const wchar_t* button : {L"시스템시간", L"설정 F2", L"닫기 &C"})
    EXPECT_NE(findChild(c.window, button), nullptr) << narrow(button);

  click(c.window, L"닫기 &C");
  waitGone(c.window);
  EXPECT_TRUE(noMessageBoxWithin(program, 200));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(program.running());
}

// A recorder named rundll32.exe in the program folder is found before
// Wine's own, so the exact command line is seen and no control panel opens.
TEST_F(ClockDialog, SystemTimeStartsTheDateSettingsAndTheDialogStays) {
  folder.addRecorder(L"rundll32.exe");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Clock c = openClock(program, main);
  selectComboItem(c.lists[1], 0);  // a pick of the user's, which must survive
  const std::vector<int> picked = {comboSelection(c.lists[0]), 0, comboSelection(c.lists[2])};

  click(c.window, L"시스템시간");
  std::vector<Record> records = waitRecords(1);
  EXPECT_EQ(records[0].exe, L"rundll32.exe");
  EXPECT_EQ(records[0].commandLine, kTimeSettingsCommand);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_TRUE(IsWindowVisible(c.window));
  EXPECT_EQ((std::vector<int>{comboSelection(c.lists[0]), comboSelection(c.lists[1]), comboSelection(c.lists[2])}),
            picked);

  // Any number of times.
  click(c.window, L"시스템시간");
  EXPECT_EQ(waitRecords(2).size(), 2u);
  EXPECT_TRUE(IsWindowVisible(c.window));

  click(c.window, L"닫기 &C");
  waitGone(c.window);
  EXPECT_TRUE(program.running());
}

// Without the recorder Wine's own rundll32 runs; whatever window it shows is
// closed again so that nothing outlives the scenario.
// The visible top-level windows of other processes.
BOOL CALLBACK collectOtherVisible(HWND w, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (IsWindowVisible(w) && pid != GetCurrentProcessId()) reinterpret_cast<std::vector<HWND>*>(found)->push_back(w);
  return TRUE;
}
std::vector<HWND> otherVisibleWindows() {
  std::vector<HWND> found;
  EnumWindows(&collectOtherVisible, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST_F(ClockDialog, SystemTimeUnderWineLeavesTheDialogUsable) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Clock c = openClock(program, main);
  click(c.window, L"시스템시간");
  Sleep(1000);  // time for a window of the date settings to appear
  EXPECT_TRUE(IsWindowVisible(c.window));
  EXPECT_TRUE(noMessageBoxWithin(program, 100));
  int closed = 0;
  for (HWND w : otherVisibleWindows()) {
    const std::wstring title = windowText(w);
    if (!title.empty() && title.find(L"도움터") == std::wstring::npos && title != L"컴퓨터시간설정") {
      std::cout << "window of the date settings: \"" << narrow(title) << "\"\n";
      PostMessageW(w, WM_CLOSE, 0, 0);
      ++closed;
    }
  }
  std::cout << closed << " other window(s) closed\n";
  killProcessesNamed(L"rundll32.exe");
  click(c.window, L"닫기 &C");
  waitGone(c.window);
  EXPECT_TRUE(program.running());
}

TEST_F(ClockDialog, AltCClosesIt) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Clock c = openClock(program, main);
  pressKey(focusWindow(program), 'C', true);
  waitGone(c.window);
  EXPECT_TRUE(noMessageBoxWithin(program, 200));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(program.running()) << "Alt+C closed the main window as well";
}

// Run at 96 and at 144 DPI by run-e2e.sh: clock-96.png and clock-144.png.
TEST_F(ClockDialog, Screenshot) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Clock c = openClock(program, main);
  screenshot(c.window, L"clock-" + std::to_wstring(environment().dpi));
  click(c.window, L"닫기 &C");
  waitGone(c.window);
}

// ---- the image viewer -------------------------------------------------------

// The viewer's controls in the order of its table: picBig(0), picBig(1), Image1.
constexpr int kPicBig0 = 1000, kPicBig1 = 1001, kImage1 = 1002;

class ImageViewer : public DialogScenario {
 protected:
  struct Viewer {
    HWND window = nullptr;
    HWND pictures[2] = {nullptr, nullptr};
    HWND image = nullptr;
  };

  Viewer openViewer(const Process& program, HWND main, const std::wstring& button) {
    click(main, button);
    Viewer v;
    v.window = waitWindow(program, kViewerTitle);
    v.pictures[0] = controlById(v.window, kPicBig0);
    v.pictures[1] = controlById(v.window, kPicBig1);
    v.image = controlById(v.window, kImage1);
    if (!v.pictures[0] || !v.pictures[1] || !v.image) throw DriverError(L"the viewer lacks a picture box");
    return v;
  }

  // Natural size, centred: only that picture box shows.
  static void expectNatural(const Viewer& v, int index) {
    waitUntil([&] { return IsWindowVisible(v.pictures[index]) && !IsWindowVisible(v.image); },
              L"the natural-size picture");
    EXPECT_FALSE(IsWindowVisible(v.pictures[1 - index]));
    const SIZE client = clientSize(v.window);
    const SIZE box = windowSize(v.pictures[index]);
    const RECT at = rectInParent(v.pictures[index]);
    EXPECT_NEAR(at.left, (client.cx - box.cx) / 2, 1);
    EXPECT_NEAR(at.top, (client.cy - box.cy) / 2, 1);
  }

  static void expectStretched(const Viewer& v) {
    waitUntil(
        [&] { return IsWindowVisible(v.image) && !IsWindowVisible(v.pictures[0]) && !IsWindowVisible(v.pictures[1]); },
        L"the stretched picture");
    const SIZE client = clientSize(v.window);
    const SIZE image = windowSize(v.image);
    EXPECT_EQ(image.cx, client.cx);
    EXPECT_EQ(image.cy, client.cy);
  }

  // Esc as a person presses it, to the window with the focus.
  static void pressEscape(const Process& program, const Viewer& v) {
    pressKey(focusWindow(program), VK_ESCAPE);
    waitGone(v.window);
  }

  // The picture box of the picture's natural size plus its border, at this DPI.
  static SIZE naturalBox(int width, int height) {
    const int dpi = environment().dpi;
    const int edge = 2 * GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(dpi));
    return SIZE{MulDiv(width, dpi, 96) + edge, MulDiv(height, dpi, 96) + edge};
  }

  void showBothWays(const Process& program, HWND main, const std::wstring& button, int index, SIZE picture,
                    bool escapeWhileStretched) {
    Viewer v = openViewer(program, main, button);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the viewer is modal";
    EXPECT_EQ(GetWindow(v.window, GW_OWNER), main);
    const LONG style = GetWindowLongW(v.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME) << "resizable";
    EXPECT_TRUE(style & WS_MINIMIZEBOX) << "minimisable";

    expectNatural(v, index);
    const SIZE box = windowSize(v.pictures[index]);
    const SIZE expected = naturalBox(picture.cx, picture.cy);
    EXPECT_NEAR(box.cx, expected.cx, 2);
    EXPECT_NEAR(box.cy, expected.cy, 2);
    const SIZE original = clientSize(v.window);

    // Smaller in one direction only: still the natural size, overflowing evenly.
    resizeClient(v.window, box.cx - 60, box.cy + 40);
    expectNatural(v, index);

    resizeClient(v.window, box.cx * 2 / 3, box.cy * 2 / 3);
    expectStretched(v);

    if (escapeWhileStretched) {
      pressEscape(program, v);
    } else {
      resizeClient(v.window, original.cx, original.cy);
      expectNatural(v, index);
      pressEscape(program, v);
    }
    EXPECT_TRUE(noMessageBoxWithin(program, 200));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(program.running());
  }
};

TEST_F(ImageViewer, BackOfThePcNaturalThenStretchedAndBack) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  showBothWays(program, main, L"본체뒷면 사진", 0, SIZE{420, 649}, false);
}

TEST_F(ImageViewer, KeyboardNaturalThenStretchedAndEscape) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  showBothWays(program, main, L"키보드 모형도", 1, SIZE{883, 316}, true);
}

TEST_F(ImageViewer, MinimiseAndRestoreKeepTheLayout) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Viewer v = openViewer(program, main, L"본체뒷면 사진");
  expectNatural(v, 0);
  const RECT before = rectInParent(v.pictures[0]);
  ShowWindow(v.window, SW_MINIMIZE);
  waitUntil([&] { return IsIconic(v.window) != FALSE; }, L"the viewer to be minimised");
  ShowWindow(v.window, SW_RESTORE);
  waitUntil([&] { return IsIconic(v.window) == FALSE; }, L"the viewer to be restored");
  expectNatural(v, 0);
  const RECT after = rectInParent(v.pictures[0]);
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  pressEscape(program, v);
}

TEST_F(ImageViewer, DoubleClickClosesOnlyTheStretchedPicture) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Viewer v = openViewer(program, main, L"키보드 모형도");
  expectNatural(v, 1);
  auto doubleClick = [](HWND w) {
    const LPARAM at = MAKELPARAM(20, 20);
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(w, WM_LBUTTONUP, 0, at);
    PostMessageW(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(w, WM_LBUTTONUP, 0, at);
  };
  doubleClick(v.pictures[1]);
  Sleep(300);
  EXPECT_TRUE(IsWindowVisible(v.window)) << "a double-click on the natural-size picture closed the viewer";

  const SIZE box = windowSize(v.pictures[1]);
  resizeClient(v.window, box.cx / 2, box.cy / 2);
  expectStretched(v);
  doubleClick(v.image);
  waitGone(v.window);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(program.running());
}

// Both pictures at their natural size and stretched, at 96 and at 144 DPI:
// viewer-pc-back-96.png, viewer-pc-back-stretched-96.png, viewer-keyboard-...
TEST_F(ImageViewer, Screenshot) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  const std::wstring dpi = std::to_wstring(environment().dpi);
  const struct {
    const wchar_t* button;
    int index;
    const wchar_t* name;
    SIZE natural;
  } pictures[] = {{L"본체뒷면 사진", 0, L"viewer-pc-back", {420, 649}},
                  {L"키보드 모형도", 1, L"viewer-keyboard", {883, 316}}};
  for (const auto& p : pictures) {
    Viewer v = openViewer(program, main, p.button);
    expectNatural(v, p.index);
    // Inside its border the box holds the whole picture as drawn for the DPI,
    // not a pixel less.
    const SIZE inside = clientSize(v.pictures[p.index]);
    EXPECT_EQ(inside.cx, MulDiv(p.natural.cx, environment().dpi, 96)) << narrow(p.name);
    EXPECT_EQ(inside.cy, MulDiv(p.natural.cy, environment().dpi, 96)) << narrow(p.name);
    screenshot(v.window, p.name + (L"-" + dpi));
    const SIZE box = windowSize(v.pictures[p.index]);
    resizeClient(v.window, box.cx * 2 / 3, box.cy * 2 / 3);
    expectStretched(v);
    screenshot(v.window, p.name + (L"-stretched-" + dpi));
    pressEscape(program, v);
  }
}

}  // namespace
}  // namespace e2e
