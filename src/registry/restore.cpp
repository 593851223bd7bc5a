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
  if (!SaveSettingsSnapshot(s, profile, settingsLogApplications(s, path), kSnapshotRestore, true)) return;
  if (RegLogRead(s, path)) ShowInfo(s.messages, profile, L"환경설정 복원이 완료되었습니다.   ");
}

}  // namespace doumteo
