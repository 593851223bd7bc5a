#include "registry/reg_log.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/messages.h"
#include "common/text.h"
#include "platform/ansi.h"
#include "registry/registry.h"
#include "web/radix64.h"

namespace doumteo {

namespace {

std::wstring reportText(const Failure& f) { return errorTextColon(f, L"RegLogRead", L"Module modRegedit"); }

std::vector<std::wstring> split(const std::wstring& text, const std::wstring& sep) {
  std::vector<std::wstring> pieces;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(sep, start)) != std::wstring::npos; start = at + sep.size())
    pieces.push_back(text.substr(start, at - start));
  pieces.push_back(text.substr(start));
  return pieces;
}

// Field 1 of a record; a record without a TAB has none.
const std::wstring& field1(const std::vector<std::wstring>& fields) {
  if (fields.size() < 2) failSubscript();
  return fields[1];
}

std::wstring sectionKeyPath(const std::wstring& app, const std::wstring& section) {
  return settingsAreaKeyPath(app) + L"\\" + section;
}

// Where a record may write: both levels must name one key of their own.
bool writable(const std::wstring& app, const std::wstring& section) {
  return isSettingsLevelName(app) && isSettingsLevelName(section);
}

class LogReader {
 public:
  explicit LogReader(const Services& s) : s_(s) {}

  void apply(const std::wstring& settingsText) {
    const auto lines = split(settingsText, L"\r\n");
    // Line 0 is the header.
    for (std::size_t i = 1; i < lines.size(); ++i) {
      if (lines[i].empty()) continue;
      record(split(lines[i], L"\t"));
    }
  }

 private:
  void step(const std::function<void()>& body) { guardedStep(s_.messages, reportText, body); }

  void record(const std::vector<std::wstring>& fields) {
    if (fields[0] == L"&") {
      step([&] { app_ = field1(fields); });
    } else if (fields[0] == L"#") {
      section(fields);
    } else {
      step([&] { setting(fields[0], field1(fields)); });
    }
  }

  void section(const std::vector<std::wstring>& fields) {
    bool exists = false;
    // A failed existence test still goes on to the creation, as the handler
    // resumes with the statement that follows.
    step([&] {
      const std::wstring& name = field1(fields);
      exists = !writable(app_, name) || freshRoot()->SubKeyExists(sectionKeyPath(app_, name));
    });
    if (!exists) {
      step([&] {
        const std::wstring& name = field1(fields);
        if (!writable(app_, name)) return;
        std::wstring path = sectionKeyPath(app_, name);
        freshRoot()->CreateKey(path);
      });
    }
    step([&] { section_ = field1(fields); });
  }

  void setting(const std::wstring& name, const std::wstring& value) {
    // A record before its application or section would land in the shared
    // root or beside another program's settings: it is skipped.
    if (!writable(app_, section_)) return;
    auto appKey = freshRoot();
    if (!appKey->OpenKey(settingsAreaKeyPath(app_))) return;
    auto sectionKey = appKey->OpenKeyNew(section_);
    if (!sectionKey) return;
    sectionKey->SetValue(name, RegistryValue(value));
  }

  std::unique_ptr<Registry> freshRoot() {
    auto r = std::make_unique<Registry>(s_.registry);
    r->RootKey = reg::kHkeyCurrentUser;
    return r;
  }

  const Services& s_;
  std::wstring app_;
  std::wstring section_;
};

}  // namespace

void applySettingsLog(const Services& services, const std::wstring& settingsText) {
  LogReader(services).apply(settingsText);
}

std::vector<std::wstring> settingsLogApplications(const std::wstring& text) {
  // Key names are compared without regard to ASCII case, as the registry does.
  std::vector<std::wstring> apps, seen;
  const auto lines = split(text, L"\r\n");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto fields = split(lines[i], L"\t");
    if (fields.size() < 2 || fields[0] != L"&" || !isSettingsLevelName(fields[1])) continue;
    if (std::find(seen.begin(), seen.end(), asciiLower(fields[1])) != seen.end()) continue;
    seen.push_back(asciiLower(fields[1]));
    apps.push_back(fields[1]);
  }
  return apps;
}

std::wstring readSettingsLog(const Services& services, const std::wstring& path) {
  std::string line;
  bool opened = true;
  // Open and read are two steps: a file that cannot be opened also fails
  // the read, as reading from a file number that was never opened does. A
  // read that fails on an opened file is that step's failure alone.
  guardedStep(services.messages, reportText, [&] {
    try {
      line = services.files.readFirstLine(path);
    } catch (const FileOpenFailure&) {
      opened = false;
      throw;
    }
  });
  std::wstring text;
  guardedStep(services.messages, reportText, [&] {
    if (!opened) throw Failure(err::kBadFileName, L"Bad file name or number");
    text = fromAnsi(line);
  });
  // Both layers come off as one step; on failure the undecoded line stays,
  // which holds no line break and so is only a header.
  guardedStep(services.messages, reportText, [&] { text = HexTextDecode(Radix64Decode(text)); });
  return text;
}

bool RegLogRead(const Services& services, const std::wstring& path) {
  applySettingsLog(services, readSettingsLog(services, path));
  return true;
}

}  // namespace doumteo
