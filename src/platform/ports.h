#pragma once
// Small interfaces for everything outside the program. Flows are written
// against these; WinMain builds the Win32 adapters once, and unit tests pass
// the fakes of tests/fakes.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/failure.h"

namespace doumteo {

// ---- message boxes -------------------------------------------------------

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Information, Exclamation, Question };
enum class Answer { Ok = 1, Yes = 6, No = 7 };

struct MessageRequest {
  std::wstring text;
  std::wstring title;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
  bool defaultIsNo = false;  // YesNo only: the second button is the default
};

class MessageBoxPort {
 public:
  virtual ~MessageBoxPort() = default;
  // Shows a modal message box and returns the button pressed.
  virtual Answer show(const MessageRequest& request) = 0;
};

// ---- raw registry (ANSI entry points) ------------------------------------

using RegHandle = std::uintptr_t;  // 0 = none

namespace reg {
inline constexpr RegHandle kHkeyClassesRoot = 0x80000000u;
inline constexpr RegHandle kHkeyCurrentUser = 0x80000001u;
inline constexpr RegHandle kHkeyLocalMachine = 0x80000002u;
inline constexpr RegHandle kHkeyUsers = 0x80000003u;
inline constexpr std::uint32_t kNone = 0, kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kDwordBigEndian = 5,
                               kLink = 6, kMultiSz = 7, kQword = 11;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F, kKeyQueryValue = 0x1, kKeyRead = 0x20019;
inline constexpr long kSuccess = 0, kFileNotFound = 2, kMoreData = 234, kNoMoreItems = 259;
inline constexpr long kCallNotImplemented = 120;
}  // namespace reg

// Mirrors the advapi32 calls the program makes, with names already in the
// ANSI code page (bytes). Results are Win32 error codes (0 = success).
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  virtual long openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) = 0;
  virtual long createKey(RegHandle root, const std::string& path, RegHandle& out) = 0;
  virtual long closeKey(RegHandle key) = 0;
  // name == nullopt addresses the default value. data == nullptr asks only
  // for type and size. size is in/out (bytes).
  virtual long queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) = 0;
  virtual long setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) = 0;
  // RegEnumKeyA into a buffer of bufferSize bytes (NUL-terminated on success).
  virtual long enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) = 0;
  // RegEnumValueA name only; length is in/out (characters, without the NUL).
  virtual long enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) = 0;
  virtual long deleteValue(RegHandle key, const std::optional<std::string>& name) = 0;
  virtual long deleteKey(RegHandle root, const std::string& path) = 0;

  // Wide ("W") reading, for what must come back exactly even where the ANSI
  // code page cannot hold a name or a text. A port that leaves these out
  // fails every reading of a settings area.
  // RegOpenKeyExW with REG_OPTION_OPEN_LINK: the key at path is opened as
  // itself; a link there is not followed (its levels above are).
  virtual long openKeyW(RegHandle /*root*/, const std::wstring& /*path*/, std::uint32_t /*access*/,
                        RegHandle& /*out*/) {
    return reg::kCallNotImplemented;
  }
  // RegEnumKeyExW: the subkey's name at index.
  virtual long enumKeyW(RegHandle /*key*/, std::uint32_t /*index*/, std::wstring& /*name*/) {
    return reg::kCallNotImplemented;
  }
  // RegEnumValueW: name, type and data at index, the data as the call gives
  // it (text types as UTF-16LE with whatever NULs they were stored with).
  virtual long enumValueW(RegHandle /*key*/, std::uint32_t /*index*/, std::wstring& /*name*/, std::uint32_t& /*type*/,
                          std::vector<std::uint8_t>& /*data*/) {
    return reg::kCallNotImplemented;
  }

  // Wide writing, for putting back exactly what the wide calls read.
  // RegCreateKeyExW with full access: the key and whatever is missing above it.
  virtual long createKeyW(RegHandle /*root*/, const std::wstring& /*path*/, RegHandle& /*out*/) {
    return reg::kCallNotImplemented;
  }
  // RegSetValueExW with exactly these bytes; an empty name is the default value.
  virtual long setValueW(RegHandle /*key*/, const std::wstring& /*name*/, std::uint32_t /*type*/,
                         const std::vector<std::uint8_t>& /*data*/) {
    return reg::kCallNotImplemented;
  }
  // RegDeleteKeyW: one key without subkeys.
  virtual long deleteKeyW(RegHandle /*root*/, const std::wstring& /*path*/) { return reg::kCallNotImplemented; }
};

