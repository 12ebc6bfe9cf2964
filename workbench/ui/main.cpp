// The tesmira program: the workbench's windows over the modelling engine.
#include <QStringList>

#include "application.h"
#include "qt_services.h"
#include "tesmira/model_files.h"
#include "tesmira_windows.h"

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
    TTesmiraWindows windows(prompt, chooser, settings, args);
    prompt.SetParent(&windows.main);
    chooser.SetParent(&windows.main);
    windows.main.show();
    result = app.exec();
  }
  End_data();
  return result;
}
