#include "app/services_win.h"

#include "platform/registry_api_win.h"
#include "platform/settings_store.h"
#include "ui/message_box_win.h"

namespace doumteo {

namespace {
// Interim adapters until the real ones are wired in.
class PendingShell final : public ShellPort {
 public:
  void shellOpen(const std::wstring&, const std::wstring&, const std::wstring&) override {}
  bool startProgram(const std::wstring& commandLine) override {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
  }
};
class PendingProcesses final : public ProcessListPort {
 public:
  std::optional<std::vector<std::wstring>> snapshot() override { return std::nullopt; }
};
class PendingFiles final : public FileSystemPort {
 public:
  std::wstring programFolder() override { return L""; }
  bool exists(const std::wstring&, bool) override { return false; }
  std::vector<std::wstring> listFiles(const std::wstring&, const std::wstring&) override { return {}; }
  void copyFile(const std::wstring&, const std::wstring&) override {}
  void createFolder(const std::wstring&) override {}
  void setCurrentFolder(const std::wstring&) override {}
  std::string readFirstLine(const std::wstring&) override { return {}; }
};
class PendingClock final : public ClockPort {
 public:
  LocalTime now() override { return {}; }
  void setLocalTime(const LocalTime&) override {}
  void sleep(unsigned ms) override { Sleep(ms); }
};
class PendingBrowser final : public BrowserPort {
 public:
  std::unique_ptr<BrowserObject> create() override { throw Failure(429, L"ActiveX component can't create object"); }
};
class PendingDatabase final : public DatabasePort {
 public:
  std::unique_ptr<DbConnection> createConnection() override {
    throw Failure(429, L"ActiveX component can't create object");
  }
};
}  // namespace

struct Win32Services::Impl {
  ui::Win32MessageBox messages;
  Win32RegistryApi registry;
  RegistrySettingsStore settings{registry};
  PendingShell shell;
  PendingProcesses processes;
  PendingFiles files;
  PendingClock clock;
  PendingBrowser browser;
  PendingDatabase database;
};

Win32Services::Win32Services() : impl_(std::make_unique<Impl>()) {}
Win32Services::~Win32Services() = default;

Services Win32Services::services() {
  auto& i = *impl_;
  return Services{i.messages, i.registry, i.settings, i.shell, i.processes, i.files, i.clock, i.browser, i.database};
}

void Win32Services::setMainWindow(HWND main) { impl_->messages.setFallbackOwner(main); }

}  // namespace doumteo
