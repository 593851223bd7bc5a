// Writes the seed corpora of the fuzzers: real backup files made with the
// test encoder, a few broken ones, and small decoder inputs.
//   fuzz_seed_corpus <tests/fuzz/corpus>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "registry/snapshot.h"
#include "support/backup_encoder.h"

namespace {

namespace fs = std::filesystem;
using doumteo::testing::Record;
using namespace doumteo::testing;

void write(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// Mode byte 0: the rest is used as it is.
std::string raw(const std::string& bytes) { return std::string(1, '\0') + bytes; }

// Mode byte 1 of the wide decoder input: code units, little-endian.
std::string wide(std::wstring_view text) {
  std::string out(1, '\1');
  for (const wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seed_corpus <corpus folder>\n";
    return 2;
  }
  const fs::path root = argv[1];
  const fs::path reglog = root / "reglog_fuzz", decoders = root / "decoders_fuzz";
  fs::create_directories(reglog);
  fs::create_directories(decoders);

  const std::vector<Record> typical{{L"&", L"PRODUCT"},    {L"#", L"SECTION"}, {L"NAME1", L"VALUE1"},
                                    {L"NAME2", L"VALUE2"}, {L"#", L"OTHER"},   {L"NAME3", L"VALUE3"},
                                    {L"&", L"SECOND"},     {L"#", L"S"},       {L"N", L"V"}};
  write(reglog / "typical", raw(backupFile(L"2010-12-31 23:59", typical)));
  write(reglog / "korean", raw(backupFile(L"헤더", {{L"&", L"벨토공통"},
                                                    {L"#", L"DB경로"},
                                                    {L"경로", L"C:\\자료\\DB"},
                                                    {L"빈값", L""},
                                                    {L"N", L"V", L"X"},
                                                    {L"#", L"DB경로"}})));
  write(reglog / "out_of_order", raw(backupFile(L"h", {{L"N", L"before"},
                                                       {L"#", L"S"},
                                                       {L"N2", L"no app"},
                                                       {L"&"},
                                                       {L"#"},
                                                       {L"&", L"A"},
                                                       {L"N3"},
                                                       {L"#", L"S"},
                                                       {L"", L"default"}})));
  write(reglog / "levels", raw(backupFile(L"h", {{L"&", L".."},
                                                 {L"#", L"S"},
                                                 {L"N", L"V"},
                                                 {L"&", L"A\\B"},
                                                 {L"#", L"S\\T"},
                                                 {L"N", L"V"},
                                                 {L"&", L"A"},
                                                 {L"#", L"."}})));
  write(reglog / "short_group", raw(backupFileFromHex(L"0048000D0A00260009004100")));
  write(reglog / "bad_line", raw(backupFileFromLine("QUJD QUJD")));
  write(reglog / "empty", raw(""));
  // Mode 1: a settings text that the fuzzer writes as a valid file.
  write(reglog / "text", std::string(1, '\1') + "H\r\n&\tA\r\n#\tS\r\nN\tV\r\nM\t\r\n");

  const fs::path snapshots = root / "snapshot_reader_fuzz";
  fs::create_directories(snapshots);
  const std::wstring area = L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\";
  auto text = [](const std::wstring& t) {
    std::vector<std::uint8_t> b = doumteo::utf16le(t);
    b.insert(b.end(), {0, 0});
    return b;
  };
  const doumteo::RegExport typicalSnapshot{{area + L"벨토장부", area + L"새 제품"},
                                           {{area + L"벨토장부", {{L"", doumteo::reg::kSz, text(L"기본값")}}},
                                            {area + L"벨토장부\\환경설정",
                                             {{L"경로 \"따옴표\"", doumteo::reg::kSz, text(L"C:\\자료\\db.mdb")},
                                              {L"숫자", doumteo::reg::kDword, {1, 2, 3, 4}},
                                              {L"이진", doumteo::reg::kBinary, std::vector<std::uint8_t>(60, 0xAB)},
                                              {L"여러 줄", doumteo::reg::kMultiSz, {0x61, 0, 0, 0, 0, 0}}}},
                                            {area + L"벨토장부\\환경설정\\하위", {}}}};
  write(snapshots / "typical", raw(doumteo::regFileBytes(doumteo::exportText(typicalSnapshot))));
  write(snapshots / "absent_area", raw(doumteo::regFileBytes(doumteo::exportText({{area + L"A"}, {}}))));
  write(snapshots / "text_mode", std::string(1, '\1') +
                                     "Windows Registry Editor Version 5.00\r\n\r\n"
                                     "[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\A]\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\A]\r\n"
                                     "\"n\"=\"v\"\r\n@=dword:00000001\r\n\"h\"=hex(2):41,00,\\\r\n  00,00\r\n\r\n"
                                     "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\A\\B]\r\n\r\n");
  write(snapshots / "tampered", std::string(1, '\1') +
                                    "Windows Registry Editor Version 5.00\r\n\r\n"
                                    "[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\A]\r\n\r\n"
                                    "[HKEY_CURRENT_USER\\Software\\Evil]\r\n\"n\"=\"v\"\r\n\r\n");

  write(decoders / "group", raw("QUJD"));
  write(decoders / "pads", raw("QQ==QUI=QUJD"));
  write(decoders / "partial", raw("QUJDRA"));
  write(decoders / "hex", raw("0D0A00410d0a2DAC00AC0060"));
  write(decoders / "both_layers", raw(asciiBytes(radix64Encode(hexEncode(L"헤더\r\n&\t앱\r\n#\t구역\r\n이름\t값")))));
  write(decoders / "wide", wide(L"QUJ가0041"));
  return 0;
}
