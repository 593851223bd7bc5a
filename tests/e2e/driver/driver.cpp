#include "driver/driver.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

namespace e2e {

namespace {

Environment g_env;
ULONGLONG g_lastStartupMs = 0;

std::wstring getEnv(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

// run-e2e.sh hands over Unix paths; Wine's Z: drive is the Unix root.
std::wstring unixToWindows(std::wstring path) {
  if (path.empty() || path[0] != L'/') return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

std::wstring lower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::wstring currentTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return L"e2e";
  return fromUtf8(std::string(info->test_suite_name()) + "." + info->name());
}

void sleepMs(DWORD ms) { Sleep(ms); }

}  // namespace

DriverError::DriverError(const std::wstring& what) : std::runtime_error(toUtf8(what)) {}

const Environment& environment() { return g_env; }

void initEnvironment() {
  g_env.binDir = unixToWindows(getEnv(L"E2E_BIN_DIR"));
  g_env.workDir = unixToWindows(getEnv(L"E2E_WORK_DIR"));
  g_env.shotsDir = unixToWindows(getEnv(L"E2E_SHOTS_DIR"));
  g_env.cRoot = getEnv(L"E2E_C_ROOT");
  g_env.dRoot = getEnv(L"E2E_D_ROOT");
  if (g_env.cRoot.empty()) g_env.cRoot = L"C:\\e2e";
  if (g_env.dRoot.empty()) g_env.dRoot = L"D:\\e2e";
  if (g_env.workDir.empty()) g_env.workDir = g_env.cRoot + L"\\work";
  if (g_env.shotsDir.empty()) g_env.shotsDir = g_env.workDir + L"\\shots";
  std::wstring dpi = getEnv(L"E2E_DPI");
  g_env.dpi = dpi.empty() ? 96 : _wtoi(dpi.c_str());
  makeFolders(g_env.workDir);
  makeFolders(g_env.shotsDir);
  makeFolders(g_env.cRoot);
  g_env.recordFile = g_env.workDir + L"\\record.log";
  std::wstring urls = getEnv(L"E2E_URL_FILE");
  g_env.urlFile = urls.empty() ? g_env.workDir + L"\\urls.log" : unixToWindows(urls);
  SetEnvironmentVariableW(L"DOUMTEO_RECORD_FILE", g_env.recordFile.c_str());
}

// ---- text ---------------------------------------------------------------------

std::wstring trimRight(std::wstring text) {
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
  return text;
}

std::wstring fromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string narrow(const std::wstring& text) { return toUtf8(text); }

// ---- files --------------------------------------------------------------------

void removeTree(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!DeleteFileW(path.c_str())) throw DriverError(L"cannot delete " + path);
    return;
  }
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    const UniqueFind guard(find);
    do {
      std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") removeTree(path + L"\\" + name);
    } while (FindNextFileW(find, &data));
  }
  // A program that was started there (the shell's helper, a recorder) may
  // still have it as its current folder for a moment.
  for (int attempt = 0; !RemoveDirectoryW(path.c_str()); ++attempt) {
    if (attempt == 250) throw DriverError(L"cannot remove folder " + path + L" (still in use?)");
    sleepMs(20);
  }
}

void makeFolders(const std::wstring& path) {
  for (size_t pos = path.find(L'\\', 3);; pos = path.find(L'\\', pos + 1)) {
    std::wstring part = pos == std::wstring::npos ? path : path.substr(0, pos);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      throw DriverError(L"cannot create folder " + part);
    if (pos == std::wstring::npos) break;
  }
}

void copyFile(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
    throw DriverError(L"cannot copy " + from + L" to " + to + L" (error " + std::to_wstring(GetLastError()) + L")");
}

void writeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw DriverError(L"cannot write " + path);
  UniqueHandle guard(file);
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
    throw DriverError(L"cannot write " + path);
}

std::optional<std::string> readFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  UniqueHandle guard(file);
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ProgramFolder::ProgramFolder(std::wstring path, const std::wstring& sourceExe, const std::wstring& exeName)
    : path_(std::move(path)), exePath_(path_ + L"\\" + exeName) {
  removeTree(path_);
  makeFolders(path_);
  copyFile(environment().binDir + L"\\" + sourceExe, exePath_);
}

void ProgramFolder::addRecorder(const std::wstring& name) const {
  copyFile(environment().binDir + L"\\recorder.exe", file(name));
}

