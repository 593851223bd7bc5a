#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Under the emulated 32-bit Wine a fault reaches the program only as Wine
// reads it from the signal frame; with the trap number wrong, every access
// violation would arrive as an illegal instruction, and a guarded read
// would end the process.
DWORD g_seen = 0;

LONG CALLBACK noteFault(EXCEPTION_POINTERS* pointers) {
  if (!g_seen) g_seen = pointers->ExceptionRecord->ExceptionCode;
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST(Faults, AReadOfAnUnmappedAddressArrivesAsAnAccessViolation) {
  PVOID handler = AddVectoredExceptionHandler(1, noteFault);
  ASSERT_NE(handler, nullptr);
  const BOOL bad = IsBadReadPtr(reinterpret_cast<const void*>(16), 4);
  RemoveVectoredExceptionHandler(handler);
  EXPECT_TRUE(bad);
  EXPECT_EQ(g_seen, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
}

}  // namespace
