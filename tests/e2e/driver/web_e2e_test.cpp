// The web shortcuts, the remote-support and remote-help buttons, the login
// dialog of the maker's site and the database check. Addresses handed to the
// shell are caught by catch-url.sh (winebrowser adds the scheme to the
// schemeless shortcut addresses); the browser object is disabled in the
// prefix, so every address takes the shell path.
#include <gtest/gtest.h>

#include <iostream>

#include "build_config.h"
#include "common/text.h"
#include "driver/dialogs_support.h"
#include "driver/driver.h"

namespace e2e {
namespace {

const std::wstring kProductName = L"벨토 가계부 2024";
const std::wstring kRegiProgram = L"벨토가계부";
const std::wstring kAppTitle = L"도움터";
const std::wstring kLoginTitle = doumteo::build::kLoginTitle;

// An address on the maker's site of this build's profile.
std::wstring site(const std::wstring& path) { return std::wstring(L"http://") + doumteo::build::kMakerHost + path; }
const std::wstring kRemoteSupport =
    std::wstring(L"http://") + doumteo::build::kRemoteHost + doumteo::build::kRemotePath;

void expectQuestion(const MsgBox& box, const std::wstring& title, const std::wstring& text) {
  EXPECT_EQ(box.title, title);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.icon, Icon::Question) << narrow(iconName(box.icon));
  EXPECT_EQ(box.buttonIds(), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(box.defaultId(), IDYES);
}

// Long enough for winebrowser to have run if an address had been handed over.
constexpr DWORD kNoAddressMs = 600;

class WebScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    killProcessesNamed(L"doumteo.exe");
    resetRecords();
    resetUrls();
    deleteSettings(L"BackUp");
    deleteSettings(kAppTitle);
    Profile profile;
    profile.exeFile = L"VeltoBook";
    profile.program = kProductName;
    profile.regiProgram = kRegiProgram;
    profile.dbTable = L"tblConfig";
    seedProfile(profile);
  }
  void TearDown() override {
    deleteSettings(L"Setupkeeper");
    deleteSettings(L"BackUp");
    deleteSettings(kAppTitle);
  }

  // Presses a button of the main window and answers the question it asks.
  void clickAndAnswer(const Process& program, HWND main, const std::wstring& caption, const std::wstring& prompt,
                      int answer) {
    click(main, caption);
    MsgBox box = waitMessageBox(program);
    expectQuestion(box, kAppTitle, prompt);
    box.answer(answer);
  }

  ProgramFolder folder{environment().cRoot + L"\\VeltoWeb"};
};

// ---- the shortcuts of the left column ---------------------------------------

using WebShortcuts = WebScenario;

TEST_F(WebShortcuts, EachAsksItsQuestionAndOpensItsAddressOnlyOnYes) {
  using namespace doumteo::build;
  struct Case {
    std::wstring caption, prompt;
    const wchar_t* path;  // on the maker's site, as winebrowser hands it on
  };
  const Case cases[] = {
      {kCompany, kCompany + std::wstring(L" 홈페이지로 이동하시겠습니까?"), L"/"},
      {L"회원가입", L"회원가입으로 이동하시겠습니까?", kPageJoin},
      {L"F A Q", L"FAQ로 이동하시겠습니까?", kPageFaq},
      {L"고객센터", L"고객센터로 이동하시겠습니까?", kPageSupport},
      {L"제품소개 다운로드", L"제품소개 다운로드로 이동하시겠습니까?", kPageDownload},
      {L"동 영 상", L"동영상으로 이동하시겠습니까?", kPageVideo},
      {L"용지견본주문", L"용지견본주문으로 이동하시겠습니까?", kPagePaper},
      {L"하드웨어쇼핑몰", L"하드웨어쇼핑몰로 이동하시겠습니까?", kPageShop},
  };
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  std::vector<std::wstring> expected;
  for (const Case& c : cases) {
    SCOPED_TRACE(narrow(c.caption));
    // No first: an address it handed over anyway would come before the one
    // of Yes and spoil the list.
    clickAndAnswer(program, main, c.caption, c.prompt, IDNO);
    clickAndAnswer(program, main, c.caption, c.prompt, IDYES);
    expected.push_back(site(c.path));
    EXPECT_EQ(waitUrls(expected.size()), expected);
  }
  Sleep(kNoAddressMs);
  EXPECT_EQ(readUrls(), expected);
  EXPECT_TRUE(noMessageBoxWithin(program, 100));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(readRecords().empty());
}

