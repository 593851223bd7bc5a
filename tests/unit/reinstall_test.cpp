#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "service/reinstall.h"
#include "support/recording_settings.h"

namespace doumteo {
namespace {

using fakes::EventLog;

const std::wstring kUrl = L"http://www.velto.example/setup/product.exe";
const std::wstring kQuestionTail = L"]경로내 모든 파일 삭제됨(DB제외)\r\n\r\n※ 개발자는 소스삭제 주의요함";
const std::wstring kMissingFetchPilot = L"msg[none]:자동 다운로드(FetchPilot.exe)를 찾을 수 없습니다.";

std::wstring goReInstError(const std::wstring& number, const std::wstring& description) {
  return L"msg[none]:Error " + number + L" (" + description + L") in procedure GoReInst of Module modReInst";
}

class ReinstallTest : public ::testing::Test {
 protected:
  ReinstallTest() : settings(env.settings, env.log) {
    profile.exeFile = L"Product.exe";
    profile.currentRegiProgram = L"제품";
    profile.dbFold = L"DBS";
    profile.setupFile = kUrl;
    installIn(L"C:\\Product");
  }
  void installIn(const std::wstring& folder) {
    env.files.folder = folder;
    env.files.files.clear();
    for (const auto* name : {L"SetupKeeper.exe", L"FetchPilot.exe", L"libmySQL.dll"})
      env.files.files[folder + L"\\" + name] = {"new"};
  }
  Services services() { return testsupport::servicesWith(env, settings); }
  bool go() { return GoReInst(services(), L"DBS", kUrl); }
  // The log without its message boxes.
  EventLog logWithoutMessages() const {
    EventLog out;
    for (const auto& e : env.log)
      if (e.rfind(L"msg[", 0) != 0) out.push_back(e);
    return out;
  }
  static EventLog handOver(const std::wstring& drive, const std::wstring& folder) {
    const std::wstring kit = drive + L"\\VTSoft";
    return {L"copy:" + folder + L"\\SetupKeeper.exe>" + kit + L"\\SetupKeeper.exe",
            L"copy:" + folder + L"\\FetchPilot.exe>" + kit + L"\\FetchPilot.exe",
            L"copy:" + folder + L"\\libmySQL.dll>" + kit + L"\\libmySQL.dll",
            L"save:SetupKeeper/Config/FileURL=" + kUrl,
            L"save:SetupKeeper/Config/DestAppPath=" + folder,
            L"save:SetupKeeper/Config/DBFoldName=DBS",
            L"sleep:1000",
            L"shell:" + kit + L"\\SetupKeeper.exe|0|0"};
  }
  static EventLog concat(EventLog a, const EventLog& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
  fakes::FakeEnv env;
  testsupport::RecordingSettings settings;
  ProductProfile profile;
};

TEST_F(ReinstallTest, OnDriveCTheKitIsHandedOverWithoutAQuestion) {
  for (const std::wstring folder : {L"C:\\Product", L"c:\\product"}) {
    SCOPED_TRACE(folder);
    env.log.clear();
    env.files.folders.clear();
    installIn(folder);
    EXPECT_TRUE(go());
    const std::wstring drive = folder.substr(0, 2);
    EXPECT_EQ(env.log, concat({L"chdir:" + drive + L"\\", L"mkdir:" + drive + L"\\VTSoft"}, handOver(drive, folder)));
  }
}

TEST_F(ReinstallTest, ClickClosesTheWindowAfterTheGuardAndBeforeTheHandOver) {
  btnInstall_Click(services(), profile, env.window);
  EXPECT_TRUE(env.window.closed);
  ASSERT_GE(env.log.size(), 2u);
  EXPECT_EQ(env.log[0].rfind(L"msg[warn]:프로그램이 실행중", 0), 0u);
  EXPECT_EQ(env.log[1], L"window:close");
  EXPECT_EQ(env.log.back(), L"shell:C:\\VTSoft\\SetupKeeper.exe|0|0");
  // Exactly the three reinstaller settings, beside the product profile's section.
  EXPECT_EQ(env.setting(L"SetupKeeper", L"Config", L"FileURL"), kUrl);
  EXPECT_EQ(env.setting(L"setupkeeper", L"config", L"DestAppPath"), L"C:\\Product");
  EXPECT_EQ(env.setting(L"SetupKeeper", L"Config", L"DBFoldName"), L"DBS");
  EXPECT_EQ(env.registry.dump(reg::kHkeyCurrentUser).size(), 3u);
}

TEST_F(ReinstallTest, RunningProductKeepsTheWindowOpenAndDoesNothing) {
  env.processes.processes = std::vector<std::wstring>{L"PRODUCT.EXE"};
  btnInstall_Click(services(), profile, env.window);
  EXPECT_FALSE(env.window.closed);
  EXPECT_EQ(env.messages.shown.size(), 2u);
  EXPECT_EQ(env.log.size(), 2u);
  EXPECT_TRUE(env.registry.dump(reg::kHkeyCurrentUser).empty());
}

TEST_F(ReinstallTest, OtherDriveAsksWithTheFolderAndNoAsDefault) {
  installIn(L"D:\\Work\\Product");
  env.messages.answers = {Answer::Yes};
  EXPECT_TRUE(go());
  ASSERT_EQ(env.messages.shown.size(), 1u);
  const auto& box = env.messages.shown[0];
  EXPECT_EQ(box.text, L"정말 재설치 하시겠습니까?\r\n[D:\\Work\\Product" + kQuestionTail);
  EXPECT_EQ(box.title, L"도움터");
  EXPECT_EQ(box.icon, MsgIcon::Question);
  EXPECT_EQ(box.buttons, MsgButtons::YesNo);
  EXPECT_TRUE(box.defaultIsNo);
  EXPECT_EQ(logWithoutMessages(), concat({L"chdir:D:\\", L"mkdir:D:\\VTSoft"}, handOver(L"D:", L"D:\\Work\\Product")));
}

TEST_F(ReinstallTest, NoOnOtherDriveCopiesAndWritesNothingButTheProgramStillEnds) {
  installIn(L"D:\\Work\\Product");
  btnInstall_Click(services(), profile, env.window);  // Enter answers the default, No
  EXPECT_TRUE(env.window.closed);
  EXPECT_EQ(logWithoutMessages(), EventLog{L"window:close"});
  EXPECT_EQ(env.messages.shown.size(), 2u);  // reminder and question
}

TEST_F(ReinstallTest, FailingQuestionCountsAsNo) {
  installIn(L"D:\\Product");
  env.messages.onShow = [](const MessageRequest& r) {
    if (r.buttons == MsgButtons::YesNo) throw Failure(7, L"Out of memory");
  };
  EXPECT_FALSE(go());
  EXPECT_EQ(env.log.back(), goReInstError(L"7", L"Out of memory"));
  EXPECT_TRUE(logWithoutMessages().empty());
}

TEST_F(ReinstallTest, MissingKitFileStopsAtItsOwnMessage) {
  const std::wstring messages[] = {L"재설치관리자(SetupKeeper.exe)를 찾을 수 없습니다.",
                                   L"자동 다운로드(FetchPilot.exe)를 찾을 수 없습니다.",
                                   L"DB라이브러리(libmySQL.dll)를 찾을 수 없습니다."};
  const std::wstring names[] = {L"SetupKeeper.exe", L"FetchPilot.exe", L"libmySQL.dll"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i]);
    installIn(L"C:\\Product");
    env.log.clear();
    env.messages.shown.clear();
    env.files.files.erase(L"C:\\Product\\" + names[i]);
    // A later file must not even be looked up: its lookup would report an error.
    env.files.failLookup = {L"C:\\Product\\libmySQL.dll"};
    if (i == 2) env.files.failLookup.clear();
    EXPECT_FALSE(go());
    EXPECT_EQ(env.log, EventLog{L"msg[none]:" + messages[i]});
    EXPECT_EQ(env.messages.shown[0].title, L"도움터");
  }
}

TEST_F(ReinstallTest, FailingKitFileLookupReportsAndCountsAsMissing) {
  env.files.failLookup = {L"C:\\Product\\FetchPilot.exe"};
  EXPECT_FALSE(go());
  EXPECT_EQ(env.log, (EventLog{goReInstError(L"52", L"Bad file name or number"), kMissingFetchPilot}));
}

TEST_F(ReinstallTest, ExistingKitFolderIsReusedAndOlderFilesReplaced) {
  env.files.folders = {L"C:\\VTSoft"};
  env.files.files[L"C:\\VTSoft\\SetupKeeper.exe"] = {"old"};
  env.files.files[L"C:\\VTSoft\\libmySQL.dll"] = {"old"};
  EXPECT_TRUE(go());
  EXPECT_EQ(env.log, handOver(L"C:", L"C:\\Product"));
  for (const auto* name : {L"SetupKeeper.exe", L"FetchPilot.exe", L"libmySQL.dll"})
    EXPECT_EQ(env.files.files[std::wstring(L"C:\\VTSoft\\") + name].content, "new") << name;
}

TEST_F(ReinstallTest, FailingKitFolderLookupLeadsToTheCreation) {
  // The folder is there but cannot be looked up: creating it fails as well,
  // and the hand-over still goes on.
  env.files.folders = {L"C:\\VTSoft"};
  env.files.failLookup = {L"C:\\VTSoft"};
  EXPECT_TRUE(go());
  EXPECT_EQ(env.log, concat({goReInstError(L"52", L"Bad file name or number"), L"chdir:C:\\",
                             goReInstError(L"75", L"Path/File access error")},
                            handOver(L"C:", L"C:\\Product")));
}

TEST_F(ReinstallTest, LockedKitFileIsReportedAndTheRestStillHappens) {
  env.files.folders = {L"C:\\VTSoft"};
  env.files.locked = {L"C:\\VTSoft\\SetupKeeper.exe"};
  EXPECT_TRUE(go());
  EventLog expected = handOver(L"C:", L"C:\\Product");
  expected[0] = goReInstError(L"70", L"Permission denied");
  EXPECT_EQ(env.log, expected);
}

TEST_F(ReinstallTest, SettingThatCannotBeWrittenIsReportedAndTheNextOnesFollow) {
  env.files.folders = {L"C:\\VTSoft"};
  settings.failKeys = {L"DestAppPath"};
  EXPECT_TRUE(go());
  EventLog expected = handOver(L"C:", L"C:\\Product");
  expected.insert(expected.begin() + 5, goReInstError(L"70", L"Permission denied"));
  EXPECT_EQ(env.log, expected);
  EXPECT_FALSE(env.setting(L"SetupKeeper", L"Config", L"DestAppPath"));
  EXPECT_EQ(env.setting(L"SetupKeeper", L"Config", L"DBFoldName"), L"DBS");
}

TEST_F(ReinstallTest, HandlerReportsItsOwnFailureUnderItsOwnName) {
  env.messages.onShow = [](const MessageRequest& r) {
    if (r.icon == MsgIcon::Exclamation) throw Failure(5, L"Invalid procedure call or argument");
  };
  btnInstall_Click(services(), profile, env.window);
  EXPECT_FALSE(env.window.closed);
  EXPECT_EQ(env.log.back(),
            L"msg[none]:Error 5 (Invalid procedure call or argument) in procedure btnInstall_Click of frmMain");
}

}  // namespace
}  // namespace doumteo
