// The main window over a fresh engine model, with scripted prompts and file
// choosers and a settings file in the test's own folder.
#pragma once

#include <QApplication>
#include <QTableView>
#include <QtTest/QTest>
#include <memory>

#include "main_window.h"
#include "model_fixture.h"

namespace tesmira::wb::test {

class WindowTest : public ModelTest {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "workbench_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)app;
    ModelTest::SetUp();
    settings = QString::fromStdString(Path("tesmira.INI"));
  }
  void TearDown() override {
    win.reset();
    ModelTest::TearDown();
  }
  TFrmTesmiraMain& Open(const QStringList& args = {}) {
    win = std::make_unique<TFrmTesmiraMain>(f.prompt, f.chooser, settings, args);
    return *win;
  }
  // The window shown and active without its logo, so that clicks give the
  // focus as they do for a user; false when it did not become active.
  bool OpenActive() {
    Open().show();
    for (QWidget* logo : win->findChildren<QWidget*>("LogoForm")) logo->close();
    win->activateWindow();
    return QTest::qWaitForWindowActive(win.get());
  }
  // Writes a model file with variables of those names and formulas, then
  // leaves the engine with an empty model.
  std::string WriteModel(const std::string& name, const std::vector<std::string>& variables,
                         const std::vector<std::pair<std::string, std::string>>& formulas = {}) {
    Init_data();
    for (const std::string& v : variables) AddVariable(v);
    for (const auto& [n, t] : formulas) AddFormula(n, t);
    Mark_AllTSMObjectsSelected(true);
    const std::string path = Path(name);
    EXPECT_GT(WriteTSMFile(path.c_str()), 0);
    Init_data();
    return path;
  }
  std::vector<std::string> Names(QTableView* list) {
    std::vector<std::string> names;
    for (int r = 0; r < list->model()->rowCount(); ++r)
      names.push_back(list->model()->index(r, 1).data().toString().toStdString());
    return names;
  }

  QString settings;
  std::unique_ptr<TFrmTesmiraMain> win;
};

}  // namespace tesmira::wb::test
