#include "platform/program_start.h"

namespace doumteo {

namespace {
bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
}  // namespace

CommandLineParts splitCommandLine(const std::wstring& commandLine) {
  std::size_t i = 0;
  while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
  CommandLineParts parts;
  std::size_t end;
  if (i < commandLine.size() && commandLine[i] == L'"') {
    const std::size_t close = commandLine.find(L'"', i + 1);
    end = close == std::wstring::npos ? commandLine.size() : close + 1;
    parts.file = commandLine.substr(i + 1, (close == std::wstring::npos ? commandLine.size() : close) - i - 1);
  } else {
    end = i;
    while (end < commandLine.size() && !isBlank(commandLine[end])) ++end;
    parts.file = commandLine.substr(i, end - i);
  }
  while (end < commandLine.size() && isBlank(commandLine[end])) ++end;
  parts.parameters = commandLine.substr(end);
  return parts;
}

StartResult startProgram(ShellPort& shell, const std::wstring& commandLine) {
  long error = shell.createProcess(commandLine);
  if (error == syserr::kElevationRequired) {
    const CommandLineParts parts = splitCommandLine(commandLine);
    error = shell.shellExecute(L"open", parts.file, parts.parameters);
    if (error == syserr::kCancelled) return StartResult::Cancelled;
  }
  return error == 0 ? StartResult::Started : StartResult::Failed;
}

}  // namespace doumteo
