#include "registry/registry.h"

#include <algorithm>
#include <array>
#include <type_traits>

#include "platform/ansi.h"

namespace doumteo {

namespace {

constexpr std::uint32_t kNameBufferSize = 260;

// The registry takes the key's default (unnamed) value only as a null name.
std::optional<std::string> valueName(const std::wstring& name) {
  if (name.empty()) return std::nullopt;
  return toAnsi(name);
}

RegistryBytes dwordBytes(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}

RegistryBytes ansiBytes(const std::wstring& text) {
  const std::string a = toAnsi(text);
  return RegistryBytes(a.begin(), a.end());
}

std::wstring textOf(const RegistryBytes& data, std::size_t count) {
  return fromAnsi(std::string_view(reinterpret_cast<const char*>(data.data()), count));
}

struct Encoded {
  std::uint32_t type;
  RegistryBytes data;
};

std::optional<Encoded> encode(const RegistryValue& v) {
  return std::visit(
      [](const auto& x) -> std::optional<Encoded> {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::int16_t> ||
                      std::is_same_v<T, std::int32_t>) {
          return Encoded{reg::kDword, dwordBytes(static_cast<std::int32_t>(x))};
        } else if constexpr (std::is_same_v<T, std::wstring>) {
          return Encoded{reg::kSz, ansiBytes(x + L'\0')};
        } else if constexpr (std::is_same_v<T, RegistryTextList>) {
          std::wstring joined;
          for (std::size_t i = 0; i < x.size(); ++i) {
            if (i) joined += L'\0';
            joined += x[i];
          }
          joined += L'\0';
          joined += L'\0';
          return Encoded{reg::kMultiSz, ansiBytes(joined)};
        } else if constexpr (std::is_same_v<T, RegistryBytes>) {
          return Encoded{reg::kBinary, x};
        } else {
          return std::nullopt;
        }
      },
      v);
}

// Text values normally end in one NUL. One stored without it keeps its last
// character: only a terminator that is there is dropped.
RegistryValue decodeText(const RegistryBytes& data) {
  std::size_t n = data.size();
  if (data[n - 1] == 0) --n;
  return textOf(data, n);
}

// A text list ends in a NUL after its last text and one more for the list.
// Terminators that are missing cost no text.
RegistryValue decodeTextList(const RegistryBytes& data) {
  if (data.size() == 1 && data[0] == 0) return RegistryEmpty{};
  std::size_t n = data.size();
  for (int i = 0; i < 2 && n > 0 && data[n - 1] == 0; ++i) --n;
  RegistryTextList list;
  if (n == 0) return list;
  const std::wstring text = textOf(data, n);
  std::size_t start = 0;
  for (;;) {
    const std::size_t nul = text.find(L'\0', start);
    list.push_back(text.substr(start, nul == std::wstring::npos ? std::wstring::npos : nul - start));
    if (nul == std::wstring::npos) break;
    start = nul + 1;
  }
  return list;
}

RegistryValue decodeDword(const RegistryBytes& data) {
  // Fewer than four bytes hold no whole number.
  if (data.size() < 4) return RegistryEmpty{};
  const std::uint32_t u = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
                          std::uint32_t{data[3]} << 24;
  return static_cast<std::int32_t>(u);
}

}  // namespace

Registry::~Registry() { CloseKey(); }

bool Registry::OpenKey(const std::wstring& szSubKey) {
  if (RootKey == 0) return false;
  RegHandle h = 0;
  if (api_->openKey(RootKey, toAnsi(szSubKey), reg::kKeyAllAccess, h) != reg::kSuccess || h == 0) return false;
  CloseKey();
  handle_ = h;
  path_ = szSubKey;
  return true;
}

std::unique_ptr<Registry> Registry::OpenKeyNew(const std::wstring& szSubKey) {
  auto key = std::make_unique<Registry>(*api_);
  key->RootKey = RootKey;
  if (!key->OpenKey(ResolveSubKey(szSubKey))) return nullptr;
  return key;
}

void Registry::CloseKey() {
  if (!IsOpened()) return;
  api_->closeKey(handle_);
  handle_ = 0;
}

std::unique_ptr<Registry> Registry::CreateKey(std::wstring& szSubKey) {
  szSubKey = ResolveSubKey(szSubKey);
  if (RootKey == 0) return nullptr;
  RegHandle h = 0;
  if (api_->createKey(RootKey, toAnsi(szSubKey), h) != reg::kSuccess) return nullptr;
  api_->closeKey(h);
  auto key = std::make_unique<Registry>(*api_);
  key->RootKey = RootKey;
  if (!key->OpenKey(szSubKey)) return nullptr;
  return key;
}

bool Registry::SubKeyExists(const std::wstring& szSubKey) {
  if (RootKey == 0) return false;
  RegHandle h = 0;
  if (api_->openKey(RootKey, toAnsi(ResolveSubKey(szSubKey)), reg::kKeyQueryValue, h) != reg::kSuccess) return false;
  api_->closeKey(h);
  return true;
}

