#pragma once
// The process list port on the ToolHelp snapshot (ANSI records).
#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/ports.h"

namespace doumteo {

class Win32ProcessList final : public ProcessListPort {
 public:
  std::optional<std::vector<std::wstring>> snapshot() override;
};

// The text of a fixed-size NUL-terminated field: the bytes before the first
// NUL, or nothing when the field holds no NUL.
std::string fixedFieldText(const char* field, std::size_t size);

}  // namespace doumteo
