#pragma once
// FrmTimeSet without its window: the texts it shows, the three date lists and
// the commands of its buttons, written against the ports so that the dialog
// only collects the picked texts and calls them.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

// The system's date and time settings (btnTimeShow).
inline constexpr wchar_t kTimeSettingsCommand[] = L"rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,0";
inline constexpr wchar_t kClockSavedMessage[] = L"컴퓨터 시간이 수정되었습니다. ";
inline constexpr wchar_t kClockRefusedMessage[] = L"컴퓨터 시간을 바꾸지 못했습니다.";
inline constexpr wchar_t kClockElevationQuestion[] =
    L"이 컴퓨터의 날짜를 바꾸려면 관리자 권한이 필요합니다.\r\n관리자 권한으로 바꾸시겠습니까?";
// How long the dialog waits for the elevated copy that changes the date.
inline constexpr unsigned kElevatedClockWaitMs = 60000;

// The years the year list offers.
inline constexpr int kFirstListYear = 2000;
inline constexpr int kLastListYear = 2100;

// "현재시간 : 2009년 03월 05일" (the date only).
std::wstring NowTimeCaption(const LocalTime& today);

// One drop-down list of cmbDate: its entries in order and the entry it starts on.
struct DateList {
  std::vector<std::wstring> entries;
  std::wstring preset;
};

// cmbDate(0) year, (1) month, (2) day, preset to today. A year outside the
// list is preset to the nearest end of the list, so that the dialog opens
// normally on a PC whose clock has fallen back (or run ahead) and the person
// only has to pick the right date.
std::array<DateList, 3> cmbDateSet(const LocalTime& today);

// The error message of a failing step while the lists are filled.
std::wstring cmbDateSetErrorText(const Failure& failure);

// The picked date is not one the dialog can set (a text not from the lists,
// or a day the month does not have). The description says why, in Korean.
struct InvalidDate : Failure {
  explicit InvalidDate(std::wstring reason) : Failure(err::kInvalidCall, std::move(reason)) {}
};

// The record for the picked date at the time of day of now, ms 0, day of week
// 0 (the system fills it in). Throws InvalidDate.
LocalTime ClockRecordFromLists(const LocalTime& now, const std::wstring& yearText, const std::wstring& monthText,
                               const std::wstring& dayText);

// Sets the clock to the picked date at the time of day read now (ms 0) and
// returns the record handed to the system. Throws InvalidDate before the
// system is called (so 31 February never reaches it), or the system's Failure
// when it refuses the change.
LocalTime SetClockFromLists(ClockPort& clock, const std::wstring& yearText, const std::wstring& monthText,
                            const std::wstring& dayText);

// btnSave: sets the clock and confirms. Without the right to change the
// clock (a standard user, or an administrator's program that is not
// elevated) it offers to make that one change in an elevated copy of the
// program (SetDateArguments). A refused change is reported as such and the
// dialog stays open. Returns true when the dialog should close.
bool SaveClockFromLists(MessageBoxPort& box, ClockPort& clock, ShellPort& shell, const std::wstring& yearText,
                        const std::wstring& monthText, const std::wstring& dayText);

// "/set-date YYYY-MM-DD": the only command line the program acts on.
std::wstring SetDateArguments(const LocalTime& record);

// The elevated copy: when the command line's arguments (after the program's
// own path) start with /set-date, sets the date and gives the exit code: 0,
// the system's error code, or ERROR_INVALID_PARAMETER for anything but
// exactly "/set-date YYYY-MM-DD" with a date that exists in 2000 to 2100.
// nullopt for any other command line, which the program ignores.
std::optional<long> RunSetDateCommand(ClockPort& clock, const std::wstring& commandLine);

// btnTimeShow: the dialog stays open; a start that failed is reported.
void OpenSystemTimeSettings(MessageBoxPort& box, ShellPort& shell);

}  // namespace doumteo
