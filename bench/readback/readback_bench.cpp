// The read-back after an undo (snapshotDifferences) over N areas of one key
// and a subkey with two values each, on the in-memory registry of the tests.
// The time spent inside that registry is counted apart: its lookups are
// linear in a key's subkeys, which the real registry's are not, so the
// program's own share is the figure to watch.
//   readback_bench [N ...]   (default 1000 2000 4000 8000 16000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/fake_registry.h"
#include "registry/settings_area.h"

using namespace doumteo;
using Clock = std::chrono::steady_clock;

namespace {

// Forwards every call and adds up the time spent inside the forwarded one.
class TimedRegistry final : public RegistryApi {
 public:
  explicit TimedRegistry(RegistryApi& inner) : r_(inner) {}
  double inside = 0;

  long openKey(RegHandle root, const std::string& p, std::uint32_t a, RegHandle& o) override {
    return timed([&] { return r_.openKey(root, p, a, o); });
  }
  long createKey(RegHandle root, const std::string& p, RegHandle& o) override {
    return timed([&] { return r_.createKey(root, p, o); });
  }
  long closeKey(RegHandle k) override {
    return timed([&] { return r_.closeKey(k); });
  }
  long queryValue(RegHandle k, const std::optional<std::string>& n, std::uint32_t* t, std::uint8_t* d,
                  std::uint32_t* s) override {
    return timed([&] { return r_.queryValue(k, n, t, d, s); });
  }
  long setValue(RegHandle k, const std::optional<std::string>& n, std::uint32_t t, const std::uint8_t* d,
                std::uint32_t s) override {
    return timed([&] { return r_.setValue(k, n, t, d, s); });
  }
  long enumKey(RegHandle k, std::uint32_t i, char* b, std::uint32_t s) override {
    return timed([&] { return r_.enumKey(k, i, b, s); });
  }
  long enumValue(RegHandle k, std::uint32_t i, char* b, std::uint32_t& l) override {
    return timed([&] { return r_.enumValue(k, i, b, l); });
  }
  long deleteValue(RegHandle k, const std::optional<std::string>& n) override {
    return timed([&] { return r_.deleteValue(k, n); });
  }
  long deleteKey(RegHandle root, const std::string& p) override {
    return timed([&] { return r_.deleteKey(root, p); });
  }
  long openKeyW(RegHandle root, const std::wstring& p, std::uint32_t a, RegHandle& o) override {
    return timed([&] { return r_.openKeyW(root, p, a, o); });
  }
  long enumKeyW(RegHandle k, std::uint32_t i, std::wstring& n) override {
    return timed([&] { return r_.enumKeyW(k, i, n); });
  }
  long enumValueW(RegHandle k, std::uint32_t i, std::wstring& n, std::uint32_t& t,
                  std::vector<std::uint8_t>& d) override {
    return timed([&] { return r_.enumValueW(k, i, n, t, d); });
  }
  long createKeyW(RegHandle root, const std::wstring& p, RegHandle& o) override {
    return timed([&] { return r_.createKeyW(root, p, o); });
  }
  long setValueW(RegHandle k, const std::wstring& n, std::uint32_t t, const std::vector<std::uint8_t>& d) override {
    return timed([&] { return r_.setValueW(k, n, t, d); });
  }
  long deleteKeyW(RegHandle root, const std::wstring& p) override {
    return timed([&] { return r_.deleteKeyW(root, p); });
  }

 private:
  template <class F>
  long timed(F call) {
    const auto start = Clock::now();
    const long rc = call();
    inside += std::chrono::duration<double>(Clock::now() - start).count();
    return rc;
  }
  RegistryApi& r_;
};

// REG_SZ data as the wide calls hold it, with its terminating NUL.
std::vector<std::uint8_t> text(std::wstring t) {
  t.push_back(L'\0');
  return utf16le(t);
}

RegExport areas(int n) {
  RegExport content;
  for (int i = 0; i < n; ++i) {
    const std::wstring area = settingsAreaExportPath(L"App" + std::to_wstring(i));
    content.removed.push_back(area);
    content.keys.push_back({area, {}});
    content.keys.push_back(
        {area + L"\\Settings", {{L"Server", reg::kSz, text(L"127.0.0.1")}, {L"Port", reg::kSz, text(L"1433")}}});
  }
  return content;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {1000, 2000, 4000, 8000, 16000};
  int failed = 0;
  for (int n : sizes) {
    const RegExport content = areas(n);
    fakes::FakeRegistry fake;
    TimedRegistry api(fake);
    const std::size_t problems = applySnapshot(api, content).size();
    api.inside = 0;
    const auto start = Clock::now();
    const std::size_t differences = snapshotDifferences(api, content).size();
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%6d areas: read-back %7.2f s, in the in-memory registry %7.2f s, the program's own %6.2f s\n", n,
                total, api.inside, total - api.inside);
    if (problems || differences) {
      std::printf("  %zu problems writing, %zu differences read back\n", problems, differences);
      failed = 1;
    }
  }
  return failed;
}