void ProgramFolder::addFile(const std::wstring& name, const std::string& bytes) const {
  size_t slash = name.find_last_of(L'\\');
  if (slash != std::wstring::npos) makeFolders(file(name.substr(0, slash)));
  writeFile(file(name), bytes);
}

// ---- processes ----------------------------------------------------------------

Process Process::start(const std::wstring& exePath, const std::wstring& args, const std::wstring& currentDir) {
  std::wstring commandLine = L"\"" + exePath + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi))
    throw DriverError(L"cannot start " + exePath + L" (error " + std::to_wstring(GetLastError()) + L")");
  const UniqueHandle thread(pi.hThread);
  Process p;
  p.handle_.reset(pi.hProcess);
  p.id_ = pi.dwProcessId;
  p.startedAt_ = GetTickCount64();
  return p;
}

Process::Process(Process&& other) noexcept
    : handle_(std::move(other.handle_)), id_(std::exchange(other.id_, 0)), startedAt_(other.startedAt_) {}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    kill();
    handle_ = std::move(other.handle_);
    id_ = std::exchange(other.id_, 0);
    startedAt_ = other.startedAt_;
  }
  return *this;
}

Process::~Process() { kill(); }

bool Process::running() const { return handle_ && WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT; }

DWORD Process::waitExit(DWORD ms) const {
  if (!handle_) throw DriverError(L"no process to wait for");
  if (WaitForSingleObject(handle_.get(), ms) != WAIT_OBJECT_0)
    throw DriverError(L"process " + std::to_wstring(id_) + L" still running after " + std::to_wstring(ms) + L" ms");
  DWORD code = 0;
  GetExitCodeProcess(handle_.get(), &code);
  return code;
}

void Process::kill() {
  if (!handle_) return;
  if (running()) {
    TerminateProcess(handle_.get(), 1);
    WaitForSingleObject(handle_.get(), 5000);
  }
  handle_.reset();
  id_ = 0;
}

std::vector<std::wstring> windowsShownUntilExit(const Process& process, DWORD* exitCode, DWORD ms) {
  std::vector<std::wstring> shown;
  std::vector<HWND> seen;
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (process.running()) {
    for (HWND w : topWindows(process.id())) {
      if (std::find(seen.begin(), seen.end(), w) != seen.end()) continue;
      seen.push_back(w);
      shown.push_back(windowText(w));
    }
    if (GetTickCount64() >= deadline)
      throw DriverError(L"process " + std::to_wstring(process.id()) + L" still running after " + std::to_wstring(ms) +
                        L" ms");
    sleepMs(10);
  }
  *exitCode = process.waitExit(0);
  return shown;
}

ULONGLONG lastStartupMs() { return g_lastStartupMs; }

Process startProgram(const ProgramFolder& folder) { return Process::start(folder.exePath(), L"", folder.path()); }

HWND waitMainWindow(const Process& process, DWORD ms) {
  HWND found = nullptr;
  const std::wstring prefix = kTitlePrefix;
  waitUntil(
      [&] {
        if (!process.running()) throw DriverError(L"the program ended before showing its main window");
        for (HWND w : topWindows(process.id())) {
          if (windowText(w).rfind(prefix, 0) == 0) {
            found = w;
            return true;
          }
        }
        return false;
      },
      L"the main window", ms);
  WaitForInputIdle(process.handle(), 2000);
  g_lastStartupMs = GetTickCount64() - process.startedAt();
  screenshot(found);
  return found;
}

Process startStandIn(const std::wstring& folder, const std::wstring& fileName) {
  makeFolders(folder);
  // A copy of another letter case may be left from an earlier test; the file
  // system would keep that name.
  DeleteFileW((folder + L"\\" + fileName).c_str());
  copyFile(environment().binDir + L"\\stay_running.exe", folder + L"\\" + fileName);
  return Process::start(folder + L"\\" + fileName, L"", folder);
}

namespace {
template <typename F>
void forEachProcess(F f) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry)) f(entry);
}
}  // namespace

