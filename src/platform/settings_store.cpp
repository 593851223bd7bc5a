#include "platform/settings_store.h"

#include <vector>

#include "platform/ansi.h"

namespace doumteo {

namespace {

std::string sectionPath(const std::wstring& app, const std::wstring& section) {
  return std::string(kSettingsRoot) + "\\" + toAnsi(app) + "\\" + toAnsi(section);
}

[[noreturn]] void failInvalid() { throw Failure(err::kInvalidCall, L"Invalid procedure call or argument"); }

}  // namespace

std::wstring RegistrySettingsStore::get(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                                        const std::wstring& defaultValue) {
  if (app.empty() || section.empty()) return defaultValue;
  RegHandle h = 0;
  if (api_.openKey(reg::kHkeyCurrentUser, sectionPath(app, section), reg::kKeyQueryValue, h) != reg::kSuccess)
    return defaultValue;
  const RegKey guard(api_, h);
  const std::optional<std::string> name = toAnsi(key);
  std::uint32_t type = 0, size = 0;
  if (api_.queryValue(h, name, &type, nullptr, &size) != reg::kSuccess) return defaultValue;
  if (type != reg::kSz && type != reg::kExpandSz) return defaultValue;
  std::vector<std::uint8_t> data(size + 1, 0);
  std::uint32_t got = size;
  if (api_.queryValue(h, name, &type, data.data(), &got) != reg::kSuccess) return defaultValue;
  std::string bytes(reinterpret_cast<const char*>(data.data()), got);
  if (const auto nul = bytes.find('\0'); nul != std::string::npos) bytes.resize(nul);
  return fromAnsi(bytes);
}

void RegistrySettingsStore::save(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                                 const std::wstring& value) {
  if (app.empty() || section.empty()) failInvalid();
  RegHandle h = 0;
  if (api_.createKey(reg::kHkeyCurrentUser, sectionPath(app, section), h) != reg::kSuccess)
    throw Failure(err::kPermissionDenied, L"Permission denied");
  const RegKey guard(api_, h);
  const std::string data = toAnsi(value);
  if (api_.setValue(h, toAnsi(key), reg::kSz, reinterpret_cast<const std::uint8_t*>(data.c_str()),
                    static_cast<std::uint32_t>(data.size() + 1)) != reg::kSuccess)
    throw Failure(err::kPermissionDenied, L"Permission denied");
}

void RegistrySettingsStore::deleteSetting(const std::wstring& app, const std::wstring& section,
                                          const std::wstring& key) {
  if (app.empty() || section.empty()) failInvalid();
  RegHandle h = 0;
  if (api_.openKey(reg::kHkeyCurrentUser, sectionPath(app, section), reg::kKeyAllAccess, h) != reg::kSuccess)
    failInvalid();
  const RegKey guard(api_, h);
  if (api_.deleteValue(h, toAnsi(key)) != reg::kSuccess) failInvalid();
}

void RegistrySettingsStore::deleteApp(const std::wstring& app) {
  // An empty name, or one of separators only (the registry reads doubled and
  // trailing separators as one), would address the shared root of every
  // program's settings.
  if (app.find_first_not_of(L'\\') == std::wstring::npos) failInvalid();
  if (deleteTree(std::string(kSettingsRoot) + "\\" + toAnsi(app)) != reg::kSuccess) failInvalid();
}

long RegistrySettingsStore::deleteTree(const std::string& path) {
  RegHandle h = 0;
  if (long rc = api_.openKey(reg::kHkeyCurrentUser, path, reg::kKeyAllAccess, h); rc != reg::kSuccess) return rc;
  std::vector<std::string> children;
  {
    const RegKey guard(api_, h);
    char buffer[260];
    for (std::uint32_t i = 0; api_.enumKey(h, i, buffer, sizeof buffer) == reg::kSuccess; ++i)
      children.emplace_back(buffer);
  }
  for (const auto& child : children)
    if (long rc = deleteTree(path + "\\" + child); rc != reg::kSuccess) return rc;
  return api_.deleteKey(reg::kHkeyCurrentUser, path);
}

}  // namespace doumteo
