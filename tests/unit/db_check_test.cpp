#include <gtest/gtest.h>

#include "app/db_check.h"
#include "build_config.h"
#include "fakes/fakes.h"
#include "support/recording_settings.h"

namespace doumteo {
namespace {

constexpr char kDataAccess[] = "Software\\Microsoft\\DataAccess";
const std::wstring kMdacMessage = L"프로그램을 구동하기 위한 필수구성요소가 설치되어있지 않습니다.(MDAC)";

std::wstring question(const std::wstring& version) {
  return L"MDAC(Microsoft Data Access Components)가 설치 되어 있지 않거나 버전이 낮습니다.(현재Ver:" + version +
         L")\r\n" + build::kMdacWhere + L"에서 다운로드하여 설치하세요.\r\n지금 다운로드 하시겠습니까?";
}

class DbCheckTest : public ::testing::Test {
 protected:
  DbCheckTest() {
    profile.backupDbPath = L"C:\\Product\\DB\\";
    profile.dbName = L"data.mdb";
    profile.dbTable = L"거래처";
    profile.currentRegiProgram = L"제품";
    env.database.failAt = L"";
    version("2.81.1117.6");
  }
  void version(const std::string& text) {
    env.registry.putText(reg::kHkeyLocalMachine, kDataAccess, "FullInstallVer", text);
  }
  std::optional<std::wstring> checkValue() const {
    return env.setting(build::kSharedSettings, L"MDAC_Check", L"CHECK_VALUE");
  }
  void click() { btnADO_Click(services, profile, state); }

