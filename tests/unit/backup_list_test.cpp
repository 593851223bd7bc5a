#include <gtest/gtest.h>

#include <limits>

#include "fakes/fakes.h"
#include "registry/backup_list.h"

namespace doumteo {
namespace {

TEST(BackupFileKey, ReadsDateAndTimeFromTheSixthCharacter) {
  EXPECT_EQ(BackupFileKey(L"환경설정_20101231_2359.mdb"), 1012312359);
  EXPECT_EQ(BackupFileKey(L"환경설정_20100101_0900.mdb"), 1001010900);
  // From 2022 on the number needs more than 32 bits and still orders right.
  EXPECT_EQ(BackupFileKey(L"환경설정_20240101_1230.mdb"), 2401011230);
  EXPECT_GT(BackupFileKey(L"환경설정_20240101_1230.mdb"), BackupFileKey(L"환경설정_20191231_2359.mdb"));
  EXPECT_EQ(BackupFileKey(L"환경설정.mdb"), 0);
  EXPECT_EQ(BackupFileKey(L""), 0);
  EXPECT_EQ(BackupFileKey(L"환경설정"), 0);
}

TEST(BackupFileKey, ReadsANumberTheWayValDoes) {
  // "환경설정x" fills the first five characters.
  const std::wstring p = L"환경설정x";
  EXPECT_EQ(BackupFileKey(p + L"1234567890123"), 123456789012);  // twelve characters at most
  EXPECT_EQ(BackupFileKey(p + L" 1 2\t3\n4x9"), 1234);           // blanks ignored, first other ends
  EXPECT_EQ(BackupFileKey(p + L"__1_2__"), 12);                  // "_" removed before counting
  EXPECT_EQ(BackupFileKey(p + L"-42.mdb"), -42);
  EXPECT_EQ(BackupFileKey(p + L"+7"), 7);
  EXPECT_EQ(BackupFileKey(p + L"1E3"), 1000);
  EXPECT_EQ(BackupFileKey(p + L"1d2"), 100);
  EXPECT_EQ(BackupFileKey(p + L"15E-1"), 2);
  EXPECT_EQ(BackupFileKey(p + L"1E"), 1);
  EXPECT_EQ(BackupFileKey(p + L"1.2.3"), 1);
  EXPECT_EQ(BackupFileKey(p + L".mdb"), 0);
  EXPECT_EQ(BackupFileKey(p + L"--1"), 0);
  EXPECT_EQ(BackupFileKey(p + L"1E-99999"), 0);
}

TEST(BackupFileKey, RoundsHalvesToEven) {
  const std::wstring p = L"환경설정x";
  EXPECT_EQ(BackupFileKey(p + L"2.5"), 2);
  EXPECT_EQ(BackupFileKey(p + L"3.5"), 4);
  EXPECT_EQ(BackupFileKey(p + L"0.5"), 0);
  EXPECT_EQ(BackupFileKey(p + L"0.6"), 1);
  EXPECT_EQ(BackupFileKey(p + L"-2.5"), -2);
  EXPECT_EQ(BackupFileKey(p + L"-3.5"), -4);
  EXPECT_EQ(BackupFileKey(p + L"2.5000001"), 3);
  EXPECT_EQ(BackupFileKey(p + L"2.4999999"), 2);
  EXPECT_EQ(BackupFileKey(p + L"25E-1"), 2);
}

TEST(BackupFileKey, SaturatesBeyondSixtyFourBits) {
  const std::wstring p = L"환경설정x";
  EXPECT_EQ(BackupFileKey(p + L"9E99"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(BackupFileKey(p + L"-9E999999999"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(BackupFileKey(p + L"9.2E18"), 9200000000000000000);
}

TEST(BackupFileKey, CountsCharactersAsUtf16Units) {
  // Two characters outside the basic plane take two units each, so the
  // sixth unit is "4".
  EXPECT_EQ(BackupFileKey(L"\U0001F600\U0001F600환4567"), 4567);
}

std::vector<std::wstring> names(std::initializer_list<const wchar_t*> list) { return {list.begin(), list.end()}; }

TEST(BackupSelection, PrefersTheGreatestKeyAndTheEarlierOfEqualOnes) {
  EXPECT_EQ(selectBackup({}), std::nullopt);
  EXPECT_EQ(selectBackup(names({L"환경설정_아무거나.mdb"})), 0u);
  EXPECT_EQ(selectBackup(names({L"환경설정_20100101_0900.mdb", L"환경설정_20101231_2359.mdb"})), 1u);
  EXPECT_EQ(selectBackup(names({L"환경설정_20101231_2359.mdb", L"환경설정_20100101_0900.mdb"})), 0u);
  EXPECT_EQ(selectBackup(
                names({L"환경설정_20190101_0900.mdb", L"환경설정_20240101_1230.mdb", L"환경설정_20220601_0000.mdb"})),
            1u);
  EXPECT_EQ(selectBackup(names(
                {L"환경설정_20100101_0900.mdb", L"환경설정_2010_0101_0900.mdb", L"환경설정_20100101_0900 사본.mdb"})),
            0u);
  // Two equal keys that both beat the first name: the earlier of them stays.
  EXPECT_EQ(selectBackup(
                names({L"환경설정_20100101_0900.mdb", L"환경설정_20240101_1230.mdb", L"환경설정_2024_0101_1230.mdb"})),
            1u);
  // 환경설정.mdb has the key 0: it is kept only when listed first and nothing beats 0.
  EXPECT_EQ(selectBackup(names({L"환경설정.mdb", L"환경설정_.mdb"})), 0u);
  EXPECT_EQ(selectBackup(names({L"환경설정.mdb", L"환경설정_20100101_0900.mdb"})), 1u);
  EXPECT_EQ(selectBackup(names({L"환경설정_20100101_0900.mdb", L"환경설정.mdb"})), 0u);
}

TEST(BackupSelection, ListsTheBackupFolderOfTheProgram) {
  fakes::FakeEnv env;
  auto& files = env.files.files;
  files[L"C:\\Prog\\DBS\\환경설정_20100101_0900.mdb"] = {};
  files[L"C:\\Prog\\DBS\\환경설정_20240101_1230.mdb"] = {};
  files[L"C:\\Prog\\DBS\\환경설정_20250101_1230.mdb"] = {"", true, false};  // hidden
  files[L"C:\\Prog\\DBS\\환경설정_20260101_1230.txt"] = {};
  files[L"C:\\Prog\\DBS\\자료_20270101_1230.mdb"] = {};
  files[L"C:\\Prog\\환경설정_20280101_1230.mdb"] = {};
  const BackupList list = listBackupFiles(env.files, L"C:\\Prog");
  ASSERT_EQ(list.names.size(), 2u);
  ASSERT_TRUE(list.selected);
  EXPECT_EQ(list.names[*list.selected], L"환경설정_20240101_1230.mdb");

  const BackupList none = listBackupFiles(env.files, L"C:\\Elsewhere");
  EXPECT_TRUE(none.names.empty());
  EXPECT_FALSE(none.selected);
}

}  // namespace
}  // namespace doumteo