// A key opened or created through the port, closed through it when the
// owner goes. The portable side of the owners in platform/handle_win.h.
class RegKey {
 public:
  RegKey(RegistryApi& api, RegHandle key) noexcept : api_(api), key_(key) {}
  ~RegKey() {
    if (key_) api_.closeKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegHandle get() const noexcept { return key_; }

 private:
  RegistryApi& api_;
  RegHandle key_;
};

// ---- application settings ------------------------------------------------

// Per-user settings stored as REG_SZ under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::wstring get(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                           const std::wstring& defaultValue = L"") = 0;
  // Creates what is missing. Throws Failure when the value cannot be written
  // or app/section is empty.
  virtual void save(const std::wstring& app, const std::wstring& section, const std::wstring& key,
                    const std::wstring& value) = 0;
  // Throws Failure when the setting does not exist.
  virtual void deleteSetting(const std::wstring& app, const std::wstring& section, const std::wstring& key) = 0;
  // Removes the application's key with all sections. Throws Failure when it
  // does not exist or app is empty.
  virtual void deleteApp(const std::wstring& app) = 0;
};

// ---- programs and the shell ----------------------------------------------

// How a program start ended.
enum class StartResult {
  Started,    // the program runs
  Cancelled,  // the user refused the UAC prompt: nothing to report
  Failed,     // it could not be started
};

// How a program that was started and waited for ended.
struct ProgramRun {
  enum class End { Exited, Cancelled, Failed, TimedOut };
  End end = End::Failed;
  // Exited: the program's exit code; Failed: the system's error code.
  long code = 0;
  // The system's text for a non-zero code, empty when it has none.
  std::wstring description;
};

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // ShellExecuteA(no owner, "Open", file, parameters, directory, SW_SHOWNORMAL).
  // The result is never examined, so there is none.
  virtual void shellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory) = 0;
  // CreateProcessW of a command line (found through the search path) in a
  // normal, focused window, without waiting: 0, or the system's error code
  // (ERROR_ELEVATION_REQUIRED when the program asks for higher rights).
  virtual long createProcess(const std::wstring& commandLine) = 0;
  // ShellExecuteExW(verb, file, parameters) in a normal window, without
  // waiting: 0, or the system's error code (ERROR_CANCELLED when the user
  // refused the UAC prompt). The shell shows no error box of its own.
  virtual long shellExecute(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters) = 0;
  // Starts this program's own executable through the shell with the verb and
  // the parameters and waits at most timeoutMs for it to end. The calling
  // thread's windows keep painting meanwhile; what the user typed or clicked
  // into them during the wait is dropped.
  virtual ProgramRun runSelfAndWait(const std::wstring& verb, const std::wstring& parameters, unsigned timeoutMs) = 0;
};

class ProcessListPort {
 public:
  virtual ~ProcessListPort() = default;
  // Executable names of the running processes, first record first; nullopt
  // when no snapshot could be taken.
  virtual std::optional<std::vector<std::wstring>> snapshot() = 0;
};

// ---- files ---------------------------------------------------------------

// A file that could not be opened at all, told apart from a read that fails
// once the file is open: a reader that goes on after a failed open also
// fails on the file it never got.
struct FileOpenFailure : Failure {
  explicit FileOpenFailure(Failure f) : Failure(std::move(f)) {}
};

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;
  // The folder of the running executable, without a trailing separator.
  virtual std::wstring programFolder() = 0;
  // File lookup: true when path names an ordinary file (or, with
  // includeFolders, a folder). Throws Failure when the lookup itself fails.
  virtual bool exists(const std::wstring& path, bool includeFolders = false) = 0;
  // Ordinary files (no folders, hidden or system files) in folder matching
  // pattern, names only, in the system's listing order. Empty when the
  // folder is missing or unreadable.
  virtual std::vector<std::wstring> listFiles(const std::wstring& folder, const std::wstring& pattern) = 0;
  virtual void copyFile(const std::wstring& from, const std::wstring& to) = 0;  // replaces; throws
  virtual void createFolder(const std::wstring& path) = 0;                      // throws
  virtual void setCurrentFolder(const std::wstring& path) = 0;                  // throws
  // The bytes of the first line (up to CR or LF) of a file. Throws
  // FileOpenFailure when it cannot be opened (53 when it is not there), and
  // Failure when the read fails (6 when the line is longer than kMaxLine).
  virtual std::string readFirstLine(const std::wstring& path) = 0;
  static constexpr std::size_t kMaxLine = 16u * 1024u * 1024u;

  // Used by the settings snapshots. An adapter without them fails, and the
  // action that needed a snapshot stops before changing anything.
  // The user's local application-data folder, without a trailing separator.
  virtual std::wstring localAppDataFolder() { unsupported(); }
  // Creates or replaces the file with exactly these bytes. Throws Failure.
  virtual void writeFile(const std::wstring& /*path*/, const std::string& /*bytes*/) { unsupported(); }
  // The whole content of a file. Throws Failure (53 when it cannot be opened;
  // 6 Overflow, without reading on, when it holds more than limit bytes).
  virtual std::string readFile(const std::wstring& /*path*/, std::size_t /*limit*/) { unsupported(); }
  // Deletes one file. Throws Failure.
  virtual void deleteFile(const std::wstring& /*path*/) { unsupported(); }

 private:
  [[noreturn]] static void unsupported() { throw Failure(err::kInvalidCall, L"Invalid procedure call or argument"); }
};

