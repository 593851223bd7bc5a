#include <gtest/gtest.h>

#include "common/text.h"

namespace doumteo {
namespace {

// Names are compared as the registry and the file system compare them: only
// A-Z fold. Folding through the C runtime would also fold Ä under the tests'
// UTF-8 locale.
TEST(TextTest, AsciiFoldingLeavesOtherLettersAlone) {
  EXPECT_EQ(asciiLower(L"ÄBC.REG"), L"Äbc.reg");
  EXPECT_EQ(asciiUpper(L"äbc:"), L"äBC:");
  EXPECT_FALSE(equalsIgnoringAsciiCase(L"ä.exe", L"Ä.EXE"));
}

}  // namespace
}  // namespace doumteo
