// The button bar under the variable and formula editors: its commands and
// which button of each shared place the shown editor offers.
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "buttons_bar.h"
#include "formula_frame.h"
#include "tesmira/model_files.h"
#include "variable_frame.h"
#include "window_fixture.h"

namespace tesmira::wb::test {
namespace {

class ButtonsBarTest : public WindowTest {
 protected:
  // A model of its own variables and formulas that links a file of one
  // variable and one formula; the variable panel is shown.
  TFrmTesmiraMain& OpenLinkingModel() {
    const std::string linked = WriteModel("ext.tsm", {"ext_a"}, {{"ext_f", "ext_a*2"}});
    const std::string own = WriteModel("m.tsm", {"a", "b"}, {{"f", "a+b"}});
    auto& w = Open();
    w.show();
    w.OpenGivenFile(own);
    f.chooser.openAnswers = {{linked}};
    w.LinkOrMergeClick(true);
    w.ChangePanel(PanelVariables);
    bar = qobject_cast<TButtonsBar*>(w.m_formButtonsBar);
    return w;
  }
  void Select(QTableView* list, const QString& name) {
    for (int r = 0; r < list->model()->rowCount(); ++r)
      if (list->model()->index(r, 1).data().toString() == name) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(r, 1)).center());
        return;
      }
    ADD_FAILURE() << name.toStdString();
  }
  // The visible buttons of the shared places and of the commands.
  QStringList Shown() const {
    QStringList shown;
    for (QPushButton* b :
         {bar->butBack, bar->butEdit, bar->butMerge, bar->butDefault, bar->butAdd, bar->butDel})
      if (b->isVisible()) shown << b->text() + (b->isEnabled() ? "" : " (off)");
    return shown;
  }

  TButtonsBar* bar = nullptr;
};

TEST_F(ButtonsBarTest, SharedPlacesFollowTheShownObject) {
  auto& w = OpenLinkingModel();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetLinkedFilesNumber(), 1);
  const struct {
    int panel;
    const char* name;
    QStringList shown;
  } cases[] = {
      {PanelVariables, "a", {"&Reset", "&Add", "&Delete"}},
      {PanelVariables, "ext_a", {"&Edit", "&Merge", "&Add", "&Delete (off)"}},
      {PanelFormulas, "f", {"&Add", "&Delete"}},
      {PanelFormulas, "ext_f", {"&Edit", "&Merge", "&Add", "&Delete (off)"}},
  };
  for (const auto& c : cases) {
    w.ChangePanel(c.panel);
    Select(c.panel == PanelVariables ? w.listVar : w.listFor, c.name);
    EXPECT_EQ(Shown(), c.shown) << c.name;
  }

  // Edit opens the linked file that holds the object; Back returns.
  w.ChangePanel(PanelVariables);
  Select(w.listVar, "ext_a");
  QTest::mouseClick(bar->butEdit, Qt::LeftButton);
  EXPECT_EQ(w.Workbench().CurrentFileName, Path("ext.tsm"));
  EXPECT_EQ(Shown(), QStringList({"&Back", "&Reset", "&Add", "&Delete"}));
  QTest::mouseClick(bar->butBack, Qt::LeftButton);
  EXPECT_EQ(w.Workbench().CurrentFileName, Path("m.tsm"));
}

TEST_F(ButtonsBarTest, AddDeleteMergeAndResetAct) {
  auto& w = OpenLinkingModel();
  auto* frame = w.findChild<TRandomVariablesForm*>();
  ASSERT_NE(frame, nullptr);
  const int variables = Get_TSMObjectsNumber(ObjRandomVariable);

  // Add: a new variable, its name edit focused; Delete takes it again.
  QTest::mouseClick(bar->butAdd, Qt::LeftButton);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), variables + 1);
  EXPECT_EQ(w.focusWidget(), frame->edVarName);
  QTest::mouseClick(bar->butDel, Qt::LeftButton);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), variables);

  // Reset: the type's default parameters and no description.
  Select(w.listVar, "a");
  frame->memVarDescription->setText("kept?");
  emit frame->memVarDescription->editingFinished();
  QTest::mouseClick(bar->butDefault, Qt::LeftButton);
  EXPECT_EQ(frame->memVarDescription->text(), "");

  // Merge: the linked variable becomes the model's own.
  Select(w.listVar, "ext_a");
  const int row = w.listVar->selectionModel()->selectedRows().front().row();
  ASSERT_GT(IsLinkedTSMObject(row + 1, ObjRandomVariable), 0);
  QTest::mouseClick(bar->butMerge, Qt::LeftButton);
  EXPECT_EQ(IsLinkedTSMObject(row + 1, ObjRandomVariable), 0);

  // Add on the formula panel focuses the formula text.
  w.ChangePanel(PanelFormulas);
  auto* formulas = w.findChild<TFormula*>();
  ASSERT_NE(formulas, nullptr);
  const int count = Get_TSMObjectsNumber(ObjFormula);
  QTest::mouseClick(bar->butAdd, Qt::LeftButton);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjFormula), count + 1);
  EXPECT_EQ(w.focusWidget(), formulas->richFormula);
}

}  // namespace
}  // namespace tesmira::wb::test
