// Vine mode reached from every kind of model: a model whose structure is a
// tree, one without any structure, and a vine standing beside trees; the
// Add New items, "Next", the name box and "Rename..." in the main window.
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest/QTest>

#include "dependence_panel.h"
#include "morvik_vine.h"
#include "tesmira/vines.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

class VineMode : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(OpenActive());
  }
  // Variables a..d; with tree, a is the root of a tree over b and c.
  void Model(bool tree) {
    for (const char* n : {"a", "b", "c", "d"}) AddVariable(n);
    SyncNodes();
    if (!tree) return;
    ASSERT_TRUE(Attach("b", "a"));
    ASSERT_TRUE(Attach("c", "a"));
    SetCurrentDependenceStructureRoot(Node("a"), nullptr);
    ASSERT_EQ(SetDependenceType(nullptr, DepTree), 1);
  }
  TDependencePanel* ShowPanel() {
    win->ChangePanel(PanelDependence);
    return win->DependencePanel();
  }
  static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
  // The type combo as the user changes it: focus, then an arrow key.
  static void ChooseType(TDependencePanel* panel, int index) {
    QComboBox* combo = panel->chkVinesType;
    combo->setFocus();
    while (combo->currentIndex() != index)
      QTest::keyClick(combo, combo->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
  }
  static QStringList ListNames(TDependencePanel* panel) {
    QStringList names;
    for (int i = 0; i < panel->listDepends->topLevelItemCount(); ++i)
      names << panel->listDepends->topLevelItem(i)->text(1);
    return names;
  }
};

TEST_F(VineMode, TheVinesButtonKeepsATreeModelInVineMode) {
  Model(true);
  TDependencePanel* panel = ShowPanel();
  ASSERT_TRUE(panel->chkDepTree->isChecked());
  Click(panel->chkDepVines);
  EXPECT_TRUE(panel->chkDepVines->isChecked());
  EXPECT_TRUE(panel->chkVinesType->isVisible());
  // No vine in the model: the tree stays current, and nothing of it is listed.
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
  EXPECT_EQ(ListNames(panel), QStringList{"d"});
  // A refresh keeps vine mode.
  win->UpdateView(ViewDependence);
  EXPECT_TRUE(panel->chkDepVines->isChecked());

  // "Correlation matrix" would drop the tree: asked first; No keeps it and
  // the buttons follow the tree.
  f.prompt.answers = {TAnswer::No};
  ChooseType(panel, 0);
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(f.prompt.shown.back().text,
            "Current dependence structure will be removed.\n\rDo you wish to continue?");
  EXPECT_EQ(GetDependenceType(Node("a")), DepTree);
  EXPECT_TRUE(panel->chkDepTree->isChecked());
  // The vines button with "Correlation matrix" chosen asks again; Yes makes
  // the matrix.
  f.prompt.answers = {TAnswer::Yes};
  Click(panel->chkDepVines);
  EXPECT_EQ(f.prompt.shown.size(), 2u);
  EXPECT_EQ(GetDependenceType(Node("a")), DepCorrelationMatrix);
  EXPECT_TRUE(panel->chkDepVines->isChecked());
  EXPECT_TRUE(panel->gridDepends->isVisible());

  // Back to the tree button and to vines again: the matrix is the last vine.
  Click(panel->chkDepTree);
  EXPECT_TRUE(panel->chkDepTree->isChecked());
  Click(panel->chkDepVines);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
  EXPECT_TRUE(panel->chkDepVines->isChecked());
}

TEST_F(VineMode, AnEmptyModelGetsItsStructureFromTheTypeCombo) {
  Model(false);
  TDependencePanel* panel = ShowPanel();
  Click(panel->chkDepVines);
  EXPECT_TRUE(panel->chkDepVines->isChecked());
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  EXPECT_EQ(GetDependenceType(nullptr), panel->chkVinesType->currentIndex() + 1);
  EXPECT_EQ(panel->listDepends->topLevelItemCount(), 4);

  // "D-vine": the next structure is one, shown in the D-vine view.
  ChooseType(panel, 2);
  EXPECT_TRUE(panel->chkDepVines->isChecked());
  EXPECT_NE(dynamic_cast<TMorvikVine*>(panel->vineView), nullptr);
  for (int k = 0; k < 2; ++k) {
    panel->listDepends->setCurrentItem(panel->listDepends->topLevelItem(0));
    panel->listDependsDblClick();
  }
  void* root = GetCurrentDependenceStructureRoot();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(GetDependenceType(root), DepDVine);
  EXPECT_EQ(GetNumberOfNodesInStructure(), 2);
}

TEST_F(VineMode, AddNewVinesFromATreeModelReachVineMode) {
  Model(true);
  TDependencePanel* panel = ShowPanel();
  const struct {
    QAction* item;
    int type;
  } cases[] = {{panel->mitNewCanonicalVine, DepCanonicalVine}, {panel->mitNewDvine, DepDVine}};
  for (const auto& c : cases) {
    Click(panel->chkDepTree);
    c.item->trigger();
    EXPECT_TRUE(panel->chkDepVines->isChecked()) << c.type;
    EXPECT_EQ(panel->chkVinesType->currentIndex(), c.type - 1);
    EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
    EXPECT_EQ(GetDependenceType(nullptr), c.type);
    // The tree is left as it was.
    EXPECT_EQ(GetDependenceType(Node("a")), DepTree);
    EXPECT_EQ(NodeChildCount(Node("a")), 2);
  }
}

