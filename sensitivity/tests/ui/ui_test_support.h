// Helpers of the window tests: services that record boxes and answer file
// choosers and dialogs, a temporary program folder with its settings file,
// and a started main window.
#pragma once

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>
#include <deque>
#include <functional>
#include <memory>

#include "main_window.h"
#include "services.h"
#include "test_support.h"

namespace tesvane::test {

// One QApplication for the whole test program. Offscreen, its screen is
// larger than the platform's 800 x 600, so that a window of the default
// size and its frame fit on it as on a desktop.
inline QApplication& App() {
  static int argc = 1;
  static char name[] = "tesvane_ui_tests";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
      // One file per process: CTest runs the cases of this program side by
      // side, and a file rewritten by one while another reads it is invalid.
      const QString config = QDir::temp().filePath(
          QString("tesvane_ui_tests_screen_%1.json").arg(QCoreApplication::applicationPid()));
      QFile file(config);
      if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": 1600,)"
                   R"( "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96}]})");
        file.close();
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
        static const struct TRemoveAtExit {
          QString name;
          ~TRemoveAtExit() { QFile::remove(name); }
        } remove{config};
      }
    }
    new QApplication(argc, argv);
  }
  return *qApp;
}

struct TBox {
  QString Caption, Text;
  QMessageBox::Icon Icon;
};

class TTestServices : public TUiServices {
 public:
  std::vector<TBox> Boxes;
  std::deque<QString> OpenAnswers;
  // Each save answer: the path and the filter entry chosen.
  std::deque<std::pair<QString, int>> SaveAnswers;
  std::vector<QStringList> SaveFilters;
  std::vector<QString> OpenTitles;
  // Answers a modal dialog; without one a dialog is cancelled.
  std::function<int(QDialog&)> DialogAnswer;
  int Dialogs = 0;
  std::vector<QString> Documents;

  void Message(QWidget*, const QString& caption, const QString& text,
               QMessageBox::Icon icon) override {
    Boxes.push_back({caption, text, icon});
  }
  QString OpenFile(QWidget*, const QString& title, const QStringList&, int, const QString&,
                   const QString&) override {
    OpenTitles.push_back(title);
    if (OpenAnswers.empty()) return {};
    QString p = OpenAnswers.front();
    OpenAnswers.pop_front();
    return p;
  }
  QString SaveFile(QWidget*, const QString&, const QStringList& filters, int& selected,
                   const QString&) override {
    SaveFilters.push_back(filters);
    if (SaveAnswers.empty()) return {};
    auto a = SaveAnswers.front();
    SaveAnswers.pop_front();
    selected = a.second;
    return a.first;
  }
  int Exec(QDialog& dialog) override {
    ++Dialogs;
    return DialogAnswer ? DialogAnswer(dialog) : QDialog::Rejected;
  }
  void OpenDocument(const QString& path) override { Documents.push_back(path); }

  QStringList Texts() const {
    QStringList t;
    for (const TBox& b : Boxes) t << b.Text;
    return t;
  }
};

// A program folder with "Import selected=0" (the picker would open at every
// load otherwise), services installed, and a window on demand.
class TWindowFixture : public ::testing::Test {
 protected:
  TWindowFixture() : settings_(false) {
    App();
    SetServices(&services);
  }
  ~TWindowFixture() override {
    window.reset();
    SetServices(nullptr);
    RunData.ClearResults();
    RunData.Jobs.clear();
    FileData.Close();
    FileData.Variables.FreeItems();
  }
  TFormTesvaneMain& Start(const QString& commandLine = {}) {
    window = std::make_unique<TFormTesvaneMain>(commandLine);
    window->show();
    QApplication::setActiveWindow(window.get());
    QCoreApplication::processEvents();
    return *window;
  }
  std::string Ini() const { return settings_.Ini(); }
  std::string Folder() const { return ExeFolder; }
  // Runs the checked pairs and waits for the end of the run.
  void RunAndWait() {
    QTest::mouseClick(window->btnRun, Qt::LeftButton);
    WaitForRun();
  }
  void WaitForRun(int ms = 60000) {
    QTRY_VERIFY_WITH_TIMEOUT(!window->Running(), ms);
    QCoreApplication::processEvents();
  }
  void Check(QListWidget* list, int row, bool on = true) {
    list->item(row)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }

  TSettingsScope settings_;
  TTestServices services;
  std::unique_ptr<TFormTesvaneMain> window;
};

}  // namespace tesvane::test
