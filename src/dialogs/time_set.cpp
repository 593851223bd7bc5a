#include "dialogs/time_set.h"

#include <algorithm>

#include "common/messages.h"
#include "common/text.h"
#include "platform/program_start.h"

namespace doumteo {

namespace {

// The lists hold years, months and days: never below zero.
std::wstring padded(int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

DateList numberList(int first, int last, std::size_t width, int preset) {
  DateList list;
  for (int n = first; n <= last; ++n) list.entries.push_back(padded(n, width));
  list.preset = padded(std::clamp(preset, first, last), width);
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

std::wstring systemRefusalReason(const Failure& f) {
  std::wstring reason;
  if (f.number == syserr::kPrivilegeNotHeld)
    reason = L"이 사용자 계정에는 컴퓨터 시간을 바꿀 권한이 없습니다." + std::wstring(kCrLf) +
             L"관리자 계정으로 실행하거나 시스템시간 단추를 이용해 주십시오." + kCrLf;
  const std::wstring text = trimmedEnd(f.description);
  return reason + L"(오류 " + std::to_wstring(f.number) + (text.empty() ? L"" : L": " + text) + L")";
}

void showRefused(MessageBoxPort& box, const std::wstring& reason) {
  box.show({std::wstring(kClockRefusedMessage) + kCrLf + kCrLf + reason, kAppTitle, MsgButtons::Ok,
            MsgIcon::Exclamation, false});
}

// Hands the one change to an elevated copy of the program and reports how it
// ended. True when the date was changed.
bool saveElevated(MessageBoxPort& box, ShellPort& shell, const LocalTime& record) {
  const MessageRequest question{kClockElevationQuestion, kAppTitle, MsgButtons::YesNo, MsgIcon::Question, false};
  if (box.show(question) != Answer::Yes) return false;
  const ProgramRun run = shell.runSelfAndWait(L"runas", SetDateArguments(record), kElevatedClockWaitMs);
  switch (run.end) {
    case ProgramRun::End::Exited:
      if (run.code == 0) {
        showPlain(box, kClockSavedMessage);
        return true;
      }
      [[fallthrough]];
    case ProgramRun::End::Failed:
      showRefused(box, systemRefusalReason(Failure(static_cast<int>(run.code), run.description)));
      return false;
    case ProgramRun::End::Cancelled:
      break;
    case ProgramRun::End::TimedOut:
      showRefused(box, L"관리자 권한으로 날짜를 바꾸는 도움터가 " + std::to_wstring(kElevatedClockWaitMs / 1000) +
                           L"초 안에 끝나지 않았습니다.");
      return false;
  }
  return false;
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The words after the program's own path, split at blanks.
std::vector<std::wstring> argumentWords(const std::wstring& commandLine) {
  const std::wstring arguments = splitCommandLine(commandLine).parameters;
  std::vector<std::wstring> words;
  std::size_t i = 0;
  while (i < arguments.size()) {
    while (i < arguments.size() && isBlank(arguments[i])) ++i;
    const std::size_t start = i;
    while (i < arguments.size() && !isBlank(arguments[i])) ++i;
    if (i > start) words.push_back(arguments.substr(start, i - start));
  }
  return words;
}

bool isSetDateSwitch(const std::wstring& word) { return localeLower(word) == L"/set-date"; }

// YYYY-MM-DD; its three numbers are checked as the lists' entries are.
bool isDateWord(const std::wstring& w) { return w.size() == 10 && w[4] == L'-' && w[7] == L'-'; }

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
  if (day < 1) throw InvalidDate(L"일은 1일부터 31일 사이에서 골라 주십시오.");
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

bool SaveClockFromLists(MessageBoxPort& box, ClockPort& clock, ShellPort& shell, const std::wstring& yearText,
                        const std::wstring& monthText, const std::wstring& dayText) {
  LocalTime record;
  try {
    record = ClockRecordFromLists(clock.now(), yearText, monthText, dayText);
  } catch (const InvalidDate& f) {
    showRefused(box, f.description);
    return false;
  }
  try {
    clock.setLocalTime(record);
  } catch (const Failure& f) {
    if (f.number == syserr::kPrivilegeNotHeld) return saveElevated(box, shell, record);
    showRefused(box, systemRefusalReason(f));
    return false;
  }
  showPlain(box, kClockSavedMessage);
  return true;
}

std::wstring SetDateArguments(const LocalTime& record) {
  return L"/set-date " + padded(record.year, 4) + L"-" + padded(record.month, 2) + L"-" + padded(record.day, 2);
}

std::optional<long> RunSetDateCommand(ClockPort& clock, const std::wstring& commandLine) {
  const std::vector<std::wstring> words = argumentWords(commandLine);
  if (words.empty() || !isSetDateSwitch(words[0])) return std::nullopt;
  if (words.size() != 2 || !isDateWord(words[1])) return syserr::kInvalidParameter;
  const std::wstring& date = words[1];
  try {
    // The time of day is read now, as the dialog would have.
    clock.setLocalTime(ClockRecordFromLists(clock.now(), date.substr(0, 4), date.substr(5, 2), date.substr(8)));
  } catch (const InvalidDate&) {
    return syserr::kInvalidParameter;
  } catch (const Failure& f) {
    return f.number != 0 ? f.number : syserr::kGenFailure;  // a refusal is never reported as success
  }
  return 0;
}

void OpenSystemTimeSettings(MessageBoxPort& box, ShellPort& shell) {
  if (startProgram(shell, kTimeSettingsCommand) == StartResult::Failed)
    showPlain(box, L"날짜 및 시간 설정을 실행할 수 없습니다.");
}

}  // namespace doumteo