// ---- clock ---------------------------------------------------------------

struct LocalTime {
  std::uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0, hour = 0, minute = 0, second = 0, milliseconds = 0;
  bool operator==(const LocalTime&) const = default;
};

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual LocalTime now() = 0;
  // SetLocalTime. Throws Failure with the system's error when it refuses.
  virtual void setLocalTime(const LocalTime& time) = 0;
  virtual void sleep(unsigned milliseconds) = 0;
};

// ---- automation objects --------------------------------------------------

// The browser automation object; every member throws Failure when the call
// fails (including a member the object does not have).
class BrowserObject {
 public:
  virtual ~BrowserObject() = default;
  virtual void setVisible(bool visible) = 0;
  virtual void setFocus() = 0;
  virtual void navigate(const std::wstring& url) = 0;
};

class BrowserPort {
 public:
  virtual ~BrowserPort() = default;
  // Creates "InternetExplorer.Application"; throws Failure when it cannot.
  virtual std::unique_ptr<BrowserObject> create() = 0;
};

class DbConnection {
 public:
  virtual ~DbConnection() = default;
  virtual void setConnectionString(const std::wstring& text) = 0;
  virtual void setConnectionTimeout(long seconds) = 0;
  virtual void setCursorLocation(long location) = 0;
  virtual void open() = 0;                                    // empty arguments, options -1
  virtual void executeAndClose(const std::wstring& sql) = 0;  // runs and closes the recordset
};

class DatabasePort {
 public:
  virtual ~DatabasePort() = default;
  // Creates an ADODB.Connection; throws Failure when it cannot.
  virtual std::unique_ptr<DbConnection> createConnection() = 0;
};

// ---- facts about the PC -------------------------------------------------

struct FileFacts {
  std::uint64_t size = 0;
  LocalTime changed;     // the last write, in local time
  std::wstring version;  // the file version resource, "" when it has none
};

struct ScreenFacts {
  int width = 0, height = 0;  // pixels of the main window's monitor
  unsigned dpi = 96;
};

struct TimeZoneFacts {
  std::wstring name;
  int utcOffsetMinutes = 0;  // local time = UTC + this
};

// What the support page tells about the program, the PC and its files. Read
// only when the page opens. Every member throws Failure when it cannot tell.
class SystemInfoPort {
 public:
  virtual ~SystemInfoPort() = default;
  virtual std::wstring executablePath() = 0;
  virtual bool is64BitProcess() = 0;
  virtual bool is64BitWindows() = 0;
  virtual bool elevated() = 0;
  virtual ScreenFacts screen() = 0;
  virtual unsigned ansiCodePage() = 0;
  virtual TimeZoneFacts timeZone() = 0;
  // nullopt when there is no such file.
  virtual std::optional<FileFacts> file(const std::wstring& path) = 0;
  // The signer's name in the file's own Authenticode signature; "" when the
  // file carries none.
  virtual std::wstring signer(const std::wstring& path) = 0;
};

// ---- the aggregate -------------------------------------------------------

struct Services {
  MessageBoxPort& messages;
  RegistryApi& registry;
  SettingsStore& settings;
  ShellPort& shell;
  ProcessListPort& processes;
  FileSystemPort& files;
  ClockPort& clock;
  BrowserPort& browser;
  DatabasePort& database;
};

}  // namespace doumteo
