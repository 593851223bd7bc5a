// The product's settings: the list of backup files, the restore from one of
// them, and the two wipes of the 레지스트리 삭제 button.
#include <gtest/gtest.h>

#include <algorithm>

#include "driver/driver.h"
#include "driver/settings_support.h"

namespace e2e::settings {
namespace {

const std::wstring kFullWipeQuestion = L"이 부분은 " + kProgramName +
                                       L"의 전체 레지스트리를 삭제 합니다.\r\n\r\n"
                                       L"개발자 및 상담원들도 주의 하여 삭제 하여 주십시요.     \r\n\r\n"
                                       L"삭제하시겠습니까?";
const std::wstring kFullWipeDone = kApp + L"의 전체레지스트리가 삭제 되었습니다";
const std::wstring kSelectiveQuestion =
    L"레지스트리의 값을 함부로 삭제 하시면     \r\n\r\n"
    L"프로그램이 실행안 될 수도 있습니다.     \r\n\r\n"
    L"저희 상담원과 상의후 필요시에만  삭제를 하여 주십시요.     \r\n\r\n"
    L"삭제하시겠습니까?";
const std::wstring kSelectiveDone = L"삭제되었습니다.";

// Key (below HKEY_CURRENT_USER) -> its value lines, sorted, from Wine's reg export.
std::map<std::wstring, std::vector<std::wstring>> exportedArea(const std::wstring& app) {
  auto text = regExport(settingsAreaKey(app));
  if (!text) return {};
  std::map<std::wstring, std::vector<std::wstring>> keys;
  for (auto [path, values] : parseExport(*text)) {
    std::sort(values.begin(), values.end());
    keys[path] = values;
  }
  return keys;
}

std::wstring fullKey(const std::wstring& app, const std::wstring& section = L"") {
  return L"HKEY_CURRENT_USER\\" + settingsKey(app, section);
}

// Checks a box the way a person reads it: title, text, icon and buttons.
void expectBox(const MsgBox& box, const std::wstring& title, const std::wstring& text, Icon icon,
               std::vector<int> buttons = {IDOK}) {
  EXPECT_EQ(box.title, title);
  EXPECT_EQ(box.text, text);
  EXPECT_EQ(box.icon, icon) << "icon " << narrow(iconName(box.icon));
  EXPECT_EQ(box.buttonIds(), buttons);
}

class Settings : public SettingsScenario {};

TEST_F(Settings, ListHoldsOrdinaryBackupFilesWithTheNewestPreselected) {
  // Listed in whatever order the folder gives; 2024 must win over 2019 and
  // 2010 although its key no longer fits in 32 bits.
  for (const wchar_t* name :
       {L"환경설정_20190301_0900.mdb", L"환경설정_20240105_1230.mdb", L"환경설정_20101231_2359.mdb", L"환경설정.mdb",
        L"환경설정_20300101_0000.txt", L"백업_20300101_0000.mdb"})
    addBackup(name, backupFile({{L"&", kApp}}));
  addBackup(L"환경설정_20251231_2359.mdb", "hidden");
  SetFileAttributesW(backupPath(L"환경설정_20251231_2359.mdb").c_str(), FILE_ATTRIBUTE_HIDDEN);
  addBackup(L"환경설정_20270101_0000.mdb", "system");
  SetFileAttributesW(backupPath(L"환경설정_20270101_0000.mdb").c_str(), FILE_ATTRIBUTE_SYSTEM);
  makeFolders(backupPath(L"환경설정_20261231_2359.mdb"));

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND combo = backupCombo(main);
  std::vector<std::wstring> items = comboItems(combo);
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<std::wstring>{L"환경설정.mdb", L"환경설정_20101231_2359.mdb",
                                              L"환경설정_20190301_0900.mdb", L"환경설정_20240105_1230.mdb"}));
  EXPECT_EQ(windowText(combo), L"환경설정_20240105_1230.mdb");
  EXPECT_EQ(comboSelection(combo), comboIndexOf(combo, L"환경설정_20240105_1230.mdb"));
  EXPECT_TRUE(noMessageBoxWithin(program, 200));
  screenshot(main);
}

