// The windows the application owns, created at start-up in this order: the
// main window (whose creation reads the settings file and builds its frames,
// the dependence panel's slider popup and the formula editor's own
// completion popup among them), then the batch dialog, the link manager
// (which reads its place from the settings file), the options dialog, the
// report and simulation dialogs and the transformation progress window.
// Only the main window is shown at start; the others live until it closes.
#pragma once

#include <QStringList>

#include "dependence_panel.h"
#include "link_manager.h"
#include "list_editing.h"
#include "main_window.h"
#include "options_dialog.h"
#include "report_dialog.h"
#include "run_commands.h"
#include "simulation_dialog.h"
#include "small_dialogs.h"

namespace tesmira::wb {

struct TTesmiraWindows {
  TTesmiraWindows(IPrompt& prompt, IFileChooser& chooser, const QString& settingsPath,
                  const QStringList& args)
      : main(prompt, chooser, settingsPath, args),
        batch(&main),
        link(main, settingsPath, &main),
        options(&main),
        report(Run().ReportDialog()),
        simulation(Run().SimulationDialog()),
        transform(&main) {
    main.DependencePanel()->ConversionPanel().Transform = &transform;
    main.findChild<TListEditing*>("ListEditing")->UseBatchDialog(batch);
  }

  TFrmTesmiraMain main;
  TFrmBatch batch;
  TFrmLink link;
  TFrmOptions options;
  TFrmReport& report;          // owned by the main window's run commands
  TFrmSimulation& simulation;  // likewise
  TVineToMatrixModal transform;

 private:
  TRunCommands& Run() { return *main.findChild<TRunCommands*>(); }
};

}  // namespace tesmira::wb
