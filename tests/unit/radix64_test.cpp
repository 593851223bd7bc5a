#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "support/backup_encoder.h"
#include "web/radix64.h"

namespace doumteo {
namespace {

using testing::hexEncode;
using testing::isHexEncodable;
using testing::radix64Encode;

void expectOverflow(const std::function<void()>& call) {
  try {
    call();
    ADD_FAILURE() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(f.number, 6);
    EXPECT_EQ(f.description, L"Overflow");
  }
}

// A base64 decoder of a different build from Radix64Decode: a running bit
// buffer that gives out a byte whenever it holds eight bits, ending at "=".
std::wstring referenceBase64(const std::wstring& text) {
  static const std::wstring alphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::wstring out;
  std::uint32_t bits = 0;
  int held = 0;
  for (const wchar_t ch : text) {
    if (ch == L'=') break;
    bits = (bits << 6) | static_cast<std::uint32_t>(alphabet.find(ch));
    held += 6;
    if (held >= 8) {
      held -= 8;
      out += static_cast<wchar_t>((bits >> held) & 0xFF);
    }
  }
  return out;
}

TEST(Radix64Decode, DecodesWholeAndPaddedGroups) {
  EXPECT_EQ(Radix64Decode(L"QUJD"), L"ABC");
  EXPECT_EQ(Radix64Decode(L"QUI="), L"AB");
  EXPECT_EQ(Radix64Decode(L"QQ=="), L"A");
  EXPECT_EQ(Radix64Decode(L""), L"");
  EXPECT_EQ(Radix64Decode(L"QUJDREVG"), L"ABCDEF");
  // Bytes of 128 and more come out as the code units of the same value.
  EXPECT_EQ(Radix64Decode(L"/+A="), std::wstring({wchar_t(0xFF), wchar_t(0xE0)}));
}

TEST(Radix64Decode, ChecksButDropsTrailingPartOfAGroup) {
  EXPECT_EQ(Radix64Decode(L"QUJDRA"), L"ABC");
  EXPECT_EQ(Radix64Decode(L"QUJ"), L"");
  expectOverflow([] { Radix64Decode(L"QUJDR "); });
  expectOverflow([] { Radix64Decode(std::wstring(L"QUJDR") + wchar_t(0x100)); });  // just past the table
}

TEST(Radix64Decode, FailsWithOverflowOutsideTheAlphabet) {
  const std::vector<std::wstring> bad{L"QU D",
                                      L"QUJD\r\nQUJD",
                                      L"QUJD\n",
                                      L"QU-D",
                                      L"QU_D",
                                      L"QUJ.",
                                      std::wstring(L"QU\0D", 4),
                                      std::wstring(L"QU") + wchar_t(0xC1) + L"D",
                                      std::wstring(L"QUJ") + L"가",
                                      std::wstring(L"QUJ") + wchar_t(0x141)};
  for (std::size_t i = 0; i < bad.size(); ++i) {
    SCOPED_TRACE(i);
    expectOverflow([&] { Radix64Decode(bad[i]); });
  }
}

// A "=" inside the text: every group is decoded on its own.
TEST(Radix64Decode, PadBeforeTheLastGroupShortensOnlyItsOwnGroup) {
  EXPECT_EQ(Radix64Decode(L"QQ==QUJD"), L"AABC");
  EXPECT_EQ(Radix64Decode(L"QUI=QQ==QUJD"), L"ABAABC");
}

TEST(Radix64Decode, MatchesAnIndependentDecoderOnRandomInput) {
  std::mt19937 rng(20240611);
  static const std::wstring alphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (int round = 0; round < 3000; ++round) {
    std::wstring text;
    const int groups = static_cast<int>(rng() % 40);
    for (int k = 0; k < groups * 4; ++k) text += alphabet[rng() % 64];
    if (groups > 0) {
      const int pads = static_cast<int>(rng() % 3);
      for (int k = 0; k < pads; ++k) text[text.size() - 1 - k] = L'=';
    }
    ASSERT_EQ(Radix64Decode(text), referenceBase64(text)) << testing::asciiBytes(text);
  }
}

TEST(Radix64Decode, InvertsTheTestEncoderOnRandomBytes) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::wstring bytes(rng() % 100, L'\0');
    for (auto& b : bytes) b = static_cast<wchar_t>(rng() % 256);
    ASSERT_EQ(Radix64Decode(radix64Encode(bytes)), bytes);
  }
}

