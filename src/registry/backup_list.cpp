#include "registry/backup_list.h"

#include <limits>

#include "common/text.h"

namespace doumteo {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A decimal number read the way the language runtime's Val reads one: blanks,
// tabs and line feeds anywhere are skipped; sign, digits, point, fraction and
// an exponent (E or D) are read; the first other character ends it. The
// result is rounded to the nearest integer, halves to even, exactly (no
// binary floating point in between) and saturated to 64 bits.
std::int64_t valRounded(const std::u16string& raw) {
  std::u16string t;
  for (char16_t c : raw)
    if (c != u' ' && c != u'\t' && c != u'\n') t.push_back(c);

  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
  std::string digits;  // every mantissa digit, the point removed
  long long intDigits = 0;
  for (; i < t.size() && isDigit(t[i]); ++i, ++intDigits) digits.push_back(static_cast<char>(t[i]));
  if (i < t.size() && t[i] == u'.')
    for (++i; i < t.size() && isDigit(t[i]); ++i) digits.push_back(static_cast<char>(t[i]));
  long long exponent = 0;
  if (i < t.size() && (t[i] == u'E' || t[i] == u'e' || t[i] == u'D' || t[i] == u'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < t.size() && (t[j] == u'+' || t[j] == u'-')) expNegative = t[j++] == u'-';
    for (; j < t.size() && isDigit(t[j]); ++j)
      if (exponent < 1000000) exponent = exponent * 10 + (t[j] - u'0');  // far beyond any 64-bit value
    if (expNegative) exponent = -exponent;
  }

  // Leading zeros carry no value.
  std::size_t lead = 0;
  while (lead < digits.size() && digits[lead] == '0') ++lead;
  digits.erase(0, lead);
  intDigits -= static_cast<long long>(lead);
  if (digits.empty()) return 0;
  const long long point = intDigits + exponent;  // digits before the point

  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  if (point > 19) return negative ? kMin : kMax;

  // Whole part (at most 19 digits, fits in unsigned 64 bits).
  std::uint64_t whole = 0;
  for (long long k = 0; k < point; ++k)
    whole = whole * 10 + (k < static_cast<long long>(digits.size()) ? static_cast<std::uint64_t>(digits[k] - '0') : 0);

  // The fraction decides the rounding: below, exactly or above one half.
  int versusHalf = -1;
  if (point >= 0 && point < static_cast<long long>(digits.size())) {
    const char first = digits[static_cast<std::size_t>(point)];
    bool restNonZero = false;
    for (std::size_t k = static_cast<std::size_t>(point) + 1; k < digits.size(); ++k)
      if (digits[k] != '0') restNonZero = true;
    if (first > '5' || (first == '5' && restNonZero))
      versusHalf = 1;
    else if (first == '5')
      versusHalf = 0;
  }
  if (versusHalf > 0 || (versusHalf == 0 && (whole % 2) == 1)) ++whole;

  if (negative) {
    if (whole > static_cast<std::uint64_t>(kMax) + 1) return kMin;
    return whole == static_cast<std::uint64_t>(kMax) + 1 ? kMin : -static_cast<std::int64_t>(whole);
  }
  return whole > static_cast<std::uint64_t>(kMax) ? kMax : static_cast<std::int64_t>(whole);
}

}  // namespace

std::int64_t BackupFileKey(const std::wstring& name) {
  if (name.empty()) return 0;
  // Positions in the name are counted in UTF-16 code units.
  std::u16string units;
  for (char16_t c : toUtf16(name))
    if (c != u'_') units.push_back(c);
  if (units.size() <= 5) return 0;
  return valRounded(units.substr(5, 12));
}

std::optional<std::size_t> selectBackup(const std::vector<std::wstring>& names) {
  if (names.empty()) return std::nullopt;
  std::size_t candidate = 0;
  std::optional<std::int64_t> firstKey, candidateKey;
  for (std::size_t i = 1; i < names.size(); ++i) {
    if (!firstKey) candidateKey = firstKey = BackupFileKey(names[0]);
    const std::int64_t key = BackupFileKey(names[i]);
    if (key > *firstKey && key > *candidateKey) {
      candidate = i;
      candidateKey = key;
    }
  }
  return candidate;
}

std::wstring backupFolder(const std::wstring& programFolder) { return programFolder + L"\\DBS\\"; }

BackupList listBackupFiles(FileSystemPort& files, const std::wstring& programFolder) {
  BackupList list;
  list.names = files.listFiles(backupFolder(programFolder), kBackupPattern);
  list.selected = selectBackup(list.names);
  return list;
}

}  // namespace doumteo