bool Registry::ValueExists(const std::wstring& szValue) {
  if (!IsOpened()) return false;
  return api_->queryValue(handle_, valueName(szValue), nullptr, nullptr, nullptr) == reg::kSuccess;
}

RegistryValue Registry::Value(const std::wstring& szValueName) {
  if (!IsOpened()) return RegistryEmpty{};
  const auto name = valueName(szValueName);
  std::uint32_t type = 0, size = 0;
  if (api_->queryValue(handle_, name, &type, nullptr, &size) != reg::kSuccess || size == 0) return RegistryEmpty{};
  RegistryBytes data(size);
  std::uint32_t got = size;
  if (api_->queryValue(handle_, name, &type, data.data(), &got) != reg::kSuccess) return RegistryEmpty{};
  // The value may have shrunk between the two queries.
  data.resize(std::min(got, size));
  if (data.empty()) return RegistryEmpty{};
  switch (type) {
    case reg::kSz:
    case reg::kExpandSz:
      return decodeText(data);
    case reg::kBinary:
      return data;
    case reg::kDword:
      return decodeDword(data);
    case reg::kMultiSz:
      return decodeTextList(data);
    default:
      return RegistryEmpty{};
  }
}

void Registry::SetValue(const std::wstring& szValueName, const RegistryValue& vNewValue) {
  if (!IsOpened() || IsEmptyArray(vNewValue)) return;
  const auto encoded = encode(vNewValue);
  if (!encoded) return;
  // An empty byte sequence still needs a valid data pointer.
  const std::uint8_t none = 0;
  const std::uint8_t* data = encoded->data.empty() ? &none : encoded->data.data();
  api_->setValue(handle_, valueName(szValueName), encoded->type, data,
                 static_cast<std::uint32_t>(encoded->data.size()));
}

std::uint32_t Registry::ValueType(const std::wstring& szValueName) {
  if (!IsOpened()) return 0;
  std::uint32_t type = 0;
  if (api_->queryValue(handle_, valueName(szValueName), &type, nullptr, nullptr) != reg::kSuccess) return 0;
  return type;
}

std::optional<std::vector<std::wstring>> Registry::SubKeys() {
  if (!IsOpened()) return std::nullopt;
  std::vector<std::wstring> names;
  std::array<char, kNameBufferSize> buffer{};
  // 259 (no more items) ends the list; any other failure ends it too and
  // keeps what was gathered.
  for (std::uint32_t i = 0; api_->enumKey(handle_, i, buffer.data(), kNameBufferSize) == reg::kSuccess; ++i)
    names.push_back(fromAnsi(CutAtNul(std::string_view(buffer.data(), buffer.size()))));
  if (names.empty()) return std::nullopt;
  return names;
}

std::optional<std::vector<std::wstring>> Registry::ValueNames() {
  if (!IsOpened()) return std::nullopt;
  std::vector<std::wstring> names;
  std::array<char, kNameBufferSize> buffer{};
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t length = kNameBufferSize;
    if (api_->enumValue(handle_, i, buffer.data(), length) != reg::kSuccess) break;
    // The default value has no name and is not listed.
    if (length > 0) names.push_back(fromAnsi(CutAtNul(std::string_view(buffer.data(), buffer.size()))));
  }
  if (names.empty()) return std::nullopt;
  return names;
}

bool Registry::DeleteValue(const std::wstring& szValueName) {
  if (!IsOpened()) return false;
  return api_->deleteValue(handle_, valueName(szValueName)) == reg::kSuccess;
}

bool Registry::DeleteKey(std::wstring& szPath) {
  const bool ownKey = szPath.empty();
  if (ownKey) szPath = L"\\" + path_;
  const std::wstring target = ResolveSubKey(szPath);
  // A path of nothing but separators names the root key itself (or nothing);
  // its whole tree is never what a caller means to delete.
  if (target.find_first_not_of(L'\\') == std::wstring::npos) return false;
  if (ownKey) CloseKey();
  return DeleteKeyTree(target);
}

std::wstring Registry::WithTrailingBackslash(const std::wstring& s) {
  if (!s.empty() && s.back() != L'\\') return s + L'\\';
  return s;
}

std::wstring Registry::ResolveSubKey(const std::wstring& s) const {
  if (!s.empty() && s.front() == L'\\') return s.substr(1);
  return WithTrailingBackslash(path_) + s;
}

std::string_view Registry::CutAtNul(std::string_view s) { return s.substr(0, s.find('\0')); }

bool Registry::IsEmptyArray(const RegistryValue& v) { return std::holds_alternative<RegistryUndimensioned>(v); }

bool Registry::DeleteKeyTree(const std::wstring& p) {
  Registry key(*api_);
  key.RootKey = RootKey;
  if (!key.OpenKey(p)) return false;
  if (const auto names = key.SubKeys()) {
    for (const auto& name : *names)
      if (!DeleteKeyTree(WithTrailingBackslash(p) + name)) break;
  }
  key.CloseKey();
  // The registry refuses to delete a key that still has subkeys, so a
  // subtree that could not be emptied leaves p in place.
  return api_->deleteKey(RootKey, toAnsi(p)) == reg::kSuccess;
}

}  // namespace doumteo
