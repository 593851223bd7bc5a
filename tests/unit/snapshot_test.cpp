#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "platform/ansi.h"
#include "registry/restore.h"
#include "registry/settings_area.h"
#include "registry/snapshot.h"
#include "registry/wipe.h"
#include "support/backup_encoder.h"

namespace doumteo {
namespace {

using fakes::FakeEnv;

constexpr char kArea[] = "Software\\VB and VBA Program Settings";
const std::wstring kAreaPath = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";

// What the reader makes of an export text; it wants every key inside an
// area the file removes first.
std::optional<RegExport> reread(const std::wstring& text) { return readSnapshotText(text).content; }

std::vector<std::uint8_t> sz(const std::wstring& text) {
  auto bytes = utf16le(text);
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

TEST(SnapshotExport, WritesTheTextRegeditWrites) {
  const std::vector<SnapshotKey> keys{
      {kAreaPath + L"\\벨토장부", {}},
      {kAreaPath + L"\\벨토장부\\환경설정",
       {{L"경로", reg::kSz, sz(L"C:\\데이터\\db.mdb")},
        {L"따옴표 \"이름\"", reg::kSz, sz(L"say \"hi\" \\ bye")},
        {L"빈값", reg::kSz, sz(L"")},
        {L"", reg::kSz, sz(L"기본값")}}},
      {kAreaPath + L"\\벨토장부\\환경설정\\하위", {{L"N\\M", reg::kSz, sz(L"V")}}},
  };
  EXPECT_EQ(exportText({{}, keys}),
            L"Windows Registry Editor Version 5.00\r\n"
            L"\r\n"
            L"[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\벨토장부]\r\n"
            L"\r\n"
            L"[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\벨토장부\\환경설정]\r\n"
            L"\"경로\"=\"C:\\\\데이터\\\\db.mdb\"\r\n"
            L"\"따옴표 \\\"이름\\\"\"=\"say \\\"hi\\\" \\\\ bye\"\r\n"
            L"\"빈값\"=\"\"\r\n"
            L"@=\"기본값\"\r\n"
            L"\r\n"
            L"[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\벨토장부\\환경설정\\하위]\r\n"
            L"\"N\\\\M\"=\"V\"\r\n"
            L"\r\n");
  const RegExport whole{{kAreaPath + L"\\벨토장부"}, keys};
  EXPECT_EQ(reread(exportText(whole)), whole);
}

TEST(SnapshotExport, AreasAreRemovedBeforeTheyAreWrittenBack) {
  const RegExport content{{kAreaPath + L"\\벨토장부", kAreaPath + L"\\새 제품"},
                          {{kAreaPath + L"\\벨토장부", {{L"N", reg::kSz, sz(L"V")}}}}};
  EXPECT_EQ(exportText(content),
            L"Windows Registry Editor Version 5.00\r\n"
            L"\r\n"
            L"[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\벨토장부]\r\n"
            L"\r\n"
            L"[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\새 제품]\r\n"
            L"\r\n"
            L"[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\벨토장부]\r\n"
            L"\"N\"=\"V\"\r\n"
            L"\r\n");
  EXPECT_EQ(reread(exportText(content)), content);
}

TEST(SnapshotExport, OtherTypesGoOutAsRegeditWritesThem) {
  const std::wstring key = kAreaPath + L"\\A";
  const std::vector<SnapshotKey> keys{{key,
                                       {{L"d", reg::kDword, {0x2a, 0, 0, 0x80}},
                                        {L"b", reg::kBinary, {0x01, 0xff}},
                                        {L"e", reg::kExpandSz, sz(L"%A%")},
                                        {L"m", reg::kMultiSz, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}},
                                        {L"n", reg::kNone, {}},
                                        {L"short", reg::kDword, {1, 2}},
                                        {L"lines", reg::kSz, sz(L"a\r\nb")},
                                        {L"unterminated", reg::kSz, {0x61, 0}}}}};
  const std::wstring text = exportText({{key}, keys});
  EXPECT_NE(text.find(L"\"d\"=dword:8000002a\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"b\"=hex:01,ff\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"n\"=hex(0):\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"short\"=hex(4):01,02\r\n"), std::wstring::npos);
  // A line break cannot stand between quotes; nor can a text without its end.
  EXPECT_NE(text.find(L"\"lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\"unterminated\"=hex(1):61,00\r\n"), std::wstring::npos);
  EXPECT_EQ(reread(text), (RegExport{{key}, keys}));
}

TEST(SnapshotExport, LongHexDataIsWrappedAndReadsBack) {
  std::vector<std::uint8_t> data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
  const std::vector<SnapshotKey> keys{{kAreaPath + L"\\A", {{L"blob", reg::kBinary, data}}}};
  const std::wstring text = exportText({{kAreaPath + L"\\A"}, keys});
  std::size_t lines = 0;
  for (std::size_t start = 0, end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
    const std::wstring line = text.substr(start, end - start);
    EXPECT_LE(line.size(), 80u) << line;
    if (line.rfind(L"  ", 0) == 0) ++lines;
  }
  EXPECT_GT(lines, 10u);
  EXPECT_EQ(reread(text), (RegExport{{kAreaPath + L"\\A"}, keys}));
}

TEST(SnapshotExport, FileIsUtf16WithByteOrderMark) {
  const std::wstring text = L"Windows Registry Editor Version 5.00\r\n가";
  const std::string bytes = regFileBytes(text);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFEW\0", 4));
  EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\x00\xAC", 2));
  EXPECT_EQ(fromUtf16le(std::vector<std::uint8_t>(bytes.begin() + 2, bytes.end())), text);
  // Characters beyond the basic plane are written as surrogate pairs.
  EXPECT_EQ(utf16le(L"\U0001F600"), (std::vector<std::uint8_t>{0x3d, 0xd8, 0x00, 0xde}));
  EXPECT_EQ(fromUtf16le({0x3d, 0xd8, 0x00, 0xde}), L"\U0001F600");
}

TEST(SnapshotRead, ReadsAWholeArea) {
  FakeEnv env;
  auto& r = env.registry;
  const std::string app = std::string(kArea) + "\\" + toAnsi(L"벨토장부");
  r.putText(reg::kHkeyCurrentUser, app + "\\" + toAnsi(L"환경설정"), toAnsi(L"경로"), toAnsi(L"C:\\데이터"));
  r.putText(reg::kHkeyCurrentUser, app + "\\" + toAnsi(L"환경설정"), "", "default");
  r.putRaw(reg::kHkeyCurrentUser, app + "\\" + toAnsi(L"환경설정") + "\\Sub", "n", reg::kDword, {1, 0, 0, 0});
  r.putRaw(reg::kHkeyCurrentUser, app + "\\" + toAnsi(L"환경설정") + "\\Sub", "m", reg::kMultiSz, {'a', 0, 'b', 0, 0});
  r.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\Other\\S", "N", "V");

  const std::wstring top = kAreaPath + L"\\벨토장부";
  const std::vector<SnapshotKey> expected{
      {top, {}},
      {top + L"\\환경설정", {{L"경로", reg::kSz, sz(L"C:\\데이터")}, {L"", reg::kSz, sz(L"default")}}},
      {top + L"\\환경설정\\Sub",
       {{L"n", reg::kDword, {1, 0, 0, 0}}, {L"m", reg::kMultiSz, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}}}},
  };
  EXPECT_EQ(readSettingsArea(r, L"벨토장부"), expected);
  EXPECT_TRUE(readSettingsArea(r, L"없음").empty());
  EXPECT_EQ(r.openHandles(), 0u);
}

TEST(SnapshotRead, WideNamesAndTextsSurviveTheExport) {
  const std::wstring odd = L"Größe ✓ \U0001F600";
  // The fake keeps its names in the ANSI code page, which in a Windows build
  // cannot hold these; the Windows tests read them from the real registry.
  if (fromAnsi(toAnsi(odd)) != odd) GTEST_SKIP() << "the ANSI code page cannot hold the test's text";
  FakeEnv env;
  auto& r = env.registry;
  const std::string key = std::string(kArea) + "\\" + toAnsi(odd) + "\\" + toAnsi(odd);
  r.putText(reg::kHkeyCurrentUser, key, toAnsi(odd), toAnsi(odd));

  const auto keys = readSettingsArea(r, odd);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[1].path, kAreaPath + L"\\" + odd + L"\\" + odd);
  ASSERT_EQ(keys[1].values.size(), 1u);
  EXPECT_EQ(keys[1].values[0].name, odd);
  // The smiley is one surrogate pair in the data.
  EXPECT_EQ(keys[1].values[0].data,
            (std::vector<std::uint8_t>{'G', 0,    'r',  0,   0xf6, 0,    0xdf, 0,    'e',  0, ' ',
                                       0,   0x13, 0x27, ' ', 0,    0x3d, 0xd8, 0x00, 0xde, 0, 0}));
  const RegExport content{{settingsAreaExportPath(odd)}, keys};
  EXPECT_EQ(readSnapshotFile(regFileBytes(exportText(content))).content, content);
}

