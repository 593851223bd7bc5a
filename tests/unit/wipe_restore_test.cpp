#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "platform/ansi.h"
#include "registry/restore.h"
#include "registry/wipe.h"
#include "support/backup_encoder.h"

namespace doumteo {
namespace {

using fakes::FakeEnv;

constexpr char kArea[] = "Software\\VB and VBA Program Settings";
constexpr int kLeft = 1, kRight = 2, kShift = 1, kCtrl = 2, kAlt = 4;

const std::wstring kFullQuestion =
    L"이 부분은 벨토 장부의 전체 레지스트리를 삭제 합니다.\r\n\r\n"
    L"개발자 및 상담원들도 주의 하여 삭제 하여 주십시요.     \r\n\r\n"
    L"삭제하시겠습니까?";
const std::wstring kSelectiveQuestion =
    L"레지스트리의 값을 함부로 삭제 하시면     \r\n\r\n"
    L"프로그램이 실행안 될 수도 있습니다.     \r\n\r\n"
    L"저희 상담원과 상의후 필요시에만  삭제를 하여 주십시요.     \r\n\r\n"
    L"삭제하시겠습니까?";

class WipeTest : public ::testing::Test {
 protected:
  WipeTest() {
    profile.programName = L"벨토 장부";
    profile.regiProgram = L"VeltoBook";
    profile.currentRegiProgram = L"벨토장부";
    profile.dbPath = L"DB;Path";
    put("VeltoBook\\DB", "Path", "C:\\data");
    put("VeltoBook\\DB", "Other", "x");
    put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "1");
    put(toAnsi(L"VeltoBook\\환경설정"), "Keep", "2");
    put("Neighbour\\S", "N", "V");
  }
  // A registry and message boxes of their own for one more case.
  void reset() { envPtr = std::make_unique<FakeEnv>(); }
  void put(const std::string& path, const std::string& name, const std::string& text) {
    env().registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\" + path, name, text);
  }
  void press(int button, int shift) { btnReDelDB_MouseDown(env().services(), profile, button, shift); }
  std::vector<std::string> registry() const { return envPtr->registry.dump(reg::kHkeyCurrentUser); }
  bool has(const std::wstring& app, const std::wstring& section, const std::wstring& key) const {
    return envPtr->setting(app, section, key).has_value();
  }
  FakeEnv& env() { return *envPtr; }
  std::vector<MessageRequest>& shown() { return envPtr->messages.shown; }
  void answer(std::initializer_list<Answer> a) { envPtr->messages.answers = a; }

  std::unique_ptr<FakeEnv> envPtr = std::make_unique<FakeEnv>();
  ProductProfile profile;
};

TEST_F(WipeTest, ShiftLeftAnsweredYesRemovesTheWholeArea) {
  answer({Answer::Yes});
  press(kLeft, kShift);
  ASSERT_EQ(shown().size(), 2u);
  const auto& ask = shown()[0];
  EXPECT_EQ(ask.text, kFullQuestion);
  EXPECT_EQ(ask.title, L"벨토장부");
  EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
  EXPECT_TRUE(ask.defaultIsNo);
  const auto& done = shown()[1];
  EXPECT_EQ(done.text, L"벨토장부의 전체레지스트리가 삭제 되었습니다");
  EXPECT_EQ(done.icon, MsgIcon::Information);
  EXPECT_EQ(done.title, L"벨토장부");
  EXPECT_FALSE(env().registry.keyExists(reg::kHkeyCurrentUser, std::string(kArea) + "\\VeltoBook"));
  EXPECT_TRUE(has(L"Neighbour", L"S", L"N"));
}

TEST_F(WipeTest, ConfirmationsAnsweredNoOrByDefaultChangeNothing) {
  const auto before = registry();
  for (int shift : {kShift, 0}) {
    shown().clear();
    answer({Answer::No});
    press(kLeft, shift);
    EXPECT_EQ(shown().size(), 1u);
    shown().clear();
    press(kLeft, shift);  // Enter takes the default, No
    EXPECT_EQ(shown().size(), 1u);
  }
  EXPECT_EQ(registry(), before);
}

TEST_F(WipeTest, ShiftWithAnotherButtonDoesNothing) {
  const auto before = registry();
  press(kRight, kShift);
  press(4, kShift);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(registry(), before);
}

TEST_F(WipeTest, EveryOtherPressWipesTheDatabaseLocationAndCsType) {
  for (auto [button, shift] :
       {std::pair{kLeft, 0}, {kRight, 0}, {kLeft, kCtrl | kShift}, {kRight, kShift | kAlt}, {kLeft, kCtrl}}) {
    reset();
    put("VeltoBook\\DB", "Path", "C:\\data");
    put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "1");
    shown().clear();
    answer({Answer::Yes});
    press(button, shift);
    ASSERT_EQ(shown().size(), 2u) << button << "/" << shift;
    EXPECT_EQ(shown()[0].text, kSelectiveQuestion);
    EXPECT_TRUE(shown()[0].defaultIsNo);
    EXPECT_EQ(shown()[1].text, L"삭제되었습니다.");
    EXPECT_FALSE(has(L"VeltoBook", L"DB", L"Path"));
    EXPECT_FALSE(has(L"VeltoBook", L"환경설정", L"CSType"));
  }
}

