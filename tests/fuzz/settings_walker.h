#pragma once
// What the fuzzers check the in-memory registry with after the code under
// test wrote to it: keys only below HKCU\Software\VB and VBA Program
// Settings, to a given depth, and values only from a given depth on.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_registry.h"

namespace doumteo::fuzzing {

inline void check(bool ok) {
  if (!ok) std::abort();
}

inline bool sameAscii(std::string a, std::string b) { return fakes::lower(std::move(a)) == fakes::lower(std::move(b)); }

// Depth 0 is a root, 3 an application's key, 4 a section key.
class SettingsWalker {
 public:
  SettingsWalker(fakes::FakeRegistry& r, int firstValueDepth, int deepestKey)
      : registry_(r), firstValueDepth_(firstValueDepth), deepestKey_(deepestKey) {}

  // Every root, whole; aborts at the first key or value out of place.
  void walkAll() {
    for (RegHandle root : {reg::kHkeyClassesRoot, reg::kHkeyCurrentUser, reg::kHkeyLocalMachine, reg::kHkeyUsers})
      walk(root, "", 0);
  }

 private:
  void walk(RegHandle root, const std::string& path, int depth) {
    RegHandle key = 0;
    check(registry_.openKey(root, path, reg::kKeyAllAccess, key) == reg::kSuccess);
    std::uint32_t length = static_cast<std::uint32_t>(name_.size());
    const long firstValue = registry_.enumValue(key, 0, name_.data(), length);
    check(firstValue == reg::kNoMoreItems || (root == reg::kHkeyCurrentUser && depth >= firstValueDepth_));
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
      check(root == reg::kHkeyCurrentUser && depth < deepestKey_);
      if (depth == 0) check(sameAscii(child, "Software"));
      if (depth == 1) check(sameAscii(child, "VB and VBA Program Settings"));
      walk(root, path.empty() ? child : path + "\\" + child, depth + 1);
    }
    check(registry_.closeKey(key) == reg::kSuccess);
  }

  fakes::FakeRegistry& registry_;
  int firstValueDepth_, deepestKey_;
  std::string name_ = std::string(256, '\0');
};

}  // namespace doumteo::fuzzing
