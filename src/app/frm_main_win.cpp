#include "app/frm_main_win.h"

#include <algorithm>

#include "app/db_check.h"
#include "app/frm_support_win.h"
#include "app/support_page.h"
#include "app/web_shortcuts.h"
#include "build_config.h"
#include "common/guard.h"
#include "common/messages.h"
#include "common/text.h"
#include "dialogs/frm_time_set_win.h"
#include "dialogs/frm_zoom_image_win.h"
#include "platform/program_start.h"
#include "registry/backup_list.h"
#include "registry/frm_restore_points_win.h"
#include "registry/restore.h"
#include "registry/wipe.h"
#include "resource_ids.h"
#include "service/backup.h"
#include "service/reinstall.h"
#include "service/self_reinstall.h"
#include "web/frm_login_win.h"

namespace doumteo {

using ui::Font;
using ui::Panel;

// Per-run state of the commands (the connection of the database test, the
// once-per-run backup start).
struct MainState {
  DbState db;
  BackupState backup;
};

namespace {

// Where each contact line stands in SSPanel4: addresses, accounts, telephone
// and the note on the left, the hours on the right, clear of btnClose. The
// lines come from the maker's profile, which is checked against these widths
// (cmake/maker_profile.cmake).
struct LinePlace {
  int left, top, width;
};
const LinePlace kContactPlaces[9] = {
    {180, 400, 5200},  {180, 625, 5200},  {180, 850, 5200},  {180, 1075, 5200}, {180, 1300, 5200},
    {5500, 400, 3800}, {5500, 625, 3800}, {5500, 850, 3800}, {180, 1525, 5200},
};

// The file version of the program's own resources: major, minor, revision.
std::wstring resourceVersion() {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
  if (res) {
    HGLOBAL loaded = LoadResource(self, res);
    const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
    if (bytes && SizeofResource(self, res) >= 40 + sizeof(VS_FIXEDFILEINFO)) {
      // VS_VERSIONINFO: three WORDs, the key L"VS_VERSION_INFO" with its NUL,
      // padding to 32 bits, then the fixed part.
      const auto* fixed = reinterpret_cast<const VS_FIXEDFILEINFO*>(bytes + 40);
      if (fixed->dwSignature == 0xFEEF04BD)
        return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
               std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    }
  }
  return std::to_wstring(build::kVersionMajor) + L"." + std::to_wstring(build::kVersionMinor) + L"." +
         std::to_wstring(build::kVersionPatch);
}

// The services with the message boxes seen by the action record.
Services throughRecord(const Services& s, MessageBoxPort& record) {
  return Services{record, s.registry, s.settings, s.shell, s.processes, s.files, s.clock, s.browser, s.database};
}

// A button's caption as the record names the command: without the blanks
// that space it from its icon.
std::wstring captionOf(const ui::Button& button) {
  std::wstring caption = button.text();
  while (!caption.empty() && caption.back() == L' ') caption.pop_back();
  return caption;
}

}  // namespace

FrmMain::FrmMain(const Services& services, const ProductProfile& profile, bool prevInstance)
    : ui::Form(L"FrmMain", kAppTitle, 14385, 8955),
      record_(services.messages, services.files, services.clock),
      services_(throughRecord(services, record_)),
      profile_(profile),
      prevInstance_(prevInstance),
      state_(std::make_unique<MainState>()) {
  buildControls();
  wireCommands();
  // The backup folder may hold thousands of files: it is listed on a worker
  // thread while the window and its controls are being built.
  if (!prevInstance_) pendingBackups_ = std::async(std::launch::async, [this] { return listBackups(); });
}

FrmMain::~FrmMain() = default;

void FrmMain::buildControls() {
  const Panel all = addPanel(L"SSPanel1", Panel(), {0, 0, 14370, 8970});
  const Panel web = addPanel(L"SSPanel2", all, {90, 90, 4740, 8790});
  addLabel(L"Label2", web, {180, 45, 3000, 210}, L"홈페이지 바로가기", Font::GulimChe);
  for (int k = 0; k < 9; ++k) {
    const WebShortcut& s = kWebShortcuts[k];
    btnHomePage_[k] = addImageButton(L"btnHomePage(" + std::to_wstring(s.index) + L")", web,
                                     {90, 270 + 855 * k, 4560, 735}, s.caption, s.icon);
  }
  const Panel service = addPanel(L"SSPanel3", all, {4860, 90, 9465, 4560});
  pnlName_ = addPanel(L"pnlName", service, {0, 0, 9465, 375});
  addLabel(L"Label3", service, {180, 495, 3000, 210}, L"A/S 및 업데이트", Font::GulimChe);
  // Two columns, four rows.
  auto serviceButton = [&](const wchar_t* name, const wchar_t* caption, int col, int row, int icon) {
    static constexpr int kRows[4] = {765, 1710, 2655, 3600};
    return addImageButton(name, service, {col ? 4770 : 90, kRows[row], 4560, 825}, caption, icon);
  };
  btnRemote_ = serviceButton(L"btnRemote", L"원격지원서비스", 0, 0, IDI_BTN_REMOTE);
  btnInstall_ = serviceButton(L"btnInstall", L"최신버전업데이트", 1, 0, IDI_BTN_INSTALL);
  btnAS_ = serviceButton(L"btnAS", L"DB AS접수", 0, 1, IDI_BTN_AS);
  btnADO_ = serviceButton(L"btnADO", L"DB접속테스트", 1, 1, IDI_BTN_ADO);
  btnTime_ = serviceButton(L"btnTime", L"컴퓨터 시간 설정", 0, 2, IDI_BTN_TIME);
  btnTask_ = serviceButton(L"btnTask", L"작업관리자", 1, 2, IDI_BTN_TASK);
  btnReDelDB_ = serviceButton(L"btnReDelDB", L"레지스트리 삭제", 0, 3, IDI_BTN_REDELDB);
  btnRegedit_ = serviceButton(L"btnRegedit", L"레지스트리 편집기", 1, 3, IDI_BTN_REGEDIT);
  const Panel tools = addPanel(L"SSPanel5", all, {4860, 4680, 9465, 4200});
  btnRegBackup_ = addImageButton(L"btnRegBackup", tools, {90, 135, 2265, 825}, L"환경설정 복원", IDI_BTN_REGBACKUP);
  cmbReg_ = addDropDownList(L"cmbReg", tools, {2385, 180, 2265, 0});
  btnCom_ = addImageButton(L"btnCom", tools, {4770, 135, 4560, 825}, L"본체뒷면 사진", IDI_BTN_COM);
  DoumteoUp_ = addImageButton(L"DoumteoUp", tools, {90, 1080, 2265, 825}, L"도움터 재설치", IDI_BTN_DOUMTEOUP);
  AS119_ = addImageButton(L"AS119", tools, {2385, 1080, 2265, 825}, std::wstring(build::kRemoteTool) + L" 설치",
                          IDI_BTN_AS119);
  btnKeyBoard_ = addImageButton(L"btnKeyBoard", tools, {4770, 1080, 4560, 825}, L"키보드 모형도", IDI_BTN_KEYBOARD);
  const Panel contacts = addPanel(L"SSPanel4", tools, {45, 1980, 9465, 2175});
  addLabel(L"Label5", contacts, {45, 135, 3000, 210}, build::kContactTitle, Font::GulimChe);
  for (int i = 0; i < 9; ++i)
    addLabel(L"Label1(" + std::to_wstring(i) + L")", contacts,
             {kContactPlaces[i].left, kContactPlaces[i].top, kContactPlaces[i].width, 225}, build::kContactLines[i],
             Font::GulimChe);
  btnClose_ = addImageButton(L"btnClose", contacts, {7965, 1575, 1260, 465}, L"닫기 &C", IDI_BTN_CLOSE);
}

std::wstring FrmMain::windowTitle() {
  return std::wstring(build::kTitleName) + L"  " + kAppTitle + L" Ver." + resourceVersion() + L"     홈페이지 -" +
         build::kMakerHost;
}

void FrmMain::onLoad() {
  SetWindowTextW(hwnd(), windowTitle().c_str());
  setWindowIcon(IDI_APP);
  if (!prevInstance_) {
    pnlName_.setText(profile_.programName);
    FillBackupList();
    addRestorePointsToSystemMenu();
  }
}

void FrmMain::addRestorePointsToSystemMenu() {
  HMENU menu = GetSystemMenu(hwnd(), FALSE);
  if (!menu) return;
  // Right below the window's own separator, above Close; at the end when
  // there is none.
  const int count = GetMenuItemCount(menu);
  int below = count;
  for (int i = 0; i < count; ++i)
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
      below = i + 1;
      break;
    }
  if (below == count) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  const auto at = static_cast<UINT>(below == count ? -1 : below);
  InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING, kRestorePointsCommand, kRestorePointsCaption);
  InsertMenuW(menu, at == static_cast<UINT>(-1) ? at : at + 1, MF_BYPOSITION | MF_STRING, kSupportCommand,
              kSupportCaption);
}

