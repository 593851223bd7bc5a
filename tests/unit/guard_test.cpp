#include <gtest/gtest.h>

#include "build_config.h"
#include "common/guard.h"
#include "fakes/fakes.h"

namespace doumteo {
namespace {

const std::wstring kReminder =
    L"프로그램이 실행중 인지 확인 하여 주십시요.\r\n\r\n\r\n"
    L"먄약 프로그램 실행 중에 재설치 및 DB AS접수 , 환경설정 복원\r\n\r\n"
    L"재설치 및 DB AS접수가 완벽하게 이루어 지지 않습니다.\r\n\r\n" +
    std::wstring(build::kCompany) + L"의 모든 프로그램을 종료하여 주십시요.";
const std::wstring kRunning = build::kCompany + std::wstring(L"의 모든 프로그램을 종료하여 주십시요.");

class GuardTest : public ::testing::Test {
 protected:
  GuardTest() {
    profile.exeFile = L"Product.exe";
    profile.currentRegiProgram = L"제품";
  }
  bool run() { return IsProductRunning(env.services(), profile); }
  void running(std::vector<std::wstring> names) { env.processes.processes = std::move(names); }
  fakes::FakeEnv env;
  ProductProfile profile;
};

TEST_F(GuardTest, NothingRunningShowsTheReminderAloneAndLetsTheCommandGoOn) {
  running({L"explorer.exe", L"Product.exe.bak", L"roduct.exe"});
  EXPECT_FALSE(run());
  ASSERT_EQ(env.messages.shown.size(), 1u);
  const auto& box = env.messages.shown[0];
  EXPECT_EQ(box.text, kReminder);
  EXPECT_EQ(box.title, L"제품");
  EXPECT_EQ(box.icon, MsgIcon::Exclamation);
  EXPECT_EQ(box.buttons, MsgButtons::Ok);
}

TEST_F(GuardTest, RunningProductGetsTheSecondMessageAfterTheReminder) {
  running({L"explorer.exe", L"Product.exe", L"other.exe"});
  EXPECT_TRUE(run());
  EXPECT_EQ(env.log, (fakes::EventLog{L"msg[warn]:" + kReminder, L"msg[info]:" + kRunning}));
  EXPECT_EQ(env.messages.shown[1].title, L"제품");
  EXPECT_EQ(env.messages.shown[1].buttons, MsgButtons::Ok);
}

TEST_F(GuardTest, FirstRecordAndAnyLetterCaseMatch) {
  for (const std::wstring name : {L"Product.exe", L"PRODUCT.EXE", L"product.Exe"}) {
    SCOPED_TRACE(name);
    env.messages.shown.clear();
    running({name});
    EXPECT_TRUE(run());
    EXPECT_EQ(env.messages.shown.size(), 2u);
  }
}

TEST_F(GuardTest, ReminderIsShownOnEveryCall) {
  EXPECT_FALSE(run());
  EXPECT_FALSE(run());
  EXPECT_EQ(env.log, (fakes::EventLog{L"msg[warn]:" + kReminder, L"msg[warn]:" + kReminder}));
}

TEST_F(GuardTest, ExeFileWithoutANameMatchesNothing) {
  profile.exeFile = L".exe";
  running({L".exe", L".EXE", L"Product.exe"});
  EXPECT_FALSE(run());
  EXPECT_EQ(env.messages.shown.size(), 1u);
}

TEST_F(GuardTest, FailedOrEmptySnapshotLetsTheCommandGoOn) {
  env.processes.processes = std::nullopt;
  EXPECT_FALSE(run());
  running({});
  EXPECT_FALSE(run());
  EXPECT_EQ(env.messages.shown.size(), 2u);  // the two reminders
}

}  // namespace
}  // namespace doumteo
