#pragma once
// modMain: the database connection test behind btnADO ("DB접속테스트") and
// the check of the installed data-access components.
#include <memory>
#include <string>
#include <string_view>

#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

// Kept by the main window between tests: the last connection stays open
// until the next test replaces it. Release it before COM is shut down.
struct DbState {
  std::unique_ptr<DbConnection> dbConnection;
  std::wstring lastDbFile;
  std::wstring lastDbTable;
};

inline constexpr wchar_t kMdacMissingMessage[] =
    L"프로그램을 구동하기 위한 필수구성요소가 설치되어있지 않습니다.(MDAC)";
inline constexpr wchar_t kDbTestPassed[] = L"DB접속테스트를 성공 하였습니다";
inline constexpr wchar_t kDbTestFailed[] = L"DB접속테스트를 실패 하였습니다";
inline constexpr wchar_t kMdacQuestionTitle[] = L"MDAC누락";

// The Jet connection string for the product database with its password.
std::wstring productConnectionString(const std::wstring& dbFile);

// Opens dbFile and reads tableName once. Any failure shows the one MDAC
// message (plain box, program title) and gives false.
bool OpenProductDb(const Services& services, DbState& state, const std::wstring& dbFile, const std::wstring& tableName);

// True when the components are 2.0 or newer, or the product's settings say to
// skip the check; otherwise offers the download and gives false.
bool CheckMdac(const Services& services, const ProductProfile& profile);

// "FullInstallVer" of the data-access components, or empty text.
std::wstring ReadMdacVersion(RegistryApi& api);

// Reads one string value under HKEY_LOCAL_MACHINE into buffer, whose length
// (in the ANSI code page) is the size offered: a longer value fails. On
// success buffer holds the bytes read, NUL and untouched filler included.
bool ReadMachineString(RegistryApi& api, const std::wstring& keyPath, const std::wstring& valueName,
                       std::wstring& buffer);

// The number that the first three characters of a version text begin with:
// digits with at most one decimal point; 0 when there is none.
double versionNumber(std::wstring_view version);

void btnADO_Click(const Services& services, const ProductProfile& profile, DbState& state);

}  // namespace doumteo
