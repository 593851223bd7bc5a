// The snapshot reader on arbitrary files, and the undo's writing of what it
// takes against the in-memory registry. Checks that a file taken names only
// keys of a settings area, reads back the same after an export of it, and
// that putting it back writes nowhere but below
// HKCU\<settings root>\<app>, leaves no key open and reads back as the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "fakes/fake_registry.h"
#include "registry/settings_area.h"
#include "registry/snapshot.h"
#include "registry/undo.h"
#include "settings_walker.h"

namespace {

using doumteo::fuzzing::check;
namespace reg = doumteo::reg;

// Written here, not borrowed from the reader: the path of a key in an area.
bool inArea(const std::wstring& path) {
  const std::wstring root = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\";
  if (path.compare(0, root.size(), root) != 0) return false;
  std::size_t start = root.size();
  for (;;) {
    const std::size_t end = path.find(L'\\', start);
    const std::wstring name = path.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (name.empty() || name.find_first_not_of(L'.') == std::wstring::npos) return false;
    if (end == std::wstring::npos) return true;
    start = end + 1;
  }
}

// Mode 1: the rest is text; an ASCII byte is a character, any other byte
// starts a two-byte code unit. It is written as a .reg file would be.
std::string fileOfText(const std::uint8_t* data, std::size_t size) {
  std::string out = "\xFF\xFE";
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] < 0x80) {
      out += static_cast<char>(data[i]);
      out += '\0';
    } else if (i + 2 < size) {
      out += static_cast<char>(data[i + 1]);
      out += static_cast<char>(data[i + 2]);
      i += 2;
    }
  }
  return out;
}

// What the fake, which keeps texts in UTF-8, can hold exactly: no lone
// surrogate, and text data of whole code units.
bool fakeHoldsExactly(const doumteo::RegExport& content) {
  for (wchar_t c : doumteo::exportText(content))
    if (c >= 0xD800 && c < 0xE000) return false;
  for (const auto& key : content.keys)
    for (const auto& v : key.values)
      if ((v.type == reg::kSz || v.type == reg::kExpandSz || v.type == reg::kMultiSz) && v.data.size() % 2)
        return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string bytes =
      data[0] & 1 ? fileOfText(data + 1, size - 1) : std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  const auto read = doumteo::readSnapshotFile(bytes);
  if (!read.content) {
    check(!read.refusal.empty());
    return 0;
  }
  const doumteo::RegExport& content = *read.content;
  check(!content.removed.empty());
  for (const auto& path : content.removed) check(inArea(path) && doumteo::areaApplication(path).has_value());
  for (const auto& key : content.keys) check(inArea(key.path));
  // What is taken is what an export of it writes.
  check(doumteo::readSnapshotText(doumteo::exportText(content)).content == content);

  doumteo::fakes::FakeRegistry registry;
  // Something of another program and another hive, which must stay.
  registry.putText(reg::kHkeyCurrentUser, "Software\\VB and VBA Program Settings\\Neighbour\\S", "N", "V");
  const auto problems = doumteo::applySnapshot(registry, content);
  check(registry.openHandles() == 0);
  // Values from an application's key down, keys at any depth below it.
  doumteo::fuzzing::SettingsWalker(registry, 3, 1 << 30).walkAll();
  bool neighbourRemoved = false;
  for (const auto& app : doumteo::snapshotApplications(content))
    neighbourRemoved |= doumteo::equalsIgnoringAsciiCase(app, L"Neighbour");
  if (!neighbourRemoved)
    check(registry.text(reg::kHkeyCurrentUser, "Software\\VB and VBA Program Settings\\Neighbour\\S", "N") ==
          std::optional<std::string>("V"));
  if (fakeHoldsExactly(content)) {
    check(problems.empty());
    check(doumteo::snapshotDifferences(registry, content).empty());
  }
  check(registry.openHandles() == 0);
  return 0;
}