TEST_F(Settings, RestoreWritesTheChosenFileAndLeavesOtherSettingsAlone) {
  seedProductSettings();
  addBackup(L"환경설정_20240105_1230.mdb", backupFile({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"7"}}));
  addBackup(L"환경설정_20190301_0900.mdb", backupFile({{L"&", kApp},
                                                       {L"#", L"환경설정"},
                                                       {L"CSType", L"2"},
                                                       {L"글꼴", L"돋움 \"굵게\""},
                                                       {L"#", L"새 섹션"},
                                                       {L"빈값", L""},
                                                       {L"경로\\이름", L"C:\\VeltoSoft\\DB\\"},
                                                       {L"셋", L"첫째", L"무시"},
                                                       {L"#", L"환경설정"},
                                                       {L"추가", L"한글 값 ㄱㄴㄷ"},
                                                       {L"&", kSecondApp},
                                                       {L"#", L"S"},
                                                       {L"K", L"V"}}));

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND combo = backupCombo(main);
  ASSERT_EQ(windowText(combo), L"환경설정_20240105_1230.mdb");
  selectComboItem(combo, comboIndexOf(combo, L"환경설정_20190301_0900.mdb"));
  click(main, L"환경설정 복원");
  MsgBox reminder = waitMessageBox(program);
  expectBox(reminder, kApp, kReminder, Icon::Warning);
  reminder.answer(IDOK);
  MsgBox done = waitMessageBox(program);
  expectBox(done, kApp, kRestoreDone, Icon::Information);
  done.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));

  // Wine's own export of the product's area, key by key.
  std::map<std::wstring, std::vector<std::wstring>> expected{
      {fullKey(kApp), {}},
      {fullKey(kApp, L"DB정보"), {exportLine(L"경로", L"C:\\VeltoSoft\\DB"), exportLine(L"이름", L"dbMain.mdb")}},
      {fullKey(kApp, L"새 섹션"),
       {exportLine(L"경로\\이름", L"C:\\VeltoSoft\\DB\\"), exportLine(L"빈값", L""), exportLine(L"셋", L"첫째")}},
      {fullKey(kApp, L"창위치"), {exportLine(L"Left", L"120")}},
      {fullKey(kApp, L"환경설정"),
       {exportLine(L"CSType", L"2"), exportLine(L"글꼴", L"돋움 \"굵게\""), exportLine(L"추가", L"한글 값 ㄱㄴㄷ")}}};
  for (auto& [key, values] : expected) std::sort(values.begin(), values.end());
  EXPECT_EQ(exportedArea(kApp), expected);
  EXPECT_EQ(exportedArea(kSecondApp),
            (std::map<std::wstring, std::vector<std::wstring>>{{fullKey(kSecondApp), {}},
                                                               {fullKey(kSecondApp, L"S"), {exportLine(L"K", L"V")}}}));

  // The same through the registry functions.
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"CSType"), L"2");
  EXPECT_EQ(getSetting(kApp, L"새 섹션", L"빈값"), L"");
  EXPECT_EQ(getSetting(kApp, L"새 섹션", L"셋"), L"첫째");
  EXPECT_EQ(getSetting(kApp, L"창위치", L"Left"), L"120");
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
  EXPECT_EQ(getSetting(L"Setupkeeper", L"ASKey", L"RegiProgram"), kApp);
  // The list stays as it was.
  EXPECT_EQ(comboItems(combo).size(), 2u);
}

