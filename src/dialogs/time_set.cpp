#include "dialogs/time_set.h"

#include <cwctype>

#include "app/messages.h"

namespace doumteo {

namespace {

std::wstring padded(int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value < 0 ? -value : value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return value < 0 ? L"-" + digits : digits;
}

DateList numberList(int first, int last, std::size_t width, int preset) {
  DateList list;
  list.entries.reserve(static_cast<std::size_t>(last - first + 1));
  for (int n = first; n <= last; ++n) list.entries.push_back(padded(n, width));
  list.preset = padded(preset < first ? first : preset > last ? last : preset, width);
  return list;
}

// The number in a list entry; leading zeros and surrounding blanks do not
// matter. -1 when the text holds anything else.
int entryNumber(const std::wstring& text) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == L' ') ++b;
  while (e > b && text[e - 1] == L' ') --e;
  if (b == e || e - b > 6) return -1;
  int n = 0;
  for (std::size_t i = b; i < e; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return -1;
    n = n * 10 + (text[i] - L'0');
  }
  return n;
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

std::wstring trimmedEnd(std::wstring text) {
  while (!text.empty() && std::iswspace(static_cast<std::wint_t>(text.back()))) text.pop_back();
  return text;
}

constexpr int kPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD

std::wstring systemRefusalReason(const Failure& f) {
  std::wstring reason;
  if (f.number == kPrivilegeNotHeld)
    reason = L"이 사용자 계정에는 컴퓨터 시간을 바꿀 권한이 없습니다." + std::wstring(kCrLf) +
             L"관리자 계정으로 실행하거나 시스템시간 단추를 이용해 주십시오." + kCrLf;
  const std::wstring text = trimmedEnd(f.description);
  return reason + L"(오류 " + std::to_wstring(f.number) + (text.empty() ? L"" : L": " + text) + L")";
}

void showRefused(MessageBoxPort& box, const std::wstring& reason) {
  box.show({std::wstring(kClockRefusedMessage) + kCrLf + kCrLf + reason, kAppTitle, MsgButtons::Ok,
            MsgIcon::Exclamation, false});
}

}  // namespace

std::wstring NowTimeCaption(const LocalTime& today) {
  return L"현재시간 : " + padded(today.year, 4) + L"년 " + padded(today.month, 2) + L"월 " + padded(today.day, 2) +
         L"일";
}

std::array<DateList, 3> cmbDateSet(const LocalTime& today) {
  return {numberList(kFirstListYear, kLastListYear, 4, today.year), numberList(1, 12, 2, today.month),
          numberList(1, 31, 2, today.day)};
}

std::wstring cmbDateSetErrorText(const Failure& failure) {
  return errorTextColon(failure, L"cmbDateSet", L"Form FrmTimeSet");
}

LocalTime ClockRecordFromLists(const LocalTime& now, const std::wstring& yearText, const std::wstring& monthText,
                               const std::wstring& dayText) {
  const int year = entryNumber(yearText), month = entryNumber(monthText), day = entryNumber(dayText);
  if (year < kFirstListYear || year > kLastListYear)
    throw InvalidDate(L"연도는 " + std::to_wstring(kFirstListYear) + L"년부터 " + std::to_wstring(kLastListYear) +
                      L"년 사이에서 골라 주십시오.");
  if (month < 1 || month > 12) throw InvalidDate(L"월은 1월부터 12월 사이에서 골라 주십시오.");
  if (day < 1 || day > 31) throw InvalidDate(L"일은 1일부터 31일 사이에서 골라 주십시오.");
  if (day > daysInMonth(year, month))
    throw InvalidDate(std::to_wstring(year) + L"년 " + std::to_wstring(month) + L"월에는 " + std::to_wstring(day) +
                      L"일이 없습니다.");
  LocalTime record = now;
  record.year = static_cast<std::uint16_t>(year);
  record.month = static_cast<std::uint16_t>(month);
  record.day = static_cast<std::uint16_t>(day);
  record.dayOfWeek = 0;
  record.milliseconds = 0;
  return record;
}

LocalTime SetClockFromLists(ClockPort& clock, const std::wstring& yearText, const std::wstring& monthText,
                            const std::wstring& dayText) {
  const LocalTime record = ClockRecordFromLists(clock.now(), yearText, monthText, dayText);
  clock.setLocalTime(record);
  return record;
}

bool SaveClockFromLists(MessageBoxPort& box, ClockPort& clock, const std::wstring& yearText,
                        const std::wstring& monthText, const std::wstring& dayText) {
  try {
    SetClockFromLists(clock, yearText, monthText, dayText);
  } catch (const InvalidDate& f) {
    showRefused(box, f.description);
    return false;
  } catch (const Failure& f) {
    showRefused(box, systemRefusalReason(f));
    return false;
  }
  showPlain(box, kClockSavedMessage);
  return true;
}

bool OpenSystemTimeSettings(ShellPort& shell) { return shell.startProgram(kTimeSettingsCommand); }

}  // namespace doumteo
