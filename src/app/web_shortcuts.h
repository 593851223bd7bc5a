#pragma once
// The main window's web shortcuts.
#include <string>

#include "common/product_profile.h"
#include "common/window_port.h"
#include "platform/ports.h"

namespace doumteo {

// One web shortcut btnHomePage(index): its caption and icon in the main
// window, and the page it opens with its question. The login shortcut has
// no page of its own.
struct WebShortcut {
  int index;
  const wchar_t* caption;
  int icon;
  const wchar_t* path;
  const wchar_t* prompt;  // the home page's names the maker: see shortcutPrompt
};
inline constexpr int kLoginShortcut = 6;
// The shortcuts, stacked from the top in this order.
extern const WebShortcut kWebShortcuts[9];
// The question asked before the shortcut's page is opened.
std::wstring shortcutPrompt(const WebShortcut& shortcut);

// btnRemote
void OpenRemoteSupport(const Services& services);

// btnHomePage(index): 0-5, 8 and 9 open a page of the maker's site; 6 asks
// for the login and shows FrmLogin.
void btnHomePage_Click(const Services& services, const ProductProfile& profile, int index, WindowPort& window);

// AS119: the download of the maker's remote-help tool.
void AS119_Click(const Services& services);

}  // namespace doumteo
