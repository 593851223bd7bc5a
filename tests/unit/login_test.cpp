#include <gtest/gtest.h>

#include "build_config.h"
#include "fakes/fakes.h"
#include "support/recording_settings.h"
#include "web/login.h"

namespace doumteo {
namespace {

const std::wstring kPage = std::wstring(L"http://") + build::kMakerHost + build::kPageLogin;
const std::wstring kQuestion = L"제품 A/S요청답변 으로 이동하시겠습니까?";

class LoginTest : public ::testing::Test {
 protected:
  LoginTest() { env.browser.failAt = L"create"; }
  std::optional<std::wstring> savedId() const { return env.setting(L"도움터", L"config", L"login_id"); }
  bool login(const std::wstring& id, const std::wstring& pw) { return btnWebLogin_Click(services, id, pw); }
  std::wstring openedAddress() const { return env.shell.opened.at(0).file; }

  fakes::FakeEnv env;
  testsupport::RecordingSettings settings{env.settings, env.log};
  Services services = testsupport::servicesWith(env, settings);
};

TEST_F(LoginTest, LoadFillsTheSavedIdOrNothing) {
  EXPECT_EQ(FrmLogin_Load(services), L"");
  env.settings.save(L"도움터", L"config", L"login_id", L"hong");
  EXPECT_EQ(FrmLogin_Load(services), L"hong");
}

TEST_F(LoginTest, SavesTheIdThenAsksAndOpensTheLoginPage) {
  EXPECT_TRUE(login(L"hong", L"pw123"));
  EXPECT_EQ(env.log.at(0), L"save:도움터/config/login_id=hong");
  EXPECT_EQ(env.log.at(1), L"msg[question]:" + kQuestion);
  EXPECT_EQ(env.messages.shown.at(0).title, L"도움터");
  EXPECT_EQ(openedAddress(), kPage + L"?&id=hong&passwd=pw123");
  EXPECT_EQ(savedId(), L"hong");
  EXPECT_EQ(FrmLogin_Load(services), L"hong");
}

TEST_F(LoginTest, FieldBreakingAndControlCharactersAreEscapedOthersKept) {
  EXPECT_TRUE(login(L"a b=c?d",
                    L"p&w#1+2%3\t\x7F"
                    L"끝!*/"));
  EXPECT_EQ(openedAddress(), kPage + L"?&id=a%20b%3Dc%3Fd&passwd=p%26w%231%2B2%253%09%7F끝!*/");
  // The id is saved as typed, not escaped.
  EXPECT_EQ(savedId(), L"a b=c?d");
}

TEST_F(LoginTest, KoreanIdStaysAsTyped) {
  EXPECT_TRUE(login(L"홍길동", L"비밀"));
  EXPECT_EQ(openedAddress(), kPage + L"?&id=홍길동&passwd=비밀");
}

TEST_F(LoginTest, EmptyBoxStoresTheIdAndKeepsTheDialogOpen) {
  EXPECT_FALSE(login(L"hong", L""));
  EXPECT_EQ(env.log, (fakes::EventLog{L"save:도움터/config/login_id=hong"}));
  EXPECT_FALSE(login(L"", L"pw"));
  EXPECT_EQ(savedId(), L"");
  EXPECT_TRUE(env.messages.shown.empty());
  EXPECT_TRUE(env.shell.opened.empty());
}

TEST_F(LoginTest, NoClosesTheDialogWithoutOpening) {
  env.messages.answers = {Answer::No};
  EXPECT_TRUE(login(L"hong", L"pw"));
  EXPECT_TRUE(env.shell.opened.empty());
  EXPECT_EQ(savedId(), L"hong");
}

TEST_F(LoginTest, RefusedSaveIsReportedAndTheLoginGoesOn) {
  settings.failKeys = {L"login_id"};
  EXPECT_TRUE(login(L"hong", L"pw"));
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_EQ(env.messages.shown[0].text,
            L"Error 70 (Permission denied) in procedure btnWebLogin_Click of Form FrmLogin");
  EXPECT_EQ(env.messages.shown[0].icon, MsgIcon::None);
  EXPECT_EQ(env.messages.shown[0].title, L"도움터");
  EXPECT_EQ(env.messages.shown[1].text, kQuestion);
  EXPECT_EQ(env.shell.opened.size(), 1u);
}

TEST_F(LoginTest, EnterInThePasswordBoxActsAsTheButton) {
  EXPECT_FALSE(txtPW_KeyPress(services, L"hong", L"pw", 'a'));
  EXPECT_TRUE(env.log.empty());
  EXPECT_TRUE(txtPW_KeyPress(services, L"hong", L"pw", 13));
  EXPECT_EQ(openedAddress(), kPage + L"?&id=hong&passwd=pw");
  EXPECT_FALSE(txtPW_KeyPress(services, L"hong", L"", 13));
}

}  // namespace
}  // namespace doumteo