LRESULT FrmMain::handleMessage(UINT m, WPARAM w, LPARAM l) {
  if (m == WM_SYSCOMMAND && ((w & 0xFFF0) == kRestorePointsCommand || (w & 0xFFF0) == kSupportCommand)) {
    // Posted while another dialog holds the window, it waits for none.
    if (IsWindowEnabled(hwnd()) && !prevInstance_) {
      if ((w & 0xFFF0) == kRestorePointsCommand)
        runCommand(L"복원 지점", [this] { showRestorePoints(); });
      else
        runCommand(kSupportTitle, [this] { showSupportPage(); });
    }
    return 0;
  }
  return ui::Form::handleMessage(m, w, l);
}

void FrmMain::onClosing() {
  // A command may unload the window and go on (the reinstall asks and
  // reports after it); the message loop ends only when that command is done,
  // or its message boxes would be dismissed by the quit message.
  quitPending_ = true;
  if (commandDepth_ == 0) PostQuitMessage(0);
}

void FrmMain::runCommand(const std::wstring& caption, const std::function<void()>& command) {
  ++commandDepth_;
  try {
    record_.run(caption, command);
  } catch (...) {
    // The quit waits until the failure has been reported (see below): posted
    // now, it would close the message before anyone could read it.
    --commandDepth_;
    throw;
  }
  if (--commandDepth_ == 0 && quitPending_) PostQuitMessage(0);
}

