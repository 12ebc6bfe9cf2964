// The workbench started as a user starts it: from a shell folder, on a model
// named by a relative path, with a settings file whose working folder lies
// elsewhere. Runs, results and recent files must all see the model's real
// place.
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "run_commands.h"
#include "simulation_dialog.h"
#include "tesmira/model_files.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

class RelativePathsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    std::filesystem::create_directories(dir_ / "shell" / "models");
    std::filesystem::create_directories(dir_ / "stored");
    model = WriteModel("shell/models/m.tsm", {"a", "b"}, {{"f", "a+b"}});
    // The last session's working folder, which the window restores at start.
    WriteText(settings.toStdString(), "[General]\r\nWorkDir=" + Path("stored") + "\r\n");
    oldDir = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(Path("shell")));
  }
  void TearDown() override {
    QDir::setCurrent(oldDir);
    WindowTest::TearDown();
  }
  // Opens the window on the relative name and runs "Run Simulation" with a
  // click on Run; returns the dialog after the run.
  TFrmSimulation* RunThroughTheDialog() {
    auto& w = Open({"models/m.tsm"});
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(w.Workbench().CurrentFileName, model);
    auto* run = w.findChild<TRunCommands*>();
    TFrmSimulation* shown = nullptr;
    run->ExecSimulation = [&](TFrmSimulation& d) {
      shown = &d;
      d.show();
      QTest::mouseClick(d.butRun, Qt::LeftButton);
      d.hide();
      return 1;
    };
    run->mitSimulate->trigger();
    return shown;
  }

  std::string model;
  QString oldDir;
};

TEST_F(RelativePathsTest, ARunWritesItsFilesBesideTheModel) {
  TFrmSimulation* d = RunThroughTheDialog();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->labStat->toolTip().toStdString().rfind("Simulation FINISHED!", 0), 0u)
      << d->labStat->toolTip().toStdString();
  for (const char* name : {"m.sam", "m.sae", "m.tso"})
    EXPECT_TRUE(std::filesystem::exists(Path(std::string("shell/models/") + name))) << name;
  EXPECT_FALSE(std::filesystem::exists(Path("shell/models/models")));
  EXPECT_TRUE(d->butReport->isEnabled());
  EXPECT_TRUE(d->butGraphics->isEnabled());
  // The recent-file entry is the full path, usable from any folder.
  EXPECT_EQ(win->MRU[0]->toolTip().toStdString(), model);
}

TEST_F(RelativePathsTest, ARunWithoutItsOutputFileOffersNoResults) {
  // A folder where the output file should go makes its writing fail.
  std::filesystem::create_directories(dir_ / "shell" / "models" / "m.tso");
  TFrmSimulation* d = RunThroughTheDialog();
  ASSERT_NE(d, nullptr);
  const std::string status = d->labStat->toolTip().toStdString();
  EXPECT_EQ(status, "Failure when saving the Output file " + Path("shell/models/m.tso"));
  EXPECT_FALSE(d->butReport->isEnabled());
  EXPECT_FALSE(d->butGraphics->isEnabled());
  EXPECT_FALSE(d->butSensAnalysis->isEnabled());
  EXPECT_FALSE(win->Workbench().ReportAvailable);
  win->mnuReport->aboutToShow();
  EXPECT_FALSE(win->toolRep->isEnabled());
}

TEST(AbsoluteArguments, FileNamesBecomeAbsoluteAndSwitchesStay) {
  const QString here = QDir::currentPath();
  EXPECT_EQ(AbsoluteArguments({"-import_sam_file_for_udf", "d/../s.sam"}),
            QStringList({"-import_sam_file_for_udf", here + "/s.sam"}));
  EXPECT_EQ(AbsoluteArguments({"/x/./y.tsm"}), QStringList({"/x/y.tsm"}));
}

}  // namespace
}  // namespace tesmira::wb::test
