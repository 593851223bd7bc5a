#include "fakes/fakes.h"

#include "platform/ansi.h"
#include "registry/settings_area.h"

namespace doumteo::fakes {

namespace {
std::wstring iconName(MsgIcon i) {
  switch (i) {
    case MsgIcon::Information:
      return L"info";
    case MsgIcon::Exclamation:
      return L"warn";
    case MsgIcon::Question:
      return L"question";
    default:
      return L"none";
  }
}
std::wstring parentOf(const std::wstring& path) {
  const auto p = path.find_last_of(L'\\');
  return p == std::wstring::npos ? L"" : path.substr(0, p);
}
}  // namespace

Answer FakeMessageBox::show(const MessageRequest& r) {
  shown.push_back(r);
  log_.push_back(L"msg[" + iconName(r.icon) + L"]:" + r.text);
  if (onShow) onShow(r);
  if (r.buttons == MsgButtons::Ok) return Answer::Ok;
  if (!answers.empty()) {
    const Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  return r.defaultIsNo ? Answer::No : Answer::Yes;
}

void FakeShell::shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) {
  opened.push_back({file, parameters, directory});
  log_.push_back(L"shell:" + file + L"|" + parameters + L"|" + directory);
}

long FakeShell::createProcess(const std::wstring& commandLine) {
  started.push_back(commandLine);
  log_.push_back(L"start:" + commandLine);
  return startSucceeds ? createError : 2;  // ERROR_FILE_NOT_FOUND
}

long FakeShell::shellExecute(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters) {
  log_.push_back(L"shellex:" + verb + L"|" + file + L"|" + parameters);
  return shellError;
}

ProgramRun FakeShell::runSelfAndWait(const std::wstring& verb, const std::wstring& parameters, unsigned timeoutMs) {
  log_.push_back(L"self:" + verb + L"|" + parameters + L"|" + std::to_wstring(timeoutMs));
  return selfRun;
}

bool FakeFileSystem::exists(const std::wstring& path, bool includeFolders) {
  if (failLookup.count(path)) throw Failure(err::kBadFileName, L"Bad file name or number");
  if (auto it = files.find(path); it != files.end()) return !it->second.hidden && !it->second.system;
  return includeFolders && folders.count(path);
}

std::vector<std::wstring> FakeFileSystem::listFiles(const std::wstring& dir, const std::wstring& pattern) {
  std::wstring base = dir;
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  std::vector<std::wstring> out;
  for (const auto& [path, f] : files) {
    if (parentOf(path) != base || f.hidden || f.system) continue;
    const std::wstring name = path.substr(base.size() + 1);
    if (wildcardMatch(pattern, name)) out.push_back(name);
  }
  return out;
}

void FakeFileSystem::copyFile(const std::wstring& from, const std::wstring& to) {
  auto it = files.find(from);
  if (it == files.end()) throw Failure(err::kFileNotFound, L"File not found");
  if (locked.count(to)) throw Failure(err::kPermissionDenied, L"Permission denied");
  if (!folders.count(parentOf(to))) throw Failure(err::kPathNotFound, L"Path not found");
  files[to] = it->second;
  log_.push_back(L"copy:" + from + L">" + to);
}

void FakeFileSystem::createFolder(const std::wstring& path) {
  if (folders.count(path)) throw Failure(err::kPathFileAccess, L"Path/File access error");
  if (readOnlyFolders.count(parentOf(path))) throw Failure(err::kPermissionDenied, L"Permission denied");
  folders.insert(path);
  log_.push_back(L"mkdir:" + path);
}

void FakeFileSystem::setCurrentFolder(const std::wstring& path) {
  currentFolder = path;
  log_.push_back(L"chdir:" + path);
}

std::string FakeFileSystem::readFirstLine(const std::wstring& path) {
  auto it = files.find(path);
  if (it == files.end()) throw FileOpenFailure(Failure(err::kFileNotFound, L"File not found"));
  const std::string& c = it->second.content;
  const auto end = c.find_first_of("\r\n");
  std::string line = c.substr(0, end);
  if (line.size() > kMaxLine) failOverflow();
  return line;
}

std::wstring FakeFileSystem::localAppDataFolder() {
  if (localAppData.empty()) throw Failure(err::kPathNotFound, L"Path not found");
  return localAppData;
}

void FakeFileSystem::writeFile(const std::wstring& path, const std::string& bytes) {
  const std::wstring parent = parentOf(path);
  if (!folders.count(parent)) throw Failure(err::kPathNotFound, L"Path not found");
  if (readOnlyFolders.count(parent) || locked.count(path)) throw Failure(err::kPermissionDenied, L"Permission denied");
  std::string stored = bytes;
  if (onWrite) onWrite(path, stored);
  files[path].content = std::move(stored);
  log_.push_back(L"write:" + path);
}

std::string FakeFileSystem::readFile(const std::wstring& path, std::size_t limit) {
  auto it = files.find(path);
  if (it == files.end()) throw Failure(err::kFileNotFound, L"File not found");
  if (it->second.content.size() > limit) failOverflow();
  return it->second.content;
}

void FakeFileSystem::deleteFile(const std::wstring& path) {
  if (!files.count(path)) throw Failure(err::kFileNotFound, L"File not found");
  if (locked.count(path) || readOnlyFolders.count(parentOf(path)))
    throw Failure(err::kPermissionDenied, L"Permission denied");
  files.erase(path);
  log_.push_back(L"delete:" + path);
}

void FakeClock::setLocalTime(const LocalTime& t) {
  log_.push_back(L"clock:set");
  if (refuse) throw Failure(refusal, L"A required privilege is not held by the client.");
  set.push_back(t);
}

void FakeClock::sleep(unsigned ms) { log_.push_back(L"sleep:" + std::to_wstring(ms)); }

namespace {
class FakeBrowserObject final : public BrowserObject {
 public:
  FakeBrowserObject(FakeBrowser& owner, EventLog& log, std::wstring failAt)
      : owner_(owner), log_(log), failAt_(std::move(failAt)) {}
  void setVisible(bool v) override {
    step(L"Visible");
    if (v) ++owner_.visibleWindows;
  }
  void setFocus() override { step(L"SetFocus"); }
  void navigate(const std::wstring& url) override {
    step(L"Navigate");
    owner_.navigated.push_back(url);
    log_.push_back(L"navigate:" + url);
  }

