#pragma once
// The safety net of the wipe and the restore: before either changes a
// settings area, the area is saved as a registry export file that regedit
// imports with a double-click, in a folder of the program's own below the
// user's local application data.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

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

// What a snapshot file holds: keys that an import removes first (with all
// below them), then the keys and values it writes. So importing it puts the
// areas back exactly as they were, without what was added afterwards.
struct RegExport {
  std::vector<std::wstring> removed;  // full paths, written as [-path]
  std::vector<SnapshotKey> keys;
  bool operator==(const RegExport&) const = default;
};

inline constexpr wchar_t kRegExportHeader[] = L"Windows Registry Editor Version 5.00";
// The root of every settings area, as an export names it.
inline constexpr wchar_t kCurrentUserName[] = L"HKEY_CURRENT_USER";

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: the types whose data is text.
constexpr bool isTextType(std::uint32_t type) {
  return type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
}

// The export text regedit reads, lines ending in CR LF; keys and values are
// written as regedit itself writes them. (A text value stored without its
// terminating NUL goes out as hex and comes back from an import with one:
// the importers always terminate text.)
std::wstring exportText(const RegExport& content);
// (registry/snapshot_reader.h reads it back.)

// A .reg file is UTF-16LE with a byte order mark.
std::string regFileBytes(const std::wstring& text);

std::vector<std::uint8_t> utf16le(const std::wstring& text);  // no terminator added
std::wstring fromUtf16le(const std::vector<std::uint8_t>& bytes);

// One settings area (the application's key below the settings root, with
// every key below it); keys in pre-order. Read through the port's wide calls
// when it has them, so that names and texts the ANSI code page cannot hold
// come back exactly; through the ANSI calls otherwise.
// Empty when the area does not exist. Throws Failure when it cannot be read
// in full.
std::vector<SnapshotKey> readSettingsArea(RegistryApi& api, const std::wstring& app);

// ---- the folder of snapshots ----------------------------------------------

inline constexpr std::size_t kSnapshotsKept = 30;
inline constexpr wchar_t kSnapshotFullWipe[] = L"전체삭제";
inline constexpr wchar_t kSnapshotSelectiveWipe[] = L"선택삭제";
inline constexpr wchar_t kSnapshotRestore[] = L"환경설정복원";

// localAppData\도움터\복원지점
std::wstring snapshotFolderOf(const std::wstring& localAppData);
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

// The full path of an application's settings area, as an export names it.
std::wstring settingsAreaExportPath(const std::wstring& app);

// A failure of the files or the registry as the user reads it: what it
// means in words where it is a common one, then its number and description.
std::wstring failureInWords(const Failure& f);

// Saves the settings areas of apps before an action changes them: reads
// them, writes the export, reads it back and checks it, then drops the
// oldest snapshots. An area that does not exist is saved (as absent) only
// when the action may create it. False, after a warning that says why, when
// the snapshot could not be made: the caller must then change nothing. True
// when it was saved or there was nothing to save.
bool SaveSettingsSnapshot(const Services& services, const ProductProfile& profile,
                          const std::vector<std::wstring>& apps, const std::wstring& action, bool actionMayCreate);

}  // namespace doumteo
