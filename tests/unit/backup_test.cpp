#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "service/backup.h"
#include "support/recording_settings.h"

namespace doumteo {
namespace {

using fakes::EventLog;

const std::wstring kProgram = L"C:\\Product\\자료묶음.EXE";
const std::wstring kQuestion = L"안전한 백업을 위하여 현재 사용중인 제품 프로그램을 종료합니다.\r\n계속하시겠습니까?";

class BackupTest : public ::testing::Test {
 protected:
  BackupTest() : settings(env.settings, env.log) {
    profile.exeFile = L"Product.exe";
    profile.currentRegiProgram = L"제품";
    profile.backupDbPath = L"C:\\Product\\DBS\\";
    env.files.files[kProgram] = {"MZ"};
  }
  Services services() { return testsupport::servicesWith(env, settings); }
  void click() { btnAS_Click(services(), profile, env.window, state); }
  bool exec(std::int32_t mode, bool skipConfirm = false, const std::wstring& keepForm = L"",
            const std::wstring& dbLocation = L"") {
    return ExecBackUp(services(), profile, env.window, state, mode, skipConfirm, keepForm, dbLocation);
  }
  std::wstring reminderEvent() const { return env.log.at(0); }
  fakes::FakeEnv env;
  testsupport::RecordingSettings settings;
  ProductProfile profile;
  BackupState state;
};

TEST_F(BackupTest, FirstClickAsksWritesTheFolderStartsInAsModeAndMinimises) {
  click();
  ASSERT_EQ(env.log.size(), 5u);
  EXPECT_EQ(reminderEvent().rfind(L"msg[warn]:", 0), 0u);
  EXPECT_EQ(EventLog(env.log.begin() + 1, env.log.end()),
            (EventLog{L"msg[question]:" + kQuestion, L"save:Backup/DB경로/경로=C:\\Product\\DBS\\",
                      L"shell:" + kProgram + L"| AS|0", L"window:minimize"}));
  const auto& box = env.messages.shown[1];
  EXPECT_EQ(box.title, L"데이터 백업(AS)");
  EXPECT_EQ(box.buttons, MsgButtons::YesNo);
  EXPECT_FALSE(box.defaultIsNo);
  EXPECT_EQ(env.setting(L"BackUp", L"DB경로", L"경로"), L"C:\\Product\\DBS\\");
  EXPECT_TRUE(state.backUpStarted);
}

TEST_F(BackupTest, AfterASuccessfulStartLaterClicksShowOnlyTheReminder) {
  click();
  env.log.clear();
  click();
  click();
  ASSERT_EQ(env.log.size(), 2u);
  EXPECT_EQ(env.log[0], env.log[1]);
  EXPECT_EQ(env.log[0].rfind(L"msg[warn]:", 0), 0u);
  EXPECT_EQ(env.shell.opened.size(), 1u);
}

TEST_F(BackupTest, NoLeavesEverythingAndALaterClickAsksAgain) {
  env.messages.answers = {Answer::No};
  click();
  EXPECT_EQ(env.log.size(), 2u);  // reminder, question
  EXPECT_FALSE(env.window.minimized);
  EXPECT_FALSE(env.setting(L"Backup", L"DB경로", L"경로"));
  click();
  EXPECT_TRUE(env.window.minimized);
  EXPECT_EQ(env.messages.shown.size(), 4u);
}

TEST_F(BackupTest, EmptyLocationLeavesTheSettingAloneAndStillStarts) {
  env.settings.save(L"Backup", L"DB경로", L"경로", L"D:\\Old\\");
  profile.backupDbPath.clear();
  click();
  EXPECT_EQ(env.setting(L"Backup", L"DB경로", L"경로"), L"D:\\Old\\");
  EXPECT_EQ(env.log.end()[-2], L"shell:" + kProgram + L"| AS|0");
  EXPECT_TRUE(env.window.minimized);
}

TEST_F(BackupTest, MissingProgramNamesItsFullPathAndCanBeRetried) {
  env.files.files.clear();
  click();
  ASSERT_EQ(env.messages.shown.size(), 2u);
  const auto& box = env.messages.shown[1];
  EXPECT_EQ(box.text, L"데이터백업 프로그램을 찾을 수 없습니다.\r\n경로) " + kProgram);
  EXPECT_EQ(box.title, L"도움터");
  EXPECT_EQ(box.icon, MsgIcon::None);
  EXPECT_FALSE(env.window.minimized);
  EXPECT_FALSE(state.backUpStarted);
  env.files.files[kProgram] = {"MZ"};
  click();
  EXPECT_TRUE(env.window.minimized);
}

TEST_F(BackupTest, RunningProductShowsOnlyTheGuardMessages) {
  env.processes.processes = std::vector<std::wstring>{L"product.exe"};
  click();
  EXPECT_EQ(env.log.size(), 2u);
  EXPECT_EQ(env.log[1].rfind(L"msg[info]:", 0), 0u);
  EXPECT_FALSE(state.backUpStarted);
}

TEST_F(BackupTest, FailureIsReportedAndEndsTheCallWithoutStarting) {
  settings.failKeys = {L"경로"};
  click();
  EXPECT_EQ(env.log.back(), L"msg[none]:Error 70 (Permission denied) in procedure ExecBackUp of Module mdlBackUp");
  EXPECT_TRUE(env.shell.opened.empty());
  EXPECT_FALSE(env.window.minimized);
  EXPECT_FALSE(state.backUpStarted);

  env.log.clear();
  env.files.failLookup = {kProgram};
  EXPECT_FALSE(exec(2));
  EXPECT_EQ(env.log,
            EventLog{L"msg[none]:Error 52 (Bad file name or number) in procedure ExecBackUp of Module mdlBackUp"});
}

TEST_F(BackupTest, EachModeHasItsCaptionWordAndArgument) {
  struct Case {
    std::int32_t mode;
    const wchar_t* caption;
    const wchar_t* argument;
  };
  for (const Case c : {Case{0, L"데이터 백업(하드)", L""}, Case{1, L"데이터 백업(서버)", L" SERVERUP"},
                       Case{2, L"데이터 백업(AS)", L" AS"}, Case{3, L"데이터 백업(하드)", L" HDDAUTO"},
                       Case{4, L"데이터 백업(하드)", L""}, Case{-1, L"데이터 백업(하드)", L""}}) {
    SCOPED_TRACE(c.mode);
    state = {};
    env.messages.shown.clear();
    env.shell.opened.clear();
    EXPECT_EQ(GetModeArg(c.mode), c.argument);
    EXPECT_TRUE(exec(c.mode));
    EXPECT_EQ(env.messages.shown.at(0).title, c.caption);
    EXPECT_EQ(env.shell.opened.at(0).parameters, c.argument);
  }
}

TEST_F(BackupTest, SkipConfirmAndKeepFormAreHonoured) {
  env.window.forms = {L"FrmMain", L"FrmLogin", L"frmZoom_Image"};
  EXPECT_TRUE(exec(1, true, L"FRMMAIN", L"E:\\DB"));
  EXPECT_EQ(env.log, (EventLog{L"window:unload:FrmLogin", L"window:unload:frmZoom_Image",
                               L"save:Backup/DB경로/경로=E:\\DB", L"shell:" + kProgram + L"| SERVERUP|0"}));
  EXPECT_EQ(env.window.forms, std::vector<std::wstring>{L"FrmMain"});
}

}  // namespace
}  // namespace doumteo
