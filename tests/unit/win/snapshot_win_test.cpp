#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ansi.h"
#include "platform/handle_win.h"
#include "platform/registry_api_win.h"
#include "platform/settings_store.h"
#include "registry/snapshot.h"

namespace doumteo {
namespace {

// A settings area of its own, removed before and after.
class SnapshotImport : public ::testing::Test {
 protected:
  const std::wstring app = L"도움터시험 스냅샷";
  const std::wstring other = L"도움터시험 새것";
  SnapshotImport() { clear(); }
  ~SnapshotImport() override { clear(); }
  void clear() {
    for (const auto& name : {app, other}) {
      try {
        store.deleteApp(name);
      } catch (const Failure&) {
      }
    }
  }
  void put(const std::wstring& section, const std::wstring& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data) {
    RegHandle h = 0;
    const std::string path = toAnsi(std::wstring(L"Software\\VB and VBA Program Settings\\") + app + section);
    ASSERT_EQ(api.createKey(reg::kHkeyCurrentUser, path, h), 0);
    const std::string ansiName = toAnsi(name);
    api.setValue(h, name.empty() ? std::nullopt : std::optional<std::string>(ansiName), type, data.data(),
                 static_cast<std::uint32_t>(data.size()));
    api.closeKey(h);
  }
  void putText(const std::wstring& section, const std::wstring& name, const std::wstring& text,
               std::uint32_t type = reg::kSz) {
    const std::string bytes = toAnsi(text);
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    data.push_back(0);
    if (type == reg::kMultiSz) data.push_back(0);
    put(section, name, type, data);
  }

  Win32RegistryApi api;
  RegistrySettingsStore store{api};
};

std::wstring tempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

DWORD run(std::wstring commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return GetLastError() | 0x80000000u;
  const UniqueHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  return code;
}

TEST_F(SnapshotImport, RegImportOfTheSnapshotPutsTheAreasBackExactly) {
  // The Korean names below must cross the ANSI calls as themselves.
  ASSERT_EQ(GetACP(), 949u);
  std::vector<std::uint8_t> blob(300);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<std::uint8_t>(i * 7);
  putText(L"\\환경설정", L"경로", L"C:\\데이터\\\"db\".mdb");
  putText(L"\\환경설정", L"빈값", L"");
  putText(L"\\환경설정", L"", L"기본값");
  putText(L"\\환경설정", L"따옴표 \"이름\" \\", L"x");
  putText(L"\\환경설정", L"줄바꿈", L"첫째\r\n둘째");
  putText(L"\\환경설정", L"확장", L"%TEMP%\\a", reg::kExpandSz);
  putText(L"\\환경설정", L"목록", std::wstring(L"가\0나", 3), reg::kMultiSz);
  put(L"\\환경설정", L"수", reg::kDword, {0x2a, 0, 0, 0x80});
  put(L"\\환경설정", L"덩어리", reg::kBinary, blob);
  putText(L"\\환경설정\\하위", L"N", L"V");
  putText(L"\\빈 구역", L"", L"");

  const auto before = readSettingsArea(api, app);
  ASSERT_EQ(before.size(), 4u);
  std::size_t values = 0;
  for (const auto& key : before) values += key.values.size();
  ASSERT_EQ(values, 11u);
  // The snapshot of a restore that may also create a second area.
  const std::wstring file = tempFile(L"도움터-스냅샷-시험.reg");
  {
    const UniqueHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(h.get(), INVALID_HANDLE_VALUE);
    const std::string bytes =
        regFileBytes(exportText({{settingsAreaExportPath(app), settingsAreaExportPath(other)}, before}));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  const std::wstring import = L"reg.exe import \"" + file + L"\"";

  // After a full wipe.
  store.deleteApp(app);
  ASSERT_TRUE(readSettingsArea(api, app).empty());
  EXPECT_EQ(run(import), 0u);
  EXPECT_EQ(readSettingsArea(api, app), before);

  // After a restore that changed, added and created.
  putText(L"\\환경설정", L"경로", L"D:\\새곳");
  putText(L"\\환경설정", L"새값", L"1");
  putText(L"\\새 구역", L"N", L"V");
  store.save(other, L"S", L"N", L"V");
  EXPECT_EQ(run(import), 0u);
  EXPECT_EQ(readSettingsArea(api, app), before);
  EXPECT_TRUE(readSettingsArea(api, other).empty());
  DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace doumteo
