#include "platform/registry_api_win.h"

#include <algorithm>

namespace doumteo {

namespace {

const char* nameOf(const std::optional<std::string>& name) { return name ? name->c_str() : nullptr; }

RegHandle fromHkey(HKEY h) { return reinterpret_cast<RegHandle>(h); }

// A name or a value can grow between asking for the largest sizes and
// reading; a few tries with room to spare settle it.
constexpr int kSizeTries = 4;

struct LargestSizes {
  DWORD subkeyName = 0;  // characters, without the NUL
  DWORD valueName = 0;   // characters, without the NUL
  DWORD valueData = 0;   // bytes
};

LONG largestSizes(HKEY key, LargestSizes& out) {
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, &out.subkeyName, nullptr, nullptr, &out.valueName,
                          &out.valueData, nullptr, nullptr);
}

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

long Win32RegistryApi::openKeyW(RegHandle root, const std::wstring& path, std::uint32_t access, RegHandle& out) {
  HKEY h = nullptr;
  const LONG rc = RegOpenKeyExW(toHkey(root), path.c_str(), REG_OPTION_OPEN_LINK, access, &h);
  if (rc == ERROR_SUCCESS) out = fromHkey(h);
  return rc;
}

long Win32RegistryApi::enumKeyW(RegHandle key, std::uint32_t index, std::wstring& name) {
  const HKEY h = toHkey(key);
  DWORD room = 256;  // a key name holds at most 255 characters
  for (int attempt = 0; attempt < kSizeTries; ++attempt) {
    LargestSizes largest;
    if (const LONG rc = largestSizes(h, largest); rc != ERROR_SUCCESS) return rc;
    room = std::max(room, largest.subkeyName + 1);
    std::wstring buffer(room, L'\0');
    DWORD length = room;
    const LONG rc = RegEnumKeyExW(h, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      room *= 2;
      continue;
    }
    if (rc == ERROR_SUCCESS) name.assign(buffer.data(), std::min<DWORD>(length, room));
    return rc;
  }
  return ERROR_MORE_DATA;
}

long Win32RegistryApi::enumValueW(RegHandle key, std::uint32_t index, std::wstring& name, std::uint32_t& type,
                                  std::vector<std::uint8_t>& data) {
  const HKEY h = toHkey(key);
  DWORD nameRoom = 0;
  DWORD dataRoom = 0;
  for (int attempt = 0; attempt < kSizeTries; ++attempt) {
    LargestSizes largest;
    if (const LONG rc = largestSizes(h, largest); rc != ERROR_SUCCESS) return rc;
    nameRoom = std::max(nameRoom, largest.valueName + 1);
    dataRoom = std::max(dataRoom, largest.valueData);
    std::wstring nameBuffer(nameRoom, L'\0');
    std::vector<std::uint8_t> dataBuffer(std::max<DWORD>(dataRoom, 1));
    DWORD nameLength = nameRoom;
    DWORD dataLength = static_cast<DWORD>(dataBuffer.size());
    DWORD t = 0;
    const LONG rc =
        RegEnumValueW(h, index, nameBuffer.data(), &nameLength, nullptr, &t, dataBuffer.data(), &dataLength);
    if (rc == ERROR_MORE_DATA) {
      nameRoom *= 2;
      dataRoom = std::max(dataRoom * 2, dataLength);
      continue;
    }
    if (rc != ERROR_SUCCESS) return rc;
    name.assign(nameBuffer.data(), std::min(nameLength, nameRoom));
    type = t;
    dataBuffer.resize(std::min<std::size_t>(dataLength, dataBuffer.size()));
    data = std::move(dataBuffer);
    return rc;
  }
  return ERROR_MORE_DATA;
}

long Win32RegistryApi::createKeyW(RegHandle root, const std::wstring& path, RegHandle& out) {
  HKEY h = nullptr;
  const LONG rc = RegCreateKeyExW(toHkey(root), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr);
  if (rc == ERROR_SUCCESS) out = fromHkey(h);
  return rc;
}

long Win32RegistryApi::setValueW(RegHandle key, const std::wstring& name, std::uint32_t type,
                                 const std::vector<std::uint8_t>& data) {
  if (data.size() > MAXDWORD) return ERROR_INVALID_PARAMETER;
  return RegSetValueExW(toHkey(key), name.empty() ? nullptr : name.c_str(), 0, type,
                        data.empty() ? nullptr : data.data(), static_cast<DWORD>(data.size()));
}

long Win32RegistryApi::deleteKeyW(RegHandle root, const std::wstring& path) {
  return RegDeleteKeyW(toHkey(root), path.c_str());
}

}  // namespace doumteo
