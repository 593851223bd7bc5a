#include <gtest/gtest.h>

#include "common/action_record.h"
#include "common/guard.h"
#include "fakes/fakes.h"

namespace doumteo {
namespace {

ShownMessage box(std::wstring text, MsgIcon icon, Answer answer = Answer::Ok) {
  const MsgButtons buttons = icon == MsgIcon::Question ? MsgButtons::YesNo : MsgButtons::Ok;
  return {{std::move(text), L"", buttons, icon, false}, answer};
}

TEST(ActionRecordText, KeepsTheLastLinesEachEndingInCrLf) {
  std::string record = "old\nkept one\r\nkept two";  // a last line without its end counts
  record = appendedRecord(record, L"새 줄 😀", 3);
  EXPECT_EQ(record, "kept one\r\nkept two\r\n" + toUtf8(L"새 줄 😀") + "\r\n");
  EXPECT_EQ(newestRecordLines(record, 2), (std::vector<std::wstring>{L"새 줄 😀", L"kept two"}));
  EXPECT_EQ(newestRecordLines("\r\n\r\n", 5), std::vector<std::wstring>{});
  std::string full;
  for (int i = 0; i < 600; ++i) full = appendedRecord(full, std::to_wstring(i));
  EXPECT_EQ(newestRecordLines(full, kActionRecordLines + 1).size(), kActionRecordLines);
  EXPECT_EQ(newestRecordLines(full, 1), std::vector<std::wstring>{L"599"});
  EXPECT_EQ(full.substr(0, 5), "100\r\n");
}

TEST(ActionRecordText, Utf8BothWaysAndMalformedBytesReplaced) {
  const std::wstring text = L"A\u00e9\u0416\u20ac가😀";
  EXPECT_EQ(toUtf8(text), "A\xC3\xA9\xD0\x96\xE2\x82\xAC\xEA\xB0\x80\xF0\x9F\x98\x80");
  EXPECT_EQ(fromUtf8(toUtf8(text)), text);
  EXPECT_EQ(toUtf8(L"\u07FF\u0800"), "\xDF\xBF\xE0\xA0\x80");  // the last of two bytes, the first of three
  // UTF-16 units as Windows holds them: a pair is one character, a high
  // surrogate before anything else stays alone.
  EXPECT_EQ(toUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(toUtf8(std::wstring{wchar_t(0xD83D), wchar_t(0xE000)}), "\xED\xA0\xBD\xEE\x80\x80");
  EXPECT_EQ(fromUtf8("a\xFF"
                     "b\xE2\x82"),
            L"a\uFFFDb\uFFFD\uFFFD");
  EXPECT_EQ(fromUtf8("\xC3("), L"\uFFFD(");
}

TEST(ActionRecordText, OutcomeOfACommandFromItsBoxes) {
  const Failure failure(53, L"File not found");
  EXPECT_EQ(commandOutcome({}, failure), L"실패: Error 53 (File not found)");
  EXPECT_EQ(commandOutcome({}, std::nullopt), L"완료");
  // The error box counts before a question that came earlier.
  EXPECT_EQ(commandOutcome({box(L"묻기", MsgIcon::Question, Answer::No),
                            box(L"Error 5 (x) in procedure A of B\r\n둘째", MsgIcon::None)},
                           std::nullopt),
            L"실패: Error 5 (x) in procedure A of B");
  EXPECT_EQ(commandOutcome(
                {box(L"계속?", MsgIcon::Question, Answer::Yes), box(L"그만?\r\n설명", MsgIcon::Question, Answer::No)},
                std::nullopt),
            L"취소: 그만?");
  // The guard's reminder is no refusal; its second message is.
  EXPECT_EQ(commandOutcome({box(guardReminder(), MsgIcon::Exclamation)}, std::nullopt), L"완료");
  EXPECT_EQ(commandOutcome({box(guardReminder(), MsgIcon::Exclamation), box(closeAllReminder(), MsgIcon::Information)},
                           std::nullopt),
            L"거부: " + closeAllReminder());
  EXPECT_EQ(
      commandOutcome({box(L"안 됩니다\r\n이유", MsgIcon::Exclamation), box(L"끝", MsgIcon::Information)}, std::nullopt),
      L"거부: 안 됩니다");
  EXPECT_EQ(commandOutcome({box(L"첫째", MsgIcon::Information), box(L"둘째\r\n셋째", MsgIcon::None)}, std::nullopt),
            L"완료: 둘째");
}

class ActionRecordTest : public ::testing::Test {
 protected:
  ActionRecordTest() { env.files.folders.insert(env.files.localAppData); }
  std::string written() const { return env.files.files.at(path).content; }
  fakes::FakeEnv env;
  ActionRecord record{env.messages, env.files, env.clock};
  const std::wstring path = env.files.localAppData + L"\\도움터\\작업기록.txt";
};

TEST_F(ActionRecordTest, EachCommandAppendsItsLineWithTheTimeAndInnerCommandsTheirOwn) {
  record.run(L"바깥", [&] {
    record.show({L"바깥 상자", L"", MsgButtons::Ok, MsgIcon::Information, false});
    record.run(L"안쪽", [&] { record.show({L"안쪽 질문", L"", MsgButtons::YesNo, MsgIcon::Question, true}); });
  });
  EXPECT_EQ(written(), toUtf8(L"2009-03-05 14:05:33  안쪽  취소: 안쪽 질문\r\n"
                              L"2009-03-05 14:05:33  바깥  완료: 바깥 상자\r\n"));
  EXPECT_EQ(env.messages.shown.size(), 2u) << "every box reaches the user";
  EXPECT_EQ(record.newest(1), std::vector<std::wstring>{L"2009-03-05 14:05:33  바깥  완료: 바깥 상자"});
}

TEST_F(ActionRecordTest, AFailureIsRecordedAndGoesOnAndARecordThatCannotBeWrittenStopsNothing) {
  EXPECT_THROW(record.run(L"명령", [] { throw Failure(70, L"Permission denied"); }), Failure);
  EXPECT_EQ(newestRecordLines(written(), 1)[0], L"2009-03-05 14:05:33  명령  실패: Error 70 (Permission denied)");
  env.files.locked.insert(path);
  bool ran = false;
  record.run(L"둘째", [&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_THROW(record.run(L"셋째", [] { throw Failure(5, L"x"); }), Failure) << "the command's own failure";
  // A record grown far past its size starts anew.
  env.files.locked.clear();
  env.files.files[path].content = std::string(5u << 20, 'x');
  record.note(L"넷째", L"완료");
  EXPECT_EQ(newestRecordLines(written(), 5), std::vector<std::wstring>{L"2009-03-05 14:05:33  넷째  완료"});
}

}  // namespace
}  // namespace doumteo
