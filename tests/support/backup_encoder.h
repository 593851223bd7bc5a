#pragma once
// Test-only writer of settings backup files: the inverse of Radix64Decode and
// HexTextDecode, so tests can build real files and deliberately broken ones.
#include <string>
#include <string_view>
#include <vector>

namespace doumteo::testing {

using Record = std::vector<std::wstring>;  // fields, joined by TAB

// Code units that no group of four hex digits can stand for: XX00 where the
// character XX is one of those a group "00XX" means by itself (e.g. U+3000,
// U+4100). The format cannot carry them; hexEncode rejects them.
bool isHexEncodable(wchar_t unit);

// Settings text -> hex text: CR LF as "0D0A", every other code unit as four
// digits the decoder reads back to it. Throws std::invalid_argument for a
// unit that is not encodable (or above U+FFFF).
std::wstring hexEncode(std::wstring_view settingsText);

// Standard base64 with padding; every character must be below 256 (a byte).
std::wstring radix64Encode(std::wstring_view bytes);

// The header line, then one line per record (fields joined by TAB), CR LF
// between lines.
std::wstring settingsText(std::wstring_view header, const std::vector<Record>& records);

// ASCII text to the bytes of a file line; throws for anything else.
std::string asciiBytes(std::wstring_view text);

// The encoded first line: the settings text, or a raw hex text (which may be
// malformed) under a valid radix-64 layer.
std::string backupLine(std::wstring_view header, const std::vector<Record>& records);
std::string lineFromHex(std::wstring_view hexText);

// Whole backup file bytes: the encoded line, then `rest` (by default a line
// break and a second line that the reader must ignore).
std::string backupFile(std::wstring_view header, const std::vector<Record>& records,
                       std::string_view rest = "\r\nignored second line\r\n");
// Broken shapes: a raw hex text (which may be malformed) under a valid
// radix-64 layer, or a raw first line.
std::string backupFileFromHex(std::wstring_view hexText, std::string_view rest = "\r\n");
std::string backupFileFromLine(std::string_view line, std::string_view rest = "\r\n");

}  // namespace doumteo::testing