TEST(SnapshotNames, TheNumberOfTheWritingOrdersThemNotTheClock) {
  const LocalTime t{2024, 1, 1, 2, 9, 5, 3, 7};
  // Names written before the numbers come first, in the order of their names.
  const std::vector<std::wstring> old{L"20240102_090503_007 전체삭제.reg", L"20240102_090503_007_01 복원.reg"};
  EXPECT_EQ(snapshotFileName(t, L"전체삭제", old), L"20240102_090503_007 000001 전체삭제.reg");
  const std::vector<std::wstring> names{old[1], L"20100101_000000_000 000010 복원.reg", L"메모.reg", old[0],
                                        L"20240102_090503_007 000009 복원.reg"};
  EXPECT_EQ(snapshotFileName(t, L"복원", names), L"20240102_090503_007 000011 복원.reg");
  EXPECT_EQ(snapshotsNewestFirst(names), (std::vector<std::wstring>{names[1], names[4], old[1], old[0]}));
  EXPECT_EQ(parseSnapshotFileName(names[1])->action, L"복원");
  EXPECT_EQ(parseSnapshotFileName(old[1])->action, L"복원");
  // A number beyond 64 bits, in a name the program did not write, is no number.
  EXPECT_FALSE(parseSnapshotFileName(L"20240102_090503_007 " + std::wstring(19, L'9') + L" 복원.reg")->number);
  EXPECT_TRUE(isSnapshotFileName(L"20240102_090503_007.reg"));
  EXPECT_FALSE(isSnapshotFileName(L"내 설정.reg"));
  EXPECT_FALSE(isSnapshotFileName(L"x0240102_090503_007 전체삭제.reg"));
  EXPECT_FALSE(isSnapshotFileName(L"20240102_090503_007 전체삭제.txt"));
}

