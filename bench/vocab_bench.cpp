// Vocabulary operations on a vocabulary far larger than any real one (10,000
// entries): listing fills the phrase list, find runs on every recognition,
// decoding runs when a game is chosen.

#include <benchmark/benchmark.h>

#include <string>

#include "vocabulary/gbk.h"
#include "vocabulary/vocab_text.h"

namespace {

constexpr int kEntries = 10000;

std::string phrase(int i) { return "第" + std::to_string(i) + "号部队过来"; }

const std::string& big_vocabulary() {
  static const std::string text = [] {
    std::string t =
        "<?xml version=\"1.0\" encoding=\"gb2312\" ?> \r\n<GRAMMAR LANGID=\"804\">\r\n<DEFINE>\r\n"
        "<ID NAME=\"RID_Game1\" VAL=\"1001\"/>\r\n</DEFINE>\r\n"
        "<RULE NAME=\"Game1\" ID=\"RID_Game1\" TOPLEVEL=\"ACTIVE\">\r\n<L PROPNAME=\"Game1\" PROPID=\"RID_Game1\">\r\n";
    for (int i = 0; i < kEntries; ++i)
      t += "<P VALSTR=\"" + std::to_string(i % 10) + "*MRBC\">+" + phrase(i) + "</P>\r\n";
    return t + "</L>\r\n</RULE>\r\n</GRAMMAR>\r\n";
  }();
  return text;
}

void BM_ListEntries(benchmark::State& state) {
  for (auto _ : state) {
    auto entries = quillon::list_entries(big_vocabulary());
    benchmark::DoNotOptimize(entries);
  }
}
BENCHMARK(BM_ListEntries)->Unit(benchmark::kMillisecond);

// The last phrase: the scan crosses the whole text.
void BM_FindActionLast(benchmark::State& state) {
  const std::string last = phrase(kEntries - 1);
  for (auto _ : state) {
    auto action = quillon::find_action(big_vocabulary(), last);
    benchmark::DoNotOptimize(action);
  }
}
BENCHMARK(BM_FindActionLast)->Unit(benchmark::kMicrosecond);

void BM_GbkDecode(benchmark::State& state) {
  const std::string bytes = quillon::gbk_encode(big_vocabulary()).bytes;
  for (auto _ : state) {
    auto decoded = quillon::gbk_decode(bytes);
    benchmark::DoNotOptimize(decoded);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_GbkDecode)->Unit(benchmark::kMillisecond);

// A file with one bad byte takes the character-by-character path.
void BM_GbkDecodeWithBadByte(benchmark::State& state) {
  const std::string bytes = quillon::gbk_encode(big_vocabulary()).bytes + "\xC4";
  for (auto _ : state) {
    auto decoded = quillon::gbk_decode(bytes);
    benchmark::DoNotOptimize(decoded);
  }
}
BENCHMARK(BM_GbkDecodeWithBadByte)->Unit(benchmark::kMillisecond);

void BM_GbkEncode(benchmark::State& state) {
  for (auto _ : state) {
    auto encoded = quillon::gbk_encode(big_vocabulary());
    benchmark::DoNotOptimize(encoded);
  }
}
BENCHMARK(BM_GbkEncode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
