#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "platform/program_start.h"

using namespace doumteo;

TEST(ProgramStart, OutcomesOfAStartThatMayNeedElevation) {
  struct Case {
    long createError, shellError;
    StartResult result;
    fakes::EventLog log;
  };
  const Case cases[] = {
      {0, 0, StartResult::Started, {L"start:taskmgr.exe "}},
      // Marked as needing the highest rights: the shell asks the user.
      {740, 0, StartResult::Started, {L"start:taskmgr.exe ", L"shellex:open|taskmgr.exe|"}},
      {740, 1223, StartResult::Cancelled, {L"start:taskmgr.exe ", L"shellex:open|taskmgr.exe|"}},
      {740, 5, StartResult::Failed, {L"start:taskmgr.exe ", L"shellex:open|taskmgr.exe|"}},
      // Only the elevation error sends the start to the shell.
      {2, 0, StartResult::Failed, {L"start:taskmgr.exe "}},
      {1223, 0, StartResult::Failed, {L"start:taskmgr.exe "}},
  };
  for (const Case& c : cases) {
    fakes::FakeEnv env;
    env.shell.createError = c.createError;
    env.shell.shellError = c.shellError;
    EXPECT_EQ(startProgram(env.shell, L"taskmgr.exe "), c.result) << c.createError << " " << c.shellError;
    EXPECT_EQ(env.log, c.log);
  }
}

TEST(ProgramStart, TheShellGetsTheProgramAndItsParametersApart) {
  auto split = [](const std::wstring& line) {
    const CommandLineParts p = splitCommandLine(line);
    return p.file + L"|" + p.parameters;
  };
  EXPECT_EQ(split(L"regedit.exe"), L"regedit.exe|");
  EXPECT_EQ(split(L"rundll32.exe shell32.dll,Control_RunDLL timedate.cpl,,0"),
            L"rundll32.exe|shell32.dll,Control_RunDLL timedate.cpl,,0");
  EXPECT_EQ(split(L"\"C:\\도움 터\\a b.exe\"  /x \"y z\""), L"C:\\도움 터\\a b.exe|/x \"y z\"");
  EXPECT_EQ(split(L"\"C:\\unclosed b.exe"), L"C:\\unclosed b.exe|");
  EXPECT_EQ(split(L"\"\" /x"), L"|/x");  // an empty quoted name
}
