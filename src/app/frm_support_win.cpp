#include "app/frm_support_win.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "app/support_page.h"
#include "platform/handle_win.h"
#include "platform/system_info_win.h"
#include "registry/snapshot.h"

namespace doumteo {

using ui::Font;
using ui::Panel;

namespace {

constexpr wchar_t kSaveTitle[] = L"지원 정보 저장";

// The clipboard holds the text as its own copy, in memory it then owns.
bool putOnClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  bool done = false;
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = EmptyClipboard() ? GlobalAlloc(GMEM_MOVEABLE, bytes) : nullptr;
  void* locked = memory ? GlobalLock(memory) : nullptr;
  if (locked) {
    std::memcpy(locked, text.c_str(), bytes);
    GlobalUnlock(memory);
    // From here on the clipboard owns the memory.
    done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  }
  // cppcheck takes SetClipboardData for a release even when it fails.
  // cppcheck-suppress doubleFree
  if (memory && !done) GlobalFree(memory);
  CloseClipboard();
  return done;
}

std::wstring desktopFolder() {
  PWSTR raw = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &raw);
  const UniqueCoTaskMem<wchar_t> owner(raw);
  return SUCCEEDED(hr) && raw ? std::wstring(raw) : std::wstring();
}

// The standard save dialog; the common dialogs' library is loaded only when
// a page is saved. Empty when the user cancelled.
std::wstring askSavePath(HWND owner, const std::wstring& suggested) {
  using SaveFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
  static HMODULE library = systemLibrary(L"comdlg32.dll");
  auto* save = reinterpret_cast<SaveFn>(reinterpret_cast<void*>(GetProcAddress(library, "GetSaveFileNameW")));
  if (!save) throw Failure(static_cast<int>(GetLastError()), L"comdlg32.dll");
  std::vector<wchar_t> file(32768, L'\0');
  suggested.copy(file.data(), suggested.size());
  const std::wstring folder = desktopFolder();
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"텍스트 파일 (*.txt)\0*.txt\0모든 파일 (*.*)\0*.*\0";
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = kSaveTitle;
  ofn.lpstrDefExt = L"txt";
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!save(&ofn)) return L"";
  return file.data();
}

}  // namespace

FrmSupport::FrmSupport(const Services& services, const ProductProfile& profile, ActionRecord& record)
    : ui::Form(L"FrmSupport", kSupportTitle, 9000, 6450), services_(services), profile_(profile), record_(record) {
  const Panel form;
  addLabel(L"lblInfo", form, {120, 150, 8760, 240},
           L"이 내용은 이 PC에서만 보이며 어디로도 보내지 않습니다. 복사하거나 저장해 상담원에게 전해 주십시오.");
  // A fixed-pitch font keeps the values under each other.
  txtInfo_ = addTextView(L"txtInfo", form, {120, 450, 8760, 5340}, Font::GulimChe);
  lblStatus_ = addStatusLine(L"lblStatus", form, {120, 6000, 4500, 240});
  btnCopy_ = addPushButton(L"btnCopy", form, {4740, 5910, 1320, 420}, L"복사(&C)");
  btnSave_ = addPushButton(L"btnSave", form, {6150, 5910, 1320, 420}, L"저장(&S)...");
  btnClose_ = addPushButton(L"btnClose", form, {7560, 5910, 1320, 420}, L"닫기");
  btnCopy_.onClick([this] { copy(); });
  btnSave_.onClick([this] { save(); });
  btnClose_.onClick([this] { close(); });
}

void FrmSupport::onLoad() {
  SendMessageW(btnCopy_.hwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  Win32SystemInfo system(hwnd());
  std::vector<std::wstring> recent;
  try {
    recent = record_.newest(kSupportRecentActions);
  } catch (const Failure& f) {
    recent = {L"읽을 수 없음: " + failureInWords(f)};
  }
  text_ = supportPageText(services_, system, profile_, recent);
  SetCursor(old);
  txtInfo_.setText(text_);
  txtInfo_.focus();
}

void FrmSupport::copy() {
  lblStatus_.setText(putOnClipboard(hwnd(), text_) ? kCopiedMessage : L"클립보드를 쓸 수 없어 복사하지 못했습니다.");
}

void FrmSupport::save() {
  const std::wstring path = askSavePath(hwnd(), supportFileName(services_.clock.now()));
  if (path.empty()) return;
  try {
    services_.files.writeFile(path, supportFileBytes(text_));
  } catch (const Failure& f) {
    services_.messages.show(
        {L"지원 정보를 저장하지 못했습니다.\r\n\r\n파일: " + path + L"\r\n이유: " + failureInWords(f), kAppTitle,
         MsgButtons::Ok, MsgIcon::Exclamation, false});
    return;
  }
  lblStatus_.setText(L"저장했습니다: " + path);
}

void FrmSupport::onOk() {
  if (GetFocus() == btnSave_.hwnd()) {
    save();
  } else if (GetFocus() == btnClose_.hwnd()) {
    close();
  } else {
    copy();
  }
}

}  // namespace doumteo
