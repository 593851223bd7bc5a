#pragma once
// Every web address the program opens is built here, from the hosts fixed at
// build time.
#include <string>
#include <string_view>

namespace doumteo {

// The maker's host followed directly by path, without a scheme: the form of
// the shortcut buttons (the shell opens "www." addresses as web addresses).
std::wstring makerSiteAddress(std::wstring_view path);
// A full http address on the maker's host.
std::wstring makerWebAddress(std::wstring_view path);

std::wstring mdacDownloadAddress();
std::wstring remoteHelpToolAddress();
std::wstring remoteSupportAddress();

// The login page with id and password in its query. Both are escaped with
// escapeQueryValue.
std::wstring loginAddress(std::wstring_view id, std::wstring_view password);

// Replaces the characters that would end or change a query field (& # + % = ?
// and the blank) and the ASCII control characters by %XX of their byte.
// Everything else, non-ASCII text included, is left as typed.
std::wstring escapeQueryValue(std::wstring_view text);

}  // namespace doumteo
