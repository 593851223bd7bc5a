#include "service/self_reinstall.h"

#include "common/messages.h"

namespace doumteo {

void DoumteoUp_Click(const Services& s, WindowPort& window) {
  try {
    const std::wstring program = s.files.programFolder() + L"\\도움터재설치.exe";
    if (!s.files.exists(program)) {
      showPlain(s.messages, L"도움터(도움터재설치.exe)를 찾을 수 없습니다.");
      return;
    }
    s.shell.shellOpen(program, L"0", L"0");
    window.closeMain();
  } catch (const Failure& f) {
    // A lookup that fails (bad path, drive not ready) must not take the
    // program down; the window stays open as for a missing file.
    showPlain(s.messages, errorText(f, L"DoumteoUp_Click", L"frmMain"));
  }
}

}  // namespace doumteo
