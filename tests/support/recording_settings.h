#pragma once
// A settings store that writes through to another one and records every save
// in the shared event log ("save:app/section/key=value"), so that tests can
// check the order of settings against messages and program starts. Saves of
// keys listed in failKeys throw as a refused registry write would.
#include <set>
#include <string>

#include "fakes/fakes.h"

namespace doumteo::testsupport {

class RecordingSettings final : public SettingsStore {
 public:
  RecordingSettings(SettingsStore& inner, fakes::EventLog& log) : inner_(inner), log_(log) {}
  std::wstring get(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                   const std::wstring& defaultValue) override {
    return inner_.get(app, section, key, defaultValue);
  }
  void save(const std::wstring& app, const std::wstring& section, const std::wstring& key,
            const std::wstring& value) override {
    log_.push_back(L"save:" + app + L"/" + section + L"/" + key + L"=" + value);
    if (failKeys.count(key)) throw Failure(err::kPermissionDenied, L"Permission denied");
    inner_.save(app, section, key, value);
  }
  void deleteSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key) override {
    inner_.deleteSetting(app, section, key);
  }
  void deleteApp(const std::wstring& app) override { inner_.deleteApp(app); }

  std::set<std::wstring> failKeys;

 private:
  SettingsStore& inner_;
  fakes::EventLog& log_;
};

// The FakeEnv's services with the recording store in place of its settings.
inline Services servicesWith(fakes::FakeEnv& env, SettingsStore& settings) {
  return Services{env.messages, env.registry, settings,    env.shell,   env.processes,
                  env.files,    env.clock,    env.browser, env.database};
}

}  // namespace doumteo::testsupport
