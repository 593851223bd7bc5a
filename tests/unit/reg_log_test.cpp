#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "platform/ansi.h"
#include "registry/reg_log.h"
#include "support/backup_encoder.h"

namespace doumteo {
namespace {

using fakes::FakeEnv;

constexpr char kArea[] = "Software\\VB and VBA Program Settings";
const std::wstring kFile = L"C:\\Product\\DBS\\환경설정_20240101_1230.mdb";

std::string encode(const std::wstring& settingsText) {
  return testing::asciiBytes(testing::radix64Encode(testing::hexEncode(settingsText)));
}

std::wstring errorMessage(const std::wstring& numberAndText) {
  return L"Error " + numberAndText + L"in procedure RegLogRead of Module modRegedit";
}

// Records the key creations and value writes that reach the registry.
class CountingRegistry final : public RegistryApi {
 public:
  explicit CountingRegistry(RegistryApi& inner) : inner_(inner) {}
  long openKey(RegHandle r, const std::string& p, std::uint32_t a, RegHandle& out) override {
    return inner_.openKey(r, p, a, out);
  }
  long createKey(RegHandle r, const std::string& p, RegHandle& out) override {
    created.push_back(p);
    return inner_.createKey(r, p, out);
  }
  long closeKey(RegHandle k) override { return inner_.closeKey(k); }
  long queryValue(RegHandle k, const std::optional<std::string>& n, std::uint32_t* t, std::uint8_t* d,
                  std::uint32_t* s) override {
    return inner_.queryValue(k, n, t, d, s);
  }
  long setValue(RegHandle k, const std::optional<std::string>& n, std::uint32_t t, const std::uint8_t* d,
                std::uint32_t s) override {
    written.push_back(n.value_or(""));
    return inner_.setValue(k, n, t, d, s);
  }
  long enumKey(RegHandle k, std::uint32_t i, char* b, std::uint32_t bs) override { return inner_.enumKey(k, i, b, bs); }
  long enumValue(RegHandle k, std::uint32_t i, char* b, std::uint32_t& l) override {
    return inner_.enumValue(k, i, b, l);
  }
  long deleteValue(RegHandle k, const std::optional<std::string>& n) override { return inner_.deleteValue(k, n); }
  long deleteKey(RegHandle r, const std::string& p) override { return inner_.deleteKey(r, p); }
  std::vector<std::string> created;
  std::vector<std::string> written;  // value names

 private:
  RegistryApi& inner_;
};

class RegLogReadTest : public ::testing::Test {
 protected:
  // Stores a backup file whose settings text is the given lines joined by
  // CR LF (the first is the header).
  void backup(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? L"\r\n" : L"") + lines[i];
    env.files.files[kFile].content = encode(text) + "\r\nignored second line\r\n";
  }
  bool run() {
    const Services s = env.services();
    return RegLogRead({s.messages, counting, s.settings, s.shell, s.processes, s.files, s.clock, s.browser, s.database},
                      kFile);
  }
  std::vector<std::wstring> texts() const {
    std::vector<std::wstring> out;
    for (const auto& m : env.messages.shown) out.push_back(m.text);
    return out;
  }
  std::optional<std::wstring> setting(const std::wstring& a, const std::wstring& s, const std::wstring& k) {
    return env.setting(a, s, k);
  }
  std::vector<std::string> everything() const { return env.registry.dump(reg::kHkeyCurrentUser); }