void FrmMain::onUnexpectedReported() noexcept {
  // A command that closed the window and then failed: without the quit it
  // held back, the process would go on without a window, holding the
  // single-instance lock.
  if (commandDepth_ == 0 && quitPending_) PostQuitMessage(0);
}

BackupList FrmMain::listBackups() const { return listBackupFiles(services_.files, services_.files.programFolder()); }

void FrmMain::FillBackupList() {
  HWND list = cmbReg_.hwnd();
  const BackupList found = pendingBackups_.valid() ? pendingBackups_.get() : listBackups();
  // A folder may hold thousands of backups: the list is filled with its
  // storage reserved and without a redraw per item.
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  std::size_t chars = 0;
  for (const auto& name : found.names) chars += name.size() + 1;
  SendMessageW(list, CB_INITSTORAGE, found.names.size(), static_cast<LPARAM>(chars * sizeof(wchar_t)));
  for (const auto& name : found.names) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  if (found.selected) SendMessageW(list, CB_SETCURSEL, *found.selected, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void FrmMain::wireCommands() {
  // Every command but closing runs through runCommand, so that a command
  // that unloads the window ends the loop only when it is done.
  auto command = [this](const ui::Button& button, std::function<void()> handler) {
    button.onClick([this, &button, handler = std::move(handler)] { runCommand(captionOf(button), handler); });
  };
  btnClose_.onClick([this] {
    record_.note(captionOf(btnClose_), L"완료");
    closeMain();
  });
  // The window is minimised only when the program runs. One that cannot be
  // started is reported; a UAC prompt the user refused needs no word.
  auto startTool = [this](const std::wstring& commandLine, const std::wstring& toolName) {
    switch (startProgram(services_.shell, commandLine)) {
      case StartResult::Started:
        minimizeMain();
        break;
      case StartResult::Cancelled:
        break;
      case StartResult::Failed:
        showPlain(services_.messages, toolName + L"를 실행할 수 없습니다.");
        break;
    }
  };
  command(btnRegedit_, [startTool] { startTool(L"regedit.exe", L"레지스트리 편집기"); });
  command(btnTask_, [startTool] { startTool(L"taskmgr.exe ", L"작업관리자"); });
  command(btnTime_, [this] { showClock(); });
  command(btnCom_, [this] { showImage(0); });
  command(btnKeyBoard_, [this] { showImage(1); });
  command(btnRemote_, [this] { OpenRemoteSupport(services_); });
  command(AS119_, [this] { AS119_Click(services_); });
  for (int k = 0; k < 9; ++k)
    command(btnHomePage_[k],
            [this, index = kWebShortcuts[k].index] { btnHomePage_Click(services_, profile_, index, *this); });
  command(btnADO_, [this] {
    // Opening the database may take up to its 30-second timeout.
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    btnADO_Click(services_, profile_, state_->db);
    SetCursor(old);
  });
  command(btnInstall_, [this] { btnInstall_Click(services_, profile_, *this); });
  command(btnAS_, [this] { btnAS_Click(services_, profile_, *this, state_->backup); });
  command(btnRegBackup_, [this] { btnRegBackup_Click(services_, profile_, cmbReg_.text()); });
  btnReDelDB_.onMouseUp([this](const ui::MouseEvent& e) {
    // Shift asks for the full wipe.
    runCommand(captionOf(btnReDelDB_) + (e.shift & 1 ? L" (Shift)" : L""),
               [&] { btnReDelDB_MouseDown(services_, profile_, e.button, e.shift); });
  });
  command(DoumteoUp_, [this] { DoumteoUp_Click(services_, *this); });
}

void FrmMain::minimizeMain() { ShowWindow(hwnd(), SW_MINIMIZE); }
void FrmMain::closeMain() { close(); }
namespace {
// Keeps a modal dialog in the list of open forms while it is shown.
template <class F>
void runDialog(std::vector<ui::Form*>& open, F& form, HWND owner, HWND block) {
  open.push_back(&form);
  form.showModal(owner, block);
  std::erase(open, &form);
}
}  // namespace

void FrmMain::showLogin() {
  FrmLogin login(services_);
  login.create(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU);
  centreOnMain(login.hwnd());
  runDialog(openDialogs_, login, nullptr, hwnd());
}

void FrmMain::showClock() {
  FrmTimeSet clock(services_, &record_);
  clock.create(nullptr, WS_POPUP | WS_CAPTION | WS_SYSMENU);
  centreOnMain(clock.hwnd());
  runDialog(openDialogs_, clock, nullptr, hwnd());
}

void FrmMain::showRestorePoints() {
  FrmRestorePoints points(services_, profile_, record_);
  points.create(hwnd(), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  centreOnMain(points.hwnd());
  runDialog(openDialogs_, points, hwnd(), nullptr);
}

void FrmMain::showSupportPage() {
  FrmSupport page(services_, profile_, record_);
  page.create(hwnd(), WS_POPUP | WS_CAPTION | WS_SYSMENU);
  centreOnMain(page.hwnd());
  runDialog(openDialogs_, page, hwnd(), nullptr);
}

void FrmMain::showImage(int index) {
  FrmZoom_Image viewer;
  viewer.create(hwnd(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  viewer.choosePicture(index);
  centreOnMain(viewer.hwnd());
  runDialog(openDialogs_, viewer, hwnd(), nullptr);
}

void FrmMain::centreOnMain(HWND dialog) const {
  RECT m, d;
  GetWindowRect(hwnd(), &m);
  GetWindowRect(dialog, &d);
  HMONITOR mon = MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST);
  MONITORINFO mi{sizeof mi, {}, {}, 0};
  GetMonitorInfoW(mon, &mi);
  const int w = d.right - d.left, h = d.bottom - d.top;
  int x = m.left + ((m.right - m.left) - w) / 2, y = m.top + ((m.bottom - m.top) - h) / 2;
  x = std::max<int>(mi.rcWork.left, std::min<int>(x, mi.rcWork.right - w));
  y = std::max<int>(mi.rcWork.top, std::min<int>(y, mi.rcWork.bottom - h));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::vector<std::wstring> FrmMain::openFormNames() {
  std::vector<std::wstring> names;
  if (isOpen()) names.push_back(formName());
  for (auto* f : openDialogs_)
    if (f->isOpen()) names.push_back(f->formName());
  return names;
}

void FrmMain::unloadForm(const std::wstring& name) {
  // Form names are ASCII and compared as the rest of the program compares names.
  for (auto* f : openDialogs_)
    if (f->isOpen() && equalsIgnoringAsciiCase(f->formName(), name)) f->close();
  if (equalsIgnoringAsciiCase(name, formName())) close();
}

}  // namespace doumteo
