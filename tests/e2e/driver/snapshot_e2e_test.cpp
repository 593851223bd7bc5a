// The restore points: before a wipe or a restore changes the product's
// settings, the program saves them as a file that reg import (or a
// double-click in regedit) puts back exactly.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "driver/driver.h"
#include "driver/settings_support.h"

namespace e2e::settings {
namespace {

void setRaw(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const UniqueKey owner(key);
  EXPECT_EQ(RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

// Every kind of value a settings area can hold, not only the texts the
// product writes: the export must bring back each of them as it was.
void seedRichArea() {
  setSetting(kApp, L"환경설정", L"CSType", L"1");
  setSetting(kApp, L"환경설정", L"경로 \"따옴표\"", L"C:\\Velto\\DB\\ \"인용\" 끝\\");
  setSetting(kApp, L"환경설정", L"빈 값", L"");
  setSetting(kApp, L"DB정보", L"경로", L"D:\\자료\\dbMain.mdb");
  setSetting(kApp, L"DB정보", L"", L"기본값");
  const std::wstring section = settingsKey(kApp, L"기타");
  const DWORD number = 0x12345678;
  setRaw(section, L"숫자", REG_DWORD, &number, sizeof number);
  const BYTE bytes[] = {0x00, 0xFF, 0x10, 0x80, 0x7F};
  setRaw(section, L"이진", REG_BINARY, bytes, sizeof bytes);
  const wchar_t expand[] = L"%LOCALAPPDATA%\\벨토";
  setRaw(section, L"확장", REG_EXPAND_SZ, expand, sizeof expand);
  const wchar_t multi[] = L"첫째\0둘째\0";
  setRaw(section, L"여러줄", REG_MULTI_SZ, multi, sizeof multi);
  std::wstring longText(3000, L'가');
  setSetting(kApp, L"기타\\하위 키", L"긴 값", longText);
  HKEY empty = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey(kApp, L"빈 섹션").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &empty,
                  nullptr);
  const UniqueKey emptyOwner(empty);
  setSetting(kNeighbour, L"환경설정", L"CSType", L"9");
}

// Text the ANSI code page (949) cannot hold: read through the ANSI calls it
// would come back as "Große ? ??".
const std::wstring kOutsideCodePage = L"Größe ✓ 😀";

// Values (and, where the scenario's action can cope, a section) named and
// filled with such text; checked afterwards with the wide calls.
void seedOutsideCodePage(bool withSection) {
  setSetting(kApp, L"환경설정", L"크기", kOutsideCodePage);
  setSetting(kApp, L"환경설정", kOutsideCodePage, kOutsideCodePage);
  const std::wstring multi = kOutsideCodePage + L'\0' + L"둘째 ✓" + L'\0';
  setRaw(settingsKey(kApp, L"기타"), L"목록 😀", REG_MULTI_SZ, multi.c_str(),
         static_cast<DWORD>((multi.size() + 1) * sizeof(wchar_t)));
  if (withSection) setSetting(kApp, L"구역 " + kOutsideCodePage, L"값 ✓", kOutsideCodePage);
}

void expectOutsideCodePage(bool withSection) {
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"크기"), kOutsideCodePage);
  EXPECT_EQ(getSetting(kApp, L"환경설정", kOutsideCodePage), kOutsideCodePage);
  if (withSection) {
    EXPECT_EQ(getSetting(kApp, L"구역 " + kOutsideCodePage, L"값 ✓"), kOutsideCodePage);
  }
}

class Snapshot : public SettingsScenario {
 protected:
  // A backup that changes the product's area and creates a second one.
  void addRestoreBackup() const {
    addBackup(L"환경설정_20240105_1230.mdb", backupFile({{L"&", kApp},
                                                         {L"#", L"환경설정"},
                                                         {L"CSType", L"2"},
                                                         {L"새 값", L"복원됨"},
                                                         {L"#", L"새 섹션"},
                                                         {L"N", L"V"},
                                                         {L"&", kSecondApp},
                                                         {L"#", L"S"},
                                                         {L"K", L"V"}}));
  }
  // The one snapshot this scenario made, with its action in the name.
  std::wstring onlyNewSnapshot(const std::wstring& action) {
    const auto added = snapshots.newSnapshots();
    if (added.size() != 1) throw DriverError(L"expected one new snapshot, found " + std::to_wstring(added.size()));
    EXPECT_TRUE(endsWith(added[0], L" " + action + L".reg")) << narrow(added[0]);
    return snapshotFolder() + L"\\" + added[0];
  }
};

TEST_F(Snapshot, FullWipeIsUndoneByImportingItsSnapshot) {
  seedRichArea();
  // No section of that kind: the wipe deletes through the ANSI calls, which
  // cannot name it.
  seedOutsideCodePage(false);
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left, MK_SHIFT);
  const QuickBox question = waitQuickBox(program);
  ASSERT_TRUE(startsWith(question.text, L"이 부분은 ")) << narrow(question.text);
  answerQuick(question, IDYES);
  EXPECT_EQ(answerOkUntil(program, kApp + L"의 전체레지스트리가 삭제 되었습니다").size(), 1u);
  ASSERT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kApp)));

  const std::wstring file = onlyNewSnapshot(L"전체삭제");
  const auto bytes = readFile(file);
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(startsWith(utf16Text(*bytes), L"Windows Registry Editor Version 5.00\r\n"));
  EXPECT_EQ(bytes->substr(0, 2), "\xFF\xFE");

  ASSERT_EQ(regImport(file), 0u);
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  expectOutsideCodePage(false);
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
}

