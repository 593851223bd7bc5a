#include "app/web_shortcuts.h"

#include "build_config.h"
#include "common/messages.h"
#include "common/text.h"
#include "common/web_addresses.h"
#include "common/web_page.h"
#include "resource_ids.h"

namespace doumteo {

const WebShortcut kWebShortcuts[9] = {
    {4, build::kCompany, IDI_BTN_HOME, L"", nullptr},
    {0, L"회원가입", IDI_BTN_JOIN, build::kPageJoin, L"회원가입으로 이동하시겠습니까?"},
    {1, L"F A Q", IDI_BTN_FAQ, build::kPageFaq, L"FAQ로 이동하시겠습니까?"},
    {5, L"고객센터", IDI_BTN_CUSTOMER, build::kPageSupport, L"고객센터로 이동하시겠습니까?"},
    {kLoginShortcut, L"제품 A/S요청답변", IDI_BTN_ASANSWER, nullptr, nullptr},
    {3, L"제품소개 다운로드", IDI_BTN_DOWNLOAD, build::kPageDownload, L"제품소개 다운로드로 이동하시겠습니까?"},
    {2, L"동 영 상", IDI_BTN_VIDEO, build::kPageVideo, L"동영상으로 이동하시겠습니까?"},
    {8, L"용지견본주문", IDI_BTN_PAPER, build::kPagePaper, L"용지견본주문으로 이동하시겠습니까?"},
    {9, L"하드웨어쇼핑몰", IDI_BTN_SHOP, build::kPageShop, L"하드웨어쇼핑몰로 이동하시겠습니까?"},
};

std::wstring shortcutPrompt(const WebShortcut& shortcut) {
  // The home page's question names the maker.
  return shortcut.prompt ? shortcut.prompt : std::wstring(build::kCompany) + L" 홈페이지로 이동하시겠습니까?";
}

void OpenRemoteSupport(const Services& services) {
  ConfirmAndOpenWebPage(services, remoteSupportAddress(), L"원격지원서비스를 실행하시겠습니까?", 0);
}

void btnHomePage_Click(const Services& services, const ProductProfile& profile, int index, WindowPort& window) {
  if (index == kLoginShortcut) {
    const std::wstring question = std::wstring(L"제품 A/S요청답변을 사용 하시려면") + kCrLf +
                                  L"로그인을 하셔야 합니다." + kCrLf + kCrLf + L"로그인 하시겠습니까?";
    if (AskYesNo(services.messages, profile, question, L"", 1) == Answer::Yes) window.showLogin();
    return;
  }
  for (const WebShortcut& s : kWebShortcuts) {
    if (s.index == index && s.path) {
      ConfirmAndOpenWebPage(services, makerSiteAddress(s.path), shortcutPrompt(s), 0);
      return;
    }
  }
}

void AS119_Click(const Services& services) {
  ConfirmAndOpenWebPage(services, remoteHelpToolAddress(),
                        std::wstring(build::kRemoteTool) + objectParticle(build::kRemoteTool) + L" 설치 하시겠습니까?",
                        0);
}

}  // namespace doumteo
