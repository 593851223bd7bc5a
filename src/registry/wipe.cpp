#include "registry/wipe.h"

#include <functional>

#include "common/messages.h"
#include "registry/reg_log.h"
#include "registry/snapshot.h"

namespace doumteo {

namespace {

constexpr int kLeftButton = 1;
constexpr int kShiftOnly = 1;

// Each delete stands on its own: a setting that is not there is no reason to
// stop or to tell the user.
void attempt(const std::function<void()>& del) {
  try {
    del();
  } catch (const Failure&) {
  }
}

void fullWipe(const Services& s, const ProductProfile& profile) {
  const std::wstring question = L"이 부분은 " + profile.programName + L"의 전체 레지스트리를 삭제 합니다.\r\n\r\n" +
                                L"개발자 및 상담원들도 주의 하여 삭제 하여 주십시요.     \r\n\r\n" +
                                L"삭제하시겠습니까?";
  if (AskYesNo(s.messages, profile, question, L"", 0) != Answer::Yes) return;
  // Without a name of its own the area would be the root that every
  // program's settings share.
  if (!SaveSettingsSnapshot(s, profile, {profile.regiProgram}, kSnapshotFullWipe, false)) return;
  if (isSettingsLevelName(profile.regiProgram)) attempt([&] { s.settings.deleteApp(profile.regiProgram); });
  ShowInfo(s.messages, profile, profile.currentRegiProgram + L"의 전체레지스트리가 삭제 되었습니다");
}

void selectiveWipe(const Services& s, const ProductProfile& profile) {
  const std::wstring question =
      L"레지스트리의 값을 함부로 삭제 하시면     \r\n\r\n"
      L"프로그램이 실행안 될 수도 있습니다.     \r\n\r\n"
      L"저희 상담원과 상의후 필요시에만  삭제를 하여 주십시요.     \r\n\r\n"
      L"삭제하시겠습니까?";
  if (AskYesNo(s.messages, profile, question, L"", 0) != Answer::Yes) return;
  if (!SaveSettingsSnapshot(s, profile, {profile.regiProgram}, kSnapshotSelectiveWipe, false)) return;
  if (isSettingsLevelName(profile.regiProgram)) {
    // dbPath is "section;value name[;...]"; without a ";" there is no value.
    const std::wstring& dbPath = profile.dbPath;
    if (const auto first = dbPath.find(L';'); first != std::wstring::npos) {
      const auto second = dbPath.find(L';', first + 1);
      const std::wstring section = dbPath.substr(0, first);
      const std::wstring value =
          dbPath.substr(first + 1, second == std::wstring::npos ? std::wstring::npos : second - first - 1);
      attempt([&] { s.settings.deleteSetting(profile.regiProgram, section, value); });
    }
    attempt([&] { s.settings.deleteSetting(profile.regiProgram, L"환경설정", L"CSType"); });
  }
  ShowInfo(s.messages, profile, L"삭제되었습니다.");
}

}  // namespace

void btnReDelDB_MouseDown(const Services& s, const ProductProfile& profile, int button, int shift) {
  if (shift == kShiftOnly) {
    if (button != kLeftButton) return;
    fullWipe(s, profile);
  } else {
    selectiveWipe(s, profile);
  }
}

}  // namespace doumteo
