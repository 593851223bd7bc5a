#pragma once
// Data backup for A/S submission: starts the maker's backup program.
#include <cstdint>
#include <string>

#include "common/product_profile.h"
#include "common/window_port.h"
#include "platform/ports.h"

namespace doumteo {

// The module state of modBackUp, held by FrmMain for the whole run.
struct BackupState {
  bool backUpStarted = false;  // set by a successful start, never reset
};

// Mode -> command-line argument of the backup program (leading blank).
std::wstring GetModeArg(std::int32_t mode);

// Unloads every open window whose name differs from keepForm (either case).
void UnloadOtherForms(WindowPort& window, const std::wstring& keepForm);

// modBackUp.ExecBackUp: true when this call started the backup program.
bool ExecBackUp(const Services& services, const ProductProfile& profile, WindowPort& window, BackupState& state,
                std::int32_t mode, bool skipConfirm, const std::wstring& keepForm, const std::wstring& dbLocation);

// FrmMain.btnAS_Click: guard, A/S backup, then minimise the main window.
void btnAS_Click(const Services& services, const ProductProfile& profile, WindowPort& window, BackupState& state);

}  // namespace doumteo
