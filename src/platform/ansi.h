#pragma once
// The one boundary between the program's UTF-16 text and the system's ANSI
// code page (949 on a Korean system). Implemented by ansi_win.cpp on Windows
// and by ansi_native.cpp (UTF-8) in native builds.
#include <string>
#include <string_view>

namespace doumteo {

std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view bytes);

}  // namespace doumteo
