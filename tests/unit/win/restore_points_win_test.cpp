#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frm_main_win.h"
#include "fakes/fakes.h"
#include "platform/registry_api_win.h"
#include "registry/snapshot.h"
#include "registry/undo.h"
#include "ui/kit.h"

namespace doumteo {
namespace {

// The main window's system menu, as Windows builds it for the window's
// style, with the program's entry put in.
TEST(RestorePointsMenu, TheEntryStandsRightBelowTheWindowsSeparator) {
  ui::registerClasses(GetModuleHandleW(nullptr));
  fakes::FakeEnv env;
  ProductProfile profile;
  FrmMain main(env.services(), profile, false);
  main.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  HMENU menu = GetSystemMenu(main.hwnd(), FALSE);
  ASSERT_TRUE(menu);
  int at = -1, firstSeparator = -1, entries = 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    if (firstSeparator < 0 && (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR))
      firstSeparator = i;
    if (GetMenuItemID(menu, i) == FrmMain::kRestorePointsCommand) {
      at = i;
      ++entries;
    }
  }
  ASSERT_EQ(entries, 1);
  EXPECT_EQ(at, firstSeparator + 1);
  // The support page right below it, then Close.
  EXPECT_EQ(GetMenuItemID(menu, at + 1), FrmMain::kSupportCommand);
  EXPECT_EQ(GetMenuItemID(menu, at + 2), static_cast<UINT>(SC_CLOSE));
  wchar_t caption[64] = {};
  GetMenuStringW(menu, FrmMain::kRestorePointsCommand, caption, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(caption), FrmMain::kRestorePointsCaption);
  GetMenuStringW(menu, FrmMain::kSupportCommand, caption, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(caption), FrmMain::kSupportCaption);
}

// What the timer below works with.
wchar_t letter = 0;
HWND window = nullptr;
bool opened = false;
DWORD deadline = 0;

// Runs inside the menu's loop and then the dialog's: the letter goes in
// once the menu shows (Wine opens it with a key of its own, posted behind
// whatever is queued), and a menu or dialog still open at the deadline is
// closed, so that a failure cannot hang the suite. A function, not a
// lambda: a timer procedure is stdcall on the 32-bit build.
VOID CALLBACK probeMenu(HWND, UINT, UINT_PTR, DWORD) {
  static bool typed = false;
  if (HWND dialog = FindWindowW(nullptr, L"복원 지점")) {
    opened = true;
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  } else if (!typed && FindWindowW(L"#32768", nullptr) && IsWindowVisible(FindWindowW(L"#32768", nullptr))) {
    typed = true;
    PostMessageW(window, WM_CHAR, letter, 0);
  } else if (GetTickCount() > deadline) {
    EndMenu();
  }
}

// Alt+Space, then the entry's letter, opens the dialog in one keystroke: no
// other entry of the system menu may take that letter first.
TEST(RestorePointsMenu, AltSpaceAndTheLetterOpenTheDialog) {
  ui::registerClasses(GetModuleHandleW(nullptr));
  fakes::FakeEnv env;
  ProductProfile profile;
  const Services services = env.services();  // the window keeps a reference
  FrmMain main(services, profile, false);
  main.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  ShowWindow(main.hwnd(), SW_SHOW);
  SetForegroundWindow(main.hwnd());
  const std::wstring caption = FrmMain::kRestorePointsCaption;
  letter = static_cast<wchar_t>(towlower(caption[caption.find(L'&') + 1]));
  window = main.hwnd();
  opened = false;
  deadline = GetTickCount() + 5000;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &probeMenu);
  PostMessageW(main.hwnd(), WM_SYSCHAR, VK_SPACE, 1u << 29);  // Alt+Space
  MSG msg;
  while (!opened && GetTickCount() < deadline + 1000) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  KillTimer(nullptr, timer);
  EXPECT_TRUE(opened);
}

std::vector<std::uint8_t> bytesOf(const std::wstring& text, bool terminated = true) {
  auto b = utf16le(text);
  if (terminated) b.insert(b.end(), {0, 0});
  return b;
}

// Putting a snapshot back through the real wide calls: what the ANSI code
// page cannot hold comes back as it was, and what the area gained since goes.
TEST(UndoWin, NamesAndTextsOutsideTheCodePageComeBackExactly) {
  const std::wstring app = L"도움터시험 되돌리기 ✓";
  const std::wstring relative = L"Software\\VB and VBA Program Settings\\" + app;
  RegDeleteTreeW(HKEY_CURRENT_USER, relative.c_str());
  const std::wstring area = settingsAreaExportPath(app);
  const std::wstring odd = L"Größe ✓ \U0001F600";
  const RegExport content{{area},
                          {{area, {{L"", reg::kSz, bytesOf(L"기본값 " + odd)}}},
                           {area + L"\\구역 " + odd,
                            {{odd, reg::kSz, bytesOf(odd)},
                             {L"여러 줄", reg::kMultiSz, bytesOf(odd + L'\0' + L"둘째" + L'\0')},
                             {L"끝없음", reg::kSz, bytesOf(L"ab", false)},
                             {L"숫자", reg::kDword, {1, 2, 3, 4}},
                             {L"이진", reg::kBinary, {0, 0xFF, 0x80}}}},
                           {area + L"\\구역 " + odd + L"\\빈 키", {}}}};
  Win32RegistryApi api;
  // Something the snapshot does not hold, which the undo must take away.
  HKEY extra = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (relative + L"\\나중에 생긴 키").c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &extra, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(extra);

  EXPECT_EQ(applySnapshot(api, content), std::vector<std::wstring>{});
  // Read past the code under test: the name and the text as they were.
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, (relative + L"\\구역 " + odd).c_str(), odd.c_str(), RRF_RT_REG_SZ, nullptr,
                         text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(text), odd);
  // Wine keeps values sorted by name and terminates a text given without its
  // NUL (Windows keeps the order and the bytes as given): the comparison
  // takes either.
  EXPECT_EQ(snapshotDifferences(api, content), std::vector<std::wstring>{});

  // A change since is named by the comparison.
  HKEY section = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (relative + L"\\구역 " + odd).c_str(), 0, KEY_WRITE, &section),
            ERROR_SUCCESS);
  const DWORD other = 9;
  RegSetValueExW(section, L"숫자", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&other), sizeof other);
  RegCloseKey(section);
  EXPECT_EQ(snapshotDifferences(api, content),
            std::vector<std::wstring>{L"다른 값: " + area + L"\\구역 " + odd + L"\\숫자"});
  EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, relative.c_str()), ERROR_SUCCESS);
}

}  // namespace
}  // namespace doumteo
