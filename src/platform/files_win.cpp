#include "platform/files_win.h"

#include <shlobj.h>

#include <algorithm>

#include "platform/handle_win.h"

namespace doumteo {

namespace {

constexpr DWORD kHiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool isOrdinaryFile(DWORD attributes) { return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | kHiddenOrSystem)); }

bool meansNotThere(DWORD code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES;
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L"\\" + name;
}

[[noreturn]] void failLast() { throw fileFailure(GetLastError()); }

}  // namespace

Failure fileFailure(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return Failure(err::kFileNotFound, L"File not found");
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return Failure(err::kPathNotFound, L"Path not found");
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return Failure(err::kPermissionDenied, L"Permission denied");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return Failure(err::kBadFileName, L"Bad file name or number");
    case ERROR_NOT_READY:
      return Failure(err::kDiskNotReady, L"Disk not ready");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return Failure(err::kDiskFull, L"Disk full");
    default:  // ERROR_ALREADY_EXISTS and everything else
      return Failure(err::kPathFileAccess, L"Path/File access error");
  }
}

std::wstring Win32FileSystem::programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);  // truncated: try a larger buffer
  }
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool Win32FileSystem::exists(const std::wstring& path, bool includeFolders) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW data{};
  const HANDLE h = FindFirstFileW(path.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (meansNotThere(code)) return false;
    throw fileFailure(code);
  }
  const UniqueFind owner(h);
  do {
    const DWORD a = data.dwFileAttributes;
    if (isOrdinaryFile(a)) return true;
    if (includeFolders && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & kHiddenOrSystem)) return true;
  } while (FindNextFileW(h, &data));
  return false;
}

std::vector<std::wstring> Win32FileSystem::listFiles(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data{};
  const HANDLE h = FindFirstFileW(joinPath(folder, pattern).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return names;
  const UniqueFind owner(h);
  do {
    if (isOrdinaryFile(data.dwFileAttributes)) names.emplace_back(data.cFileName);
  } while (FindNextFileW(h, &data));
  return names;
}

void Win32FileSystem::copyFile(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) failLast();
}

void Win32FileSystem::createFolder(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return;
  // Wine says "file not found" for a folder on a drive that is not there;
  // what is missing is the path.
  const DWORD code = GetLastError();
  throw fileFailure(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code);
}

void Win32FileSystem::setCurrentFolder(const std::wstring& path) {
  if (SetCurrentDirectoryW(path.c_str())) return;
  // The system says "file not found" for a missing folder; for a folder that
  // is a missing path.
  const DWORD code = GetLastError();
  throw fileFailure(code == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : code);
}

std::string Win32FileSystem::readFirstLine(const std::wstring& path) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw FileOpenFailure(fileFailure(GetLastError()));
  const UniqueHandle owner(h);
  std::string line;
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) failLast();
    if (got == 0) return line;
    const auto begin = chunk.begin(), end = chunk.begin() + got;
    const auto stop = std::find_if(begin, end, [](char c) { return c == '\r' || c == '\n'; });
    const auto take = static_cast<std::size_t>(stop - begin);
    if (line.size() + take > kMaxLine) failOverflow();
    line.append(begin, stop);
    if (stop != end) return line;
  }
}

std::wstring Win32FileSystem::localAppDataFolder() {
  PWSTR raw = nullptr;
  const HRESULT hr = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &raw);
  const UniqueCoTaskMem<wchar_t> owner(raw);  // to be freed also when the call fails
  if (FAILED(hr) || !raw) throw Failure(err::kPathNotFound, L"Path not found");
  std::wstring folder = raw;
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  return folder;
}

void Win32FileSystem::writeFile(const std::wstring& path, const std::string& bytes) {
  // Written in full to a temporary name first, so that a file of this name
  // is never left half-written.
  const std::wstring temp = path + L".tmp";
  {
    const HANDLE h =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) failLast();
    const UniqueHandle owner(h);
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD wrote = 0;
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
      if (!WriteFile(h, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) {
        const DWORD code = GetLastError();
        DeleteFileW(temp.c_str());
        throw fileFailure(code ? code : ERROR_DISK_FULL);
      }
      done += wrote;
    }
    if (!FlushFileBuffers(h)) {
      const DWORD code = GetLastError();
      DeleteFileW(temp.c_str());
      throw fileFailure(code);
    }
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    DeleteFileW(temp.c_str());
    throw fileFailure(code);
  }
}

std::string Win32FileSystem::readFile(const std::wstring& path, std::size_t limit) {
  const HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) failLast();
  const UniqueHandle owner(h);
  std::string content;
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) failLast();
    if (got == 0) return content;
    if (got > limit - content.size()) failOverflow();
    content.append(chunk.data(), got);
  }
}

void Win32FileSystem::deleteFile(const std::wstring& path) {
  if (!DeleteFileW(path.c_str())) failLast();
}

}  // namespace doumteo
