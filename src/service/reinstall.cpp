#include "service/reinstall.h"

#include <array>

#include "common/guard.h"
#include "common/messages.h"
#include "common/text.h"

namespace doumteo {

namespace {

struct KitFile {
  const wchar_t* name;
  const wchar_t* missingMessage;
};

// Looked up and copied in this order.
constexpr std::array<KitFile, 3> kKit{{
    {L"SetupKeeper.exe", L"재설치관리자(SetupKeeper.exe)를 찾을 수 없습니다."},
    {L"FetchPilot.exe", L"자동 다운로드(FetchPilot.exe)를 찾을 수 없습니다."},
    {L"libmySQL.dll", L"DB라이브러리(libmySQL.dll)를 찾을 수 없습니다."},
}};

constexpr wchar_t kKitFolder[] = L"\\VTSoft";
constexpr wchar_t kReinstallerApp[] = L"SetupKeeper";
constexpr wchar_t kReinstallerSection[] = L"Config";

}  // namespace

bool GoReInst(const Services& s, const std::wstring& dbFoldName, const std::wstring& fileUrl) {
  // Every failing step is reported and the next one still runs, so that a
  // locked kit file does not keep the reinstaller from starting.
  const ErrorFormatter format = [](const Failure& f) { return errorText(f, L"GoReInst", L"Module modReInst"); };
  auto step = [&](const std::function<void()>& body) { guardedStep(s.messages, format, body); };

  std::wstring folder;
  step([&] { folder = s.files.programFolder(); });

  for (const auto& kit : kKit) {
    bool found = false;  // a lookup that fails counts as missing
    step([&] { found = s.files.exists(folder + L"\\" + kit.name); });
    if (!found) {
      showPlain(s.messages, kit.missingMessage);
      return false;
    }
  }

  const std::wstring drive = folder.substr(0, 2);
  if (asciiUpper(drive) != L"C:") {
    const std::wstring question = std::wstring(L"정말 재설치 하시겠습니까?") + kCrLf + L"[" + folder +
                                  L"]경로내 모든 파일 삭제됨(DB제외)" + kCrLf + kCrLf + L"※ 개발자는 소스삭제 주의요함";
    Answer answer = Answer::No;  // a failing question counts as No
    step([&] { answer = s.messages.show({question, kAppTitle, MsgButtons::YesNo, MsgIcon::Question, true}); });
    if (answer != Answer::Yes) return false;
  }

  const std::wstring kitFolder = drive + kKitFolder;
  bool kitFolderThere = false;  // a failing lookup leads to the creation
  step([&] { kitFolderThere = s.files.exists(kitFolder, true); });
  if (!kitFolderThere) {
    step([&] { s.files.setCurrentFolder(drive + L"\\"); });
    step([&] { s.files.createFolder(kitFolder); });
  }

  for (const auto& kit : kKit) step([&] { s.files.copyFile(folder + L"\\" + kit.name, kitFolder + L"\\" + kit.name); });

  step([&] { s.settings.save(kReinstallerApp, kReinstallerSection, L"FileURL", fileUrl); });
  step([&] { s.settings.save(kReinstallerApp, kReinstallerSection, L"DestAppPath", folder); });
  step([&] { s.settings.save(kReinstallerApp, kReinstallerSection, L"DBFoldName", dbFoldName); });

  step([&] { s.clock.sleep(1000); });
  step([&] { s.shell.shellOpen(kitFolder + L"\\" + kKit[0].name, L"0", L"0"); });
  return true;
}

void btnInstall_Click(const Services& s, const ProductProfile& profile, WindowPort& window) {
  try {
    if (IsProductRunning(s, profile)) return;
    window.closeMain();
    GoReInst(s, profile.dbFold, profile.setupFile);
  } catch (const Failure& f) {
    showPlain(s.messages, errorText(f, L"btnInstall_Click", L"frmMain"));
  }
}

}  // namespace doumteo