TEST_F(WebShortcuts, RemoteSupportAndTheRemoteHelpToolAskFirst) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  clickAndAnswer(program, main, L"원격지원서비스", L"원격지원서비스를 실행하시겠습니까?", IDNO);
  clickAndAnswer(program, main, L"원격지원서비스", L"원격지원서비스를 실행하시겠습니까?", IDYES);
  EXPECT_EQ(waitUrls(1), std::vector<std::wstring>{kRemoteSupport});

  using doumteo::build::kRemoteTool;  // 벨토119 takes "를", the second maker's tool "을"
  const std::wstring tool = kRemoteTool + std::wstring(L" 설치");
  const std::wstring ask = kRemoteTool + std::wstring(doumteo::objectParticle(kRemoteTool)) + L" 설치 하시겠습니까?";
  clickAndAnswer(program, main, tool, ask, IDNO);
  clickAndAnswer(program, main, tool, ask, IDYES);
  EXPECT_EQ(waitUrls(2), (std::vector<std::wstring>{kRemoteSupport, site(doumteo::build::kRemoteToolPath)}));
  Sleep(kNoAddressMs);
  EXPECT_EQ(readUrls().size(), 2u);
  EXPECT_TRUE(program.running());
}

// ---- the login dialog ------------------------------------------------------

class WebLogin : public WebScenario {
 protected:
  struct LoginDialog {
    HWND window = nullptr;
    HWND id = nullptr;
    HWND password = nullptr;
    HWND button = nullptr;
  };

  // "제품 A/S요청답변": the login question with the product's name, Yes, and
  // the dialog.
  LoginDialog openLogin(const Process& program, HWND main) {
    click(main, L"제품 A/S요청답변");
    MsgBox ask = waitMessageBox(program);
    expectQuestion(ask, kRegiProgram,
                   L"제품 A/S요청답변을 사용 하시려면\r\n로그인을 하셔야 합니다.\r\n\r\n로그인 하시겠습니까?");
    ask.answer(IDYES);
    LoginDialog d;
    d.window = waitWindow(program, kLoginTitle);
    for (HWND edit : controlsOfClass(d.window, L"Edit")) {
      if (GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD)
        d.password = edit;
      else
        d.id = edit;
    }
    d.button = child(d.window, L"접 속");
    if (!d.id || !d.password) throw DriverError(L"the login dialog lacks its id or password box");
    return d;
  }

