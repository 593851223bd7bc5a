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
inline constexpr int kAutomation = 429;
}  // namespace err

[[noreturn]] inline void failOverflow() { throw Failure(err::kOverflow, L"Overflow"); }
[[noreturn]] inline void failSubscript() { throw Failure(err::kSubscript, L"Subscript out of range"); }

}  // namespace doumteo
