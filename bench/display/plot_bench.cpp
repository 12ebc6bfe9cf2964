// Timings of the display program's plots, rendered offscreen into the frame's
// kind of picture (RGB32, 1200 x 800):
//   - cobwebs of 16000 samples x 10 and x 69 axes, independent uniform data
//     (the worst case for line drawing), on one and two threads;
//   - the line kernel alone for 10^5 samples x 10 axes (beyond the load cap);
//   - one range-selection step: the filter rebuilt, then the cobwebs drawn;
//   - 69 variables x 16000 samples as marginals, density and histogram, the
//     estimators rebuilt each time; a scatter plot of 16000 dots of size 20.
// Usage: plot_bench [benchmark options]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "doc/sample_data_view.h"
#include "ui/fast_cobweb.h"
#include "ui/plot_render.h"
#include "uniform_samples.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1200, kHeight = 800;

std::string SampleFile(int columns, int samples) {
  return UniformSampleFile(fs::temp_directory_path() / ("plot_bench_" + std::to_string(columns) +
                                                        "x" + std::to_string(samples) + ".sae"),
                           columns, samples, 20261210);
}

struct TFixture {
  explicit TFixture(int columns) : doc(settings()) {
    doc.SetColours(&colors);
    doc.LoadFile(SampleFile(columns, 16000), fn::SampleFileSae);
    doc.SetNumSamples(16000);
    doc.m_plotType = PlotCobwebs;
    doc.m_cobwebScale = ScalePercentiles;
    doc.m_crossDensity = 0;
    doc.m_boxType = BoxVisibleVariables;
    doc.m_autoBox = true;
    doc.UpdateFilter();
  }
  static std::string settings() { return (fs::temp_directory_path() / "plot_bench.INI").string(); }
  void Render(int mouse = MouseIdle, int threads = 1) {
    QPainter p(&image);
    TPlotContext ctx{doc, colors, p, whole, plot, &image, mouse, false, threads, nullptr, {}};
    RenderPlot(ctx);
  }
  TColorRecord colors = ColorPreset(PresetDefaultColor);
  SampleDataView doc;
  QImage image{kWidth, kHeight, QImage::Format_RGB32};
  TRect whole{0, 0, kWidth, kHeight};
  TRect plot = PlotLayout(whole, PlotFonts, &image);
};

TFixture& Fixture(int columns) {
  static std::unique_ptr<TFixture> f10, f69;
  auto& f = columns == 10 ? f10 : f69;
  if (!f) f = std::make_unique<TFixture>(columns);
  return *f;
}

void BM_Cobwebs(benchmark::State& state) {
  TFixture& f = Fixture(static_cast<int>(state.range(0)));
  f.doc.m_plotType = PlotCobwebs;
  for (auto _ : state) f.Render(MouseIdle, static_cast<int>(state.range(1)));
  state.SetLabel(std::to_string(state.range(0)) + " axes, " + std::to_string(state.range(1)) +
                 " thread(s)");
}
BENCHMARK(BM_Cobwebs)
    ->Args({10, 1})
    ->Args({10, 2})
    ->Args({69, 1})
    ->Args({69, 2})
    ->Unit(benchmark::kMillisecond);

// The line kernel for 10^5 independent uniform samples across 10 axes.
void BM_CobwebLines100k(benchmark::State& state) {
  const int n = 100000, axes = 10;
  TCobwebLines lines;
  const TRect P{70, 60, kWidth - 80, kHeight - 30};
  for (int k = 0; k < axes; ++k) lines.x.push_back(k * P.Width() / (axes - 1) + P.left);
  lines.count = n;
  std::mt19937 gen(5);
  std::uniform_int_distribution<int> row(P.top, P.bottom);
  lines.y.resize(static_cast<std::size_t>(n) * axes);
  for (int& y : lines.y) y = row(gen);
  lines.colour.assign(n, 0xff000000u);
  for (int j = 0; j < n; ++j) lines.colour[static_cast<std::size_t>(j)] |= (j % 4) * 0x404040u;
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    DrawCobwebLines(image, lines, P.top, P.bottom, static_cast<int>(state.range(0)));
  }
  state.SetLabel(std::to_string(state.range(0)) + " thread(s)");
}
BENCHMARK(BM_CobwebLines100k)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// One mouse move of a range selection: the working range changes, the filter
// is rebuilt and the cobwebs drawn in the two marking colours.
void BM_RangeSelectionStep(benchmark::State& state) {
  TFixture& f = Fixture(10);
  f.doc.m_plotType = PlotCobwebs;
  fn::CTesploreVar& v = *f.doc.m_order[3];
  fn::CVarRange working = v.Range;
  v.ActiveRange = &working;
  float hi = 0.9f;
  for (auto _ : state) {
    working = v.Range;
    working.Combine(0.2f, hi, fn::SelectReplace);
    hi = hi > 0.3f ? hi - 0.01f : 0.9f;
    f.doc.UpdateFilter();
    f.Render(MouseRangeSelection, static_cast<int>(state.range(0)));
  }
  v.ActiveRange = &v.Range;
  f.doc.UpdateFilter();
  state.SetLabel(std::to_string(state.range(0)) + " thread(s)");
}
BENCHMARK(BM_RangeSelectionStep)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Plot69(benchmark::State& state) {
  TFixture& f = Fixture(69);
  const auto type = static_cast<std::int32_t>(state.range(0));
  f.doc.m_plotType = type;
  f.doc.UpdateFilter();
  for (auto _ : state) f.Render();
  const char* names[] = {"cobwebs", "marginals", "scatter", "density", "histogram"};
  state.SetLabel(names[type]);
  f.doc.m_plotType = PlotCobwebs;
  f.doc.UpdateFilter();
}
BENCHMARK(BM_Plot69)
    ->Arg(PlotMarginals)
    ->Arg(PlotDensity)
    ->Arg(PlotHistogram)
    ->Unit(benchmark::kMillisecond);

void BM_Scatter(benchmark::State& state) {
  TFixture& f = Fixture(10);
  f.doc.m_plotType = PlotScatter;
  f.colors.ScattDot = 20;
  for (auto _ : state) f.Render();
  f.colors.ScattDot = 10;
  f.doc.m_plotType = PlotCobwebs;
}
BENCHMARK(BM_Scatter)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qargc = 1;
  QApplication app(qargc, argv);
  PlotFonts[0] = QFont(QStringLiteral("DejaVu Sans"), 8);
  PlotFonts[1] = QFont(QStringLiteral("DejaVu Sans"), 9);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
