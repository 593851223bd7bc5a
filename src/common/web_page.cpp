#include "common/web_page.h"

#include <memory>

namespace doumteo {

void OpenWebPage(const Services& services, const std::wstring& url) {
  try {
    // Released at the end of the block; the window it made visible stays.
    const std::unique_ptr<BrowserObject> browser = services.browser.create();
    browser->setVisible(true);
    browser->setFocus();
    browser->navigate(url);
    return;
  } catch (const Failure&) {
    // No browser object or a member it refused: the shell still opens the page.
  }
  services.shell.shellOpen(url, L"0", L"0");
}

void ConfirmAndOpenWebPage(const Services& services, const std::wstring& url, const std::wstring& prompt,
                           int skipConfirm) {
  if (skipConfirm == 0) {
    const Answer answer = services.messages.show({prompt, kAppTitle, MsgButtons::YesNo, MsgIcon::Question, false});
    if (answer != Answer::Yes) return;
  }
  OpenWebPage(services, url);
}

}  // namespace doumteo
