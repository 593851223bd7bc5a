#include "common/guard.h"

#include "build_config.h"
#include "common/messages.h"
#include "common/text.h"

namespace doumteo {

std::wstring closeAllReminder() { return std::wstring(build::kCompany) + L"의 모든 프로그램을 종료하여 주십시요."; }

bool IsProductRunning(const Services& s, const ProductProfile& profile) {
  ShowWarning(s.messages, profile,
              L"프로그램이 실행중 인지 확인 하여 주십시요.\r\n\r\n\r\n"
              L"먄약 프로그램 실행 중에 재설치 및 DB AS접수 , 환경설정 복원\r\n\r\n"
              L"재설치 및 DB AS접수가 완벽하게 이루어 지지 않습니다.\r\n\r\n" +
                  closeAllReminder());
  const auto processes = s.processes.snapshot();
  if (!processes) return false;
  for (const auto& name : *processes) {
    // ".exe" alone (no Exefile setting) names no product. Windows compares
    // file names without regard to case: PRODUCT.EXE is still the product.
    if (profile.exeFile != L".exe" && equalsIgnoringAsciiCase(name, profile.exeFile)) {
      ShowInfo(s.messages, profile, closeAllReminder());
      return true;
    }
  }
  return false;
}

}  // namespace doumteo