  // GetWindowText gives nothing of another program's password box; the
  // message itself still answers.
  static std::wstring editText(HWND edit) {
    const auto length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(
        static_cast<size_t>(SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
  }

  static std::optional<std::wstring> savedId() { return getSetting(kAppTitle, L"config", L"login_id"); }
};

TEST_F(WebLogin, NoToTheLoginQuestionOpensNothing) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"제품 A/S요청답변");
  MsgBox ask = waitMessageBox(program);
  EXPECT_EQ(ask.title, kRegiProgram);
  ask.answer(IDNO);
  Sleep(300);
  for (HWND w : topWindows(program.id())) EXPECT_NE(windowText(w), kLoginTitle);
  EXPECT_TRUE(noMessageBoxWithin(program, 100));
  EXPECT_TRUE(readUrls().empty());
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(WebLogin, SavedIdIsShownAndAnEmptyPasswordDoesNothing) {
  setSetting(kAppTitle, L"config", L"login_id", L"velto_kim");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  LoginDialog d = openLogin(program, main);
  EXPECT_EQ(windowText(d.id), L"velto_kim");
  EXPECT_EQ(editText(d.password), L"");
  EXPECT_EQ(static_cast<wchar_t>(SendMessageW(d.password, EM_GETPASSWORDCHAR, 0, 0)), L'*');
  EXPECT_FALSE(IsWindowEnabled(main)) << "the login dialog is modal";
  EXPECT_EQ(GetWindow(d.window, GW_OWNER), nullptr);

  // The id is remembered before the password is looked at.
  setText(d.id, L"velto_lee");
  click(d.button);
  EXPECT_TRUE(noMessageBoxWithin(program, 400));
  EXPECT_TRUE(IsWindowVisible(d.window));
  EXPECT_EQ(savedId(), L"velto_lee");

  // Enter in the id box is no login either.
  typeText(d.password, L"secret");
  mouseClick(d.id, MouseButton::Left);
  pressKey(d.id, VK_RETURN);
  EXPECT_TRUE(noMessageBoxWithin(program, 400));
  EXPECT_TRUE(IsWindowVisible(d.window));

  // The title bar's close ends the dialog without a login.
  PostMessageW(d.window, WM_CLOSE, 0, 0);
  waitGone(d.window);
  Sleep(200);
  EXPECT_TRUE(readUrls().empty());
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(program.running());
}

TEST_F(WebLogin, SpecialCharactersOfThePasswordAreEscapedInTheAddress) {
  setSetting(kAppTitle, L"config", L"login_id", L"kim lee");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  LoginDialog d = openLogin(program, main);
  typeText(d.password, L"a&b#c+d%e=f?g h");
  waitUntil([&] { return editText(d.password) == L"a&b#c+d%e=f?g h"; }, L"the typed password");
  click(d.button);
  MsgBox ask = waitMessageBox(program);
  expectQuestion(ask, kAppTitle, L"제품 A/S요청답변 으로 이동하시겠습니까?");
  ask.answer(IDYES);
  waitGone(d.window);
  EXPECT_EQ(waitUrls(1),
            std::vector<std::wstring>{site(doumteo::build::kPageLogin +
                                           std::wstring(L"?&id=kim%20lee&passwd=a%26b%23c%2Bd%25e%3Df%3Fg%20h"))});
  EXPECT_EQ(savedId(), L"kim lee");
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(program.running());
}

TEST_F(WebLogin, EnterInThePasswordBoxLogsInAndNoOpensNothing) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  LoginDialog d = openLogin(program, main);
  EXPECT_EQ(GetWindowTextLengthW(d.id), 0) << "no saved id";
  typeText(d.id, L"velto_park");
  typeText(d.password, L"pw1234");
  mouseClick(d.password, MouseButton::Left);  // the box takes the focus
  pressKey(d.password, VK_RETURN);
  MsgBox ask = waitMessageBox(program);
  expectQuestion(ask, kAppTitle, L"제품 A/S요청답변 으로 이동하시겠습니까?");
  ask.answer(IDNO);
  waitGone(d.window);  // closed whatever the answer
  Sleep(kNoAddressMs);
  EXPECT_TRUE(readUrls().empty());
  EXPECT_EQ(savedId(), L"velto_park");

  // Once more with Yes: the address as typed, with nothing to escape.
  d = openLogin(program, main);
  EXPECT_EQ(windowText(d.id), L"velto_park");
  EXPECT_EQ(editText(d.password), L"") << "the password is never kept";
  typeText(d.password, L"pw1234");
  mouseClick(d.password, MouseButton::Left);
  pressKey(d.password, VK_RETURN);
  waitMessageBox(program).answer(IDYES);
  waitGone(d.window);
  EXPECT_EQ(waitUrls(1), std::vector<std::wstring>{
                             site(doumteo::build::kPageLogin + std::wstring(L"?&id=velto_park&passwd=pw1234"))});
}

TEST_F(WebLogin, EnterOnTheLoginButtonPressesIt) {
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  LoginDialog d = openLogin(program, main);
  typeText(d.id, L"velto_choi");
  typeText(d.password, L"pw");
  mouseClick(d.password, MouseButton::Left);
  pressKey(d.password, VK_TAB);  // the button is next in the tab order
  for (int i = 0; i < 100 && focusWindow(program) != d.button; ++i) Sleep(20);
  ASSERT_EQ(focusWindow(program), d.button);
  pressKey(d.button, VK_RETURN);
  MsgBox ask = waitMessageBox(program);
  expectQuestion(ask, kAppTitle, L"제품 A/S요청답변 으로 이동하시겠습니까?");
  ask.answer(IDNO);
  waitGone(d.window);
  EXPECT_EQ(savedId(), L"velto_choi");
}

// Run at 96 and at 144 DPI by run-e2e.sh: login-96.png and login-144.png.
TEST_F(WebLogin, Screenshot) {
  setSetting(kAppTitle, L"config", L"login_id", L"velto_kim");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  LoginDialog d = openLogin(program, main);
  typeText(d.password, L"secret");
  waitUntil([&] { return editText(d.password) == L"secret"; }, L"the typed password");
  screenshot(d.window, L"login-" + std::to_wstring(environment().dpi));
  PostMessageW(d.window, WM_CLOSE, 0, 0);
  waitGone(d.window);
}

// ---- the database check ----------------------------------------------------

