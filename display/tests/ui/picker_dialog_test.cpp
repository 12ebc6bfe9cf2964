#include "ui/picker_dialog.h"
#include "plot_fixture.h"
#include "test_services.h"

namespace {

class PickerTest : public plots::PlotTest {
 protected:
  // n variables named "v<i>", every third an output; descriptions and types vary.
  void Variables(int n) {
    for (int i = 0; i < n; ++i) {
      auto v = std::make_unique<fn::CTesploreVar>();
      v->SetName(std::string(i % 2 ? "V" : "v").append(std::to_string(i)));
      v->SetDescription("about " + std::to_string(i));
      v->SetIsOutput(i % 3 == 2);
      v->SetVarType(i % 3);
      variables.push_back(std::move(v));
    }
  }
  QColor LabelColour() const {
    return picker.m_lblNumSelRandVars->palette().color(QPalette::WindowText);
  }
  void Check(int row, bool on) {
    picker.m_lstViewRandVars->topLevelItem(row)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
  }
  std::vector<std::unique_ptr<fn::CTesploreVar>> variables;
  bool app = (plots::EnsureApp(), true);  // before the dialog
  TFrmTesploreRandVarPicker picker;
};

TEST_F(PickerTest, CountsMessagesAndTheOkBound) {
  Variables(100);
  picker.SetupPicker(variables, 69);
  EXPECT_EQ(picker.windowTitle(), "Choose Random Variables");
  EXPECT_EQ(picker.CountChecked(), 69);
  EXPECT_EQ(picker.m_lblNumSelRandVars->text(),
            "Maximum number of variables reached (69 selected)");
  EXPECT_EQ(LabelColour(), QColor(0x80, 0, 0));
  EXPECT_TRUE(picker.m_btnOK->isEnabled());
  EXPECT_EQ(picker.m_chkBoxSelAll->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(picker.m_edtDescription->toPlainText(), "about 0");

  Check(80, true);
  EXPECT_EQ(picker.m_lblNumSelRandVars->text(), "Please, deselect some variables (70 selected)");
  EXPECT_EQ(LabelColour(), QColor(Qt::red));
  EXPECT_FALSE(picker.m_btnOK->isEnabled());

  // The box: a click on the grayed box selects all, the next clears all.
  picker.m_chkBoxSelAll->click();
  EXPECT_EQ(picker.CountChecked(), 100);
  EXPECT_EQ(picker.m_chkBoxSelAll->checkState(), Qt::Checked);
  EXPECT_EQ(picker.m_lblNumSelRandVars->text(), "Please, deselect some variables (100 selected)");
  EXPECT_FALSE(picker.m_btnOK->isEnabled());
  picker.m_chkBoxSelAll->click();
  EXPECT_EQ(picker.CountChecked(), 0);
  EXPECT_EQ(picker.m_lblNumSelRandVars->text(), "Please, select at least 2 variables (0 selected)");
  EXPECT_EQ(LabelColour(), QColor(Qt::red));

  Check(1, true);
  EXPECT_EQ(picker.m_chkBoxSelAll->checkState(), Qt::PartiallyChecked);
  EXPECT_FALSE(picker.m_btnOK->isEnabled());
  Check(2, true);
  EXPECT_EQ(picker.m_lblNumSelRandVars->text(), "2 random variables selected");
  EXPECT_EQ(LabelColour(), picker.palette().color(QPalette::WindowText));
  EXPECT_TRUE(picker.m_btnOK->isEnabled());
}

TEST_F(PickerTest, OkBoundStaysAt69WhateverTheLimit) {
  Variables(80);
  picker.SetupPicker(variables, 75);
  EXPECT_EQ(picker.CountChecked(), 75);
  EXPECT_EQ(picker.m_lblNumSelRandVars->text(),
            "Maximum number of variables reached (75 selected)");
  EXPECT_FALSE(picker.m_btnOK->isEnabled());
}

TEST_F(PickerTest, SortingKeepsThePositionsAndShowsDetails) {
  Variables(12);
  picker.SetupPicker(variables, 3);
  auto names = [this] {
    QStringList list;
    for (int i = 0; i < picker.m_lstViewRandVars->topLevelItemCount(); ++i)
      list << picker.m_lstViewRandVars->topLevelItem(i)->text(0);
    return list;
  };
  picker.OnLstRandVarsColumnClick();
  EXPECT_EQ(names().mid(0, 5), (QStringList{"v0", "V1", "v10", "V11", "v2"}));
  picker.OnLstRandVarsColumnClick();
  EXPECT_EQ(names().mid(0, 3), (QStringList{"V9", "v8", "V7"}));
  // Positions are those of the file whatever the order shown.
  Check(0, true);  // V9
  EXPECT_EQ(picker.GetPickedIndices(), (std::set<std::size_t>{0, 1, 2, 9}));

  struct Case {
    int row;
    const char *description, *kind, *distribution;
  };
  const Case cases[] = {
      {0, "about 9", "probabilistic / input", "continuous"},  // V9
      {1, "about 8", "functional / output", "n/a"},           // v8
      {2, "about 7", "probabilistic / input", "discrete"},    // V7
  };
  for (const Case& c : cases) {
    picker.m_lstViewRandVars->setCurrentItem(picker.m_lstViewRandVars->topLevelItem(c.row));
    EXPECT_EQ(picker.m_edtDescription->toPlainText(), c.description);
    EXPECT_EQ(picker.m_lblRandVarType->text(), QString("Random variable type:  ") + c.kind);
    EXPECT_EQ(picker.m_lblDistrType->text(), QString("Distribution type:  ") + c.distribution);
  }
}

}  // namespace