TEST_F(Snapshot, RestoreIsUndoneByImportingItsSnapshot) {
  seedRichArea();
  seedOutsideCodePage(true);
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);
  addRestoreBackup();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"환경설정 복원");
  EXPECT_EQ(answerOkUntil(program, kRestoreDone).size(), 2u);
  ASSERT_EQ(getSetting(kApp, L"환경설정", L"CSType"), L"2");
  ASSERT_EQ(getSetting(kSecondApp, L"S", L"K"), L"V");

  // The import takes back the new section and the new application as well.
  ASSERT_EQ(regImport(onlyNewSnapshot(L"환경설정복원")), 0u);
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  expectOutsideCodePage(true);
  EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kSecondApp)));
}

TEST_F(Snapshot, UnwritableSnapshotFolderStopsBothWipes) {
  seedRichArea();
  const auto before = regExport(settingsAreaKey(kApp));
  // A file where the folder of snapshots belongs.
  removeTree(snapshotFolder());
  makeFolders(snapshotOwnFolder());
  writeFile(snapshotFolder(), "not a folder");

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND wipe = child(main, L"레지스트리 삭제");
  for (WPARAM modifiers : {WPARAM{MK_SHIFT}, WPARAM{0}}) {
    mouseClick(wipe, MouseButton::Left, modifiers);
    answerQuick(waitQuickBox(program), IDYES);
    MsgBox refusal = waitMessageBox(program);
    EXPECT_EQ(refusal.title, kApp);
    EXPECT_EQ(refusal.icon, Icon::Warning) << narrow(iconName(refusal.icon));
    EXPECT_TRUE(startsWith(refusal.text, kSnapshotRefusal)) << narrow(refusal.text);
    EXPECT_NE(refusal.text.find(L"저장 위치: " + snapshotFolder()), std::wstring::npos) << narrow(refusal.text);
    refusal.answer(IDOK);
    EXPECT_TRUE(noMessageBoxWithin(program, 300)) << "no completion message";
  }
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  EXPECT_EQ(readFile(snapshotFolder()), "not a folder");
}

TEST_F(Snapshot, UncreatableSnapshotFolderStopsTheRestore) {
  seedRichArea();
  const auto before = regExport(settingsAreaKey(kApp));
  // A file where the program's own folder belongs: 복원지점 cannot be made.
  removeTree(snapshotOwnFolder());
  writeFile(snapshotOwnFolder(), "not a folder");
  addBackup(
      L"환경설정_20240105_1230.mdb",
      backupFile(
          {{L"&", kApp}, {L"#", L"환경설정"}, {L"CSType", L"2"}, {L"&", kSecondApp}, {L"#", L"S"}, {L"K", L"V"}}));

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"환경설정 복원");
  const auto boxes = answerOkUntil(program, [](const QuickBox& b) { return startsWith(b.text, kSnapshotRefusal); });
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, kReminder);
  EXPECT_NE(boxes[1].text.find(L"복원 지점 폴더를 만들 수 없습니다"), std::wstring::npos) << narrow(boxes[1].text);
  EXPECT_TRUE(noMessageBoxWithin(program, 300)) << "no completion message";
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kSecondApp)));
}

