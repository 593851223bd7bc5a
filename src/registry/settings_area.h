#pragma once
// The settings area of an application,
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>: its root, the
// rule for the name of one of its levels, and the one walk over its keys,
// through the wide calls, that every command changing an area reads,
// deletes, writes and compares with. Each key is opened as itself: a link
// is seen, never followed, and an area that holds one is refused before
// anything in it is changed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

inline constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings";
// The root of every settings area, as an export names it.
inline constexpr wchar_t kCurrentUserName[] = L"HKEY_CURRENT_USER";

// True when name can stand for exactly one level below the settings root:
// not empty, no "\" or control character, not made of dots alone, no longer
// than a key name can be. Anything else could address the shared root or
// another program's key, or no key at all.
bool isSettingsLevelName(const std::wstring& name);

// Below HKEY_CURRENT_USER: Software\VB and VBA Program Settings\<app>.
std::wstring settingsAreaKeyPath(const std::wstring& app);
// With the root's name, as an export writes it.
std::wstring settingsAreaExportPath(const std::wstring& app);

// A key of an area: the application and the names below it.
struct AreaPath {
  std::wstring app;
  std::vector<std::wstring> below;
};
// A full path (the root's letters in any case) whose every level is a
// level name; nullopt for any other path.
std::optional<AreaPath> splitAreaPath(const std::wstring& fullPath);
// The full path as an export writes it.
std::wstring areaPathText(const AreaPath& path);
// The application of an area's own path; nullopt for any other path.
std::optional<std::wstring> areaApplication(const std::wstring& fullPath);

struct SnapshotValue {
  std::wstring name;  // "" = the key's default value (@)
  std::uint32_t type = reg::kSz;
  // The data as the wide registry functions hold it: the text types
  // (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-16LE with their NULs.
  std::vector<std::uint8_t> data;
  bool operator==(const SnapshotValue&) const = default;
};

struct SnapshotKey {
  std::wstring path;  // with the root's name, e.g. HKEY_CURRENT_USER\Software\...
  std::vector<SnapshotValue> values;
  bool operator==(const SnapshotKey&) const = default;
};

// What a snapshot holds: areas removed first (with all below them), then
// the keys and values written. Putting it back leaves the areas exactly as
// they were, without what was added afterwards.
struct RegExport {
  std::vector<std::wstring> removed;  // full paths of areas
  std::vector<SnapshotKey> keys;      // in pre-order, each after its parent
  bool operator==(const RegExport&) const = default;
};

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: the types whose data is text.
constexpr bool isTextType(std::uint32_t type) {
  return type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
}
// The types a settings area may hold and a snapshot can save; links and the
// hardware lists have no place there.
constexpr bool isSavableType(std::uint32_t type) {
  return type == reg::kNone || type == reg::kSz || type == reg::kExpandSz || type == reg::kBinary ||
         type == reg::kDword || type == reg::kDwordBigEndian || type == reg::kMultiSz || type == reg::kQword;
}

// An area holds what the program does not take: a link, a key whose name
// cannot be a level, a value of a type it cannot save. The reason, in words
// for the user, names the key (and the value).
struct AreaRefused {
  std::wstring reason;
};

// One area with every key below it, in pre-order. Empty when it does not
// exist. Throws AreaRefused, or Failure when it cannot be read in full.
std::vector<SnapshotKey> readSettingsArea(RegistryApi& api, const std::wstring& app);

// Removes the application's area with everything below it, after reading
// it in full: a refusal or a failure to read comes before any change.
// Goes on past a key that cannot be deleted; returns one line for each.
// nullopt when the area does not exist.
std::optional<std::vector<std::wstring>> deleteSettingsArea(RegistryApi& api, const std::wstring& app);

// Puts the areas of a snapshot back as reg import would: each area removed
// with everything below it, then its keys and values written. Every area
// is read before the first change (AreaRefused or Failure stop it there);
// then it goes on past a failure and returns one line for each thing that
// could not be done.
std::vector<std::wstring> applySnapshot(RegistryApi& api, const RegExport& content);

// The areas as they are now against the snapshot: one line for each key or
// value that differs, is missing or is left over. Throws AreaRefused or
// Failure when an area cannot be read.
std::vector<std::wstring> snapshotDifferences(RegistryApi& api, const RegExport& content);

// ---- the .reg format -------------------------------------------------------

inline constexpr wchar_t kRegExportHeader[] = L"Windows Registry Editor Version 5.00";
// The export text regedit reads, lines ending in CR LF; keys and values are
// written as regedit itself writes them. (A text value stored without its
// terminating NUL goes out as hex and comes back from an import with one:
// the importers always terminate text.)
std::wstring exportText(const RegExport& content);

// A .reg file is UTF-16LE with a byte order mark.
std::string regFileBytes(const std::wstring& text);

std::vector<std::uint8_t> utf16le(const std::wstring& text);  // no terminator added
std::wstring fromUtf16le(const std::vector<std::uint8_t>& bytes);

// The reader of the program's own snapshot files, for putting them back. It
// trusts nothing in the folder: a file is taken only when it is exactly what
// exportText writes, and every key it names lies in a settings area.
// Anything else refuses the whole file.
// Larger files are refused before they are read.
inline constexpr std::size_t kSnapshotFileLimit = 64u * 1024u * 1024u;

struct SnapshotRead {
  // Set when the file was taken: every area first removed, then its keys in
  // pre-order, each after its parent.
  std::optional<RegExport> content;
  // Why it was not, in words for the user, and the line (1 = the header;
  // 0 when the file as a whole is wrong).
  std::wstring refusal;
  std::size_t line = 0;
};

SnapshotRead readSnapshotText(const std::wstring& text);
// The bytes of a .reg file: UTF-16LE with a byte order mark.
SnapshotRead readSnapshotFile(const std::string& bytes);

// The applications whose areas a snapshot removes and writes back, in order.
std::vector<std::wstring> snapshotApplications(const RegExport& content);

// ---- the restore points' file names and their order -------------------------

inline constexpr std::size_t kSnapshotsKept = 30;

// "YYYYMMDD_HHMMSS_mmm NNNNNN action.reg": the local time, then the number of
// the writing, one more than the greatest in the folder. The time is for the
// reader; the order is the number's, which setting the clock back cannot
// change.
std::wstring snapshotFileName(const LocalTime& time, const std::wstring& action,
                              const std::vector<std::wstring>& existing);
struct SnapshotName {
  std::wstring when;    // "YYYY-MM-DD HH:MM:SS"
  std::wstring action;  // as written in the name
  // None in the names written before the numbers ("YYYYMMDD_HHMMSS_mmm[_NN]
  // action.reg"), which come before every numbered one, in the order of
  // their names.
  std::optional<std::uint64_t> number;
};
std::optional<SnapshotName> parseSnapshotFileName(const std::wstring& name);
bool isSnapshotFileName(const std::wstring& name);
// The snapshots among names (other files left out), the last written first.
std::vector<std::wstring> snapshotsNewestFirst(const std::vector<std::wstring>& names);
// The snapshots written before the last `kept`; never justWritten. Other
// files are not touched.
std::vector<std::wstring> snapshotsToRemove(const std::vector<std::wstring>& names, const std::wstring& justWritten,
                                            std::size_t kept = kSnapshotsKept);

}  // namespace doumteo
