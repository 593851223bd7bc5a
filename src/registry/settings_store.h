#pragma once
#include "platform/ports.h"

namespace doumteo {

// The application settings store on the raw registry port: one setting
// through the ANSI entry points, a whole area through the settings area's
// own walk. Names are compared without regard to case, as the registry
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
  RegistryApi& api_;
};

}  // namespace doumteo
