#include "registry/settings_area.h"

#include <algorithm>

#include "common/text.h"

namespace doumteo {

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

}  // namespace doumteo
