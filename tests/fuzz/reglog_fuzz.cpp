// RegLogRead on arbitrary backup files against the in-memory registry. Checks
// that it always runs to its end, leaves no key open and writes nowhere but
// into a section key HKCU\<settings root>\<app>\<section>.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fakes/fakes.h"
#include "registry/reg_log.h"
#include "registry/settings_store.h"
#include "settings_walker.h"
#include "support/backup_encoder.h"

namespace {

using doumteo::fuzzing::check;

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
  // Values only in a section key, and no key below one.
  doumteo::fuzzing::SettingsWalker(env.registry, 4, 4).walkAll();
  check(env.registry.openHandles() == 0);
  return 0;
}
