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

}  // namespace
}  // namespace tesvane
