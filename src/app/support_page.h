#pragma once
// The support page: what the maker's agent asks for on the phone, gathered
// in one text that the customer reads first and then copies or saves.
// Nothing is sent anywhere. It names the program, the PC, the product, its
// database, its backups and restore points and the last actions; never a
// login, a password, a setting's value or what a file holds.
#include <string>
#include <vector>

#include "common/product_profile.h"
#include "platform/ports.h"

namespace doumteo {

inline constexpr wchar_t kSupportTitle[] = L"지원 정보";
inline constexpr wchar_t kCopiedMessage[] = L"복사했습니다.";
inline constexpr std::size_t kSupportRecentActions = 20;

// "Windows 10 Pro 22H2": the product as the registry names it (a Windows 11
// still calls itself 10 there; its build tells) and its release.
std::wstring windowsProductName(const std::wstring& productName, const std::wstring& release, const std::wstring& build,
                                const std::wstring& servicePack);
// "+09:00", "-03:30"
std::wstring utcOffsetText(int minutes);
// 12345678 -> "12,345,678"
std::wstring groupedNumber(std::uint64_t n);

// The whole page, lines ending in CR LF. recentActions: the record's last
// lines, the newest first.
std::wstring supportPageText(const Services& services, SystemInfoPort& system, const ProductProfile& profile,
                             const std::vector<std::wstring>& recentActions);

// "도움터 지원정보 20261210_130509.txt"
std::wstring supportFileName(const LocalTime& now);
// The saved file: UTF-8 with a byte order mark, the text's CR LF kept.
std::string supportFileBytes(const std::wstring& text);

}  // namespace doumteo
