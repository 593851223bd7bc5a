#include "web/radix64.h"

#include <type_traits>

#include "common/text.h"
#include "platform/failure.h"

namespace doumteo {

namespace {

constexpr DecodeTable kDecodeTable = BuildDecodeTable();

// The same table as bytes, 0xFF for "not in the alphabet", so that a whole
// group is checked with one test.
constexpr std::array<std::uint8_t, 256> buildByteTable() {
  std::array<std::uint8_t, 256> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = kDecodeTable[i] < 0 ? std::uint8_t{0xFF} : static_cast<std::uint8_t>(kDecodeTable[i]);
  return bytes;
}
constexpr auto kByteTable = buildByteTable();

std::uint32_t codeOf(wchar_t ch) { return static_cast<std::make_unsigned_t<wchar_t>>(ch); }

// Every alphabet character is ASCII, so a code of 128 or more (no
// single-byte ANSI code of the alphabet) is refused like any other code the
// table maps to -1.
void checkAlphabet(wchar_t ch) {
  const std::uint32_t code = codeOf(ch);
  if (code >= kDecodeTable.size() || kDecodeTable[code] < 0) failOverflow();
}

struct Bytes3 {
  std::uint8_t b0, b1, b2;
};

inline Bytes3 decodeBytes(std::uint8_t q0, std::uint8_t q1, std::uint8_t q2, std::uint8_t q3) {
  return {static_cast<std::uint8_t>(shiftLeft2(q0) | (shiftRight4(q1) & 3)),
          static_cast<std::uint8_t>(shiftLeft4(static_cast<std::uint8_t>(q1 & 15)) | (shiftRight2(q2) & 15)),
          static_cast<std::uint8_t>(shiftLeft6(static_cast<std::uint8_t>(q2 & 3)) | q3)};
}

// A table, so that the hot loop makes one lookup a character.
constexpr std::array<std::int8_t, 128> buildHexDigits() {
  std::array<std::int8_t, 128> digits{};
  for (std::size_t c = 0; c < digits.size(); ++c)
    digits[c] = static_cast<std::int8_t>(hexDigitValue(static_cast<wchar_t>(c)));
  return digits;
}
constexpr auto kHexDigits = buildHexDigits();

// Characters that a group "00XX" stands for by itself; for any other XX the
// group is the code unit XX00 written low byte first. Letters in either case
// (the test is made on the lower-case form).
constexpr std::array<bool, 128> buildPassSet() {
  std::array<bool, 128> pass{};
  for (int c = 'a'; c <= 'z'; ++c) pass[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c) pass[c] = true;
  for (int c = '0'; c <= '9'; ++c) pass[c] = true;
  for (const char* p = "-_=+\\|[]{}<>,./?~!@$#%^&*():;'\" "; *p != '\0'; ++p)
    pass[static_cast<unsigned char>(*p)] = true;
  return pass;
}
constexpr auto kPassSet = buildPassSet();

// Value of the leading hex digits of four characters, stopping at the first
// character that is not one (so a group of non-digits gives 0).
std::uint32_t hexValue(wchar_t c0, wchar_t c1, wchar_t c2, wchar_t c3) {
  std::uint32_t value = 0;
  for (const wchar_t ch : {c0, c1, c2, c3}) {
    const std::uint32_t code = codeOf(ch);
    if (code >= kHexDigits.size() || kHexDigits[code] < 0) break;
    value = value * 16 + static_cast<std::uint32_t>(kHexDigits[code]);
  }
  return value;
}

}  // namespace

std::wstring DecodeQuantum(const Quantum& quantum) {
  const Bytes3 b = decodeBytes(quantum[0], quantum[1], quantum[2], quantum[3]);
  return std::wstring{static_cast<wchar_t>(b.b0), static_cast<wchar_t>(b.b1), static_cast<wchar_t>(b.b2)};
}

// Every complete group of four is decoded on its own: a pad value in its
// third or fourth place drops the group's last character or two. For a "="
// before the last group this gives the output the shifting buffer of old
// would have held (the later groups close the gap). Bytes of 128 and more
// become the code units of the same value. Characters after the last whole
// group are checked but not decoded.
std::wstring Radix64Decode(const std::wstring& text) {
  const std::size_t n = text.size();
  if (n > kMaxDecodeInput) failOverflow();
  const std::size_t whole = n / 4 * 4;
  std::wstring out(n / 4 * 3, L' ');
  wchar_t* const first = out.data();
  wchar_t* p = first;
  const wchar_t* in = text.data();
  for (std::size_t i = 0; i < whole; i += 4, in += 4) {
    const std::uint32_t c0 = codeOf(in[0]), c1 = codeOf(in[1]), c2 = codeOf(in[2]), c3 = codeOf(in[3]);
    if ((c0 | c1 | c2 | c3) >= kByteTable.size()) failOverflow();
    const std::uint8_t q0 = kByteTable[c0], q1 = kByteTable[c1], q2 = kByteTable[c2], q3 = kByteTable[c3];
    if ((q0 | q1 | q2 | q3) & 0x80) failOverflow();
    const Bytes3 b = decodeBytes(q0, q1, q2, q3);
    p[0] = static_cast<wchar_t>(b.b0);
    p[1] = static_cast<wchar_t>(b.b1);
    p[2] = static_cast<wchar_t>(b.b2);
    int kept = 3;
    if (q3 == kPadValue) --kept;
    if (q2 == kPadValue) --kept;
    p += kept;
  }
  for (std::size_t i = whole; i < n; ++i) checkAlphabet(text[i]);
  out.resize(static_cast<std::size_t>(p - first));
  return out;
}

// Groups start every four characters with no limit on their count. A last
// group of fewer than four characters is incomplete and is dropped, as
// Radix64Decode drops a trailing part of a group.
std::wstring HexTextDecode(const std::wstring& hexText) {
  const std::size_t n = hexText.size();
  if (n > kMaxDecodeInput) failOverflow();
  const std::size_t groups = n / 4;
  // One code unit per group, two for a line break.
  std::wstring out(groups * 2, L'\0');
  wchar_t* const first = out.data();
  wchar_t* o = first;
  const wchar_t* g = hexText.data();
  for (std::size_t k = 0; k < groups; ++k, g += 4) {
    if (g[0] == L'0' && g[1] == L'D' && g[2] == L'0' && g[3] == L'A') {
      *o++ = L'\r';
      *o++ = L'\n';
      continue;
    }
    std::uint32_t unit;
    if (g[0] == L'0' && g[1] == L'0') {
      const std::uint32_t single = hexValue(g[0], g[1], g[2], g[3]);
      unit = single < kPassSet.size() && kPassSet[single] ? single : hexValue(g[2], g[3], g[0], g[1]);
    } else {
      unit = hexValue(g[2], g[3], g[0], g[1]);
    }
    *o++ = static_cast<wchar_t>(unit);
  }
  out.resize(static_cast<std::size_t>(o - first));
  return out;
}

}  // namespace doumteo