TEST_F(Settings, DamagedFileShowsOneErrorAndWritesNothing) {
  seedProductSettings();
  // "*" is not a radix-64 character.
  const std::string line = insertedAt(backupLine({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"5"}}), 8, "*");
  addBackup(L"환경설정_20240105_1230.mdb", line + "\r\n");
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"환경설정 복원");
  waitMessageBox(program).answer(IDOK);  // the reminder
  MsgBox error = waitMessageBox(program);
  EXPECT_EQ(error.title, kAppTitle);
  EXPECT_EQ(error.text, L"Error 6: Overflow" + kRegLogReadEnding);
  EXPECT_EQ(error.icon, Icon::None) << narrow(iconName(error.icon));
  EXPECT_EQ(error.buttonIds(), std::vector<int>{IDOK});
  error.answer(IDOK);
  MsgBox done = waitMessageBox(program);
  expectBox(done, kApp, kRestoreDone, Icon::Information);
  done.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  EXPECT_TRUE(snapshots.newSnapshots().empty()) << "a file that cannot be read names no area to save";
}

TEST_F(Settings, FileChosenAfterStartAndThenDeletedIsReported) {
  seedProductSettings();
  addBackup(L"환경설정_20240105_1230.mdb", backupFile({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"7"}}));
  addBackup(L"환경설정_20190301_0900.mdb", backupFile({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"3"}}));
  const auto before = regExport(settingsAreaKey(kApp));

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND combo = backupCombo(main);
  selectComboItem(combo, comboIndexOf(combo, L"환경설정_20190301_0900.mdb"));
  removeTree(backupPath(L"환경설정_20190301_0900.mdb"));
  click(main, L"환경설정 복원");
  const auto boxes = answerOkUntil(program, kRestoreDone);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].text, kReminder);
  // The open and then the read fail, each with its own message.
  EXPECT_EQ(boxes[1].text, L"Error 53: File not found" + kRegLogReadEnding);
  EXPECT_EQ(boxes[2].text, L"Error 52: Bad file name or number" + kRegLogReadEnding);
  EXPECT_EQ(boxes[1].title, kAppTitle);
  EXPECT_EQ(boxes[3].title, kApp);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
}

TEST_F(Settings, EmptyListAnswersThatThereIsNoFile) {
  addBackup(L"백업_20240105_1230.mdb", backupFile({{L"&", kApp}}));
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND combo = backupCombo(main);
  EXPECT_TRUE(comboItems(combo).empty());
  EXPECT_EQ(windowText(combo), L"");
  click(main, L"환경설정 복원");
  MsgBox box = waitMessageBox(program);
  expectBox(box, kApp, kNoBackupFile, Icon::Information);
  box.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 300)) << "no reminder follows";
}

TEST_F(Settings, RestoreIsRefusedWhileTheProductRuns) {
  seedProductSettings();
  addBackup(L"환경설정_20240105_1230.mdb", backupFile({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"7"}}));
  Process product = startStandIn(folder.path(), kProductExe);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"환경설정 복원");
  MsgBox reminder = waitMessageBox(program);
  expectBox(reminder, kApp, kReminder, Icon::Warning);
  reminder.answer(IDOK);
  MsgBox refusal = waitMessageBox(program);
  expectBox(refusal, kApp, kCloseAll, Icon::Information);
  refusal.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 400));
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"CSType"), L"1");
  EXPECT_TRUE(snapshots.newSnapshots().empty());
  EXPECT_TRUE(product.running());
}

TEST_F(Settings, FullWipeNeedsShiftAndYes) {
  seedProductSettings();
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND wipe = child(main, L"레지스트리 삭제");

  mouseClick(wipe, MouseButton::Left, MK_SHIFT);
  MsgBox question = waitMessageBox(program);
  expectBox(question, kApp, kFullWipeQuestion, Icon::Question, {IDYES, IDNO});
  EXPECT_EQ(question.defaultId(), IDNO);
  question.answer(IDNO);
  EXPECT_TRUE(noMessageBoxWithin(program, 300));
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");

  mouseClick(wipe, MouseButton::Left, MK_SHIFT);
  waitMessageBox(program).answer(IDYES);
  MsgBox done = waitMessageBox(program);
  expectBox(done, kApp, kFullWipeDone, Icon::Information);
  done.answer(IDOK);
  EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kApp)));
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
  EXPECT_EQ(getSetting(L"Setupkeeper", L"ASKey", L"RegiProgram"), kApp);

  // Nothing left to delete: still the completion message.
  mouseClick(wipe, MouseButton::Left, MK_SHIFT);
  waitMessageBox(program).answer(IDYES);
  EXPECT_EQ(waitMessageBox(program).text, kFullWipeDone);
}

