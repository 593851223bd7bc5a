// The support page: what the maker's agent asks for, on one page that the
// customer copies or saves; and the record of the program's own actions.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/support_page.h"
#include "driver/dialogs_support.h"
#include "driver/driver.h"
#include "driver/settings_support.h"

namespace e2e::settings {
namespace {

constexpr UINT kSupportCommand = 0x0120;
const std::wstring kSaveTitle = L"지원 정보 저장";
const std::wstring kDbFolder = L"C:\\e2e\\벨토 자료";

std::wstring recordPath() { return snapshotOwnFolder() + L"\\작업기록.txt"; }

class SupportPage : public SettingsScenario {
 protected:
  void SetUp() override {
    SettingsScenario::SetUp();
    DeleteFileW(recordPath().c_str());
    removeTree(snapshotFolder());
    removeTree(kDbFolder);
    makeFolders(kDbFolder);
    writeFile(kDbFolder + L"\\dbMain.mdb", std::string(1234, 'x'));
    setSetting(L"BackUp", L"DB경로", L"경로", kDbFolder + L"\\");
    seedProductSettings();
    for (const wchar_t* name : {L"환경설정_20240105_1230.mdb", L"환경설정_20240106_0900.mdb", L"환경설정.mdb"})
      addBackup(name, backupFile({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"2"}}));
  }
  void TearDown() override {
    deleteSettings(L"BackUp");
    removeTree(kDbFolder);
    SettingsScenario::TearDown();
  }

  struct Page {
    HWND window = nullptr, text = nullptr, status = nullptr;
  };
  static Page shown(const Process& program, HWND main) {
    Page p;
    p.window = waitWindow(program, doumteo::kSupportTitle);
    EXPECT_EQ(GetWindow(p.window, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    for (HWND edit : controlsOfClass(p.window, L"Edit")) p.text = edit;
    for (HWND label : controlsOfClass(p.window, L"Static"))
      if (windowText(label).empty()) p.status = label;
    if (!p.text || !p.status) throw DriverError(L"the page lacks its text or its status line");
    return p;
  }
  static void fullWipe(const Process& program, HWND main) {
    mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left, MK_SHIFT);
    answerQuick(waitQuickBox(program), IDYES);
    answerOkUntil(program, kApp + L"의 전체레지스트리가 삭제 되었습니다");
  }
  static std::wstring clipboardText() {
    std::wstring text;
    waitUntil(
        [&] {
          if (!OpenClipboard(nullptr)) return false;
          if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
              text = p;
              GlobalUnlock(data);
            }
          }
          CloseClipboard();
          return !text.empty();
        },
        L"text on the clipboard");
    return text;
  }
  // 저장(&S)... into path through the save dialog; the name it suggested.
  static std::wstring saveAs(const Process& program, const Page& p, const std::wstring& path) {
    click(p.window, L"저장(&S)...");
    HWND dialog = waitWindow(program, kSaveTitle);
    // The file name's box: the edit inside the combo box 0x47C.
    HWND name = nullptr;
    for (HWND w : controlsOfClass(dialog, L"Edit"))
      if (GetDlgCtrlID(w) == 0x47C) name = w;
    if (!name) throw DriverError(L"the save dialog has no file name box");
    const std::wstring suggested = windowText(name);
    setText(name, path);
    click(GetDlgItem(dialog, IDOK));
    if (fileExists(path)) {
      // The dialog asks before it lets a file be replaced.
      waitUntil([&] { return !IsWindowEnabled(dialog); }, L"the question whether to replace the file");
      waitMessageBox(program).answer(IDYES);
    }
    waitGone(dialog);
    return suggested;
  }
};

