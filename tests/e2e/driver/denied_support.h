#pragma once
// A settings key the program may read but not write: its access list is
// replaced by one that grants the user KEY_READ only, so that opening it for
// writing fails with "access denied" while reading still works. The old list
// goes back when the guard ends, through a handle opened before the change.
#include <windows.h>

#include <string>
#include <vector>

#include "driver/driver.h"

namespace e2e::denied {

class ReadOnlyKey {
 public:
  // path below HKEY_CURRENT_USER; the key must exist.
  explicit ReadOnlyKey(const std::wstring& path) : path_(path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS)
      throw DriverError(L"cannot open " + path + L" to change its access list");
    key_.reset(key);
    DWORD size = 0;
    RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    saved_.resize(size);
    if (size == 0 || RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
      throw DriverError(L"cannot read the access list of " + path);

    std::vector<BYTE> user = currentUserSid();
    PSID sid = user.data();
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid);
    std::vector<BYTE> acl(aclSize);
    SECURITY_DESCRIPTOR sd;
    if (!InitializeAcl(reinterpret_cast<PACL>(acl.data()), aclSize, ACL_REVISION) ||
        !AddAccessAllowedAce(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, KEY_READ, sid) ||
        !InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&sd, TRUE, reinterpret_cast<PACL>(acl.data()), FALSE))
      throw DriverError(L"cannot build a read-only access list");
    if (RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, &sd) != ERROR_SUCCESS)
      throw DriverError(L"cannot make " + path + L" read-only");
  }
  ~ReadOnlyKey() {
    if (RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, saved_.data()) != ERROR_SUCCESS)
      ADD_FAILURE() << "the access list of " << narrow(path_) << " could not be put back";
  }
  ReadOnlyKey(const ReadOnlyKey&) = delete;
  ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

  // Whether writing is refused indeed; not every registry enforces access lists.
  bool denied() const {
    HKEY probe = nullptr;
    const LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &probe);
    const UniqueKey owner(probe);
    return rc == ERROR_ACCESS_DENIED;
  }

 private:
  static std::vector<BYTE> currentUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) throw DriverError(L"no process token");
    const UniqueHandle owner(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    const BOOL ok = size != 0 && GetTokenInformation(token, TokenUser, info.data(), size, &size);
    if (!ok) throw DriverError(L"cannot read the user of the process token");
    PSID sid = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
  }

  std::wstring path_;
  UniqueKey key_;
  std::vector<BYTE> saved_;
};

}  // namespace e2e::denied
