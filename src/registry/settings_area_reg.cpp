#include "registry/settings_area.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "common/text.h"

namespace doumteo {

namespace {

// regedit breaks hex data after the comma that reaches this column.
constexpr std::size_t kHexLineWidth = 77;

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

}  // namespace

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

// ---- reading it back ----

namespace {

constexpr std::size_t kMaxValueName = 16383;  // UTF-16 units
// Where a long path is shown in a refusal, its start is enough to find it.
constexpr std::size_t kShownPath = 160;

struct Refused {
  std::wstring reason;
};

[[noreturn]] void refuse(std::wstring reason) { throw Refused{std::move(reason)}; }

std::wstring shown(const std::wstring& path) {
  return path.size() <= kShownPath ? path : path.substr(0, kShownPath) + L"…";
}

// Windows holds no deeper tree below a root key, and no longer key path.
constexpr std::size_t kMaxLevels = 512;
constexpr std::size_t kMaxKeyPath = 32766;

std::wstring folded(const AreaPath& p) { return asciiLower(areaPathText(p)); }

// A quoted text at pos (the opening quote); pos ends after the closing one.
// Inside, a backslash stands only before a backslash or a quote.
std::wstring unquote(std::wstring_view line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != L'"') refuse(L"따옴표로 시작하지 않습니다");
  std::wstring out;
  for (++pos; pos < line.size(); ++pos) {
    wchar_t c = line[pos];
    if (c == L'"') {
      ++pos;
      return out;
    }
    if (c == L'\\') {
      if (pos + 1 >= line.size() || (line[pos + 1] != L'\\' && line[pos + 1] != L'"'))
        refuse(L"따옴표 안의 역슬래시(\\) 뒤에는 \\ 나 \" 만 올 수 있습니다");
      c = line[++pos];
    }
    out += c;
  }
  refuse(L"닫는 따옴표가 없습니다");
}

// "aa,bb,cc": two hex digits an item, one comma between items; no bytes at all
// is an empty text.
std::vector<std::uint8_t> hexList(std::wstring_view text) {
  std::vector<std::uint8_t> bytes;
  if (text.empty()) return bytes;
  bytes.reserve(text.size() / 3 + 1);
  for (std::size_t i = 0;; i += 3) {
    if (i + 2 > text.size()) refuse(L"16진수 자료가 잘못되었습니다");
    const int hi = hexDigitValue(text[i]);
    const int lo = hexDigitValue(text[i + 1]);
    if (hi < 0 || lo < 0) refuse(L"16진수 자료가 잘못되었습니다");
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    if (i + 2 == text.size()) return bytes;
    if (text[i + 2] != L',') refuse(L"16진수 자료가 잘못되었습니다");
  }
}

class Reader {
 public:
  explicit Reader(const std::wstring& text) : text_(text) {}

  RegExport read() {
    split(text_);
    if (lines_.empty() || lines_[0] != kRegExportHeader)
      refuseAt(1, L"첫 줄이 \"" + std::wstring(kRegExportHeader) + L"\"이 아닙니다");
    if (lines_.size() < 2 || !lines_[1].empty()) refuseAt(2, L"머리글 다음 줄이 비어 있지 않습니다");
    // The export ends with an empty line; a file cut at the end of a line
    // lacks it.
    if (!lines_.back().empty()) refuseAt(lines_.size(), L"파일이 끝까지 저장되지 않았습니다");
    for (at_ = 2; at_ < lines_.size();) block();
    if (content_.removed.empty()) refuseAt(0, L"되돌릴 설정 영역이 없습니다");
    return std::move(content_);
  }

  std::size_t line() const { return line_; }

 private:
  void split(const std::wstring& text) {
    if (text.find(L'\0') != std::wstring::npos) refuseAt(0, L"파일에 널 문자가 들어 있습니다");
    std::wstring_view rest(text);
    while (!rest.empty()) {
      const std::size_t end = rest.find_first_of(L"\r\n");
      if (end == std::wstring_view::npos) refuseAt(lines_.size() + 1, L"파일이 끝까지 저장되지 않았습니다");
      if (rest[end] != L'\r' || end + 1 >= rest.size() || rest[end + 1] != L'\n')
        refuseAt(lines_.size() + 1, L"줄 끝이 CR LF가 아닙니다");
      lines_.push_back(rest.substr(0, end));
      rest.remove_prefix(end + 2);
    }
  }