  FakeEnv env;
  CountingRegistry counting{env.registry};
};

TEST_F(RegLogReadTest, HeaderOnlyWritesNothing) {
  backup({L"header"});
  EXPECT_TRUE(run());
  EXPECT_TRUE(everything().empty());
  EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(RegLogReadTest, WritesSettingsAsTextUnderApplicationAndSection) {
  backup({L"header", L"&\t제품", L"#\t환경설정", L"경로\tC:\\데이터\\db.mdb", L"빈값\t", L"셋\t값\t버림", L"",
          L"#\tOTHER", L"N3\tV3", L"&\tSECOND", L"#\tS", L"N\tV"});
  EXPECT_TRUE(run());
  EXPECT_TRUE(env.messages.shown.empty());
  EXPECT_EQ(setting(L"제품", L"환경설정", L"경로"), L"C:\\데이터\\db.mdb");
  EXPECT_EQ(setting(L"제품", L"환경설정", L"빈값"), L"");
  EXPECT_EQ(setting(L"제품", L"환경설정", L"셋"), L"값");
  EXPECT_EQ(setting(L"제품", L"OTHER", L"N3"), L"V3");
  EXPECT_EQ(setting(L"SECOND", L"S", L"N"), L"V");
  // The empty value is a text of its own: one NUL byte of REG_SZ.
  const auto* empty = env.registry.value(
      reg::kHkeyCurrentUser, std::string(kArea) + "\\" + toAnsi(L"제품") + "\\" + toAnsi(L"환경설정"), toAnsi(L"빈값"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->type, reg::kSz);
  EXPECT_EQ(empty->data, std::vector<std::uint8_t>{0});
  EXPECT_EQ(everything().size(), 5u);
}

TEST_F(RegLogReadTest, OverwritesNamedSettingsAndLeavesTheOthers) {
  env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\A\\S", "N", "old");
  env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\A\\S", "Keep", "kept");
  env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\Other\\S", "N", "other");
  backup({L"h", L"&\tA", L"#\tS", L"N\tnew"});
  EXPECT_TRUE(run());
  EXPECT_EQ(setting(L"A", L"S", L"N"), L"new");
  EXPECT_EQ(setting(L"A", L"S", L"Keep"), L"kept");
  EXPECT_EQ(setting(L"Other", L"S", L"N"), L"other");
}

// Only a field 0 of exactly "&" or "#" changes the current names; a setting
// may be called "#N" or "&N".
TEST_F(RegLogReadTest, NamesBeginningWithTheRecordMarksAreSettings) {
  backup({L"h", L"&\tA", L"#\tS", L"#N\tV", L"&N\tW", L"N\tX"});
  EXPECT_TRUE(run());
  EXPECT_TRUE(env.messages.shown.empty());
  EXPECT_EQ(setting(L"A", L"S", L"#N"), L"V");
  EXPECT_EQ(setting(L"A", L"S", L"&N"), L"W");
  EXPECT_EQ(setting(L"A", L"S", L"N"), L"X");
  EXPECT_EQ(counting.created, std::vector<std::string>{std::string(kArea) + "\\A\\S"});
}

TEST_F(RegLogReadTest, SecondSectionRecordCreatesNothingNew) {
  backup({L"h", L"&\tA", L"#\tS", L"N\t1", L"#\tS", L"M\t2"});
  EXPECT_TRUE(run());
  EXPECT_EQ(counting.created, std::vector<std::string>{std::string(kArea) + "\\A\\S"});
  EXPECT_EQ(setting(L"A", L"S", L"N"), L"1");
  EXPECT_EQ(setting(L"A", L"S", L"M"), L"2");
  EXPECT_EQ(env.registry.openHandles(), 0u);
}

TEST_F(RegLogReadTest, MissingFileReportsOpenAndReadThenSucceeds) {
  EXPECT_TRUE(run());
  EXPECT_EQ(texts(), (std::vector<std::wstring>{errorMessage(L"53: File not found"),
                                                errorMessage(L"52: Bad file name or number")}));
  for (const auto& m : env.messages.shown) {
    EXPECT_EQ(m.title, L"도움터");
    EXPECT_EQ(m.buttons, MsgButtons::Ok);
    EXPECT_EQ(m.icon, MsgIcon::None);
  }
  EXPECT_TRUE(everything().empty());
}

// The file opened, so only the read's own failure is shown: no "bad file
// number" for a file that was never opened.
TEST_F(RegLogReadTest, ReadFailingAfterTheOpenGivesItsMessageOnly) {
  env.files.files[kFile].content = std::string(FileSystemPort::kMaxLine + 1, 'A');
  EXPECT_TRUE(run());
  EXPECT_EQ(texts(), std::vector<std::wstring>{errorMessage(L"6: Overflow")});
  EXPECT_TRUE(everything().empty());
}

TEST_F(RegLogReadTest, UndecodableLineGivesOneMessageAndRestoresNothing) {
  const std::string good = encode(L"h\r\n&\tA\r\n#\tS\r\nN\tV");
  env.files.files[kFile].content = good.substr(0, 8) + " " + good.substr(8);
  EXPECT_TRUE(run());
  EXPECT_EQ(texts(), std::vector<std::wstring>{errorMessage(L"6: Overflow")});
  EXPECT_TRUE(everything().empty());
}

TEST_F(RegLogReadTest, RecordsWithoutTabReportEachStepAndKeepTheCurrentNames) {
  backup({L"h", L"&\tA", L"#\tS", L"&", L"N\t1", L"#", L"M\t2", L"lonely", L"L\t3"});
  EXPECT_TRUE(run());
  const std::wstring subscript = errorMessage(L"9: Subscript out of range");
  // One for "&", three for "#" (existence test, creation, section name), one for the setting.
  EXPECT_EQ(texts(), std::vector<std::wstring>(5, subscript));
  EXPECT_EQ(setting(L"A", L"S", L"N"), L"1");
  EXPECT_EQ(setting(L"A", L"S", L"M"), L"2");
  EXPECT_EQ(setting(L"A", L"S", L"L"), L"3");
  EXPECT_EQ(everything().size(), 3u);
}

TEST_F(RegLogReadTest, LongSettingsTextIsRestoredInFull) {
  std::vector<std::wstring> lines{L"h", L"&\tA", L"#\tS"};
  std::size_t length = 0;
  for (int i = 0; length <= 9000; ++i) {
    lines.push_back(L"N" + std::to_wstring(i) + L"\t" + std::wstring(40, L'가'));
    length += lines.back().size() + 1;
  }
  backup(lines);
  EXPECT_TRUE(run());
  EXPECT_TRUE(env.messages.shown.empty());
  const std::size_t last = lines.size() - 4;
  EXPECT_EQ(setting(L"A", L"S", L"N" + std::to_wstring(last)), std::wstring(40, L'가'));
  EXPECT_EQ(everything().size(), lines.size() - 3);
}

TEST_F(RegLogReadTest, RecordsBeforeTheirApplicationOrSectionWriteNothing) {
  env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\Other\\S", "N", "other");
  const auto before = everything();
  // A setting with no names at all, a section with no application (its key
  // is not created, so the setting after "&" finds none)...
  backup({L"h", L"N\tV", L"#\tS", L"N\tV", L"&\tA", L"N\tV"});
  EXPECT_TRUE(run());
  // ...and a setting under an application but before any section.
  backup({L"h", L"&\tOther", L"N\tV", L"#\tS", L"M\tW"});
  EXPECT_TRUE(run());
  EXPECT_TRUE(env.messages.shown.empty());
  EXPECT_EQ(everything().size(), before.size() + 1);
  EXPECT_EQ(setting(L"Other", L"S", L"N"), L"other");
  EXPECT_EQ(setting(L"Other", L"S", L"M"), L"W");
  // Not even attempted: the registry is never asked to make an empty level.
  EXPECT_TRUE(counting.created.empty());
  EXPECT_EQ(counting.written, std::vector<std::string>{"M"});
}

TEST_F(RegLogReadTest, NamesThatLeaveTheirOwnKeyAreRefused) {
  backup({L"h",          L"&\t..\\..\\Microsoft",
          L"#\tWindows", L"N\tV",
          L"&\tA\\B",    L"#\tS",
          L"N\tV",       L"&\t..",
          L"#\tS",       L"N\tV",
          L"&\tA",       L"#\t.",
          L"N\tV",       L"#\t..\\..",
          L"N\tV",       L"#\tS\\T",
          L"N\tV",       L"#\t\\",
          L"N\tV",       L"#\t",
          L"N\tV",       L"&\t",
          L"#\tS",       L"N\tV"});
  EXPECT_TRUE(run());
  EXPECT_TRUE(env.messages.shown.empty());
  EXPECT_TRUE(everything().empty());
  EXPECT_TRUE(counting.created.empty());
  EXPECT_TRUE(counting.written.empty());
}

TEST_F(RegLogReadTest, ACleanRecordAfterRefusedOnesStillWrites) {
  backup({L"h", L"&\tA\\B", L"#\tS", L"N\tV", L"&\tA", L"#\tS", L"N\tV"});
  EXPECT_TRUE(run());
  EXPECT_EQ(everything(), std::vector<std::string>{std::string(kArea) + "\\A\\S\\N=1:V" + std::string(1, '\0')});
}

TEST(SettingsLevelName, AcceptsOneLevelOnly) {
  for (const wchar_t* good : {L"A", L"벨토 제품", L"a.b", L"...x", L"x.."})
    EXPECT_TRUE(isSettingsLevelName(good)) << good;
  for (const std::wstring& bad :
       {std::wstring(L""), std::wstring(L"."), std::wstring(L".."), std::wstring(L"..."), std::wstring(L"A\\B"),
        std::wstring(L"\\"), std::wstring(L"A\r"), std::wstring(L"A\0B", 3)})
    EXPECT_FALSE(isSettingsLevelName(bad));
}

// A key name has at most 255 characters; a longer application name in a
// backup file must not stop the restore's snapshot on a key that cannot exist.
TEST(SettingsLevelName, RefusesNamesLongerThanAKeyName) {
  EXPECT_TRUE(isSettingsLevelName(std::wstring(255, L'a')));
  EXPECT_TRUE(isSettingsLevelName(std::wstring(255, L'한')));
  EXPECT_FALSE(isSettingsLevelName(std::wstring(256, L'a')));
  EXPECT_FALSE(isSettingsLevelName(std::wstring(300, L'한')));
}

}  // namespace
}  // namespace doumteo
