#include "registry/undo.h"

#include <algorithm>
#include <map>

#include "common/guard.h"
#include "common/messages.h"
#include "common/text.h"
#include "registry/reg_log.h"
#include "registry/snapshot_reader.h"

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

// Below HKEY_CURRENT_USER, as the port takes it.
std::wstring relativePath(const std::wstring& fullPath) { return fullPath.substr(std::size(kCurrentUserName)); }

bool insideSettings(const std::wstring& fullPath) {
  const std::wstring root = std::wstring(kCurrentUserName) + L"\\" + kSettingsRootW + L"\\";
  return fullPath.size() > root.size() && fullPath.compare(0, root.size(), root) == 0;
}

std::wstring codeText(long rc) { return L" (오류 " + std::to_wstring(rc) + L")"; }

std::wstring valuePath(const std::wstring& key, const std::wstring& name) {
  return key + L"\\" + (name.empty() ? L"(기본값)" : name);
}

// Removes the key at path (below HKEY_CURRENT_USER) with all below it.
void deleteTree(RegistryApi& api, const std::wstring& path, std::vector<std::wstring>& problems) {
  auto failed = [&](long rc) {
    problems.push_back(L"지우지 못한 키: " + std::wstring(kCurrentUserName) + L"\\" + path + codeText(rc));
  };
  std::vector<std::wstring> children;
  {
    RegHandle raw = 0;
    const long rc = api.openKeyW(reg::kHkeyCurrentUser, path, reg::kKeyRead, raw);
    if (rc == reg::kFileNotFound) return;
    if (rc != reg::kSuccess) return failed(rc);
    const RegKey key(api, raw);
    for (std::uint32_t i = 0;; ++i) {
      std::wstring name;
      const long erc = api.enumKeyW(key.get(), i, name);
      if (erc == reg::kNoMoreItems) break;
      if (erc != reg::kSuccess) return failed(erc);
      children.push_back(std::move(name));
    }
  }
  for (const auto& child : children) deleteTree(api, path + L"\\" + child, problems);
  if (const long rc = api.deleteKeyW(reg::kHkeyCurrentUser, path); rc != reg::kSuccess && rc != reg::kFileNotFound)
    failed(rc);
}

struct KeyView {
  const SnapshotKey* key;
  std::map<std::wstring, const SnapshotValue*> values;  // by folded name
};

// Points into keys, which must outlive it.
std::map<std::wstring, KeyView> byFoldedPath(const std::vector<SnapshotKey>& keys) {
  std::map<std::wstring, KeyView> out;
  for (const auto& k : keys) {
    KeyView view{&k, {}};
    for (const auto& v : k.values) view.values[asciiLower(v.name)] = &v;
    out.emplace(asciiLower(k.path), std::move(view));
  }
  return out;
}

