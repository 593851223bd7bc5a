#include <gtest/gtest.h>

#include <algorithm>

#include "common/messages.h"
#include "dialogs/time_set.h"
#include "fakes/fakes.h"

using namespace doumteo;

namespace {

LocalTime day(std::uint16_t y, std::uint16_t m, std::uint16_t d) { return {y, m, 0, d, 9, 30, 0, 0}; }

bool clockCalled(const fakes::FakeEnv& env) { return std::count(env.log.begin(), env.log.end(), L"clock:set") > 0; }

}  // namespace

TEST(TimeSetCaption, DateWithPaddedMonthAndDay) {
  EXPECT_EQ(NowTimeCaption(day(2009, 3, 5)), L"현재시간 : 2009년 03월 05일");
  EXPECT_EQ(NowTimeCaption(day(2024, 12, 31)), L"현재시간 : 2024년 12월 31일");
  // The panel shows the PC's own date even when the year list cannot offer it.
  EXPECT_EQ(NowTimeCaption(day(1980, 1, 1)), L"현재시간 : 1980년 01월 01일");
}

TEST(TimeSetLists, EntriesAndPresetsForToday) {
  const auto lists = cmbDateSet(day(2009, 3, 5));
  ASSERT_EQ(lists[0].entries.size(), 101u);
  EXPECT_EQ(lists[0].entries.front(), L"2000");
  EXPECT_EQ(lists[0].entries[9], L"2009");
  EXPECT_EQ(lists[0].entries.back(), L"2100");
  ASSERT_EQ(lists[1].entries.size(), 12u);
  EXPECT_EQ(lists[1].entries.front(), L"01");
  EXPECT_EQ(lists[1].entries.back(), L"12");
  // 31 days whatever the month.
  ASSERT_EQ(lists[2].entries.size(), 31u);
  EXPECT_EQ(lists[2].entries[8], L"09");
  EXPECT_EQ(lists[2].entries.back(), L"31");
  EXPECT_EQ(lists[0].preset, L"2009");
  EXPECT_EQ(lists[1].preset, L"03");
  EXPECT_EQ(lists[2].preset, L"05");
}

TEST(TimeSetLists, YearOutsideTheListPresetsTheNearestEnd) {
  for (const auto& [year, expected] : {std::pair{1980, L"2000"}, std::pair{1601, L"2000"}, std::pair{2150, L"2100"}}) {
    const auto lists = cmbDateSet(day(static_cast<std::uint16_t>(year), 7, 14));
    // The list still offers every year, and the preset is one of its entries.
    EXPECT_EQ(lists[0].entries.size(), 101u);
    EXPECT_EQ(lists[0].preset, expected) << year;
    EXPECT_NE(std::find(lists[0].entries.begin(), lists[0].entries.end(), lists[0].preset), lists[0].entries.end());
    EXPECT_EQ(lists[1].preset, L"07");
    EXPECT_EQ(lists[2].preset, L"14");
  }
}

TEST(TimeSetLists, ErrorTextOfTheGuardedSteps) {
  EXPECT_EQ(cmbDateSetErrorText(Failure(380, L"Invalid property value")),
            L"Error 380: Invalid property valuein procedure cmbDateSet of Form FrmTimeSet");
}

TEST(TimeSetSave, SetsPickedDateAtTheTimeOfDayReadWhenSaving) {
  fakes::FakeEnv env;
  env.clock.current = {2009, 3, 4, 5, 9, 0, 0, 0};
  const auto lists = cmbDateSet(env.clock.now());
  ASSERT_EQ(lists[0].preset, L"2009");
  // The person takes a while to pick; the time of day is read at the click.
  env.clock.current = {2009, 3, 4, 5, 14, 5, 33, 870};
  EXPECT_TRUE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2010", L"12", L"24"));
  ASSERT_EQ(env.clock.set.size(), 1u);
  EXPECT_EQ(env.clock.set[0], (LocalTime{2010, 12, 0, 24, 14, 5, 33, 0}));
  ASSERT_EQ(env.messages.shown.size(), 1u);
  const MessageRequest& m = env.messages.shown[0];
  EXPECT_EQ(m.text, L"컴퓨터 시간이 수정되었습니다. ");
  EXPECT_EQ(m.title, L"도움터");
  EXPECT_EQ(m.icon, MsgIcon::None);
  EXPECT_EQ(m.buttons, MsgButtons::Ok);
  // The confirmation follows the change, never precedes it.
  EXPECT_EQ(env.log, (fakes::EventLog{L"clock:set", L"msg[none]:컴퓨터 시간이 수정되었습니다. "}));
}

