#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/guard.h"
#include "fakes/fakes.h"
#include "platform/ansi.h"
#include "registry/snapshot.h"
#include "registry/undo.h"
#include "registry/wipe.h"

namespace doumteo {
namespace {

using fakes::FakeEnv;

constexpr char kArea[] = "Software\\VB and VBA Program Settings";
const std::wstring kFolder = L"C:\\Users\\user\\AppData\\Local\\도움터\\복원지점";
const std::wstring kAreaPath = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";

class Undo : public ::testing::Test {
 protected:
  Undo() {
    profile.regiProgram = L"VeltoBook";
    profile.currentRegiProgram = L"벨토장부";
    profile.exeFile = L"VeltoBook.exe";
    put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "1");
    put(toAnsi(L"VeltoBook\\환경설정"), toAnsi(L"경로 \"따옴표\""), toAnsi(L"C:\\자료\\"));
    put(toAnsi(L"VeltoBook\\환경설정\\창"), "", "");
    env.registry.putRaw(reg::kHkeyCurrentUser, std::string(kArea) + "\\VeltoBook\\DB", "Size", reg::kDword,
                        {1, 2, 3, 4});
    put("Neighbour\\S", "N", "V");
  }
  void put(const std::string& path, const std::string& name, const std::string& text) {
    env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\" + path, name, text);
  }
  std::vector<std::string> registry() const { return env.registry.dump(reg::kHkeyCurrentUser); }
  void fullWipe() {
    env.messages.answers = {Answer::Yes};
    btnReDelDB_MouseDown(env.services(), profile, 1, 1);
    ASSERT_FALSE(env.registry.keyExists(reg::kHkeyCurrentUser, std::string(kArea) + "\\VeltoBook"));
    env.messages.shown.clear();
  }
  bool undo(const RestorePoint& point, std::deque<Answer> answers = {Answer::Yes}) {
    env.messages.shown.clear();
    env.messages.answers = std::move(answers);
    return UndoRestorePoint(env.services(), profile, point);
  }

  FakeEnv env;
  ProductProfile profile;
};

TEST_F(Undo, AWipeIsUndoneAndTheUndoCanBeUndoneInTurn) {
  const auto before = registry();
  fullWipe();
  const auto wiped = registry();
  auto points = listRestorePoints(env.services());
  ASSERT_EQ(points.size(), 1u);
  EXPECT_EQ(points[0].when, L"2009-03-05 14:05:33");
  EXPECT_EQ(points[0].action, L"전체 삭제");
  EXPECT_EQ(points[0].products, std::vector<std::wstring>{L"VeltoBook"});
  EXPECT_EQ(restorePointLine(points[0]), L"2009-03-05 14:05:33  전체 삭제     VeltoBook");
  // The first wide character takes two columns as well.
  EXPECT_EQ(restorePointLine({L"", L"", L"\u1100", {L"A"}, true}), L"  \u1100            A");

  EXPECT_TRUE(undo(points[0]));
  ASSERT_EQ(env.messages.shown.size(), 3u);
  const MessageRequest& question = env.messages.shown[0];
  EXPECT_EQ(question.text,
            L"되돌릴 제품: VeltoBook\r\n\r\n"
            L"2009-03-05 14:05:33에 저장한 설정으로 되돌립니다.\r\n\r\n그 뒤에 바뀐 설정은 사라집니다.\r\n\r\n"
            L"되돌리시겠습니까?");
  EXPECT_EQ(question.title, L"도움터");
  EXPECT_EQ(question.buttons, MsgButtons::YesNo);
  EXPECT_EQ(question.icon, MsgIcon::Question);
  EXPECT_TRUE(question.defaultIsNo);
  EXPECT_EQ(env.messages.shown[1].text.rfind(L"프로그램이 실행중 인지", 0), 0u) << "the guard's reminder";
  EXPECT_EQ(env.messages.shown[2].text, L"설정을 되돌렸습니다.");
  EXPECT_EQ(env.messages.shown[2].title, L"도움터");
  EXPECT_EQ(registry(), before);

  // The state it replaced was saved first, and is the newest point now.
  points = listRestorePoints(env.services());
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0].fileName, L"20090305_140533_120 000002 되돌리기.reg");
  EXPECT_EQ(points[0].action, L"되돌리기");
  EXPECT_EQ(points[1].action, L"전체 삭제");
  EXPECT_TRUE(undo(points[0]));
  EXPECT_EQ(registry(), wiped);
  EXPECT_EQ(env.setting(L"Neighbour", L"S", L"N"), L"V");
}