 private:
  void step(const std::wstring& name) {
    if (failAt_ == name) throw Failure(438, L"Object doesn't support this property or method");
  }
  FakeBrowser& owner_;
  EventLog& log_;
  std::wstring failAt_;
};

class FakeConnection final : public DbConnection {
 public:
  FakeConnection(FakeDatabase& db, std::wstring failAt) : db_(db), failAt_(std::move(failAt)) { ++db_.live; }
  ~FakeConnection() override { --db_.live; }
  void setConnectionString(const std::wstring& t) override { db_.lastConnectionString = t; }
  void setConnectionTimeout(long s) override { db_.lastTimeout = s; }
  void setCursorLocation(long l) override { db_.lastCursor = l; }
  void open() override {
    if (failAt_ == L"open") throw Failure(-2147467259, L"Unspecified error");
  }
  void executeAndClose(const std::wstring& sql) override {
    db_.lastSql = sql;
    if (failAt_ == L"execute") throw Failure(-2147217865, L"The table does not exist");
  }

 private:
  FakeDatabase& db_;
  std::wstring failAt_;
};
}  // namespace

std::unique_ptr<BrowserObject> FakeBrowser::create() {
  log_.push_back(L"browser:create");
  if (failAt == L"create") throw Failure(err::kAutomation, L"ActiveX component can't create object");
  return std::make_unique<FakeBrowserObject>(*this, log_, failAt);
}

std::unique_ptr<DbConnection> FakeDatabase::createConnection() {
  log_.push_back(L"db:create");
  if (failAt == L"create") throw Failure(err::kAutomation, L"ActiveX component can't create object");
  return std::make_unique<FakeConnection>(*this, failAt);
}

void FakeWindow::minimizeMain() {
  minimized = true;
  log_.push_back(L"window:minimize");
}
void FakeWindow::closeMain() {
  closed = true;
  log_.push_back(L"window:close");
}
void FakeWindow::showLogin() {
  log_.push_back(L"window:login");
  if (onShowLogin) onShowLogin();
}
void FakeWindow::showClock() { log_.push_back(L"window:clock"); }
void FakeWindow::showImage(int index) { log_.push_back(L"window:image" + std::to_wstring(index)); }
void FakeWindow::unloadForm(const std::wstring& name) {
  log_.push_back(L"window:unload:" + name);
  std::erase(forms, name);
}

FakeEnv::FakeEnv() = default;

Services FakeEnv::services() {
  return Services{messages, registry, settings, shell, processes, files, clock, browser, database};
}

std::optional<std::wstring> FakeEnv::setting(const std::wstring& app, const std::wstring& section,
                                             const std::wstring& key) const {
  auto t = registry.text(reg::kHkeyCurrentUser, toAnsi(settingsAreaKeyPath(app) + L"\\" + section), toAnsi(key));
  if (!t) return std::nullopt;
  return fromAnsi(*t);
}

bool wildcardMatch(const std::wstring& pattern, const std::wstring& name) {
  auto low = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  std::size_t p = 0, n = 0, star = std::wstring::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || low(pattern[p]) == low(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      mark = n;
    } else if (star != std::wstring::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

}  // namespace doumteo::fakes