  [[noreturn]] void refuseAt(std::size_t line, std::wstring reason) {
    line_ = line;
    refuse(std::move(reason));
  }

  // One section: a removal or a key with its values, then an empty line.
  void block() {
    line_ = at_ + 1;
    const std::wstring_view line = lines_[at_];
    if (line.size() < 3 || line.front() != L'[' || line.back() != L']') refuse(L"키 줄의 형식이 잘못되었습니다");
    const bool removal = line[1] == L'-';
    const std::wstring path(line.substr(removal ? 2 : 1, line.size() - (removal ? 3 : 2)));
    const auto parts = splitAreaPath(path);
    if (!parts) refuse(L"설정 영역 밖의 키입니다: " + shown(path));
    const std::wstring key = folded(*parts);
    ++at_;
    if (removal) {
      if (!content_.keys.empty()) refuse(L"지우는 줄이 키 뒤에 있습니다");
      if (!parts->below.empty()) refuse(L"설정 영역의 일부만 지우는 줄입니다: " + shown(path));
      if (!areas_.insert(key).second) refuse(L"같은 설정 영역을 두 번 지웁니다: " + shown(path));
      content_.removed.push_back(areaPathText(*parts));
    } else {
      if (!areas_.count(folded(AreaPath{parts->app, {}})))
        refuse(L"먼저 지우지 않은 설정 영역의 키입니다: " + shown(path));
      if (!parts->below.empty()) {
        AreaPath parent = *parts;
        parent.below.pop_back();
        if (!keys_.count(folded(parent))) refuse(L"상위 키보다 먼저 나오는 키입니다: " + shown(path));
      }
      if (!keys_.insert(key).second) refuse(L"같은 키가 두 번 있습니다: " + shown(path));
      // Levels and length below HKEY_CURRENT_USER: the settings root is two.
      if (parts->below.size() + 3 > kMaxLevels)
        refuse(L"Windows의 레지스트리에 둘 수 없을 만큼 깊은 키입니다 (512단계 초과): " + shown(path));
      if (utf16Length(key) - std::size(kCurrentUserName) > kMaxKeyPath)
        refuse(L"Windows의 레지스트리에 둘 수 없을 만큼 긴 키 경로입니다 (32,766자 초과): " + shown(path));
      content_.keys.push_back({areaPathText(*parts), {}});
      values();
    }
    if (at_ >= lines_.size() || !lines_[at_].empty()) {
      line_ = at_ + 1;
      refuse(removal ? L"지우는 줄 다음 줄이 비어 있지 않습니다" : L"값 줄의 형식이 잘못되었습니다");
    }
    ++at_;
  }

  void values() {
    std::set<std::wstring> names;
    while (at_ < lines_.size() && !lines_[at_].empty()) {
      line_ = at_ + 1;
      SnapshotValue v = value();
      if (!names.insert(asciiLower(v.name)).second) refuse(L"같은 값이 두 번 있습니다");
      content_.keys.back().values.push_back(std::move(v));
    }
  }

