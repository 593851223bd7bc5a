#pragma once
// An in-memory registry behind the raw registry port: keys with ordered
// subkeys and values, names compared without regard to ASCII case, handles
// that must be closed. Paths can be made read-only or undeletable to test
// failures.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace doumteo::fakes {

class FakeRegistry final : public RegistryApi {
 public:
  struct Value {
    std::string name;  // "" = default value
    std::uint32_t type = reg::kSz;
    std::vector<std::uint8_t> data;
  };
  struct Key {
    std::string name;
    std::vector<std::unique_ptr<Key>> children;
    std::vector<Value> values;
    Key* parent = nullptr;
  };

  FakeRegistry();

  long openKey(RegHandle root, const std::string& path, std::uint32_t access, RegHandle& out) override;
  long createKey(RegHandle root, const std::string& path, RegHandle& out) override;
  long closeKey(RegHandle key) override;
  long queryValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long setValue(RegHandle key, const std::optional<std::string>& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long enumKey(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t bufferSize) override;
  long enumValue(RegHandle key, std::uint32_t index, char* buffer, std::uint32_t& length) override;
  long deleteValue(RegHandle key, const std::optional<std::string>& name) override;
  long deleteKey(RegHandle root, const std::string& path) override;

  // Wide reading as Windows gives it over what the ANSI calls stored: names
  // and text data converted from the ANSI code page, text as UTF-16LE.
  long openKeyW(RegHandle root, const std::wstring& path, std::uint32_t access, RegHandle& out) override;
  long enumKeyW(RegHandle key, std::uint32_t index, std::wstring& name) override;
  long enumValueW(RegHandle key, std::uint32_t index, std::wstring& name, std::uint32_t& type,
                  std::vector<std::uint8_t>& data) override;
  // Wide writing stores through the ANSI code page, as the reading gives it
  // back; names it cannot hold do not survive here (the Windows suite checks
  // the real calls).
  long createKeyW(RegHandle root, const std::wstring& path, RegHandle& out) override;
  long setValueW(RegHandle key, const std::wstring& name, std::uint32_t type,
                 const std::vector<std::uint8_t>& data) override;
  long deleteKeyW(RegHandle root, const std::wstring& path) override;

  // ---- test helpers (paths relative to the root, "\" separated) ----
  bool keyExists(RegHandle root, const std::string& path) const;
  // REG_SZ text (bytes without the NUL), or nullopt when missing/not text.
  std::optional<std::string> text(RegHandle root, const std::string& path, const std::string& name) const;
  const Value* value(RegHandle root, const std::string& path, const std::string& name) const;
  void putRaw(RegHandle root, const std::string& path, const std::string& name, std::uint32_t type,
              std::vector<std::uint8_t> data);
  void putText(RegHandle root, const std::string& path, const std::string& name, const std::string& text);
  // A subkey with an empty name, which only the native calls can make.
  void putNamelessKey(RegHandle root, const std::string& path);
  // Every value under the root as "path\name=type:data" lines, sorted.
  std::vector<std::string> dump(RegHandle root) const;
  std::size_t openHandles() const { return handles_.size(); }

  std::set<std::string> readOnly;     // lower-case paths: writes and creates below fail with 5
  std::set<std::string> undeletable;  // lower-case paths: deleteKey fails with 5
  int calls = 0;                      // every port call

 private:
  Key* root(RegHandle r) const;
  Key* find(RegHandle root, const std::string& path) const;
  Key* keyOf(RegHandle h) const;
  static std::string pathOf(const Key* k);
  bool isReadOnly(const Key* k) const;
  std::map<RegHandle, std::unique_ptr<Key>> roots_;
  std::map<RegHandle, Key*> handles_;
  RegHandle next_ = 0x1000;
};

std::string lower(std::string s);

}  // namespace doumteo::fakes