TEST(Radix64Decode, TableAndQuantum) {
  const DecodeTable table = BuildDecodeTable();
  EXPECT_EQ(table['A'], 0);
  EXPECT_EQ(table['Z'], 25);
  EXPECT_EQ(table['a'], 26);
  EXPECT_EQ(table['0'], 52);
  EXPECT_EQ(table['9'], 61);
  EXPECT_EQ(table['+'], 62);
  EXPECT_EQ(table['/'], 63);
  EXPECT_EQ(table['='], 64);
  int inAlphabet = 0;
  for (const auto v : table)
    if (v >= 0) ++inAlphabet;
  EXPECT_EQ(inAlphabet, 65);

  EXPECT_EQ(DecodeQuantum({16, 20, 9, 3}), L"ABC");
  // Pads give no bits to the second byte and only bit 6 to the third.
  EXPECT_EQ(DecodeQuantum({16, 16, 64, 64}), std::wstring({L'A', L'\0', L'@'}));
  EXPECT_EQ(shiftLeft2(0xC1), 0x04);
  EXPECT_EQ(shiftLeft4(0x3F), 0xF0);
  EXPECT_EQ(shiftLeft6(0x07), 0xC0);
  EXPECT_EQ(shiftRight2(0xFF), 0x3F);
  EXPECT_EQ(shiftRight4(0x40), 0x04);
}

TEST(HexTextDecode, ReadsGroupsInBothByteOrders) {
  EXPECT_EQ(HexTextDecode(L"4100"), L"A");
  EXPECT_EQ(HexTextDecode(L"0041"), L"A");
  EXPECT_EQ(HexTextDecode(L"00AC"), L"\uAC00");
  EXPECT_EQ(HexTextDecode(L"2DAC"), L"\uAC2D");
  EXPECT_EQ(HexTextDecode(L"2dac"), L"\uAC2D");
  EXPECT_EQ(HexTextDecode(L"FFFF"), std::wstring(1, wchar_t(0xFFFF)));
  EXPECT_EQ(HexTextDecode(L""), L"");
  EXPECT_EQ(HexTextDecode(L"00480069"), L"Hi");
}

TEST(HexTextDecode, LineBreakMarkerIsUpperCaseOnly) {
  EXPECT_EQ(HexTextDecode(L"0D0A"), L"\r\n");
  EXPECT_EQ(HexTextDecode(L"0D000A00"), L"\r\n");
  EXPECT_EQ(HexTextDecode(L"0d0a"), std::wstring(1, wchar_t(0x0A0D)));
  EXPECT_EQ(HexTextDecode(L"00410D0A0042"), L"A\r\nB");
}

TEST(HexTextDecode, OnlyThePassSetStandsForItself) {
  EXPECT_EQ(HexTextDecode(L"0060"), std::wstring(1, wchar_t(0x6000)));  // grave accent
  EXPECT_EQ(HexTextDecode(L"0009"), std::wstring(1, wchar_t(0x0900)));  // tab
  EXPECT_EQ(HexTextDecode(L"0035"), L"5");
  EXPECT_EQ(HexTextDecode(L"0020"), L" ");
  EXPECT_EQ(HexTextDecode(L"005A"), L"Z");
  EXPECT_EQ(HexTextDecode(L"0022005C007E"), L"\"\\~");
  EXPECT_EQ(HexTextDecode(L"0000"), std::wstring(1, L'\0'));
}

TEST(HexTextDecode, MalformedGroupsStayInBounds) {
  EXPECT_EQ(HexTextDecode(L"004100"), L"A");  // short last group dropped
  EXPECT_EQ(HexTextDecode(L"004"), L"");
  EXPECT_EQ(HexTextDecode(L"zzzz"), std::wstring(1, L'\0'));
  EXPECT_EQ(HexTextDecode(L"1z00"), std::wstring(1, wchar_t(0x1)));  // read as "001z", up to the z
  EXPECT_EQ(HexTextDecode(L"4g12"), std::wstring(1, wchar_t(0x124)));
  EXPECT_EQ(HexTextDecode(L"z041"), L"A");                    // one "0" is no single-byte group
  EXPECT_EQ(HexTextDecode(L"20z1"), std::wstring(1, L'\0'));  // nor is a "0" second
  EXPECT_EQ(HexTextDecode(L"00" + std::wstring(1, wchar_t(0x80)) + L"1"),
            std::wstring(1, L'\0'));  // just past the digits
}

