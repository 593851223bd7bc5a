#include "registry/restore.h"

#include "common/guard.h"
#include "common/messages.h"
#include "registry/backup_list.h"
#include "registry/reg_log.h"
#include "registry/snapshot.h"

namespace doumteo {

void btnRegBackup_Click(const Services& s, const ProductProfile& profile, const std::wstring& cmbRegText) {
  if (cmbRegText.empty()) {
    ShowInfo(s.messages, profile, L"환경설정을 복원할 파일이 없습니다.  ");
    return;
  }
  if (IsProductRunning(s, profile)) return;
  const std::wstring path = backupFolder(s.files.programFolder()) + cmbRegText;
  // One reading of the file: the snapshot saves the areas that this very
  // text then writes.
  const std::wstring text = readSettingsLog(s, path);
  if (!SaveSettingsSnapshot(s, profile, settingsLogApplications(text), kSnapshotRestore, true)) return;
  applySettingsLog(s, text);
  ShowInfo(s.messages, profile, L"환경설정 복원이 완료되었습니다.   ");
}

}  // namespace doumteo
