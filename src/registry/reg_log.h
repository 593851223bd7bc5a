#pragma once
// modRegedit.RegLogRead: writes the settings recorded in a settings backup
// file back into the per-user application settings area.
#include <string>
#include <vector>

#include "platform/ports.h"
#include "registry/settings_area.h"

namespace doumteo {

// Reads the first line of the file at path, takes off its two text layers and
// writes every setting it records as REG_SZ below HKEY_CURRENT_USER. Each
// failing step shows its own error box and the routine goes on; the result is
// always true once it has run to its end.
bool RegLogRead(const Services& services, const std::wstring& path);

// The record part of RegLogRead: settingsText is the decoded text (a header
// line, then one record per line, CR LF between lines).
void applySettingsLog(const Services& services, const std::wstring& settingsText);

// The reading part of RegLogRead: the file's first line with both layers
// taken off, each failing step with its own error box; what is left when a
// step fails (the undecoded line, or nothing) holds no record.
std::wstring readSettingsLog(const Services& services, const std::wstring& path);

// The application names whose areas applySettingsLog writes for the text
// (those it accepts, each once, first spelling kept).
std::vector<std::wstring> settingsLogApplications(const std::wstring& settingsText);

}  // namespace doumteo