TEST_F(WipeTest, SelectiveWipeTakesSectionAndValueFromDbPath) {
  struct Case {
    const wchar_t* dbPath;
    std::vector<std::string> gone;  // "section\\value"
  };
  for (const Case& c : {Case{L"DB;Path", {"DB\\Path"}}, Case{L"A;B;C", {"A\\B"}}, Case{L"A", {}}, Case{L"", {}},
                        Case{L"DB;Missing", {}}}) {
    reset();
    for (const char* p : {"DB\\Path", "DB\\Other", "A\\B", "A\\C"}) {
      const std::string s(p);
      put("VeltoBook\\" + s.substr(0, s.find('\\')), s.substr(s.find('\\') + 1), "v");
    }
    put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "1");
    put(toAnsi(L"VeltoBook\\환경설정"), "Keep", "2");
    shown().clear();
    answer({Answer::Yes});
    profile.dbPath = c.dbPath;
    press(kLeft, 0);
    ASSERT_EQ(shown().size(), 2u);
    EXPECT_EQ(shown()[1].text, L"삭제되었습니다.");
    for (const char* p : {"DB\\Path", "DB\\Other", "A\\B", "A\\C"}) {
      const std::wstring s = fromAnsi(p);
      const bool expectedGone = std::find(c.gone.begin(), c.gone.end(), p) != c.gone.end();
      EXPECT_EQ(has(L"VeltoBook", s.substr(0, s.find(L'\\')), s.substr(s.find(L'\\') + 1)), !expectedGone)
          << c.dbPath << " " << p;
    }
    EXPECT_FALSE(has(L"VeltoBook", L"환경설정", L"CSType"));
    EXPECT_TRUE(has(L"VeltoBook", L"환경설정", L"Keep"));
  }
}

TEST_F(WipeTest, MissingSettingsStillEndWithTheCompletionMessage) {
  reset();
  answer({Answer::Yes, Answer::Yes});
  press(kLeft, 0);
  press(kLeft, kShift);
  ASSERT_EQ(shown().size(), 4u);
  EXPECT_EQ(shown()[1].text, L"삭제되었습니다.");
  EXPECT_EQ(shown()[3].text, L"벨토장부의 전체레지스트리가 삭제 되었습니다");
}

// Records the deletes asked of the settings store before passing them on.
class DeleteRecorder final : public SettingsStore {
 public:
  explicit DeleteRecorder(SettingsStore& inner) : inner_(inner) {}
  std::wstring get(const std::wstring& a, const std::wstring& s, const std::wstring& k,
                   const std::wstring& d) override {
    return inner_.get(a, s, k, d);
  }
  void save(const std::wstring& a, const std::wstring& s, const std::wstring& k, const std::wstring& v) override {
    inner_.save(a, s, k, v);
  }
  void deleteSetting(const std::wstring& a, const std::wstring& s, const std::wstring& k) override {
    asked.push_back(a + L"/" + s + L"/" + k);
    inner_.deleteSetting(a, s, k);
  }
  void deleteApp(const std::wstring& a) override {
    asked.push_back(a);
    inner_.deleteApp(a);
  }
  std::vector<std::wstring> asked;

