#pragma once
// modGoURL: opening web addresses, and the main window's web shortcuts.
#include <string>

#include "common/product_profile.h"
#include "common/window_port.h"
#include "platform/ports.h"

namespace doumteo {

// Shows url in the browser object; when any step of that fails, hands url to
// the shell instead. Reports nothing.
void OpenWebPage(const Services& services, const std::wstring& url);

// Asks prompt (question, Yes default, program title) unless skipConfirm is
// non-zero, then opens url on Yes.
void ConfirmAndOpenWebPage(const Services& services, const std::wstring& url, const std::wstring& prompt,
                           int skipConfirm);

// btnRemote
void OpenRemoteSupport(const Services& services);

// btnHomePage(index): 0-5, 8 and 9 open a page of the maker's site; 6 asks
// for the login and shows FrmLogin.
void btnHomePage_Click(const Services& services, const ProductProfile& profile, int index, WindowPort& window);

// AS119: the download of the maker's remote-help tool.
void AS119_Click(const Services& services);

}  // namespace doumteo
