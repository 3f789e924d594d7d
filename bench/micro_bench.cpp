// Micro benchmarks of the per-line and per-file hot paths.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "hatch/skip_list.h"
#include "hatch/template_expansion.h"
#include "support/memory_file_system.h"
#include "support/string_utils.h"
#include "support/text_reader.h"

namespace {

using namespace brimvel;

void BM_UpperText(benchmark::State& state) {
  std::string line = "Skip some_file_name_with_mixed_Case_0123456789.zip -DESC \"Weekly news\"";
  for (auto _ : state) benchmark::DoNotOptimize(UpperText(line));
}
BENCHMARK(BM_UpperText);

void BM_ExpandTemplate(benchmark::State& state) {
  std::string postProg = "/usr/bin/post hatch @File @Area @Option @Desc(20,L*) @AppDesc";
  for (auto _ : state) {
    TemplateText t = ExpandTemplate(TemplateText::FromTemplate(postProg), "out/A.ZIP", "@File");
    t = ExpandTemplate(t, "MYFILES", "@Area");
    t = ExpandTemplate(t, "replace", "@Option");
    t = ExpandTemplate(t, "Weekly news digest", "@Desc");
    t = ExpandTemplate(t, "", "@AppDesc");
    benchmark::DoNotOptimize(t);
  }
}
BENCHMARK(BM_ExpandTemplate);

void BM_ReadLine(benchmark::State& state) {
  MemoryFileSystem fs;
  std::string text;
  for (int i = 0; i < 10000; ++i) text += "Skip FILE_" + std::to_string(i) + ".ZIP\r\n";
  fs.AddFile("bench.cfg", text);
  for (auto _ : state) {
    TextReader file(fs, "bench.cfg");
    file.OpenRead();
    std::string line;
    std::string scratch;
    std::size_t lines = 0;
    while (!file.AtEnd()) {
      benchmark::DoNotOptimize(file.ReadLine(line, scratch));
      ++lines;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ReadLine);

void BM_SkipLookup(benchmark::State& state) {
  const int listed = static_cast<int>(state.range(0));
  SkipList list;
  for (int i = 0; i < listed; ++i) list.Add("F" + std::to_string(i) + ".ZIP");
  // A listing of twice as many names: half recorded, half new.
  std::vector<FoundEntry> listing(static_cast<std::size_t>(2 * listed));
  for (std::size_t i = 0; i < listing.size(); ++i)
    listing[i].name = "F" + std::to_string(i) + ".ZIP";
  ListingSkips skips(list, listing);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(skips.Contains(listing[i++ % listing.size()].name));
  }
}
BENCHMARK(BM_SkipLookup)->Arg(1000)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
