// Malformed settings backup files, restored one after another by one running
// program: it never crashes or hangs, answers each with its own messages and
// the completion message, and writes only into section keys below the
// settings root.
#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <sstream>

#include "driver/driver.h"
#include "driver/settings_support.h"

namespace e2e::settings {
namespace {

const std::wstring kBadApp = L"E2E악성";
constexpr int kAnyCount = -1;

struct ValueCheck {
  std::wstring key;                   // below the settings root
  std::wstring name;                  // "" = the default value
  std::optional<std::wstring> value;  // nullopt: must not be there
};

struct BadInput {
  std::wstring tag;
  std::string bytes;
  int errors = 0;  // error boxes expected, or kAnyCount
  std::vector<ValueCheck> values;
  std::vector<std::wstring> missingKeys;  // below the settings root
  bool folderAfterStart = false;          // replaced by a folder of that name once listed
};

std::wstring under(const std::wstring& app, const std::wstring& section) { return app + L"\\" + section; }

// The records of a sound file writing N = V into section `tag` of kBadApp.
std::vector<Record> sound(const std::wstring& tag, std::vector<Record> more = {{L"N", L"V"}}) {
  std::vector<Record> records{{L"&", kBadApp}, {L"#", tag}};
  records.insert(records.end(), more.begin(), more.end());
  return records;
}

// Replaces the first (or last) four-digit group `from` of a hex text.
std::wstring replaceGroup(std::wstring hex, const std::wstring& from, const std::wstring& to, bool last = false) {
  std::size_t found = std::wstring::npos;
  for (std::size_t i = 0; i + 4 <= hex.size(); i += 4) {
    if (hex.compare(i, 4, from) != 0) continue;
    found = i;
    if (!last) break;
  }
  if (found == std::wstring::npos) throw DriverError(L"no group " + from);
  return hex.replace(found, 4, to);
}

std::wstring replaceAllGroups(std::wstring hex, const std::wstring& from, const std::wstring& to) {
  for (std::size_t i = 0; i + 4 <= hex.size(); i += 4)
    if (hex.compare(i, 4, from) == 0) hex.replace(i, 4, to);
  return hex;
}

std::string utf16Bytes(const std::string& asciiText, bool bom) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char c : asciiText) {
    out += c;
    out += '\0';
  }
  return out;
}

