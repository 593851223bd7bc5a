#pragma once
// The main window's web shortcuts.
#include <string>

#include "common/product_profile.h"
#include "common/window_port.h"
#include "platform/ports.h"

namespace doumteo {

// btnRemote
void OpenRemoteSupport(const Services& services);

// btnHomePage(index): 0-5, 8 and 9 open a page of the maker's site; 6 asks
// for the login and shows FrmLogin.
void btnHomePage_Click(const Services& services, const ProductProfile& profile, int index, WindowPort& window);

// AS119: the download of the maker's remote-help tool.
void AS119_Click(const Services& services);

}  // namespace doumteo
