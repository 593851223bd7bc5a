#pragma once
// The clock port on the system's local time.
#include <windows.h>

#include "platform/ports.h"

namespace doumteo {

class Win32Clock final : public ClockPort {
 public:
  LocalTime now() override;
  // Throws Failure(GetLastError(), the system's text) when refused.
  void setLocalTime(const LocalTime& time) override;
  void sleep(unsigned milliseconds) override;
};

}  // namespace doumteo
