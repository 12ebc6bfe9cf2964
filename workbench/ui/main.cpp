// The tesmira program: the workbench's windows over the modelling engine.
#include <QStringList>

#include "application.h"
#include "link_manager.h"
#include "main_window.h"
#include "options_dialog.h"
#include "qt_services.h"
#include "small_dialogs.h"
#include "tesmira/model_files.h"

int main(int argc, char** argv) {
  using namespace tesmira::wb;
  TTesmiraApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QString());
  // The engine's model exists before the first window.
  Init_data();
  QStringList args = QApplication::arguments();
  args.removeFirst();
  const QString settings = DefaultSettingsPath();
  int result = 0;
  {
    TQtPrompt prompt;
    TQtFileChooser chooser;
    // The application-owned windows, in their order; only the main one shows.
    TFrmTesmiraMain main(prompt, chooser, settings, args);
    prompt.SetParent(&main);
    chooser.SetParent(&main);
    TFrmBatch batch(&main);
    TFrmLink link(main, settings, &main);
    TFrmOptions options(&main);
    TVineToMatrixModal transform(&main);
    main.show();
    result = app.exec();
  }
  End_data();
  return result;
}
