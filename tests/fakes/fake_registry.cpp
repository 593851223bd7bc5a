#include "fakes/fake_registry.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "platform/ansi.h"

namespace doumteo::fakes {

namespace {
constexpr long kAccessDenied = 5;

std::vector<std::string> split(const std::string& path) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : path) {
    if (c == '\\') {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  parts.push_back(cur);
  if (parts.size() == 1 && parts[0].empty()) parts.clear();
  return parts;
}

bool sameName(const std::string& a, const std::string& b) { return lower(a) == lower(b); }

// Written out here rather than borrowed from the code under test, so that a
// fault there does not hide itself.
std::vector<std::uint8_t> toUtf16le(const std::wstring& text) {
  std::vector<std::uint8_t> out;
  auto unit = [&out](std::uint32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  for (wchar_t wc : text) {
    const auto c = static_cast<std::uint32_t>(wc);
    if (c >= 0x10000) {
      unit(0xD800 | ((c - 0x10000) >> 10));
      unit(0xDC00 | ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
  }
  return out;
}
}  // namespace

std::string lower(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

FakeRegistry::FakeRegistry() {
  for (RegHandle r : {reg::kHkeyClassesRoot, reg::kHkeyCurrentUser, reg::kHkeyLocalMachine, reg::kHkeyUsers})
    roots_[r] = std::make_unique<Key>();
}

FakeRegistry::Key* FakeRegistry::root(RegHandle r) const {
  if (auto it = roots_.find(r); it != roots_.end()) return it->second.get();
  if (auto it = handles_.find(r); it != handles_.end()) return it->second;
  return nullptr;
}

FakeRegistry::Key* FakeRegistry::find(RegHandle r, const std::string& path) const {
  Key* k = root(r);
  if (!k) return nullptr;
  const auto parts = split(path);
  for (const auto& p : parts) {
    if (p.empty()) return nullptr;  // doubled or trailing separators name no key
    Key* next = nullptr;
    for (auto& c : k->children)
      if (sameName(c->name, p)) next = c.get();
    if (!next) return nullptr;
    k = next;
  }
  return k;
}

FakeRegistry::Key* FakeRegistry::keyOf(RegHandle h) const {
  if (auto it = handles_.find(h); it != handles_.end()) return it->second;
  return nullptr;
}

std::string FakeRegistry::pathOf(const Key* k) {
  std::string p;
  for (; k && k->parent; k = k->parent) p = k->name + (p.empty() ? "" : "\\" + p);
  return p;
}

bool FakeRegistry::isReadOnly(const Key* k) const {
  const std::string p = lower(pathOf(k));
  for (const auto& ro : readOnly)
    if (p == ro || p.rfind(ro + "\\", 0) == 0) return true;
  return false;
}

long FakeRegistry::openKey(RegHandle r, const std::string& path, std::uint32_t, RegHandle& out) {
  ++calls;
  Key* k = find(r, path);
  if (!k) return reg::kFileNotFound;
  out = next_++;
  handles_[out] = k;
  return reg::kSuccess;
}

long FakeRegistry::createKey(RegHandle r, const std::string& path, RegHandle& out) {
  ++calls;
  Key* k = root(r);
  if (!k) return 6;
  for (const auto& p : split(path)) {
    if (p.empty()) return 87;
    Key* next = nullptr;
    for (auto& c : k->children)
      if (sameName(c->name, p)) next = c.get();
    if (!next) {
      if (isReadOnly(k)) return kAccessDenied;
      auto child = std::make_unique<Key>();
      child->name = p;
      child->parent = k;
      next = child.get();
      k->children.push_back(std::move(child));
    }
    k = next;
  }
  out = next_++;
  handles_[out] = k;
  return reg::kSuccess;
}

long FakeRegistry::closeKey(RegHandle h) {
  ++calls;
  return handles_.erase(h) ? reg::kSuccess : 6;
}

long FakeRegistry::queryValue(RegHandle h, const std::optional<std::string>& name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  const std::string n = name.value_or("");
  for (const auto& v : k->values) {
    if (!sameName(v.name, n)) continue;
    if (type) *type = v.type;
    const auto needed = static_cast<std::uint32_t>(v.data.size());
    if (data) {
      if (!size || *size < needed) {
        if (size) *size = needed;
        return reg::kMoreData;
      }
      std::copy(v.data.begin(), v.data.end(), data);
    }
    if (size) *size = needed;
    return reg::kSuccess;
  }
  return reg::kFileNotFound;
}

long FakeRegistry::setValue(RegHandle h, const std::optional<std::string>& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  if (isReadOnly(k)) return kAccessDenied;
  const std::string n = name.value_or("");
  std::vector<std::uint8_t> bytes(data, data + size);
  for (auto& v : k->values)
    if (sameName(v.name, n)) {
      v.type = type;
      v.data = std::move(bytes);
      return reg::kSuccess;
    }
  k->values.push_back({n, type, std::move(bytes)});
  return reg::kSuccess;
}

long FakeRegistry::enumKey(RegHandle h, std::uint32_t index, char* buffer, std::uint32_t bufferSize) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  if (index >= k->children.size()) return reg::kNoMoreItems;
  const auto& n = k->children[index]->name;
  if (n.size() + 1 > bufferSize) return reg::kMoreData;
  std::memcpy(buffer, n.c_str(), n.size() + 1);
  return reg::kSuccess;
}

long FakeRegistry::enumValue(RegHandle h, std::uint32_t index, char* buffer, std::uint32_t& length) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  if (index >= k->values.size()) return reg::kNoMoreItems;
  const auto& n = k->values[index].name;
  if (n.size() + 1 > length) return reg::kMoreData;
  std::memcpy(buffer, n.c_str(), n.size() + 1);
  length = static_cast<std::uint32_t>(n.size());
  return reg::kSuccess;
}

long FakeRegistry::deleteValue(RegHandle h, const std::optional<std::string>& name) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  if (isReadOnly(k)) return kAccessDenied;
  const std::string n = name.value_or("");
  auto it = std::find_if(k->values.begin(), k->values.end(), [&](const Value& v) { return sameName(v.name, n); });
  if (it == k->values.end()) return reg::kFileNotFound;
  k->values.erase(it);
  return reg::kSuccess;
}

long FakeRegistry::deleteKey(RegHandle r, const std::string& path) {
  ++calls;
  Key* k = find(r, path);
  if (!k) return reg::kFileNotFound;
  if (!k->parent) return kAccessDenied;  // a root cannot be deleted
  if (!k->children.empty()) return kAccessDenied;
  if (undeletable.count(lower(pathOf(k))) || isReadOnly(k->parent)) return kAccessDenied;
  for (auto it = handles_.begin(); it != handles_.end();) {
    // Handles to a deleted key stay valid on Windows but see nothing; here
    // they are simply dropped from the tree's reach.
    if (it->second == k)
      it = handles_.erase(it);
    else
      ++it;
  }
  auto& siblings = k->parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == k; }));
  return reg::kSuccess;
}

