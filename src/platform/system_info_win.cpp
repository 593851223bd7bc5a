#include "platform/system_info_win.h"

#include <wincrypt.h>

#include <vector>

#include "platform/dpi_win.h"
#include "platform/files_win.h"
#include "platform/handle_win.h"
#include "platform/system_error_win.h"

namespace doumteo {

namespace {

[[noreturn]] void failLast() {
  const DWORD code = GetLastError();
  throw Failure(static_cast<int>(code), systemErrorText(code));
}

template <class F>
F entry(HMODULE library, const char* name) {
  auto* address = GetProcAddress(library, name);
  if (!address) failLast();
  return reinterpret_cast<F>(reinterpret_cast<void*>(address));
}

LocalTime localTimeOf(const FILETIME& utc) {
  SYSTEMTIME u{}, local{};
  if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) failLast();
  return LocalTime{local.wYear, local.wMonth,  local.wDayOfWeek, local.wDay,
                   local.wHour, local.wMinute, local.wSecond,    local.wMilliseconds};
}

std::wstring fileVersion(const std::wstring& path) {
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  static HMODULE library = systemLibrary(L"version.dll");
  DWORD ignored = 0;
  const DWORD size = entry<SizeFn>(library, "GetFileVersionInfoSizeW")(path.c_str(), &ignored);
  if (size == 0) return L"";  // no version resource
  std::vector<BYTE> data(size);
  if (!entry<InfoFn>(library, "GetFileVersionInfoW")(path.c_str(), 0, size, data.data())) failLast();
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!entry<QueryFn>(library, "VerQueryValueW")(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof(VS_FIXEDFILEINFO))
    return L"";
  return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
         L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
         std::to_wstring(LOWORD(fixed->dwFileVersionLS));
}

}  // namespace

HMODULE systemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) failLast();
  HMODULE library = LoadLibraryW((std::wstring(folder, n) + L"\\" + name).c_str());
  if (!library) failLast();
  return library;
}

std::wstring Win32SystemInfo::executablePath() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0) failLast();
  path.resize(n);
  return path;
}

bool Win32SystemInfo::is64BitProcess() { return sizeof(void*) == 8; }

bool Win32SystemInfo::is64BitWindows() {
  if (sizeof(void*) == 8) return true;
  BOOL wow = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow)) failLast();
  return wow != FALSE;
}

bool Win32SystemInfo::elevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) failLast();
  const UniqueHandle owner(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) failLast();
  return elevation.TokenIsElevated != 0;
}

ScreenFacts Win32SystemInfo::screen() {
  MONITORINFO info{sizeof info, {}, {}, 0};
  if (!GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &info)) failLast();
  return ScreenFacts{info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top,
                     dpi::forWindow(window_)};
}

unsigned Win32SystemInfo::ansiCodePage() { return GetACP(); }

TimeZoneFacts Win32SystemInfo::timeZone() {
  TIME_ZONE_INFORMATION zone{};
  const DWORD which = GetTimeZoneInformation(&zone);
  if (which == TIME_ZONE_ID_INVALID) failLast();
  const bool daylight = which == TIME_ZONE_ID_DAYLIGHT;
  const LONG bias = zone.Bias + (daylight ? zone.DaylightBias : zone.StandardBias);
  return TimeZoneFacts{daylight ? zone.DaylightName : zone.StandardName, static_cast<int>(-bias)};
}

std::optional<FileFacts> Win32SystemInfo::file(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    throw fileFailure(code);
  }
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  FileFacts facts;
  facts.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  facts.changed = localTimeOf(data.ftLastWriteTime);
  facts.version = fileVersion(path);
  return facts;
}

std::wstring Win32SystemInfo::signer(const std::wstring& path) {
  using QueryFn = BOOL(WINAPI*)(DWORD, const void*, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD*, HCERTSTORE*,
                                HCRYPTMSG*, const void**);
  using ParamFn = BOOL(WINAPI*)(HCRYPTMSG, DWORD, DWORD, void*, DWORD*);
  using FindFn = PCCERT_CONTEXT(WINAPI*)(HCERTSTORE, DWORD, DWORD, DWORD, const void*, PCCERT_CONTEXT);
  using NameFn = DWORD(WINAPI*)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD);
  using FreeCertFn = BOOL(WINAPI*)(PCCERT_CONTEXT);
  using CloseStoreFn = BOOL(WINAPI*)(HCERTSTORE, DWORD);
  using CloseMsgFn = BOOL(WINAPI*)(HCRYPTMSG);
  static HMODULE library = systemLibrary(L"crypt32.dll");
  HCERTSTORE store = nullptr;
  HCRYPTMSG message = nullptr;
  DWORD encoding = 0, content = 0, format = 0;
  // A file without an embedded signature is simply unsigned.
  if (!entry<QueryFn>(library, "CryptQueryObject")(
          CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, &content, &format, &store, &message, nullptr))
    return L"";
  const auto closeStore = entry<CloseStoreFn>(library, "CertCloseStore");
  const auto closeMessage = entry<CloseMsgFn>(library, "CryptMsgClose");
  struct Closer {
    HCERTSTORE store;
    HCRYPTMSG message;
    CloseStoreFn closeStore;
    CloseMsgFn closeMessage;
    ~Closer() {
      if (message) closeMessage(message);
      if (store) closeStore(store, 0);
    }
  } const closer{store, message, closeStore, closeMessage};
  const auto param = entry<ParamFn>(library, "CryptMsgGetParam");
  DWORD size = 0;
  if (!param(message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size)) return L"";
  std::vector<BYTE> bytes(size);
  if (!param(message, CMSG_SIGNER_INFO_PARAM, 0, bytes.data(), &size)) return L"";
  const auto* info = reinterpret_cast<const CMSG_SIGNER_INFO*>(bytes.data());
  CERT_INFO wanted{};
  wanted.Issuer = info->Issuer;
  wanted.SerialNumber = info->SerialNumber;
  const PCCERT_CONTEXT cert = entry<FindFn>(library, "CertFindCertificateInStore")(
      store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr);
  if (!cert) return L"";
  const auto name = entry<NameFn>(library, "CertGetNameStringW");
  wchar_t text[512] = {};
  name(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, text, 512);
  entry<FreeCertFn>(library, "CertFreeCertificateContext")(cert);
  return text;
}

}  // namespace doumteo
