// Whole-window timings of Tesvane (offscreen): the 69 x 69 batch at 10^5
// samples run from the window against the same batch on the worker alone,
// sorting its 4761 rows by each kind of column, and showing an item of a
// 10^6-sample file with the default 10000 regression points and with all.
#include <QtCore/QDir>
#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>
#include <cstdio>
#include <numeric>

#include "bench_data.h"
#include "jobs.h"
#include "main_window.h"
#include "settings.h"
#include "worker.h"

using namespace tesvane;

namespace {

std::vector<int32_t> AllIds(int n) {
  std::vector<int32_t> ids(static_cast<size_t>(n));
  std::iota(ids.begin(), ids.end(), 0);
  return ids;
}

void Load(TFormTesvaneMain& w, TFileData store) {
  FileData = std::move(store);
  FileData.FileName = "bench.sae";
  w.RefreshAfterLoad();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QString folder = QDir::tempPath() + "/tesvane_window_bench";
  QDir().mkpath(folder);
  ExeFolder = folder.toStdString();
  {
    TIniFile ini(SettingsFileName());
    ini.WriteBool(ini::GeneralSettings, ini::ImportSelected, false);
  }

  // The core alone: the batch on the worker thread.
  TFileData store = bench::MakeStore(69, 100000);
  double core = 0;
  {
    TRunData run;
    run.Jobs = BuildJobs(store, AllIds(69), AllIds(69));
    TRunListener quiet;
    QElapsedTimer t;
    t.start();
    TMyThread worker(store, run, quiet, TRunParameters{});
    worker.Start();
    worker.WaitFor();
    core = t.nsecsElapsed() / 1e9;
  }

  TFormTesvaneMain w;
  w.resize(1200, 900);
  w.show();
  QCoreApplication::processEvents();
  Load(w, std::move(store));
  for (QListWidget* list : {w.cklstConditioned, w.cklstConditioning})
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
  QElapsedTimer t;
  t.start();
  w.btnCalculateBatchClick();
  while (w.Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  const double window = t.nsecsElapsed() / 1e9;
  std::printf(
      "69 x 69 batch at 1e5 samples: worker alone %.2f s, from the window %.2f s (%+.1f %%), "
      "%d rows\n",
      core, window, 100.0 * (window / core - 1), w.ShownResultCount());

  for (int column : {-1, 0, 6, 12}) {
    QElapsedTimer s;
    s.start();
    w.SortResultList(column);
    std::printf("sort 4761 rows by column %d: %.1f ms\n", column, s.nsecsElapsed() / 1e6);
  }

  // An item of a 10^6-sample file.
  w.UnloadSampleFile();
  Load(w, bench::MakeStore(6, 1000000));
  w.cklstConditioned->item(5)->setCheckState(Qt::Checked);
  w.cklstConditioning->item(0)->setCheckState(Qt::Checked);
  w.btnCalculateBatchClick();
  while (w.Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  w.PageControl1->setCurrentIndex(1);
  QCoreApplication::processEvents();
  for (int limit : {10000, 0}) {
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(ini::Parameters, ini::SamplesForRegressionPlot, limit);
    QElapsedTimer s;
    s.start();
    w.ShowItemDetails(0);
    QCoreApplication::processEvents();
    w.MainChart->View()->repaint();
    std::printf("show an item of 1e6 samples with %s: %.1f ms (%lld points drawn)\n",
                limit ? "10000 regression points" : "0 = all", s.nsecsElapsed() / 1e6,
                static_cast<long long>(w.MainChart->PointSeries()->count()));
  }
  w.UnloadSampleFile();
  return 0;
}
