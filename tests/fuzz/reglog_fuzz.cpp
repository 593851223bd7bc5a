// RegLogRead on arbitrary backup files against the in-memory registry. Checks
// that it always runs to its end, leaves no key open and writes nowhere but
// into a section key HKCU\<settings root>\<app>\<section>.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fakes.h"
#include "platform/settings_store.h"
#include "registry/reg_log.h"
#include "support/backup_encoder.h"

namespace {

using doumteo::RegHandle;
namespace reg = doumteo::reg;

void check(bool ok) {
  if (!ok) std::abort();
}

bool sameAscii(std::string a, std::string b) {
  return doumteo::fakes::lower(std::move(a)) == doumteo::fakes::lower(std::move(b));
}

class Walker {
 public:
  explicit Walker(doumteo::fakes::FakeRegistry& r) : registry_(r) {}

  // Depth 0 is the root; values may sit only at depth 4 (a section key).
  void walk(RegHandle root, const std::string& path, int depth) {
    RegHandle key = 0;
    check(registry_.openKey(root, path, reg::kKeyAllAccess, key) == reg::kSuccess);
    std::uint32_t length = static_cast<std::uint32_t>(name_.size());
    const long firstValue = registry_.enumValue(key, 0, name_.data(), length);
    check(firstValue == reg::kNoMoreItems || (root == reg::kHkeyCurrentUser && depth == 4));
    for (std::uint32_t i = 0;;) {
      const long rc = registry_.enumKey(key, i, name_.data(), static_cast<std::uint32_t>(name_.size()));
      if (rc == reg::kNoMoreItems) break;
      if (rc == reg::kMoreData) {
        name_.resize(name_.size() * 2);
        continue;
      }
      check(rc == reg::kSuccess);
      ++i;
      const std::string child(name_.c_str());
      check(!child.empty());
      check(root == reg::kHkeyCurrentUser && depth < 4);
      if (depth == 0) check(sameAscii(child, "Software"));
      if (depth == 1) check(sameAscii(child, "VB and VBA Program Settings"));
      walk(root, path.empty() ? child : path + "\\" + child, depth + 1);
    }
    check(registry_.closeKey(key) == reg::kSuccess);
  }

 private:
  doumteo::fakes::FakeRegistry& registry_;
  std::string name_ = std::string(256, '\0');
};

// Mode 1: the rest is a settings text to be written as a valid file, so that
// the records themselves get explored; an ASCII byte is a character, any other
// byte starts a two-byte code unit.
std::string encodedFile(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i < size; ++i) {
    wchar_t unit = static_cast<wchar_t>(data[i]);
    if (data[i] >= 0x80) {
      if (i + 2 >= size) break;
      unit = static_cast<wchar_t>(data[i + 1] | data[i + 2] << 8);
      i += 2;
    }
    if (doumteo::testing::isHexEncodable(unit)) text += unit;
  }
  return doumteo::testing::backupFileFromHex(doumteo::testing::hexEncode(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool encoded = data[0] & 1;
  doumteo::fakes::FakeEnv env;
  const std::wstring path = env.files.folder + L"\\DBS\\환경설정_fuzz.mdb";
  env.files.files[path].content =
      encoded ? encodedFile(data + 1, size - 1) : std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  check(doumteo::RegLogRead(env.services(), path));
  check(env.registry.openHandles() == 0);
  Walker walker(env.registry);
  for (RegHandle root : {reg::kHkeyClassesRoot, reg::kHkeyCurrentUser, reg::kHkeyLocalMachine, reg::kHkeyUsers})
    walker.walk(root, "", 0);
  check(env.registry.openHandles() == 0);
  return 0;
}
