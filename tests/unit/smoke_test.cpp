#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "common/messages.h"

TEST(ErrorText, ParenthesisedAndColonForms) {
  const doumteo::Failure f(53, L"File not found");
  EXPECT_EQ(doumteo::errorText(f, L"GoReInst", L"Module modReInst"),
            L"Error 53 (File not found) in procedure GoReInst of Module modReInst");
  EXPECT_EQ(doumteo::errorTextColon(f, L"RegLogRead", L"Module modRegedit"),
            L"Error 53: File not foundin procedure RegLogRead of Module modRegedit");
}

TEST(ErrorText, WhatEscapesAProcedureGetsANumberThatFitsIt) {
  auto of = [](auto thrown) {
    try {
      throw thrown;
    } catch (...) {
      return doumteo::failureOf(std::current_exception());
    }
  };
  const doumteo::Failure kept = of(doumteo::Failure(13, L"Type mismatch"));
  EXPECT_EQ(kept.number, 13);
  EXPECT_EQ(kept.description, L"Type mismatch");
  EXPECT_EQ(of(std::bad_alloc()).number, 7);
  EXPECT_EQ(of(std::bad_alloc()).description, L"Out of memory");
  EXPECT_EQ(of(std::runtime_error("x")).number, 51);
  EXPECT_EQ(of(42).description, L"Internal error");
}
