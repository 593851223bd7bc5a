#include "registry/settings_area.h"

#include <algorithm>
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
  // Every level is opened below its parent, those above the area as well,
  // so that a link among them is seen too; of those only a link matters.
  const std::wstring below = settingsAreaKeyPath(app);
  std::vector<std::unique_ptr<RegKey>> held;
  RegHandle parent = reg::kHkeyCurrentUser;
  std::wstring path = kCurrentUserName;
  for (std::size_t start = 0; start <= below.size();) {
    const std::size_t end = std::min(below.find(L'\\', start), below.size());
    const std::wstring level = below.substr(start, end - start);
    path += L"\\" + level;
    const RegHandle h = openOwn(api, parent, level);
    if (!h) return {};
    held.push_back(std::make_unique<RegKey>(api, h));
    parent = h;
    start = end + 1;
    if (start <= below.size()) valuesOf(api, h, path);
  }
  std::vector<SnapshotKey> keys;
  walk(api, parent, path, keys);
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

// ---- the restore points' file names and their order ----

namespace {

std::wstring twoDigits(unsigned n) {
  return {static_cast<wchar_t>(L'0' + n / 10 % 10), static_cast<wchar_t>(L'0' + n % 10)};
}

std::wstring timeStamp(const LocalTime& t) {
  const std::wstring year = twoDigits(t.year / 100u) + twoDigits(t.year % 100u);
  const std::wstring ms =
      std::wstring(1, static_cast<wchar_t>(L'0' + t.milliseconds / 100 % 10)) + twoDigits(t.milliseconds % 100u);
  return year + twoDigits(t.month) + twoDigits(t.day) + L"_" + twoDigits(t.hour) + twoDigits(t.minute) +
         twoDigits(t.second) + L"_" + ms;
}

constexpr std::size_t kStampLength = 19;  // YYYYMMDD_HHMMSS_mmm
constexpr std::size_t kNumberDigits = 6;  // at least; more once they are used up
constexpr std::size_t kMaxNumberDigits = 18;

bool isStamp(const std::wstring& s) {
  if (s.size() < kStampLength) return false;
  for (std::size_t i = 0; i < kStampLength; ++i) {
    const bool underscore = i == 8 || i == 15;
    if (underscore ? s[i] != L'_' : (s[i] < L'0' || s[i] > L'9')) return false;
  }
  return true;
}

bool allDigits(const std::wstring& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// Oldest first: the names without a number, by name, then the numbered ones.
bool writtenBefore(const std::pair<SnapshotName, std::wstring>& a, const std::pair<SnapshotName, std::wstring>& b) {
  if (a.first.number.has_value() != b.first.number.has_value()) return !a.first.number.has_value();
  if (a.first.number != b.first.number) return a.first.number < b.first.number;
  return a.second < b.second;
}

std::vector<std::wstring> oldestFirst(const std::vector<std::wstring>& names) {
  std::vector<std::pair<SnapshotName, std::wstring>> found;
  for (const auto& n : names)
    if (auto parsed = parseSnapshotFileName(n)) found.emplace_back(std::move(*parsed), n);
  std::sort(found.begin(), found.end(), writtenBefore);
  std::vector<std::wstring> out;
  for (auto& f : found) out.push_back(std::move(f.second));
  return out;
}

}  // namespace

std::optional<SnapshotName> parseSnapshotFileName(const std::wstring& name) {
  if (name.size() < kStampLength + 4 || !isStamp(name) || asciiLower(name.substr(name.size() - 4)) != L".reg")
    return std::nullopt;
  SnapshotName out{name.substr(0, 4) + L"-" + name.substr(4, 2) + L"-" + name.substr(6, 2) + L" " + name.substr(9, 2) +
                       L":" + name.substr(11, 2) + L":" + name.substr(13, 2),
                   L"", std::nullopt};
  const std::wstring rest = name.substr(kStampLength, name.size() - kStampLength - 4);
  if (rest.size() > 1 && rest[0] == L' ') {
    const std::size_t blank = rest.find(L' ', 1);
    const std::wstring digits = rest.substr(1, blank == std::wstring::npos ? std::wstring::npos : blank - 1);
    if (blank != std::wstring::npos && digits.size() >= kNumberDigits && digits.size() <= kMaxNumberDigits &&
        allDigits(digits)) {
      // By hand: the library's conversion would import the C runtime's
      // character classes. Eighteen digits always fit.
      std::uint64_t n = 0;
      for (wchar_t c : digits) n = n * 10 + static_cast<std::uint64_t>(c - L'0');
      out.number = n;
      out.action = rest.substr(blank + 1);
      return out;
    }
  }
  if (const std::size_t blank = rest.find(L' '); blank != std::wstring::npos) out.action = rest.substr(blank + 1);
  return out;
}

bool isSnapshotFileName(const std::wstring& name) { return parseSnapshotFileName(name).has_value(); }

std::wstring snapshotFileName(const LocalTime& time, const std::wstring& action,
                              const std::vector<std::wstring>& existing) {
  std::uint64_t last = 0;
  for (const auto& n : existing)
    if (const auto parsed = parseSnapshotFileName(n); parsed && parsed->number) last = std::max(last, *parsed->number);
  std::wstring number = std::to_wstring(last + 1);
  if (number.size() < kNumberDigits) number.insert(0, kNumberDigits - number.size(), L'0');
  return timeStamp(time) + L" " + number + L" " + action + L".reg";
}

std::vector<std::wstring> snapshotsNewestFirst(const std::vector<std::wstring>& names) {
  auto out = oldestFirst(names);
  std::reverse(out.begin(), out.end());
  return out;
}

std::vector<std::wstring> snapshotsToRemove(const std::vector<std::wstring>& names, const std::wstring& justWritten,
                                            std::size_t kept) {
  std::vector<std::wstring> others;
  bool sawNew = false;
  for (const auto& n : names) {
    if (n == justWritten)
      sawNew = true;
    else
      others.push_back(n);
  }
  auto snapshots = oldestFirst(others);
  const std::size_t room = kept > (sawNew ? 1u : 0u) ? kept - (sawNew ? 1u : 0u) : 0u;
  if (snapshots.size() <= room) return {};
  return {snapshots.begin(), snapshots.end() - static_cast<std::ptrdiff_t>(room)};
}

}  // namespace doumteo