// Run at 96 and at 144 DPI by run-e2e.sh: support-page-96.png and -144.png.
TEST_F(SupportPage, Screenshot) {
  makeFolders(snapshotFolder());
  writeFile(snapshotFolder() + L"\\20240101_123045_120 000031 선택삭제.reg", "");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  fullWipe(program, main);
  // As a person opens it: Alt+Space for the system menu, then I.
  openSystemMenu(program, main);
  typeKeys({'I'});
  const Page p = shown(program, main);
  const std::wstring text = windowText(p.text);
  EXPECT_EQ(focusWindow(program), p.text);
  auto line = [&](const std::wstring& label) {
    const auto at = text.find(L"  " + label + L" ");
    if (at == std::wstring::npos) return std::wstring();
    const auto end = text.find(L"\r\n", at);
    std::wstring value = text.substr(at + label.size() + 2, end - at - label.size() - 2);
    return value.substr(value.find_first_not_of(L' '));
  };
  EXPECT_EQ(line(L"이름"), kProgramName) << narrow(text);
  EXPECT_EQ(line(L"설정 이름"), kApp);
  EXPECT_EQ(line(L"경로"), kDbFolder + L"\\dbMain.mdb");
  EXPECT_EQ(line(L"파일").substr(0, 13), L"있음, 1,234 바이트");
  EXPECT_EQ(line(L"환경설정 백업"), L"3개 (" + folder.path() + L"\\DBS\\)");
  const std::wstring newest = L"환경설정_20240106_0900.mdb";
  EXPECT_EQ(line(L"가장 새 백업").substr(0, newest.size()), newest);
  EXPECT_EQ(line(L"개수"), L"2개");
  EXPECT_NE(line(L"가장 새 것").find(L", 전체 삭제, " + kApp), std::wstring::npos) << narrow(text);
  EXPECT_EQ(line(L"만든 곳"), doumteo::build::kCompany);
  EXPECT_EQ(line(L"서명"), L"서명 없음");
  EXPECT_NE(text.find(L"레지스트리 삭제 (Shift)  완료: " + kApp + L"의 전체레지스트리가 삭제 되었습니다"),
            std::wstring::npos)
      << narrow(text);
  EXPECT_EQ(text.find(L"읽을 수 없음: Error"), std::wstring::npos) << narrow(text);
  screenshot(p.window, L"support-page-" + std::to_wstring(environment().dpi));

  // Enter copies: 복사 is the default button.
  pressKey(p.text, VK_RETURN);
  waitUntil([&] { return windowText(p.status) == doumteo::kCopiedMessage; }, L"the word that it copied");
  EXPECT_EQ(clipboardText(), text);

  const std::wstring saved = environment().cRoot + L"\\지원 정보.txt";
  DeleteFileW(saved.c_str());
  const std::wstring suggested = saveAs(program, p, saved);
  EXPECT_EQ(suggested.substr(0, 9), L"도움터 지원정보 ") << narrow(suggested);
  EXPECT_EQ(suggested.size(), 9u + 15u + 4u) << narrow(suggested);
  waitUntil([&] { return fileExists(saved); }, L"the saved file");
  EXPECT_EQ(readFile(saved), "\xEF\xBB\xBF" + toUtf8(text));
  EXPECT_NE(text.find(L"\r\n"), std::wstring::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), std::count(text.begin(), text.end(), L'\r'));

  // The record is watched by its size, not read over and over: a reader
  // holding it open at the moment the program replaces it would cost the line.
  const auto recordSize = [] {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    return GetFileAttributesExW(recordPath().c_str(), GetFileExInfoStandard, &a) ? a.nFileSizeLow : 0;
  };
  const DWORD before = recordSize();
  pressKey(p.text, VK_ESCAPE);
  waitGone(p.window);
  EXPECT_TRUE(IsWindowEnabled(main));
  // Its own opening is in the record now, for the next time.
  waitUntil([&] { return recordSize() != before; }, L"the page's line in the record");
  const std::wstring opened = std::wstring(L"  ") + doumteo::kSupportTitle + L"  완료";
  EXPECT_NE(fromUtf8(readFile(recordPath()).value_or("")).find(opened), std::wstring::npos);
}

TEST_F(SupportPage, NoLoginPasswordOrSettingValueInThePageTheCopyTheFileOrTheRecord) {
  const std::wstring secretId = L"kim_q7z3x", secretPassword = L"pw-Z9Y8X7", secretValue = L"비밀값-K4J2";
  setSetting(kApp, L"환경설정", L"메모", secretValue);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"제품 A/S요청답변");
  answerQuick(waitQuickBox(program), IDYES);
  HWND login = waitWindow(program, doumteo::build::kLoginTitle);
  for (HWND edit : controlsOfClass(login, L"Edit")) setText(edit, secretId);
  for (HWND edit : controlsOfClass(login, L"Edit"))
    if (GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) setText(edit, secretPassword);
  click(child(login, L"접 속"));
  answerQuick(waitQuickBox(program), IDNO);
  waitGone(login);
  fullWipe(program, main);  // the value is in a restore point now

  PostMessageW(main, WM_SYSCOMMAND, kSupportCommand, 0);
  const Page p = shown(program, main);
  const std::wstring page = windowText(p.text);
  click(p.window, L"복사(&C)");
  const std::wstring copied = clipboardText();
  const std::wstring saved = environment().cRoot + L"\\지원 정보 비밀.txt";
  DeleteFileW(saved.c_str());
  saveAs(program, p, saved);
  waitUntil([&] { return fileExists(saved); }, L"the saved file");
  click(p.window, L"닫기");
  waitGone(p.window);
  const std::wstring file = fromUtf8(readFile(saved).value_or(""));
  const std::wstring record = fromUtf8(readFile(recordPath()).value_or(""));
  ASSERT_NE(record.find(L"제품 A/S요청답변  취소: "), std::wstring::npos) << narrow(record);
  for (const std::wstring* seen : {&page, &copied, &file, &record})
    for (const std::wstring* secret : {&secretId, &secretPassword, &secretValue})
      EXPECT_EQ(seen->find(*secret), std::wstring::npos) << narrow(*secret) << " in " << narrow(*seen);
}

TEST_F(SupportPage, AFileThatCannotBeWrittenIsNamedWithTheReasonAndLeftAsItWas) {
  const std::wstring target = environment().cRoot + L"\\열려 있는 파일.txt";
  writeFile(target, "old");
  // Held open by another program, without sharing: it cannot be replaced.
  UniqueHandle held(CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  PostMessageW(main, WM_SYSCOMMAND, kSupportCommand, 0);
  const Page p = shown(program, main);
  saveAs(program, p, target);
  MsgBox refusal = waitMessageBox(program);
  EXPECT_EQ(refusal.icon, Icon::Warning) << narrow(iconName(refusal.icon));
  EXPECT_EQ(refusal.text.substr(0, 18), L"지원 정보를 저장하지 못했습니다.") << narrow(refusal.text);
  EXPECT_NE(refusal.text.find(L"파일: " + target + L"\r\n이유: "), std::wstring::npos) << narrow(refusal.text);
  refusal.answer(IDOK);
  held.reset();
  EXPECT_EQ(readFile(target), "old");
  EXPECT_FALSE(fileExists(target + L".tmp")) << "nothing half-written";
  EXPECT_TRUE(windowText(p.status).empty());
  DeleteFileW(target.c_str());
}

}  // namespace
}  // namespace e2e::settings
