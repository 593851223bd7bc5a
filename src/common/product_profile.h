#pragma once
#include <string>

#include "platform/ports.h"

namespace doumteo {

// The one product of the maker that this installation serves, read once at
// start-up from the application settings and only read afterwards.
struct ProductProfile {
  std::wstring backupDbPath;
  std::wstring setupFile;
  std::wstring exeFile;
  std::wstring dbPath;
  std::wstring programName;
  std::wstring regiProgram;
  std::wstring dbTable;
  std::wstring dbFold;
  std::wstring dbName;
  std::wstring currentRegiProgram;
};

ProductProfile loadProductProfile(SettingsStore& settings);

}  // namespace doumteo
