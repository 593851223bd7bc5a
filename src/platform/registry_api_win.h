#pragma once
// The raw registry port on advapi32's ANSI entry points, with wide reading
// and writing beside them.
#include <windows.h>

#include "platform/ports.h"

namespace doumteo {

class Win32RegistryApi final : public RegistryApi {
 public:
  long openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) override;
  long createKey(RegHandle root, const std::string& path, RegHandle& out) override;
  long closeKey(RegHandle key) override;
  long queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override;
  long enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) override;
  long deleteValue(RegHandle key, const std::optional<std::string>& name) override;
  long deleteKey(RegHandle root, const std::string& path) override;

  long openKeyW(RegHandle root, const std::wstring& path, std::uint32_t access, RegHandle& out) override;
  long enumKeyW(RegHandle key, std::uint32_t index, std::wstring& name) override;
  long enumValueW(RegHandle key, std::uint32_t index, std::wstring& name, std::uint32_t& type,
                  std::vector<std::uint8_t>& data) override;

  long createKeyW(RegHandle root, const std::wstring& path, RegHandle& out) override;
  long setValueW(RegHandle key, const std::wstring& name, std::uint32_t type,
                 const std::vector<std::uint8_t>& data) override;
  long deleteKeyW(RegHandle root, const std::wstring& path) override;

  // The port's root numbers are 32-bit; the predefined HKEYs of a 64-bit
  // process are those numbers sign-extended.
  static HKEY toHkey(RegHandle h);
};

}  // namespace doumteo
