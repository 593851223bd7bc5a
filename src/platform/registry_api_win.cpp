#include "platform/registry_api_win.h"

namespace doumteo {

namespace {

const char* nameOf(const std::optional<std::string>& name) { return name ? name->c_str() : nullptr; }

RegHandle fromHkey(HKEY h) { return reinterpret_cast<RegHandle>(h); }

}  // namespace

HKEY Win32RegistryApi::toHkey(RegHandle h) {
  switch (h) {
    case reg::kHkeyClassesRoot:
      return HKEY_CLASSES_ROOT;
    case reg::kHkeyCurrentUser:
      return HKEY_CURRENT_USER;
    case reg::kHkeyLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case reg::kHkeyUsers:
      return HKEY_USERS;
    default:
      return reinterpret_cast<HKEY>(h);
  }
}

long Win32RegistryApi::openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) {
  HKEY h = nullptr;
  const LONG rc = RegOpenKeyExA(toHkey(root), path.c_str(), 0, access, &h);
  if (rc == ERROR_SUCCESS) out = fromHkey(h);
  return rc;
}

long Win32RegistryApi::createKey(RegHandle root, const std::string& path, RegHandle& out) {
  HKEY h = nullptr;
  const LONG rc = RegCreateKeyExA(toHkey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
  if (rc == ERROR_SUCCESS) out = fromHkey(h);
  return rc;
}

long Win32RegistryApi::closeKey(RegHandle key) { return RegCloseKey(toHkey(key)); }

long Win32RegistryApi::queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) {
  DWORD t = 0;
  DWORD s = size ? *size : 0;
  const LONG rc = RegQueryValueExA(toHkey(key), nameOf(name), nullptr, type ? &t : nullptr, data, size ? &s : nullptr);
  if (type) *type = t;
  if (size) *size = s;
  return rc;
}

long Win32RegistryApi::setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(toHkey(key), nameOf(name), 0, type, data, size);
}

long Win32RegistryApi::enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) {
  return RegEnumKeyA(toHkey(key), index, buffer, bufferSize);
}

long Win32RegistryApi::enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) {
  DWORD len = length;
  const LONG rc = RegEnumValueA(toHkey(key), index, buffer, &len, nullptr, nullptr, nullptr, nullptr);
  length = len;
  return rc;
}

long Win32RegistryApi::deleteValue(RegHandle key, const std::optional<std::string>& name) {
  return RegDeleteValueA(toHkey(key), nameOf(name));
}

long Win32RegistryApi::deleteKey(RegHandle root, const std::string& path) {
  return RegDeleteKeyA(toHkey(root), path.c_str());
}

}  // namespace doumteo
