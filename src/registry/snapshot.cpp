#include "registry/snapshot.h"

#include <algorithm>

#include "common/messages.h"
#include "common/text.h"
#include "registry/settings_area.h"

namespace doumteo {

namespace {

void refuse(const Services& s, const ProductProfile& profile, const std::wstring& reason, const std::wstring& where) {
  std::wstring text =
      L"설정을 바꾸기 전에 지금의 설정을 복원 지점으로 저장하지 못해 작업을 멈췄습니다.\r\n"
      L"아무것도 지우거나 바꾸지 않았습니다.\r\n\r\n이유: " +
      reason;
  if (!where.empty()) text += L"\r\n저장 위치: " + where;
  ShowWarning(s.messages, profile, text);
}

}  // namespace

std::wstring failureInWords(const Failure& f) {
  std::wstring plain;
  switch (f.number) {
    case err::kPermissionDenied:
      plain = L"쓰기 권한이 없습니다";
      break;
    case err::kPathNotFound:
      plain = L"폴더를 찾을 수 없습니다";
      break;
    case err::kFileNotFound:
      plain = L"파일을 찾을 수 없습니다";
      break;
    case err::kPathFileAccess:
      plain = L"폴더나 파일에 접근할 수 없습니다";
      break;
    case err::kDiskFull:
      plain = L"디스크 공간이 부족합니다";
      break;
    case err::kDiskNotReady:
      plain = L"디스크가 준비되지 않았습니다";
      break;
    default:
      break;
  }
  const std::wstring code = L"Error " + std::to_wstring(f.number) + L": " + f.description;
  return plain.empty() ? code : plain + L" (" + code + L")";
}

std::wstring snapshotFolderOf(const std::wstring& localAppData) { return localAppData + L"\\도움터\\복원지점"; }

bool SaveSettingsSnapshot(const Services& s, const ProductProfile& profile, const std::vector<std::wstring>& apps,
                          const std::wstring& action, bool actionMayCreate) {
  RegExport content;
  try {
    for (const auto& app : apps) {
      if (!isSettingsLevelName(app)) continue;
      auto area = readSettingsArea(s.registry, app);
      if (area.empty() && !actionMayCreate) continue;
      content.removed.push_back(settingsAreaExportPath(app));
      content.keys.insert(content.keys.end(), area.begin(), area.end());
    }
  } catch (const AreaRefused& r) {
    refuse(s, profile, r.reason, L"");
    return false;
  } catch (const Failure& f) {
    refuse(s, profile, L"지금의 설정을 레지스트리에서 읽지 못했습니다 (" + failureInWords(f) + L")", L"");
    return false;
  }
  if (content.removed.empty()) return true;  // nothing the action could change

  std::wstring folder;
  try {
    folder = s.files.localAppDataFolder();
  } catch (const Failure& f) {
    refuse(s, profile, L"사용자의 로컬 응용 프로그램 데이터 폴더를 알 수 없습니다 (" + failureInWords(f) + L")", L"");
    return false;
  }
  folder = snapshotFolderOf(folder);
  std::wstring path;
  try {
    const std::wstring own = folder.substr(0, folder.find_last_of(L'\\'));
    for (const auto& f : {own, folder})
      if (!s.files.exists(f, true)) s.files.createFolder(f);
    path = folder + L"\\" + snapshotFileName(s.clock.now(), action, s.files.listFiles(folder, L"*.reg"));
  } catch (const Failure& f) {
    refuse(s, profile, L"복원 지점 폴더를 만들 수 없습니다: " + failureInWords(f), folder);
    return false;
  }
  const std::wstring text = exportText(content);
  try {
    s.files.writeFile(path, regFileBytes(text));
  } catch (const Failure& f) {
    refuse(s, profile, L"복원 지점 파일을 쓸 수 없습니다: " + failureInWords(f), folder);
    return false;
  }

  // Only a snapshot that reads back as what was meant to be saved counts.
  std::wstring problem;
  try {
    // Read as an undo reads it: a snapshot the program could not put back
    // itself is no snapshot.
    const auto back = readSnapshotFile(s.files.readFile(path, kSnapshotFileLimit));
    if (!back.content || *back.content != content)
      problem = L"저장한 파일을 다시 읽어 보니 내용이 저장하려던 설정과 다릅니다";
  } catch (const Failure& f) {
    problem = L"저장한 파일을 다시 읽을 수 없습니다: " + failureInWords(f);
  }
  if (!problem.empty()) {
    try {
      s.files.deleteFile(path);
    } catch (const Failure&) {
    }
    refuse(s, profile, problem, folder);
    return false;
  }

  const std::wstring name = path.substr(folder.size() + 1);
  for (const auto& old : snapshotsToRemove(s.files.listFiles(folder, L"*.reg"), name)) {
    try {
      s.files.deleteFile(folder + L"\\" + old);
    } catch (const Failure&) {
      // An old snapshot that stays does no harm; the next run tries again.
    }
  }
  return true;
}

}  // namespace doumteo
