#include "registry/registry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_registry.h"

namespace doumteo {
namespace {

using fakes::FakeRegistry;
using Bytes = std::vector<std::uint8_t>;
constexpr RegHandle kHkcu = reg::kHkeyCurrentUser;

Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Passes every call on to the fake and remembers what the class asked for.
class SpyRegistry final : public RegistryApi {
 public:
  explicit SpyRegistry(FakeRegistry& f) : fake(f) {}
  long openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) override {
    return fake.openKey(root, path, access, out);
  }
  long createKey(RegHandle root, const std::string& path, RegHandle& out) override {
    return fake.createKey(root, path, out);
  }
  long closeKey(RegHandle key) override { return fake.closeKey(key); }
  long queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    if (data) dataBufferSizes.push_back(*size);
    queriedNames.push_back(name);
    return fake.queryValue(key, name, type, data, size);
  }
  long setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    setNames.push_back(name);
    return fake.setValue(key, name, type, data, size);
  }
  long enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override {
    enumSizes.push_back(bufferSize);
    return fake.enumKey(key, index, buffer, bufferSize);
  }
  long enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) override {
    enumSizes.push_back(length);
    return fake.enumValue(key, index, buffer, length);
  }
  long deleteValue(RegHandle key, const std::optional<std::string>& name) override {
    return fake.deleteValue(key, name);
  }
  long deleteKey(RegHandle root, const std::string& path) override {
    deleted.push_back(path);
    return fake.deleteKey(root, path);
  }

  FakeRegistry& fake;
  std::vector<std::uint32_t> dataBufferSizes, enumSizes;
  std::vector<std::optional<std::string>> queriedNames, setNames;
  std::vector<std::string> deleted;
};

class RegistryTest : public ::testing::Test {
 protected:
  RegistryTest() { r.RootKey = kHkcu; }
  FakeRegistry fake;
  SpyRegistry spy{fake};
  Registry r{spy};
};

