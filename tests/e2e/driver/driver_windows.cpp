// Windows and controls: finding them, waiting for them, and clicks, keys
// and text as a person gives them.
#include "driver/driver.h"

#include <iterator>

#include "driver/driver_internal.h"

namespace e2e {

using namespace detail;

std::wstring windowText(HWND window) {
  // WM_GETTEXT rather than GetWindowTextW: it also reads controls of another process.
  LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

std::wstring className(HWND window) {
  wchar_t name[256];
  int n = GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<size_t>(n > 0 ? n : 0));
}

namespace {
struct TopWindowQuery {
  DWORD pid;
  bool visibleOnly;
  std::vector<HWND> found;
};
// Enumeration callbacks are CALLBACK (stdcall on the 32-bit build), which a
// lambda's conversion to a function pointer does not give.
BOOL CALLBACK collectTopWindow(HWND w, LPARAM lp) {
  auto* q = reinterpret_cast<TopWindowQuery*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == q->pid && (!q->visibleOnly || IsWindowVisible(w))) q->found.push_back(w);
  return TRUE;
}
BOOL CALLBACK collectChild(HWND w, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> topWindows(DWORD processId, bool visibleOnly) {
  TopWindowQuery query{processId, visibleOnly, {}};
  EnumWindows(&collectTopWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::vector<HWND> childWindows(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, &collectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND findChild(HWND parent, const std::wstring& caption) {
  const std::wstring wanted = trimRight(caption);
  for (HWND w : childWindows(parent))
    if (trimRight(windowText(w)) == wanted) return w;
  return nullptr;
}

HWND child(HWND parent, const std::wstring& caption) {
  HWND w = findChild(parent, caption);
  if (!w) throw DriverError(L"no control \"" + caption + L"\" in \"" + windowText(parent) + L"\"");
  return w;
}

std::vector<Control> controls(HWND parent) {
  std::vector<Control> found;
  for (HWND w : childWindows(parent)) found.push_back({w, trimRight(windowText(w)), className(w)});
  return found;
}

HWND waitWindow(const Process& process, const std::wstring& title, DWORD ms) {
  HWND found = nullptr;
  const std::wstring wanted = trimRight(title);
  waitUntil(
      [&] {
        for (HWND w : topWindows(process.id()))
          if (trimRight(windowText(w)) == wanted) found = w;
        return found != nullptr;
      },
      L"the window \"" + title + L"\"", ms);
  screenshot(found);
  return found;
}

void waitGone(HWND window, DWORD ms) {
  waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); },
            L"the window \"" + windowText(window) + L"\" to close", ms);
}

void waitUntil(const std::function<bool()>& done, const std::wstring& what, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  for (;;) {
    if (done()) return;
    if (GetTickCount64() >= deadline)
      throw DriverError(L"timed out after " + std::to_wstring(ms) + L" ms waiting for " + what);
    sleepMs(20);
  }
}

void click(HWND button) {
  if (!IsWindow(button)) throw DriverError(L"click on a window that is gone");
  PostMessageW(button, BM_CLICK, 0, 0);
}

void click(HWND parent, const std::wstring& caption) { click(child(parent, caption)); }

void mouseClick(HWND control, MouseButton button, WPARAM modifiers) {
  RECT r;
  GetClientRect(control, &r);
  LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
  UINT down = button == MouseButton::Left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
  UINT up = button == MouseButton::Left ? WM_LBUTTONUP : WM_RBUTTONUP;
  WPARAM held = button == MouseButton::Left ? MK_LBUTTON : MK_RBUTTON;
  PostMessageW(control, down, modifiers | held, at);
  PostMessageW(control, up, modifiers, at);
}

void pressKey(HWND target, UINT virtualKey, bool alt) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  const LPARAM context = alt ? (1 << 29) : 0;
  const LPARAM released = static_cast<LPARAM>(3u << 30);
  PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, 1 | scan | context);
  PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, virtualKey, 1 | scan | context | released);
}

void typeKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  auto key = [&](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(in);
  };
  for (WORD vk : keys) key(vk, false);
  for (auto vk = std::rbegin(keys); vk != std::rend(keys); ++vk) key(*vk, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

HWND openSystemMenu(const Process& program, HWND main) {
  SetForegroundWindow(main);
  waitUntil([&] { return GetForegroundWindow() == main; }, L"the main window in front");
  typeKeys({VK_MENU, VK_SPACE});
  HWND menu = nullptr;
  waitUntil(
      [&] {
        for (HWND w : topWindows(program.id()))
          if (className(w) == L"#32768") menu = w;
        return menu != nullptr;
      },
      L"the system menu");
  return menu;
}

HWND focusWindow(const Process& process) {
  for (HWND w : topWindows(process.id())) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info)) continue;
    if (info.hwndFocus) return info.hwndFocus;
    if (info.hwndActive) return info.hwndActive;
  }
  throw DriverError(L"no window of process " + std::to_wstring(process.id()) + L" has the focus");
}

void setText(HWND edit, const std::wstring& text) {
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void typeText(HWND edit, const std::wstring& text) {
  const LRESULT end = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(end), end);
  for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
}

namespace {
// The lines of a combo box or a list box, through that control's messages.
std::vector<std::wstring> itemsOf(HWND control, UINT count, UINT textLength, UINT text) {
  std::vector<std::wstring> items;
  const LRESULT n = SendMessageW(control, count, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    const LRESULT length = SendMessageW(control, textLength, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT got = SendMessageW(control, text, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(got > 0 ? got : 0));
    items.push_back(item);
  }
  return items;
}
}  // namespace

std::vector<std::wstring> comboItems(HWND combo) { return itemsOf(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }

int comboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

std::vector<std::wstring> listItems(HWND list) { return itemsOf(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }

int listSelection(HWND list) {
  const LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
  return i == LB_ERR ? -1 : static_cast<int>(i);
}

void selectComboItem(HWND combo, int index) {
  if (SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
    throw DriverError(L"the list has no item " + std::to_wstring(index));
}

}  // namespace e2e
