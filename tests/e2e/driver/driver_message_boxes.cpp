// Message boxes: read in full (text, title, buttons, icon) and answered.
#include "driver/driver.h"

#include <algorithm>

#include "driver/driver_internal.h"

namespace e2e {

using namespace detail;

const wchar_t* iconName(Icon icon) {
  switch (icon) {
    case Icon::None:
      return L"none";
    case Icon::Information:
      return L"information";
    case Icon::Warning:
      return L"warning";
    case Icon::Question:
      return L"question";
    case Icon::Error:
      return L"error";
    case Icon::Unknown:
      break;
  }
  return L"unknown";
}

namespace {

HWND findIconStatic(HWND box) {
  for (HWND w : childWindows(box)) {
    if (lower(className(w)) != L"static" || !IsWindowVisible(w)) continue;
    if ((GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return w;
  }
  return nullptr;
}

// The HICON of another process's static is of no use here: draw the system
// icon on the dialog's background and compare it with the screen's pixels.
size_t iconDifference(const std::vector<DWORD>& shown, int w, int h, DWORD background, LPCWSTR which) {
  // Not LR_SHARED: a shared icon keeps the size it was first loaded with.
  UniqueIcon icon(static_cast<HICON>(LoadImageW(nullptr, which, IMAGE_ICON, w, h, 0)));
  if (!icon) return shown.size();
  const ScreenDib dib(w, h);
  DWORD* p = dib.pixels();
  std::fill_n(p, shown.size(), background);
  DrawIconEx(dib.dc(), 0, 0, icon.get(), w, h, 0, nullptr, DI_NORMAL);
  GdiFlush();
  size_t differ = 0;
  for (size_t i = 0; i < shown.size(); ++i)
    if ((p[i] & 0xFFFFFF) != (shown[i] & 0xFFFFFF)) ++differ;
  return differ;
}

Icon readIcon(HWND box) {
  HWND iconStatic = findIconStatic(box);
  // A box without an icon keeps its icon static, with no icon set.
  if (!iconStatic || SendMessageW(iconStatic, STM_GETICON, 0, 0) == 0) return Icon::None;
  RECT r;
  GetWindowRect(iconStatic, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return Icon::None;
  RECT beside{r.left - 1, r.top, r.left, r.top + 1};
  const DWORD background = grabScreen(beside)[0];
  struct Candidate {
    Icon icon;
    LPCWSTR id;
  };
  const Candidate candidates[] = {{Icon::Information, IDI_INFORMATION},
                                  {Icon::Warning, IDI_WARNING},
                                  {Icon::Question, IDI_QUESTION},
                                  {Icon::Error, IDI_ERROR}};
  // The box may still be painting: look again for a while before giving up.
  for (int attempt = 0; attempt < 25; ++attempt) {
    const std::vector<DWORD> shown = grabScreen(r);
    for (const Candidate& c : candidates)
      if (iconDifference(shown, w, h, background, c.id) == 0) return c.icon;
    sleepMs(40);
  }
  return Icon::Unknown;
}

MsgBox readBox(HWND window) {
  MsgBox box;
  box.window = window;
  box.title = windowText(window);
  if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = windowText(text);
  for (HWND w : childWindows(window)) {
    if (lower(className(w)) != L"button" || !IsWindowVisible(w)) continue;
    BoxButton b;
    b.window = w;
    b.id = GetDlgCtrlID(w);
    b.text = windowText(w);
    b.isDefault = (GetWindowLongW(w, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    box.buttons.push_back(b);
  }
  box.icon = readIcon(window);
  return box;
}

HWND currentBox(DWORD pid) {
  for (HWND w : topWindows(pid))
    if (className(w) == L"#32770" && IsWindowEnabled(w)) return w;
  return nullptr;
}

}  // namespace

int MsgBox::defaultId() const {
  for (const BoxButton& b : buttons)
    if (b.isDefault) return b.id;
  return 0;
}

std::vector<int> MsgBox::buttonIds() const {
  std::vector<int> ids;
  for (const BoxButton& b : buttons) ids.push_back(b.id);
  return ids;
}

void MsgBox::answer(int id) const {
  for (const BoxButton& b : buttons) {
    if (b.id != id) continue;
    click(b.window);
    waitGone(window);
    return;
  }
  throw DriverError(L"message box \"" + title + L"\" has no button with id " + std::to_wstring(id));
}

HWND waitMessageBoxWindow(const Process& process, DWORD ms) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        found = currentBox(process.id());
        if (!found && !process.running()) throw DriverError(L"the program ended while a message box was awaited");
        return found != nullptr;
      },
      L"a message box", ms);
  return found;
}

MsgBox waitMessageBox(const Process& process, DWORD ms) {
  HWND found = waitMessageBoxWindow(process, ms);
  std::wstring shot = screenshot(found);  // also waits until it is painted
  MsgBox box = readBox(found);
  box.screenshot = shot;
  return box;
}

bool noMessageBoxWithin(const Process& process, DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  do {
    if (currentBox(process.id())) return false;
    sleepMs(20);
  } while (GetTickCount64() < deadline);
  return true;
}

}  // namespace e2e
