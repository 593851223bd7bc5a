#include "registry/undo.h"

#include <algorithm>
#include <set>

#include "common/guard.h"
#include "common/messages.h"
#include "common/text.h"
#include "registry/settings_area.h"

namespace doumteo {

namespace {

// A report names this many settings; the rest are counted.
constexpr std::size_t kReportedLines = 10;
// The action column of the list, in the width of a fixed-pitch font.
constexpr std::size_t kActionColumns = 14;

std::wstring actionInWords(const std::wstring& action) {
  if (action == kSnapshotFullWipe) return L"전체 삭제";
  if (action == kSnapshotSelectiveWipe) return L"선택 삭제";
  if (action == kSnapshotRestore) return L"환경설정 복원";
  return action;
}

// Hangul and the other wide characters take two columns of a fixed-pitch font.
std::size_t columns(const std::wstring& text) {
  std::size_t n = 0;
  for (wchar_t c : text) n += c >= 0x1100 ? 2 : 1;
  return n;
}

std::wstring joined(const std::vector<std::wstring>& names) {
  std::wstring out;
  for (const auto& name : names) out += (out.empty() ? L"" : L", ") + name;
  return out;
}

void show(const Services& s, const std::wstring& text, MsgIcon icon) {
  s.messages.show({text, kAppTitle, MsgButtons::Ok, icon, false});
}

std::wstring refusalText(const std::wstring& file, const std::wstring& reason, std::size_t line) {
  std::wstring text =
      L"이 복원 지점은 도움터가 저장한 그대로의 파일이 아니어서 되돌릴 수 없습니다.\r\n"
      L"아무것도 바꾸지 않았습니다.\r\n\r\n이유: " +
      reason;
  if (line) text += L"\r\n위치: " + std::to_wstring(line) + L"번째 줄";
  return text + L"\r\n파일: " + file;
}

}  // namespace

RestorePoint readRestorePoint(FileSystemPort& files, const std::wstring& folder, const std::wstring& name) {
  const auto parsed = parseSnapshotFileName(name);
  RestorePoint p;
  p.fileName = name;
  p.when = parsed->when;
  p.action = actionInWords(parsed->action);
  try {
    const auto read = readSnapshotFile(files.readFile(folder + L"\\" + name, kSnapshotFileLimit));
    if (read.content) {
      p.readable = true;
      p.products = snapshotApplications(*read.content);
    }
  } catch (const Failure&) {
    // Listed all the same; the undo says why it cannot be used.
  }
  return p;
}

std::vector<std::wstring> restorePointNames(const Services& s, std::wstring& folder) {
  try {
    folder = snapshotFolderOf(s.files.localAppDataFolder());
  } catch (const Failure&) {
    return {};
  }
  return snapshotsNewestFirst(s.files.listFiles(folder, L"*.reg"));
}

std::vector<RestorePoint> listRestorePoints(const Services& s) {
  std::wstring folder;
  std::vector<RestorePoint> points;
  for (const auto& name : restorePointNames(s, folder)) points.push_back(readRestorePoint(s.files, folder, name));
  return points;
}

std::wstring restorePointLine(const RestorePoint& p) {
  std::wstring line = p.when + L"  " + p.action;
  line.append(kActionColumns > columns(p.action) ? kActionColumns - columns(p.action) : 1, L' ');
  if (!p.readable) return line + L"(쓸 수 없는 파일)";
  return line + joined(p.products);
}

bool UndoRestorePoint(const Services& s, const ProductProfile& profile, const RestorePoint& point) {
  std::wstring file;
  RegExport content;
  try {
    file = snapshotFolderOf(s.files.localAppDataFolder()) + L"\\" + point.fileName;
    auto read = readSnapshotFile(s.files.readFile(file, kSnapshotFileLimit));
    if (!read.content) {
      show(s, refusalText(file, read.refusal, read.line), MsgIcon::Exclamation);
      return false;
    }
    content = std::move(*read.content);
  } catch (const Failure& f) {
    if (f.number == err::kOverflow) {
      show(s, refusalText(file, L"파일이 64 MB보다 큽니다", 0), MsgIcon::Exclamation);
    } else {
      std::wstring text =
          L"복원 지점 파일을 읽지 못했습니다. 아무것도 바꾸지 않았습니다.\r\n\r\n이유: " + failureInWords(f);
      if (!file.empty()) text += L"\r\n파일: " + file;
      show(s, text, MsgIcon::Exclamation);
    }
    return false;
  }

  // The products named are those of the reading that is put back.
  const std::wstring question = L"되돌릴 제품: " + joined(snapshotApplications(content)) + L"\r\n\r\n" + point.when +
                                L"에 저장한 설정으로 되돌립니다.\r\n\r\n" + L"그 뒤에 바뀐 설정은 사라집니다.\r\n\r\n" +
                                L"되돌리시겠습니까?";
  if (s.messages.show({question, kAppTitle, MsgButtons::YesNo, MsgIcon::Question, true}) != Answer::Yes) return false;
  if (IsProductRunning(s, profile)) return false;
  // The state being replaced is itself a restore point, so that this undo
  // can be undone.
  if (!SaveSettingsSnapshot(s, profile, snapshotApplications(content), kSnapshotUndo, true)) return false;

  std::vector<std::wstring> problems;
  try {
    problems = applySnapshot(s.registry, content);
  } catch (const AreaRefused& r) {
    show(s, L"설정을 되돌리지 못했습니다. 아무것도 바꾸지 않았습니다.\r\n\r\n이유: " + r.reason, MsgIcon::Exclamation);
    return true;
  } catch (const Failure& f) {
    show(s, L"설정을 되돌리지 못했습니다. 아무것도 바꾸지 않았습니다.\r\n\r\n이유: " + failureInWords(f),
         MsgIcon::Exclamation);
    return true;
  }
  std::set<std::wstring> named(problems.begin(), problems.end());
  try {
    for (auto& line : snapshotDifferences(s.registry, content))
      if (named.insert(line).second) problems.push_back(std::move(line));
  } catch (const AreaRefused& r) {
    problems.push_back(L"되돌린 설정을 다시 읽지 못했습니다: " + r.reason);
  } catch (const Failure& f) {
    problems.push_back(L"되돌린 설정을 다시 읽지 못했습니다: " + failureInWords(f));
  }
  if (problems.empty()) {
    show(s, L"설정을 되돌렸습니다.", MsgIcon::Information);
    return true;
  }
  std::wstring text = L"설정을 모두 되돌리지는 못했습니다. 다음 설정이 복원 지점과 다릅니다.\r\n";
  for (std::size_t i = 0; i < problems.size() && i < kReportedLines; ++i) text += L"\r\n" + problems[i];
  if (problems.size() > kReportedLines)
    text += L"\r\n그 밖에 " + std::to_wstring(problems.size() - kReportedLines) + L"개";
  text += L"\r\n\r\n나머지 설정은 되돌렸습니다. 되돌리기 전의 설정은 새 복원 지점에 저장되어 있습니다.";
  show(s, text, MsgIcon::Exclamation);
  return true;
}

}  // namespace doumteo
