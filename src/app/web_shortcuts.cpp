#include "app/web_shortcuts.h"

#include <array>

#include "common/messages.h"
#include "common/web_addresses.h"
#include "common/web_page.h"

namespace doumteo {

namespace {

struct Shortcut {
  int index;
  const wchar_t* path;
  const wchar_t* prompt;
};

constexpr std::array kShortcuts{
    Shortcut{0, L"/html/join.php", L"회원가입으로 이동하시겠습니까?"},
    Shortcut{1, L"/html/community_02.php", L"FAQ로 이동하시겠습니까?"},
    Shortcut{2, L"/html/gang01.php", L"동영상으로 이동하시겠습니까?"},
    Shortcut{3, L"/html/download.php", L"제품소개 다운로드로 이동하시겠습니까?"},
    Shortcut{4, L"", L"벨토소프트 홈페이지로 이동하시겠습니까?"},
    Shortcut{5, L"/html/community.php", L"고객센터로 이동하시겠습니까?"},
    Shortcut{8, L"/html/paper.php", L"용지견본주문으로 이동하시겠습니까?"},
    Shortcut{9, L"/html/shop.php", L"하드웨어쇼핑몰로 이동하시겠습니까?"},
};

constexpr int kLoginShortcut = 6;

}  // namespace

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
  for (const Shortcut& s : kShortcuts) {
    if (s.index == index) {
      ConfirmAndOpenWebPage(services, makerSiteAddress(s.path), s.prompt, 0);
      return;
    }
  }
}

void AS119_Click(const Services& services) {
  ConfirmAndOpenWebPage(services, remoteHelpToolAddress(), L"벨토119를 설치 하시겠습니까?", 0);
}

}  // namespace doumteo
