#include "application.h"

#include <QMessageBox>
#include <exception>

namespace tesmira::wb {

TTesmiraApplication::TTesmiraApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("Tesmira");
}

std::function<void(const std::string&)>& TTesmiraApplication::ErrorSink() {
  static std::function<void(const std::string&)> sink = [](const std::string& text) {
    QMessageBox::critical(nullptr, "Error", QString::fromStdString(text));
  };
  return sink;
}

bool TTesmiraApplication::notify(QObject* receiver, QEvent* event) {
  return Guard([&] { return QApplication::notify(receiver, event); });
}

bool TTesmiraApplication::Guard(const std::function<bool()>& work) {
  try {
    return work();
  } catch (const std::exception& e) {
    ErrorSink()(e.what());
  } catch (...) {
    ErrorSink()("Unknown error");
  }
  return false;
}

}  // namespace tesmira::wb