TEST(TimeSetSave, LeadingZerosDoNotMatter) {
  fakes::FakeEnv env;
  EXPECT_EQ(SetClockFromLists(env.clock, L"2001", L"01", L"09"), (LocalTime{2001, 1, 0, 9, 14, 5, 33, 0}));
  EXPECT_EQ(SetClockFromLists(env.clock, L" 002001 ", L"1", L"009").day, 9);
  EXPECT_EQ(env.clock.set.size(), 2u);
}

TEST(TimeSetSave, WithoutTheRightTheElevatedCopyMakesExactlyThatChange) {
  fakes::FakeEnv env;
  env.clock.refuse = true;  // ERROR_PRIVILEGE_NOT_HELD
  EXPECT_TRUE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2010", L"12", L"24"));
  ASSERT_EQ(env.messages.shown.size(), 2u);
  const MessageRequest& q = env.messages.shown[0];
  EXPECT_EQ(q.text, L"이 컴퓨터의 날짜를 바꾸려면 관리자 권한이 필요합니다.\r\n관리자 권한으로 바꾸시겠습니까?");
  EXPECT_EQ(q.title, L"도움터");
  EXPECT_EQ(q.buttons, MsgButtons::YesNo);
  EXPECT_EQ(q.icon, MsgIcon::Question);
  EXPECT_FALSE(q.defaultIsNo);
  EXPECT_EQ(env.log,
            (fakes::EventLog{L"clock:set", L"msg[question]:" + q.text, L"self:runas|/set-date 2010-12-24|60000",
                             L"msg[none]:컴퓨터 시간이 수정되었습니다. "}));
}

TEST(TimeSetSave, WhatTheElevatedCopyEndsWithDecidesWhatTheDialogShows) {
  using End = ProgramRun::End;
  struct Case {
    End end;
    long code;
    const wchar_t* description;
    const wchar_t* reportStart;  // empty: nothing after the question
  };
  const Case cases[] = {
      {End::Exited, 1314, L"A required privilege is not held by the client.", L"컴퓨터 시간을 바꾸지 못했습니다.\r\n"},
      {End::Exited, 5, L"Access is denied.", L"컴퓨터 시간을 바꾸지 못했습니다.\r\n\r\n(오류 5: Access is denied.)"},
      {End::Failed, 2, L"File not found.", L"컴퓨터 시간을 바꾸지 못했습니다.\r\n\r\n(오류 2: File not found.)"},
      {End::TimedOut, 0, L"", L"컴퓨터 시간을 바꾸지 못했습니다.\r\n\r\n관리자 권한으로 날짜를 바꾸는 도움터가 60초"},
      {End::Cancelled, 1223, L"", L""},
  };
  for (const Case& c : cases) {
    fakes::FakeEnv env;
    env.clock.refuse = true;
    env.shell.selfRun = ProgramRun{c.end, c.code, c.description};
    const std::wstring reportStart = c.reportStart;
    EXPECT_FALSE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2010", L"12", L"24")) << c.code;
    ASSERT_EQ(env.messages.shown.size(), reportStart.empty() ? 1u : 2u) << c.code;
    if (reportStart.empty()) continue;
    const MessageRequest& m = env.messages.shown[1];
    EXPECT_EQ(m.text.rfind(reportStart, 0), 0u);
    EXPECT_EQ(m.icon, MsgIcon::Exclamation);
    EXPECT_EQ(m.title, L"도움터");
    if (c.code == 1314) {
      EXPECT_NE(m.text.find(L"(오류 1314: A required privilege"), std::wstring::npos);
    }
  }
}