// ---- the flows -------------------------------------------------------------

const std::wstring kFolder = L"C:\\Users\\user\\AppData\\Local\\도움터\\복원지점";

class SnapshotFlow : public ::testing::Test {
 protected:
  SnapshotFlow() {
    profile.programName = L"벨토 장부";
    profile.regiProgram = L"VeltoBook";
    profile.currentRegiProgram = L"벨토장부";
    profile.dbPath = L"DB;Path";
    profile.exeFile = L"VeltoBook.exe";
    env.files.folder = L"C:\\Prog";
    put("VeltoBook\\DB", "Path", toAnsi(L"C:\\자료\\\"db\".mdb"));
    put(toAnsi(L"VeltoBook\\환경설정"), "CSType", "1");
    put(toAnsi(L"VeltoBook\\환경설정\\창"), "", "");
    put("Neighbour\\S", "N", "V");
  }
  void put(const std::string& path, const std::string& name, const std::string& text) {
    env.registry.putText(reg::kHkeyCurrentUser, std::string(kArea) + "\\" + path, name, text);
  }
  std::vector<std::wstring> snapshots() { return env.files.listFiles(kFolder, L"*.reg"); }
  RegExport snapshotContent(const std::wstring& name) {
    return readSnapshotFile(env.files.files.at(kFolder + L"\\" + name).content).content.value_or(RegExport{});
  }
  std::vector<std::string> registry() const { return env.registry.dump(reg::kHkeyCurrentUser); }

