// The windows the application owns, created in their start-up order: the
// main window first, then the batch, link manager, options and transform
// windows. Only the main window is shown at start.
#pragma once

#include <QStringList>

#include "dependence_panel.h"
#include "link_manager.h"
#include "main_window.h"
#include "options_dialog.h"
#include "small_dialogs.h"

namespace tesmira::wb {

struct TTesmiraWindows {
  TTesmiraWindows(IPrompt& prompt, IFileChooser& chooser, const QString& settingsPath,
                  const QStringList& args)
      : main(prompt, chooser, settingsPath, args),
        batch(&main),
        link(main, settingsPath, &main),
        options(&main),
        transform(&main) {
    main.DependencePanel()->ConversionPanel().Transform = &transform;
  }

  TFrmTesmiraMain main;
  TFrmBatch batch;
  TFrmLink link;
  TFrmOptions options;
  TVineToMatrixModal transform;
};

}  // namespace tesmira::wb
