// The application settings store on Wine's registry, under application names
// of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <functional>

#include "platform/registry_api_win.h"
#include "platform/settings_store.h"
#include "support/scratch_key_win.h"

namespace doumteo {
namespace {

using regtest::RawValue;
using regtest::rawGet;
using regtest::rawKeyExists;
using regtest::rawPut;

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class SettingsStoreWinTest : public ::testing::Test {
 protected:
  ~SettingsStoreWinTest() override {
    for (const auto& a : {app, otherApp}) RegDeleteTreeA(HKEY_CURRENT_USER, areaOf(a).c_str());
  }
  static std::string areaOf(const std::string& a) { return std::string(kSettingsRoot) + "\\" + a; }
  static void expectFailure(const std::function<void()>& f, int number) {
    try {
      f();
      ADD_FAILURE() << "no failure";
    } catch (const Failure& e) {
      EXPECT_EQ(e.number, number);
    }
  }

  std::string app = regtest::uniqueName("DoumteoTest_");
  std::string otherApp = regtest::uniqueName("DoumteoTest_");
  std::wstring wapp = wide(app);
  Win32RegistryApi api;
  RegistrySettingsStore store{api};
};

TEST_F(SettingsStoreWinTest, ReadsDefaultsWritesAndOverwrites) {
  EXPECT_EQ(store.get(wapp, L"Config", L"Key", L"fallback"), L"fallback");
  EXPECT_EQ(store.get(wapp, L"Config", L"Key", L""), L"");
  store.save(wapp, L"Config", L"Key", L"one");
  EXPECT_EQ(rawGet(areaOf(app) + "\\Config", "Key"), (RawValue{REG_SZ, {'o', 'n', 'e', 0}}));
  EXPECT_EQ(store.get(wapp, L"Config", L"Key", L"fallback"), L"one");
  EXPECT_EQ(store.get(wapp, L"Config", L"Other", L"fallback"), L"fallback");
  store.save(wapp, L"Config", L"Key", L"");
  EXPECT_EQ(store.get(wapp, L"Config", L"Key", L"fallback"), L"");
  store.save(wapp, L"Config", L"Key", L"two");
  EXPECT_EQ(store.get(wapp, L"Config", L"Key", L""), L"two");
}

TEST_F(SettingsStoreWinTest, NamesAreComparedWithoutRegardToCase) {
  store.save(wapp, L"Config", L"FileURL", L"x");
  EXPECT_EQ(store.get(wapp, L"CONFIG", L"fileurl", L""), L"x");
  std::wstring upperApp = wapp;
  for (auto& c : upperApp) c = static_cast<wchar_t>(towupper(c));
  EXPECT_EQ(store.get(upperApp, L"config", L"FILEURL", L""), L"x");
  store.save(upperApp, L"CONFIG", L"fileurl", L"y");
  EXPECT_EQ(store.get(wapp, L"Config", L"FileURL", L""), L"y");
  store.deleteSetting(wapp, L"config", L"FILEURL");
  EXPECT_EQ(store.get(wapp, L"Config", L"FileURL", L"gone"), L"gone");
}

TEST_F(SettingsStoreWinTest, DeletingOneSettingAndAMissingOne) {
  store.save(wapp, L"Config", L"A", L"1");
  store.save(wapp, L"Config", L"B", L"2");
  store.deleteSetting(wapp, L"Config", L"A");
  EXPECT_EQ(store.get(wapp, L"Config", L"A", L"none"), L"none");
  EXPECT_EQ(store.get(wapp, L"Config", L"B", L""), L"2");
  expectFailure([&] { store.deleteSetting(wapp, L"Config", L"A"); }, err::kInvalidCall);
  expectFailure([&] { store.deleteSetting(wapp, L"NoSection", L"B"); }, err::kInvalidCall);
  expectFailure([&] { store.deleteSetting(wide(otherApp), L"Config", L"B"); }, err::kInvalidCall);
}

TEST_F(SettingsStoreWinTest, DeletingAWholeApplicationArea) {
  store.save(wapp, L"Config", L"A", L"1");
  store.save(wapp, L"ASKey", L"B", L"2");
  rawPut(areaOf(app) + "\\ASKey\\Deeper", "C", REG_SZ, "3", 2);
  store.save(wide(otherApp), L"Config", L"A", L"kept");
  store.deleteApp(wapp);
  EXPECT_FALSE(rawKeyExists(areaOf(app)));
  EXPECT_EQ(store.get(wapp, L"Config", L"A", L"none"), L"none");
  EXPECT_EQ(store.get(wide(otherApp), L"Config", L"A", L""), L"kept");
  EXPECT_TRUE(rawKeyExists(kSettingsRoot));
  expectFailure([&] { store.deleteApp(wapp); }, err::kInvalidCall);
  expectFailure([&] { store.deleteApp(L""); }, err::kInvalidCall);
  EXPECT_TRUE(rawKeyExists(areaOf(otherApp)));
}

TEST_F(SettingsStoreWinTest, KoreanNamesAndValuesTravelInCodePage949) {
  store.save(wapp, L"DB경로", L"경로", L"환경설정");
  // "DB경로" / "경로" / "환경설정" in code page 949.
  const std::string section = areaOf(app) + "\\DB\xB0\xE6\xB7\xCE";
  EXPECT_EQ(rawGet(section, "\xB0\xE6\xB7\xCE"),
            (RawValue{REG_SZ, {0xC8, 0xAF, 0xB0, 0xE6, 0xBC, 0xB3, 0xC1, 0xA4, 0}}));
  EXPECT_EQ(store.get(wapp, L"DB경로", L"경로", L""), L"환경설정");

  // Written by another program in the ANSI code page, read back as Korean.
  rawPut(section, "\xC0\xCC\xB8\xA7", REG_SZ, "\xB5\xB5\xBF\xF2\xC5\xCD", 7);
  EXPECT_EQ(store.get(wapp, L"DB경로", L"이름", L""), L"도움터");
  store.deleteSetting(wapp, L"DB경로", L"경로");
  EXPECT_FALSE(rawGet(section, "\xB0\xE6\xB7\xCE"));
}

TEST_F(SettingsStoreWinTest, ValuesThatAreNotTextReadAsTheDefault) {
  store.save(wapp, L"Config", L"Text", L"t");
  const DWORD number = 7;
  rawPut(areaOf(app) + "\\Config", "Number", REG_DWORD, &number, sizeof number);
  EXPECT_EQ(store.get(wapp, L"Config", L"Number", L"dflt"), L"dflt");
  EXPECT_EQ(store.get(wapp, L"Config", L"Text", L"dflt"), L"t");
}

}  // namespace
}  // namespace doumteo
