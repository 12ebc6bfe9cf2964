// The RTF reader on tables of inherited "\cellx" edges: "\cellx" repeated
// then "\row" repeated (every row takes all the edges), and "\cellx\row"
// repeated (every row adds one). Linear in the size of the input.
#include <benchmark/benchmark.h>

#include <string>

#include "rtf_reader.h"

namespace {

using tesmira::wb::ReadRtf;
using tesmira::wb::TRtfDocument;

void Check(benchmark::State& state, const TRtfDocument& doc, size_t rows, size_t lastEdges) {
  if (doc.blocks.size() != 1 || doc.blocks[0].rows.size() != rows ||
      doc.blocks[0].rows.back().cellRight.size() != lastEdges)
    state.SkipWithError("wrong table");
}

void BM_RtfEdgesThenRows(benchmark::State& state) {
  const size_t kb = static_cast<size_t>(state.range(0));
  std::string edges, rows;
  while (edges.size() < kb * 512) edges += "\\cellx100";
  while (rows.size() < kb * 512) rows += "\\row";
  const std::string rtf = "{\\rtf1\\trowd" + edges + rows + "}";
  for (auto _ : state) Check(state, ReadRtf(rtf), rows.size() / 4, edges.size() / 9);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_RtfEdgesThenRows)
    ->Arg(64)
    ->Arg(256)
    ->Arg(1024)
    ->Arg(4096)
    ->Unit(benchmark::kMillisecond);

void BM_RtfEdgeAndRowRepeated(benchmark::State& state) {
  const size_t kb = static_cast<size_t>(state.range(0));
  std::string body;
  while (body.size() < kb * 1024) body += "\\cellx100\\row";
  const std::string rtf = "{\\rtf1\\trowd" + body + "}";
  const size_t n = body.size() / 13;
  for (auto _ : state) Check(state, ReadRtf(rtf), n, n);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_RtfEdgeAndRowRepeated)->Arg(256)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
