#include "registry/snapshot.h"

#include <algorithm>

#include "common/messages.h"
#include "common/text.h"
#include "platform/ansi.h"
#include "registry/reg_log.h"
#include "registry/snapshot_reader.h"

namespace doumteo {

namespace {

// regedit breaks hex data after the comma that reaches this column.
constexpr std::size_t kHexLineWidth = 77;
constexpr std::size_t kValueNameBuffer = 32768;  // 16383 characters, double-byte
constexpr std::size_t kKeyNameBuffer = 1024;     // 255 characters, double-byte

std::wstring hexByte(std::uint8_t b) { return {hexDigitLower(b >> 4), hexDigitLower(b & 15)}; }

std::wstring hexNumber(std::uint32_t n) {
  std::wstring out;
  do {
    out.insert(out.begin(), hexDigitLower(n & 15));
    n >>= 4;
  } while (n);
  return out;
}

std::wstring quoted(const std::wstring& s) {
  std::wstring out = L"\"";
  for (wchar_t c : s) {
    if (c == L'\\' || c == L'"') out += L'\\';
    out += c;
  }
  return out + L"\"";
}

// A REG_SZ that regedit can write between quotes: one terminating NUL, no
// other NUL and no line break (those go out as hex(1)).
std::optional<std::wstring> plainText(const std::vector<std::uint8_t>& data) {
  if (data.size() < 2 || data.size() % 2 || data[data.size() - 1] || data[data.size() - 2]) return std::nullopt;
  const std::wstring text = fromUtf16le({data.begin(), data.end() - 2});
  if (text.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos) return std::nullopt;
  return text;
}

std::wstring valueLine(const SnapshotValue& v) {
  std::wstring line = (v.name.empty() ? L"@" : quoted(v.name)) + L"=";
  if (v.type == reg::kSz) {
    if (auto text = plainText(v.data)) return line + quoted(*text);
  }
  if (v.type == reg::kDword && v.data.size() == 4) {
    std::wstring digits;
    for (int i = 3; i >= 0; --i) digits += hexByte(v.data[static_cast<std::size_t>(i)]);
    return line + L"dword:" + digits;
  }
  line += v.type == reg::kBinary ? L"hex:" : L"hex(" + hexNumber(v.type) + L"):";
  std::size_t column = line.size();
  for (std::size_t i = 0; i < v.data.size(); ++i) {
    line += hexByte(v.data[i]);
    column += 2;
    if (i + 1 == v.data.size()) break;
    line += L',';
    if (++column >= kHexLineWidth) {
      line += L"\\\r\n  ";
      column = 2;
    }
  }
  return line;
}

// ---- reading the registry ----

[[noreturn]] void failRegistry(long code) { throw Failure(static_cast<int>(code), L"Registry error"); }

std::vector<std::uint8_t> valueData(RegistryApi& api, RegHandle h, const std::optional<std::string>& name,
                                    std::uint32_t& type) {
  // The value may grow between the two calls; a few tries settle it.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::uint32_t size = 0;
    if (long rc = api.queryValue(h, name, &type, nullptr, &size); rc != reg::kSuccess) failRegistry(rc);
    std::vector<std::uint8_t> data(size);
    std::uint32_t got = size;
    const long rc = api.queryValue(h, name, &type, data.empty() ? nullptr : data.data(), &got);
    if (rc == reg::kMoreData) continue;
    if (rc != reg::kSuccess) failRegistry(rc);
    data.resize(std::min<std::size_t>(got, data.size()));
    return data;
  }
  failRegistry(reg::kMoreData);
}

void readTree(RegistryApi& api, const std::string& ansiPath, const std::wstring& fullPath,
              std::vector<SnapshotKey>& out) {
  RegHandle raw = 0;
  if (long rc = api.openKey(reg::kHkeyCurrentUser, ansiPath, reg::kKeyRead, raw); rc != reg::kSuccess) failRegistry(rc);
  const RegKey key(api, raw);

  SnapshotKey snapshot{fullPath, {}};
  std::vector<char> buffer(kValueNameBuffer);
  for (std::uint32_t i = 0;; ++i) {
    std::uint32_t length = static_cast<std::uint32_t>(buffer.size());
    const long rc = api.enumValue(key.get(), i, buffer.data(), length);
    if (rc == reg::kNoMoreItems) break;
    if (rc != reg::kSuccess) failRegistry(rc);
    const std::string ansiName(buffer.data(), std::min<std::size_t>(length, buffer.size()));
    SnapshotValue v;
    v.name = fromAnsi(ansiName);
    auto data =
        valueData(api, key.get(), ansiName.empty() ? std::nullopt : std::optional<std::string>(ansiName), v.type);
    if (isTextType(v.type)) {
      v.data = utf16le(fromAnsi(std::string(data.begin(), data.end())));
    } else {
      v.data = std::move(data);
    }
    snapshot.values.push_back(std::move(v));
  }
  out.push_back(std::move(snapshot));

  std::vector<std::string> children;
  std::vector<char> name(kKeyNameBuffer);
  for (std::uint32_t i = 0;; ++i) {
    const long rc = api.enumKey(key.get(), i, name.data(), static_cast<std::uint32_t>(name.size()));
    if (rc == reg::kNoMoreItems) break;
    if (rc != reg::kSuccess) failRegistry(rc);
    children.emplace_back(name.data(),
                          static_cast<std::size_t>(std::find(name.begin(), name.end(), '\0') - name.begin()));
  }
  for (const auto& child : children) readTree(api, ansiPath + "\\" + child, fullPath + L"\\" + fromAnsi(child), out);
}

// The same walk through the wide calls: names and data exactly as stored,
// whatever the ANSI code page can hold. Subkeys are opened below their
// parent's handle.
void readTreeWide(RegistryApi& api, const RegKey& key, const std::wstring& fullPath, std::vector<SnapshotKey>& out) {
  SnapshotKey snapshot{fullPath, {}};
  for (std::uint32_t i = 0;; ++i) {
    SnapshotValue v;
    const long rc = api.enumValueW(key.get(), i, v.name, v.type, v.data);
    if (rc == reg::kNoMoreItems) break;
    if (rc != reg::kSuccess) failRegistry(rc);
    snapshot.values.push_back(std::move(v));
  }
  out.push_back(std::move(snapshot));

  std::vector<std::wstring> children;
  for (std::uint32_t i = 0;; ++i) {
    std::wstring name;
    const long rc = api.enumKeyW(key.get(), i, name);
    if (rc == reg::kNoMoreItems) break;
    if (rc != reg::kSuccess) failRegistry(rc);
    children.push_back(std::move(name));
  }
  for (const auto& child : children) {
    RegHandle raw = 0;
    if (long rc = api.openKeyW(key.get(), child, reg::kKeyRead, raw); rc != reg::kSuccess) failRegistry(rc);
    readTreeWide(api, RegKey(api, raw), fullPath + L"\\" + child, out);
  }
}

// ---- the snapshot step ----

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

std::vector<std::uint8_t> utf16le(const std::wstring& text) {
  const std::u16string units = toUtf16(text);
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2);
  for (const char16_t u : units) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

std::wstring fromUtf16le(const std::vector<std::uint8_t>& bytes) {
  std::wstring out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t u = bytes[i] | (static_cast<std::uint32_t>(bytes[i + 1]) << 8);
    if constexpr (sizeof(wchar_t) == 4) {
      if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
        const std::uint32_t low = bytes[i + 2] | (static_cast<std::uint32_t>(bytes[i + 3]) << 8);
        if (low >= 0xDC00 && low < 0xE000) {
          u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
    }
    out += static_cast<wchar_t>(u);
  }
  return out;
}

std::wstring exportText(const RegExport& content) {
  std::wstring text = std::wstring(kRegExportHeader) + L"\r\n";
  for (const auto& path : content.removed) text += L"\r\n[-" + path + L"]\r\n";
  for (const auto& key : content.keys) {
    text += L"\r\n[" + key.path + L"]\r\n";
    for (const auto& v : key.values) text += valueLine(v) + L"\r\n";
  }
  return text + L"\r\n";
}

std::string regFileBytes(const std::wstring& text) {
  const auto bytes = utf16le(text);
  std::string out = "\xFF\xFE";
  out.append(bytes.begin(), bytes.end());
  return out;
}

std::vector<SnapshotKey> readSettingsArea(RegistryApi& api, const std::wstring& app) {
  const std::wstring path = std::wstring(kSettingsRootW) + L"\\" + app;
  if (api.hasWideReading()) {
    RegHandle area = 0;
    const long rc = api.openKeyW(reg::kHkeyCurrentUser, path, reg::kKeyRead, area);
    if (rc == reg::kFileNotFound) return {};
    if (rc != reg::kSuccess) failRegistry(rc);
    std::vector<SnapshotKey> keys;
    readTreeWide(api, RegKey(api, area), settingsAreaExportPath(app), keys);
    return keys;
  }
  const std::string ansiPath = toAnsi(path);
  {
    RegHandle probe = 0;
    const long rc = api.openKey(reg::kHkeyCurrentUser, ansiPath, reg::kKeyRead, probe);
    if (rc == reg::kFileNotFound) return {};
    if (rc != reg::kSuccess) failRegistry(rc);
    const RegKey closeIt(api, probe);
  }
  std::vector<SnapshotKey> keys;
  readTree(api, ansiPath, settingsAreaExportPath(app), keys);
  return keys;
}

std::wstring settingsAreaExportPath(const std::wstring& app) {
  return std::wstring(kCurrentUserName) + L"\\" + kSettingsRootW + L"\\" + app;
}

std::wstring snapshotFolderOf(const std::wstring& localAppData) { return localAppData + L"\\도움터\\복원지점"; }

namespace {

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
      out.number = std::stoull(digits);
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
