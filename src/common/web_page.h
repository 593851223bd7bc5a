#pragma once
// modGoURL: opening a web page, the browser object first, the shell when that fails.
#include <string>

#include "platform/ports.h"

namespace doumteo {

// Shows url in the browser object; when any step of that fails, hands url to
// the shell instead. Reports nothing.
void OpenWebPage(const Services& services, const std::wstring& url);

// Asks prompt (question, Yes default, program title) unless skipConfirm is
// non-zero, then opens url on Yes.
void ConfirmAndOpenWebPage(const Services& services, const std::wstring& url, const std::wstring& prompt,
                           int skipConfirm);

}  // namespace doumteo
