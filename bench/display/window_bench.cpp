// Timings of the display program's main window, offscreen:
//   - start-up without a file: window built, shown and painted, then closed;
//   - start-up with a ".sae" of 16000 samples x 69 variables: load and the
//     first picture;
//   - one mouse move of a range selection with real-time updates on, 16000
//     samples x 10 shown axes: combine, filter, render and paint;
//   - exports at 800 x 600 in each format.
// Usage: window_bench [benchmark options]
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QFont>
#include <QPrinter>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "ui/main_window.h"
#include "ui/services.h"
#include "uniform_samples.h"

namespace {

namespace fs = std::filesystem;

// Dialogs answered at once: pickers keep their proposal, exports are 800 x 600.
struct TBenchServices : ITesploreServices {
  void ErrorBox(const QString&, const QString&) override {}
  void InfoBox(const QString&, const QString&) override {}
  QString OpenFile(const QString&, const QString&, const QString&) override { return {}; }
  QString SaveFile(const QString&, const QString&, const QString&, const QString&) override {
    return {};
  }
  bool ExportOptions(TFrameSettings& s, bool) override {
    s.NotWindowSize = true;
    s.ImageWidth = 800;
    s.ImageHeight = 600;
    return true;
  }
  std::unique_ptr<QPrinter> ChoosePrinter(TPrintSettings&, QString&) override { return nullptr; }
  int Exec(QDialog&) override { return QDialog::Accepted; }
  bool ChooseColor(QColor&) override { return false; }
  bool ChooseFont(QFont&) override { return false; }
  void OpenDocument(const QString&) override {}
};

fs::path Folder() {
  const fs::path dir = fs::temp_directory_path() / "window_bench";
  fs::create_directories(dir);
  return dir;
}

QString SampleFile(int columns, int samples) {
  return QString::fromStdString(UniformSampleFile(
      Folder() / ("s" + std::to_string(columns) + "x" + std::to_string(samples) + ".sae"), columns,
      samples, 20261211));
}

void Setup() {
  static TBenchServices services;
  SetServices(&services);
  SetSettingsFilePath((Folder() / "tesplore.INI").string());
}

void BM_StartUpWithoutFile(benchmark::State& state) {
  Setup();
  for (auto _ : state) {
    TFrmTesplore window(QRect(0, 0, 1280, 1024));
    window.show();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_StartUpWithoutFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartUpWith16000x69(benchmark::State& state) {
  Setup();
  const QString file = SampleFile(69, 16000);
  for (auto _ : state) {
    TFrmTesplore window(QRect(0, 0, 1280, 1024));
    window.show();
    window.LoadAndShowSampleFile(file);
    window.View()->Surface()->repaint();
  }
}
BENCHMARK(BM_StartUpWith16000x69)->Unit(benchmark::kMillisecond)->UseRealTime();

// Synthetic moves over the first three axes, the band's lower edge going up
// and down.
void BM_RealTimeDragMove(benchmark::State& state) {
  Setup();
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(1200, 800);
  window.show();
  QApplication::processEvents();
  window.LoadAndShowSampleFile(SampleFile(10, 16000));
  window.NumSamplesT->setValue(16000);
  window.m_actRT->setChecked(true);
  TFrmTesploreView& view = *window.View();
  const TRect p = view.PlotRect();
  const int x0 = p.left - 5, x1 = p.left + p.Width() * 2 / 9 + 5;
  view.FrameMouseDown(Qt::LeftButton, x0, p.top + p.Height() / 10);
  int step = 0;
  for (auto _ : state) {
    const int y = p.top + p.Height() * (30 + step % 60) / 100;
    ++step;
    view.FrameMouseMove(x1, y);
    view.Surface()->repaint();
  }
  view.FrameMouseUp(Qt::LeftButton, x1, p.top + p.Height() / 2);
}
BENCHMARK(BM_RealTimeDragMove)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Export800x600(benchmark::State& state) {
  static const char* const names[5] = {"e.bmp", "e.png", "e.gif", "e.tif", "e.jpg"};
  Setup();
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.show();
  QApplication::processEvents();
  window.LoadAndShowSampleFile(SampleFile(10, 16000));
  const QString file =
      QString::fromStdString((Folder() / names[static_cast<std::size_t>(state.range(0))]).string());
  for (auto _ : state) window.View()->ExportImage(file);
  state.SetLabel(names[static_cast<std::size_t>(state.range(0))]);
}
BENCHMARK(BM_Export800x600)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  PlotFonts[0] = QFont(QStringLiteral("DejaVu Sans"), 8);
  PlotFonts[1] = QFont(QStringLiteral("DejaVu Sans"), 9);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetServices(nullptr);
  return 0;
}
