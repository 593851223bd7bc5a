// The snapshot reader on arbitrary files, and the undo's writing of what it
// takes against the in-memory registry. Checks that a file taken names only
// keys of a settings area, reads back the same after an export of it, and
// that putting it back writes nowhere but below
// HKCU\<settings root>\<app>, leaves no key open and reads back as the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_registry.h"
#include "registry/snapshot.h"
#include "registry/snapshot_reader.h"
#include "registry/undo.h"

namespace {

using doumteo::RegHandle;
namespace reg = doumteo::reg;

void check(bool ok) {
  if (!ok) std::abort();
}

bool sameAscii(std::string a, std::string b) {
  return doumteo::fakes::lower(std::move(a)) == doumteo::fakes::lower(std::move(b));
}

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

// Depth 0 is a root; keys below HKCU\Software\VB and VBA Program Settings
// only, values only at depth 3 (an application's key) and below.
void walk(doumteo::fakes::FakeRegistry& r, RegHandle root, const std::string& path, int depth) {
  RegHandle key = 0;
  check(r.openKey(root, path, reg::kKeyAllAccess, key) == reg::kSuccess);
  std::string name(256, '\0');
  std::uint32_t length = static_cast<std::uint32_t>(name.size());
  const long firstValue = r.enumValue(key, 0, name.data(), length);
  check(firstValue == reg::kNoMoreItems || firstValue == reg::kMoreData || depth >= 3);
  for (std::uint32_t i = 0;;) {
    const long rc = r.enumKey(key, i, name.data(), static_cast<std::uint32_t>(name.size()));
    if (rc == reg::kNoMoreItems) break;
    if (rc == reg::kMoreData) {
      name.resize(name.size() * 2);
      continue;
    }
    check(rc == reg::kSuccess);
    ++i;
    const std::string child(name.c_str());
    check(!child.empty());
    check(root == reg::kHkeyCurrentUser);
    if (depth == 0) check(sameAscii(child, "Software"));
    if (depth == 1) check(sameAscii(child, "VB and VBA Program Settings"));
    walk(r, root, path.empty() ? child : path + "\\" + child, depth + 1);
  }
  check(r.closeKey(key) == reg::kSuccess);
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
  for (RegHandle root : {reg::kHkeyClassesRoot, reg::kHkeyCurrentUser, reg::kHkeyLocalMachine, reg::kHkeyUsers})
    walk(registry, root, "", 0);
  bool neighbourRemoved = false;
  for (const auto& app : doumteo::snapshotApplications(content))
    neighbourRemoved |= sameAscii(std::string(app.begin(), app.end()), "Neighbour") && app.size() == 9;
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
