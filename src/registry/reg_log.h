#pragma once
// modRegedit.RegLogRead: writes the settings recorded in a settings backup
// file back into the per-user application settings area.
#include <string>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

inline constexpr wchar_t kSettingsRootW[] = L"Software\\VB and VBA Program Settings";

// Reads the first line of the file at path, takes off its two text layers and
// writes every setting it records as REG_SZ below HKEY_CURRENT_USER. Each
// failing step shows its own error box and the routine goes on; the result is
// always true once it has run to its end.
bool RegLogRead(const Services& services, const std::wstring& path);

// The record part of RegLogRead: settingsText is the decoded text (a header
// line, then one record per line, CR LF between lines).
void applySettingsLog(const Services& services, const std::wstring& settingsText);

// The application names whose areas RegLogRead would write for the file at
// path (those it accepts, each once, first spelling kept), read without any
// message; empty when the file cannot be read or decoded.
std::vector<std::wstring> settingsLogApplications(const Services& services, const std::wstring& path);

// True when name can stand for exactly one level below the settings root:
// not empty, no "\" or control character, not made of dots alone, no longer
// than a key name can be. Anything else could address the shared root or
// another program's key, or no key at all.
bool isSettingsLevelName(const std::wstring& name);

}  // namespace doumteo
