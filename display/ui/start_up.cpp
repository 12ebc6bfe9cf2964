#include "ui/start_up.h"

#include <exception>

#include "ui/main_window.h"
#include "ui/services.h"

bool ProcessCommandLine(TFrmTesplore& window, const QStringList& arguments) {
  const TCommandLine line = ParseCommandLine(arguments);
  if (!line.valid) {
    ShowErrorBox(QStringLiteral("Invalid command line arguments"),
                 QStringLiteral("Tesplore Startup Error"));
    return false;
  }
  if (!line.file.isEmpty()) window.LoadAndShowSampleFile(line.file);
  return true;
}

TTesploreApplication::TTesploreApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Tesplore"));
}

bool TTesploreApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const ut::Exception& e) {
    ShowErrorBox(QString::fromStdString(e.message()));
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromLocal8Bit(e.what()));
  }
  return false;
}

int RunTesplore(int argc, char** argv) {
  TTesploreApplication app(argc, argv);
  try {
    TFrmTesplore window;
    const bool go = ProcessCommandLine(window, QCoreApplication::arguments());
    if (!go) return 0;
    window.show();
    app.exec();
  } catch (const ut::Exception& e) {
    ShowErrorBox(QString::fromStdString(e.message()));
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    ShowErrorBox(QStringLiteral("An unexpected error has occurred.\nTesplore must close down."),
                 QStringLiteral("Fatal Error"));
  }
  return 0;
}
