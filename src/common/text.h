#pragma once
// Small text helpers. Case folding comes in two kinds that must not be mixed
// up: ASCII only, as the registry and the file system compare names, and the
// C runtime's, whose reach depends on the current locale.
#include <cstddef>
#include <string>
#include <string_view>

namespace doumteo {

// A-Z to a-z (or back); every other character stays as it is.
std::wstring asciiLower(std::wstring text);
std::wstring asciiUpper(std::wstring text);
bool equalsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b);

// towlower on every character.
std::wstring localeLower(std::wstring text);

// The text as UTF-16 code units. Where wchar_t has 32 bits (outside Windows)
// a character above U+FFFF becomes a surrogate pair.
std::u16string toUtf16(std::wstring_view text);
// The number of those units, without building them.
std::size_t utf16Length(std::wstring_view text);

// The object particle that follows name as it is read aloud: "을" after a
// final consonant, "를" after a vowel. The last character decides: a Hangul
// syllable by its final consonant, a digit by its Sino-Korean reading (0 1 3
// 6 7 8 take "을"), a Latin letter by its name (L M N R take "을"); anything
// else, and an empty name, takes "를".
const wchar_t* objectParticle(std::wstring_view name);

// The digit of a value 0-15.
constexpr wchar_t hexDigitUpper(unsigned value) { return L"0123456789ABCDEF"[value & 15]; }
constexpr wchar_t hexDigitLower(unsigned value) { return L"0123456789abcdef"[value & 15]; }

// 0-15 for a hex digit of either case, -1 for any other character.
constexpr int hexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace doumteo
