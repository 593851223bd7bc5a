#pragma once
#include <string>

#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

// FrmMain.btnRegBackup_Click: restores the settings from the backup file
// that cmbReg shows (its text, a name in the backup folder).
void btnRegBackup_Click(const Services& services, const ProductProfile& profile, const std::wstring& cmbRegText);

}  // namespace doumteo
