#include "common/web_addresses.h"

#include <cstdint>

#include "build_config.h"
#include "common/text.h"

namespace doumteo {

std::wstring makerSiteAddress(std::wstring_view path) {
  std::wstring address = build::kMakerHost;
  address += path;
  return address;
}

std::wstring makerWebAddress(std::wstring_view path) { return L"http://" + makerSiteAddress(path); }

std::wstring mdacDownloadAddress() { return makerWebAddress(build::kMdacPath); }

std::wstring remoteHelpToolAddress() { return makerWebAddress(build::kRemoteToolPath); }

std::wstring remoteSupportAddress() { return std::wstring(L"http://") + build::kRemoteHost + build::kRemotePath; }

std::wstring loginAddress(std::wstring_view id, std::wstring_view password) {
  return makerWebAddress(build::kPageLogin) + L"?&id=" + escapeQueryValue(id) + L"&passwd=" +
         escapeQueryValue(password);
}

std::wstring escapeQueryValue(std::wstring_view text) {
  static constexpr std::wstring_view kReserved = L"&#+%=? ";
  std::wstring out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(c);
    const bool control = code < 0x20 || code == 0x7F;
    if (control || kReserved.find(c) != std::wstring_view::npos) {
      const std::uint32_t byte = code;  // all of these are ASCII
      out += L'%';
      out += hexDigitUpper(byte >> 4);
      out += hexDigitUpper(byte & 0xF);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace doumteo
