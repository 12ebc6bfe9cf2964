// The cost of the simulation dialog over the engine: the bench model (10
// normal variables in a tree, 5 formulas) run once through the C interface
// and once through the "Run Simulation" dialog (offscreen), both writing the
// sample files and the output file.
//
//   QT_QPA_PLATFORM=offscreen bench_simulation_dialog [samples] [folder]
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "bench_model.h"
#include "main_window.h"
#include "qt_services.h"
#include "simulation_dialog.h"
#include "tesmira/model_files.h"
#include "tesmira/simulation.h"
#include "workbench.h"

namespace {

using bench::BuildModel;

using Clock = std::chrono::steady_clock;

bool Continue(int32_t, int32_t) { return true; }

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int samples = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const std::filesystem::path dir =
      argc > 2 ? argv[2] : std::filesystem::temp_directory_path() / "tesmira_dialog_bench";
  const int runs = (samples + 99) / 100;
  tesmira::wb::TQtPrompt prompt;
  tesmira::wb::TQtFileChooser chooser;
  tesmira::wb::TFrmTesmiraMain window(prompt, chooser, "");
  tesmira::wb::TWorkbench& wb = window.Workbench();

  auto prepare = [&](const char* sub) {
    const std::filesystem::path folder = dir / sub;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    Init_data();
    BuildModel();
    const std::string model = (folder / "bench.tsm").string();
    WriteTSMFile(model.c_str());
    return model;
  };

  // The C interface.
  const std::string direct = prepare("direct");
  TRunRequest r = DefaultRunRequest;
  r.runs = runs;
  r.seed = 1;
  r.options = RunWriteInputs | RunWriteOutputs;
  r.progress = Continue;
  auto t0 = Clock::now();
  const int code = Run_simul(&r);
  const int written = WriteTSOFile((dir / "direct" / "bench.tso").string().c_str());
  const double c = std::chrono::duration<double>(Clock::now() - t0).count();

  // The dialog.
  wb.CurrentFileName = prepare("dialog");
  wb.FileOpen = true;
  wb.CurrentFileKind = tesmira::wb::FileKindModelFile;
  tesmira::wb::TFrmSimulation dialog(wb, &window, "");
  dialog.Prepare();
  dialog.edRuns->setText(QString::number(runs));
  dialog.show();
  t0 = Clock::now();
  dialog.RunClick();
  const double d = std::chrono::duration<double>(Clock::now() - t0).count();

  std::printf("samples                 %d\n", runs * 100);
  std::printf("C interface             %.3f s (code %d, output %d)\n", c, code, written);
  std::printf("Run Simulation dialog   %.3f s (%s)\n", d,
              dialog.labStat->toolTip().toStdString().c_str());
  std::printf("ratio                   %.3f\n", d / c);
  return 0;
}
