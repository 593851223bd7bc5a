#pragma once
// A run-time failure: the number and description that the error messages of
// the program show. Procedures with an error handler of their own catch it;
// nothing else crosses a procedure boundary.
#include <exception>
#include <string>

namespace doumteo {

struct Failure : std::exception {
  Failure(int n, std::wstring d) : number(n), description(std::move(d)) {}
  const char* what() const noexcept override { return "doumteo::Failure"; }
  int number;
  std::wstring description;
};

// The numbers the program uses for its own failures.
namespace err {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kSubscript = 9;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kInternal = 51;
inline constexpr int kBadFileName = 52;
inline constexpr int kDiskFull = 61;
inline constexpr int kDiskNotReady = 71;
inline constexpr int kAutomation = 429;
}  // namespace err

// Win32 error codes the program acts on.
namespace syserr {
inline constexpr long kGenFailure = 31;          // ERROR_GEN_FAILURE
inline constexpr long kInvalidParameter = 87;    // ERROR_INVALID_PARAMETER
inline constexpr long kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED
inline constexpr long kCancelled = 1223;         // ERROR_CANCELLED
inline constexpr long kPrivilegeNotHeld = 1314;  // ERROR_PRIVILEGE_NOT_HELD
}  // namespace syserr

// The program's own title, which its error messages carry.
inline constexpr wchar_t kAppTitle[] = L"도움터";

// "Error N (description) in procedure P of O"
std::wstring errorText(const Failure& f, const std::wstring& procedure, const std::wstring& owner);
// "Error N: descriptionin procedure P of O" (no blank before "in")
std::wstring errorTextColon(const Failure& f, const std::wstring& procedure, const std::wstring& owner);

// What an exception that reached a boundary is reported as: a Failure as it
// is, an allocation failure as 7 "Out of memory", anything else as 51
// "Internal error".
Failure failureOf(std::exception_ptr error);

[[noreturn]] inline void failOverflow() { throw Failure(err::kOverflow, L"Overflow"); }
[[noreturn]] inline void failSubscript() { throw Failure(err::kSubscript, L"Subscript out of range"); }

}  // namespace doumteo
