#include "common/messages.h"

namespace doumteo {

namespace {
const std::wstring& titleOr(const ProductProfile& profile, const std::wstring& title) {
  return title.empty() ? profile.currentRegiProgram : title;
}
}  // namespace

void ShowInfo(MessageBoxPort& box, const ProductProfile& profile, const std::wstring& message,
              const std::wstring& title) {
  box.show({message, titleOr(profile, title), MsgButtons::Ok, MsgIcon::Information, false});
}

void ShowWarning(MessageBoxPort& box, const ProductProfile& profile, const std::wstring& message,
                 const std::wstring& title) {
  box.show({message, titleOr(profile, title), MsgButtons::Ok, MsgIcon::Exclamation, false});
}

Answer AskYesNo(MessageBoxPort& box, const ProductProfile& profile, const std::wstring& message,
                const std::wstring& title, int defaultYes) {
  return box.show({message, titleOr(profile, title), MsgButtons::YesNo, MsgIcon::Question, defaultYes == 0});
}

void showPlain(MessageBoxPort& box, const std::wstring& message) {
  box.show({message, kAppTitle, MsgButtons::Ok, MsgIcon::None, false});
}

void guardedStep(MessageBoxPort& box, const ErrorFormatter& format, const std::function<void()>& step) {
  try {
    step();
  } catch (const Failure& f) {
    showPlain(box, format(f));
  }
}

}  // namespace doumteo