TEST_F(Snapshot, ThirtyFirstSnapshotRemovesTheOldest) {
  seedRichArea();
  removeTree(snapshotFolder());
  makeFolders(snapshotFolder());
  auto oldName = [](int day) {
    return L"200001" + std::wstring(day < 10 ? L"0" : L"") + std::to_wstring(day) + L"_120000_000 전체삭제.reg";
  };
  for (int day = 1; day <= 30; ++day) writeFile(snapshotFolder() + L"\\" + oldName(day), "\xFF\xFEW\0");
  writeFile(snapshotFolder() + L"\\메모.txt", "memo");
  writeFile(snapshotFolder() + L"\\내 설정.reg", "mine");

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left);
  answerQuick(waitQuickBox(program), IDYES);
  EXPECT_EQ(answerOkUntil(program, L"삭제되었습니다.").size(), 1u);

  const auto names = fileNames(snapshotFolder());
  auto has = [&](const std::wstring& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
  std::vector<std::wstring> added;
  std::copy_if(names.begin(), names.end(), std::back_inserter(added),
               [&](const std::wstring& n) { return startsWith(n, L"20") && !startsWith(n, L"200001"); });
  ASSERT_EQ(added.size(), 1u);
  EXPECT_TRUE(endsWith(added[0], L" 선택삭제.reg")) << narrow(added[0]);
  EXPECT_TRUE(has(added[0]));
  EXPECT_FALSE(has(oldName(1))) << "the oldest is removed";
  for (int day = 2; day <= 30; ++day) EXPECT_TRUE(has(oldName(day))) << day;
  EXPECT_TRUE(has(L"메모.txt"));
  EXPECT_TRUE(has(L"내 설정.reg"));
  EXPECT_EQ(names.size(), 32u);
}

// A link planted in the product's area, to a key of the same user outside
// it: the walk of the full wipe would follow it and delete that key's
// values. The wipe stops before it changes anything, naming the link.
TEST_F(Snapshot, AFullWipeOfAnAreaHoldingALinkIsRefused) {
  seedRichArea();
  const std::wstring victim = L"Software\\도움터시험 Victim";
  setRaw(victim, L"Keep", REG_SZ, L"1", 4);
  setRaw(victim + L"\\Sub", L"N", REG_SZ, L"V", 4);
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  alignas(TOKEN_USER) BYTE user[256];
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, sizeof user, &size));
  CloseHandle(token);
  wchar_t* sid = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
  const std::wstring target = L"\\Registry\\User\\" + std::wstring(sid) + L"\\" + victim;
  LocalFree(sid);
  const std::wstring linkPath = settingsKey(kApp) + L"\\링크";
  HKEY link = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, linkPath.c_str(), 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
                      KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &link, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                           static_cast<DWORD>(target.size() * sizeof(wchar_t))),
            ERROR_SUCCESS);
  RegCloseKey(link);
  ASSERT_EQ(getSetting(kApp, L"링크", L"Keep"), L"1") << "the link leads to the victim";

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left, MK_SHIFT);
  answerQuick(waitQuickBox(program), IDYES);
  MsgBox refusal = waitMessageBox(program);
  EXPECT_EQ(refusal.title, kApp);
  EXPECT_TRUE(startsWith(refusal.text, kSnapshotRefusal)) << narrow(refusal.text);
  EXPECT_NE(refusal.text.find(L"레지스트리 링크가 있습니다: HKEY_CURRENT_USER\\" + linkPath), std::wstring::npos)
      << narrow(refusal.text);
  refusal.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 300)) << "no completion message";
  EXPECT_EQ(getSetting(kApp, L"환경설정", L"CSType"), L"1");
  EXPECT_EQ(getSetting(kApp, L"링크", L"Keep"), L"1");
  EXPECT_TRUE(regKeyExists(HKEY_CURRENT_USER, victim + L"\\Sub"));
  EXPECT_TRUE(snapshots.newSnapshots().empty());

  // The link itself goes, not what it leads to.
  HKEY own = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, linkPath.c_str(), REG_OPTION_OPEN_LINK, DELETE, &own), ERROR_SUCCESS);
  using NtDeleteKey = LONG(WINAPI*)(HANDLE);
  const auto deleteKey = reinterpret_cast<NtDeleteKey>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
  EXPECT_EQ(deleteKey(own), 0);
  RegCloseKey(own);
  RegDeleteTreeW(HKEY_CURRENT_USER, victim.c_str());
}

