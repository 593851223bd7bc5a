// The driver's environment (set up by run-e2e.sh) and its text helpers.
#include "driver/driver.h"

#include <algorithm>

namespace e2e {

namespace {

Environment g_env;

std::wstring getEnv(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return n > 0 && n < 32768 ? std::wstring(buffer, n) : std::wstring();
}

// run-e2e.sh hands over Unix paths; Wine's Z: drive is the Unix root.
std::wstring unixToWindows(std::wstring path) {
  if (path.empty() || path[0] != L'/') return path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return L"Z:" + path;
}

}  // namespace

DriverError::DriverError(const std::wstring& what) : std::runtime_error(toUtf8(what)) {}

const Environment& environment() { return g_env; }

void initEnvironment() {
  g_env.binDir = unixToWindows(getEnv(L"E2E_BIN_DIR"));
  g_env.workDir = unixToWindows(getEnv(L"E2E_WORK_DIR"));
  g_env.shotsDir = unixToWindows(getEnv(L"E2E_SHOTS_DIR"));
  g_env.cRoot = getEnv(L"E2E_C_ROOT");
  g_env.dRoot = getEnv(L"E2E_D_ROOT");
  if (g_env.cRoot.empty()) g_env.cRoot = L"C:\\e2e";
  if (g_env.dRoot.empty()) g_env.dRoot = L"D:\\e2e";
  if (g_env.workDir.empty()) g_env.workDir = g_env.cRoot + L"\\work";
  if (g_env.shotsDir.empty()) g_env.shotsDir = g_env.workDir + L"\\shots";
  std::wstring dpi = getEnv(L"E2E_DPI");
  g_env.dpi = dpi.empty() ? 96 : _wtoi(dpi.c_str());
  makeFolders(g_env.workDir);
  makeFolders(g_env.shotsDir);
  makeFolders(g_env.cRoot);
  g_env.recordFile = g_env.workDir + L"\\record.log";
  std::wstring urls = getEnv(L"E2E_URL_FILE");
  g_env.urlFile = urls.empty() ? g_env.workDir + L"\\urls.log" : unixToWindows(urls);
  SetEnvironmentVariableW(L"DOUMTEO_RECORD_FILE", g_env.recordFile.c_str());
}

// ---- text ---------------------------------------------------------------------

std::wstring trimRight(std::wstring text) {
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
  return text;
}

std::wstring fromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string narrow(const std::wstring& text) { return toUtf8(text); }

}  // namespace e2e