// Old readers counted groups in 16 bits and refused texts of more than 8191
// characters; a large settings file must come back whole.
TEST(HexTextDecode, DecodesTextsOfAnyLength) {
  std::wstring text;
  for (int i = 0; text.size() < 40000; ++i) text += L"이름" + std::to_wstring(i) + L"\t값\r\n";
  const std::wstring hex = hexEncode(text);
  ASSERT_GT(hex.size(), 32765u * 4);
  EXPECT_EQ(HexTextDecode(hex), text);
  EXPECT_EQ(HexTextDecode(Radix64Decode(radix64Encode(hex))), text);
}

TEST(HexTextDecode, EveryEncodableCodeUnitRoundTrips) {
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    const std::wstring one(1, static_cast<wchar_t>(u));
    if (!isHexEncodable(one[0])) continue;
    ASSERT_EQ(HexTextDecode(hexEncode(one)), one) << std::hex << u;
  }
}

// Only XX00 with a pass-set character XX has no group: "00XX" means XX itself
// and no other four digits read as XX00. The encoder's exclusions are exactly
// those units (0A0D needs lower-case digits, "0D0A" being the line break).
TEST(HexTextDecode, UnitsNoGroupCanCarryAreExactlyTheEncoderExclusions) {
  std::vector<bool> reached(0x10000, false);
  for (const wchar_t* digits : {L"0123456789ABCDEF", L"0123456789abcdef"}) {
    for (std::uint32_t v = 0; v <= 0xFFFF; ++v) {
      const std::wstring group{digits[v >> 12], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
      const std::wstring unit = HexTextDecode(group);
      if (unit.size() == 1) reached[static_cast<std::uint32_t>(unit[0])] = true;
    }
  }
  std::set<std::uint32_t> unreachable;
  for (std::uint32_t u = 0; u <= 0xFFFF; ++u) {
    EXPECT_EQ(reached[u], isHexEncodable(static_cast<wchar_t>(u))) << std::hex << u;
    if (!reached[u]) unreachable.insert(u);
  }
  EXPECT_EQ(unreachable.size(), 94u);
  EXPECT_TRUE(unreachable.count(0x3000));  // ideographic space reads back as "0"
  EXPECT_EQ(HexTextDecode(L"0030"), L"0");
}

TEST(HexTextDecode, RandomSettingsTextsRoundTripThroughBothLayers) {
  std::mt19937 rng(99);
  for (int round = 0; round < 500; ++round) {
    std::wstring text;
    const int length = static_cast<int>(rng() % 200);
    while (static_cast<int>(text.size()) < length) {
      if (rng() % 10 == 0) {
        text += L"\r\n";
        continue;
      }
      const wchar_t unit = static_cast<wchar_t>(rng() % 0x10000);
      if (isHexEncodable(unit)) text += unit;
    }
    const std::wstring hex = hexEncode(text);
    ASSERT_EQ(hex.size() % 4, 0u);
    ASSERT_EQ(HexTextDecode(Radix64Decode(radix64Encode(hex))), text);
  }
}

TEST(BackupEncoder, BuildsAFileWhoseFirstLineHoldsTheRecords) {
  const std::string file = testing::backupFile(L"헤더", {{L"&", L"앱"}, {L"#", L"구역"}, {L"이름", L"값"}});
  const std::string line = file.substr(0, file.find("\r\n"));
  std::wstring wide(line.begin(), line.end());
  EXPECT_EQ(HexTextDecode(Radix64Decode(wide)), L"헤더\r\n&\t앱\r\n#\t구역\r\n이름\t값");
  EXPECT_THROW(hexEncode(std::wstring(1, wchar_t(0x4100))), std::invalid_argument);
}

}  // namespace
}  // namespace doumteo
