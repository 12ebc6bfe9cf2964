// Timings of the result grid (run with QT_QPA_PLATFORM=offscreen):
//   Repaint/0, Repaint/1: a 1000 x 700 view of 10^5 rows x 14 columns painted
//     into an image, at the top and scrolled to the end;
//   AppendRows/0: 4761 rows appended one at a time the way the result list
//     does it, their coalesced repaint processed at the end (rows arriving
//     faster than the screen repaints);
//   AppendRows/1: the same with the event loop run after every row, so each
//     row is followed by one full repaint of the window (rows arriving
//     slower than the screen repaints);
//   CopyText, CsvExport: 10^4 rows x 14 columns.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <filesystem>

#include "nice_grid.h"

namespace {

using tesvane::TNiceGrid;

const char* const kTitles[14] = {"Names|Predicted;variable",
                                 "Names|Base;variable",
                                 "Standard statistic|E[Predicted;variable]",
                                 "Standard statistic|E[Base;variable]",
                                 "Standard statistic|Std[Predicted;variable]",
                                 "Standard statistic|Std[Base;variable]",
                                 "Extended statistic|Product;moment;correlation",
                                 "Extended statistic|Rank;correlation",
                                 "Extended statistic|Regression;coefficient",
                                 "Extended statistic|Correlation;ratio",
                                 "Extended statistic|Linearity;index",
                                 "Extended statistic|Partial;correlation;coefficient",
                                 "Extended statistic|Partial;regression;coefficient",
                                 "Extended statistic|Multiple;correlation;coefficient"};

std::unique_ptr<TNiceGrid> ResultGrid() {
  auto g = std::make_unique<TNiceGrid>();
  g->resize(1000, 700);
  g->SetHeaderLine(4);
  g->SetGutterKind(tesvane::gkString);
  g->SetGutterWidth(25);
  g->SetRowSelect(true);
  g->SetDrawSelectionQ(true);
  g->SetReadOnly(true);
  g->SetAlternateColor(QColor(245, 245, 245));
  g->SetColCount(14);
  for (int c = 0; c < 14; ++c) {
    g->Columns()[c]->SetTitle(kTitles[c]);
    g->Columns()[c]->ReadOnly = true;
    if (c >= 2) g->Columns()[c]->SetHorzAlign(tesvane::haRight);
  }
  g->SetRowCount(1);
  return g;
}

void Fill(TNiceGrid& g, int rows) {
  g.BeginUpdate();
  g.SetRowCount(rows);
  std::vector<std::string> gutter;
  for (int r = 0; r < rows; ++r) {
    gutter.push_back(std::to_string(r + 1));
    g.Core().SetCell(0, r, "Output" + std::to_string(r % 97));
    g.Core().SetCell(1, r, "Input" + std::to_string(r % 89));
    for (int c = 2; c < 14; ++c) g.Core().SetCell(c, r, std::to_string(0.001 * (r * 14 + c)));
  }
  g.Core().SetGutterStrings(gutter);
  g.EndUpdate();
}

void Repaint(benchmark::State& state) {
  auto g = ResultGrid();
  Fill(*g, 100000);
  g->show();
  QApplication::processEvents();
  if (state.range(0) == 1) g->Core().ScrollTo(true, g->Core().MaxVertOffset());
  QImage image(g->viewport()->size(), QImage::Format_RGB32);
  for (auto _ : state) {
    g->viewport()->render(&image);
    benchmark::DoNotOptimize(image.bits());
  }
}
BENCHMARK(Repaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void AppendRows(benchmark::State& state) {
  for (auto _ : state) {
    auto g = ResultGrid();
    g->show();
    QApplication::processEvents();
    for (int i = 0; i < 4761; ++i) {
      g->BeginUpdate();
      int r = g->RowCount() - 1;
      if (!g->Cells(0, r).isEmpty()) r = g->AddRow();
      g->AddGutterString(QString::number(i + 1));
      g->SetCells(0, r, QStringLiteral("Output%1").arg(i % 97));
      g->SetCells(1, r, QStringLiteral("Input%1").arg(i % 89));
      for (int c = 2; c < 14; ++c) g->SetCells(c, r, QString::number(0.001 * i * c, 'f', 4));
      g->EnsureVisible(0, r);
      g->SelectRow(r);
      g->EndUpdate();
      // The worker hands rows over faster than the screen repaints; the
      // event loop runs between them, but the updates they post coalesce.
      if (state.range(0) != 0) QApplication::processEvents();
    }
    QApplication::processEvents();
    benchmark::DoNotOptimize(g->RowCount());
  }
}
BENCHMARK(AppendRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void CopyText(benchmark::State& state) {
  auto g = ResultGrid();
  Fill(*g, 10000);
  g->SetSelectArea({0, 0, 13, 9999});
  for (auto _ : state) {
    g->CopyToClipboard();
  }
}
BENCHMARK(CopyText)->Unit(benchmark::kMillisecond);

void CsvExport(benchmark::State& state) {
  auto g = ResultGrid();
  Fill(*g, 10000);
  const auto path = std::filesystem::temp_directory_path() / "nice_grid_bench.csv";
  for (auto _ : state) g->ExportToCsv(QString::fromStdString(path.string()));
  std::filesystem::remove(path);
}
BENCHMARK(CsvExport)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
