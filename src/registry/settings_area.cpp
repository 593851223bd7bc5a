#include "registry/settings_area.h"

#include <map>
#include <memory>
#include <set>

#include "common/text.h"

namespace doumteo {

namespace {

// What a link holds: the native path of the key it stands for.
constexpr wchar_t kLinkValueName[] = L"SymbolicLinkValue";
// Where a long name is shown in a refusal, its start is enough to find it.
constexpr std::size_t kShownName = 160;

[[noreturn]] void failRegistry(long code) { throw Failure(static_cast<int>(code), L"Registry error"); }
[[noreturn]] void refuse(std::wstring reason) { throw AreaRefused{std::move(reason)}; }

std::wstring shown(const std::wstring& name) {
  return name.size() <= kShownName ? name : name.substr(0, kShownName) + L"…";
}

std::wstring typeName(std::uint32_t type) {
  switch (type) {
    case reg::kLink:
      return L"REG_LINK";
    case 8:
      return L"REG_RESOURCE_LIST";
    case 9:
      return L"REG_FULL_RESOURCE_DESCRIPTOR";
    case 10:
      return L"REG_RESOURCE_REQUIREMENTS_LIST";
    default:
      return L"번호 " + std::to_wstring(type);
  }
}

std::wstring valuePath(const std::wstring& key, const std::wstring& name) {
  return key + L"\\" + (name.empty() ? L"(기본값)" : name);
}

std::wstring codeText(long rc) { return L" (오류 " + std::to_wstring(rc) + L")"; }

// Below HKEY_CURRENT_USER, as the port takes it.
std::wstring relativePath(const std::wstring& fullPath) { return fullPath.substr(std::size(kCurrentUserName)); }

// Opens name below parent as itself, a link too; 0 when it is not there.
RegHandle openOwn(RegistryApi& api, RegHandle parent, const std::wstring& name) {
  RegHandle h = 0;
  const long rc = api.openKeyW(parent, name, reg::kKeyRead, h);
  if (rc == reg::kFileNotFound) return 0;
  if (rc != reg::kSuccess) failRegistry(rc);
  return h;
}

// The key's values; a key opened as itself shows a link by the value that
// holds its target.
std::vector<SnapshotValue> valuesOf(RegistryApi& api, RegHandle key, const std::wstring& path) {
  std::vector<SnapshotValue> values;
  for (std::uint32_t i = 0;; ++i) {
    SnapshotValue v;
    const long rc = api.enumValueW(key, i, v.name, v.type, v.data);
    if (rc == reg::kNoMoreItems) return values;
    if (rc != reg::kSuccess) failRegistry(rc);
    if (v.type == reg::kLink && equalsIgnoringAsciiCase(v.name, kLinkValueName))
      refuse(L"설정 영역에 다른 곳의 키를 가리키는 레지스트리 링크가 있습니다: " + path);
    values.push_back(std::move(v));
  }
}

void walk(RegistryApi& api, RegHandle key, const std::wstring& path, std::vector<SnapshotKey>& out) {
  SnapshotKey k{path, valuesOf(api, key, path)};
  for (const auto& v : k.values)
    if (!isSavableType(v.type))
      refuse(L"복원 지점에 저장할 수 없는 종류의 값이 있습니다.\r\n키: " + path + L"\r\n값: " +
             (v.name.empty() ? L"(기본값)" : shown(v.name)) + L"\r\n종류: " + typeName(v.type));
  out.push_back(std::move(k));
  std::vector<std::wstring> children;
  for (std::uint32_t i = 0;; ++i) {
    std::wstring name;
    const long rc = api.enumKeyW(key, i, name);
    if (rc == reg::kNoMoreItems) break;
    if (rc != reg::kSuccess) failRegistry(rc);
    // An empty name would open the key itself again, without end.
    if (name.empty()) refuse(L"설정 영역에 이름이 없는 키가 있습니다: " + path + L"\\(이름 없음)");
    if (!isSettingsLevelName(name))
      refuse(L"설정 영역에 쓸 수 없는 이름의 키가 있습니다: " + path + L"\\" + shown(name));
    children.push_back(std::move(name));
  }
  for (const auto& child : children) {
    const RegHandle h = openOwn(api, key, child);
    if (!h) failRegistry(reg::kFileNotFound);  // gone while being read
    const RegKey owner(api, h);
    walk(api, h, path + L"\\" + child, out);
  }
}

void deleteKeys(RegistryApi& api, const std::vector<SnapshotKey>& keys, std::vector<std::wstring>& problems) {
  // Pre-order backwards: every key after the keys below it.
  for (auto it = keys.rbegin(); it != keys.rend(); ++it)
    if (const long rc = api.deleteKeyW(reg::kHkeyCurrentUser, relativePath(it->path));
        rc != reg::kSuccess && rc != reg::kFileNotFound)
      problems.push_back(L"지우지 못한 키: " + it->path + codeText(rc));
}

struct KeyView {
  const SnapshotKey* key;
  std::map<std::wstring, const SnapshotValue*> values;  // by folded name
};

// Points into the keys, which must outlive it.
std::map<std::wstring, KeyView> byFoldedPath(const std::vector<const SnapshotKey*>& keys) {
  std::map<std::wstring, KeyView> out;
  for (const SnapshotKey* k : keys) {
    KeyView view{k, {}};
    for (const auto& v : k->values) view.values[asciiLower(v.name)] = &v;
    out.emplace(asciiLower(k->path), std::move(view));
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

void compareArea(const std::vector<const SnapshotKey*>& wanted, const std::vector<SnapshotKey>& present,
                 std::vector<std::wstring>& lines) {
  std::vector<const SnapshotKey*> presentKeys;
  for (const auto& k : present) presentKeys.push_back(&k);
  const auto now = byFoldedPath(presentKeys);
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

}  // namespace

bool isSettingsLevelName(const std::wstring& name) {
  if (name.empty()) return false;
  // A key name holds at most 255 UTF-16 units; a longer one names no key
  // that could exist, and opening it fails with an error of its own.
  constexpr std::size_t kMaxKeyName = 255;
  bool onlyDots = true;
  for (wchar_t c : name) {
    if (c == L'\\' || c < 0x20 || c == 0x7F) return false;
    if (c != L'.') onlyDots = false;
  }
  return !onlyDots && utf16Length(name) <= kMaxKeyName;
}

std::wstring settingsAreaKeyPath(const std::wstring& app) { return std::wstring(kSettingsRoot) + L"\\" + app; }

std::wstring settingsAreaExportPath(const std::wstring& app) {
  return std::wstring(kCurrentUserName) + L"\\" + settingsAreaKeyPath(app);
}

std::optional<AreaPath> splitAreaPath(const std::wstring& path) {
  const std::wstring root = std::wstring(kCurrentUserName) + L"\\" + kSettingsRoot + L"\\";
  if (path.size() < root.size() || !equalsIgnoringAsciiCase(std::wstring_view(path).substr(0, root.size()), root))
    return std::nullopt;
  std::vector<std::wstring> names;
  for (std::size_t start = root.size();;) {
    const std::size_t end = path.find(L'\\', start);
    names.push_back(path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (!isSettingsLevelName(names.back())) return std::nullopt;
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  AreaPath out{names.front(), {}};
  out.below.assign(names.begin() + 1, names.end());
  return out;
}

std::wstring areaPathText(const AreaPath& p) {
  std::wstring out = settingsAreaExportPath(p.app);
  for (const auto& n : p.below) out += L"\\" + n;
  return out;
}

std::optional<std::wstring> areaApplication(const std::wstring& path) {
  const auto parts = splitAreaPath(path);
  if (!parts || !parts->below.empty()) return std::nullopt;
  return parts->app;
}

std::vector<SnapshotKey> readSettingsArea(RegistryApi& api, const std::wstring& app) {
  if (!isSettingsLevelName(app)) throw Failure(err::kInvalidCall, L"Invalid procedure call or argument");
  // The levels above the area are opened one by one as well, so that a
  // link among them is seen too.
  std::vector<std::wstring> levels;
  for (std::size_t start = 0;;) {
    const std::size_t end = settingsAreaKeyPath(app).find(L'\\', start);
    levels.push_back(settingsAreaKeyPath(app).substr(start, end == std::wstring::npos ? end : end - start));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  std::unique_ptr<RegKey> parent;
  std::wstring path = kCurrentUserName;
  for (std::size_t i = 0; i < levels.size(); ++i) {
    path += L"\\" + levels[i];
    const RegHandle h = openOwn(api, parent ? parent->get() : reg::kHkeyCurrentUser, levels[i]);
    if (!h) return {};
    parent = std::make_unique<RegKey>(api, h);
    if (i + 1 < levels.size()) valuesOf(api, h, path);
  }
  std::vector<SnapshotKey> keys;
  walk(api, parent->get(), path, keys);
  return keys;
}

std::optional<std::vector<std::wstring>> deleteSettingsArea(RegistryApi& api, const std::wstring& app) {
  const auto keys = readSettingsArea(api, app);
  if (keys.empty()) return std::nullopt;
  std::vector<std::wstring> problems;
  deleteKeys(api, keys, problems);
  return problems;
}

std::vector<std::wstring> applySnapshot(RegistryApi& api, const RegExport& content) {
  std::vector<std::wstring> problems;
  std::vector<std::vector<SnapshotKey>> present;
  for (const auto& path : content.removed) {
    // The reader lets nothing else through; this stays a settings area all the same.
    if (const auto app = areaApplication(path))
      present.push_back(readSettingsArea(api, *app));
    else
      problems.push_back(L"설정 영역 밖의 키: " + path);
  }
  for (const auto& keys : present) deleteKeys(api, keys, problems);
  for (const auto& key : content.keys) {
    if (!splitAreaPath(key.path)) {
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
  // The keys by area in one pass: a file of many areas is compared in time
  // proportional to its size.
  std::map<std::wstring, std::vector<const SnapshotKey*>> wanted;
  for (const auto& k : content.keys)
    if (const auto parts = splitAreaPath(k.path)) wanted[asciiLower(parts->app)].push_back(&k);
  std::vector<std::wstring> lines;
  for (const auto& path : content.removed)
    if (const auto app = areaApplication(path))
      compareArea(wanted[asciiLower(*app)], readSettingsArea(api, *app), lines);
  return lines;
}

}  // namespace doumteo
