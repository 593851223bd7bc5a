#pragma once
#include <windows.h>

#include <string>

namespace doumteo {

// The system's own text for a Win32 error code, without the trailing line
// break; "Error <code>" when the system has none.
std::wstring systemErrorText(DWORD code);

}  // namespace doumteo
