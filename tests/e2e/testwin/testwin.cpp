// A small stand-in main window for the driver's own tests: it behaves like
// doumteo.exe where the driver is concerned (title, captions, message boxes,
// program starts, shell addresses, button-up events with modifier flags,
// single instance) without depending on the program itself.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace {

constexpr wchar_t kClass[] = L"E2eTestWindow";
constexpr wchar_t kTitle[] = L"벨토 Soft  도움터 Ver.1.0.0     홈페이지 -www.velto.example";

enum : int {
  kIdInfo = 100,
  kIdWarn,
  kIdAskYes,
  kIdAskNo,
  kIdError,
  kIdRegedit,
  kIdTask,
  kIdUrl,
  kIdMouse,
  kIdClose,
  kIdShowInput,
  kIdList,
  kIdEdit
};

struct ButtonDef {
  int id;
  const wchar_t* caption;
};
constexpr ButtonDef kButtons[] = {
    {kIdInfo, L"정보  "},         {kIdWarn, L"경고  "},         {kIdAskYes, L"질문 예  "},
    {kIdAskNo, L"질문 아니요  "}, {kIdError, L"오류  "},        {kIdRegedit, L"레지스트리 편집기  "},
    {kIdTask, L"작업관리자  "},   {kIdUrl, L"주소 열기  "},     {kIdMouse, L"레지스트리 삭제  "},
    {kIdClose, L"닫기 &C"},       {kIdShowInput, L"입력 확인"},
};

void startProgram(HWND window, const wchar_t* commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  ShowWindow(window, SW_MINIMIZE);
}

LRESULT CALLBACK mouseButtonProc(HWND button, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) {
    std::wstring text = msg == WM_LBUTTONUP ? L"왼쪽" : L"오른쪽";
    text += (wp & MK_SHIFT) ? L" Shift" : L"";
    text += (wp & MK_CONTROL) ? L" Ctrl" : L"";
    LRESULT r = DefSubclassProc(button, msg, wp, lp);
    MessageBoxW(GetParent(button), text.c_str(), L"마우스", MB_OK);
    return r;
  }
  return DefSubclassProc(button, msg, wp, lp);
}

LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE instance = reinterpret_cast<CREATESTRUCTW*>(lp)->hInstance;
      wchar_t name[256] = L"";
      DWORD size = sizeof name;
      RegGetValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Setupkeeper\\ASKey", L"Program",
                   RRF_RT_REG_SZ, nullptr, name, &size);
      CreateWindowExW(0, L"Static", name, WS_CHILD | WS_VISIBLE | SS_SUNKEN, 10, 10, 420, 24, window, nullptr, instance,
                      nullptr);
      int y = 44;
      for (const ButtonDef& b : kButtons) {
        HWND button = CreateWindowExW(0, L"Button", b.caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, y, 200, 26,
                                      window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
        if (b.id == kIdMouse) SetWindowSubclass(button, mouseButtonProc, 1, 0);
        y += 30;
      }
      HWND list = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 230, 44,
                                  200, 200, window, reinterpret_cast<HMENU>(kIdList), instance, nullptr);
      for (const wchar_t* item : {L"환경설정2019.mdb", L"환경설정2024.mdb", L"환경설정.mdb"})
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      SendMessageW(list, CB_SETCURSEL, 1, 0);
      CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 230, 80, 200,
                      24, window, reinterpret_cast<HMENU>(kIdEdit), instance, nullptr);
      return 0;
    }
    case WM_COMMAND:
      if (HIWORD(wp) != BN_CLICKED) break;
      switch (LOWORD(wp)) {
        case kIdInfo:
          MessageBoxW(window, L"정보 메시지\r\n둘째 줄", L"제품", MB_OK | MB_ICONINFORMATION);
          break;
        case kIdWarn:
          MessageBoxW(window, L"경고 메시지", L"제품", MB_OK | MB_ICONEXCLAMATION);
          break;
        case kIdAskYes: {
          int answer = MessageBoxW(window, L"예가 기본입니까?", L"도움터", MB_YESNO | MB_ICONQUESTION);
          MessageBoxW(window, answer == IDYES ? L"예" : L"아니요", L"답", MB_OK);
          break;
        }
        case kIdAskNo:
          MessageBoxW(window, L"아니요가 기본입니까?", L"도움터", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
          break;
        case kIdError:
          MessageBoxW(window, L"Error 5 (Invalid)", L"도움터", MB_OK);
          break;
        case kIdRegedit:
          startProgram(window, L"regedit.exe");
          break;
        case kIdTask:
          startProgram(window, L"taskmgr.exe ");
          break;
        case kIdUrl:
          ShellExecuteW(nullptr, L"open", L"www.velto.example/html/join.php", L"0", L"0", SW_SHOWNORMAL);
          break;
        case kIdClose:
          DestroyWindow(window);
          break;
        case kIdShowInput: {
          wchar_t edit[256] = L"", item[256] = L"";
          GetDlgItemTextW(window, kIdEdit, edit, 256);
          GetDlgItemTextW(window, kIdList, item, 256);
          MessageBoxW(window, (std::wstring(edit) + L"|" + item).c_str(), L"입력", MB_OK);
          break;
        }
      }
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_F2) {
        MessageBoxW(window, L"F2", L"키", MB_OK);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, L"E2eTestWindowSingleInstance");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    if (HWND other = FindWindowW(kClass, kTitle)) {
      ShowWindow(other, SW_RESTORE);
      SetForegroundWindow(other);
    }
    return 0;
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  HWND window =
      CreateWindowExW(0, kClass, kTitle, WS_OVERLAPPEDWINDOW, 40, 40, 460, 400, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Keyboard access as in the program's forms: mnemonics, Tab, Esc.
    if (IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CloseHandle(mutex);
  return 0;
}
