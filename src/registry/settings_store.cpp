#include "registry/settings_store.h"

#include <vector>

#include "platform/ansi.h"
#include "registry/settings_area.h"

namespace doumteo {

namespace {

std::string sectionPath(const std::wstring& app, const std::wstring& section) {
  return toAnsi(settingsAreaKeyPath(app) + L"\\" + section);
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
  // A name that is no level of its own (empty, separators, dots) would
  // address the shared root of every program's settings.
  if (!isSettingsLevelName(app)) failInvalid();
  try {
    const auto problems = deleteSettingsArea(api_, app);
    if (!problems || !problems->empty()) failInvalid();
  } catch (const AreaRefused&) {
    failInvalid();
  }
}

}  // namespace doumteo
