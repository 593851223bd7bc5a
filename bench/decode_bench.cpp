// The two decoders on a settings backup line of 5,000 settings, the size a
// well-used product reaches.
//   decode_bench [--write_line=FILE] [benchmark flags]
// --write_line writes the line's bytes to FILE (for decode_vs_base64.sh).
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "support/backup_encoder.h"
#include "web/radix64.h"

namespace {

using doumteo::testing::Record;

// Whole groups of three hex characters give radix-64 text without pads, so
// copies of the line joined together are still one valid base64 stream.
std::wstring settingsText() {
  std::vector<Record> records{{L"&", L"VeltoBiz"}};
  for (int i = 0; i < 5000; ++i) {
    if (i % 50 == 0) records.push_back({L"#", L"구역" + std::to_wstring(i / 50)});
    records.push_back({L"Setting" + std::to_wstring(i), i % 3 ? L"C:\\VTSoft\\자료\\DB" + std::to_wstring(i) : L"예"});
  }
  std::wstring header = L"환경설정 백업";
  while (true) {
    const std::wstring text = doumteo::testing::settingsText(header, records);
    if (doumteo::testing::hexEncode(text).size() % 3 == 0) return text;
    header += L' ';
  }
}

struct Layers {
  std::wstring text = settingsText();
  std::wstring hex = doumteo::testing::hexEncode(text);
  std::wstring line = doumteo::testing::radix64Encode(hex);
};

const Layers& layers() {
  static const Layers l;
  return l;
}

void BM_Radix64Decode(benchmark::State& state) {
  const auto& l = layers();
  for (auto _ : state) benchmark::DoNotOptimize(doumteo::Radix64Decode(l.line));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * l.line.size()));
}

void BM_HexTextDecode(benchmark::State& state) {
  const auto& l = layers();
  for (auto _ : state) benchmark::DoNotOptimize(doumteo::HexTextDecode(l.hex));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * l.hex.size()));
}

void BM_BothLayers(benchmark::State& state) {
  const auto& l = layers();
  for (auto _ : state) {
    const std::wstring text = doumteo::HexTextDecode(doumteo::Radix64Decode(l.line));
    if (text.size() != l.text.size()) state.SkipWithError("decoded text differs");
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * l.line.size()));
}

BENCHMARK(BM_Radix64Decode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HexTextDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BothLayers)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  constexpr const char kWrite[] = "--write_line=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], kWrite, sizeof kWrite - 1) == 0) {
      std::ofstream out(argv[i] + sizeof kWrite - 1, std::ios::binary);
      out << doumteo::testing::asciiBytes(layers().line);
      std::cout << layers().line.size() << " characters, " << layers().text.size() << " in the settings text\n";
      return out ? 0 : 1;
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
