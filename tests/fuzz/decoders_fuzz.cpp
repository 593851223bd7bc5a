// Both text decoders on arbitrary input: they either fail with the overflow
// error or give a result that re-encodes consistently.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/failure.h"
#include "support/backup_encoder.h"
#include "web/radix64.h"

namespace {

void check(bool ok) {
  if (!ok) std::abort();
}

// The first byte chooses how the rest becomes text: one byte per character,
// or two (little-endian) so that wide characters are met too.
std::wstring textOf(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  if (size == 0) return text;
  const bool wide = data[0] & 1;
  ++data;
  --size;
  if (wide) {
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  } else {
    for (std::size_t i = 0; i < size; ++i) text += static_cast<wchar_t>(data[i]);
  }
  return text;
}

template <class F>
bool decodes(F&& f) {
  try {
    f();
    return true;
  } catch (const doumteo::Failure& failure) {
    check(failure.number == doumteo::err::kOverflow);
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace doumteo;
  const std::wstring text = textOf(data, size);

  std::wstring bytes;
  if (decodes([&] { bytes = Radix64Decode(text); })) {
    check(bytes.size() <= text.size() / 4 * 3);
    for (const wchar_t b : bytes) check(static_cast<std::uint32_t>(b) < 256);
    // Whole groups without pads map one to one onto bytes.
    if (text.size() % 4 == 0 && text.find(L'=') == std::wstring::npos) check(testing::radix64Encode(bytes) == text);
  }

  const std::wstring units = HexTextDecode(text);
  check(units.size() <= text.size() / 2);
  // Whatever came out can be written again and reads back the same.
  check(HexTextDecode(testing::hexEncode(units)) == units);

  std::wstring both;
  if (decodes([&] { both = HexTextDecode(Radix64Decode(text)); })) check(both == HexTextDecode(bytes));
  return 0;
}
