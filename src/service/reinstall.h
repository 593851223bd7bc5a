#pragma once
// Product reinstall: hands the product over to the maker's reinstaller kit.
#include <string>

#include "common/product_profile.h"
#include "common/window_port.h"
#include "platform/ports.h"

namespace doumteo {

// FrmMain.btnInstall_Click: guard, then close the main window and hand over.
// The window is closed before the hand-over, so the program ends whatever
// GoReInst does.
void btnInstall_Click(const Services& services, const ProductProfile& profile, WindowPort& window);

// modReInst.GoReInst: copies the kit to <drive>\VTSoft, leaves the
// reinstaller its settings and starts it. True when it got to the start;
// false at a missing kit file or the user's No.
bool GoReInst(const Services& services, const std::wstring& dbFoldName, const std::wstring& fileUrl);

}  // namespace doumteo
