#include "service/backup.h"

#include "common/guard.h"
#include "common/messages.h"
#include "common/text.h"

namespace doumteo {

namespace {

constexpr std::int32_t kModeServer = 1;
constexpr std::int32_t kModeAs = 2;
constexpr std::int32_t kModeHddAuto = 3;

std::wstring titleWord(std::int32_t mode) {
  switch (mode) {
    case kModeAs:
      return L"AS";
    case kModeServer:
      return L"서버";
    default:
      return L"하드";
  }
}

}  // namespace

std::wstring GetModeArg(std::int32_t mode) {
  switch (mode) {
    case kModeServer:
      return L" SERVERUP";
    case kModeAs:
      return L" AS";
    case kModeHddAuto:
      return L" HDDAUTO";
    default:
      return L"";
  }
}

void UnloadOtherForms(WindowPort& window, const std::wstring& keepForm) {
  const std::wstring keep = asciiUpper(keepForm);
  for (const auto& name : window.openFormNames())
    if (asciiUpper(name) != keep) window.unloadForm(name);
}

bool ExecBackUp(const Services& s, const ProductProfile& profile, WindowPort& window, BackupState& state,
                std::int32_t mode, bool skipConfirm, const std::wstring& keepForm, const std::wstring& dbLocation) {
  if (state.backUpStarted) return false;
  try {
    const std::wstring program = s.files.programFolder() + L"\\자료묶음.EXE";
    if (!s.files.exists(program)) {
      showPlain(s.messages, std::wstring(L"데이터백업 프로그램을 찾을 수 없습니다.") + kCrLf + L"경로) " + program);
      return false;
    }
    if (!skipConfirm) {
      const std::wstring question = L"안전한 백업을 위하여 현재 사용중인 " + profile.currentRegiProgram +
                                    L" 프로그램을 종료합니다." + kCrLf + L"계속하시겠습니까?";
      if (AskYesNo(s.messages, profile, question, L"데이터 백업(" + titleWord(mode) + L")", 1) != Answer::Yes)
        return false;
    }
    if (!keepForm.empty()) UnloadOtherForms(window, keepForm);
    if (!dbLocation.empty()) s.settings.save(L"Backup", L"DB경로", L"경로", dbLocation);
    s.shell.shellOpen(program, GetModeArg(mode), L"0");
    state.backUpStarted = true;
    return true;
  } catch (const Failure& f) {
    showPlain(s.messages, errorText(f, L"ExecBackUp", L"Module mdlBackUp"));
    return false;
  }
}

void btnAS_Click(const Services& s, const ProductProfile& profile, WindowPort& window, BackupState& state) {
  if (IsProductRunning(s, profile)) return;
  if (ExecBackUp(s, profile, window, state, kModeAs, false, L"", profile.backupDbPath)) window.minimizeMain();
}

}  // namespace doumteo
