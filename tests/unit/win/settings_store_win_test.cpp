// The application settings store on Wine's registry, under application names
// of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <functional>

#include "platform/ansi.h"
#include "platform/registry_api_win.h"
#include "registry/settings_area.h"
#include "registry/settings_store.h"
#include "support/scratch_key_win.h"

namespace doumteo {
namespace {

using regtest::rawGet;
using regtest::rawKeyExists;
using regtest::rawPut;
using regtest::RawValue;

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class SettingsStoreWinTest : public ::testing::Test {
 protected:
  ~SettingsStoreWinTest() override {
    for (const auto& a : {app, otherApp}) RegDeleteTreeA(HKEY_CURRENT_USER, areaOf(a).c_str());
  }
  static std::string areaOf(const std::string& a) { return toAnsi(kSettingsRoot) + "\\" + a; }
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
  EXPECT_TRUE(rawKeyExists(toAnsi(kSettingsRoot)));
  expectFailure([&] { store.deleteApp(wapp); }, err::kInvalidCall);
  expectFailure([&] { store.deleteApp(L""); }, err::kInvalidCall);
  EXPECT_TRUE(rawKeyExists(areaOf(otherApp)));
}

// Passes calls on to the real registry but deletes keys only below one
// allowed area, so that a fault cannot reach other programs' settings in the
// shared prefix.
class RootGuard final : public RegistryApi {
 public:
  RootGuard(RegistryApi& real, std::string allowed) : real_(real), allowed_(std::move(allowed)) {}
  long openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) override {
    return real_.openKey(root, path, access, out);
  }
  long createKey(RegHandle root, const std::string& path, RegHandle& out) override {
    return real_.createKey(root, path, out);
  }
  long closeKey(RegHandle key) override { return real_.closeKey(key); }
  long queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return real_.queryValue(key, name, type, data, size);
  }
  long setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return real_.setValue(key, name, type, data, size);
  }
  long enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override {
    return real_.enumKey(key, index, buffer, bufferSize);
  }
  long enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) override {
    return real_.enumValue(key, index, buffer, length);
  }
  long deleteValue(RegHandle key, const std::optional<std::string>& name) override {
    return real_.deleteValue(key, name);
  }
  long deleteKey(RegHandle root, const std::string& path) override {
    // The registry takes doubled and trailing separators as single ones.
    std::string squeezed;
    for (char c : path)
      if (c != '\\' || (!squeezed.empty() && squeezed.back() != '\\')) squeezed += c;
    while (!squeezed.empty() && squeezed.back() == '\\') squeezed.pop_back();
    if (squeezed != allowed_ && squeezed.rfind(allowed_ + "\\", 0) != 0) {
      ++blocked;
      return 5;
    }
    return real_.deleteKey(root, path);
  }
  int blocked = 0;

 private:
  RegistryApi& real_;
  std::string allowed_;
};

TEST_F(SettingsStoreWinTest, AnAppNameOfSeparatorsDoesNotReachTheSharedRoot) {
  store.save(wide(otherApp), L"Config", L"A", L"kept");
  RootGuard guard(api, areaOf(app));
  RegistrySettingsStore guarded(guard);
  for (const wchar_t* name : {L"\\", L"\\\\"}) expectFailure([&] { guarded.deleteApp(name); }, err::kInvalidCall);
  EXPECT_EQ(guard.blocked, 0);
  EXPECT_EQ(store.get(wide(otherApp), L"Config", L"A", L""), L"kept");
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
