#include "registry/restore.h"

#include "app/guard.h"
#include "app/messages.h"
#include "registry/backup_list.h"
#include "registry/reg_log.h"

namespace doumteo {

void btnRegBackup_Click(const Services& s, const ProductProfile& profile, const std::wstring& cmbRegText) {
  if (cmbRegText.empty()) {
    ShowInfo(s.messages, profile, L"환경설정을 복원할 파일이 없습니다.  ");
    return;
  }
  if (IsProductRunning(s, profile)) return;
  if (RegLogRead(s, backupFolder(s.files.programFolder()) + cmbRegText))
    ShowInfo(s.messages, profile, L"환경설정 복원이 완료되었습니다.   ");
}

}  // namespace doumteo