void killProcessesNamed(const std::wstring& exeName) {
  const std::wstring wanted = lower(exeName);
  forEachProcess([&](const PROCESSENTRY32W& entry) {
    if (lower(entry.szExeFile) != wanted) return;
    UniqueHandle p(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    if (p) {
      TerminateProcess(p.get(), 1);
      WaitForSingleObject(p.get(), 5000);
    }
  });
}

bool isProcessRunning(const std::wstring& exeName) {
  const std::wstring wanted = lower(exeName);
  bool found = false;
  forEachProcess([&](const PROCESSENTRY32W& entry) { found = found || lower(entry.szExeFile) == wanted; });
  return found;
}

// ---- windows ------------------------------------------------------------------

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

std::vector<HWND> topWindows(DWORD processId, bool visibleOnly) {
  struct Query {
    DWORD pid;
    bool visibleOnly;
    std::vector<HWND> found;
  } query{processId, visibleOnly, {}};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* q = reinterpret_cast<Query*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == q->pid && (!q->visibleOnly || IsWindowVisible(w))) q->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::vector<HWND> childWindows(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
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

std::vector<std::wstring> comboItems(HWND combo) {
  std::vector<std::wstring> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring item(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT got =
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<size_t>(got > 0 ? got : 0));
    items.push_back(item);
  }
  return items;
}

int comboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void selectComboItem(HWND combo, int index) {
  if (SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index)
    throw DriverError(L"the list has no item " + std::to_wstring(index));
}

// ---- screenshots --------------------------------------------------------------

namespace {

// Pixels of a screen rectangle, 32 bits each, top-down rows.
std::vector<DWORD> grabScreen(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<DWORD> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  if (w <= 0 || h <= 0) return pixels;
  const WindowDc screen(nullptr);
  const MemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const UniqueBitmap bitmap(CreateDIBSection(memory.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  const SelectedObject selected(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  GdiFlush();
  std::copy_n(static_cast<const DWORD*>(bits), pixels.size(), pixels.begin());
  return pixels;
}

void writeBmp(const std::wstring& path, const std::vector<DWORD>& pixels, int w, int h) {
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;  // bottom-up
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biSizeImage = static_cast<DWORD>(stride * h);
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + ih.biSizeImage;
  std::string bytes(reinterpret_cast<const char*>(&fh), sizeof fh);
  bytes.append(reinterpret_cast<const char*>(&ih), sizeof ih);
  std::string row(static_cast<size_t>(stride), '\0');
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      DWORD p = pixels[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
      row[static_cast<size_t>(x) * 3] = static_cast<char>(p & 0xFF);
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
    }
    bytes += row;
  }
  writeFile(path, bytes);
}

}  // namespace

std::wstring screenshot(HWND window, const std::wstring& name) {
  static std::map<std::wstring, int> counters;
  std::wstring file = name;
  if (file.empty()) {
    std::wstring test = currentTestName();
    file = test + L"-" + std::to_wstring(++counters[test]);
  }
  RECT r;
  if (!GetWindowRect(window, &r)) throw DriverError(L"screenshot of a window that is gone");
  // Only what lies on the virtual screen can be read back.
  RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  IntersectRect(&r, &r, &screen);
  std::wstring path = environment().shotsDir + L"\\" + file + L".bmp";
  // Take the picture once two looks 100 ms apart agree: the window has
  // finished painting (or 3 s have passed).
  std::vector<DWORD> pixels = grabScreen(r);
  for (int attempt = 0; attempt < 30; ++attempt) {
    sleepMs(100);
    std::vector<DWORD> again = grabScreen(r);
    bool stable = again == pixels;
    pixels = std::move(again);
    if (stable) break;
  }
  writeBmp(path, pixels, r.right - r.left, r.bottom - r.top);
  return path;
}

// ---- message boxes ------------------------------------------------------------

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
  const UniqueIcon icon(static_cast<HICON>(LoadImageW(nullptr, which, IMAGE_ICON, w, h, 0)));
  if (!icon) return shown.size();
  const WindowDc screen(nullptr);
  const MemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const UniqueBitmap bitmap(CreateDIBSection(memory.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  const SelectedObject selected(memory.get(), bitmap.get());
  auto* p = static_cast<DWORD*>(bits);
  std::fill_n(p, shown.size(), background);
  DrawIconEx(memory.get(), 0, 0, icon.get(), w, h, 0, nullptr, DI_NORMAL);
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

MsgBox waitMessageBox(const Process& process, DWORD ms) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        found = currentBox(process.id());
        if (!found && !process.running()) throw DriverError(L"the program ended while a message box was awaited");
        return found != nullptr;
      },
      L"a message box", ms);
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

// ---- registry -----------------------------------------------------------------

namespace {
UniqueKey openKey(HKEY root, const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return UniqueKey();
  return UniqueKey(key);
}
}  // namespace

std::optional<std::wstring> regString(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD size = 0;
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(wcslen(value.c_str()));
  return value;
}

std::optional<DWORD> regDword(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void regSetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
  LSTATUS rc = RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (rc != ERROR_SUCCESS) throw DriverError(L"cannot write registry value " + path + L"\\" + name);
}

void regSetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
  if (RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_DWORD, &value, sizeof value) != ERROR_SUCCESS)
    throw DriverError(L"cannot write registry value " + path + L"\\" + name);
}

bool regKeyExists(HKEY root, const std::wstring& path) { return openKey(root, path, KEY_READ) != nullptr; }

void regDeleteTree(HKEY root, const std::wstring& path) {
  LSTATUS rc = RegDeleteTreeW(root, path.c_str());
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(root, path.c_str());
    return;
  }
  throw DriverError(L"cannot delete registry key " + path);
}

