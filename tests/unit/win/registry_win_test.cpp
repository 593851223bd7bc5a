// The registry class on the real (Wine's) registry, in a scratch key of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/registry_api_win.h"
#include "registry/registry.h"
#include "support/scratch_key_win.h"

namespace doumteo {
namespace {

using regtest::rawGet;
using regtest::rawKeyExists;
using regtest::rawPut;
using regtest::RawValue;
using Bytes = std::vector<std::uint8_t>;

// Code page 949 bytes of the Korean names used below.
constexpr char kIreum[] = "\xC0\xCC\xB8\xA7";                                // 이름
constexpr char kDoumteo[] = "\xB5\xB5\xBF\xF2\xC5\xCD";                      // 도움터
constexpr char kHwangyeongSeoljeong[] = "\xC8\xAF\xB0\xE6\xBC\xB3\xC1\xA4";  // 환경설정

std::wstring wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

bool handleIsOpen(RegHandle h) {
  return RegQueryInfoKeyA(reinterpret_cast<HKEY>(h), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Leaves everyone only read access, so the key cannot be opened for all access.
void lockKey(const std::string& path) {
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  const UniqueKey k(raw);
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
  alignas(DWORD) BYTE aclBuffer[256];
  auto* acl = reinterpret_cast<PACL>(aclBuffer);
  InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
  SECURITY_DESCRIPTOR sd;
  InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  const LONG rc = RegSetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, &sd);
  FreeSid(everyone);
  ASSERT_EQ(rc, ERROR_SUCCESS);
}

class RegistryWinTest : public ::testing::Test {
 protected:
  RegistryWinTest() { r.RootKey = reg::kHkeyCurrentUser; }
  std::wstring wbase(const std::string& relative = "") const {
    return wide(relative.empty() ? scratch.path() : scratch.sub(relative));
  }

  regtest::ScratchKey scratch;
  Win32RegistryApi api;
  Registry r{api};
};

TEST_F(RegistryWinTest, OpenCreateAndResolveOnTheRealRegistry) {
  ASSERT_TRUE(r.OpenKey(wbase()));
  std::wstring arg = L"Sub";
  auto created = r.CreateKey(arg);
  EXPECT_EQ(arg, wbase("Sub"));
  ASSERT_TRUE(created);
  EXPECT_TRUE(created->IsOpened());
  EXPECT_TRUE(rawKeyExists(scratch.sub("Sub")));
  std::wstring again = L"Sub";
  EXPECT_TRUE(r.CreateKey(again));

  auto sub = r.OpenKeyNew(L"Sub");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->path(), wbase("Sub"));
  EXPECT_TRUE(r.OpenKeyNew(L"\\" + wbase("Sub")));
  EXPECT_EQ(r.OpenKeyNew(L"Missing"), nullptr);
  EXPECT_TRUE(r.SubKeyExists(L"Sub"));
  EXPECT_FALSE(r.SubKeyExists(L"Missing"));

  // The registry takes a trailing separator; resolution must not double it.
  ASSERT_TRUE(r.OpenKey(wbase() + L"\\"));
  auto viaTrailing = r.OpenKeyNew(L"Sub");
  ASSERT_TRUE(viaTrailing);
  EXPECT_EQ(viaTrailing->path(), wbase("Sub"));
}

TEST_F(RegistryWinTest, HandlesAreReleasedOnReopenFailureKeepsAndDestruction) {
  rawPut(scratch.sub("A"), "v", REG_SZ, "x", 2);
  ASSERT_TRUE(r.OpenKey(wbase()));
  const RegHandle first = r.handle();
  ASSERT_TRUE(r.OpenKey(wbase("A")));
  EXPECT_FALSE(handleIsOpen(first));
  const RegHandle second = r.handle();
  EXPECT_FALSE(r.OpenKey(wbase("Missing")));
  EXPECT_EQ(r.handle(), second);
  EXPECT_TRUE(handleIsOpen(second));
  EXPECT_EQ(r.path(), wbase("A"));

  RegHandle scoped = 0;
  {
    Registry other(api);
    other.RootKey = reg::kHkeyCurrentUser;
    ASSERT_TRUE(other.OpenKey(wbase("A")));
    scoped = other.handle();
    EXPECT_TRUE(handleIsOpen(scoped));
  }
  EXPECT_FALSE(handleIsOpen(scoped));
  r.CloseKey();
  EXPECT_FALSE(handleIsOpen(second));
  EXPECT_EQ(r.path(), wbase("A"));
}

TEST_F(RegistryWinTest, PredefinedRootsReachTheSystemKeys) {
  r.RootKey = reg::kHkeyLocalMachine;
  EXPECT_TRUE(r.SubKeyExists(L"Software\\Microsoft"));
  r.RootKey = reg::kHkeyUsers;
  EXPECT_TRUE(r.OpenKey(L""));
  EXPECT_TRUE(r.SubKeys());
}

TEST_F(RegistryWinTest, ValueReadsOddlyStoredValues) {
  const std::string k = scratch.path();
  // The registry adds a missing terminator when the caller's next byte is
  // NUL, so the unterminated text is cut from a longer one.
  ASSERT_EQ(rawPut(k, "szNoNul", REG_SZ, "abcd", 3), ERROR_SUCCESS);
  ASSERT_EQ(rawGet(k, "szNoNul"), (RawValue{REG_SZ, {'a', 'b', 'c'}}));
  rawPut(k, "szNul", REG_SZ, "abc", 4);
  rawPut(k, "szOnlyNul", REG_SZ, "", 1);
  rawPut(k, "szZero", REG_SZ, "abc", 0);
  ASSERT_EQ(rawGet(k, "szZero"), (RawValue{REG_SZ, {}}));
  rawPut(k, "expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
  rawPut(k, "multi", REG_MULTI_SZ, "a\0b\0", 5);
  rawPut(k, "multiEmpty", REG_MULTI_SZ, "\0", 2);
  rawPut(k, "multi1", REG_MULTI_SZ, "", 1);
  ASSERT_EQ(rawGet(k, "multi1"), (RawValue{REG_MULTI_SZ, {0}}));
  const BYTE dword[] = {0xFE, 0xFF, 0xFF, 0xFF};
  rawPut(k, "dword", REG_DWORD, dword, 4);
  rawPut(k, "dword2", REG_DWORD, dword, 2);
  rawPut(k, "bigEndian", REG_DWORD_BIG_ENDIAN, dword, 4);
  rawPut(k, "binary", REG_BINARY, "\0\xFF", 2);
  rawPut(k, "korean", REG_SZ, kHwangyeongSeoljeong, 9);

  ASSERT_TRUE(r.OpenKey(wbase()));
  EXPECT_EQ(r.Value(L"szNoNul"), RegistryValue{std::wstring(L"abc")});
  EXPECT_EQ(r.Value(L"szNul"), RegistryValue{std::wstring(L"abc")});
  EXPECT_EQ(r.Value(L"szOnlyNul"), RegistryValue{std::wstring()});
  EXPECT_EQ(r.Value(L"szZero"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(r.Value(L"expand"), RegistryValue{std::wstring(L"%TEMP%\\x")});
  EXPECT_EQ(r.Value(L"multi"), (RegistryValue{RegistryTextList{L"a", L"b"}}));
  EXPECT_EQ(r.Value(L"multiEmpty"), RegistryValue{RegistryTextList{}});
  EXPECT_EQ(r.Value(L"multi1"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(r.Value(L"dword"), RegistryValue{std::int32_t{-2}});
  EXPECT_EQ(r.Value(L"dword2"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(r.Value(L"bigEndian"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(r.Value(L"binary"), (RegistryValue{Bytes{0, 0xFF}}));
  EXPECT_EQ(r.Value(L"korean"), RegistryValue{std::wstring(L"환경설정")});
  EXPECT_EQ(r.Value(L"missing"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(r.ValueType(L"dword2"), static_cast<std::uint32_t>(REG_DWORD));
  EXPECT_EQ(r.ValueType(L"missing"), 0u);
}

TEST_F(RegistryWinTest, SetValueStoresTheTypeAndBytes) {
  const std::string k = scratch.path();
  rawPut(k, "keep", REG_SZ, "old", 4);
  ASSERT_TRUE(r.OpenKey(wbase()));
  r.SetValue(L"i16", std::int16_t{-1});
  r.SetValue(L"u8", std::uint8_t{200});
  r.SetValue(L"list", RegistryTextList{L"a", L"값"});
  r.SetValue(L"noList", RegistryTextList{});
  r.SetValue(L"bin", Bytes{1, 0, 2});
  r.SetValue(L"noBin", Bytes{});
  r.SetValue(L"keep", RegistryUnsupported{});
  r.SetValue(L"keep", RegistryUndimensioned{});
  r.SetValue(L"", std::wstring(L"default"));

  EXPECT_EQ(rawGet(k, "i16"), (RawValue{REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}}));
  EXPECT_EQ(rawGet(k, "u8"), (RawValue{REG_DWORD, {200, 0, 0, 0}}));
  EXPECT_EQ(rawGet(k, "list"), (RawValue{REG_MULTI_SZ, {'a', 0, 0xB0, 0xAA, 0, 0}}));
  EXPECT_EQ(rawGet(k, "noList"), (RawValue{REG_MULTI_SZ, {0, 0}}));
  EXPECT_EQ(rawGet(k, "bin"), (RawValue{REG_BINARY, {1, 0, 2}}));
  EXPECT_EQ(rawGet(k, "noBin"), (RawValue{REG_BINARY, {}}));
  EXPECT_EQ(rawGet(k, "keep"), (RawValue{REG_SZ, {'o', 'l', 'd', 0}}));
  EXPECT_EQ(rawGet(k, nullptr), (RawValue{REG_SZ, {'d', 'e', 'f', 'a', 'u', 'l', 't', 0}}));

  EXPECT_EQ(r.Value(L"list"), (RegistryValue{RegistryTextList{L"a", L"값"}}));
  EXPECT_EQ(r.Value(L""), RegistryValue{std::wstring(L"default")});
  EXPECT_TRUE(r.ValueExists(L""));
  EXPECT_TRUE(r.DeleteValue(L""));
  EXPECT_FALSE(r.ValueExists(L""));
  EXPECT_TRUE(r.DeleteValue(L"i16"));
  EXPECT_FALSE(r.DeleteValue(L"i16"));
  EXPECT_FALSE(rawGet(k, "i16"));
}

TEST_F(RegistryWinTest, KoreanNamesAndTextCrossInCodePage949) {
  ASSERT_TRUE(r.OpenKey(wbase()));
  r.SetValue(L"이름", std::wstring(L"환경설정"));
  std::string expected(kHwangyeongSeoljeong);
  expected += '\0';
  EXPECT_EQ(rawGet(scratch.path(), kIreum), (RawValue{REG_SZ, Bytes(expected.begin(), expected.end())}));
  std::wstring sub = L"도움터";
  ASSERT_TRUE(r.CreateKey(sub));
  EXPECT_TRUE(rawKeyExists(scratch.sub(kDoumteo)));
  EXPECT_EQ(r.SubKeys(), std::vector<std::wstring>{L"도움터"});
  EXPECT_EQ(r.ValueNames(), std::vector<std::wstring>{L"이름"});
  EXPECT_EQ(r.Value(L"이름"), RegistryValue{std::wstring(L"환경설정")});
}

TEST_F(RegistryWinTest, ListingLeavesOutTheDefaultValueAndGivesNoneForNothing) {
  rawPut(scratch.sub("Leaf"), nullptr, REG_SZ, "d", 2);
  rawPut(scratch.sub("B"), "v", REG_SZ, "x", 2);
  rawPut(scratch.path(), "second", REG_SZ, "x", 2);
  rawPut(scratch.path(), nullptr, REG_SZ, "d", 2);
  ASSERT_TRUE(r.OpenKey(wbase("Leaf")));
  EXPECT_EQ(r.SubKeys(), std::nullopt);
  EXPECT_EQ(r.ValueNames(), std::nullopt);
  ASSERT_TRUE(r.OpenKey(wbase()));
  const auto keys = r.SubKeys();
  ASSERT_TRUE(keys);
  EXPECT_EQ(keys->size(), 2u);
  EXPECT_EQ(r.ValueNames(), std::vector<std::wstring>{L"second"});
}

TEST_F(RegistryWinTest, DeleteKeyRemovesAWholeTree) {
  rawPut(scratch.sub("A\\B\\C"), "v", REG_SZ, "x", 2);
  rawPut(scratch.sub("A\\B"), "v", REG_SZ, "x", 2);
  rawPut(scratch.sub("A\\D"), "v", REG_SZ, "x", 2);
  rawPut(scratch.sub("Keep"), "v", REG_SZ, "x", 2);
  ASSERT_TRUE(r.OpenKey(wbase()));
  std::wstring path = L"A";
  EXPECT_TRUE(r.DeleteKey(path));
  EXPECT_FALSE(rawKeyExists(scratch.sub("A")));
  EXPECT_TRUE(rawKeyExists(scratch.sub("Keep")));

  // Without a path, the object's own key goes.
  rawPut(scratch.sub("Own\\Child"), "v", REG_SZ, "x", 2);
  ASSERT_TRUE(r.OpenKey(wbase("Own")));
  std::wstring own;
  EXPECT_TRUE(r.DeleteKey(own));
  EXPECT_EQ(own, L"\\" + wbase("Own"));
  EXPECT_FALSE(r.IsOpened());
  EXPECT_FALSE(rawKeyExists(scratch.sub("Own")));
}

TEST_F(RegistryWinTest, DeleteKeyStopsAtASubkeyThatCannotBeOpened) {
  rawPut(scratch.sub("A\\B1\\C"), "v", REG_SZ, "x", 2);
  rawPut(scratch.sub("A\\B2"), "v", REG_SZ, "x", 2);
  lockKey(scratch.sub("A\\B1\\C"));
  std::wstring path = L"\\" + wbase("A");
  EXPECT_FALSE(r.DeleteKey(path));
  EXPECT_TRUE(rawKeyExists(scratch.sub("A\\B1\\C")));
  EXPECT_TRUE(rawKeyExists(scratch.sub("A\\B2")));  // not attempted after B1 failed
  // The locked key itself can still be removed, so the scratch tree is clean.
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, scratch.sub("A\\B1\\C").c_str()), ERROR_SUCCESS);
}

TEST_F(RegistryWinTest, DeleteKeyFailsOnASubkeyNameOutsideTheCodePage) {
  // Listed through the ANSI entry points as "?", a name that is not there.
  {
    HKEY raw = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (wbase("A") + L"\\\u0E01").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &raw, nullptr),
              ERROR_SUCCESS);
    const UniqueKey thai(raw);
  }
  std::wstring path = wbase("A");
  EXPECT_FALSE(r.DeleteKey(path));
  EXPECT_TRUE(rawKeyExists(scratch.sub("A")));
}

TEST_F(RegistryWinTest, DeleteKeyRefusesTheRootItself) {
  // The scratch key stands in as the root, so a wrong delete stays inside it.
  rawPut(scratch.sub("Child\\Grandchild"), "v", REG_SZ, "x", 2);
  rawPut(scratch.sub("Other"), "v", REG_SZ, "x", 2);
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, scratch.path().c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  const UniqueKey root(raw);
  Registry scoped(api);
  scoped.RootKey = reinterpret_cast<RegHandle>(root.get());
  for (std::wstring path : {L"", L"\\", L"\\\\"}) EXPECT_FALSE(scoped.DeleteKey(path));
  ASSERT_TRUE(scoped.OpenKey(L""));
  std::wstring own;
  EXPECT_FALSE(scoped.DeleteKey(own));
  EXPECT_TRUE(scoped.IsOpened());
  EXPECT_TRUE(rawKeyExists(scratch.sub("Child\\Grandchild")));
  EXPECT_TRUE(rawKeyExists(scratch.sub("Other")));

  std::wstring child = L"Child";
  EXPECT_TRUE(scoped.DeleteKey(child));  // the same root does reach its keys
  EXPECT_FALSE(rawKeyExists(scratch.sub("Child")));
}

}  // namespace
}  // namespace doumteo
