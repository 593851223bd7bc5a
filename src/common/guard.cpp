#include "common/guard.h"

#include "build_config.h"
#include "common/messages.h"
#include "common/text.h"

namespace doumteo {

std::wstring closeAllReminder() { return std::wstring(build::kCompany) + L"의 모든 프로그램을 종료하여 주십시요."; }

std::wstring guardReminder() {
  return L"프로그램이 실행중 인지 확인 하여 주십시요.\r\n\r\n\r\n"
         L"먄약 프로그램 실행 중에 재설치 및 DB AS접수 , 환경설정 복원\r\n\r\n"
         L"재설치 및 DB AS접수가 완벽하게 이루어 지지 않습니다.\r\n\r\n" +
         closeAllReminder();
}

std::optional<bool> productRunsNow(ProcessListPort& processes, const ProductProfile& profile) {
  const auto names = processes.snapshot();
  if (!names) return std::nullopt;
  for (const auto& name : *names) {
    // ".exe" alone (no Exefile setting) names no product. Windows compares
    // file names without regard to case: PRODUCT.EXE is still the product.
    if (profile.exeFile != L".exe" && equalsIgnoringAsciiCase(name, profile.exeFile)) return true;
  }
  return false;
}

bool IsProductRunning(const Services& s, const ProductProfile& profile) {
  ShowWarning(s.messages, profile, guardReminder());
  if (productRunsNow(s.processes, profile) != true) return false;
  ShowInfo(s.messages, profile, closeAllReminder());
  return true;
}

}  // namespace doumteo
