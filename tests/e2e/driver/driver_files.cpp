// Files and program folders, and the logs that the recorders and the
// address catcher leave.
#include "driver/driver.h"

#include <utility>

#include "driver/driver_internal.h"

namespace e2e {

using namespace detail;

namespace {

struct FindCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};

}  // namespace

void removeTree(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!DeleteFileW(path.c_str())) throw DriverError(L"cannot delete " + path);
    return;
  }
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    std::unique_ptr<void, FindCloser> guard(find);
    do {
      std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") removeTree(path + L"\\" + name);
    } while (FindNextFileW(find, &data));
  }
  // A program that was started there (the shell's helper, a recorder) may
  // still have it as its current folder for a moment.
  for (int attempt = 0; !RemoveDirectoryW(path.c_str()); ++attempt) {
    if (attempt == 250) throw DriverError(L"cannot remove folder " + path + L" (still in use?)");
    sleepMs(20);
  }
}

void makeFolders(const std::wstring& path) {
  for (size_t pos = path.find(L'\\', 3);; pos = path.find(L'\\', pos + 1)) {
    std::wstring part = pos == std::wstring::npos ? path : path.substr(0, pos);
    if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      throw DriverError(L"cannot create folder " + part);
    if (pos == std::wstring::npos) break;
  }
}

void copyFile(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE))
    throw DriverError(L"cannot copy " + from + L" to " + to + L" (error " + std::to_wstring(GetLastError()) + L")");
}

void writeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw DriverError(L"cannot write " + path);
  UniqueHandle guard(file);
  DWORD written = 0;
  if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size())
    throw DriverError(L"cannot write " + path);
}

std::optional<std::string> readFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  UniqueHandle guard(file);
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

ProgramFolder::ProgramFolder(std::wstring path, const std::wstring& sourceExe, const std::wstring& exeName)
    : path_(std::move(path)), exePath_(path_ + L"\\" + exeName) {
  removeTree(path_);
  makeFolders(path_);
  copyFile(environment().binDir + L"\\" + sourceExe, exePath_);
}

void ProgramFolder::addRecorder(const std::wstring& name) const {
  copyFile(environment().binDir + L"\\recorder.exe", file(name));
}

void ProgramFolder::addFile(const std::wstring& name, const std::string& bytes) const {
  size_t slash = name.find_last_of(L'\\');
  if (slash != std::wstring::npos) makeFolders(file(name.substr(0, slash)));
  writeFile(file(name), bytes);
}

// ---- records ------------------------------------------------------------------

namespace {

std::vector<std::wstring> readLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::optional<std::string> bytes = readFile(path);
  if (!bytes) return lines;
  size_t start = 0;
  while (start < bytes->size()) {
    size_t end = bytes->find('\n', start);
    if (end == std::string::npos) break;  // a line still being written
    std::string line = bytes->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(fromUtf8(line));
    start = end + 1;
  }
  return lines;
}

void truncate(const std::wstring& path) {
  // A recorder may be appending right now; retry briefly.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return;
    sleepMs(20);
  }
  throw DriverError(L"cannot reset " + path);
}

}  // namespace

std::vector<Record> readRecords() {
  std::vector<Record> records;
  for (const std::wstring& line : readLines(environment().recordFile)) {
    size_t first = line.find(L'|');
    size_t last = line.rfind(L'|');
    if (first == std::wstring::npos || first == last) continue;
    records.push_back({line.substr(0, first), line.substr(first + 1, last - first - 1), line.substr(last + 1)});
  }
  return records;
}

void resetRecords() { truncate(environment().recordFile); }

std::vector<Record> waitRecords(size_t count, DWORD ms) {
  std::vector<Record> records;
  waitUntil(
      [&] {
        records = readRecords();
        return records.size() >= count;
      },
      std::to_wstring(count) + L" recorder line(s)", ms);
  return records;
}

std::vector<std::wstring> readUrls() { return readLines(environment().urlFile); }

void resetUrls() { truncate(environment().urlFile); }

std::vector<std::wstring> waitUrls(size_t count, DWORD ms) {
  std::vector<std::wstring> urls;
  waitUntil(
      [&] {
        urls = readUrls();
        return urls.size() >= count;
      },
      std::to_wstring(count) + L" address(es) handed to the shell", ms);
  return urls;
}

}  // namespace e2e