TEST_F(VineMode, VinesBesideTreesShowInTreeModeInBlue) {
  EXPECT_TRUE(GetExposedVinesInTrees());
  Model(true);
  for (const char* n : {"s", "h"}) AddVariable(n);
  SyncNodes();
  ASSERT_TRUE(Attach("h", "s"));
  SetCurrentDependenceStructureRoot(Node("s"), "supply");
  ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
  SetCurrentDependenceStructureRoot(Node("a"), nullptr);
  TDependencePanel* panel = ShowPanel();
  Click(panel->chkDepTree);
  QTreeWidgetItem* vine = nullptr;
  for (int i = 0; i < panel->listDepends->topLevelItemCount(); ++i)
    if (panel->listDepends->topLevelItem(i)->text(1) == "(V) supply")
      vine = panel->listDepends->topLevelItem(i);
  ASSERT_NE(vine, nullptr) << ListNames(panel).join(",").toStdString();
  EXPECT_EQ(vine->foreground(1).color(), QColor(Qt::blue));
  QTreeWidgetItem* plain = panel->listDepends->topLevelItem(0) == vine
                               ? panel->listDepends->topLevelItem(1)
                               : panel->listDepends->topLevelItem(0);
  EXPECT_NE(plain->foreground(1).color(), QColor(Qt::blue));

  // The vines button finds the vine although a tree is current.
  Click(panel->chkDepVines);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("s"));
  EXPECT_EQ(panel->chkVinesType->currentIndex(), DepDVine - 1);
}

TEST_F(VineMode, NextRenameAndRemovingTheStructure) {
  Model(true);
  TDependencePanel* panel = ShowPanel();
  Click(panel->chkDepTree);
  const QString name = panel->chkVinesName->currentText();
  ASSERT_FALSE(name.isEmpty());
  panel->UpdateMenuItems();
  EXPECT_TRUE(panel->mitDepRename->isEnabled());

  // The tree menu's "Remove Entire Dependence Structure": the name goes too.
  panel->treeDepends->setCurrentItem(panel->treeDepends->topLevelItem(0));
  f.prompt.answers = {TAnswer::Yes};
  panel->mitRemoveStructure->trigger();
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 0);
  EXPECT_EQ(panel->chkVinesName->findText(name), -1);
  EXPECT_NE(panel->chkVinesName->currentText(), name);
  panel->UpdateMenuItems();
  EXPECT_FALSE(panel->mitDepRename->isEnabled());

  // "Next" with no structure left: none is current.
  Click(panel->butNext);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
}

TEST_F(VineMode, DVineToCanonicalAndBackThroughTheTypeCombo) {
  Model(false);
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "b"));
  SetCurrentDependenceStructureRoot(Node("a"), nullptr);
  ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
  const double ab = 0.5, bc = 0.4, acGivenB = 0.2;
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 1, ab));
  ASSERT_TRUE(Vine_SetCorrValue(Node("b"), 1, bc));
  ASSERT_TRUE(Vine_SetCorrValue(Node("a"), 2, acGivenB));
  TDependencePanel* panel = ShowPanel();
  Click(panel->chkDepVines);
  ASSERT_EQ(panel->chkVinesType->currentIndex(), DepDVine - 1);

  // The canonical vine hangs b and c under a.
  ChooseType(panel, DepCanonicalVine - 1);
  EXPECT_EQ(GetDependenceType(Node("a")), DepCanonicalVine);
  EXPECT_EQ(NodeChildCount(Node("a")), 2);
  EXPECT_EQ(NodeParent(Node("c")), Node("a"));
  EXPECT_NEAR(Vine_GetCorrValue(Node("b"), 1), ab, 1e-6);

  // Back: the same D-vine, chain and values.
  ChooseType(panel, DepDVine - 1);
  EXPECT_EQ(GetDependenceType(Node("a")), DepDVine);
  EXPECT_EQ(NodeParent(Node("c")), Node("b"));
  EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 1), ab, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node("b"), 1), bc, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 2), acGivenB, 1e-6);
  EXPECT_TRUE(f.prompt.shown.empty());
}

TEST_F(VineMode, TheEditMenuRemovesWhileTheDependencePanelIsShown) {
  Model(true);
  QStringList captions;
  for (QAction* a : win->mnuEdit->actions())
    if (!a->isSeparator()) captions << a->text();
  const qsizetype options = captions.indexOf("Options...");
  ASSERT_GE(options, 0);
  EXPECT_EQ(captions.indexOf("Remove Entire Dependence Structure"), options - 1);
  EXPECT_EQ(captions.last(), "Arrange Nodes");
  auto item = [this](const char* caption) {
    for (QAction* a : win->mnuEdit->actions())
      if (a->text() == caption) return a;
    return static_cast<QAction*>(nullptr);
  };
  QAction* node = item("Remove Node");
  QAction* subtree = item("Remove Subtree");
  QAction* structure = item("Remove Entire Dependence Structure");

  win->ChangePanel(PanelVariables);
  emit win->mnuEdit->aboutToShow();
  for (QAction* a : {node, subtree, structure}) EXPECT_FALSE(a->isVisible());
  EXPECT_TRUE(item("Options...")->isEnabled());

  TDependencePanel* panel = ShowPanel();
  Click(panel->chkDepTree);
  QTreeWidgetItem* b = nullptr;
  for (QTreeWidgetItem* i :
       panel->treeDepends->findItems("b", Qt::MatchEndsWith | Qt::MatchRecursive))
    b = i;
  ASSERT_NE(b, nullptr);
  panel->treeDepends->setCurrentItem(b);
  emit win->mnuEdit->aboutToShow();
  for (QAction* a : {node, subtree, structure}) {
    EXPECT_TRUE(a->isVisible()) << a->text().toStdString();
    EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
  }
  node->trigger();
  EXPECT_EQ(NodeParent(Node("b")), nullptr);
  EXPECT_EQ(NodeParent(Node("c")), Node("a"));
}

}  // namespace
}  // namespace tesmira::wb
