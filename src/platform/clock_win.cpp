#include "platform/clock_win.h"

#include "platform/system_error_win.h"

namespace doumteo {

LocalTime Win32Clock::now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDayOfWeek, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

void Win32Clock::setLocalTime(const LocalTime& t) {
  const SYSTEMTIME st{t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds};
  if (!SetLocalTime(&st)) {
    const DWORD code = GetLastError();
    throw Failure(static_cast<int>(code), systemErrorText(code));
  }
}

void Win32Clock::sleep(unsigned milliseconds) { Sleep(milliseconds); }

}  // namespace doumteo
