#pragma once
// The general registry class: one position in the registry (a root key and at
// most one open key below it). Every operation reports failure through its
// result; none throws and none shows a message.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

// The kinds a caller may hold. Only empty, text, int32, bytes and text list
// are ever read back; uint8 and int16 are for writing; Unsupported stands for
// every other kind (floating point, boolean, date…), which writes nothing.
struct RegistryEmpty {
  bool operator==(const RegistryEmpty&) const = default;
};
struct RegistryUnsupported {
  bool operator==(const RegistryUnsupported&) const = default;
};
using RegistryBytes = std::vector<std::uint8_t>;
using RegistryTextList = std::vector<std::wstring>;
// A never-dimensioned array: writes nothing.
struct RegistryUndimensioned {
  bool operator==(const RegistryUndimensioned&) const = default;
};
using RegistryValue = std::variant<RegistryEmpty, std::wstring, std::int32_t, RegistryBytes, RegistryTextList,
                                   std::uint8_t, std::int16_t, RegistryUnsupported, RegistryUndimensioned>;

class Registry {
 public:
  explicit Registry(RegistryApi& api) : api_(&api) {}
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  RegHandle RootKey = 0;

  bool OpenKey(const std::wstring& szSubKey);
  std::unique_ptr<Registry> OpenKeyNew(const std::wstring& szSubKey);
  void CloseKey();
  // szSubKey receives the resolved path.
  std::unique_ptr<Registry> CreateKey(std::wstring& szSubKey);
  RegHandle handle() const { return handle_; }
  const std::wstring& path() const { return path_; }
  bool IsOpened() const { return handle_ != 0; }
  bool SubKeyExists(const std::wstring& szSubKey);
  bool ValueExists(const std::wstring& szValue);
  RegistryValue Value(const std::wstring& szValueName);
  void SetValue(const std::wstring& szValueName, const RegistryValue& vNewValue);
  std::uint32_t ValueType(const std::wstring& szValueName);
  std::optional<std::vector<std::wstring>> SubKeys();
  std::optional<std::vector<std::wstring>> ValueNames();
  bool DeleteValue(const std::wstring& szValueName);
  // An empty szPath deletes the object's own open key; szPath receives the
  // path used. A path that resolves to the root key itself is refused.
  bool DeleteKey(std::wstring& szPath);

 private:
  static std::wstring WithTrailingBackslash(const std::wstring& s);
  std::wstring ResolveSubKey(const std::wstring& s) const;
  // Works on the raw name buffer: bytes after the terminator may be left
  // over from a longer name and need not convert.
  static std::string_view CutAtNul(std::string_view s);
  static bool IsEmptyArray(const RegistryValue& v);
  bool DeleteKeyTree(const std::wstring& p);

  RegistryApi* api_;
  RegHandle handle_ = 0;
  std::wstring path_;
};

}  // namespace doumteo
