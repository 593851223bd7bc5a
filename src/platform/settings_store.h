#pragma once
#include "platform/ports.h"

namespace doumteo {

inline constexpr char kSettingsRoot[] = "Software\\VB and VBA Program Settings";

// The application settings store on the raw registry port, through the ANSI
// entry points. Names are compared without regard to case, as the registry
// does.
class RegistrySettingsStore final : public SettingsStore {
 public:
  explicit RegistrySettingsStore(RegistryApi& api) : api_(api) {}
  std::wstring get(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                   const std::wstring& defaultValue) override;
  void save(const std::wstring& app, const std::wstring& section, const std::wstring& key,
            const std::wstring& value) override;
  void deleteSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key) override;
  void deleteApp(const std::wstring& app) override;

 private:
  long deleteTree(const std::string& path);
  RegistryApi& api_;
};

}  // namespace doumteo