TEST_F(Settings, SelectiveWipeDeletesTheDatabaseLocationAndCSTypeOnly) {
  seedProductSettings();
  const auto before = regExport(settingsAreaKey(kApp));
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND wipe = child(main, L"레지스트리 삭제");

  // A plain click and Ctrl+Shift both ask for the selective wipe; No keeps all.
  for (WPARAM modifiers : {WPARAM{0}, WPARAM{MK_SHIFT | MK_CONTROL}}) {
    mouseClick(wipe, MouseButton::Left, modifiers);
    MsgBox question = waitMessageBox(program);
    expectBox(question, kApp, kSelectiveQuestion, Icon::Question, {IDYES, IDNO});
    EXPECT_EQ(question.defaultId(), IDNO);
    question.answer(IDNO);
    EXPECT_TRUE(noMessageBoxWithin(program, 200));
  }
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");

  // The right button without Shift asks as well; Yes deletes the two settings.
  mouseClick(wipe, MouseButton::Right);
  MsgBox question = waitMessageBox(program);
  EXPECT_EQ(question.text, kSelectiveQuestion);
  question.answer(IDYES);
  MsgBox done = waitMessageBox(program);
  expectBox(done, kApp, kSelectiveDone, Icon::Information);
  done.answer(IDOK);
  EXPECT_EQ(getSetting(kApp, L"DB정보", L"경로"), std::nullopt);
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"CSType"), std::nullopt);
  EXPECT_EQ(getSetting(kApp, L"DB정보", L"이름"), L"dbMain.mdb");
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"글꼴"), L"굴림체");
  EXPECT_EQ(getSetting(kApp, L"창위치", L"Left"), L"120");
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");

  // Neither setting is left: no error, the same completion message.
  mouseClick(wipe, MouseButton::Left);
  waitMessageBox(program).answer(IDYES);
  EXPECT_EQ(waitMessageBox(program).text, kSelectiveDone);
}

TEST_F(Settings, ShiftWithTheRightButtonDoesNothing) {
  seedProductSettings();
  const auto before = regExport(settingsAreaKey(kApp));
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Right, MK_SHIFT);
  EXPECT_TRUE(noMessageBoxWithin(program, 600));
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  EXPECT_TRUE(snapshots.newSnapshots().empty());
  EXPECT_TRUE(program.running());
}

// The program only reads DBS: a read-only folder is listed and restored from.
TEST_F(Settings, ReadOnlyBackupFolderIsListedAndRestoredFrom) {
  addBackup(L"환경설정_20240105_1230.mdb", backupFile({{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"4"}}));
  SetFileAttributesW(backupPath(L"환경설정_20240105_1230.mdb").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesW(folder.file(L"DBS").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  EXPECT_TRUE(noMessageBoxWithin(program, 200));
  EXPECT_EQ(windowText(backupCombo(main)), L"환경설정_20240105_1230.mdb");
  click(main, L"환경설정 복원");
  const auto boxes = answerOkUntil(program, kRestoreDone);
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"CSType"), L"4");
}

TEST_F(Settings, MissingBackupFolderGivesAnEmptyList) {
  ASSERT_FALSE(fileExists(folder.file(L"DBS")));
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  EXPECT_TRUE(noMessageBoxWithin(program, 200));
  EXPECT_TRUE(comboItems(backupCombo(main)).empty());
  click(main, L"환경설정 복원");
  EXPECT_EQ(answerOkUntil(program, kNoBackupFile).size(), 1u);
  click(main, L"닫기 &C");
  EXPECT_EQ(program.waitExit(), 0u);
}

}  // namespace
}  // namespace e2e::settings
