#include <gtest/gtest.h>

#include "app/web_shortcuts.h"
#include "build_config.h"
#include "common/text.h"
#include "common/web_page.h"
#include "fakes/fakes.h"

namespace doumteo {
namespace {

const std::wstring kHost = build::kMakerHost;

class WebTest : public ::testing::Test {
 protected:
  WebTest() {
    profile.currentRegiProgram = L"제품";
    env.browser.failAt = L"";
  }
  fakes::FakeEnv env;
  Services services = env.services();
  ProductProfile profile;
};

TEST_F(WebTest, OpenWebPageUsesTheBrowserObjectInOrder) {
  OpenWebPage(services, L"www.example.test/a");
  EXPECT_EQ(env.log, (fakes::EventLog{L"browser:create", L"navigate:www.example.test/a"}));
  EXPECT_EQ(env.browser.visibleWindows, 1);
  EXPECT_TRUE(env.shell.opened.empty());
}

TEST_F(WebTest, OpenWebPageFallsBackToTheShellAfterAnyFailingStep) {
  struct Case {
    const wchar_t* failAt;
    int visible;  // the window made visible before the failure stays
  };
  for (const Case c : {Case{L"create", 0}, Case{L"Visible", 0}, Case{L"SetFocus", 1}, Case{L"Navigate", 1}}) {
    SCOPED_TRACE(c.failAt);
    fakes::FakeEnv e;
    e.browser.failAt = c.failAt;
    OpenWebPage(e.services(), L"www.example.test/b");
    ASSERT_EQ(e.shell.opened.size(), 1u);
    EXPECT_EQ(e.shell.opened[0].file, L"www.example.test/b");
    EXPECT_EQ(e.shell.opened[0].parameters, L"0");
    EXPECT_EQ(e.shell.opened[0].directory, L"0");
    EXPECT_EQ(e.browser.visibleWindows, c.visible);
    EXPECT_TRUE(e.browser.navigated.empty());
  }
}

TEST_F(WebTest, ConfirmAsksWithTheProgramTitleUnlessSkipped) {
  ConfirmAndOpenWebPage(services, L"www.example.test/c", L"갈까요?", 0);
  ASSERT_EQ(env.messages.shown.size(), 1u);
  const MessageRequest& box = env.messages.shown[0];
  EXPECT_EQ(box.text, L"갈까요?");
  EXPECT_EQ(box.title, L"도움터");
  EXPECT_EQ(box.icon, MsgIcon::Question);
  EXPECT_EQ(box.buttons, MsgButtons::YesNo);
  EXPECT_FALSE(box.defaultIsNo);
  EXPECT_EQ(env.browser.navigated, (std::vector<std::wstring>{L"www.example.test/c"}));

  ConfirmAndOpenWebPage(services, L"www.example.test/d", L"갈까요?", 1);
  EXPECT_EQ(env.messages.shown.size(), 1u);
  EXPECT_EQ(env.browser.navigated.back(), L"www.example.test/d");
}

TEST_F(WebTest, ShortcutsAskTheirQuestionAndOpenTheirAddress) {
  struct Case {
    int index;
    std::wstring address, prompt;
  };
  const Case cases[] = {
      {0, kHost + build::kPageJoin, L"회원가입으로 이동하시겠습니까?"},
      {1, kHost + build::kPageFaq, L"FAQ로 이동하시겠습니까?"},
      {2, kHost + build::kPageVideo, L"동영상으로 이동하시겠습니까?"},
      {3, kHost + build::kPageDownload, L"제품소개 다운로드로 이동하시겠습니까?"},
      {4, kHost, build::kCompany + std::wstring(L" 홈페이지로 이동하시겠습니까?")},
      {5, kHost + build::kPageSupport, L"고객센터로 이동하시겠습니까?"},
      {8, kHost + build::kPagePaper, L"용지견본주문으로 이동하시겠습니까?"},
      {9, kHost + build::kPageShop, L"하드웨어쇼핑몰로 이동하시겠습니까?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    fakes::FakeEnv yes;
    yes.browser.failAt = L"";
    btnHomePage_Click(yes.services(), profile, c.index, yes.window);
    EXPECT_EQ(yes.log, (fakes::EventLog{L"msg[question]:" + c.prompt, L"browser:create", L"navigate:" + c.address}));
    EXPECT_EQ(yes.messages.shown.at(0).title, L"도움터");

    fakes::FakeEnv no;
    no.messages.answers = {Answer::No};
    btnHomePage_Click(no.services(), profile, c.index, no.window);
    EXPECT_EQ(no.log, (fakes::EventLog{L"msg[question]:" + c.prompt}));
  }
}

TEST_F(WebTest, LoginShortcutAsksThroughTheProductTitleAndShowsTheLoginWindow) {
  const std::wstring ask = L"제품 A/S요청답변을 사용 하시려면\r\n로그인을 하셔야 합니다.\r\n\r\n로그인 하시겠습니까?";
  btnHomePage_Click(services, profile, 6, env.window);
  EXPECT_EQ(env.log, (fakes::EventLog{L"msg[question]:" + ask, L"window:login"}));
  const MessageRequest& box = env.messages.shown.at(0);
  EXPECT_EQ(box.title, L"제품");
  EXPECT_EQ(box.buttons, MsgButtons::YesNo);
  EXPECT_FALSE(box.defaultIsNo);

  env.log.clear();
  env.messages.answers = {Answer::No};
  btnHomePage_Click(services, profile, 6, env.window);
  EXPECT_EQ(env.log, (fakes::EventLog{L"msg[question]:" + ask}));
}

TEST_F(WebTest, IndexWithoutAShortcutDoesNothing) {
  for (const int index : {-1, 7, 10}) btnHomePage_Click(services, profile, index, env.window);
  EXPECT_TRUE(env.log.empty());
}

TEST_F(WebTest, RemoteHelpToolAndRemoteSupportUseFullAddresses) {
  env.browser.failAt = L"create";
  AS119_Click(services);
  OpenRemoteSupport(services);
  EXPECT_EQ(env.messages.shown.at(0).text,
            build::kRemoteTool + std::wstring(objectParticle(build::kRemoteTool)) + L" 설치 하시겠습니까?");
  EXPECT_EQ(env.messages.shown.at(1).text, L"원격지원서비스를 실행하시겠습니까?");
  ASSERT_EQ(env.shell.opened.size(), 2u);
  EXPECT_EQ(env.shell.opened[0].file, L"http://" + kHost + build::kRemoteToolPath);
  EXPECT_EQ(env.shell.opened[1].file, std::wstring(L"http://") + build::kRemoteHost + build::kRemotePath);

  env.messages.answers = {Answer::No, Answer::No};
  AS119_Click(services);
  OpenRemoteSupport(services);
  EXPECT_EQ(env.shell.opened.size(), 2u);
}

}  // namespace
}  // namespace doumteo
