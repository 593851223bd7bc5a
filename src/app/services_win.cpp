#include "app/services_win.h"

#include <objbase.h>

#include "platform/browser_win.h"
#include "platform/clock_win.h"
#include "platform/database_win.h"
#include "platform/files_win.h"
#include "platform/processes_win.h"
#include "platform/registry_api_win.h"
#include "platform/shell_win.h"
#include "registry/settings_store.h"
#include "ui/message_box_win.h"

namespace doumteo {

namespace {

// COM is initialised once for the program, when the first command needs an
// automation object, so that start-up does not pay for it.
void ensureCom() {
  static const bool initialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  (void)initialised;
}

class LazyComBrowser final : public BrowserPort {
 public:
  std::unique_ptr<BrowserObject> create() override {
    ensureCom();
    return inner_.create();
  }

 private:
  Win32BrowserPort inner_;
};

class LazyComDatabase final : public DatabasePort {
 public:
  std::unique_ptr<DbConnection> createConnection() override {
    ensureCom();
    return inner_.createConnection();
  }

 private:
  Win32DatabasePort inner_;
};

// ShellExecute may use COM for some documents and addresses.
class ComShell final : public ShellPort {
 public:
  void shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override {
    ensureCom();
    inner_.shellOpen(file, parameters, directory);
  }
  long createProcess(const std::wstring& commandLine) override { return inner_.createProcess(commandLine); }
  long shellExecute(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters) override {
    ensureCom();
    return inner_.shellExecute(verb, file, parameters);
  }
  ProgramRun runSelfAndWait(const std::wstring& verb, const std::wstring& parameters, unsigned timeoutMs) override {
    ensureCom();
    return inner_.runSelfAndWait(verb, parameters, timeoutMs);
  }

 private:
  Win32Shell inner_;
};

}  // namespace

struct Win32Services::Impl {
  ui::Win32MessageBox messages;
  Win32RegistryApi registry;
  RegistrySettingsStore settings{registry};
  ComShell shell;
  Win32ProcessList processes;
  Win32FileSystem files;
  Win32Clock clock;
  LazyComBrowser browser;
  LazyComDatabase database;
};

Win32Services::Win32Services() : impl_(std::make_unique<Impl>()) {}
Win32Services::~Win32Services() = default;

Services Win32Services::services() {
  auto& i = *impl_;
  return Services{i.messages, i.registry, i.settings, i.shell, i.processes, i.files, i.clock, i.browser, i.database};
}

void Win32Services::setMainWindow(HWND main) { impl_->messages.setFallbackOwner(main); }

}  // namespace doumteo
