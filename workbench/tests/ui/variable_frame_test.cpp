#include "variable_frame.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <iterator>

#include "model_helpers.h"
#include "random_paint.h"
#include "tesmira/distributions.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

using test::WindowTest;

class VariableFrameTest : public WindowTest {
 protected:
  TRandomVariablesForm& Frame(TFrmTesmiraMain& w) {
    return *w.findChild<TRandomVariablesForm*>("RandomVariablesForm");
  }
  // A window of that height showing the first of the model's variables.
  TRandomVariablesForm& ShowFirst(const std::vector<std::string>& names, int height) {
    auto& w = Open();
    w.OpenGivenFile(WriteModel("m.tsm", names));
    w.resize(1000, height);
    w.show();
    w.ChangePanel(PanelVariables);
    w.listVar->selectRow(0);
    QApplication::processEvents();
    return Frame(w);
  }
};

TEST_F(VariableFrameTest, EditsTheSelectedVariable) {
  auto& w = Open();
  w.OpenGivenFile(WriteModel("m.tsm", {"x", "y"}));
  w.resize(1000, 800);
  w.show();
  w.ChangePanel(PanelVariables);
  w.listVar->selectRow(0);
  TRandomVariablesForm& fr = Frame(w);
  EXPECT_EQ(fr.edVarName->text(), "x");
  EXPECT_EQ(fr.lab7of9->text(), "1 of 2 total");
  EXPECT_EQ(fr.cbxDistribution->count(), 12);
  EXPECT_EQ(fr.cbxDistribution->currentIndex(), DistNormal - 1);
  EXPECT_TRUE(fr.titles[0]->isVisible());
  EXPECT_EQ(fr.labels[0][0]->text(), QString::fromUtf8("µ="));  // real Greek letters
  EXPECT_TRUE(fr.preview->isVisible());

  // A cell that is not a number: the red message, the model unchanged.
  fr.cells[0][0]->setText("abc");
  fr.updates[0]->click();
  EXPECT_EQ(fr.labMessage->text(),
            "Error in the Parameters column: \"abc\" is not a number (data not updated!)");
  fr.cells[0][0]->setText("4");
  fr.updates[0]->click();
  double mean;
  std::memcpy(&mean, &Fetch_extended_random_variable(0, "x")->distribution.u.params[0],
              sizeof mean);
  EXPECT_EQ(mean, 4);

  // Blanks in a name become underscores.
  fr.edVarName->setFocus();
  fr.edVarName->selectAll();
  QTest::keyClicks(fr.edVarName, "new x");
  QTest::keyClick(fr.edVarName, Qt::Key_Return);
  EXPECT_EQ(Names(w.listVar)[0], "new_x");

  // Two selected of different types hide the grid.
  fr.DistributionChanged(DistUniform - 1);
  w.listVar->selectAll();
  EXPECT_EQ(fr.cbxDistribution->currentIndex(), -1);
  EXPECT_FALSE(fr.titles[0]->isVisible());
  EXPECT_EQ(fr.lab7of9->text(), "|2| of 2 total");
}

// Rows of the parameter grid's first column that are shown.
int ShownRows(const TRandomVariablesForm& fr) {
  int n = 0;
  while (n < 20 && fr.cells[0][static_cast<std::size_t>(n)]->isVisible()) ++n;
  return n;
}

TEST_F(VariableFrameTest, HelpTabsWhenSpaceIsShortAndVarWindowSettings) {
  WriteText(Path("tesmira.INI"), "[VarWindow]\r\nSplit=470\r\nShowPlot=1\r\n");
  TRandomVariablesForm& fr = ShowFirst({"x"}, 1000);
  TFrmTesmiraMain& w = *win;
  EXPECT_EQ(fr.width(), 470);
  EXPECT_EQ(fr.tabHelp->currentIndex(), 1);
  // Room for both: the help lines above the plot, no tabs.
  EXPECT_TRUE(fr.labHelp->isVisible());
  EXPECT_TRUE(fr.preview->isVisible());
  EXPECT_FALSE(fr.tabHelp->isVisible());
  EXPECT_EQ(fr.tabHelp->toolTip(),
            "Show distribution formula or plot of distribution's density function");

  // Short of room: the tabs choose, "Plot" as stored, then "Formula".
  w.resize(1000, 560);
  QApplication::processEvents();
  EXPECT_TRUE(fr.tabHelp->isVisible());
  EXPECT_TRUE(fr.preview->isVisible());
  EXPECT_FALSE(fr.labHelp->isVisible());
  QTest::mouseClick(fr.tabHelp, Qt::LeftButton, {}, fr.tabHelp->tabRect(0).center());
  EXPECT_TRUE(fr.labHelp->isVisible());
  EXPECT_FALSE(fr.preview->isVisible());

  win.reset();
  std::ifstream in(Path("tesmira.INI"));
  const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string section = ini.substr(ini.find("[VarWindow]"));
  EXPECT_NE(section.find("ShowPlot=0"), std::string::npos);
  EXPECT_NE(section.find("Split=470"), std::string::npos);
}

TEST_F(VariableFrameTest, DiscreteShowsTheRowsThatFit) {
  TRandomVariablesForm& fr = ShowFirst({"d"}, 600);
  TFrmTesmiraMain& w = *win;
  fr.DistributionChanged(DistributionIndex(DistDiscrete));
  QApplication::processEvents();
  const int few = ShownRows(fr);
  EXPECT_GE(few, 1);
  EXPECT_LT(few, 20);
  // The shown rows and their Update button lie inside the grid's view.
  const QWidget* view = fr.scrParams->viewport();
  EXPECT_LE(fr.updates[0]->mapTo(view, QPoint(0, fr.updates[0]->height())).y(), view->height());

  w.resize(1000, 1400);
  QApplication::processEvents();
  EXPECT_EQ(ShownRows(fr), 20);
  w.resize(1000, 600);
  QApplication::processEvents();
  EXPECT_EQ(ShownRows(fr), few);
}

TEST_F(VariableFrameTest, PlotsAtItsSizeAndBrowsesForAMissingFile) {
  WriteText(Path("t.dis"), "1\n");
  TRandomVariablesForm& fr = ShowFirst({"x"}, 800);
  // The preview is plotted at its laid-out size: the curve reaches its right quarter.
  const QImage& image = fr.preview->Image();
  ASSERT_EQ(image.size(), fr.preview->size());
  int curve = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = image.width() * 3 / 4; x < image.width(); ++x)
      curve += image.pixelColor(x, y) == QColor(Qt::black);
  EXPECT_GT(curve, 0);
  f.chooser.openAnswers.push_back({Path("t.dis")});
  fr.DistributionChanged(DistributionIndex(DistFile100));
  EXPECT_EQ(f.chooser.openCalls, 1);
  EXPECT_EQ(f.chooser.lastOptions.Filter, "Distribution files (.dis)|*.dis|All files (*.*)|*.*");
  EXPECT_EQ(GetDistributionFileName(*Fetch_extended_random_variable(0, "x")), "t.dis");
  EXPECT_EQ(fr.labVarFile->text(), "Distr. File: t.dis");
  // Back to it with its file remembered and present: no file dialog.
  fr.DistributionChanged(DistributionIndex(DistNormal));
  fr.DistributionChanged(DistributionIndex(DistFile100));
  EXPECT_EQ(f.chooser.openCalls, 1);
}

}  // namespace
}  // namespace tesmira::wb