// Wine has no Jet provider, so the product database never opens here: every
// scenario meets the MDAC message of the failed open first.
class DbCheck : public WebScenario {
 protected:
  void SetUp() override {
    WebScenario::SetUp();
    deleteSettings(doumteo::build::kSharedSettings);
    deleteSettings(kRegiProgram);
    // The database folder of the product, holding no database.
    makeFolders(folder.file(L"DBS"));
    setSetting(L"BackUp", L"DB경로", L"경로", folder.file(L"DBS\\"));
  }
  void TearDown() override {
    deleteSettings(doumteo::build::kSharedSettings);
    deleteSettings(kRegiProgram);
    WebScenario::TearDown();
  }

  void expectMdacMessage(const Process& program) {
    MsgBox box = waitMessageBox(program, 35000);  // the open may take its 30-second timeout
    EXPECT_EQ(box.title, kAppTitle);
    EXPECT_EQ(box.text, L"프로그램을 구동하기 위한 필수구성요소가 설치되어있지 않습니다.(MDAC)");
    EXPECT_EQ(box.icon, Icon::None) << narrow(iconName(box.icon));
    EXPECT_EQ(box.buttonIds(), std::vector<int>{IDOK});
    box.answer(IDOK);
  }
  void expectFailureResult(const Process& program) {
    MsgBox box = waitMessageBox(program);
    EXPECT_EQ(box.title, kRegiProgram);
    EXPECT_EQ(box.text, L"DB접속테스트를 실패 하였습니다");
    EXPECT_EQ(box.icon, Icon::Information) << narrow(iconName(box.icon));
    EXPECT_EQ(box.buttonIds(), std::vector<int>{IDOK});
    box.answer(IDOK);
  }
  static std::wstring mdacQuestion(const std::wstring& version) {
    return L"MDAC(Microsoft Data Access Components)가 설치 되어 있지 않거나 버전이 낮습니다.(현재Ver:" + version +
           L")\r\n" + doumteo::build::kMdacWhere + L"에서 다운로드하여 설치하세요.\r\n지금 다운로드 하시겠습니까?";
  }
  bool checkValueWritten() const {
    return getSetting(doumteo::build::kSharedSettings, L"MDAC_Check", L"CHECK_VALUE").has_value();
  }

  RegistryValueRestorer mdacVersion{HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\DataAccess", L"FullInstallVer"};
};

TEST_F(DbCheck, NoDatabaseGivesTheMdacMessageThenTheFailure) {
  mdacVersion.set(L"2.81.1117.0");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  const ULONGLONG started = GetTickCount64();
  click(main, L"DB접속테스트");
  expectMdacMessage(program);
  std::cout << "failed database open reported after " << GetTickCount64() - started << " ms\n";
  expectFailureResult(program);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_FALSE(checkValueWritten());
  EXPECT_TRUE(readUrls().empty());
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(DbCheck, OldComponentsAskForTheDownload) {
  mdacVersion.set(L"1.5");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);

  click(main, L"DB접속테스트");
  expectMdacMessage(program);
  MsgBox ask = waitMessageBox(program);
  expectQuestion(ask, L"MDAC누락", mdacQuestion(L"1.5"));
  ask.answer(IDNO);
  expectFailureResult(program);
  Sleep(kNoAddressMs);
  EXPECT_TRUE(readUrls().empty());

  // Yes hands the download over and still ends in the failure result.
  click(main, L"DB접속테스트");
  expectMdacMessage(program);
  MsgBox again = waitMessageBox(program);
  EXPECT_EQ(again.title, L"MDAC누락");
  again.answer(IDYES);
  expectFailureResult(program);
  EXPECT_EQ(waitUrls(1), std::vector<std::wstring>{site(doumteo::build::kMdacPath)});

  // No version at all reads as 0 and shows nothing after "(현재Ver:".
  mdacVersion.remove();
  click(main, L"DB접속테스트");
  expectMdacMessage(program);
  MsgBox missing = waitMessageBox(program);
  EXPECT_EQ(missing.text, mdacQuestion(L""));
  missing.answer(IDNO);
  expectFailureResult(program);
  EXPECT_FALSE(checkValueWritten());
}

TEST_F(DbCheck, MdacSkipSuppressesTheQuestion) {
  mdacVersion.set(L"1.5");
  setSetting(kRegiProgram, L"Config", L"MDAC_SKIP", L"1");
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"DB접속테스트");
  expectMdacMessage(program);
  expectFailureResult(program);  // the database still failed
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_FALSE(checkValueWritten());
  EXPECT_TRUE(readUrls().empty());
}

}  // namespace
}  // namespace e2e
