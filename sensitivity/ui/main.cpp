// tesvane: the sensitivity program. One optional argument, the path of a
// sample file, opened when the main window is first activated.
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QStandardPaths>
#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <exception>

#include "main_window.h"
#include "sample_store.h"

namespace {

// Errors never cross the event loop: a handler's exception is shown and the
// normal cursor comes back.
class TTesvaneApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
      QMessageBox::critical(activeWindow(), "Error", QString::fromStdString(e.what()));
    } catch (...) {
      while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
      QMessageBox::critical(activeWindow(), "Error", "Unknown error");
    }
    return false;
  }
};

// The program's folder, or the user's configuration folder when the
// program's folder cannot take the settings file.
std::string SettingsFolder() {
  const QString exe = QCoreApplication::applicationDirPath();
  const QFileInfo folder(exe);
  const QFileInfo ini(exe + "/Tesvane.ini");
  if ((ini.exists() && ini.isWritable()) || (!ini.exists() && folder.isWritable()))
    return exe.toStdString();
  const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  QDir().mkpath(config);
  return config.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  TTesvaneApplication app(argc, argv);
  QApplication::setApplicationName("Tesvane");
  tesvane::ExeFolder = SettingsFolder();
  const QStringList args = QApplication::arguments();
  tesvane::TFormTesvaneMain window(args.size() > 1 ? args[1] : QString());
  window.show();
  window.activateWindow();
  return QApplication::exec();
}