TEST(TimeSetSave, NoToTheQuestionLeavesTheDialogAsItWas) {
  fakes::FakeEnv env;
  env.clock.refuse = true;
  env.messages.answers.push_back(Answer::No);
  EXPECT_FALSE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2010", L"12", L"24"));
  EXPECT_EQ(env.messages.shown.size(), 1u);
  EXPECT_EQ(
      std::count_if(env.log.begin(), env.log.end(), [](const std::wstring& e) { return e.rfind(L"self:", 0) == 0; }),
      0);
}

TEST(TimeSetSave, OtherSystemRefusalShowsTheSystemsReason) {
  fakes::FakeEnv env;
  struct Refusing : ClockPort {
    LocalTime now() override { return {2009, 3, 4, 5, 14, 5, 33, 0}; }
    void setLocalTime(const LocalTime&) override { throw Failure(87, L"The parameter is incorrect.\r\n"); }
    void sleep(unsigned) override {}
  } clock;
  EXPECT_FALSE(SaveClockFromLists(env.messages, clock, env.shell, L"2010", L"12", L"24"));
  ASSERT_EQ(env.messages.shown.size(), 1u);
  EXPECT_EQ(env.messages.shown[0].text,
            L"컴퓨터 시간을 바꾸지 못했습니다.\r\n\r\n(오류 87: The parameter is incorrect.)");
}

TEST(TimeSetSave, DayTheMonthDoesNotHaveIsRefusedWithoutCallingTheSystem) {
  for (const auto& [y, m, d] : {std::tuple{L"2010", L"02", L"31"}, std::tuple{L"2011", L"02", L"29"},
                                std::tuple{L"2100", L"02", L"29"}, std::tuple{L"2010", L"04", L"31"}}) {
    fakes::FakeEnv env;
    EXPECT_FALSE(SaveClockFromLists(env.messages, env.clock, env.shell, y, m, d));
    EXPECT_FALSE(clockCalled(env));
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].text.rfind(L"컴퓨터 시간을 바꾸지 못했습니다.", 0), 0u);
  }
  fakes::FakeEnv env;
  SaveClockFromLists(env.messages, env.clock, env.shell, L"2010", L"02", L"31");
  EXPECT_EQ(env.messages.shown[0].text, L"컴퓨터 시간을 바꾸지 못했습니다.\r\n\r\n2010년 2월에는 31일이 없습니다.");
}

TEST(TimeSetSave, LastDaysThatDoExistAreSet) {
  fakes::FakeEnv env;
  EXPECT_TRUE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2000", L"02", L"29"));  // 400-year leap
  EXPECT_TRUE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2012", L"02", L"29"));
  EXPECT_TRUE(SaveClockFromLists(env.messages, env.clock, env.shell, L"2100", L"12", L"31"));
  EXPECT_EQ(env.clock.set.size(), 3u);
  EXPECT_THROW(ClockRecordFromLists(env.clock.now(), L"2012", L"02", L"30"), InvalidDate);
  const int last[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};  // of 2010
  for (int m = 1; m <= 12; ++m) {
    EXPECT_NO_THROW(ClockRecordFromLists(env.clock.now(), L"2010", std::to_wstring(m), L"1")) << m;
    EXPECT_NO_THROW(ClockRecordFromLists(env.clock.now(), L"2010", std::to_wstring(m), std::to_wstring(last[m - 1])));
    EXPECT_THROW(ClockRecordFromLists(env.clock.now(), L"2010", std::to_wstring(m), std::to_wstring(last[m - 1] + 1)),
                 InvalidDate)
        << m;
  }
}

TEST(TimeSetSave, TextsNotFromTheListsAreRefused) {
  for (const auto& [y, m, d] :
       {std::tuple{L"", L"01", L"01"}, std::tuple{L"1999", L"01", L"01"}, std::tuple{L"2010", L"13", L"01"},
        std::tuple{L"2010", L"00", L"01"}, std::tuple{L"2010", L"01", L"0"}, std::tuple{L"2010", L"1a", L"01"},
        std::tuple{L"2010", L"-1", L"01"}, std::tuple{L"2010", L"01", L"0:"}, std::tuple{L"2010", L"01", L"0000001"}}) {
    fakes::FakeEnv env;
    EXPECT_THROW(ClockRecordFromLists(env.clock.now(), y, m, d), InvalidDate);
    EXPECT_FALSE(SaveClockFromLists(env.messages, env.clock, env.shell, y, m, d));
    EXPECT_FALSE(clockCalled(env));
  }
}