// A text given without its terminating NUL may come back with one (the
// importers and Wine's registry add it); it is the same text.
bool sameValue(const SnapshotValue& now, const SnapshotValue& wanted) {
  if (now.type != wanted.type) return false;
  if (now.data == wanted.data) return true;
  const bool text = isTextType(now.type);
  const auto& w = wanted.data;
  const bool unterminated = w.size() % 2 == 0 && (w.size() < 2 || w[w.size() - 1] || w[w.size() - 2]);
  return text && unterminated && now.data.size() == w.size() + 2 && std::equal(w.begin(), w.end(), now.data.begin()) &&
         !now.data[w.size()] && !now.data[w.size() + 1];
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

std::vector<RestorePoint> listRestorePoints(const Services& s) {
  std::wstring folder;
  try {
    folder = snapshotFolderOf(s.files.localAppDataFolder());
  } catch (const Failure&) {
    return {};
  }
  std::vector<RestorePoint> points;
  for (const auto& name : snapshotsNewestFirst(s.files.listFiles(folder, L"*.reg"))) {
    const auto parsed = parseSnapshotFileName(name);
    RestorePoint p;
    p.fileName = name;
    p.when = parsed->when;
    p.action = actionInWords(parsed->action);
    try {
      const auto read = readSnapshotFile(s.files.readFile(folder + L"\\" + name, kSnapshotFileLimit));
      if (read.content) {
        p.readable = true;
        p.products = snapshotApplications(*read.content);
      }
    } catch (const Failure&) {
      // Listed all the same; the undo says why it cannot be used.
    }
    points.push_back(std::move(p));
  }
  return points;
}

std::wstring restorePointLine(const RestorePoint& p) {
  std::wstring line = p.when + L"  " + p.action;
  line.append(kActionColumns > columns(p.action) ? kActionColumns - columns(p.action) : 1, L' ');
  if (!p.readable) return line + L"(쓸 수 없는 파일)";
  if (p.products.empty()) return line;
  std::wstring products;
  for (const auto& name : p.products) products += (products.empty() ? L"" : L", ") + name;
  return line + products;
}

std::vector<std::wstring> applySnapshot(RegistryApi& api, const RegExport& content) {
  std::vector<std::wstring> problems;
  for (const auto& path : content.removed) {
    // The reader lets nothing else through; this stays a settings area all the same.
    if (!areaApplication(path) || !insideSettings(path)) {
      problems.push_back(L"설정 영역 밖의 키: " + path);
      continue;
    }
    deleteTree(api, relativePath(path), problems);
  }
  for (const auto& key : content.keys) {
    if (!insideSettings(key.path)) {
      problems.push_back(L"설정 영역 밖의 키: " + key.path);
      continue;
    }
    RegHandle raw = 0;
    if (const long rc = api.createKeyW(reg::kHkeyCurrentUser, relativePath(key.path), raw); rc != reg::kSuccess) {
      problems.push_back(L"만들지 못한 키: " + key.path + codeText(rc));
      continue;
    }
    const RegKey owner(api, raw);
    for (const auto& v : key.values)
      if (const long rc = api.setValueW(raw, v.name, v.type, v.data); rc != reg::kSuccess)
        problems.push_back(L"쓰지 못한 값: " + valuePath(key.path, v.name) + codeText(rc));
  }
  return problems;
}

std::vector<std::wstring> snapshotDifferences(RegistryApi& api, const RegExport& content) {
  std::vector<std::wstring> lines;
  for (const auto& app : snapshotApplications(content)) {
    const std::wstring area = asciiLower(settingsAreaExportPath(app));
    std::vector<SnapshotKey> wanted;
    for (const auto& k : content.keys) {
      const std::wstring path = asciiLower(k.path);
      if (path == area || path.rfind(area + L"\\", 0) == 0) wanted.push_back(k);
    }
    const std::vector<SnapshotKey> present = readSettingsArea(api, app);
    const auto now = byFoldedPath(present);
    const auto want = byFoldedPath(wanted);
    for (const auto& [path, w] : want) {
      const auto it = now.find(path);
      if (it == now.end()) {
        lines.push_back(L"없는 키: " + w.key->path);
        continue;
      }
      for (const auto& [name, v] : w.values) {
        const auto found = it->second.values.find(name);
        if (found == it->second.values.end())
          lines.push_back(L"없는 값: " + valuePath(w.key->path, v->name));
        else if (!sameValue(*found->second, *v))
          lines.push_back(L"다른 값: " + valuePath(w.key->path, v->name));
      }
      for (const auto& [name, v] : it->second.values)
        if (!w.values.count(name)) lines.push_back(L"남은 값: " + valuePath(w.key->path, v->name));
    }
    for (const auto& [path, n] : now)
      if (!want.count(path)) lines.push_back(L"남은 키: " + n.key->path);
  }
  return lines;
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
  if (!s.registry.hasWideReading() || !s.registry.hasWideWriting()) {
    show(s, L"이 컴퓨터에서는 설정을 되돌릴 수 없습니다. 아무것도 바꾸지 않았습니다.", MsgIcon::Exclamation);
    return false;
  }

  const std::wstring question = point.when + L"에 저장한 설정으로 되돌립니다.\r\n\r\n" +
                                L"그 뒤에 바뀐 설정은 사라집니다.\r\n\r\n" + L"되돌리시겠습니까?";
  if (s.messages.show({question, kAppTitle, MsgButtons::YesNo, MsgIcon::Question, true}) != Answer::Yes) return false;
  if (IsProductRunning(s, profile)) return false;
  // The state being replaced is itself a restore point, so that this undo
  // can be undone.
  if (!SaveSettingsSnapshot(s, profile, snapshotApplications(content), kSnapshotUndo, true)) return false;

  std::vector<std::wstring> problems = applySnapshot(s.registry, content);
  try {
    for (auto& line : snapshotDifferences(s.registry, content))
      if (std::find(problems.begin(), problems.end(), line) == problems.end()) problems.push_back(std::move(line));
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