 private:
  SettingsStore& inner_;
};

TEST_F(WipeTest, WithoutAProductNameNothingIsDeleted) {
  // Settings stored under an empty application name would sit at the root.
  put("DB", "Path", "root");
  put(toAnsi(L"환경설정"), "CSType", "root");
  const auto before = registry();
  DeleteRecorder store(env().settings);
  const Services base = env().services();
  const Services s{base.messages, base.registry, store,        base.shell,   base.processes,
                   base.files,    base.clock,    base.browser, base.database};
  for (const wchar_t* name : {L"", L"\\", L".."}) {
    profile.regiProgram = name;
    shown().clear();
    answer({Answer::Yes, Answer::Yes});
    btnReDelDB_MouseDown(s, profile, kLeft, kShift);
    btnReDelDB_MouseDown(s, profile, kLeft, 0);
    ASSERT_EQ(shown().size(), 4u);
    EXPECT_EQ(shown()[1].text, L"벨토장부의 전체레지스트리가 삭제 되었습니다");
    EXPECT_EQ(shown()[3].text, L"삭제되었습니다.");
  }
  EXPECT_TRUE(store.asked.empty());
  EXPECT_EQ(registry(), before);
}

// ---- restore ---------------------------------------------------------------

class RestoreTest : public ::testing::Test {
 protected:
  RestoreTest() {
    profile.currentRegiProgram = L"벨토장부";
    profile.exeFile = L"VeltoBook.exe";
    env.files.folder = L"C:\\Prog";
  }
  void click(const std::wstring& text) { btnRegBackup_Click(env.services(), profile, text); }
  std::vector<std::wstring> texts() const {
    std::vector<std::wstring> out;
    for (const auto& m : env.messages.shown) out.push_back(m.text);
    return out;
  }

  FakeEnv env;
  ProductProfile profile;
};

const std::wstring kRestored = L"환경설정 복원이 완료되었습니다.   ";

TEST_F(RestoreTest, EmptyListSaysThereIsNoFile) {
  click(L"");
  ASSERT_EQ(env.messages.shown.size(), 1u);
  EXPECT_EQ(env.messages.shown[0].text, L"환경설정을 복원할 파일이 없습니다.  ");
  EXPECT_EQ(env.messages.shown[0].icon, MsgIcon::Information);
  EXPECT_EQ(env.messages.shown[0].title, L"벨토장부");
}

TEST_F(RestoreTest, RestoresTheChosenFileFromTheBackupFolder) {
  env.files.files[L"C:\\Prog\\DBS\\환경설정_1.mdb"].content =
      testing::backupFile(L"h", {{L"&", L"VeltoBook"}, {L"#", L"환경설정"}, {L"CSType", L"2"}});
  click(L"환경설정_1.mdb");
  EXPECT_EQ(env.setting(L"VeltoBook", L"환경설정", L"CSType"), L"2");
  ASSERT_EQ(env.messages.shown.size(), 2u);  // the guard's reminder, then completion
  EXPECT_EQ(env.messages.shown[1].text, kRestored);
  EXPECT_EQ(env.messages.shown[1].icon, MsgIcon::Information);
}

TEST_F(RestoreTest, ErrorsComeBeforeTheCompletionMessage) {
  click(L"없는파일.mdb");
  const auto t = texts();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[1], L"Error 53: File not foundin procedure RegLogRead of Module modRegedit");
  EXPECT_EQ(t[3], kRestored);
}

TEST_F(RestoreTest, NothingIsRestoredWhileTheProductRuns) {
  env.files.files[L"C:\\Prog\\DBS\\환경설정_1.mdb"].content =
      testing::backupFile(L"h", {{L"&", L"VeltoBook"}, {L"#", L"S"}, {L"N", L"V"}});
  env.processes.processes = std::vector<std::wstring>{L"explorer.exe", L"VELTOBOOK.EXE"};
  click(L"환경설정_1.mdb");
  EXPECT_FALSE(env.setting(L"VeltoBook", L"S", L"N"));
  const auto t = texts();
  ASSERT_EQ(t.size(), 2u);  // the guard's two messages only
  EXPECT_NE(t.back(), kRestored);
}

}  // namespace
}  // namespace doumteo
