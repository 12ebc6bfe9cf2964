// The workbench's application object: an exception escaping a command is
// shown in an error box and the program goes on.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace tesmira::wb {

class TTesmiraApplication : public QApplication {
 public:
  TTesmiraApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Runs work; an exception it lets escape goes to the error sink (false).
  static bool Guard(const std::function<bool()>& work);
  // Shows the error; the default is a modal error box.
  static std::function<void(const std::string&)>& ErrorSink();
};

}  // namespace tesmira::wb
