#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry/settings_area.h"
#include "registry/snapshot.h"

namespace doumteo {
namespace {

const std::wstring kRoot = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";
const std::wstring kArea = kRoot + L"\\벨토장부";
const std::wstring kHead = L"Windows Registry Editor Version 5.00\r\n\r\n";
// A valid start: the area is removed, then its key begins.
const std::wstring kOpen = kHead + L"[-" + kArea + L"]\r\n\r\n[" + kArea + L"]\r\n";

std::vector<std::uint8_t> sz(const std::wstring& text) {
  auto bytes = utf16le(text);
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

TEST(SnapshotReader, TakesBackWhatTheExportWrites) {
  std::vector<std::uint8_t> blob(200);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 13);
  const std::wstring second = kRoot + L"\\새 제품";
  const RegExport content{{kArea, second, kRoot + L"\\없던 제품"},
                          {{kArea, {{L"", reg::kSz, sz(L"기본값")}}},
                           {kArea + L"\\환경설정",
                            {{L"경로 \"따옴표\"", reg::kSz, sz(L"C:\\자료\\ \"인용\" 끝\\")},
                             {L"역\\슬래시", reg::kSz, sz(L"")},
                             {L"숫자", reg::kDword, {0x78, 0x56, 0x34, 0x12}},
                             {L"짧은 숫자", reg::kDword, {1, 2}},
                             {L"이진", reg::kBinary, blob},
                             {L"확장", reg::kExpandSz, sz(L"%LOCALAPPDATA%\\벨토")},
                             {L"여러 줄", reg::kMultiSz, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}},
                             {L"줄바꿈", reg::kSz, sz(L"첫째\r\n둘째")},
                             {L"끝없음", reg::kSz, {0x61, 0}},
                             {L"없음", reg::kNone, {}},
                             {L"큰 수", reg::kQword, {1, 2, 3, 4, 5, 6, 7, 8}}}},
                           {kArea + L"\\환경설정\\하위 [키]", {}},
                           {second, {{L"N", reg::kSz, sz(L"V")}}}}};
  const std::wstring text = exportText(content);
  const auto read = readSnapshotText(text);
  EXPECT_EQ(read.refusal, L"");
  EXPECT_EQ(read.content, content);
  EXPECT_EQ(readSnapshotFile(regFileBytes(text)).content, content);
  EXPECT_EQ(snapshotApplications(content), (std::vector<std::wstring>{L"벨토장부", L"새 제품", L"없던 제품"}));

