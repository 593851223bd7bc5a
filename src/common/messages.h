#pragma once
// Message box helpers and the program's error messages.
#include <functional>
#include <string>

#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

inline constexpr wchar_t kCrLf[] = L"\r\n";

// modWinApi / modMsgBox. An empty title is replaced by currentRegiProgram.
void ShowInfo(MessageBoxPort& box, const ProductProfile& profile, const std::wstring& message,
              const std::wstring& title = L"");
void ShowWarning(MessageBoxPort& box, const ProductProfile& profile, const std::wstring& message,
                 const std::wstring& title = L"");
Answer AskYesNo(MessageBoxPort& box, const ProductProfile& profile, const std::wstring& message,
                const std::wstring& title, int defaultYes);

// A plain box with the program's own title: OK only, no icon.
void showPlain(MessageBoxPort& box, const std::wstring& message);

// Runs one step of a procedure whose error handler reports the failure and
// goes on with the next step.
using ErrorFormatter = std::function<std::wstring(const Failure&)>;
void guardedStep(MessageBoxPort& box, const ErrorFormatter& format, const std::function<void()>& step);

}  // namespace doumteo