  FakeEnv env;
  ProductProfile profile;
};

TEST_F(SnapshotFlow, FullWipeSavesTheWholeAreaFirst) {
  const auto area = readSettingsArea(env.registry, L"VeltoBook");
  ASSERT_EQ(area.size(), 4u);
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 1);
  EXPECT_FALSE(env.registry.keyExists(reg::kHkeyCurrentUser, std::string(kArea) + "\\VeltoBook"));
  ASSERT_EQ(snapshots(), std::vector<std::wstring>{L"20090305_140533_120 000001 전체삭제.reg"});
  EXPECT_EQ(snapshotContent(snapshots()[0]), (RegExport{{settingsAreaExportPath(L"VeltoBook")}, area}));
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_EQ(env.messages.shown[1].text, L"벨토장부의 전체레지스트리가 삭제 되었습니다");
}

TEST_F(SnapshotFlow, SelectiveWipeSavesTheAreaToo) {
  const auto area = readSettingsArea(env.registry, L"VeltoBook");
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 0);
  EXPECT_FALSE(env.setting(L"VeltoBook", L"DB", L"Path"));
  ASSERT_EQ(snapshots(), std::vector<std::wstring>{L"20090305_140533_120 000001 선택삭제.reg"});
  EXPECT_EQ(snapshotContent(snapshots()[0]), (RegExport{{settingsAreaExportPath(L"VeltoBook")}, area}));
}

TEST_F(SnapshotFlow, NoSnapshotAfterNoOrWithNothingToSave) {
  btnReDelDB_MouseDown(env.services(), profile, 1, 1);  // default No
  profile.regiProgram = L"Missing";
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 1);
  EXPECT_TRUE(snapshots().empty());
  EXPECT_EQ(env.messages.shown.back().text, L"벨토장부의 전체레지스트리가 삭제 되었습니다");
}

TEST_F(SnapshotFlow, AFolderThatCannotBeWrittenStopsTheWipe) {
  env.files.readOnlyFolders.insert(L"C:\\Users\\user\\AppData\\Local");
  const auto before = registry();
  for (int shift : {1, 0}) {
    env.messages.shown.clear();
    env.messages.answers = {Answer::Yes};
    btnReDelDB_MouseDown(env.services(), profile, 1, shift);
    ASSERT_EQ(env.messages.shown.size(), 2u);
    const auto& warning = env.messages.shown[1];
    EXPECT_EQ(warning.icon, MsgIcon::Exclamation);
    EXPECT_EQ(warning.title, L"벨토장부");
    EXPECT_EQ(warning.text,
              L"설정을 바꾸기 전에 지금의 설정을 복원 지점으로 저장하지 못해 작업을 멈췄습니다.\r\n"
              L"아무것도 지우거나 바꾸지 않았습니다.\r\n\r\n"
              L"이유: 복원 지점 폴더를 만들 수 없습니다: 쓰기 권한이 없습니다 (Error 70: Permission denied)\r\n"
              L"저장 위치: " +
                  kFolder);
  }
  EXPECT_EQ(registry(), before);
}

TEST_F(SnapshotFlow, AWriteThatFailsOrReadsBackWrongStopsTheWipe) {
  const auto before = registry();
  env.files.folders.insert(L"C:\\Users\\user\\AppData\\Local\\도움터");
  env.files.folders.insert(kFolder);
  env.files.readOnlyFolders.insert(kFolder);
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 1);
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_NE(env.messages.shown[1].text.find(L"이유: 복원 지점 파일을 쓸 수 없습니다: 쓰기 권한이 없습니다"),
            std::wstring::npos);

  env.files.readOnlyFolders.clear();
  env.files.onWrite = [](const std::wstring&, std::string& bytes) { bytes.resize(bytes.size() - 40); };
  env.messages.shown.clear();
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 1);
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_NE(env.messages.shown[1].text.find(L"이유: 저장한 파일을 다시 읽어 보니 내용이 저장하려던 설정과 다릅니다"),
            std::wstring::npos);
  EXPECT_TRUE(snapshots().empty());  // the faulty file is not left behind
  EXPECT_EQ(registry(), before);
}

