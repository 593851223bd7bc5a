#include "common/text.h"

#include <cstdint>
#include <cwctype>

namespace doumteo {

namespace {
constexpr wchar_t foldUp(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }
constexpr wchar_t foldDown(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
}  // namespace

std::wstring asciiLower(std::wstring text) {
  for (auto& c : text) c = foldDown(c);
  return text;
}

std::wstring asciiUpper(std::wstring text) {
  for (auto& c : text) c = foldUp(c);
  return text;
}

bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldUp(a[i]) != foldUp(b[i])) return false;
  return true;
}

std::wstring localeLower(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
  return text;
}

std::u16string toUtf16(std::wstring_view text) {
  std::u16string out;
  for (const wchar_t wc : text) {
    const auto c = static_cast<std::uint32_t>(wc);
    if (c > 0xFFFF) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::size_t utf16Length(std::wstring_view text) {
  std::size_t units = 0;
  for (const wchar_t wc : text) {
    const auto c = static_cast<std::uint32_t>(wc);
    units += c > 0xFFFF ? 2 : 1;
  }
  return units;
}

const wchar_t* objectParticle(std::wstring_view name) {
  constexpr const wchar_t* kAfterConsonant = L"을";
  constexpr const wchar_t* kAfterVowel = L"를";
  if (name.empty()) return kAfterVowel;
  const wchar_t c = name.back();
  if (c >= 0xAC00 && c <= 0xD7A3) return (c - 0xAC00) % 28 != 0 ? kAfterConsonant : kAfterVowel;
  // Digits read in Sino-Korean and Latin letters read by their names.
  if (std::wstring_view(L"013678LMNR").find(foldUp(c)) != std::wstring_view::npos) return kAfterConsonant;
  return kAfterVowel;
}

}  // namespace doumteo
