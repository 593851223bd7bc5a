#include <gtest/gtest.h>

#include "app/messages.h"

TEST(ErrorText, ParenthesisedAndColonForms) {
  const doumteo::Failure f(53, L"File not found");
  EXPECT_EQ(doumteo::errorText(f, L"GoReInst", L"Module modReInst"),
            L"Error 53 (File not found) in procedure GoReInst of Module modReInst");
  EXPECT_EQ(doumteo::errorTextColon(f, L"RegLogRead", L"Module modRegedit"),
            L"Error 53: File not foundin procedure RegLogRead of Module modRegedit");
}
