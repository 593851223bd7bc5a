#include "platform/processes_win.h"

#include <tlhelp32.h>

#include <cstring>

#include "platform/ansi.h"
#include "platform/handle_win.h"

// The ANSI records are wanted whatever UNICODE says.
#undef Process32First
#undef Process32Next

namespace doumteo {

namespace {
constexpr DWORD kSnapAll = 15;
static_assert(kSnapAll == TH32CS_SNAPALL);
using AnsiProcessEntry = tagPROCESSENTRY32;
static_assert(sizeof(void*) != 4 || sizeof(AnsiProcessEntry) == 296);
}  // namespace

std::string fixedFieldText(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, '\0', size);
  if (!nul) return {};
  return std::string(field, static_cast<const char*>(nul));
}

std::optional<std::vector<std::wstring>> Win32ProcessList::snapshot() {
  const HANDLE h = CreateToolhelp32Snapshot(kSnapAll, 0);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  const UniqueHandle owner(h);
  AnsiProcessEntry entry{};
  entry.dwSize = sizeof entry;
  std::vector<std::wstring> names;
  for (BOOL ok = Process32First(h, &entry); ok; ok = Process32Next(h, &entry))
    names.push_back(fromAnsi(fixedFieldText(entry.szExeFile, sizeof entry.szExeFile)));
  return names;
}

}  // namespace doumteo