  fakes::FakeEnv env;
  testsupport::RecordingSettings settings{env.settings, env.log};
  Services services = testsupport::servicesWith(env, settings);
  ProductProfile profile;
  DbState state;
};

TEST_F(DbCheckTest, WorkingDatabaseAndComponentsRecordTheSuccess) {
  click();
  EXPECT_EQ(env.log, (fakes::EventLog{L"db:create",
                                      L"save:" + std::wstring(build::kSharedSettings) + L"/MDAC_Check/CHECK_VALUE=YES",
                                      L"msg[info]:DB접속테스트를 성공 하였습니다"}));
  EXPECT_EQ(env.messages.shown.back().title, L"제품");
  EXPECT_EQ(checkValue(), L"YES");
  EXPECT_EQ(env.database.lastConnectionString,
            L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Product\\DB\\data.mdb;"
            L"Jet OLEDB:Database Password=qz4817");
  EXPECT_EQ(env.database.lastTimeout, 30);
  EXPECT_EQ(env.database.lastCursor, 3);
  EXPECT_EQ(env.database.lastSql, L"SELECT * FROM 거래처");
  // The connection stays open until the next test replaces it.
  EXPECT_EQ(env.database.live, 1);
  EXPECT_EQ(state.lastDbFile, L"C:\\Product\\DB\\data.mdb");
  EXPECT_EQ(state.lastDbTable, L"거래처");
  click();
  EXPECT_EQ(env.database.live, 1);
}

TEST_F(DbCheckTest, AnyDatabaseFailureGivesTheOneMdacMessageAndTheFailureResult) {
  for (const std::wstring step : {L"create", L"open", L"execute"}) {
    SCOPED_TRACE(step);
    env.log.clear();
    env.messages.shown.clear();
    env.database.failAt = step;
    click();
    EXPECT_EQ(env.log.back(), L"msg[info]:DB접속테스트를 실패 하였습니다");
    ASSERT_EQ(env.messages.shown.size(), 2u);
    const MessageRequest& box = env.messages.shown[0];
    EXPECT_EQ(box.text, kMdacMessage);
    EXPECT_EQ(box.title, L"도움터");
    EXPECT_EQ(box.icon, MsgIcon::None);
    EXPECT_EQ(box.buttons, MsgButtons::Ok);
    EXPECT_FALSE(checkValue().has_value());
  }
}

TEST_F(DbCheckTest, BothChecksRunInOrderWhenTheFirstFails) {
  env.database.failAt = L"open";
  version("1.5");
  env.messages.answers = {Answer::No};
  click();
  EXPECT_EQ(env.log, (fakes::EventLog{L"db:create", L"msg[none]:" + kMdacMessage, L"msg[question]:" + question(L"1.5"),
                                      L"msg[info]:DB접속테스트를 실패 하였습니다"}));
  EXPECT_TRUE(env.shell.opened.empty());
  EXPECT_FALSE(checkValue().has_value());
}

TEST_F(DbCheckTest, OldComponentsWithAWorkingDatabaseStillFail) {
  version("1.5");
  env.messages.answers = {Answer::Yes};
  click();
  EXPECT_EQ(env.log.back(), L"msg[info]:DB접속테스트를 실패 하였습니다");
  EXPECT_FALSE(checkValue().has_value());
  ASSERT_EQ(env.shell.opened.size(), 1u);
}

TEST_F(DbCheckTest, RefusedRecordIsReportedAndTheTestStillCountsAsPassed) {
  settings.failKeys = {L"CHECK_VALUE"};
  click();
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_EQ(env.messages.shown[0].text, L"Error 70 (Permission denied) in procedure btnADO_Click of Form FrmMain");
  EXPECT_EQ(env.messages.shown[1].text, L"DB접속테스트를 성공 하였습니다");
}

TEST(MdacVersionNumber, FirstThreeCharactersReadAsADecimalNumber) {
  EXPECT_DOUBLE_EQ(versionNumber(L"2.81.1117.6"), 2.8);
  EXPECT_DOUBLE_EQ(versionNumber(L"10.0.19041"), 10);
  EXPECT_DOUBLE_EQ(versionNumber(L"1.5"), 1.5);
  EXPECT_DOUBLE_EQ(versionNumber(L"1.99"), 1.9);
  EXPECT_DOUBLE_EQ(versionNumber(L"2"), 2);
  EXPECT_DOUBLE_EQ(versionNumber(L"2.x"), 2);
  EXPECT_DOUBLE_EQ(versionNumber(L"1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(versionNumber(L".5"), 0.5);
  EXPECT_DOUBLE_EQ(versionNumber(L""), 0);
  EXPECT_DOUBLE_EQ(versionNumber(L"abc"), 0);
  EXPECT_DOUBLE_EQ(versionNumber(L" 2.8"), 0);
}

class MdacTest : public DbCheckTest {
 protected:
  bool check() { return CheckMdac(services, profile); }
};

TEST_F(MdacTest, RecentComponentsPassWithoutAQuestion) {
  for (const std::string v : {"2.0", "2.81.1117.6", "10.0.19041.1"}) {
    SCOPED_TRACE(v);
    version(v);
    EXPECT_TRUE(check());
  }
  EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(MdacTest, OldComponentsAskToDownloadAndYesOpensTheAddress) {
  version("1.5");
  env.messages.answers = {Answer::Yes};
  EXPECT_FALSE(check());
  ASSERT_EQ(env.messages.shown.size(), 1u);
  const MessageRequest& box = env.messages.shown[0];
  EXPECT_EQ(box.text, question(L"1.5"));
  EXPECT_EQ(box.title, L"MDAC누락");
  EXPECT_EQ(box.icon, MsgIcon::Question);
  EXPECT_EQ(box.buttons, MsgButtons::YesNo);
  EXPECT_FALSE(box.defaultIsNo);
  ASSERT_EQ(env.shell.opened.size(), 1u);
  EXPECT_EQ(env.shell.opened[0].file, std::wstring(L"http://") + build::kMakerHost + build::kMdacPath);
  EXPECT_EQ(env.shell.opened[0].parameters, L"0");
  EXPECT_EQ(env.shell.opened[0].directory, L"0");
}

TEST_F(MdacTest, NoOpensNothing) {
  version("1.5");
  env.messages.answers = {Answer::No};
  EXPECT_FALSE(check());
  EXPECT_TRUE(env.shell.opened.empty());
}

TEST_F(MdacTest, MissingOrUnreadableVersionAsksWithNothingBetweenTheParentheses) {
  env.registry.deleteKey(reg::kHkeyLocalMachine, kDataAccess);
  env.messages.answers = {Answer::No};
  EXPECT_FALSE(check());
  version("abc");
  env.messages.answers = {Answer::No};
  EXPECT_FALSE(check());
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_EQ(env.messages.shown[0].text, question(L""));
  EXPECT_EQ(env.messages.shown[1].text, question(L"abc"));
}

TEST_F(MdacTest, SkipSettingOfTheProductPassesOnlyWhenExactlyOne) {
  version("1.5");
  env.settings.save(L"제품", L"Config", L"MDAC_SKIP", L"1");
  EXPECT_TRUE(check());
  EXPECT_TRUE(env.messages.shown.empty());
  for (const std::wstring other : {L"0", L" 1", L"11", L""}) {
    SCOPED_TRACE(other);
    env.settings.save(L"제품", L"Config", L"MDAC_SKIP", other);
    env.messages.answers = {Answer::No};
    EXPECT_FALSE(check());
  }
  EXPECT_EQ(env.messages.shown.size(), 4u);
  // Another product's skip setting does not count.
  profile.currentRegiProgram = L"다른제품";
  env.messages.answers = {Answer::No};
  env.settings.save(L"제품", L"Config", L"MDAC_SKIP", L"1");
  EXPECT_FALSE(check());
}

TEST(MdacRegistry, MachineStringFitsTheBufferOnlyWithItsTerminator) {
  fakes::FakeRegistry registry;
  registry.putText(reg::kHkeyLocalMachine, kDataAccess, "FullInstallVer", std::string(254, '7'));
  EXPECT_EQ(ReadMdacVersion(registry), std::wstring(254, L'7'));
  registry.putText(reg::kHkeyLocalMachine, kDataAccess, "FullInstallVer", std::string(255, '7'));
  EXPECT_EQ(ReadMdacVersion(registry), L"");
  EXPECT_EQ(registry.openHandles(), 0u);
}

TEST(MdacRegistry, ReadMachineStringLeavesTheRestOfTheBufferAndClosesTheKey) {
  fakes::FakeRegistry registry;
  registry.putText(reg::kHkeyLocalMachine, "Software\\X", "V", "2.8");
  std::wstring buffer(8, L' ');
  ASSERT_TRUE(ReadMachineString(registry, L"Software\\X", L"V", buffer));
  EXPECT_EQ(buffer, std::wstring(L"2.8\0    ", 8));
  EXPECT_FALSE(ReadMachineString(registry, L"Software\\X", L"Missing", buffer));
  EXPECT_FALSE(ReadMachineString(registry, L"Software\\Missing", L"V", buffer));
  // Only the machine hive is read.
  registry.putText(reg::kHkeyCurrentUser, "Software\\Y", "V", "1");
  EXPECT_FALSE(ReadMachineString(registry, L"Software\\Y", L"V", buffer));
  EXPECT_EQ(registry.openHandles(), 0u);
}

}  // namespace
}  // namespace doumteo
