// Micro benchmarks of the per-line and per-file hot paths.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "hatch/skip_list.h"
#include "hatch/template_expansion.h"
#include "support/string_utils.h"
#include "support/text_file.h"

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

std::string ScratchFile(const std::string& name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void BM_ReadLine(benchmark::State& state) {
  std::string path = ScratchFile("brimvel_bench_readline.cfg");
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 10000; ++i) out << "Skip FILE_" << i << ".ZIP\r\n";
  }
  for (auto _ : state) {
    TextFile file;
    BindFile(file, path);
    OpenRead(file);
    ShortString line;
    std::string whole;
    std::size_t lines = 0;
    while (!AtEnd(file)) {
      ReadLine(file, line, &whole);
      ++lines;
    }
    CloseText(file);
    benchmark::DoNotOptimize(lines);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
  std::remove(path.c_str());
}
BENCHMARK(BM_ReadLine);

void BM_SkipLookup(benchmark::State& state) {
  const int listed = static_cast<int>(state.range(0));
  std::string path = ScratchFile("brimvel_bench_skip.cfg");
  {
    std::ofstream out(path, std::ios::binary);
    out << "AREA A DAILY\r\n";
    for (int i = 0; i < listed; ++i) out << "Skip F" << i << ".ZIP\r\n";
    out << "END\r\n";
  }
  SkipList list;
  NotOnSkipList(list, path, 1, "WARMUP");
  int i = 0;
  for (auto _ : state) {
    std::string name = "F" + std::to_string(i++ % (2 * listed)) + ".ZIP";
    benchmark::DoNotOptimize(NotOnSkipList(list, path, 1, name));
  }
  std::remove(path.c_str());
}
BENCHMARK(BM_SkipLookup)->Arg(1000)->Arg(20000);

}  // namespace

BENCHMARK_MAIN();
