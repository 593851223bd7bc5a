#include "common/action_record.h"

#include <cstdint>

#include "common/guard.h"

namespace doumteo {

namespace {

// 500 lines are some 100 KB; a file far larger is none of the program's.
constexpr std::size_t kRecordLimit = 4u << 20;

std::wstring twoDigits(unsigned n) { return std::wstring(n < 10 ? L"0" : L"") + std::to_wstring(n); }

std::wstring firstLine(const std::wstring& text) { return text.substr(0, text.find_first_of(L"\r\n")); }

bool isErrorFormat(const MessageRequest& r) { return r.icon == MsgIcon::None && r.text.rfind(L"Error ", 0) == 0; }

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendWide(std::wstring& out, std::uint32_t c) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (c > 0xFFFF) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      return;
    }
  }
  out += static_cast<wchar_t>(c);
}

// The lines of the record without their ends; a last line without one counts.
std::vector<std::string_view> recordLines(std::string_view record) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < record.size()) {
    std::size_t end = record.find('\n', start);
    if (end == std::string_view::npos) end = record.size();
    std::string_view line = record.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::wstring actionRecordFolderOf(const std::wstring& localAppData) { return localAppData + L"\\도움터"; }
std::wstring actionRecordPathOf(const std::wstring& localAppData) {
  return actionRecordFolderOf(localAppData) + L"\\작업기록.txt";
}

std::string toUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<std::uint32_t>(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      const auto low = static_cast<std::uint32_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    appendUtf8(out, c);
  }
  return out;
}

std::wstring fromUtf8(std::string_view bytes) {
  std::wstring out;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const int more = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    std::uint32_t c = more == 0 ? b : more == 1 ? b & 0x1F : more == 2 ? b & 0x0F : b & 0x07;
    bool good = more >= 0 && i + static_cast<std::size_t>(more) < bytes.size();
    for (int k = 1; good && k <= more; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      good = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!good) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    appendWide(out, c);
    i += static_cast<std::size_t>(more) + 1;
  }
  return out;
}

std::wstring dateText(const LocalTime& t) {
  return std::to_wstring(t.year) + L"-" + twoDigits(t.month) + L"-" + twoDigits(t.day);
}

std::wstring dateTimeText(const LocalTime& t) {
  return dateText(t) + L" " + twoDigits(t.hour) + L":" + twoDigits(t.minute) + L":" + twoDigits(t.second);
}

std::wstring actionLine(const LocalTime& when, const std::wstring& caption, const std::wstring& outcome) {
  return dateTimeText(when) + L"  " + caption + L"  " + outcome;
}

std::string appendedRecord(std::string_view record, const std::wstring& line, std::size_t keep) {
  auto lines = recordLines(record);
  const std::string added = toUtf8(line);
  lines.push_back(added);
  const std::size_t first = lines.size() > keep ? lines.size() - keep : 0;
  std::string out;
  for (std::size_t i = first; i < lines.size(); ++i) {
    out += lines[i];
    out += "\r\n";
  }
  return out;
}

std::vector<std::wstring> newestRecordLines(std::string_view record, std::size_t count) {
  const auto lines = recordLines(record);
  std::vector<std::wstring> newest;
  for (std::size_t i = lines.size(); i > 0 && newest.size() < count; --i)
    if (!lines[i - 1].empty()) newest.push_back(fromUtf8(lines[i - 1]));
  return newest;
}

std::wstring commandOutcome(const std::vector<ShownMessage>& shown, const std::optional<Failure>& escaped) {
  if (escaped) return L"실패: Error " + std::to_wstring(escaped->number) + L" (" + escaped->description + L")";
  for (const auto& m : shown)
    if (isErrorFormat(m.request)) return L"실패: " + firstLine(m.request.text);
  for (const auto& m : shown)
    if (m.request.buttons == MsgButtons::YesNo && m.answer != Answer::Yes) return L"취소: " + firstLine(m.request.text);
  const std::wstring reminder = guardReminder(), refusal = closeAllReminder();
  for (const auto& m : shown)
    if ((m.request.icon == MsgIcon::Exclamation && m.request.text != reminder) || m.request.text == refusal)
      return L"거부: " + firstLine(m.request.text);
  for (auto m = shown.rbegin(); m != shown.rend(); ++m)
    if (m->request.text != reminder) return L"완료: " + firstLine(m->request.text);
  return L"완료";
}

ActionRecord::ActionRecord(MessageBoxPort& boxes, FileSystemPort& files, ClockPort& clock)
    : boxes_(boxes), files_(files), clock_(clock) {}

Answer ActionRecord::show(const MessageRequest& request) {
  const Answer answer = boxes_.show(request);
  if (!running_.empty()) running_.back().push_back({request, answer});
  return answer;
}

void ActionRecord::run(const std::wstring& caption, const std::function<void()>& command) {
  running_.emplace_back();
  try {
    command();
  } catch (...) {
    const std::vector<ShownMessage> shown = std::move(running_.back());
    running_.pop_back();
    note(caption, commandOutcome(shown, failureOf(std::current_exception())));
    throw;
  }
  const std::vector<ShownMessage> shown = std::move(running_.back());
  running_.pop_back();
  note(caption, commandOutcome(shown, std::nullopt));
}

void ActionRecord::note(const std::wstring& caption, const std::wstring& outcome) noexcept {
  try {
    const std::wstring localAppData = files_.localAppDataFolder();
    const std::wstring folder = actionRecordFolderOf(localAppData), path = actionRecordPathOf(localAppData);
    if (!files_.exists(folder, true)) files_.createFolder(folder);
    std::string record;
    try {
      if (files_.exists(path)) record = files_.readFile(path, kRecordLimit);
    } catch (const Failure& f) {
      // A record grown past any that this program writes starts anew.
      if (f.number != err::kOverflow) throw;
    }
    files_.writeFile(path, appendedRecord(record, actionLine(clock_.now(), caption, outcome)));
  } catch (...) {
    // The record is an aid for the support call, never a reason to stop.
  }
}

std::vector<std::wstring> ActionRecord::newest(std::size_t count) {
  const std::wstring path = actionRecordPathOf(files_.localAppDataFolder());
  if (!files_.exists(path)) return {};
  return newestRecordLines(files_.readFile(path, kRecordLimit), count);
}

}  // namespace doumteo
