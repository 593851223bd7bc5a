#pragma once
// The end-to-end driver: runs under Wine beside doumteo.exe and uses it as a
// person would, through window messages, the screen, the registry and the
// files it leaves. Every wait is bounded; a time-out or a missing window
// throws DriverError, which GoogleTest reports as the failure of the test.
// A Process that is still running when it goes out of scope is killed, so a
// failed test leaves nothing behind for the next one.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "build_config.h"
#include "platform/handle_win.h"

namespace e2e {

using doumteo::MemoryDc;
using doumteo::SelectedObject;
using doumteo::UniqueBitmap;
using doumteo::UniqueFind;
using doumteo::UniqueHandle;
using doumteo::UniqueIcon;
using doumteo::UniqueKey;
using doumteo::WindowDc;

struct DriverError : std::runtime_error {
  explicit DriverError(const std::wstring& what);
};

inline constexpr DWORD kWaitMs = 10000;

// The maker's words come from the profile the build was made from.
inline const std::wstring kTitlePrefix = doumteo::build::kTitleName + std::wstring(L"  도움터 Ver.");
// The running-program guard: its warning, and the reminder alone when the
// product runs.
inline const std::wstring kCloseAll = doumteo::build::kCompany + std::wstring(L"의 모든 프로그램을 종료하여 주십시요.");
inline const std::wstring kReminder =
    L"프로그램이 실행중 인지 확인 하여 주십시요.\r\n\r\n\r\n"
    L"먄약 프로그램 실행 중에 재설치 및 DB AS접수 , 환경설정 복원\r\n\r\n"
    L"재설치 및 DB AS접수가 완벽하게 이루어 지지 않습니다.\r\n\r\n" +
    kCloseAll;
inline constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings";

// ---- the environment that run-e2e.sh sets up -------------------------------

struct Environment {
  std::wstring binDir;      // doumteo.exe, recorder.exe, stay_running.exe, e2e_testwin.exe
  std::wstring workDir;     // logs of the recorders and of the caught addresses
  std::wstring shotsDir;    // screenshots (BMP; the runner converts them to PNG)
  std::wstring cRoot;       // a folder on C: for program folders
  std::wstring dRoot;       // a folder on the second drive D:
  std::wstring recordFile;  // DOUMTEO_RECORD_FILE, appended to by every recorder
  std::wstring urlFile;     // appended to by catch-url.sh, one address a line
  int dpi = 96;             // the LogPixels the prefix was seeded with
};
const Environment& environment();
// Reads the environment variables and sets DOUMTEO_RECORD_FILE for every
// process started from here on. Called once by main().
void initEnvironment();

// ---- text helpers ---------------------------------------------------------

std::wstring trimRight(std::wstring text);
std::wstring fromUtf8(const std::string& text);
std::string toUtf8(const std::wstring& text);
std::string narrow(const std::wstring& text);  // for gtest messages (UTF-8)

// ---- files and program folders --------------------------------------------

void removeTree(const std::wstring& path);  // no error when missing
void makeFolders(const std::wstring& path);
void copyFile(const std::wstring& from, const std::wstring& to);
void writeFile(const std::wstring& path, const std::string& bytes);
std::optional<std::string> readFile(const std::wstring& path);
bool fileExists(const std::wstring& path);

// A program folder emptied and laid out anew: doumteo.exe (or another
// program of the build folder under exeName) and nothing else.
class ProgramFolder {
 public:
  explicit ProgramFolder(std::wstring path, const std::wstring& sourceExe = L"doumteo.exe",
                         const std::wstring& exeName = L"doumteo.exe");
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
  const std::wstring& exePath() const { return exePath_; }
  // A copy of the recorder under another name (SetupKeeper.exe, regedit.exe...).
  void addRecorder(const std::wstring& name) const;
  void addFile(const std::wstring& name, const std::string& bytes) const;

