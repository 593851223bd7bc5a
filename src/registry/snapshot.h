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
#include "registry/settings_area.h"

namespace doumteo {

// ---- the folder of snapshots ----------------------------------------------

inline constexpr wchar_t kSnapshotFullWipe[] = L"전체삭제";
inline constexpr wchar_t kSnapshotSelectiveWipe[] = L"선택삭제";
inline constexpr wchar_t kSnapshotRestore[] = L"환경설정복원";

// localAppData\도움터\복원지점
std::wstring snapshotFolderOf(const std::wstring& localAppData);
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
