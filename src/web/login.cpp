#include "web/login.h"

#include "common/messages.h"
#include "common/web_addresses.h"
#include "common/web_page.h"

namespace doumteo {

namespace {
constexpr wchar_t kSection[] = L"config";
constexpr wchar_t kKey[] = L"login_id";
constexpr int kEnter = 13;
}  // namespace

std::wstring FrmLogin_Load(const Services& services) { return services.settings.get(kAppTitle, kSection, kKey, L""); }

bool btnWebLogin_Click(const Services& services, const std::wstring& id, const std::wstring& password) {
  const ErrorFormatter report = [](const Failure& f) { return errorText(f, L"btnWebLogin_Click", L"Form FrmLogin"); };
  // Remembered before any test, so even an incomplete attempt keeps the id.
  guardedStep(services.messages, report, [&] { services.settings.save(kAppTitle, kSection, kKey, id); });
  if (id.empty() || password.empty()) return false;
  const std::wstring address = loginAddress(id, password);
  guardedStep(services.messages, report, [&] { ConfirmAndOpenWebPage(services, address, kLoginQuestion, 0); });
  return true;
}

bool txtPW_KeyPress(const Services& services, const std::wstring& id, const std::wstring& password, int keyAscii) {
  return keyAscii == kEnter && btnWebLogin_Click(services, id, password);
}

}  // namespace doumteo