TEST_F(RegistryTest, WithoutRootKeyEveryOperationFails) {
  fake.putText(kHkcu, "A\\B", "v", "x");
  const auto before = fake.dump(kHkcu);
  Registry fresh(spy);
  std::wstring create = L"A\\New", del = L"A";
  EXPECT_FALSE(fresh.OpenKey(L"A"));
  EXPECT_EQ(fresh.OpenKeyNew(L"A"), nullptr);
  EXPECT_EQ(fresh.CreateKey(create), nullptr);
  EXPECT_FALSE(fresh.SubKeyExists(L"A"));
  EXPECT_FALSE(fresh.ValueExists(L"v"));
  EXPECT_EQ(fresh.Value(L"v"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(fresh.ValueType(L"v"), 0u);
  EXPECT_FALSE(fresh.SubKeys());
  EXPECT_FALSE(fresh.ValueNames());
  EXPECT_FALSE(fresh.DeleteValue(L"v"));
  EXPECT_FALSE(fresh.DeleteKey(del));
  fresh.SetValue(L"v", std::wstring(L"y"));
  EXPECT_EQ(fake.dump(kHkcu), before);
}

TEST_F(RegistryTest, OpenKeyReplacesTheHeldKeyAndKeepsItOnFailure) {
  fake.putText(kHkcu, "Software\\A\\B", "v", "x");
  fake.putText(kHkcu, "Software\\X", "v", "x");
  ASSERT_TRUE(r.OpenKey(L"Software\\A"));
  const RegHandle first = r.handle();
  ASSERT_TRUE(r.OpenKey(L"Software\\X"));
  EXPECT_NE(r.handle(), first);
  EXPECT_EQ(r.path(), L"Software\\X");
  EXPECT_EQ(fake.openHandles(), 1u);

  // Taken from the root as passed, not below the open path.
  EXPECT_FALSE(r.OpenKey(L"B"));
  EXPECT_TRUE(r.IsOpened());
  EXPECT_EQ(r.path(), L"Software\\X");
  EXPECT_EQ(fake.openHandles(), 1u);
}

TEST_F(RegistryTest, OpenKeyNewResolvesAgainstTheOpenPath) {
  fake.putText(kHkcu, "A\\B\\Sub", "v", "x");
  fake.putText(kHkcu, "C", "v", "x");
  fake.putText(kHkcu, "Sub", "v", "x");
  {
    Registry fresh(spy);
    fresh.RootKey = kHkcu;
    auto sub = fresh.OpenKeyNew(L"Sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->path(), L"Sub");
  }
  ASSERT_TRUE(r.OpenKey(L"A\\B"));
  const RegHandle own = r.handle();
  auto sub = r.OpenKeyNew(L"Sub");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->path(), L"A\\B\\Sub");
  EXPECT_EQ(sub->RootKey, kHkcu);
  auto c = r.OpenKeyNew(L"\\C");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->path(), L"C");
  EXPECT_EQ(r.OpenKeyNew(L"Missing"), nullptr);
  EXPECT_EQ(r.handle(), own);
  EXPECT_EQ(r.path(), L"A\\B");
}

TEST_F(RegistryTest, CreateKeyHandsBackTheResolvedPathAndAnOpenObject) {
  fake.putText(kHkcu, "A", "v", "x");
  ASSERT_TRUE(r.OpenKey(L"A"));
  std::wstring arg = L"Sub";
  auto created = r.CreateKey(arg);
  EXPECT_EQ(arg, L"A\\Sub");
  ASSERT_TRUE(created);
  EXPECT_TRUE(created->IsOpened());
  EXPECT_EQ(created->path(), L"A\\Sub");
  EXPECT_TRUE(fake.keyExists(kHkcu, "A\\Sub"));
  EXPECT_EQ(fake.openHandles(), 2u);  // the create handle was closed

  std::wstring again = L"\\A\\Sub";
  auto reopened = r.CreateKey(again);
  EXPECT_EQ(again, L"A\\Sub");
  ASSERT_TRUE(reopened);
  EXPECT_TRUE(reopened->IsOpened());
  EXPECT_EQ(r.path(), L"A");

  fake.readOnly.insert("a");
  std::wstring denied = L"Other";
  EXPECT_EQ(r.CreateKey(denied), nullptr);
  EXPECT_EQ(denied, L"A\\Other");
  EXPECT_FALSE(fake.keyExists(kHkcu, "A\\Other"));
}

TEST_F(RegistryTest, CloseKeyKeepsThePathAndDestructionCloses) {
  fake.putText(kHkcu, "A\\B", "v", "x");
  {
    Registry other(spy);
    other.RootKey = kHkcu;
    ASSERT_TRUE(other.OpenKey(L"A"));
    other.CloseKey();
    EXPECT_FALSE(other.IsOpened());
    EXPECT_EQ(other.handle(), 0u);
    EXPECT_EQ(other.path(), L"A");
    EXPECT_TRUE(other.SubKeyExists(L"B"));  // still resolved below the kept path
    other.CloseKey();                       // closing twice is harmless
    ASSERT_TRUE(other.OpenKey(L"A"));
    EXPECT_EQ(fake.openHandles(), 1u);
  }
  EXPECT_EQ(fake.openHandles(), 0u);
}

TEST_F(RegistryTest, SubKeyExistsLeavesNoHandleAndNoTrace) {
  fake.putText(kHkcu, "A\\B", "v", "x");
  ASSERT_TRUE(r.OpenKey(L"A"));
  EXPECT_TRUE(r.SubKeyExists(L"B"));
  EXPECT_TRUE(r.SubKeyExists(L"\\A"));
  EXPECT_FALSE(r.SubKeyExists(L"A"));
  EXPECT_EQ(fake.openHandles(), 1u);
  EXPECT_EQ(r.path(), L"A");
}

struct ReadCase {
  const char* what;
  std::uint32_t type;
  Bytes data;
  RegistryValue expected;
};

TEST_F(RegistryTest, ValueReadsEachStoredFormInTwoQueries) {
  const std::vector<ReadCase> cases = {
      {"text with NUL", reg::kSz, bytes({"abc\0", 4}), std::wstring(L"abc")},
      {"text without NUL keeps its last byte", reg::kSz, bytes("abc"), std::wstring(L"abc")},
      {"only the NUL", reg::kSz, bytes({"\0", 1}), std::wstring()},
      {"no data bytes", reg::kSz, {}, RegistryEmpty{}},
      {"inner NUL kept", reg::kSz, bytes({"a\0b\0", 4}), std::wstring(L"a\0b", 3)},
      {"expand not expanded", reg::kExpandSz, bytes({"%TEMP%\\x\0", 9}), std::wstring(L"%TEMP%\\x")},
      {"binary as stored", reg::kBinary, Bytes{0, 0xFF, 7}, Bytes{0, 0xFF, 7}},
      {"dword little-endian signed", reg::kDword, Bytes{0xFE, 0xFF, 0xFF, 0xFF}, std::int32_t{-2}},
      {"dword longer than 4", reg::kDword, Bytes{1, 2, 0, 0, 9, 9}, std::int32_t{0x201}},
      {"dword of 2 bytes", reg::kDword, Bytes{1, 2}, RegistryEmpty{}},
      {"list", reg::kMultiSz, bytes({"a\0b\0\0", 5}), RegistryTextList{L"a", L"b"}},
      {"empty list", reg::kMultiSz, bytes({"\0\0", 2}), RegistryTextList{}},
      {"list of 1 byte", reg::kMultiSz, bytes({"\0", 1}), RegistryEmpty{}},
      {"list with empty last text", reg::kMultiSz, bytes({"a\0\0\0", 4}), RegistryTextList{L"a", L""}},
      {"list without list end", reg::kMultiSz, bytes({"a\0b\0", 4}), RegistryTextList{L"a", L"b"}},
      {"list without any end", reg::kMultiSz, bytes("ab"), RegistryTextList{L"ab"}},
      {"none", reg::kNone, Bytes{1}, RegistryEmpty{}},
      {"big-endian dword", reg::kDwordBigEndian, Bytes{0, 0, 0, 1}, RegistryEmpty{}},
      {"link", reg::kLink, bytes("x"), RegistryEmpty{}},
      {"unknown type", 11, Bytes{1, 2, 3, 4, 5, 6, 7, 8}, RegistryEmpty{}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    fake.putRaw(kHkcu, "K", std::to_string(i), cases[i].type, cases[i].data);
  ASSERT_TRUE(r.OpenKey(L"K"));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    spy.dataBufferSizes.clear();
    EXPECT_EQ(r.Value(std::to_wstring(i)), cases[i].expected);
    if (!cases[i].data.empty()) {
      EXPECT_EQ(spy.dataBufferSizes, std::vector<std::uint32_t>{static_cast<std::uint32_t>(cases[i].data.size())});
    }
  }
  EXPECT_EQ(r.Value(L"missing"), RegistryValue{RegistryEmpty{}});
}

TEST_F(RegistryTest, EmptyNameAddressesTheDefaultValueAsNull) {
  fake.putText(kHkcu, "K", "", "dflt");
  ASSERT_TRUE(r.OpenKey(L"K"));
  EXPECT_FALSE(r.ValueExists(L"named"));
  spy.queriedNames.clear();
  EXPECT_TRUE(r.ValueExists(L""));
  EXPECT_EQ(r.Value(L""), RegistryValue{std::wstring(L"dflt")});
  EXPECT_EQ(r.ValueType(L""), reg::kSz);
  r.SetValue(L"", std::int32_t{5});
  EXPECT_EQ(fake.value(kHkcu, "K", "")->type, reg::kDword);
  EXPECT_TRUE(r.DeleteValue(L""));
  EXPECT_FALSE(r.ValueExists(L""));
  for (const auto& n : spy.queriedNames) EXPECT_FALSE(n.has_value());
  EXPECT_EQ(spy.setNames, std::vector<std::optional<std::string>>{std::nullopt});
}

TEST_F(RegistryTest, SetValueChoosesTheTypeFromTheKind) {
  fake.putText(kHkcu, "K", "keep", "old");
  ASSERT_TRUE(r.OpenKey(L"K"));
  r.SetValue(L"i16", std::int16_t{-1});
  r.SetValue(L"u8", std::uint8_t{255});
  r.SetValue(L"i32", std::int32_t{0x01020304});
  r.SetValue(L"text", std::wstring(L"abc"));
  r.SetValue(L"list", RegistryTextList{L"a", L"b"});
  r.SetValue(L"nolist", RegistryTextList{});
  r.SetValue(L"bin", Bytes{0, 1, 2});
  r.SetValue(L"nobin", Bytes{});
  r.SetValue(L"keep", RegistryUnsupported{});
  r.SetValue(L"keep", RegistryUndimensioned{});
  r.SetValue(L"empty", RegistryEmpty{});

  auto stored = [&](const char* name) {
    const auto* v = fake.value(kHkcu, "K", name);
    return v ? std::make_pair(v->type, v->data) : std::make_pair(~0u, Bytes{});
  };
  EXPECT_EQ(stored("i16"), std::make_pair(reg::kDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(stored("u8"), std::make_pair(reg::kDword, Bytes{0xFF, 0, 0, 0}));
  EXPECT_EQ(stored("i32"), std::make_pair(reg::kDword, Bytes{4, 3, 2, 1}));
  EXPECT_EQ(stored("text"), std::make_pair(reg::kSz, bytes({"abc\0", 4})));
  EXPECT_EQ(stored("list"), std::make_pair(reg::kMultiSz, bytes({"a\0b\0\0", 5})));
  EXPECT_EQ(stored("nolist"), std::make_pair(reg::kMultiSz, bytes({"\0\0", 2})));
  EXPECT_EQ(stored("bin"), std::make_pair(reg::kBinary, Bytes{0, 1, 2}));
  EXPECT_EQ(stored("nobin"), std::make_pair(reg::kBinary, Bytes{}));
  EXPECT_EQ(stored("keep"), std::make_pair(reg::kSz, bytes({"old\0", 4})));
  EXPECT_EQ(fake.value(kHkcu, "K", "empty"), nullptr);

  // What is written reads back as written.
  EXPECT_EQ(r.Value(L"i16"), RegistryValue{std::int32_t{-1}});
  EXPECT_EQ(r.Value(L"text"), RegistryValue{std::wstring(L"abc")});
  EXPECT_EQ(r.Value(L"list"), (RegistryValue{RegistryTextList{L"a", L"b"}}));
  EXPECT_EQ(r.Value(L"nolist"), RegistryValue{RegistryTextList{}});
  EXPECT_EQ(r.Value(L"nobin"), RegistryValue{RegistryEmpty{}});
  EXPECT_EQ(r.ValueType(L"nobin"), reg::kBinary);
  EXPECT_EQ(r.ValueType(L"missing"), 0u);
}

TEST_F(RegistryTest, FailedWriteLeavesNoTrace) {
  fake.putText(kHkcu, "K", "v", "old");
  ASSERT_TRUE(r.OpenKey(L"K"));
  fake.readOnly.insert("k");
  r.SetValue(L"v", std::wstring(L"new"));
  r.SetValue(L"w", std::int32_t{1});
  EXPECT_EQ(fake.text(kHkcu, "K", "v"), "old");
  EXPECT_EQ(fake.value(kHkcu, "K", "w"), nullptr);
}

TEST_F(RegistryTest, ListingGivesNamesInOrderOrNone) {
  fake.putText(kHkcu, "K\\LongerSubKeyName", "", "");
  fake.putText(kHkcu, "K\\ab", "", "");
  fake.putText(kHkcu, "K", "", "default only");
  fake.putText(kHkcu, "Leaf", "a", "");
  ASSERT_TRUE(r.OpenKey(L"K"));
  // The second name is shorter than what the shared buffer still holds.
  EXPECT_EQ(r.SubKeys(), (std::vector<std::wstring>{L"LongerSubKeyName", L"ab"}));
  EXPECT_EQ(r.ValueNames(), std::nullopt);
  fake.putText(kHkcu, "K", "LongerValueName", "");
  fake.putText(kHkcu, "K", "x", "");
  EXPECT_EQ(r.ValueNames(), (std::vector<std::wstring>{L"LongerValueName", L"x"}));
  for (auto size : spy.enumSizes) EXPECT_EQ(size, 260u);

  ASSERT_TRUE(r.OpenKey(L"Leaf"));
  EXPECT_EQ(r.SubKeys(), std::nullopt);
  r.CloseKey();
  EXPECT_EQ(r.SubKeys(), std::nullopt);
  EXPECT_EQ(r.ValueNames(), std::nullopt);
}

TEST_F(RegistryTest, ListingStopsAtANameTooLongForTheBuffer) {
  fake.putText(kHkcu, "K", "first", "");
  fake.putText(kHkcu, "K", std::string(260, 'n'), "");
  fake.putText(kHkcu, "K", "after", "");
  ASSERT_TRUE(r.OpenKey(L"K"));
  EXPECT_EQ(r.ValueNames(), std::vector<std::wstring>{L"first"});
}

TEST_F(RegistryTest, DeleteValueReportsItsResult) {
  fake.putText(kHkcu, "K", "v", "x");
  ASSERT_TRUE(r.OpenKey(L"K"));
  EXPECT_TRUE(r.DeleteValue(L"V"));
  EXPECT_FALSE(r.DeleteValue(L"v"));
  EXPECT_EQ(fake.value(kHkcu, "K", "v"), nullptr);
}

TEST_F(RegistryTest, DeleteKeyRemovesTheTreeDeepestFirst) {
  fake.putText(kHkcu, "A\\B\\C", "v", "x");
  fake.putText(kHkcu, "A\\D", "v", "x");
  fake.putText(kHkcu, "Keep", "v", "x");
  std::wstring path = L"A";
  EXPECT_TRUE(r.DeleteKey(path));
  EXPECT_EQ(spy.deleted, (std::vector<std::string>{"A\\B\\C", "A\\B", "A\\D", "A"}));
  EXPECT_FALSE(fake.keyExists(kHkcu, "A"));
  EXPECT_TRUE(fake.keyExists(kHkcu, "Keep"));
  EXPECT_EQ(fake.openHandles(), 0u);
  EXPECT_FALSE(r.DeleteKey(path));  // gone
}

TEST_F(RegistryTest, DeleteKeyStopsAtTheFirstSubkeyThatStays) {
  fake.putText(kHkcu, "A\\B1\\C", "v", "x");
  fake.putText(kHkcu, "A\\B2", "v", "x");
  fake.undeletable.insert("a\\b1\\c");
  std::wstring path = L"\\A";
  EXPECT_FALSE(r.DeleteKey(path));
  EXPECT_TRUE(fake.keyExists(kHkcu, "A\\B1\\C"));
  EXPECT_TRUE(fake.keyExists(kHkcu, "A\\B2"));  // siblings after it are not attempted
  EXPECT_EQ(std::count(spy.deleted.begin(), spy.deleted.end(), "A\\B2"), 0);
  EXPECT_EQ(fake.openHandles(), 0u);
}

TEST_F(RegistryTest, DeleteKeyWithoutPathDeletesTheOwnKey) {
  fake.putText(kHkcu, "A\\B\\C", "v", "x");
  ASSERT_TRUE(r.OpenKey(L"A\\B"));
  std::wstring path;
  EXPECT_TRUE(r.DeleteKey(path));
  EXPECT_EQ(path, L"\\A\\B");
  EXPECT_FALSE(r.IsOpened());
  EXPECT_EQ(r.path(), L"A\\B");
  EXPECT_TRUE(fake.keyExists(kHkcu, "A"));
  EXPECT_FALSE(fake.keyExists(kHkcu, "A\\B"));
  EXPECT_EQ(fake.openHandles(), 0u);

  fake.putText(kHkcu, "A\\X\\Y", "v", "x");
  ASSERT_TRUE(r.OpenKey(L"A"));
  std::wstring relative = L"X";
  EXPECT_TRUE(r.DeleteKey(relative));
  EXPECT_FALSE(fake.keyExists(kHkcu, "A\\X"));
  EXPECT_TRUE(r.IsOpened());
}

TEST_F(RegistryTest, DeleteKeyRefusesTheRootItself) {
  fake.putText(kHkcu, "A\\B", "v", "x");
  fake.putText(kHkcu, "C", "v", "x");
  const auto before = fake.dump(kHkcu);
  for (std::wstring path : {L"", L"\\", L"\\\\"}) {
    EXPECT_FALSE(r.DeleteKey(path));
  }
  ASSERT_TRUE(r.OpenKey(L""));  // the root itself, as the registry allows
  std::wstring own;
  EXPECT_FALSE(r.DeleteKey(own));
  EXPECT_TRUE(r.IsOpened());
  EXPECT_TRUE(spy.deleted.empty());
  EXPECT_EQ(fake.dump(kHkcu), before);
}

}  // namespace
}  // namespace doumteo
