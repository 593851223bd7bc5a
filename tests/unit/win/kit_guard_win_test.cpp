#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/failure.h"
#include "ui/kit.h"

namespace doumteo {
namespace {

class FrmProbe final : public ui::Form {
 public:
  FrmProbe() : ui::Form(L"FrmProbe", L"probe", 3000, 1500) {
    addControls({
        {ui::Kind::PushButton, L"btnFailure", L"", 0, 0, 1000, 400, L"failure", ui::Font::Gulim, 0, 0, true},
        {ui::Kind::PushButton, L"btnAlloc(2)", L"", 1000, 0, 1000, 400, L"alloc", ui::Font::Gulim, 0, 0, true},
        {ui::Kind::PushButton, L"btnOther", L"", 2000, 0, 1000, 400, L"other", ui::Font::Gulim, 0, 0, true},
        {ui::Kind::PushButton, L"btnQuit", L"", 0, 500, 1000, 400, L"quit", ui::Font::Gulim, 0, 0, true},
    });
    onClick[L"btnFailure"] = [] { throw Failure(13, L"Type mismatch"); };
    onClick[L"btnAlloc(2)"] = [] { throw std::bad_alloc(); };
    onClick[L"btnOther"] = [] { throw std::runtime_error("not ours"); };
    onClick[L"btnQuit"] = [this] {
      quitRan = true;
      PostQuitMessage(0);
    };
  }
  void click(const wchar_t* name) {
    HWND b = control(name);
    PostMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(b), BN_CLICKED), reinterpret_cast<LPARAM>(b));
  }
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
    for (const wchar_t* next : {L"btnAlloc(2)", L"btnOther", L"btnQuit"}) {
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
  form.click(L"btnFailure");
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

}  // namespace
}  // namespace doumteo
