// The start-up floor: one empty top-level window and a message loop, nothing
// else. Other programs' start-up and memory are measured against it.
//
// Built twice more, to show where a program's start-up goes beyond it:
//   FLOOR_WITH_IMPORTS (with the program's manifest): the same window, but
//     loading every DLL the program imports;
//   FLOOR_WITH_CHILDREN as well: the window also holds as many child windows
//     of each kind as the program's main window (panels, labels, owner-drawn
//     buttons subclassed through comctl32, one drop-down list) with a Korean
//     font, and paints them; no icons, no settings, no files.
#include <windows.h>

#ifdef FLOOR_WITH_IMPORTS
#include <commctrl.h>
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>

// Bound when the image loads, never called.
void* volatile g_imports[] = {
    reinterpret_cast<void*>(&InitCommonControlsEx), reinterpret_cast<void*>(&CoInitializeEx),
    reinterpret_cast<void*>(&SysAllocString),       reinterpret_cast<void*>(&ShellExecuteW),
    reinterpret_cast<void*>(&RegOpenKeyExW),        reinterpret_cast<void*>(&GetStockObject),
};
#endif

namespace {

#ifdef FLOOR_WITH_CHILDREN
// The main window's make-up: 6 panels, 14 labels, 21 buttons, 1 list (42).
constexpr int kPanels = 6, kLabels = 14, kButtons = 21;
HFONT g_font = nullptr;

LRESULT CALLBACK buttonSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

// Panels paint a raised frame and draw their owner-drawn buttons.
LRESULT CALLBACK panelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_DRAWITEM) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    FillRect(d->hDC, &d->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(d->hDC, &d->rcItem, EDGE_RAISED, BF_RECT);
    HGDIOBJ old = SelectObject(d->hDC, g_font);
    SetBkMode(d->hDC, TRANSPARENT);
    DrawTextW(d->hDC, L"제품 A/S요청답변", -1, &d->rcItem, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(d->hDC, old);
    return TRUE;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void addChildren(HWND main, HINSTANCE instance) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = panelProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"BenchFloorPanel";
  RegisterClassW(&wc);
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfCharSet = HANGUL_CHARSET;
  wcscpy(lf.lfFaceName, L"굴림");
  g_font = CreateFontIndirectW(&lf);

  HWND panels[kPanels];
  for (int i = 0; i < kPanels; ++i)
    panels[i] = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                10 + 155 * i, 10, 150, 540, main, nullptr, instance, nullptr);
  auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int i, int y, int h, int id) {
    HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 5, y, 140, h, panels[i % kPanels],
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    return c;
  };
  for (int i = 0; i < kLabels; ++i)
    child(L"STATIC", L"평일 업무시간 : 09:00 ~ 18:00", SS_LEFT | SS_NOPREFIX, i, 5 + 15 * (i / kPanels), 14, 0);
  for (int i = 0; i < kButtons; ++i) {
    HWND b = child(L"BUTTON", L"제품 A/S요청답변", BS_OWNERDRAW | WS_TABSTOP, i, 60 + 50 * (i / kPanels), 45, 100 + i);
    SetWindowSubclass(b, buttonSubclass, 1, 0);
  }
  child(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kPanels - 1, 300, 200, 200);
}
#endif

LRESULT CALLBACK floorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = floorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BenchFloor";
  if (!RegisterClassW(&wc)) return 1;
  // About the size of the program's main window, so that both paint as much.
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"floor", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 960,
                              600, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
#ifdef FLOOR_WITH_CHILDREN
  addChildren(hwnd, instance);
#endif
  ShowWindow(hwnd, show == SW_SHOWMINIMIZED ? show : SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}
