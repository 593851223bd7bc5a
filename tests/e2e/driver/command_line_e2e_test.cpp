// The command line: the one form the program acts on (the elevated copy that
// the clock dialog starts to change the date) and everything else, which it
// ignores. No test hands it a date it would set.
#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"

namespace e2e {
namespace {

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { killProcessesNamed(L"doumteo.exe"); }
  ProgramFolder folder{environment().cRoot + L"\\CommandLine"};
};

TEST_F(CommandLine, SetDateRefusesAnythingButOneExistingDateWithoutAWindow) {
  // A copy already running must not change the answer: the argument is
  // checked before the previous-instance test.
  Process running = startProgram(folder);
  waitMainWindow(running);
  for (const wchar_t* args : {L"/set-date 2010-02-31", L"/set-date 1999-01-01", L"/set-date x", L"/set-date"}) {
    const ULONGLONG start = GetTickCount64();
    Process copy = Process::start(folder.exePath(), args, folder.path());
    DWORD code = 0;
    const std::vector<std::wstring> shown = windowsShownUntilExit(copy, &code, 10000);
    EXPECT_EQ(code, 87u) << narrow(args);
    EXPECT_TRUE(shown.empty()) << narrow(args) << ": " << narrow(shown.empty() ? L"" : shown.front());
    EXPECT_LT(GetTickCount64() - start, 10000u);
  }
  EXPECT_TRUE(running.running());
}

TEST_F(CommandLine, AnyOtherArgumentIsIgnored) {
  Process program = Process::start(folder.exePath(), L"/other", folder.path());
  HWND main = waitMainWindow(program);
  EXPECT_EQ(windowText(main).rfind(kTitlePrefix, 0), 0u);
  click(main, L"닫기 &C");
  EXPECT_EQ(program.waitExit(), 0u);
}

TEST_F(CommandLine, TheManifestDeclaresEverySupportedSystem) {
  HMODULE exe = LoadLibraryExW(folder.exePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HRSRC res = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(res, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(exe, res))), SizeofResource(exe, res));
  FreeLibrary(exe);
  for (const char* id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
    EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

}  // namespace
}  // namespace e2e
