#pragma once
// In-memory stand-ins for every port. FakeEnv owns one of each and hands out
// the Services aggregate; all fakes append to one event log so that tests can
// check the order of messages, settings and program starts across ports.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/window_port.h"
#include "fakes/fake_registry.h"
#include "platform/ports.h"
#include "registry/settings_store.h"

namespace doumteo::fakes {

using EventLog = std::vector<std::wstring>;

class FakeMessageBox final : public MessageBoxPort {
 public:
  explicit FakeMessageBox(EventLog& log) : log_(log) {}
  // Answers are taken in order; with none queued, OK boxes answer Ok and
  // Yes/No boxes answer their default button (as a user pressing Enter).
  Answer show(const MessageRequest& request) override;
  std::deque<Answer> answers;
  std::vector<MessageRequest> shown;
  std::function<void(const MessageRequest&)> onShow;  // e.g. to throw

 private:
  EventLog& log_;
};

class FakeShell final : public ShellPort {
 public:
  explicit FakeShell(EventLog& log) : log_(log) {}
  struct Call {
    std::wstring file, parameters, directory;
  };
  void shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) override;
  long createProcess(const std::wstring& commandLine) override;
  long shellExecute(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters) override;
  ProgramRun runSelfAndWait(const std::wstring& verb, const std::wstring& parameters, unsigned timeoutMs) override;
  std::vector<Call> opened;
  std::vector<std::wstring> started;  // command lines handed to createProcess
  bool startSucceeds = true;
  long createError = 0;  // what createProcess answers when startSucceeds; 0 = started
  long shellError = 0;   // what shellExecute answers
  ProgramRun selfRun{ProgramRun::End::Exited, 0, {}};

 private:
  EventLog& log_;
};

class FakeProcessList final : public ProcessListPort {
 public:
  std::optional<std::vector<std::wstring>> snapshot() override { return processes; }
  std::optional<std::vector<std::wstring>> processes = std::vector<std::wstring>{};
};

class FakeFileSystem final : public FileSystemPort {
 public:
  explicit FakeFileSystem(EventLog& log) : log_(log) {}
  std::wstring programFolder() override { return folder; }
  bool exists(const std::wstring& path, bool includeFolders) override;
  std::vector<std::wstring> listFiles(const std::wstring& dir, const std::wstring& pattern) override;
  void copyFile(const std::wstring& from, const std::wstring& to) override;
  void createFolder(const std::wstring& path) override;
  void setCurrentFolder(const std::wstring& path) override;
  std::string readFirstLine(const std::wstring& path) override;
  std::wstring localAppDataFolder() override;
  void writeFile(const std::wstring& path, const std::string& bytes) override;
  std::string readFile(const std::wstring& path, std::size_t limit) override;
  void deleteFile(const std::wstring& path) override;

  struct File {
    std::string content;
    bool hidden = false;
    bool system = false;
  };
  std::wstring folder = L"C:\\Product";
  std::map<std::wstring, File> files;  // full path -> content (paths compared as given)
  std::set<std::wstring> folders;      // full paths without trailing separator
  std::set<std::wstring> locked;       // copies onto these fail
  std::set<std::wstring> failLookup;   // exists() on these throws
  std::wstring currentFolder;
  std::wstring localAppData = L"C:\\Users\\user\\AppData\\Local";  // "" = unknown (throws)
  std::set<std::wstring> readOnlyFolders;                          // files and folders cannot be made directly inside
  // Sees (and may change) the bytes of every writeFile before they are stored.
  std::function<void(const std::wstring& path, std::string& bytes)> onWrite;

 private:
  EventLog& log_;
};

class FakeClock final : public ClockPort {
 public:
  explicit FakeClock(EventLog& log) : log_(log) {}
  LocalTime now() override { return current; }
  void setLocalTime(const LocalTime& t) override;
  void sleep(unsigned ms) override;
  LocalTime current{2009, 3, 4, 5, 14, 5, 33, 120};
  std::vector<LocalTime> set;
  bool refuse = false;  // the system refuses the change
  int refusal = 1314;   // with this error number

 private:
  EventLog& log_;
};

class FakeBrowser final : public BrowserPort {
 public:
  explicit FakeBrowser(EventLog& log) : log_(log) {}
  std::unique_ptr<BrowserObject> create() override;
  // Which step fails: "" none, "create", "Visible", "SetFocus", "Navigate".
  std::wstring failAt = L"create";
  std::vector<std::wstring> navigated;
  int visibleWindows = 0;

 private:
  EventLog& log_;
};

class FakeDatabase final : public DatabasePort {
 public:
  explicit FakeDatabase(EventLog& log) : log_(log) {}
  std::unique_ptr<DbConnection> createConnection() override;
  // Which step fails: "" none, "create", "open", "execute".
  std::wstring failAt;
  std::wstring lastConnectionString, lastSql;
  long lastTimeout = 0, lastCursor = 0;
  int live = 0;  // connections not yet released

 private:
  EventLog& log_;
};

class FakeWindow final : public WindowPort {
 public:
  explicit FakeWindow(EventLog& log) : log_(log) {}
  void minimizeMain() override;
  void closeMain() override;
  void showLogin() override;
  void showClock() override;
  void showImage(int index) override;
  std::vector<std::wstring> openFormNames() override { return forms; }
  void unloadForm(const std::wstring& name) override;
  bool minimized = false, closed = false;
  std::vector<std::wstring> forms{L"FrmMain"};
  std::function<void()> onShowLogin;

 private:
  EventLog& log_;
};

// One of each, wired to one event log.
struct FakeEnv {
  FakeEnv();
  Services services();
  EventLog log;
  FakeMessageBox messages{log};
  FakeRegistry registry;
  RegistrySettingsStore settings{registry};
  FakeShell shell{log};
  FakeProcessList processes;
  FakeFileSystem files{log};
  FakeClock clock{log};
  FakeBrowser browser{log};
  FakeDatabase database{log};
  FakeWindow window{log};
  // A setting of the VB settings area, or nullopt.
  std::optional<std::wstring> setting(const std::wstring& app, const std::wstring& section,
                                      const std::wstring& key) const;
};

// Simple wildcard match ("*" and "?") without regard to ASCII case.
bool wildcardMatch(const std::wstring& pattern, const std::wstring& name);

}  // namespace doumteo::fakes
