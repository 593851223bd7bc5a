#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/frm_main_win.h"
#include "fakes/fakes.h"
#include "platform/failure.h"
#include "ui/kit.h"

namespace doumteo {
namespace {

class FrmProbe final : public ui::Form {
 public:
  FrmProbe() : ui::Form(L"FrmProbe", L"probe", 3000, 1500) {
    const ui::Panel form;
    buttons_[0] = addPushButton(L"btnFailure", form, {0, 0, 1000, 400}, L"failure");
    buttons_[1] = addPushButton(L"btnAlloc(2)", form, {1000, 0, 1000, 400}, L"alloc");
    buttons_[2] = addPushButton(L"btnOther", form, {2000, 0, 1000, 400}, L"other");
    buttons_[3] = addPushButton(L"btnQuit", form, {0, 500, 1000, 400}, L"quit");
    buttons_[0].onClick([] { throw Failure(13, L"Type mismatch"); });
    buttons_[1].onClick([] { throw std::bad_alloc(); });
    buttons_[2].onClick([] { throw std::runtime_error("not ours"); });
    buttons_[3].onClick([this] {
      quitRan = true;
      PostQuitMessage(0);
    });
  }
  void click(int index) {
    HWND b = buttons_[index].hwnd();
    PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED), reinterpret_cast<LPARAM>(b));
  }
  ui::Button buttons_[4];
  std::atomic<bool> quitRan{false};
};

// A window-enumeration callback: on the 32-bit build it must be stdcall
// (CALLBACK), which a lambda's conversion does not give.
BOOL CALLBACK findBoxIn(HWND h, LPARAM l) {
  wchar_t cls[16] = {}, title[16] = {};
  GetClassNameW(h, cls, 16);
  GetWindowTextW(h, title, 16);
  if (IsWindowVisible(h) && std::wstring(cls) == L"#32770" && std::wstring(title) == L"도움터") {
    *reinterpret_cast<HWND*>(l) = h;
    return FALSE;
  }
  return TRUE;
}

// The thread's visible message box titled 도움터, or nullptr.
HWND findBox(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(thread, &findBoxIn, reinterpret_cast<LPARAM>(&found));
  return found;
}

TEST(KitGuard, WhatEscapesAHandlerIsOneMessageAndTheLoopGoesOn) {
  ui::registerClasses(GetModuleHandleW(nullptr));
  FrmProbe form;
  form.create(nullptr, WS_OVERLAPPED | WS_CAPTION);
  form.show();
  const DWORD uiThread = GetCurrentThreadId();
  std::vector<std::wstring> texts;
  std::vector<bool> plain;
  std::thread watcher([&] {
    for (int next : {1, 2, 3}) {
      HWND box = nullptr;
      for (int i = 0; i < 400 && !box; ++i) {
        box = findBox(uiThread);
        if (!box) Sleep(25);
      }
      if (!box) break;
      wchar_t text[512] = {};
      GetDlgItemTextW(box, 0xFFFF, text, 512);
      texts.push_back(text);
      // OK only: no Cancel, Yes or No beside it.
      plain.push_back(GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) && !GetDlgItem(box, IDYES));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      while (IsWindow(box)) Sleep(10);
      form.click(next);
    }
    // Whatever happened, the loop below must end.
    for (int i = 0; i < 500 && !form.quitRan; ++i) Sleep(10);
    if (!form.quitRan) PostThreadMessageW(uiThread, WM_QUIT, 1, 0);
  });
  form.click(0);
  const int code = ui::runMessageLoop();
  watcher.join();
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(form.quitRan);
  EXPECT_EQ(texts, (std::vector<std::wstring>{
                       L"Error 13 (Type mismatch) in procedure btnFailure_Click of Form FrmProbe",
                       L"Error 7 (Out of memory) in procedure btnAlloc_Click of Form FrmProbe",
                       L"Error 51 (Internal error) in procedure btnOther_Click of Form FrmProbe",
                   }));
  EXPECT_EQ(plain, (std::vector<bool>{true, true, true}));
}

BOOL CALLBACK findCaptionIn(HWND h, LPARAM l) {
  auto& [caption, found] = *reinterpret_cast<std::pair<const wchar_t*, HWND>*>(l);
  wchar_t text[64] = {};
  GetWindowTextW(h, text, 64);
  if (std::wstring(text) != caption) return TRUE;
  found = h;
  return FALSE;
}

// The reinstall closes the main window before it looks for its kit; a failure
// that escapes it then must still end the loop, after its message.
TEST(KitGuard, ACommandThatClosedTheWindowAndThenFailedEndsTheLoop) {
  ui::registerClasses(GetModuleHandleW(nullptr));
  fakes::FakeEnv env;
  const Services services = env.services();  // the window keeps a reference
  ProductProfile profile;
  FrmMain main(services, profile, false);
  env.messages.onShow = [&](const MessageRequest&) {
    if (!main.isOpen()) throw std::bad_alloc();
  };
  main.create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
  main.show();
  std::pair<const wchar_t*, HWND> install{L"최신버전업데이트", nullptr};
  EnumChildWindows(main.hwnd(), &findCaptionIn, reinterpret_cast<LPARAM>(&install));
  ASSERT_TRUE(install.second);
  const DWORD uiThread = GetCurrentThreadId();
  std::wstring text;
  std::atomic<bool> ended{false}, forced{false};
  std::thread watcher([&] {
    HWND box = nullptr;
    for (int i = 0; i < 400 && !box; ++i) {
      box = findBox(uiThread);
      if (!box) Sleep(25);
    }
    if (box) {
      wchar_t shown[512] = {};
      GetDlgItemTextW(box, 0xFFFF, shown, 512);
      text = shown;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    // The loop must end by itself; a quit of the test's own only keeps a
    // failing test from hanging.
    for (int i = 0; i < 300 && !ended; ++i) Sleep(10);
    if (ended) return;
    forced = true;
    PostThreadMessageW(uiThread, WM_QUIT, 2, 0);
  });
  PostMessageW(main.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(install.second), BN_CLICKED),
               reinterpret_cast<LPARAM>(install.second));
  const int code = ui::runMessageLoop();
  ended = true;
  watcher.join();
  EXPECT_FALSE(forced);
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(IsWindow(main.hwnd()));
  EXPECT_EQ(text, L"Error 7 (Out of memory) in procedure btnInstall_Click of Form FrmMain");
}

}  // namespace
}  // namespace doumteo
