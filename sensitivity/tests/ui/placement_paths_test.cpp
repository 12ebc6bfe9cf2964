// File names become absolute where they enter the program, and the window's
// placement survives a close and a start.
#include <gtest/gtest.h>

#include <QtCore/QDir>
#include <QtCore/QFile>

#include "settings.h"
#include "ui_test_support.h"

namespace tesvane {
namespace {

using test::TWindowFixture;

class PathsTest : public TWindowFixture {
 protected:
  PathsTest() : saved_(QDir::currentPath()) {}
  ~PathsTest() override { QDir::setCurrent(saved_); }
  QString saved_;
};

TEST_F(PathsTest, RelativeNamesBecomeAbsoluteInCaptionAndRecentFiles) {
  const QString folder = QString::fromStdString(Folder());
  QDir(folder).mkpath("data/sub");
  QDir(folder).mkpath("elsewhere");
  ASSERT_TRUE(QFile::copy(QString(TESVANE_TEST_DATA) + "/fixture.sae", folder + "/data/f.sae"));
  const QString absolute = QDir::cleanPath(QDir(folder).absoluteFilePath("data/f.sae"));

  // From the open dialog, relative to the current folder.
  QDir::setCurrent(folder + "/data/sub");
  TFormTesvaneMain& w = Start();
  services.OpenAnswers.push_back("../sub/./../f.sae");
  w.OpenFileCommand();
  EXPECT_EQ(w.windowTitle(), "Tesvane - " + absolute);
  ASSERT_FALSE(w.RecentFiles().empty());
  EXPECT_EQ(QString::fromStdString(w.RecentFiles().front()), absolute);
  // Another current folder: the entry still opens the file.
  QDir::setCurrent(folder + "/elsewhere");
  w.UnloadSampleFile();
  w.ReopenEntry(0);
  EXPECT_EQ(w.windowTitle(), "Tesvane - " + absolute);
  EXPECT_TRUE(services.Boxes.empty());
  w.close();
  window.reset();

  // From the command line.
  QDir::setCurrent(folder + "/data");
  TFormTesvaneMain& again = Start("sub/../f.sae");
  QDir::setCurrent(folder + "/elsewhere");
  QTRY_COMPARE(again.windowTitle(), "Tesvane - " + absolute);
  EXPECT_TRUE(services.Boxes.empty());
}

class PlacementTest : public TWindowFixture {
 protected:
  QRect Stored() const {
    TIniFile ini(SettingsFileName());
    return QRect(
        ini.ReadInteger("Parameters", "Left", -1), ini.ReadInteger("Parameters", "Top", -1),
        ini.ReadInteger("Parameters", "Width", -1), ini.ReadInteger("Parameters", "Height", -1));
  }
};

TEST_F(PlacementTest, TheRectangleWrittenAtCloseIsRestoredAtStart) {
  TFormTesvaneMain& w = Start();
  w.move(130, 90);
  w.resize(900, 700);
  QCoreApplication::processEvents();
  w.splMain->setSizes({300, 600});
  w.PageControl1->setCurrentIndex(1);
  w.splDetailsV->setSizes({200, 300});
  QCoreApplication::processEvents();
  const int left = w.splMain->sizes()[0], charts = w.splDetailsV->sizes()[1];
  const QRect frame = w.frameGeometry();
  const QSize client = w.size();
  // Three closes and starts: the window stays where it was.
  for (int start = 0; start < 3; ++start) {
    SCOPED_TRACE(start);
    window->close();
    EXPECT_EQ(Stored(), QRect(frame.topLeft(), client));
    window.reset();
    TFormTesvaneMain& again = Start();
    EXPECT_EQ(again.frameGeometry(), frame);
    EXPECT_EQ(again.size(), client);
    EXPECT_EQ(again.splMain->sizes()[0], left);
    again.PageControl1->setCurrentIndex(1);
    EXPECT_EQ(again.splDetailsV->sizes()[1], charts);
  }
}

TEST_F(PlacementTest, APlacementOffTheScreenComesBackOntoIt) {
  {
    TIniFile ini(SettingsFileName());
    ini.WriteInteger("Parameters", "Left", 5000);
    ini.WriteInteger("Parameters", "Top", -400);
    ini.WriteInteger("Parameters", "Width", 900);
    ini.WriteInteger("Parameters", "Height", 700);
  }
  TFormTesvaneMain& w = Start();
  const QRect area = w.screen()->availableGeometry();
  const QRect frame = w.frameGeometry();
  EXPECT_TRUE(area.contains(frame))
      << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
  EXPECT_EQ(w.size(), QSize(900, 700));
}

TEST_F(PlacementTest, VariablesPanelWidthIsAppliedAtStart) {
  {
    TIniFile ini(SettingsFileName());
    ini.WriteInteger("Parameters", "Variables panel width", 330);
    ini.WriteInteger("Parameters", "Width", 1100);
  }
  TFormTesvaneMain& w = Start();
  EXPECT_EQ(w.pnlVariables->width(), 330);
  w.close();
  TIniFile ini(SettingsFileName());
  EXPECT_EQ(ini.ReadInteger("Parameters", "Variables panel width", 0), 330);
}

}  // namespace
}  // namespace tesvane
