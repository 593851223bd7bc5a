#pragma once
// The settings backup files of the program's "DBS" folder and the choice of
// the newest of them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

inline constexpr wchar_t kBackupPattern[] = L"환경설정*.mdb";

// modRegedit.BackupFileKey: the number read from a backup file's name (the
// date and time of 환경설정_YYYYMMDD_HHMM.mdb without the century). 64 bits
// wide: names from 2022 on no longer fit in 32. Numbers beyond the 64-bit
// range saturate.
std::int64_t BackupFileKey(const std::wstring& name);

// The item FillBackupList preselects: the first name unless a later one has
// a strictly greater key (the earlier one wins a tie). Keys are worked out
// only when there is more than one name.
std::optional<std::size_t> selectBackup(const std::vector<std::wstring>& names);

struct BackupList {
  std::vector<std::wstring> names;      // in the listing's order
  std::optional<std::size_t> selected;  // none when names is empty
};

// The backup folder: programFolder + "\DBS\".
std::wstring backupFolder(const std::wstring& programFolder);

// The files FillBackupList puts into cmbReg, with the one to preselect.
BackupList listBackupFiles(FileSystemPort& files, const std::wstring& programFolder);

}  // namespace doumteo
