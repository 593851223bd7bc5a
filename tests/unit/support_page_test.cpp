#include <gtest/gtest.h>

#include "app/support_page.h"
#include "build_config.h"
#include "common/action_record.h"
#include "fakes/fakes.h"

#include <map>

namespace doumteo {
namespace {

class FakeSystemInfo final : public SystemInfoPort {
 public:
  std::wstring executablePath() override { return L"C:\\Product\\doumteo.exe"; }
  bool is64BitProcess() override { return false; }
  bool is64BitWindows() override { return true; }
  bool elevated() override { throw Failure(5, L"Access is denied."); }
  ScreenFacts screen() override { return {2560, 1440, 144}; }
  unsigned ansiCodePage() override { return 949; }
  TimeZoneFacts timeZone() override { return {L"대한민국 표준시", 540}; }
  std::optional<FileFacts> file(const std::wstring& path) override {
    if (auto it = files.find(path); it != files.end()) return it->second;
    return std::nullopt;
  }
  std::wstring signer(const std::wstring&) override { return L"벨토소프트"; }
  std::map<std::wstring, FileFacts> files;
};

// The value after a label, up to the end of its line.
std::wstring valueOf(const std::wstring& page, const std::wstring& label) {
  const auto at = page.find(L"  " + label + L" ");
  if (at == std::wstring::npos) return L"(no " + label + L")";
  const auto start = page.find_first_not_of(L' ', at + 2 + label.size());
  return page.substr(start, page.find(L"\r\n", start) - start);
}

TEST(SupportPage, NamesWhatTheAgentAsksForAndSaysInPlaceWhatCannotBeRead) {
  fakes::FakeEnv env;
  FakeSystemInfo system;
  const LocalTime changed{2024, 1, 2, 3, 4, 5, 6, 0};
  system.files[L"C:\\Product\\doumteo.exe"] = {1000, changed, L"1.0.58.0"};
  system.files[L"D:\\자료\\dbMain.mdb"] = {1234567, changed, L""};
  system.files[L"C:\\Product\\DBS\\환경설정_20240106_0900.mdb"] = {10, changed, L""};
  for (const wchar_t* name : {L"환경설정_20240105_1230.mdb", L"환경설정_20240106_0900.mdb"})
    env.files.files[std::wstring(L"C:\\Product\\DBS\\") + name] = {};
  const std::wstring points = env.files.localAppData + L"\\도움터\\복원지점\\";
  env.files.files[points + L"20240101_000000_000 000009 전체삭제.reg"] = {};
  env.files.files[points + L"20231231_000000_000 000010 선택삭제.reg"] = {};
  env.registry.putText(reg::kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                       "Windows 10 Pro");
  env.registry.putText(reg::kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentBuild",
                       "22631");
  env.registry.putRaw(reg::kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "UBR", reg::kDword,
                      {0x2D, 0x0B, 0, 0});  // 2861
  ProductProfile profile;
  profile.programName = L"벨토 가계부";
  profile.exeFile = L"Velto.exe";
  profile.backupDbPath = L"D:\\자료\\";
  profile.dbName = L"dbMain.mdb";
  env.processes.processes = std::nullopt;

  const std::wstring page = supportPageText(env.services(), system, profile, {L"둘째 줄", L"첫째 줄"});
  EXPECT_EQ(valueOf(page, L"버전"), L"1.0.58.0 (32비트 빌드)") << page.size();
  EXPECT_EQ(valueOf(page, L"만든 곳"), build::kCompany);
  EXPECT_EQ(valueOf(page, L"서명"), L"서명됨: 벨토소프트");
  EXPECT_EQ(valueOf(page, L"제품"), L"Windows 11 Pro");
  EXPECT_EQ(valueOf(page, L"빌드"), L"22631.2861");
  EXPECT_EQ(valueOf(page, L"종류"), L"64비트 Windows");
  EXPECT_EQ(valueOf(page, L"관리자 권한으로 실행"), L"읽을 수 없음: Error 5: Access is denied.");
  EXPECT_EQ(valueOf(page, L"화면"), L"2560 × 1440, 144 DPI (150%)");
  EXPECT_EQ(valueOf(page, L"표준 시간대"), L"대한민국 표준시 (UTC+09:00)");
  EXPECT_EQ(valueOf(page, L"지금 PC의 날짜와 시간"), L"2009-03-05 14:05:33");
  EXPECT_EQ(valueOf(page, L"실행 파일"), L"C:\\Product\\Velto.exe (없음)");
  EXPECT_EQ(valueOf(page, L"설치 파일 주소"), L"없음");
  EXPECT_EQ(valueOf(page, L"지금 실행 중"), L"읽을 수 없음: 실행 중인 프로그램 목록을 얻지 못했습니다");
  EXPECT_EQ(valueOf(page, L"경로"), L"D:\\자료\\dbMain.mdb");
  EXPECT_EQ(valueOf(page, L"파일"), L"있음, 1,234,567 바이트, 바뀐 때 2024-01-03 04:05:06");
  EXPECT_EQ(valueOf(page, L"환경설정 백업"), L"2개 (C:\\Product\\DBS\\)");
  EXPECT_EQ(valueOf(page, L"가장 새 백업"), L"환경설정_20240106_0900.mdb, 2024-01-03 04:05:06");
  // Ordered by the number of their writing, not by the date in the name.
  EXPECT_EQ(valueOf(page, L"개수"), L"2개");
  EXPECT_EQ(valueOf(page, L"가장 새 것"), L"2023-12-31 00:00:00, 선택 삭제, 쓸 수 없는 파일");
  EXPECT_NE(page.find(L"[최근 작업]\r\n  둘째 줄\r\n  첫째 줄\r\n"), std::wstring::npos);
  std::vector<std::wstring> sections;
  for (std::size_t at = 0; at < page.size(); at = page.find(L"\r\n", at) + 2)
    if (page[at] == L'[') sections.push_back(page.substr(at, page.find(L"\r\n", at) - at));
  EXPECT_EQ(sections, (std::vector<std::wstring>{L"[도움터]", L"[Windows]", L"[제품]", L"[데이터베이스]", L"[백업]",
                                                 L"[복원 지점]", L"[최근 작업]"}));
  // The values stand in one column of a fixed-pitch font, Hangul two wide.
  EXPECT_NE(page.find(L"\r\n  ANSI 코드 페이지" + std::wstring(10, L' ') + L"949\r\n"), std::wstring::npos);
  EXPECT_EQ(page.find(L'\n'), page.find(L"\r\n") + 1);
}

TEST(SupportPage, NamesOfWindowsOffsetsNumbersAndTheSavedFile) {
  EXPECT_EQ(windowsProductName(L"Microsoft Windows 10 Home", L"22H2", L"19045", L""), L"Windows 10 Home 22H2");
  EXPECT_EQ(windowsProductName(L"Windows 10 Pro", L"23H2", L"22000", L""), L"Windows 11 Pro 23H2");
  EXPECT_EQ(windowsProductName(L"Windows 7 Professional", L"", L"7601", L"Service Pack 1"),
            L"Windows 7 Professional Service Pack 1");
  EXPECT_EQ(windowsProductName(L"", L"", L"", L""), L"Windows");
  EXPECT_EQ(utcOffsetText(0), L"+00:00");
  EXPECT_EQ(utcOffsetText(-210), L"-03:30");
  EXPECT_EQ(utcOffsetText(765), L"+12:45");
  EXPECT_EQ(utcOffsetText(600), L"+10:00");
  EXPECT_EQ(groupedNumber(0), L"0");
  EXPECT_EQ(groupedNumber(999), L"999");
  EXPECT_EQ(groupedNumber(1000), L"1,000");
  EXPECT_EQ(groupedNumber(123456789), L"123,456,789");
  EXPECT_EQ(supportFileName({2026, 1, 0, 2, 3, 4, 5, 0}), L"도움터 지원정보 20260102_030405.txt");
  EXPECT_EQ(supportFileBytes(L"가\r\n"), "\xEF\xBB\xBF\xEA\xB0\x80\r\n");
}

}  // namespace
}  // namespace doumteo
