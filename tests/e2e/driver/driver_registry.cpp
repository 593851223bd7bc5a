// The registry: values, keys, application settings and the product profile.
#include "driver/driver.h"

#include <memory>
#include <type_traits>
#include <utility>

namespace e2e {

namespace {

struct KeyCloser {
  void operator()(HKEY k) const { RegCloseKey(k); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

UniqueKey openKey(HKEY root, const std::wstring& path, REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return UniqueKey();
  return UniqueKey(key);
}

}  // namespace

std::optional<std::wstring> regString(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD size = 0;
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(wcslen(value.c_str()));
  return value;
}

std::optional<DWORD> regDword(HKEY root, const std::wstring& path, const std::wstring& name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

void regSetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value) {
  LSTATUS rc = RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_SZ, value.c_str(),
                               static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (rc != ERROR_SUCCESS) throw DriverError(L"cannot write registry value " + path + L"\\" + name);
}

void regSetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value) {
  if (RegSetKeyValueW(root, path.c_str(), name.c_str(), REG_DWORD, &value, sizeof value) != ERROR_SUCCESS)
    throw DriverError(L"cannot write registry value " + path + L"\\" + name);
}

bool regKeyExists(HKEY root, const std::wstring& path) { return openKey(root, path, KEY_READ) != nullptr; }

void regDeleteTree(HKEY root, const std::wstring& path) {
  LSTATUS rc = RegDeleteTreeW(root, path.c_str());
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(root, path.c_str());
    return;
  }
  throw DriverError(L"cannot delete registry key " + path);
}

std::wstring settingsKey(const std::wstring& app, const std::wstring& section) {
  std::wstring key = std::wstring(kSettingsRoot) + L"\\" + app;
  if (!section.empty()) key += L"\\" + section;
  return key;
}

void setSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                const std::wstring& value) {
  regSetString(HKEY_CURRENT_USER, settingsKey(app, section), key, value);
}

std::optional<std::wstring> getSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key) {
  return regString(HKEY_CURRENT_USER, settingsKey(app, section), key);
}

void deleteSettings(const std::wstring& app) { regDeleteTree(HKEY_CURRENT_USER, settingsKey(app)); }

void seedProfile(const Profile& profile) {
  regDeleteTree(HKEY_CURRENT_USER, settingsKey(L"Setupkeeper", L"ASKey"));
  const std::pair<const wchar_t*, const std::wstring*> fields[] = {
      {L"SetupFile", &profile.setupFile},     {L"Exefile", &profile.exeFile},
      {L"DBPath", &profile.dbPath},           {L"Program", &profile.program},
      {L"RegiProgram", &profile.regiProgram}, {L"DBTable", &profile.dbTable},
      {L"DBFold", &profile.dbFold},           {L"DBName", &profile.dbName}};
  for (const auto& [name, value] : fields)
    if (!value->empty()) setSetting(L"Setupkeeper", L"ASKey", name, *value);
}

}  // namespace e2e
