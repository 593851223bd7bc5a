// Writes a settings backup file with the tests' encoder, for the demo
// installation and the benchmark fixtures.
//   make_backup OUT.mdb < records.txt
// Standard input is UTF-8: the header line, then one record a line, fields
// separated by TAB.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "platform/ansi.h"
#include "support/backup_encoder.h"

namespace {

// Native wide text holds whole characters; the file holds UTF-16 units.
std::wstring utf16Units(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t wc : text) {
    const auto c = static_cast<std::uint32_t>(wc);
    if (c > 0xFFFF) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += wc;
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_backup OUT.mdb < records.txt\n";
    return 2;
  }
  try {
    // Input lines end in LF or CR LF; the settings text joins them with CR LF.
    std::wstring text;
    std::string line;
    for (bool first = true; std::getline(std::cin, line); first = false) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!first) text += L"\r\n";
      text += utf16Units(doumteo::fromAnsi(line));
    }
    const std::string bytes = doumteo::testing::backupFileFromHex(doumteo::testing::hexEncode(text));
    std::ofstream out(argv[1], std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "make_backup: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
