#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "service/self_reinstall.h"

namespace doumteo {
namespace {

using fakes::EventLog;

const std::wstring kReinstaller = L"C:\\Product\\도움터재설치.exe";

TEST(SelfReinstall, StartsTheReinstallerThenClosesWithoutGuardOrQuestion) {
  fakes::FakeEnv env;
  env.files.files[kReinstaller] = {"MZ"};
  env.processes.processes = std::vector<std::wstring>{L"Product.exe"};  // no guard: still goes on
  DoumteoUp_Click(env.services(), env.window);
  EXPECT_EQ(env.log, (EventLog{L"shell:" + kReinstaller + L"|0|0", L"window:close"}));
}

TEST(SelfReinstall, MissingReinstallerIsReportedAndTheWindowStays) {
  fakes::FakeEnv env;
  DoumteoUp_Click(env.services(), env.window);
  EXPECT_EQ(env.log, EventLog{L"msg[none]:도움터(도움터재설치.exe)를 찾을 수 없습니다."});
  EXPECT_EQ(env.messages.shown.at(0).title, L"도움터");
  EXPECT_FALSE(env.window.closed);
}

TEST(SelfReinstall, FailingLookupIsReportedInsteadOfEndingTheProgram) {
  fakes::FakeEnv env;
  env.files.failLookup = {kReinstaller};
  DoumteoUp_Click(env.services(), env.window);
  EXPECT_EQ(env.log, EventLog{L"msg[none]:Error 52 (Bad file name or number) in procedure DoumteoUp_Click of frmMain"});
  EXPECT_FALSE(env.window.closed);
}

}  // namespace
}  // namespace doumteo