// ---- undo from inside the program --------------------------------------------

constexpr UINT kRestorePointsCommand = 0x0110;
const std::wstring kUndone = L"설정을 되돌렸습니다.";

class RestorePoints : public Snapshot {
 protected:
  void SetUp() override {
    Snapshot::SetUp();
    removeTree(snapshotFolder());
  }
  struct Dialog {
    HWND window = nullptr;
    HWND list = nullptr;
  };
  // Opens the dialog as the system menu's entry does.
  static Dialog open(const Process& program, HWND main) {
    PostMessageW(main, WM_SYSCOMMAND, kRestorePointsCommand, 0);
    return shown(program, main);
  }
  static Dialog shown(const Process& program, HWND main) {
    Dialog d;
    d.window = waitWindow(program, L"복원 지점");
    for (const Control& c : controls(d.window))
      if (lowerText(c.className) == L"listbox") d.list = c.window;
    if (!d.list) throw DriverError(L"the dialog has no list");
    EXPECT_EQ(GetWindow(d.window, GW_OWNER), main);
    EXPECT_FALSE(IsWindowEnabled(main));
    return d;
  }
  // 되돌리기 on the selected line, Yes, and the boxes up to the report.
  static std::vector<QuickBox> undoSelected(const Process& program, const Dialog& d, const std::wstring& report) {
    click(d.window, L"되돌리기(&U)");
    MsgBox question = waitMessageBox(program);
    EXPECT_EQ(question.title, kAppTitle);
    EXPECT_EQ(question.icon, Icon::Question) << narrow(iconName(question.icon));
    EXPECT_EQ(question.buttonIds(), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(question.defaultId(), IDNO);
    EXPECT_TRUE(endsWith(question.text,
                         L"에 저장한 설정으로 되돌립니다.\r\n\r\n그 뒤에 바뀐 설정은 사라집니다.\r\n\r\n"
                         L"되돌리시겠습니까?"))
        << narrow(question.text);
    question.answer(IDYES);
    return answerOkUntil(program, report);
  }
  static void fullWipe(const Process& program, HWND main) {
    mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left, MK_SHIFT);
    answerQuick(waitQuickBox(program), IDYES);
    answerOkUntil(program, kApp + L"의 전체레지스트리가 삭제 되었습니다");
  }
};

TEST_F(RestorePoints, AFullWipeIsUndoneAndTheUndoUndoneInTurn) {
  seedRichArea();
  seedOutsideCodePage(false);
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  fullWipe(program, main);
  ASSERT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kApp)));

  Dialog d = open(program, main);
  auto lines = listItems(d.list);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(L"  전체 삭제     " + kApp), std::wstring::npos) << narrow(lines[0]);
  EXPECT_EQ(listSelection(d.list), 0);
  const auto boxes = undoSelected(program, d, kUndone);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, kReminder);
  EXPECT_EQ(boxes[1].title, kAppTitle);
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  expectOutsideCodePage(false);
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");

  // The state the undo replaced is the newest point now, selected.
  lines = listItems(d.list);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find(L"  되돌리기      " + kApp), std::wstring::npos) << narrow(lines[0]);
  EXPECT_EQ(listSelection(d.list), 0);
  // The arrows move the selection; Enter undoes the one selected.
  pressKey(d.list, VK_DOWN);
  waitUntil([&] { return listSelection(d.list) == 1; }, L"the second line selected");
  pressKey(d.list, VK_UP);
  waitUntil([&] { return listSelection(d.list) == 0; }, L"the first line selected");
  pressKey(d.list, VK_RETURN);
  answerQuick(waitQuickBox(program), IDYES);
  answerOkUntil(program, kUndone);
  EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kApp))) << "the wiped state is back";
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
  EXPECT_EQ(listItems(d.list).size(), 3u);

  pressKey(d.list, VK_ESCAPE);
  waitGone(d.window);
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(program.running());
}

