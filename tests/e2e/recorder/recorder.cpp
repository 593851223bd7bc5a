// Stands in for an outside program that doumteo.exe starts. Appends one line
// "<own exe file name>|<command line>|<current folder>" (UTF-8) to the file
// named by DOUMTEO_RECORD_FILE and exits 0, so a test can see how it was run.
#include <windows.h>

#include <string>

namespace {

std::string toUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring ownFileName() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring currentFolder() {
  std::wstring dir(32768, L'\0');
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(dir.size()), dir.data());
  dir.resize(n);
  return dir;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t target[32768];
  DWORD n = GetEnvironmentVariableW(L"DOUMTEO_RECORD_FILE", target, 32768);
  if (n == 0 || n >= 32768) return 0;

  std::string line = toUtf8(ownFileName() + L"|" + GetCommandLineW() + L"|" + currentFolder()) + "\n";

  // Several recorders may run at once: retry while another one holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileW(target, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
      return 0;
    }
    Sleep(10);
  }
  return 0;
}
