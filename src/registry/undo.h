#pragma once
// Undo from inside the program: the restore points the wipe and the restore
// leave behind are listed and put back here, through the wide registry calls,
// without regedit (which a standard user cannot run elevated).
#include <string>
#include <vector>

#include "common/product_profile.h"
#include "platform/ports.h"
#include "registry/snapshot.h"

namespace doumteo {

inline constexpr wchar_t kSnapshotUndo[] = L"되돌리기";
inline constexpr wchar_t kNoRestorePoints[] = L"저장된 복원 지점이 없습니다.";

struct RestorePoint {
  std::wstring fileName;               // in the folder of snapshots
  std::wstring when;                   // "2026-12-09 14:03:21"
  std::wstring action;                 // in words: 전체 삭제, 선택 삭제, 환경설정 복원, 되돌리기
  std::vector<std::wstring> products;  // the applications whose settings it holds
  bool readable = false;               // false: the file is refused or cannot be read
};

// The snapshots in the folder, newest first; each file is read to name its
// products. Empty when there is no folder.
std::vector<RestorePoint> listRestorePoints(const Services& services);
// The names of the snapshots, newest first, and the folder they are in.
std::vector<std::wstring> restorePointNames(const Services& services, std::wstring& folder);
// One snapshot of the folder, read to name its products.
RestorePoint readRestorePoint(FileSystemPort& files, const std::wstring& folder, const std::wstring& name);
// One line of the list: date and time, action, products.
std::wstring restorePointLine(const RestorePoint& point);

// The undo the dialog's button runs: reads and checks the file, asks, runs
// the running-product guard, saves the current state as a snapshot of its
// own, puts the file back, reads back and reports. True when the settings
// were touched (the list then has a new snapshot).
bool UndoRestorePoint(const Services& services, const ProductProfile& profile, const RestorePoint& point);

}  // namespace doumteo