// Thirty points, the first twenty-nine from before the names were numbered,
// then the clock set back: the next two actions keep their points and drop
// the two written first, and the list starts with the last written.
TEST_F(Undo, RestorePointsKeepTheOrderOfWritingWhenTheClockIsSetBack) {
  const std::wstring wiped = exportText({{settingsAreaExportPath(L"VeltoBook")}, {}});
  auto oldName = [](int day) {
    return L"202401" + std::wstring(day < 10 ? L"0" : L"") + std::to_wstring(day) + L"_120000_000 전체삭제.reg";
  };
  for (int day = 1; day <= 29; ++day) env.files.files[kFolder + L"\\" + oldName(day)].content = regFileBytes(wiped);
  env.files.folders.insert(kFolder);
  env.clock.current = {2024, 2, 0, 1, 9, 0, 0, 0};
  fullWipe();
  env.clock.current = {2010, 1, 5, 1, 9, 0, 0, 0};
  put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "2");
  fullWipe();
  EXPECT_EQ(listRestorePoints(env.services()).size(), 30u);
  put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "3");
  fullWipe();
  const auto points = listRestorePoints(env.services());
  ASSERT_EQ(points.size(), 30u);
  EXPECT_EQ(points[0].when, L"2010-01-01 09:00:00");
  EXPECT_EQ(points[1].when, L"2010-01-01 09:00:00");
  EXPECT_EQ(points[2].when, L"2024-02-01 09:00:00");
  EXPECT_EQ(points[3].fileName, oldName(29));
  EXPECT_EQ(points.back().fileName, oldName(3));
  // The newest holds the last state wiped; an old file's undo still works.
  EXPECT_TRUE(undo(points[0]));
  EXPECT_EQ(env.setting(L"VeltoBook", L"환경설정", L"CSType"), L"3");
  EXPECT_TRUE(undo(points[3]));
  EXPECT_FALSE(env.registry.keyExists(reg::kHkeyCurrentUser, std::string(kArea) + "\\VeltoBook"));
}

TEST_F(Undo, NothingChangesWithoutYesOrWhileTheProductRuns) {
  fullWipe();
  const auto wiped = registry();
  const RestorePoint point = listRestorePoints(env.services()).at(0);
  EXPECT_FALSE(undo(point, {}));  // Enter takes the default, No
  EXPECT_EQ(env.messages.shown.size(), 1u);
  env.processes.processes = std::vector<std::wstring>{L"explorer.exe", L"VELTOBOOK.EXE"};
  EXPECT_FALSE(undo(point));
  ASSERT_EQ(env.messages.shown.size(), 3u);
  EXPECT_EQ(env.messages.shown[2].text, closeAllReminder());
  EXPECT_EQ(registry(), wiped);
  EXPECT_EQ(listRestorePoints(env.services()).size(), 1u) << "no snapshot of its own either";
}

TEST_F(Undo, ATamperedOrOversizedFileIsRefusedWhole) {
  fullWipe();
  const auto wiped = registry();
  const std::wstring evil = L"Windows Registry Editor Version 5.00\r\n\r\n[-" + kAreaPath + L"\\VeltoBook]\r\n\r\n[" +
                            kAreaPath +
                            L"\\VeltoBook]\r\n\"CSType\"=\"2\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Evil]\r\n\r\n";
  const std::wstring name = L"20240101_000000_000 전체삭제.reg";
  env.files.files[kFolder + L"\\" + name].content = regFileBytes(evil);
  const auto points = listRestorePoints(env.services());
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[1].fileName, name);
  EXPECT_FALSE(points[1].readable);
  EXPECT_EQ(restorePointLine(points[1]), L"2024-01-01 00:00:00  전체 삭제     (쓸 수 없는 파일)");

  EXPECT_FALSE(undo(points[1]));
  ASSERT_EQ(env.messages.shown.size(), 1u) << "refused before the question";
  EXPECT_EQ(env.messages.shown[0].text,
            L"이 복원 지점은 도움터가 저장한 그대로의 파일이 아니어서 되돌릴 수 없습니다.\r\n"
            L"아무것도 바꾸지 않았습니다.\r\n\r\n"
            L"이유: 설정 영역 밖의 키입니다: HKEY_CURRENT_USER\\Software\\Evil\r\n위치: 8번째 줄\r\n파일: " +
                kFolder + L"\\" + name);
  EXPECT_EQ(env.messages.shown[0].icon, MsgIcon::Exclamation);

  env.files.files[kFolder + L"\\" + name].content = std::string(65u * 1024u * 1024u, 'x');
  EXPECT_FALSE(undo(points[1]));
  ASSERT_EQ(env.messages.shown.size(), 1u);
  EXPECT_NE(env.messages.shown[0].text.find(L"이유: 파일이 64 MB보다 큽니다"), std::wstring::npos);
  EXPECT_EQ(registry(), wiped);
  EXPECT_EQ(listRestorePoints(env.services()).size(), 2u);
}