std::wstring repeat(const std::wstring& piece, std::size_t times) {
  std::wstring out;
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

std::vector<BadInput> badInputs() {
  std::vector<BadInput> in;
  auto add = [&](std::wstring tag, std::string bytes, int errors, std::vector<ValueCheck> values = {},
                 std::vector<std::wstring> missing = {}) {
    in.push_back({std::move(tag), std::move(bytes), errors, std::move(values), std::move(missing)});
  };
  auto written = [](const std::wstring& tag, const std::wstring& name = L"N", const std::wstring& value = L"V") {
    return std::vector<ValueCheck>{{under(kBadApp, tag), name, value}};
  };
  auto nothingIn = [](const std::wstring& tag) { return std::vector<std::wstring>{under(kBadApp, tag)}; };
  auto line = [](const std::wstring& tag) { return backupLine(sound(tag)); };
  auto hex = [](const std::wstring& tag, std::vector<Record> more = {{L"N", L"V"}}) {
    return hexEncode(settingsText(L"VELTO SETTINGS", sound(tag, std::move(more))));
  };

  // ---- the radix-64 layer ----
  for (const auto& [tag, inserted] :
       std::vector<std::pair<std::wstring, std::string>>{{L"b64star", "*"},
                                                         {L"b64hangul", "\xB0\xA1"},
                                                         {L"b64blank", " "},
                                                         {L"b64tab", "\t"},
                                                         {L"b64nul", std::string(1, '\0')}}) {
    add(tag, insertedAt(line(tag), 8, inserted) + "\r\n", 1, {}, nothingIn(tag));
  }
  {  // a line break inside the line: only its first part is read
    add(L"b64cr", insertedAt(line(L"b64cr"), 12, "\r") + "\n", 0, {}, nothingIn(L"b64cr"));
  }
  add(L"odd1", line(L"odd1") + "Q\r\n", 0, written(L"odd1"));
  {
    std::vector<Record> more{{L"N", L"V"}, {L"Z", L"ZZ"}};
    std::string l = backupLine(sound(L"odd3", more));
    l.pop_back();
    add(L"odd3", l + "\r\n", 0, written(L"odd3"));
    l = backupLine(sound(L"nopad", more));
    while (l.back() == '=') l.pop_back();
    add(L"nopad", l + "\r\n", 0, written(L"nopad"));
  }
  {
    std::string l = line(L"padmid");
    l.replace(8, 4, "====");
    add(L"padmid", l + "\r\n", kAnyCount);
    add(L"padinsert", insertedAt(line(L"padinsert"), 10, "=") + "\r\n", kAnyCount);
  }
  add(L"highbytes", radix64Encode(std::string("\x80\x81\xFE\xFF\x90\xA0\xB0\xC0\xD0\xE0\xF0\x0D\x0A", 13)) + "\r\n", 0);

  // ---- the hex layer ----
  add(L"hexnothex", lineFromHex(replaceGroup(hex(L"hexnothex"), L"004E", L"GHIJ")) + "\r\n", 0);
  add(L"hexbadgroup", lineFromHex(replaceGroup(hex(L"hexbadgroup"), L"0056", L"00ZZ", true)) + "\r\n", 0);
  add(L"hexodd", lineFromHex(hex(L"hexodd") + L"0D0") + "\r\n", 0, written(L"hexodd"));
  add(L"hexlower", lineFromHex(replaceAllGroups(hex(L"hexlower"), L"0D0A", L"0d0a")) + "\r\n", 0, {},
      nothingIn(L"hexlower"));
  add(L"hexmixed", lineFromHex(replaceAllGroups(hex(L"hexmixed"), L"0D0A", L"0D0a")) + "\r\n", 0, {},
      nothingIn(L"hexmixed"));
  {  // lower-case digits are digits all the same; only the marker is upper-case
    std::wstring h = hex(L"hexlowerdigits", {{L"N", L"값이"}});
    for (std::size_t i = 0; i + 4 <= h.size(); i += 4)
      if (h.compare(i, 4, L"0D0A") != 0)
        for (std::size_t k = i; k < i + 4; ++k) h[k] = static_cast<wchar_t>(towlower(h[k]));
    add(L"hexlowerdigits", lineFromHex(h) + "\r\n", 0, written(L"hexlowerdigits", L"N", L"값이"));
  }
  add(L"lfonly", lineFromHex(hexEncode(L"VELTO SETTINGS\n&\t" + kBadApp + L"\n#\tlfonly\nN\tV")) + "\r\n", 0, {},
      nothingIn(L"lfonly"));

  // ---- records ----
  add(L"notab", backupFile({{L"&"}, {L"#"}, {L"NV"}, {L"&" + kBadApp}}), 1 + 3 + 1 + 1);
  add(L"notabmixed", backupFile(sound(L"notabmixed", {{L"NoTab"}, {L"N2", L"V2"}, {L"#"}, {L"N3", L"V3"}})), 1 + 3,
      {{under(kBadApp, L"notabmixed"), L"N2", L"V2"}, {under(kBadApp, L"notabmixed"), L"N3", L"V3"}});
  add(L"emptyapp", backupFile({{L"&", L""}, {L"#", L"emptyapp"}, {L"N", L"V"}}), 0, {},
      {L"emptyapp", under(kBadApp, L"emptyapp")});
  add(L"noapp", backupFile({{L"#", L"noapp"}, {L"N", L"V"}}), 0, {}, {L"noapp", under(kBadApp, L"noapp")});
  add(L"emptysection", backupFile({{L"&", kBadApp}, {L"#", L""}, {L"NS", L"V"}}), 0, {{kBadApp, L"NS", std::nullopt}});
  add(L"nosection", backupFile({{L"&", kBadApp}, {L"NN", L"V"}}), 0, {{kBadApp, L"NN", std::nullopt}});
  add(L"emptyname", backupFile(sound(L"emptyname", {{L"", L"V"}})), 0, written(L"emptyname", L"", L"V"));
  add(L"emptyvalue", backupFile(sound(L"emptyvalue", {{L"N", L""}})), 0, written(L"emptyvalue", L"N", L""));
  add(L"threefields", backupFile(sound(L"threefields", {{L"N", L"V", L"X"}})), 0, written(L"threefields"));
  add(L"twolines", backupLine(sound(L"twolines")) + "\r\n" + backupLine(sound(L"twolines2")) + "\r\n", 0,
      written(L"twolines"), nothingIn(L"twolines2"));
  add(L"firstlineempty", "\r\n" + line(L"firstlineempty") + "\r\n", 0, {}, nothingIn(L"firstlineempty"));
  add(L"headeronly", backupFile({}), 0);
  add(L"casefold", backupFile({{L"&", L"e2e악성"}, {L"#", L"casefold"}, {L"N", L"V"}}), 0, written(L"casefold"));

  // ---- names that would leave the section ----
  add(L"appbackslash", backupFile({{L"&", kBadApp + L"\\하위"}, {L"#", L"appbackslash"}, {L"N", L"V"}}), 0, {},
      {under(kBadApp, L"하위"), under(kBadApp + L"\\하위", L"appbackslash")});
  add(L"appdots",
      backupFile({{L"&", L".."}, {L"#", L"appdots"}, {L"N", L"V"}, {L"&", L"."}, {L"#", L"appdots"}, {L"N", L"V"}}), 0);
  add(L"sectionbackslash", backupFile(sound(L"..\\..\\..\\Evil")), 0);
  add(L"sectionroot", backupFile(sound(L"\\")), 0, {{kBadApp, L"N", std::nullopt}});
  add(L"controlapp", backupFile({{L"&", L"E2E\x01앱"}, {L"#", L"controlapp"}, {L"N", L"V"}}), 0, {},
      {under(L"E2E\x01앱", L"controlapp")});
  add(L"controlsection", backupFile(sound(L"섹\x1F션")), 0, {}, {under(kBadApp, L"섹\x1F션")});
  add(L"valuebackslash", backupFile(sound(L"valuebackslash", {{L"C:\\경로\\이름", L"D:\\값\\"}})), 0,
      written(L"valuebackslash", L"C:\\경로\\이름", L"D:\\값\\"));

  // ---- Korean and long names and values ----
  add(L"korean",
      backupFile({{L"&", L"E2E악성한글앱"}, {L"#", L"환경설정 한글"}, {L"한글 이름", L"값: 가나다 ㄱㄴㄷ 똠방각하"}}),
      0, {{under(L"E2E악성한글앱", L"환경설정 한글"), L"한글 이름", L"값: 가나다 ㄱㄴㄷ 똠방각하"}});
  const std::wstring longValue = repeat(L"가나다ABC012", 1500);  // 12,000 characters
  add(L"longvalue", backupFile(sound(L"longvalue", {{L"N", longValue}})), 0, written(L"longvalue", L"N", longValue));
  const std::wstring longName = repeat(L"이름N", 700);
  add(L"longname", backupFile(sound(L"longname", {{longName, L"V"}})), 0, written(L"longname", longName, L"V"));
  const std::wstring tooLongName = repeat(L"n", 17000);
  add(L"toolongname", backupFile(sound(L"toolongname", {{tooLongName, L"V"}})), 0,
      {{under(kBadApp, L"toolongname"), tooLongName, std::nullopt}});
  add(L"longsection", backupFile(sound(repeat(L"s", 300))), 0, {}, {under(kBadApp, repeat(L"s", 300))});
  add(L"longapp", backupFile({{L"&", repeat(L"a", 300)}, {L"#", L"longapp"}, {L"N", L"V"}}), 0, {},
      {under(repeat(L"a", 300), L"longapp")});
  const std::wstring koreanApp = L"E2E" + repeat(L"한", 120);
  add(L"longkoreanapp", backupFile({{L"&", koreanApp}, {L"#", L"longkoreanapp"}, {L"N", L"V"}}), 0,
      {{under(koreanApp, L"longkoreanapp"), L"N", L"V"}});

  // ---- files that are not backup text ----
  add(L"utf16bom", utf16Bytes(line(L"utf16bom") + "\r\n", true), 1, {}, nothingIn(L"utf16bom"));
  add(L"utf16", utf16Bytes(line(L"utf16") + "\r\n", false), 1, {}, nothingIn(L"utf16"));
  {
    std::string bytes(4096, '\0');
    std::uint32_t state = 12345;
    for (auto& b : bytes) b = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    bytes[0] = '\0';  // the first line is never empty
    add(L"binary", bytes, 1);
  }
  add(L"empty", "", 0);
  add(L"folder", backupFile(sound(L"folder")), 2, {}, nothingIn(L"folder"));
  in.back().folderAfterStart = true;
  // One line of 20 MB: more than the reader takes (16 MiB). The file did
  // open, so the failed read is the only error.
  add(L"big20mb", std::string(20u * 1024u * 1024u, 'A') + "\r\n", 1);
  return in;
}

std::wstring fileNameOf(std::size_t index, const BadInput& input) {
  return L"환경설정_악성_" + std::wstring(index < 10 ? L"0" : L"") + std::to_wstring(index) + L"_" + input.tag +
         L".mdb";
}

bool isRegLogReadError(const QuickBox& box) {
  return box.title == kAppTitle && startsWith(box.text, L"Error ") && endsWith(box.text, kRegLogReadEnding);
}

class BadInputs : public SettingsScenario {};

TEST_F(BadInputs, MalformedBackupFilesAreReportedAndWriteOnlyIntoSections) {
  const std::vector<BadInput> inputs = badInputs();
  ASSERT_GE(inputs.size(), 30u);
  for (std::size_t i = 0; i < inputs.size(); ++i) addBackup(fileNameOf(i, inputs[i]), inputs[i].bytes);
  deleteSettings(kBadApp);

  Process program = startProgram(folder);
  HWND main = waitMainWindow(program);
  HWND combo = backupCombo(main);
  HWND restore = child(main, L"환경설정 복원");
  const std::vector<std::wstring> items = comboItems(combo);
  ASSERT_EQ(items.size(), inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (!inputs[i].folderAfterStart) continue;
    removeTree(backupPath(fileNameOf(i, inputs[i])));
    makeFolders(backupPath(fileNameOf(i, inputs[i])));
  }
  const auto before = regExport(L"HKEY_CURRENT_USER");
  ASSERT_TRUE(before);

  std::wostringstream timings;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const BadInput& input = inputs[i];
    SCOPED_TRACE(narrow(input.tag));
    const auto at = std::find(items.begin(), items.end(), fileNameOf(i, input));
    ASSERT_NE(at, items.end());
    selectComboItem(combo, static_cast<int>(at - items.begin()));
    ASSERT_EQ(windowText(combo), fileNameOf(i, input));

    const ULONGLONG start = GetTickCount64();
    click(restore);
    // The reminder, the errors, the completion; anything else ends the run.
    const auto boxes = answerOkUntil(
        program, [](const QuickBox& b) { return b.text == kRestoreDone || startsWith(b.text, kSnapshotRefusal); }, 60);
    timings << input.tag << L" " << (GetTickCount64() - start) << L" ms, " << boxes.size() << L" boxes\n";
    ASSERT_TRUE(program.running()) << "the program ended";
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes.front().text, kReminder);
    EXPECT_EQ(boxes.back().text, kRestoreDone) << narrow(boxes.back().text);
    EXPECT_EQ(boxes.back().title, kApp);
    int errors = 0;
    for (std::size_t b = 1; b + 1 < boxes.size(); ++b) {
      EXPECT_TRUE(isRegLogReadError(boxes[b])) << narrow(boxes[b].title) << ": " << narrow(boxes[b].text);
      ++errors;
    }
    if (input.errors != kAnyCount) {
      EXPECT_EQ(errors, input.errors);
    }
  }
  EXPECT_TRUE(noMessageBoxWithin(program, 200));

  const auto after = regExport(L"HKEY_CURRENT_USER");
  ASSERT_TRUE(after);
  const auto changes = changesOutsideSettingsSections(parseExport(*before), parseExport(*after));
  std::wstring listed;
  for (const auto& c : changes) listed += c + L"\n";
  EXPECT_TRUE(changes.empty()) << narrow(listed);

  for (const BadInput& input : inputs) {
    SCOPED_TRACE(narrow(input.tag));
    for (const ValueCheck& check : input.values)
      EXPECT_EQ(regString(HKEY_CURRENT_USER, std::wstring(kSettingsRoot) + L"\\" + check.key, check.name), check.value)
          << narrow(check.key) << " / " << narrow(check.name.substr(0, 40));
    for (const std::wstring& key : input.missingKeys)
      EXPECT_FALSE(regKeyExists(HKEY_CURRENT_USER, std::wstring(kSettingsRoot) + L"\\" + key)) << narrow(key);
  }

  click(main, L"닫기 &C");
  EXPECT_EQ(program.waitExit(), 0u);
  std::cout << inputs.size() << " bad inputs:\n" << narrow(timings.str());
}

}  // namespace
}  // namespace e2e::settings
