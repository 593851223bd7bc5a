#include <gtest/gtest.h>

#include "common/text.h"

namespace doumteo {
namespace {

// Names are compared as the registry and the file system compare them: only
// A-Z fold. Folding through the C runtime would also fold Ä under the tests'
// UTF-8 locale.
TEST(TextTest, AsciiFoldingLeavesOtherLettersAlone) {
  EXPECT_EQ(asciiLower(L"ÄBCZ.REG"), L"Äbcz.reg");
  EXPECT_EQ(asciiUpper(L"äbcz:"), L"äBCZ:");
  EXPECT_FALSE(equalsIgnoringAsciiCase(L"ä.exe", L"Ä.EXE"));
}

// U+FFFF is one unit, U+10000 two, whatever the size of wchar_t.
TEST(TextTest, Utf16SplitsOnlyWhatIsBeyondTheBasicPlane) {
  EXPECT_EQ(toUtf16(L"\uFFFF\U00010000"), std::u16string(u"\uFFFF\U00010000"));
  EXPECT_EQ(utf16Length(L"\uFFFF\U00010000"), 3u);
}

// The particle follows the name as it is read aloud: 벨토119 ("구") takes 를,
// 달빛원격 ("격") 을, ZOOM ("엠") 을.
TEST(TextTest, ObjectParticleFollowsTheLastSoundOfTheName) {
  const std::pair<const wchar_t*, const wchar_t*> rows[] = {
      {L"벨토119", L"를"}, {L"달빛원격", L"을"}, {L"개", L"를"},     {L"힣", L"을"},    {L"도구0", L"을"},
      {L"도구1", L"을"},   {L"도구2", L"를"},    {L"도구3", L"을"},  {L"도구4", L"를"}, {L"도구5", L"를"},
      {L"도구6", L"을"},   {L"도구7", L"을"},    {L"도구8", L"을"},  {L"ZOOM", L"을"},  {L"Help", L"를"},
      {L"Desk", L"를"},    {L"Tool-R", L"을"},   {L"viewer", L"을"}, {L"TeamN", L"을"}, {L"AnyA", L"를"},
      {L"(원격)", L"를"},  {L"", L"를"},
  };
  for (const auto& [name, particle] : rows) EXPECT_STREQ(objectParticle(name), particle) << name;
}

}  // namespace
}  // namespace doumteo