TEST_F(RestorePoints, ARestoreIsUndoneAndTheUndoUndoneInTurn) {
  seedRichArea();
  seedOutsideCodePage(true);
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_TRUE(before);
  addRestoreBackup();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  click(main, L"환경설정 복원");
  answerOkUntil(program, kRestoreDone);
  const auto restored = regExport(settingsAreaKey(kApp));
  ASSERT_EQ(getSetting(kSecondApp, L"S", L"K"), L"V");

  Dialog d = open(program, main);
  const auto lines = listItems(d.list);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(L"  환경설정 복원 " + kApp + L", " + kSecondApp), std::wstring::npos) << narrow(lines[0]);
  undoSelected(program, d, kUndone);
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  expectOutsideCodePage(true);
  EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, settingsKey(kSecondApp)));

  undoSelected(program, d, kUndone);
  EXPECT_EQ(exportDifference(restored, regExport(settingsAreaKey(kApp))), "");
  EXPECT_EQ(getSetting(kSecondApp, L"S", L"K"), L"V");
  EXPECT_EQ(getSetting(kNeighbour, L"환경설정", L"CSType"), L"9");
}

TEST_F(RestorePoints, ATamperedSnapshotIsRefusedAndWritesNothing) {
  seedRichArea();
  const auto before = regExport(settingsAreaKey(kApp));
  ASSERT_FALSE(regKeyExists(HKEY_CURRENT_USER, L"Software\\Evil"));
  // What the program would have saved, with a key outside the settings added.
  const std::wstring area = L"HKEY_CURRENT_USER\\" + settingsKey(kApp);
  const std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n[-" + area + L"]\r\n\r\n[" + area +
                            L"]\r\n\r\n[" + area + L"\\환경설정]\r\n\"CSType\"=\"7\"\r\n\r\n" +
                            L"[HKEY_CURRENT_USER\\Software\\Evil]\r\n\"Run\"=\"evil.exe\"\r\n\r\n";
  makeFolders(snapshotFolder());
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  writeFile(snapshotFolder() + L"\\20991231_235959_999 전체삭제.reg", bytes);

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  Dialog d = open(program, main);
  const auto lines = listItems(d.list);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(L"(쓸 수 없는 파일)"), std::wstring::npos) << narrow(lines[0]);
  pressKey(d.list, VK_RETURN);
  MsgBox refusal = waitMessageBox(program);
  EXPECT_EQ(refusal.title, kAppTitle);
  EXPECT_EQ(refusal.icon, Icon::Warning) << narrow(iconName(refusal.icon));
  EXPECT_TRUE(startsWith(refusal.text, L"이 복원 지점은 도움터가 저장한 그대로의 파일이 아니어서 되돌릴 수 없습니다."))
      << narrow(refusal.text);
  EXPECT_NE(refusal.text.find(L"HKEY_CURRENT_USER\\Software\\Evil"), std::wstring::npos) << narrow(refusal.text);
  refusal.answer(IDOK);
  EXPECT_TRUE(noMessageBoxWithin(program, 300)) << "no question after the refusal";
  EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, L"Software\\Evil"));
  EXPECT_EQ(exportDifference(before, regExport(settingsAreaKey(kApp))), "");
  EXPECT_EQ(snapshots.newSnapshots().size(), 1u) << "no snapshot of its own";
  click(d.window, L"닫기(&C)");
  waitGone(d.window);
}

// Run at 96 and at 144 DPI by run-e2e.sh: restore-points-empty-96.png,
// restore-points-96.png and the same at 144.
TEST_F(RestorePoints, Screenshot) {
  seedRichArea();
  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  const std::wstring dpi = std::to_wstring(environment().dpi);
  // As a person opens it: Alt+Space for the system menu, then P.
  screenshot(openSystemMenu(program, main), L"system-menu-" + dpi);
  typeKeys({'P'});
  Dialog d = shown(program, main);
  EXPECT_EQ(listItems(d.list), std::vector<std::wstring>{L"저장된 복원 지점이 없습니다."});
  EXPECT_FALSE(IsWindowEnabled(child(d.window, L"되돌리기(&U)")));
  screenshot(d.window, L"restore-points-empty-" + dpi);
  pressKey(focusWindow(program), 'C', true);
  waitGone(d.window);

  fullWipe(program, main);
  setSetting(kApp, L"환경설정", L"CSType", L"3");
  mouseClick(child(main, L"레지스트리 삭제"), MouseButton::Left);
  answerQuick(waitQuickBox(program), IDYES);
  answerOkUntil(program, L"삭제되었습니다.");
  d = open(program, main);
  ASSERT_EQ(listItems(d.list).size(), 2u);
  screenshot(d.window, L"restore-points-" + dpi);
  pressKey(d.list, VK_ESCAPE);
  waitGone(d.window);
}

}  // namespace
}  // namespace e2e::settings
