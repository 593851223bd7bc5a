#pragma once
// Starting a program from a command line on a system with User Account
// Control: a program marked as needing the highest available rights (the
// registry editor, the task manager) is refused by CreateProcess with
// ERROR_ELEVATION_REQUIRED, and only the shell can ask the user to elevate.
#include <string>

#include "platform/ports.h"

namespace doumteo {

// The program of a command line and its parameters: the first word, or the
// quoted text at its start, and the rest without the blanks before it.
struct CommandLineParts {
  std::wstring file, parameters;
};
CommandLineParts splitCommandLine(const std::wstring& commandLine);

// Starts the command line in a normal, focused window without waiting; when
// the program needs elevation, starts it again through the shell (verb
// "open"), which asks the user.
StartResult startProgram(ShellPort& shell, const std::wstring& commandLine);

}  // namespace doumteo