TEST_F(Undo, WhatCannotBeWrittenIsNamedAndTheRestIsPutBack) {
  fullWipe();
  // Keys can be made directly below the area but not deeper, and a key
  // added since cannot be deleted.
  env.registry.readOnly.insert(fakes::lower(std::string(kArea) + "\\veltobook"));
  put("VeltoBook\\Extra", "Top", "1");
  env.registry.undeletable.insert(fakes::lower(std::string(kArea) + "\\veltobook\\extra"));
  EXPECT_TRUE(undo(listRestorePoints(env.services()).at(0)));
  ASSERT_EQ(env.messages.shown.size(), 3u);
  const std::wstring& report = env.messages.shown[2].text;
  EXPECT_EQ(report.rfind(L"설정을 모두 되돌리지는 못했습니다. 다음 설정이 복원 지점과 다릅니다.\r\n", 0), 0u);
  EXPECT_NE(report.find(L"만들지 못한 키: " + kAreaPath + L"\\VeltoBook\\DB (오류 5)"), std::wstring::npos);
  EXPECT_NE(report.find(L"없는 키: " + kAreaPath + L"\\VeltoBook\\환경설정"), std::wstring::npos);
  EXPECT_NE(report.find(L"지우지 못한 키: " + kAreaPath + L"\\VeltoBook\\Extra (오류 5)"), std::wstring::npos);
  EXPECT_NE(report.find(L"남은 키: " + kAreaPath + L"\\VeltoBook\\Extra"), std::wstring::npos);
  EXPECT_EQ(env.setting(L"VeltoBook", L"Extra", L"Top"), L"1") << "nothing is lost that the file does not replace";
  EXPECT_EQ(env.messages.shown[2].icon, MsgIcon::Exclamation);
  EXPECT_EQ(env.setting(L"Neighbour", L"S", L"N"), L"V");
}

// An area that holds a link since the point was saved: the undo stops
// before the snapshot of its own and changes nothing.
TEST_F(Undo, AnAreaHoldingALinkIsNotUndone) {
  fullWipe();
  put("VeltoBook\\S", "N", "V");
  env.registry.putRaw(reg::kHkeyCurrentUser, std::string(kArea) + "\\VeltoBook\\Link", "SymbolicLinkValue", reg::kLink,
                      utf16le(L"\\Registry\\User\\S-1-5-21-0-0-0-1000\\Software\\Victim"));
  const auto before = registry();
  EXPECT_FALSE(undo(listRestorePoints(env.services()).at(0)));
  ASSERT_EQ(env.messages.shown.size(), 3u);
  EXPECT_NE(env.messages.shown[2].text.find(L"레지스트리 링크가 있습니다: " + kAreaPath + L"\\VeltoBook\\Link"),
            std::wstring::npos);
  EXPECT_EQ(registry(), before);
  EXPECT_EQ(listRestorePoints(env.services()).size(), 1u);
}

// A text saved without its NUL comes back with one from Wine's registry
// and from the importers: the read-back takes it as the same text, but not
// a text that had its NUL and came back with a second.
TEST_F(Undo, TheReadBackTakesATextThatGainedItsNulAsTheSame) {
  const std::wstring area = settingsAreaExportPath(L"Texts");
  env.registry.putRaw(reg::kHkeyCurrentUser, std::string(kArea) + "\\Texts", "ab", reg::kSz, {'a', 'b', 0});
  env.registry.putRaw(reg::kHkeyCurrentUser, std::string(kArea) + "\\Texts", "a", reg::kSz, {'a', 0, 0});
  // 가 is 00 AC in UTF-16LE: a last unit whose low byte alone is zero is no terminator.
  env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\Texts", "wide", toAnsi(L"가"));
  const RegExport saved{{area},
                        {{area,
                          {{L"ab", reg::kSz, utf16le(L"ab")},
                           {L"a", reg::kSz, utf16le(std::wstring(L"a\0", 2))},
                           {L"wide", reg::kSz, utf16le(L"가")}}}}};
  EXPECT_EQ(snapshotDifferences(env.registry, saved), std::vector<std::wstring>{L"다른 값: " + area + L"\\a"});
}

TEST_F(Undo, AFileGoneSinceTheListingIsReportedAsNotRead) {
  fullWipe();
  const auto wiped = registry();
  const RestorePoint point = listRestorePoints(env.services()).at(0);
  env.files.files.erase(kFolder + L"\\" + point.fileName);
  EXPECT_FALSE(undo(point));
  ASSERT_EQ(env.messages.shown.size(), 1u);
  EXPECT_EQ(env.messages.shown[0].text,
            L"복원 지점 파일을 읽지 못했습니다. 아무것도 바꾸지 않았습니다.\r\n\r\n"
            L"이유: 파일을 찾을 수 없습니다 (Error 53: File not found)\r\n파일: " +
                kFolder + L"\\" + point.fileName);
  EXPECT_EQ(registry(), wiped);
}

TEST_F(Undo, NoFolderListsNothing) {
  EXPECT_TRUE(listRestorePoints(env.services()).empty());
  env.files.localAppData.clear();
  EXPECT_TRUE(listRestorePoints(env.services()).empty());
}

}  // namespace
}  // namespace doumteo