 private:
  std::wstring path_;
  std::wstring exePath_;
};

// ---- processes ------------------------------------------------------------

class Process {
 public:
  // CreateProcessW with the quoted path (plus args) as command line.
  static Process start(const std::wstring& exePath, const std::wstring& args = L"",
                       const std::wstring& currentDir = L"");
  Process() = default;
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();  // kills the process when it still runs

  DWORD id() const { return id_; }
  ULONGLONG startedAt() const { return startedAt_; }  // GetTickCount64 at the start
  HANDLE handle() const { return handle_; }
  bool running() const;
  // Waits for the end and returns the exit code; throws on time-out.
  DWORD waitExit(DWORD ms = kWaitMs) const;
  void kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
  ULONGLONG startedAt_ = 0;
};

// Waits for the end of the process and returns the titles of the visible
// top-level windows it showed meanwhile (polled every 10 ms).
std::vector<std::wstring> windowsShownUntilExit(const Process& process, DWORD* exitCode, DWORD ms = kWaitMs);

// Starts doumteo.exe of the folder with the folder as current folder.
Process startProgram(const ProgramFolder& folder);
// The visible top-level window of the process whose title starts with
// kTitlePrefix; saves a screenshot of it once it has been painted.
HWND waitMainWindow(const Process& process, DWORD ms = kWaitMs);
// Milliseconds from the start to the idle main window, of the last waitMainWindow.
ULONGLONG lastStartupMs();

// The product stand-in: stay_running.exe copied into folder as fileName and
// started from there. Under Wine the process list shows the letter case of
// the file on disk, whatever the case of the path it was started by, so a
// product "running as VELTO.EXE" is a copy named VELTO.EXE.
Process startStandIn(const std::wstring& folder, const std::wstring& fileName);

// Kills every process of this prefix with that file name (case-insensitive);
// a safety net for what an earlier failed test may have left.
void killProcessesNamed(const std::wstring& exeName);
bool isProcessRunning(const std::wstring& exeName);

// ---- windows --------------------------------------------------------------

std::wstring windowText(HWND window);
std::wstring className(HWND window);
std::vector<HWND> topWindows(DWORD processId, bool visibleOnly = true);
std::vector<HWND> childWindows(HWND parent);  // all descendants, in Z order
// The descendant whose text equals caption after trimming trailing blanks
// on both sides ("닫기 &C" keeps its "&"); nullptr when there is none.
HWND findChild(HWND parent, const std::wstring& caption);
HWND child(HWND parent, const std::wstring& caption);  // throws when missing
struct Control {
  HWND window;
  std::wstring caption;  // trailing blanks trimmed
  std::wstring className;
};
// Every descendant with its caption, read once (each read is a round trip
// to the program, so look up many captions in one such list).
std::vector<Control> controls(HWND parent);

// A visible top-level window of the process with that title (trailing blanks
// trimmed), e.g. a dialog of the program; saves a screenshot of it.
HWND waitWindow(const Process& process, const std::wstring& title, DWORD ms = kWaitMs);
// Waits until the window is destroyed or hidden.
void waitGone(HWND window, DWORD ms = kWaitMs);

// Polls until done() is true; throws DriverError naming what on time-out.
void waitUntil(const std::function<bool()>& done, const std::wstring& what, DWORD ms = kWaitMs);

// BM_CLICK by PostMessage, so that a modal box opened by the click does not
// block the driver.
void click(HWND button);
void click(HWND parent, const std::wstring& caption);

enum class MouseButton { Left, Right };
// Posts button-down then button-up at the middle of the control, with
// modifiers (MK_SHIFT, MK_CONTROL) in wParam of both.
void mouseClick(HWND control, MouseButton button, WPARAM modifiers = 0);

// Keys as a person presses them: key-down and key-up posted to target (the
// window with the keyboard focus; see focusWindow). With alt, the system-key
// messages with the context bit, which the program turns into Alt+<key>.
void pressKey(HWND target, UINT virtualKey, bool alt = false);
// Keys through the system's input, to whatever window is in front: each key
// pressed and released in turn, the ones before it held down (Alt+Space is
// {VK_MENU, VK_SPACE}).
void typeKeys(std::initializer_list<WORD> keys);
// Brings main to the front, opens its system menu with Alt+Space as a person
// does, and returns the menu's window.
HWND openSystemMenu(const Process& program, HWND main);
// The window of the process's user-interface thread that has the focus (or
// its active window).
HWND focusWindow(const Process& process);
// Replaces the text of an edit box (WM_SETTEXT).
void setText(HWND edit, const std::wstring& text);
// Puts the caret at the end and posts WM_CHAR for each character, as typing does.
void typeText(HWND edit, const std::wstring& text);

// Drop-down lists.
std::vector<std::wstring> comboItems(HWND combo);
int comboSelection(HWND combo);  // -1 when nothing is selected
void selectComboItem(HWND combo, int index);

// List boxes.
std::vector<std::wstring> listItems(HWND list);
int listSelection(HWND list);  // -1 when nothing is selected

// ---- message boxes --------------------------------------------------------

enum class Icon { None, Information, Warning, Question, Error, Unknown };
const wchar_t* iconName(Icon icon);

struct BoxButton {
  HWND window = nullptr;
  int id = 0;
  std::wstring text;
  bool isDefault = false;
};

struct MsgBox {
  HWND window = nullptr;
  std::wstring title;
  std::wstring text;
  Icon icon = Icon::None;
  std::vector<BoxButton> buttons;
  std::wstring screenshot;  // file the box was saved to

