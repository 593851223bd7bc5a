#include "platform/failure.h"

#include <new>

namespace doumteo {

std::wstring errorText(const Failure& f, const std::wstring& procedure, const std::wstring& owner) {
  return L"Error " + std::to_wstring(f.number) + L" (" + f.description + L") in procedure " + procedure + L" of " +
         owner;
}

std::wstring errorTextColon(const Failure& f, const std::wstring& procedure, const std::wstring& owner) {
  return L"Error " + std::to_wstring(f.number) + L": " + f.description + L"in procedure " + procedure + L" of " + owner;
}

Failure failureOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const Failure& f) {
    return f;
  } catch (const std::bad_alloc&) {
    return Failure(err::kOutOfMemory, L"Out of memory");
  } catch (...) {
    return Failure(err::kInternal, L"Internal error");
  }
}

}  // namespace doumteo