std::wstring settingsKey(const std::wstring& app, const std::wstring& section) {
  std::wstring key = std::wstring(kSettingsRoot) + L"\\" + app;
  if (!section.empty()) key += L"\\" + section;
  return key;
}

void setSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                const std::wstring& value) {
  regSetString(HKEY_CURRENT_USER, settingsKey(app, section), key, value);
}

std::optional<std::wstring> getSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key) {
  return regString(HKEY_CURRENT_USER, settingsKey(app, section), key);
}

void deleteSettings(const std::wstring& app) { regDeleteTree(HKEY_CURRENT_USER, settingsKey(app)); }

void seedProfile(const Profile& profile) {
  regDeleteTree(HKEY_CURRENT_USER, settingsKey(L"Setupkeeper", L"ASKey"));
  const std::pair<const wchar_t*, const std::wstring*> fields[] = {
      {L"SetupFile", &profile.setupFile},     {L"Exefile", &profile.exeFile},
      {L"DBPath", &profile.dbPath},           {L"Program", &profile.program},
      {L"RegiProgram", &profile.regiProgram}, {L"DBTable", &profile.dbTable},
      {L"DBFold", &profile.dbFold},           {L"DBName", &profile.dbName}};
  for (const auto& [name, value] : fields)
    if (!value->empty()) setSetting(L"Setupkeeper", L"ASKey", name, *value);
}

// ---- records ------------------------------------------------------------------

namespace {

std::vector<std::wstring> readLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::optional<std::string> bytes = readFile(path);
  if (!bytes) return lines;
  size_t start = 0;
  while (start < bytes->size()) {
    size_t end = bytes->find('\n', start);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = bytes->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(fromUtf8(line));
    start = end + 1;
  }
  return lines;
}

void truncate(const std::wstring& path) {
  // A recorder may be appending right now; retry briefly.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
    sleepMs(20);
  }
  throw DriverError(L"cannot reset " + path);
}

}  // namespace

std::vector<Record> readRecords() {
  std::vector<Record> records;
  for (const std::wstring& line : readLines(environment().recordFile)) {
    size_t first = line.find(L'|');
    size_t last = line.rfind(L'|');
    if (first == std::wstring::npos || first == last) continue;
    records.push_back({line.substr(0, first), line.substr(first + 1, last - first - 1), line.substr(last + 1)});
  }
  return records;
}

void resetRecords() { truncate(environment().recordFile); }

std::vector<Record> waitRecords(size_t count, DWORD ms) {
  std::vector<Record> records;
  waitUntil(
      [&] {
        records = readRecords();
        return records.size() >= count;
      },
      std::to_wstring(count) + L" recorder line(s)", ms);
  return records;
}

std::vector<std::wstring> readUrls() { return readLines(environment().urlFile); }

void resetUrls() { truncate(environment().urlFile); }

std::vector<std::wstring> waitUrls(size_t count, DWORD ms) {
  std::vector<std::wstring> urls;
  waitUntil(
      [&] {
        urls = readUrls();
        return urls.size() >= count;
      },
      std::to_wstring(count) + L" address(es) handed to the shell", ms);
  return urls;
}

}  // namespace e2e
