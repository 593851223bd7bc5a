#include "app/db_check.h"

#include "build_config.h"
#include "common/messages.h"
#include "common/web_addresses.h"
#include "platform/ansi.h"

namespace doumteo {

namespace {

constexpr wchar_t kDbPassword[] = L"qz4817";
constexpr long kConnectionTimeoutSeconds = 30;
constexpr long kAdUseClient = 3;
constexpr std::size_t kMdacBufferLength = 255;

std::wstring mdacQuestion(const std::wstring& version) {
  return L"MDAC(Microsoft Data Access Components)가 설치 되어 있지 않거나 버전이 낮습니다.(현재Ver:" + version + L")" +
         kCrLf + build::kMdacWhere + L"에서 다운로드하여 설치하세요." + kCrLf + L"지금 다운로드 하시겠습니까?";
}

}  // namespace

std::wstring productConnectionString(const std::wstring& dbFile) {
  return L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dbFile + L";Jet OLEDB:Database Password=" + kDbPassword;
}

bool OpenProductDb(const Services& services, DbState& state, const std::wstring& dbFile,
                   const std::wstring& tableName) {
  try {
    state.lastDbFile = dbFile;
    state.lastDbTable = tableName;
    state.dbConnection = services.database.createConnection();
    DbConnection& connection = *state.dbConnection;
    connection.setConnectionString(productConnectionString(dbFile));
    connection.setConnectionTimeout(kConnectionTimeoutSeconds);
    connection.setCursorLocation(kAdUseClient);
    connection.open();
    connection.executeAndClose(L"SELECT * FROM " + tableName);
    return true;
  } catch (const Failure&) {
    // Missing components, wrong password, missing file or table: the user
    // can do the same about all of them, so they get the same message.
    showPlain(services.messages, kMdacMissingMessage);
    return false;
  }
}

double versionNumber(std::wstring_view version) {
  const std::wstring_view head = version.substr(0, 3);
  double value = 0;
  double scale = 0;  // 0 before the decimal point, then 0.1, 0.01, ...
  for (const wchar_t c : head) {
    if (c >= L'0' && c <= L'9') {
      const int digit = c - L'0';
      if (scale == 0) {
        value = value * 10 + digit;
      } else {
        value += digit * scale;
        scale /= 10;
      }
    } else if (c == L'.' && scale == 0) {
      scale = 0.1;
    } else {
      break;
    }
  }
  return value;
}

bool CheckMdac(const Services& services, const ProductProfile& profile) {
  const std::wstring version = ReadMdacVersion(services.registry);
  if (versionNumber(version) >= 2.0) return true;
  if (services.settings.get(profile.currentRegiProgram, L"Config", L"MDAC_SKIP", L"") == L"1") return true;
  const Answer answer =
      services.messages.show({mdacQuestion(version), kMdacQuestionTitle, MsgButtons::YesNo, MsgIcon::Question, false});
  if (answer == Answer::Yes) services.shell.shellOpen(mdacDownloadAddress(), L"0", L"0");
  return false;
}

std::wstring ReadMdacVersion(RegistryApi& api) {
  std::wstring buffer(kMdacBufferLength, L' ');
  if (!ReadMachineString(api, L"Software\\Microsoft\\DataAccess", L"FullInstallVer", buffer)) return L"";
  return buffer.substr(0, buffer.find(L'\0'));
}

bool ReadMachineString(RegistryApi& api, const std::wstring& keyPath, const std::wstring& valueName,
                       std::wstring& buffer) {
  RegHandle key = 0;
  if (api.openKey(reg::kHkeyLocalMachine, toAnsi(keyPath), reg::kKeyQueryValue, key) != reg::kSuccess) return false;
  const RegKey closer(api, key);
  std::string bytes = toAnsi(buffer);
  std::uint32_t type = reg::kSz;
  auto size = static_cast<std::uint32_t>(bytes.size());
  if (api.queryValue(key, toAnsi(valueName), &type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size) !=
      reg::kSuccess)
    return false;
  buffer = fromAnsi(bytes);
  return true;
}

void btnADO_Click(const Services& services, const ProductProfile& profile, DbState& state) {
  // Both checks always run, so the user hears about every missing part at once.
  const bool opened = OpenProductDb(services, state, profile.backupDbPath + profile.dbName, profile.dbTable);
  const bool componentsOk = CheckMdac(services, profile);
  if (opened && componentsOk) {
    guardedStep(
        services.messages, [](const Failure& f) { return errorText(f, L"btnADO_Click", L"Form FrmMain"); },
        [&] { services.settings.save(build::kSharedSettings, L"MDAC_Check", L"CHECK_VALUE", L"YES"); });
    ShowInfo(services.messages, profile, kDbTestPassed);
  } else {
    ShowInfo(services.messages, profile, kDbTestFailed);
  }
}

}  // namespace doumteo
