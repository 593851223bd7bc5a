#include "support/backup_encoder.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <type_traits>

namespace doumteo::testing {

namespace {

// Characters that "00XX" stands for by itself (written here independently of
// the decoder's table so that the two check each other).
bool standsForItself(std::uint32_t c) {
  if (c >= 128) return false;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return true;
  return std::string_view("-_=+\\|[]{}<>,./?~!@$#%^&*():;'\"").find(static_cast<char>(c)) != std::string_view::npos;
}

std::uint32_t unitOf(wchar_t ch) { return static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(ch)); }

void appendHexByte(std::wstring& out, std::uint32_t byte, bool lower = false) {
  const wchar_t* digits = lower ? L"0123456789abcdef" : L"0123456789ABCDEF";
  out += digits[(byte >> 4) & 15];
  out += digits[byte & 15];
}

}  // namespace

bool isHexEncodable(wchar_t ch) {
  const std::uint32_t unit = unitOf(ch);
  if (unit > 0xFFFF) return false;
  return !((unit & 0xFF) == 0 && standsForItself(unit >> 8));
}

std::wstring hexEncode(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size() * 4);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
      out += L"0D0A";
      ++i;
      continue;
    }
    const std::uint32_t unit = unitOf(text[i]);
    if (!isHexEncodable(text[i])) throw std::invalid_argument("code unit cannot be hex encoded");
    const std::uint32_t low = unit & 0xFF, high = unit >> 8;
    if (high == 0 && standsForItself(unit)) {
      out += L"00";
      appendHexByte(out, low);
    } else {
      // Low byte first. The unit 0A0D would read as the line-break marker,
      // which is matched in upper case only.
      const bool lower = unit == 0x0A0D;
      appendHexByte(out, low, lower);
      appendHexByte(out, high, lower);
    }
  }
  return out;
}

std::wstring radix64Encode(std::wstring_view bytes) {
  static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::wstring out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t chunk = 0;
    const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
    for (std::size_t k = 0; k < 3; ++k) {
      std::uint32_t b = 0;
      if (k < count) {
        b = unitOf(bytes[i + k]);
        if (b > 0xFF) throw std::invalid_argument("radix-64 input must be bytes");
      }
      chunk = chunk << 8 | b;
    }
    for (std::size_t k = 0; k < 4; ++k) out += k <= count ? kAlphabet[(chunk >> (18 - 6 * k)) & 63] : L'=';
  }
  return out;
}

std::wstring settingsText(std::wstring_view header, const std::vector<Record>& records) {
  std::wstring text(header);
  for (const Record& record : records) {
    text += L"\r\n";
    for (std::size_t f = 0; f < record.size(); ++f) {
      if (f > 0) text += L'\t';
      text += record[f];
    }
  }
  return text;
}

std::string asciiBytes(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t ch : text) {
    if (unitOf(ch) > 0x7F) throw std::invalid_argument("not ASCII");
    out += static_cast<char>(ch);
  }
  return out;
}

std::string backupLine(std::wstring_view header, const std::vector<Record>& records) {
  return lineFromHex(hexEncode(settingsText(header, records)));
}

std::string lineFromHex(std::wstring_view hexText) { return asciiBytes(radix64Encode(hexText)); }

std::string backupFile(std::wstring_view header, const std::vector<Record>& records, std::string_view rest) {
  return backupFileFromLine(backupLine(header, records), rest);
}

std::string backupFileFromHex(std::wstring_view hexText, std::string_view rest) {
  return backupFileFromLine(lineFromHex(hexText), rest);
}

std::string backupFileFromLine(std::string_view line, std::string_view rest) {
  std::string out(line);
  out += rest;
  return out;
}

}  // namespace doumteo::testing
