#pragma once
// modRadix64: the two layers of a settings backup line. The line is radix-64
// text (the base64 alphabet) around a hex text with four hex digits for every
// UTF-16 code unit of the settings text. Both decoders are pure and report
// input they refuse with the overflow error (6).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace doumteo {

// 6-bit value of a radix-64 character by its 8-bit code; 64 for the pad "=",
// -1 for every code outside the alphabet.
using DecodeTable = std::array<std::int16_t, 256>;

// Four values of consecutive input characters (0..64).
using Quantum = std::array<std::uint8_t, 4>;

inline constexpr std::int16_t kPadValue = 64;

// Inputs longer than this fail with the overflow error instead of taking
// memory without bound (a backup line is at most 16 MiB anyway).
inline constexpr std::size_t kMaxDecodeInput = std::size_t{64} * 1024 * 1024;

constexpr DecodeTable BuildDecodeTable() {
  DecodeTable table{};
  for (auto& entry : table) entry = -1;
  std::int16_t value = 0;
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = value++;
  for (int c = 'a'; c <= 'z'; ++c) table[c] = value++;
  for (int c = '0'; c <= '9'; ++c) table[c] = value++;
  table['+'] = 62;
  table['/'] = 63;
  table['='] = kPadValue;
  return table;
}

// Byte shifts that keep the low 8 bits, as the quantum arithmetic needs.
constexpr std::uint8_t shiftLeft2(std::uint8_t b) { return static_cast<std::uint8_t>((b * 4) & 0xFF); }
constexpr std::uint8_t shiftLeft4(std::uint8_t b) { return static_cast<std::uint8_t>((b * 16) & 0xFF); }
constexpr std::uint8_t shiftLeft6(std::uint8_t b) { return static_cast<std::uint8_t>((b * 64) & 0xFF); }
constexpr std::uint8_t shiftRight2(std::uint8_t b) { return static_cast<std::uint8_t>(b / 4); }
constexpr std::uint8_t shiftRight4(std::uint8_t b) { return static_cast<std::uint8_t>(b / 16); }

// The three characters that four radix-64 values stand for, one per byte
// (byte b becomes the code unit b).
std::wstring DecodeQuantum(const Quantum& quantum);

// Radix-64 text -> one character per decoded byte. Fails with 6 on any
// character outside the 65 of the alphabet.
std::wstring Radix64Decode(const std::wstring& text);

// Hex text -> UTF-16 text, one code unit per group of four digits, CR LF for
// the group "0D0A".
std::wstring HexTextDecode(const std::wstring& hexText);

}  // namespace doumteo
