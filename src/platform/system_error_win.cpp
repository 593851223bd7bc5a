#include "platform/system_error_win.h"

#include "platform/handle_win.h"

namespace doumteo {

std::wstring systemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocal<wchar_t> owner(buffer);
  if (n == 0 || !buffer) return L"Error " + std::to_wstring(code);
  std::wstring text(buffer, n);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  return text;
}

}  // namespace doumteo