TEST_F(SnapshotFlow, UnknownDataFolderStopsTheWipe) {
  env.files.localAppData.clear();
  const auto before = registry();
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 0);
  ASSERT_EQ(env.messages.shown.size(), 2u);
  EXPECT_NE(env.messages.shown[1].text.find(L"사용자의 로컬 응용 프로그램 데이터 폴더를 알 수 없습니다"),
            std::wstring::npos);
  EXPECT_EQ(registry(), before);
}

// What an area must not hold stops the action before the snapshot, with the
// reason: a link (which the walk would follow out of the area), a value of a
// type a snapshot cannot hold, a key without a name (which reopens itself).
TEST_F(SnapshotFlow, AnAreaHoldingWhatCannotBeSavedIsRefusedBeforeAnyChange) {
  const std::string area = std::string(kArea) + "\\VeltoBook";
  const std::wstring shownArea = kAreaPath + L"\\VeltoBook";
  const std::wstring target = L"\\Registry\\User\\S-1-5-21-0-0-0-1000\\Software\\Victim";
  const std::string value = "Hw" + std::string(170, 'x');  // shown by its first 160 characters
  const std::vector<std::pair<std::function<void()>, std::wstring>> cases{
      {[&] {
         env.registry.putRaw(reg::kHkeyCurrentUser, area + "\\Link", "SymbolicLinkValue", reg::kLink, utf16le(target));
       },
       L"설정 영역에 다른 곳의 키를 가리키는 레지스트리 링크가 있습니다: " + shownArea + L"\\Link"},
      {[&] {
         env.registry.putRaw(reg::kHkeyCurrentUser, area + "\\DB", value, 8, {1, 2});
       },
       L"복원 지점에 저장할 수 없는 종류의 값이 있습니다.\r\n키: " + shownArea + L"\\DB\r\n값: Hw" +
           std::wstring(158, L'x') + L"…\r\n종류: REG_RESOURCE_LIST"},
      {[&] { env.registry.putNamelessKey(reg::kHkeyCurrentUser, area + "\\DB"); },
       L"설정 영역에 이름이 없는 키가 있습니다: " + shownArea + L"\\DB\\(이름 없음)"},
  };
  env.files.files[L"C:\\Prog\\DBS\\환경설정_1.mdb"].content =
      testing::backupFile(L"h", {{L"&", L"VeltoBook"}, {L"#", L"DB"}, {L"Path", L"D:\\new"}});
  for (const auto& [plant, reason] : cases) {
    plant();
    const auto before = registry();
    const std::wstring refusal =
        L"설정을 바꾸기 전에 지금의 설정을 복원 지점으로 저장하지 못해 작업을 멈췄습니다.\r\n"
        L"아무것도 지우거나 바꾸지 않았습니다.\r\n\r\n이유: " +
        reason;
    env.messages.shown.clear();
    env.messages.answers = {Answer::Yes};
    btnReDelDB_MouseDown(env.services(), profile, 1, 1);
    ASSERT_EQ(env.messages.shown.size(), 2u);
    EXPECT_EQ(env.messages.shown[1].text, refusal);
    btnRegBackup_Click(env.services(), profile, L"환경설정_1.mdb");
    EXPECT_EQ(env.messages.shown.back().text, refusal);
    EXPECT_EQ(registry(), before);
    EXPECT_TRUE(snapshots().empty());
    env.registry.deleteKey(reg::kHkeyCurrentUser, area + "\\Link");
    env.registry.putRaw(reg::kHkeyCurrentUser, area + "\\DB", value, reg::kSz, {0});
  }
}

