#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/ansi.h"
#include "platform/handle_win.h"
#include "platform/registry_api_win.h"
#include "registry/settings_store.h"
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
      // The ANSI calls cannot name a key outside the code page.
      RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\VB and VBA Program Settings\\" + name).c_str());
    }
  }
  void put(const std::wstring& section, const std::wstring& name, std::uint32_t type,
           const std::vector<std::uint8_t>& data) {
    RegHandle h = 0;
    const std::string path = toAnsi(std::wstring(L"Software\\VB and VBA Program Settings\\") + app + section);
    ASSERT_EQ(api.createKey(reg::kHkeyCurrentUser, path, h), 0);
    const RegKey key(api, h);
    const std::string ansiName = toAnsi(name);
    api.setValue(h, name.empty() ? std::nullopt : std::optional<std::string>(ansiName), type, data.data(),
                 static_cast<std::uint32_t>(data.size()));
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

struct WideValue {
  DWORD type = REG_SZ;
  std::vector<std::uint8_t> data;
  bool operator==(const WideValue&) const = default;
  friend void PrintTo(const WideValue& v, std::ostream* os) {
    *os << "type " << v.type << ":";
    for (auto b : v.data) *os << ' ' << std::hex << static_cast<int>(b) << std::dec;
  }
};

std::wstring settingsPath(const std::wstring& app, const std::wstring& section) {
  return L"Software\\VB and VBA Program Settings\\" + app + section;
}

void putWide(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  const UniqueKey key(h);
  EXPECT_EQ(RegSetValueExW(h, name.empty() ? nullptr : name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

std::optional<WideValue> getWide(const std::wstring& path, const std::wstring& name) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
  const UniqueKey key(h);
  WideValue v;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(h, name.empty() ? nullptr : name.c_str(), nullptr, &v.type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    v.data.resize(size);
    rc = RegQueryValueExW(h, name.empty() ? nullptr : name.c_str(), nullptr, &v.type, v.data.data(), &size);
    v.data.resize(size);
  }
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return v;
}

std::vector<std::uint8_t> bytesOf(const std::wstring& text, std::size_t nuls) {
  std::vector<std::uint8_t> out(reinterpret_cast<const std::uint8_t*>(text.data()),
                                reinterpret_cast<const std::uint8_t*>(text.data() + text.size()));
  out.insert(out.end(), nuls * 2, 0);
  return out;
}

TEST_F(SnapshotImport, NamesAndTextsOutsideTheAnsiCodePageComeBackExactly) {
  const std::wstring odd = L"Größe ✓ 😀";
  ASSERT_NE(fromAnsi(toAnsi(odd)), odd) << "the test needs text the ANSI code page cannot hold";
  const std::wstring section = L"\\키 " + odd;
  const std::wstring path = settingsPath(app, section);
  const std::vector<std::pair<std::wstring, WideValue>> values{
      {odd, {REG_SZ, bytesOf(odd, 1)}},
      {L"", {REG_SZ, bytesOf(L"기본 " + odd, 1)}},
      {L"확장 ✓", {REG_EXPAND_SZ, bytesOf(L"%TEMP%\\" + odd, 1)}},
      {L"목록 😀", {REG_MULTI_SZ, bytesOf(odd + std::wstring(1, L'\0') + L"둘째 ✓", 2)}},
      {L"줄 ✓", {REG_SZ, bytesOf(L"😀\r\n✓", 1)}},  // written as hex(1)
      {L"이진 ✓", {REG_BINARY, {0x3d, 0xd8, 0x00}}},
  };
  for (const auto& [name, v] : values) putWide(path, name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
  const std::wstring deeper = path + L"\\" + odd;
  putWide(deeper, L"N", REG_SZ, L"V", 4);

  const auto before = readSettingsArea(api, app);
  ASSERT_EQ(before.size(), 3u);
  EXPECT_EQ(before[1].path, settingsAreaExportPath(app) + section);
  EXPECT_EQ(before[2].path, settingsAreaExportPath(app) + section + L"\\" + odd);
  const std::wstring file = tempFile(L"도움터-스냅샷-넓은글자.reg");
  {
    const UniqueHandle h(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(h.get(), INVALID_HANDLE_VALUE);
    const std::string bytes = regFileBytes(exportText({{settingsAreaExportPath(app)}, before}));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }

  // The program's own delete goes through the ANSI calls, which cannot name
  // this section; the wide one stands in for it.
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, settingsPath(app, L"").c_str()), ERROR_SUCCESS);
  ASSERT_TRUE(readSettingsArea(api, app).empty());
  EXPECT_EQ(run(L"reg.exe import \"" + file + L"\""), 0u);
  for (const auto& [name, v] : values) {
    SCOPED_TRACE(toAnsi(name));
    EXPECT_EQ(getWide(path, name), v);
  }
  EXPECT_EQ(getWide(deeper, L"N"), (WideValue{REG_SZ, bytesOf(L"V", 1)}));
  EXPECT_EQ(readSettingsArea(api, app), before);
  DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace doumteo
