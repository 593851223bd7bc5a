#include "app/support_page.h"

#include <cstdint>
#include <optional>

#include "app/db_check.h"
#include "build_config.h"
#include "common/action_record.h"
#include "common/guard.h"
#include "platform/ansi.h"
#include "registry/backup_list.h"
#include "registry/snapshot.h"
#include "registry/undo.h"

namespace doumteo {

namespace {

// The label column, in the columns of a fixed-pitch font.
constexpr std::size_t kLabelColumns = 26;
constexpr char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kPoliciesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

std::size_t columns(const std::wstring& text) {
  std::size_t n = 0;
  for (wchar_t c : text) n += c >= 0x1100 ? 2 : 1;
  return n;
}

std::wstring unreadable(const std::wstring& reason) { return L"읽을 수 없음: " + reason; }

// A fact, or in its place why it cannot be read.
template <class Read>
std::wstring fact(const Read& read) {
  try {
    return read();
  } catch (const Failure& f) {
    return unreadable(failureInWords(f));
  }
}

// A setting left empty says so rather than leaving a blank to be misread.
std::wstring orNone(const std::wstring& value) { return value.empty() ? std::wstring(L"없음") : value; }
std::wstring yesNo(bool yes) { return yes ? L"예" : L"아니요"; }
std::wstring bits(bool is64) { return is64 ? L"64비트" : L"32비트"; }

class Page {
 public:
  void section(const std::wstring& name) { text_ += (text_.empty() ? L"" : L"\r\n") + (L"[" + name + L"]\r\n"); }
  void line(const std::wstring& label, const std::wstring& value) {
    const std::size_t used = columns(label);
    text_ += L"  " + label + std::wstring(used < kLabelColumns ? kLabelColumns - used : 1, L' ') + value + L"\r\n";
  }
  void plain(const std::wstring& text) { text_ += L"  " + text + L"\r\n"; }
  std::wstring text() const { return text_; }

