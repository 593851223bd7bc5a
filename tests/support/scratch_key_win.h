#pragma once
// A scratch key of a test's own under HKEY_CURRENT_USER, removed with its whole
// tree when the test ends, and raw registry helpers that bypass the code under
// test. Windows tests only.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/handle_win.h"

namespace doumteo::regtest {

struct RawValue {
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const RawValue&) const = default;
};

// A name unlikely to meet another run's, for keys and application names.
inline std::string uniqueName(const std::string& prefix) {
  static unsigned counter = 0;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%lx_%llx_%u", static_cast<unsigned long>(GetCurrentProcessId()),
                static_cast<unsigned long long>(GetTickCount64()), ++counter);
  return prefix + buffer;
}

// ANSI paths: the tests pass code page 949 bytes where they mean Korean.
inline bool rawKeyExists(const std::string& path, HKEY root = HKEY_CURRENT_USER) {
  HKEY raw = nullptr;
  const LONG rc = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &raw);
  const UniqueKey k(raw);
  return rc == ERROR_SUCCESS;
}

inline LONG rawPut(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY raw = nullptr;
  const LONG rc =
      RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
  const UniqueKey k(raw);
  if (rc != ERROR_SUCCESS) return rc;
  return RegSetValueExA(k.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

inline std::optional<RawValue> rawGet(const std::string& path, const char* name) {
  HKEY raw = nullptr;
  const LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &raw);
  const UniqueKey k(raw);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  RawValue v;
  DWORD size = 0;
  if (RegQueryValueExA(k.get(), name, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  v.data.resize(size);
  if (RegQueryValueExA(k.get(), name, nullptr, &v.type, v.data.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  v.data.resize(size);
  return v;
}

class ScratchKey {
 public:
  explicit ScratchKey(const std::string& parent = "Software\\DoumteoTests")
      : parent_(parent), path_(parent + "\\" + uniqueName("k")) {
    HKEY raw = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    const UniqueKey k(raw);
  }
  ~ScratchKey() {
    // The wide form also reaches names that the ANSI code page cannot spell.
    RegDeleteTreeW(HKEY_CURRENT_USER, wpath().c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, parent_.c_str());  // only when no other run still uses it
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  const std::string& path() const { return path_; }
  std::wstring wpath() const { return std::wstring(path_.begin(), path_.end()); }
  std::string sub(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string parent_;
  std::string path_;
};

}  // namespace doumteo::regtest