  int defaultId() const;  // 0 when no button is marked default
  std::vector<int> buttonIds() const;
  // Posts BM_CLICK to the button with that id (IDOK, IDYES, IDNO...) and waits
  // until the box is gone.
  void answer(int id) const;
};

// Waits for the enabled, visible #32770 window of the process.
HWND waitMessageBoxWindow(const Process& process, DWORD ms = kWaitMs);
// The same, read in full.
MsgBox waitMessageBox(const Process& process, DWORD ms = kWaitMs);
// True when no message box of the process shows within ms.
bool noMessageBoxWithin(const Process& process, DWORD ms);

// ---- screenshots ----------------------------------------------------------

// Copies the window's screen rectangle into a 24-bit BMP in the shots folder
// under name + ".bmp"; an empty name gives "<Suite>.<Test>-<n>". Returns the path.
std::wstring screenshot(HWND window, const std::wstring& name = L"");

// ---- registry -------------------------------------------------------------

std::optional<std::wstring> regString(HKEY root, const std::wstring& path, const std::wstring& name);
std::optional<DWORD> regDword(HKEY root, const std::wstring& path, const std::wstring& name);
void regSetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value);
void regSetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value);
bool regKeyExists(HKEY root, const std::wstring& path);
void regDeleteTree(HKEY root, const std::wstring& path);  // no error when missing

// Application settings: REG_SZ under HKCU\<kSettingsRoot>\<app>\<section>.
std::wstring settingsKey(const std::wstring& app, const std::wstring& section = L"");
void setSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                const std::wstring& value);
std::optional<std::wstring> getSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key);
void deleteSettings(const std::wstring& app);

// The product profile as the maker's programs store it (Setupkeeper\ASKey).
struct Profile {
  std::wstring setupFile, exeFile, dbPath, program, regiProgram, dbTable, dbFold, dbName;
};
// Replaces Setupkeeper\ASKey with the non-empty fields of profile.
void seedProfile(const Profile& profile);

// ---- what outside programs left -------------------------------------------

struct Record {
  std::wstring exe;          // the recorder's own file name
  std::wstring commandLine;  // GetCommandLineW
  std::wstring currentDir;
};
std::vector<Record> readRecords();
void resetRecords();
// Waits until at least count records are there and returns them all.
std::vector<Record> waitRecords(size_t count, DWORD ms = kWaitMs);

std::vector<std::wstring> readUrls();  // addresses handed to the shell
void resetUrls();
std::vector<std::wstring> waitUrls(size_t count, DWORD ms = kWaitMs);

}  // namespace e2e
