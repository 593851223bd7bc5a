// Native builds (tests and fuzzing) have no ANSI code page: UTF-8 stands in.
#ifndef _WIN32
#include <codecvt>
#include <locale>

#include "platform/ansi.h"

namespace doumteo {

namespace {
std::wstring_convert<std::codecvt_utf8<wchar_t>>& converter() {
  thread_local std::wstring_convert<std::codecvt_utf8<wchar_t>> c("?", L"\uFFFD");
  return c;
}
}  // namespace

std::string toAnsi(std::wstring_view text) { return converter().to_bytes(text.data(), text.data() + text.size()); }

std::wstring fromAnsi(std::string_view bytes) {
  return converter().from_bytes(bytes.data(), bytes.data() + bytes.size());
}

}  // namespace doumteo
#endif