  // The root in other letter case is the same key; the content names it as
  // the export does.
  const auto folded =
      readSnapshotText(kHead + L"[-hkey_current_user\\software\\vb and vba program settings\\A]\r\n\r\n" +
                       L"[HKEY_CURRENT_USER\\SOFTWARE\\VB AND VBA PROGRAM SETTINGS\\A]\r\n\r\n");
  ASSERT_TRUE(folded.content) << folded.refusal;
  EXPECT_EQ(folded.content->removed, std::vector<std::wstring>{kRoot + L"\\A"});
  EXPECT_EQ(folded.content->keys[0].path, kRoot + L"\\A");
}

TEST(SnapshotReader, RefusesEveryFileThatStepsOutside) {
  struct Case {
    const char* what;
    std::wstring text;
    std::wstring reason;  // a part of the refusal
  };
  const std::wstring outside = L"설정 영역 밖의 키입니다";
  const std::vector<Case> cases{
      {"another hive", kHead + L"[-HKEY_LOCAL_MACHINE\\Software\\VB and VBA Program Settings\\A]\r\n\r\n", outside},
      {"the short name of the hive", kHead + L"[-HKCU\\Software\\VB and VBA Program Settings\\A]\r\n\r\n", outside},
      {"a key elsewhere in the user's hive", kOpen + L"\r\n[HKEY_CURRENT_USER\\Software\\Evil]\r\n\r\n", outside},
      {"the settings root itself", kHead + L"[-" + kRoot + L"]\r\n\r\n", outside},
      {"a level up", kOpen + L"\r\n[" + kArea + L"\\..\\..\\Evil]\r\n\r\n", outside},
      {"an area named ..", kHead + L"[-" + kRoot + L"\\..]\r\n\r\n", outside},
      {"an empty key name", kOpen + L"\r\n[" + kArea + L"\\\\x]\r\n\r\n", outside},
      {"a control character in a name", kOpen + L"\r\n[" + kArea + L"\\a\x01]\r\n\r\n", outside},
      {"a removal below an area", kHead + L"[-" + kArea + L"\\환경설정]\r\n\r\n", L"일부만 지우는"},
      {"a key of an area not removed", kOpen + L"\r\n[" + kRoot + L"\\Other]\r\n\r\n", L"먼저 지우지 않은"},
      {"a key before its parent", kOpen + L"\r\n[" + kArea + L"\\a\\b]\r\n\r\n", L"상위 키보다 먼저"},
      {"a removal after the keys", kOpen + L"\r\n[-" + kRoot + L"\\B]\r\n\r\n", L"키 뒤에"},
      {"the same key twice", kOpen + L"\r\n[" + kRoot + L"\\벨토장부]\r\n\r\n", L"같은 키"},
      {"the same value twice", kOpen + L"\"a\"=\"1\"\r\n\"A\"=\"2\"\r\n\r\n", L"같은 값"},
      {"a value after a removal", kHead + L"[-" + kArea + L"]\r\n\"a\"=\"1\"\r\n\r\n", L"지우는 줄 다음"},
      {"a value before any key", kHead + L"\"a\"=\"1\"\r\n\r\n", L"키 줄의 형식"},
      {"a deleted value", kOpen + L"\"a\"=-\r\n\r\n", L"값의 형식을 알 수 없습니다"},
      {"an escape other than \\\\ and \\\"", kOpen + L"\"a\"=\"C:\\n\"\r\n\r\n", L"역슬래시"},
      {"an unclosed quote", kOpen + L"\"a\"=\"open\r\n\r\n", L"닫는 따옴표가 없습니다"},
      {"text after the closing quote", kOpen + L"\"a\"=\"x\"y\r\n\r\n", L"닫는 따옴표 뒤"},
      {"an empty quoted name", kOpen + L"\"\"=\"x\"\r\n\r\n", L"값의 이름"},
      {"a dword of seven digits", kOpen + L"\"a\"=dword:1234567\r\n\r\n", L"여덟 자리"},
      {"a hex byte of one digit", kOpen + L"\"a\"=hex:1,ff\r\n\r\n", L"16진수"},
      {"blanks in hex data", kOpen + L"\"a\"=hex:01, ff\r\n\r\n", L"16진수"},
      {"a link value", kOpen + L"\"a\"=hex(6):41,00\r\n\r\n", L"둘 수 없는 종류의 값입니다: hex(6)"},
      // Read in any base but 16, a7ffda91 could wrap round to a type an area holds.
      {"a type of eight digits", kOpen + L"\"a\"=hex(a7ffda91):00\r\n\r\n",
       L"둘 수 없는 종류의 값입니다: hex(a7ffda91)"},
      {"a hardware list", kOpen + L"\"a\"=hex(8):00\r\n\r\n", L"둘 수 없는 종류"},
      {"hex data going on without its comma", kOpen + L"\"a\"=hex:01\\\r\n  ,02\r\n\r\n", L"16진수"},
      {"hex data that goes on nowhere", kOpen + L"\"a\"=hex:01,\\\r\n\r\n", L"이어지는"},
      {"a comment", kOpen + L"; added by hand\r\n\r\n", L"값 줄의 형식"},
      {"a missing header", L"[-" + kArea + L"]\r\n\r\n", L"첫 줄이"},
      {"the old header", L"REGEDIT4\r\n\r\n[-" + kArea + L"]\r\n\r\n", L"첫 줄이"},
      {"no area at all", kHead, L"되돌릴 설정 영역이 없습니다"},
      {"a file cut inside a line", kOpen + L"\"a\"=\"x", L"끝까지 저장되지 않았습니다"},
      {"a file cut at the end of a line", kOpen + L"\"a\"=\"x\"\r\n", L"끝까지 저장되지 않았습니다"},
      {"a bare line feed", kOpen + L"\"a\"=\"x\"\n\r\n", L"CR LF"},
      {"a NUL character", kOpen + std::wstring(L"\"a\"=\"x\0\"\r\n\r\n", 14), L"널 문자"},
  };
  for (const auto& c : cases) {
    const auto read = readSnapshotText(c.text);
    EXPECT_FALSE(read.content) << c.what;
    EXPECT_NE(read.refusal.find(c.reason), std::wstring::npos) << c.what << ": " << read.refusal.size();
  }
}

TEST(SnapshotReader, RefusesFilesThatAreNotItsOwnAndNamesTheLine) {
  const std::wstring text = kOpen + L"\"a\"=\"1\"\r\n\r\n";
  const std::string good = regFileBytes(text);
  ASSERT_TRUE(readSnapshotFile(good).content);

  std::string utf8 = "Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n\r\n";
  EXPECT_FALSE(readSnapshotFile(utf8).content) << "UTF-8";
  EXPECT_FALSE(readSnapshotFile("\xEF\xBB\xBF" + utf8).content) << "UTF-8 with its mark";
  std::string bigEndian = "\xFE\xFF";
  for (std::size_t i = 2; i < good.size(); i += 2) bigEndian += {good[i + 1], good[i]};
  EXPECT_FALSE(readSnapshotFile(bigEndian).content) << "UTF-16BE";
  const auto odd = readSnapshotFile(good.substr(0, good.size() - 1));
  EXPECT_FALSE(odd.content);
  EXPECT_EQ(odd.refusal, L"파일이 끝까지 저장되지 않았습니다");

  // Larger than the limit: refused on its size, whatever it holds.
  std::string huge = good;
  huge.resize(kSnapshotFileLimit + 2, '\0');
  EXPECT_EQ(readSnapshotFile(huge).refusal, L"파일이 64 MB보다 큽니다");

  const auto tampered = readSnapshotText(kOpen + L"\"a\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Evil]\r\n\r\n");
  EXPECT_EQ(tampered.line, 8u);
  EXPECT_EQ(tampered.refusal, L"설정 영역 밖의 키입니다: HKEY_CURRENT_USER\\Software\\Evil");
}

// A tree Windows cannot hold is refused whole before the undo removes the
// area: 512 levels below HKEY_CURRENT_USER, a key path of 32,766 characters.
TEST(SnapshotReader, RefusesATreeWindowsCannotHold) {
  auto chain = [](std::size_t levels, const std::wstring& name) {
    std::wstring text = kOpen + L"\r\n", path = kArea;
    for (std::size_t i = 0; i < levels; ++i) text += L"[" + (path += L"\\" + name) + L"]\r\n\r\n";
    return readSnapshotText(text);
  };
  // Software, the settings root and the area are three levels of their own.
  EXPECT_TRUE(chain(509, L"k").content);
  const auto deep = chain(510, L"k");
  EXPECT_FALSE(deep.content);
  EXPECT_EQ(deep.refusal.rfind(L"Windows의 레지스트리에 둘 수 없을 만큼 깊은 키입니다 (512단계 초과): ", 0), 0u);
  EXPECT_EQ(deep.line, 5 + 2 * 510u);
  // Below HKEY_CURRENT_USER\: 41 characters for the area, 256 a level.
  EXPECT_TRUE(chain(127, std::wstring(255, L'k')).content);
  const auto longPath = chain(128, std::wstring(255, L'k'));
  EXPECT_FALSE(longPath.content);
  EXPECT_EQ(longPath.refusal.rfind(L"Windows의 레지스트리에 둘 수 없을 만큼 긴 키 경로입니다 (32,766자 초과): ", 0),
            0u);
}

}  // namespace
}  // namespace doumteo