TEST(TimeSetShow, StartsTheSystemSettingsAndReportsOnlyAFailedStart) {
  fakes::FakeEnv env;
  OpenSystemTimeSettings(env.messages, env.shell);
  EXPECT_EQ(env.shell.started, (std::vector<std::wstring>{L"rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,0"}));
  EXPECT_TRUE(env.messages.shown.empty());
  env.shell.createError = 740;
  env.shell.shellError = 1223;  // a refused UAC prompt needs no word
  OpenSystemTimeSettings(env.messages, env.shell);
  EXPECT_TRUE(env.messages.shown.empty());
  env.shell.startSucceeds = false;
  OpenSystemTimeSettings(env.messages, env.shell);
  ASSERT_EQ(env.messages.shown.size(), 1u);
  EXPECT_EQ(env.messages.shown[0].text, L"날짜 및 시간 설정을 실행할 수 없습니다.");
  EXPECT_EQ(env.messages.shown[0].icon, MsgIcon::None);
}

TEST(TimeSetCommand, OnlyExactlyOneExistingDateIsSet) {
  fakes::FakeEnv env;
  env.clock.current = {2009, 3, 4, 5, 14, 5, 33, 870};
  EXPECT_EQ(RunSetDateCommand(env.clock, L"\"C:\\도움 터\\doumteo.exe\" /set-date 2010-12-24"), 0);
  EXPECT_EQ(RunSetDateCommand(env.clock, L"doumteo.exe   /SET-DATE\t2100-12-31 "), 0);
  EXPECT_EQ(env.clock.set, (std::vector<LocalTime>{{2010, 12, 0, 24, 14, 5, 33, 0}, {2100, 12, 0, 31, 14, 5, 33, 0}}));
  env.clock.refuse = true;
  EXPECT_EQ(RunSetDateCommand(env.clock, L"doumteo.exe /set-date 2010-12-24"), 1314);
  env.clock.refusal = 0;  // a refusal without a number is still one
  EXPECT_EQ(RunSetDateCommand(env.clock, L"doumteo.exe /set-date 2010-12-24"), 31);
}

TEST(TimeSetCommand, AnythingButTheExactFormIsRefusedWithoutTouchingTheClock) {
  for (const wchar_t* line : {L"doumteo.exe /set-date", L"doumteo.exe /set-date x", L"doumteo.exe /set-date 2010-02-31",
                              L"doumteo.exe /set-date 1999-01-01", L"doumteo.exe /set-date 2101-01-01",
                              L"doumteo.exe /set-date 2010-1-01", L"doumteo.exe /set-date 2010/12/24",
                              L"doumteo.exe /set-date \"2010-12-24\"", L"doumteo.exe /set-date 2010-12-24 2010-12-25",
                              L"doumteo.exe /set-date 2010-12-+4", L"doumteo.exe /set-date 2010-00-10",
                              L"doumteo.exe /set-date 0000-00-00", L"doumteo.exe /set-date 2010-12-245"}) {
    fakes::FakeEnv env;
    EXPECT_EQ(RunSetDateCommand(env.clock, line), 87) << line;
    EXPECT_FALSE(clockCalled(env)) << line;
  }
}

TEST(TimeSetCommand, AnyOtherCommandLineIsIgnored) {
  for (const wchar_t* line : {L"doumteo.exe", L"\"C:\\x /set-date 2010-12-24\\doumteo.exe\"", L"doumteo.exe /other",
                              L"doumteo.exe /set-datex 2010-12-24", L"doumteo.exe set-date 2010-12-24",
                              L"doumteo.exe 2010-12-24 /set-date", L""}) {
    fakes::FakeEnv env;
    EXPECT_EQ(RunSetDateCommand(env.clock, line), std::nullopt) << line;
    EXPECT_FALSE(clockCalled(env));
  }
}