TEST_F(SnapshotFlow, TheThirtyFirstSnapshotRemovesTheOldest) {
  env.files.folders.insert(L"C:\\Users\\user\\AppData\\Local\\도움터");
  env.files.folders.insert(kFolder);
  for (int day = 1; day <= 30; ++day)
    env.files
        .files[kFolder + L"\\200901" + (day < 10 ? L"0" : L"") + std::to_wstring(day) + L"_080000_000 복원.reg"] = {};
  env.files.files[kFolder + L"\\내 메모.reg"] = {};
  env.messages.answers = {Answer::Yes};
  btnReDelDB_MouseDown(env.services(), profile, 1, 1);
  const auto left = snapshots();
  EXPECT_EQ(left.size(), 31u);  // thirty snapshots and the user's own file
  EXPECT_EQ(std::count(left.begin(), left.end(), L"20090101_080000_000 복원.reg"), 0);
  EXPECT_EQ(std::count(left.begin(), left.end(), L"20090305_140533_120 000001 전체삭제.reg"), 1);
  EXPECT_EQ(std::count(left.begin(), left.end(), L"내 메모.reg"), 1);
}

TEST_F(SnapshotFlow, RestoreSavesEveryApplicationOfTheFileFirst) {
  env.files.files[L"C:\\Prog\\DBS\\환경설정_1.mdb"].content = testing::backupFile(L"h", {{L"&", L"VeltoBook"},
                                                                                         {L"#", L"DB"},
                                                                                         {L"Path", L"D:\\new"},
                                                                                         {L"&", L"Neighbour"},
                                                                                         {L"#", L"S"},
                                                                                         {L"N", L"W"},
                                                                                         {L"&", L"Brand New"},
                                                                                         {L"#", L"S"},
                                                                                         {L"N", L"X"},
                                                                                         {L"&", L"veltobook"}});
  // Every area the file names is removed on import, the one that did not
  // exist yet included; those that existed are written back.
  RegExport expected{{settingsAreaExportPath(L"VeltoBook"), settingsAreaExportPath(L"Neighbour"),
                      settingsAreaExportPath(L"Brand New")},
                     readSettingsArea(env.registry, L"VeltoBook")};
  const auto neighbour = readSettingsArea(env.registry, L"Neighbour");
  expected.keys.insert(expected.keys.end(), neighbour.begin(), neighbour.end());

  btnRegBackup_Click(env.services(), profile, L"환경설정_1.mdb");
  EXPECT_EQ(env.setting(L"VeltoBook", L"DB", L"Path"), L"D:\\new");
  EXPECT_EQ(env.setting(L"Neighbour", L"S", L"N"), L"W");
  ASSERT_EQ(snapshots(), std::vector<std::wstring>{L"20090305_140533_120 000001 환경설정복원.reg"});
  EXPECT_EQ(snapshotContent(snapshots()[0]), expected);
  EXPECT_EQ(env.messages.shown.back().text, L"환경설정 복원이 완료되었습니다.   ");
}

TEST_F(SnapshotFlow, RestoreStopsWhenItsSnapshotCannotBeWritten) {
  env.files.files[L"C:\\Prog\\DBS\\환경설정_1.mdb"].content =
      testing::backupFile(L"h", {{L"&", L"VeltoBook"}, {L"#", L"DB"}, {L"Path", L"D:\\new"}});
  env.files.readOnlyFolders.insert(L"C:\\Users\\user\\AppData\\Local");
  const auto before = registry();
  btnRegBackup_Click(env.services(), profile, L"환경설정_1.mdb");
  EXPECT_EQ(registry(), before);
  ASSERT_EQ(env.messages.shown.size(), 2u);  // the guard's reminder, then the refusal
  EXPECT_EQ(env.messages.shown[1].icon, MsgIcon::Exclamation);
  EXPECT_EQ(env.messages.shown[1].text.rfind(L"설정을 바꾸기 전에", 0), 0u);
}

}  // namespace
}  // namespace doumteo
