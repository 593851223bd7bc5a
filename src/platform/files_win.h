#pragma once
// The file system port on the wide Win32 file calls.
#include <windows.h>

#include "platform/ports.h"

namespace doumteo {

class Win32FileSystem final : public FileSystemPort {
 public:
  // A program in the root of a drive gives "C:", so that folder + "\name"
  // still names the file.
  std::wstring programFolder() override;
  bool exists(const std::wstring& path, bool includeFolders = false) override;
  std::vector<std::wstring> listFiles(const std::wstring& folder, const std::wstring& pattern) override;
  void copyFile(const std::wstring& from, const std::wstring& to) override;
  void createFolder(const std::wstring& path) override;
  void setCurrentFolder(const std::wstring& path) override;
  std::string readFirstLine(const std::wstring& path) override;
  std::wstring localAppDataFolder() override;
  void writeFile(const std::wstring& path, const std::string& bytes) override;
  std::string readFile(const std::wstring& path, std::size_t limit) override;
  void deleteFile(const std::wstring& path) override;
};

// The program's failure for a Win32 error of a file operation.
Failure fileFailure(DWORD code);

}  // namespace doumteo