 private:
  std::wstring text_;
};

// A value under HKEY_LOCAL_MACHINE as text (REG_SZ) or number (REG_DWORD);
// nullopt when the key or the value is not there.
std::optional<std::wstring> machineValue(RegistryApi& api, const char* keyPath, const char* name) {
  RegHandle key = 0;
  const long opened = api.openKey(reg::kHkeyLocalMachine, keyPath, reg::kKeyQueryValue, key);
  if (opened == reg::kFileNotFound) return std::nullopt;
  if (opened != reg::kSuccess) throw Failure(static_cast<int>(opened), L"레지스트리 키를 열 수 없습니다");
  const RegKey closer(api, key);
  std::uint32_t type = 0, size = 0;
  if (api.queryValue(key, std::string(name), &type, nullptr, &size) != reg::kSuccess) return std::nullopt;
  std::string bytes(size, '\0');
  const long read = api.queryValue(key, std::string(name), &type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
  if (read != reg::kSuccess) throw Failure(static_cast<int>(read), L"레지스트리 값을 읽을 수 없습니다");
  bytes.resize(size);
  if (type == reg::kDword && size == 4) {
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return std::to_wstring(n);
  }
  if (type != reg::kSz && type != reg::kExpandSz) return std::nullopt;
  return fromAnsi(bytes.substr(0, bytes.find('\0')));
}

std::wstring fileFacts(SystemInfoPort& system, const std::wstring& path, bool withVersion) {
  const auto found = system.file(path);
  if (!found) return L"없음";
  std::wstring text = L"있음, " + groupedNumber(found->size) + L" 바이트, 바뀐 때 " + dateTimeText(found->changed);
  if (withVersion) text += L", 버전 " + (found->version.empty() ? std::wstring(L"없음") : found->version);
  return text;
}

void aboutProgram(Page& page, const Services& s, SystemInfoPort& system) {
  page.section(L"도움터");
  const std::wstring exe = fact([&] { return system.executablePath(); });
  page.line(L"버전", fact([&] {
              const auto found = system.file(exe);
              return (found && !found->version.empty() ? found->version : unreadable(L"파일 버전이 없습니다")) + L" (" +
                     bits(system.is64BitProcess()) + L" 빌드)";
            }));
  page.line(L"만든 곳", build::kCompany);
  page.line(L"서명", fact([&] {
              const std::wstring signer = system.signer(exe);
              return signer.empty() ? std::wstring(L"서명 없음") : L"서명됨: " + signer;
            }));
  page.line(L"프로그램 폴더", fact([&] { return s.files.programFolder(); }));
}

void aboutWindows(Page& page, const Services& s, SystemInfoPort& system) {
  page.section(L"Windows");
  const auto value = [&](const char* name) { return machineValue(s.registry, kWindowsKey, name).value_or(L""); };
  page.line(L"제품", fact([&] {
              std::wstring release = value("DisplayVersion");
              if (release.empty()) release = value("ReleaseId");
              return windowsProductName(value("ProductName"), release, value("CurrentBuild"), value("CSDVersion"));
            }));
  page.line(L"빌드", fact([&] {
              const std::wstring build = value("CurrentBuild"), revision = value("UBR");
              if (build.empty()) return unreadable(L"CurrentBuild 값이 없습니다");
              return revision.empty() ? build : build + L"." + revision;
            }));
  page.line(L"종류", fact([&] { return bits(system.is64BitWindows()) + L" Windows"; }));
  page.line(L"관리자 권한으로 실행", fact([&] { return yesNo(system.elevated()); }));
  page.line(L"사용자 계정 컨트롤", fact([&] {
              const auto lua = machineValue(s.registry, kPoliciesKey, "EnableLUA");
              if (!lua) return unreadable(L"EnableLUA 값이 없습니다");
              return std::wstring(*lua == L"0" ? L"꺼짐" : L"켜짐");
            }));
  page.line(L"화면", fact([&] {
              const ScreenFacts screen = system.screen();
              return std::to_wstring(screen.width) + L" × " + std::to_wstring(screen.height) + L", " +
                     std::to_wstring(screen.dpi) + L" DPI (" + std::to_wstring(screen.dpi * 100 / 96) + L"%)";
            }));
  page.line(L"ANSI 코드 페이지", fact([&] { return std::to_wstring(system.ansiCodePage()); }));
  page.line(L"표준 시간대", fact([&] {
              const TimeZoneFacts zone = system.timeZone();
              return zone.name + L" (UTC" + utcOffsetText(zone.utcOffsetMinutes) + L")";
            }));
  page.line(L"지금 PC의 날짜와 시간", fact([&] { return dateTimeText(s.clock.now()); }));
}

void aboutProduct(Page& page, const Services& s, SystemInfoPort& system, const ProductProfile& profile) {
  page.section(L"제품");
  page.line(L"이름", orNone(profile.programName));
  page.line(L"설정 이름", orNone(profile.regiProgram));
  page.line(L"실행 파일", fact([&] {
              const std::wstring path = s.files.programFolder() + L"\\" + profile.exeFile;
              return path + L" (" + fileFacts(system, path, true) + L")";
            }));
  page.line(L"지금 실행 중", fact([&] {
              const auto runs = productRunsNow(s.processes, profile);
              return runs ? yesNo(*runs) : unreadable(L"실행 중인 프로그램 목록을 얻지 못했습니다");
            }));
  page.line(L"설치 파일 주소", orNone(profile.setupFile));
}

void aboutDatabase(Page& page, const Services& s, SystemInfoPort& system, const ProductProfile& profile) {
  page.section(L"데이터베이스");
  const std::wstring path = profile.backupDbPath + profile.dbName;
  page.line(L"경로", path);
  page.line(L"파일", fact([&] { return fileFacts(system, path, false); }));
  page.line(L"데이터 액세스 구성 요소", fact([&] {
              const std::wstring version = ReadMdacVersion(s.registry);
              return version.empty() ? unreadable(L"FullInstallVer 값이 없습니다") : version;
            }));
  page.line(L"Jet 4.0 공급자", fact([&] {
              RegHandle key = 0;
              const bool found = s.registry.openKey(reg::kHkeyClassesRoot, "Microsoft.Jet.OLEDB.4.0\\CLSID",
                                                    reg::kKeyQueryValue, key) == reg::kSuccess;
              const RegKey closer(s.registry, key);
              return std::wstring(found ? L"등록됨" : L"등록되지 않음");
            }));
}

void aboutBackups(Page& page, const Services& s, SystemInfoPort& system) {
  page.section(L"백업");
  std::wstring folder;
  BackupList list;
  page.line(L"환경설정 백업", fact([&] {
              folder = backupFolder(s.files.programFolder());
              list = listBackupFiles(s.files, s.files.programFolder());
              return groupedNumber(list.names.size()) + L"개 (" + folder + L")";
            }));
  if (!list.selected) return;
  const std::wstring& newest = list.names[*list.selected];
  page.line(L"가장 새 백업", fact([&] {
              const auto found = system.file(folder + newest);
              return newest + (found ? L", " + dateTimeText(found->changed) : std::wstring());
            }));
}

void aboutRestorePoints(Page& page, const Services& s) {
  page.section(L"복원 지점");
  std::wstring folder;
  std::vector<std::wstring> names;
  page.line(L"개수", fact([&] {
              names = restorePointNames(s, folder);
              return std::to_wstring(names.size()) + L"개";
            }));
  if (names.empty()) return;
  page.line(L"가장 새 것", fact([&] {
              const RestorePoint p = readRestorePoint(s.files, folder, names.front());
              std::wstring text = p.when + L", " + p.action + L", ";
              if (!p.readable) return text + L"쓸 수 없는 파일";
              std::wstring separator;
              for (const auto& product : p.products) {
                text += separator + product;
                separator = L", ";
              }
              return text;
            }));
}

}  // namespace

std::wstring windowsProductName(const std::wstring& productName, const std::wstring& release, const std::wstring& build,
                                const std::wstring& servicePack) {
  std::wstring name = productName;
  if (name.rfind(L"Microsoft ", 0) == 0) name = name.substr(10);
  // Windows 11 kept "Windows 10" in ProductName; its builds start at 22000.
  long number = 0;
  for (wchar_t c : build) {
    if (c < L'0' || c > L'9') break;
    number = number * 10 + (c - L'0');
  }
  if (number >= 22000 && name.rfind(L"Windows 10", 0) == 0) name.replace(8, 2, L"11");
  if (name.empty()) name = L"Windows";
  if (!release.empty()) name += L" " + release;
  if (!servicePack.empty()) name += L" " + servicePack;
  return name;
}

std::wstring utcOffsetText(int minutes) {
  const int whole = minutes < 0 ? -minutes : minutes;
  const std::wstring hours = std::to_wstring(whole / 60), rest = std::to_wstring(whole % 60);
  return std::wstring(minutes < 0 ? L"-" : L"+") + (whole / 60 < 10 ? L"0" : L"") + hours + L":" +
         (whole % 60 < 10 ? L"0" : L"") + rest;
}

std::wstring groupedNumber(std::uint64_t n) {
  std::wstring digits = std::to_wstring(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += L',';
    out += digits[i];
  }
  return out;
}

std::wstring supportPageText(const Services& s, SystemInfoPort& system, const ProductProfile& profile,
                             const std::vector<std::wstring>& recentActions) {
  Page page;
  aboutProgram(page, s, system);
  aboutWindows(page, s, system);
  aboutProduct(page, s, system, profile);
  aboutDatabase(page, s, system, profile);
  aboutBackups(page, s, system);
  aboutRestorePoints(page, s);
  page.section(L"최근 작업");
  if (recentActions.empty()) page.plain(L"기록이 없습니다.");
  for (const auto& line : recentActions) page.plain(line);
  return page.text();
}

std::wstring supportFileName(const LocalTime& t) {
  std::wstring stamp = dateTimeText(t);
  std::wstring compact;
  for (wchar_t c : stamp)
    if (c != L'-' && c != L':') compact += c == L' ' ? L'_' : c;
  return L"도움터 지원정보 " + compact + L".txt";
}

std::string supportFileBytes(const std::wstring& text) { return "\xEF\xBB\xBF" + toUtf8(text); }

}  // namespace doumteo
