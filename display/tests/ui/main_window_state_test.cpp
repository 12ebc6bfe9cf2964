// Where the main window opens, the names it keeps, and what it shows for the
// plot type: the tool bar's hint, the smoothing bar and the sample count.
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <fstream>

#include "main_window_fixture.h"
#include "ui/start_up.h"

namespace {

// Changes the current folder for the life of a scope.
class CurrentFolder {
 public:
  explicit CurrentFolder(const QString& path) : saved_(QDir::currentPath()) {
    QDir::setCurrent(path);
  }
  ~CurrentFolder() { QDir::setCurrent(saved_); }

 private:
  QString saved_;
};

TEST(WindowPlacement, KeptInsideTheAvailableArea) {
  struct Case {
    TWindowPlacement stored;  // Top, Left, Width, Height
    QRect available, expected;
  };
  const QRect screen(0, 0, 1280, 1024), belowPanel(0, 30, 1280, 994);
  const Case cases[] = {
      {{140, 130, 700, 500}, screen, QRect(130, 140, 700, 500)},
      {{140, 1100, 900, 500}, screen, QRect(380, 140, 900, 500)},  // moved in from the right
      {{900, 20, 700, 500}, screen, QRect(20, 524, 700, 500)},     // moved up from the bottom
      {{10, 20, 3000, 2000}, screen, QRect(0, 0, 1280, 1024)},     // larger than the screen
      {{0, 20, 700, 500}, belowPanel, QRect(20, 30, 700, 500)},    // not under the panel
      {{-1, -1, -1, -1}, screen, QRect()},                         // not stored: centred
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlacedRect(c.stored, c.available), c.expected)
        << c.stored.Top << " " << c.stored.Left;
}

// The rectangle written at close is the one the next start opens, start
// after start.
TEST_F(MainWindowTest, PlacementRoundTrips) {
  const QRect available(0, 0, 1280, 1024);
  {
    TFrmTesplore window(available);
    window.resize(700, 500);
    window.move(130, 140);
    window.show();
    QApplication::processEvents();
  }
  const std::string ini = dir.File("tesplore.INI");
  const TMainSettings written = ReadMainSettings(ini, 1280, 1024, "x", 9);
  EXPECT_EQ(written.Placement.Left, 130);
  EXPECT_EQ(written.Placement.Top, 140);
  EXPECT_EQ(written.Placement.Width, 700);
  EXPECT_EQ(written.Placement.Height, 500);
  for (int start = 0; start < 3; ++start) {
    TFrmTesplore window(available);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.pos(), QPoint(130, 140)) << "start " << start;
    EXPECT_EQ(window.size(), QSize(700, 500)) << "start " << start;
  }
}

// A name given relative to the current folder becomes absolute where it comes
// in: the recent entry, and the name Save Selected Samples derives from it,
// still work after the current folder changed.
TEST_F(MainWindowTest, RelativeNamesBecomeAbsolute) {
  QDir().mkpath(QString::fromStdString(dir.File("demo")));
  QDir().mkpath(QString::fromStdString(dir.File("elsewhere")));
  Samples("demo/supply.SAM", 2, 300);
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  QString expected;
  {
    const CurrentFolder here(QString::fromStdString(dir.File("")));
    expected = QDir::cleanPath(QDir::currentPath() + "/demo/supply.SAM");
    EXPECT_TRUE(ProcessCommandLine(window, {"prog", "demo/../demo/./supply.SAM"}));
  }
  const CurrentFolder other(QString::fromStdString(dir.File("elsewhere")));
  EXPECT_EQ(window.CurrentFile(), expected);
  EXPECT_EQ(window.RecentFiles().first(), expected);
  EXPECT_TRUE(QFileInfo(window.RecentFiles().first()).isAbsolute());
  EXPECT_EQ(window.windowIconText(), "supply - Tesplore");

  services.saveProposed = true;
  window.m_actSaveSel->trigger();
  ASSERT_EQ(services.proposals.size(), 1);
  const QString saved = QFileInfo(expected).absolutePath() + "/supply2.sam";
  EXPECT_EQ(services.proposals[0], saved);
  EXPECT_TRUE(services.boxes.isEmpty()) << services.boxes.join('\n').toStdString();
  EXPECT_TRUE(QFileInfo::exists(saved));

  // The recent entry opens from any folder.
  window.LoadAndShowSampleFile(QString::fromStdString(dir.File("gone.sae")));
  window.m_mru[0]->trigger();
  EXPECT_EQ(window.CurrentFile(), expected);
}

