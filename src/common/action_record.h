#pragma once
// The record of what the program did: one line a command, in a text file of
// the program's own below the user's local application data, so that the
// support page can tell the maker's agent what was pressed and how it ended.
// It holds captions, outcomes and the first lines of the program's own
// messages; never what the user typed or a setting's value.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"

namespace doumteo {

inline constexpr std::size_t kActionRecordLines = 500;

// localAppData\도움터\작업기록.txt
std::wstring actionRecordFolderOf(const std::wstring& localAppData);
std::wstring actionRecordPathOf(const std::wstring& localAppData);

std::string toUtf8(std::wstring_view text);
// Malformed sequences become U+FFFD.
std::wstring fromUtf8(std::string_view bytes);

// "2026-12-10 13:05:09"
std::wstring dateTimeText(const LocalTime& t);
// "2026-12-10"
std::wstring dateText(const LocalTime& t);

// One line: the local date and time, the caption, how it ended.
std::wstring actionLine(const LocalTime& when, const std::wstring& caption, const std::wstring& outcome);
// The record's bytes with line appended, only the last keep lines kept,
// every line ending in CR LF.
std::string appendedRecord(std::string_view record, const std::wstring& line, std::size_t keep = kActionRecordLines);
// The last count lines of the record, the newest first.
std::vector<std::wstring> newestRecordLines(std::string_view record, std::size_t count);

// A message box a command showed, with the answer it got.
struct ShownMessage {
  MessageRequest request;
  Answer answer;
};
// How a command ended, from the boxes it showed and what escaped it:
// failed ("실패: ...") on an escaped failure or a box in the program's error
// format; cancelled ("취소: <question>") on a question answered No; refused
// ("거부: <message>") on a warning or on the running-program guard's refusal;
// otherwise done ("완료", with its last message). Messages by their first line.
std::wstring commandOutcome(const std::vector<ShownMessage>& shown, const std::optional<Failure>& escaped);

// Sits between the commands and the message boxes: it sees every box of the
// command that runs, and appends the command's line when the command ends.
// A record that cannot be written changes nothing a command does.
class ActionRecord final : public MessageBoxPort {
 public:
  ActionRecord(MessageBoxPort& boxes, FileSystemPort& files, ClockPort& clock);
  Answer show(const MessageRequest& request) override;
  // Runs command as one entry of the record; what escapes it goes on after
  // the line is written. Commands run inside a command get lines of their own.
  void run(const std::wstring& caption, const std::function<void()>& command);
  // Appends a line of its own.
  void note(const std::wstring& caption, const std::wstring& outcome) noexcept;
  // The last count lines, the newest first; empty when there is no record.
  std::vector<std::wstring> newest(std::size_t count);

 private:
  MessageBoxPort& boxes_;
  FileSystemPort& files_;
  ClockPort& clock_;
  std::vector<std::vector<ShownMessage>> running_;
};

}  // namespace doumteo
