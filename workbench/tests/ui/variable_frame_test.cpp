#include "variable_frame.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

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

}  // namespace
}  // namespace tesmira::wb
