#pragma once
// FrmLogin without its window: the window forwards the texts of txtID and
// txtPW and closes itself when told to.
#include <string>

#include "platform/ports.h"

namespace doumteo {

inline constexpr wchar_t kLoginQuestion[] = L"제품 A/S요청답변 으로 이동하시겠습니까?";

// Load step: the saved id for txtID (empty when there is none).
std::wstring FrmLogin_Load(const Services& services);

// Saves the id, and when both boxes hold text asks and opens the login page.
// Returns true when the dialog is to close (both boxes filled, whatever the
// answer); false keeps it open.
bool btnWebLogin_Click(const Services& services, const std::wstring& id, const std::wstring& password);

// Key press in txtPW: Enter (13) acts as the button. Returns true when the
// dialog is to close. The key itself is left to the text box.
bool txtPW_KeyPress(const Services& services, const std::wstring& id, const std::wstring& password, int keyAscii);

}  // namespace doumteo
