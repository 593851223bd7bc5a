#pragma once
// FrmTimeSet without its window: the texts it shows, the three date lists and
// the commands of its buttons, written against the ports so that the dialog
// only collects the picked texts and calls them.
#include <array>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

// The system's date and time settings (btnTimeShow).
inline constexpr wchar_t kTimeSettingsCommand[] = L"rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,0";
inline constexpr wchar_t kClockSavedMessage[] = L"컴퓨터 시간이 수정되었습니다. ";
inline constexpr wchar_t kClockRefusedMessage[] = L"컴퓨터 시간을 바꾸지 못했습니다.";

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

// btnSave: sets the clock and confirms. A refused change is reported as such
// and the dialog stays open. Returns true when the dialog should close.
bool SaveClockFromLists(MessageBoxPort& box, ClockPort& clock, const std::wstring& yearText,
                        const std::wstring& monthText, const std::wstring& dayText);

// btnTimeShow: the dialog stays open. False when the program could not start.
bool OpenSystemTimeSettings(ShellPort& shell);

}  // namespace doumteo