long FakeRegistry::openKeyW(RegHandle r, const std::wstring& path, std::uint32_t access, RegHandle& out) {
  return openKey(r, toAnsi(path), access, out);
}

long FakeRegistry::enumKeyW(RegHandle h, std::uint32_t index, std::wstring& name) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  if (index >= k->children.size()) return reg::kNoMoreItems;
  name = fromAnsi(k->children[index]->name);
  return reg::kSuccess;
}

long FakeRegistry::enumValueW(RegHandle h, std::uint32_t index, std::wstring& name, std::uint32_t& type,
                              std::vector<std::uint8_t>& data) {
  ++calls;
  Key* k = keyOf(h);
  if (!k) return 6;
  if (index >= k->values.size()) return reg::kNoMoreItems;
  const Value& v = k->values[index];
  name = fromAnsi(v.name);
  type = v.type;
  const bool text = v.type == reg::kSz || v.type == reg::kExpandSz || v.type == reg::kMultiSz;
  data = text ? toUtf16le(fromAnsi(std::string(v.data.begin(), v.data.end()))) : v.data;
  return reg::kSuccess;
}

long FakeRegistry::createKeyW(RegHandle r, const std::wstring& path, RegHandle& out) {
  return createKey(r, toAnsi(path), out);
}

long FakeRegistry::setValueW(RegHandle h, const std::wstring& name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
  const bool text = type == reg::kSz || type == reg::kExpandSz || type == reg::kMultiSz;
  std::string stored(data.begin(), data.end());
  if (text) {
    std::wstring units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) units += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    stored = toAnsi(units);
  }
  const std::optional<std::string> ansiName = name.empty() ? std::nullopt : std::optional(toAnsi(name));
  return setValue(h, ansiName, type, reinterpret_cast<const std::uint8_t*>(stored.data()),
                  static_cast<std::uint32_t>(stored.size()));
}

long FakeRegistry::deleteKeyW(RegHandle r, const std::wstring& path) { return deleteKey(r, toAnsi(path)); }

bool FakeRegistry::keyExists(RegHandle r, const std::string& path) const { return find(r, path) != nullptr; }

const FakeRegistry::Value* FakeRegistry::value(RegHandle r, const std::string& path, const std::string& name) const {
  Key* k = find(r, path);
  if (!k) return nullptr;
  for (const auto& v : k->values)
    if (sameName(v.name, name)) return &v;
  return nullptr;
}

std::optional<std::string> FakeRegistry::text(RegHandle r, const std::string& path, const std::string& name) const {
  const Value* v = value(r, path, name);
  if (!v || v->type != reg::kSz) return std::nullopt;
  std::string s(v->data.begin(), v->data.end());
  if (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

void FakeRegistry::putRaw(RegHandle r, const std::string& path, const std::string& name, std::uint32_t type,
                          std::vector<std::uint8_t> data) {
  RegHandle h = 0;
  const auto saved = readOnly;
  readOnly.clear();
  createKey(r, path, h);
  setValue(h, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
  closeKey(h);
  readOnly = saved;
}

void FakeRegistry::putText(RegHandle r, const std::string& path, const std::string& name, const std::string& t) {
  std::vector<std::uint8_t> data(t.begin(), t.end());
  data.push_back(0);
  putRaw(r, path, name, reg::kSz, std::move(data));
}

void FakeRegistry::putNamelessKey(RegHandle r, const std::string& path) {
  RegHandle h = 0;
  createKey(r, path, h);
  Key* k = keyOf(h);
  k->children.push_back(std::make_unique<Key>());
  k->children.back()->parent = k;
  closeKey(h);
}

std::vector<std::string> FakeRegistry::dump(RegHandle r) const {
  std::vector<std::string> lines;
  std::vector<const Key*> stack{root(r)};
  while (!stack.empty()) {
    const Key* k = stack.back();
    stack.pop_back();
    if (k->parent && k->values.empty() && k->children.empty()) lines.push_back(pathOf(k) + "\\");
    for (const auto& v : k->values) {
      std::ostringstream o;
      o << pathOf(k) << "\\" << v.name << "=" << v.type << ":" << std::string(v.data.begin(), v.data.end());
      lines.push_back(o.str());
    }
    for (const auto& c : k->children) stack.push_back(c.get());
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace doumteo::fakes