// The tool bar's hint follows cobwebs and marginals; the application title
// follows the file.
TEST_F(MainWindowTest, ToolBarHintAndApplicationTitle) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(1200, 700);
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.windowIconText(), "Tesplore");
  window.LoadAndShowSampleFile(Samples("model.sae", 3, 300));
  EXPECT_EQ(window.windowIconText(), "model - Tesplore");
  EXPECT_EQ(window.Label9->text(), "    Right-click on plot area for additional options");
  const std::pair<int, bool> shown[] = {{PlotCobwebs, true},    {PlotScatter, false},
                                        {PlotMarginals, true},  {PlotDensity, false},
                                        {PlotHistogram, false}, {PlotCobwebs, true}};
  for (const auto& [type, visible] : shown) {
    window.m_actPlot[static_cast<std::size_t>(type)]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window.Label9->isVisible(), visible) << type;
  }
  window.LoadAndShowSampleFile(QString::fromStdString(dir.File("gone.sae")));
  EXPECT_EQ(window.windowIconText(), "Tesplore");
}

TEST_F(MainWindowTest, CrossDensityShowsTheSmoothingBarAtOnce) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.show();
  QApplication::processEvents();
  window.LoadAndShowSampleFile(Samples("m.sae", 3, 300));
  window.m_actPlot[PlotCobwebs]->trigger();
  ASSERT_TRUE(window.chkCrossDensity->isVisible());
  EXPECT_FALSE(window.BWidth->isVisible());
  for (bool on : {true, false}) {
    QTest::mouseClick(window.chkCrossDensity, Qt::LeftButton);
    EXPECT_EQ(window.Document().m_crossDensity != 0, on);
    EXPECT_EQ(window.BWidth->isVisible(), on);
    EXPECT_EQ(window.labSmooth->isVisible(), on);
  }
  window.m_actPlot[PlotDensity]->trigger();
  EXPECT_TRUE(window.BWidth->isVisible());
}

// Started without a file, the sample count still stops at 2 once a file is
// loaded: a typed 0 shows and draws 2 samples.
TEST_F(MainWindowTest, SampleCountKeepsItsMinimumAfterAStartWithoutAFile) {
  TFrmTesplore window(QRect(0, 0, 1280, 1024));
  window.resize(900, 700);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_EQ(window.NumSamplesT->minimum(), 2);
  window.LoadAndShowSampleFile(Samples("m.sae", 3, 300));
  EXPECT_EQ(window.NumSamplesT->minimum(), 2);
  EXPECT_EQ(window.NumSamplesT->maximum(), 300);
  QTest::mouseClick(window.NumSamplesE, Qt::LeftButton);
  QTest::keyClick(window.NumSamplesE, Qt::Key_End);
  for (int i = 0; i < 4; ++i) QTest::keyClick(window.NumSamplesE, Qt::Key_Backspace);
  QTest::keyClicks(window.NumSamplesE, "0");
  QTest::keyClick(window.NumSamplesE, Qt::Key_Return);
  EXPECT_EQ(window.NumSamplesT->value(), 2);
  EXPECT_EQ(window.NumSamplesE->text(), "2");
  EXPECT_EQ(window.Document().m_numSamples, 2u);
  EXPECT_TRUE(services.boxes.isEmpty()) << services.boxes.join('\n').toStdString();
}

// At the designed width every command shows on the tool bar with its
// picture, with the cobweb hint and without the overflow arrow, in the
// platform's font and in the wider ones of Debian's desktops.
TEST_F(MainWindowTest, ToolBarFitsTheDesignedWidth) {
  const QString samples = Samples("m.sae", 3, 300);
  const QFont platform = QApplication::font();
  for (int points : {0, 10, 11}) {
    if (points > 0) QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), points));
    TFrmTesplore window(QRect(0, 0, 1280, 1024));
    window.show();
    QApplication::processEvents();
    window.LoadAndShowSampleFile(samples);
    QApplication::processEvents();
    EXPECT_EQ(window.width(), 808);
    EXPECT_TRUE(window.Label9->isVisible()) << points;
    for (QAction* a : window.ToolBar1->actions()) {
      if (a->isSeparator()) continue;
      QWidget* w = window.ToolBar1->widgetForAction(a);
      ASSERT_NE(w, nullptr);
      EXPECT_TRUE(w->isVisible()) << points << " " << a->text().toStdString();
      if (auto* b = qobject_cast<QToolButton*>(w)) {
        EXPECT_FALSE(b->icon().isNull()) << a->text().toStdString();
      }
    }
    auto* more = window.ToolBar1->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    ASSERT_NE(more, nullptr);
    EXPECT_FALSE(more->isVisible()) << points;
    // A menu item and its button share the picture.
    auto* open = qobject_cast<QToolButton*>(window.ToolBar1->widgetForAction(window.m_actOpen));
    EXPECT_EQ(open->icon().cacheKey(), window.m_actOpen->icon().cacheKey());
    // "Reset" opens its menu from the whole button.
    auto* reset = qobject_cast<QToolButton*>(window.ToolBar1->widgetForAction(window.m_actReset));
    ASSERT_NE(reset, nullptr);
    EXPECT_EQ(reset->popupMode(), QToolButton::InstantPopup);
  }
  QApplication::setFont(platform);
}

}  // namespace