  SnapshotValue value() {
    const std::wstring_view line = lines_[at_++];
    SnapshotValue v;
    std::size_t pos = 0;
    if (line[0] == L'@') {
      pos = 1;
    } else if (line[0] == L'"') {
      v.name = unquote(line, pos);
      if (v.name.empty() || utf16Length(v.name) > kMaxValueName) refuse(L"값의 이름이 잘못되었습니다");
    } else {
      refuse(L"값 줄의 형식이 잘못되었습니다");
    }
    if (pos >= line.size() || line[pos] != L'=') refuse(L"값 줄의 형식이 잘못되었습니다");
    const std::wstring_view data = line.substr(pos + 1);
    if (!data.empty() && data[0] == L'"') {
      std::size_t end = 0;
      const std::wstring text = unquote(data, end);
      if (end != data.size()) refuse(L"닫는 따옴표 뒤에 다른 글자가 있습니다");
      v.type = reg::kSz;
      v.data = utf16le(text);
      v.data.insert(v.data.end(), {0, 0});
      return v;
    }
    if (data.starts_with(L"dword:")) {
      const std::wstring_view digits = data.substr(6);
      if (digits.size() != 8) refuse(L"dword 값은 16진수 여덟 자리여야 합니다");
      std::uint32_t n = 0;
      for (wchar_t c : digits) {
        const int h = hexDigitValue(c);
        if (h < 0) refuse(L"dword 값은 16진수 여덟 자리여야 합니다");
        n = n * 16 + static_cast<std::uint32_t>(h);
      }
      v.type = reg::kDword;
      v.data = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
                static_cast<std::uint8_t>(n >> 24)};
      return v;
    }
    std::size_t listStart = 0;
    if (data.starts_with(L"hex:")) {
      v.type = reg::kBinary;
      listStart = 4;
    } else if (data.starts_with(L"hex(")) {
      const std::size_t close = data.find(L"):");
      if (close == std::wstring_view::npos || close == 4 || close > 12) refuse(L"값의 형식을 알 수 없습니다");
      std::uint32_t n = 0;
      for (std::size_t i = 4; i < close; ++i) {
        const int h = hexDigitValue(data[i]);
        if (h < 0) refuse(L"값의 형식을 알 수 없습니다");
        n = n * 16 + static_cast<std::uint32_t>(h);
      }
      if (!isSavableType(n) || n == reg::kBinary)
        refuse(L"설정 영역에 둘 수 없는 종류의 값입니다: " + std::wstring(data.substr(0, close + 1)));
      v.type = n;
      listStart = close + 2;
    } else {
      refuse(L"값의 형식을 알 수 없습니다");
    }
    v.data = hexList(continued(data.substr(listStart)));
    return v;
  }

  // Hex data goes on over lines: one ends in ",\", the next starts with two
  // blanks.
  std::wstring continued(std::wstring_view first) {
    std::wstring all(first);
    while (!all.empty() && all.back() == L'\\') {
      all.pop_back();
      if (all.empty() || all.back() != L',') refuse(L"16진수 자료가 잘못되었습니다");
      if (at_ >= lines_.size() || lines_[at_].size() <= 2 || !lines_[at_].starts_with(L"  ")) {
        line_ = at_ + 1;
        refuse(L"이어지는 16진수 자료 줄이 없습니다");
      }
      line_ = at_ + 1;
      all += lines_[at_++].substr(2);
    }
    return all;
  }

  const std::wstring& text_;
  std::vector<std::wstring_view> lines_;
  std::size_t at_ = 0;
  std::size_t line_ = 0;
  RegExport content_;
  std::set<std::wstring> areas_, keys_;  // folded full paths
};

}  // namespace

SnapshotRead readSnapshotText(const std::wstring& text) {
  Reader reader(text);
  try {
    return {reader.read(), L"", 0};
  } catch (const Refused& r) {
    return {std::nullopt, r.reason, reader.line()};
  }
}

SnapshotRead readSnapshotFile(const std::string& bytes) {
  if (bytes.size() > kSnapshotFileLimit) return {std::nullopt, L"파일이 64 MB보다 큽니다", 0};
  if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF || static_cast<unsigned char>(bytes[1]) != 0xFE)
    return {std::nullopt, L"유니코드(UTF-16) 레지스트리 파일이 아닙니다", 0};
  if (bytes.size() % 2) return {std::nullopt, L"파일이 끝까지 저장되지 않았습니다", 0};
  return readSnapshotText(fromUtf16le(std::vector<std::uint8_t>(bytes.begin() + 2, bytes.end())));
}

std::vector<std::wstring> snapshotApplications(const RegExport& content) {
  std::vector<std::wstring> apps;
  for (const auto& path : content.removed)
    if (auto app = areaApplication(path)) apps.push_back(*app);
  return apps;
}

}  // namespace doumteo
