// The conversions and vine commands from the main window: menus, pop-up
// keys and buttons, and a conversion cancelled from the progress window.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest/QTest>

#include "dependence_fill.h"
#include "dependence_panel.h"
#include "small_dialogs.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

class VineCommands : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_TRUE(OpenActive());
  }
  // The dependence panel in vine mode, after the model was built.
  TDependencePanel* ShowPanel() {
    win->ChangePanel(PanelDependence);
    TDependencePanel* panel = win->DependencePanel();
    panel->chkDepVines->click();
    return panel;
  }
  // A D-vine a-b-c-d with every level set.
  void DVineOfFour() {
    for (const char* n : {"a", "b", "c", "d"}) AddVariable(n);
    SyncNodes();
    ASSERT_TRUE(Attach("b", "a"));
    ASSERT_TRUE(Attach("c", "b"));
    ASSERT_TRUE(Attach("d", "c"));
    SetCurrentDependenceStructureRoot(Node("a"), nullptr);
    ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
    for (const char* n : {"a", "b", "c"})
      for (int level = 1; level <= 3; ++level) Vine_SetCorrValue(Node(n), level, 0.1 * level);
    ASSERT_EQ(Vine_IsTranscended(), 3);
  }
  static QStringList Captions(QMenu* menu) {
    QStringList c;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) c << a->text();
    return c;
  }
  static QMenu* Submenu(QMenu* menu, const QString& caption) {
    for (QAction* a : menu->actions())
      if (a->text() == caption) return a->menu();
    return nullptr;
  }
};

TEST_F(VineCommands, MenusKeysAndButtonsReachTheCommands) {
  DVineOfFour();
  TDependencePanel* panel = ShowPanel();
  EXPECT_EQ(panel->chkVinesType->currentIndex(), 2);
  EXPECT_FALSE(panel->ShowMatrixCheckBox->isChecked());

  QMenu* addNew = Submenu(win->mnuDependence, "&Add New");
  ASSERT_NE(addNew, nullptr);
  EXPECT_TRUE(Captions(addNew).contains("Canonical Vine"));
  EXPECT_TRUE(Captions(addNew).contains("D-vine"));
  QMenu* vine = Submenu(win->mnuDependence, "Vine");
  ASSERT_NE(vine, nullptr);
  panel->UpdateMenuItems();
  EXPECT_EQ(Captions(vine), (QStringList{"Transcend", "Erase", "Next"}));
  EXPECT_TRUE(vine->menuAction()->isVisible());
  EXPECT_EQ(panel->mitNext->shortcut(), QKeySequence("Ctrl+T"));
  const struct {
    QAction* action;
    const char* caption;
    const char* key;
  } popup[] = {{panel->mitCorrMatrixView, "Corr. Matrix View...", "F5"},
               {panel->mitTranscend, "Transcend...", "F6"},
               {panel->mitErase, "Erase...", "F7"}};
  for (const auto& p : popup) {
    EXPECT_EQ(p.action->text(), p.caption);
    EXPECT_EQ(p.action->shortcut(), QKeySequence(p.key));
    EXPECT_TRUE(panel->popDepTree->actions().contains(p.action)) << p.caption;
  }
  // A transcended vine: Erase, not Transcend.
  EXPECT_TRUE(panel->butVineErase->isEnabled());
  EXPECT_FALSE(panel->butVineTranscend->isEnabled());
  EXPECT_TRUE(panel->EraseVine->isEnabled());
  EXPECT_EQ(panel->EraseVine->text(), "Erase");

  // F5: the D-vine shown as a matrix; the box again: the D-vine swapped back.
  const double top = Vine_GetCorrValue(Node("a"), 3);
  panel->m_edtDepRank->setFocus();
  QTest::keyClick(panel->m_edtDepRank, Qt::Key_F5);
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  EXPECT_TRUE(panel->ShowMatrixCheckBox->isChecked());
  EXPECT_TRUE(panel->panDepMx->isVisible());
  panel->UpdateMenuItems();
  EXPECT_EQ(panel->EraseVine->text(), "Erase matrix");
  ASSERT_TRUE(panel->ShowMatrixCheckBox->isEnabled());
  QTest::mouseClick(panel->ShowMatrixCheckBox, Qt::LeftButton, {},
                    QPoint(4, panel->ShowMatrixCheckBox->height() / 2));
  EXPECT_EQ(GetDependenceType(nullptr), DepDVine);
  EXPECT_FALSE(panel->ShowMatrixCheckBox->isChecked());
  EXPECT_DOUBLE_EQ(Vine_GetCorrValue(Node("a"), 3), top);

  // F7 asks; the Erase button too; Yes leaves the first tree.
  f.prompt.answers = {TAnswer::No};
  QTest::keyClick(panel->m_edtDepRank, Qt::Key_F7);
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete the transended levels?");
  panel->butVineErase->click();
  EXPECT_EQ(Vine_IsTranscended(), 1);
  // Now Transcend is offered: F6 builds the top tree again.
  panel->UpdateMenuItems();
  ASSERT_TRUE(panel->TranscendVine->isEnabled());
  ASSERT_TRUE(panel->butVineTranscend->isEnabled());
  QTest::keyClick(panel->m_edtDepRank, Qt::Key_F6);
  EXPECT_EQ(Vine_IsTranscended(), 3);
  // Vine > Erase, and Vine > Transcend.
  panel->EraseVine->trigger();
  EXPECT_EQ(Vine_IsTranscended(), 1);
  panel->UpdateMenuItems();
  panel->TranscendVine->trigger();
  EXPECT_EQ(Vine_IsTranscended(), 3);

  // The type combo converts; "Add New" forgets the structure kept for the way back.
  panel->chkVinesType->setCurrentIndex(1);
  emit panel->chkVinesType->activated(1);
  EXPECT_EQ(GetDependenceType(nullptr), DepCanonicalVine);
  EXPECT_EQ(win->Workbench().StructureSwapState, DepDVine);
  ASSERT_TRUE(panel->AddNewVineButton->isVisible());
  panel->AddNewVineButton->click();
  EXPECT_EQ(win->Workbench().StructureSwapState, 0);

  // Add New > Canonical Vine: an empty canonical vine in vine mode.
  panel->mitNewCanonicalVine->trigger();
  EXPECT_EQ(panel->chkVinesType->currentIndex(), 1);
  EXPECT_EQ(GetDependenceType(nullptr), DepCanonicalVine);

  // Add New > D-vine: an empty D-vine in vine mode.
  panel->mitNewDvine->trigger();
  EXPECT_TRUE(panel->chkDepVines->isChecked());
  EXPECT_EQ(panel->chkVinesType->currentIndex(), 2);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  EXPECT_EQ(GetDependenceType(nullptr), DepDVine);
  EXPECT_EQ(win->Workbench().StructureSwapState, 0);
}

// "Add New" needs something to build from: a free node or a structure's root.
TEST_F(VineCommands, AddNewWaitsForANodeToBuildFrom) {
  TDependencePanel* panel = ShowPanel();
  panel->UpdateMenuItems();
  emit win->mnuDependence->aboutToShow();
  EXPECT_FALSE(panel->AddNewVineButton->isEnabled());
  EXPECT_FALSE(panel->mitNewDvine->isEnabled());
  AddVariable("a");
  SyncNodes();
  panel->UpdateMenuItems();
  emit win->mnuDependence->aboutToShow();
  EXPECT_TRUE(panel->AddNewVineButton->isEnabled());
  EXPECT_TRUE(panel->mitNewDvine->isEnabled());
}

TEST_F(VineCommands, CancelFromTheProgressWindowChangesNothing) {
  for (int k = 1; k <= 31; ++k) AddVariable(std::string("v").append(std::to_string(k)));
  SyncNodes();
  SetDependenceType(nullptr, DepCorrelationMatrix);
  AddAllNodesToStructure();
  const std::vector<void*> m = MatrixMembers();
  ASSERT_EQ(m.size(), 31u);
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = i + 1; j < m.size(); ++j) CMatrix_SetCell(m[i], m[j], 0.2);
  TDependencePanel* panel = ShowPanel();
  ASSERT_TRUE(panel->ShowMatrixCheckBox->isChecked());
  AddPairingChoice(win->Workbench(), 1, 1, 1);
  win->Workbench().Modified = false;

  bool hiddenMeanwhile = false;
  QString caption;
  QTimer::singleShot(0, [&] {
    TVineToMatrixModal* t = panel->ConversionPanel().Transform;
    ASSERT_NE(t, nullptr);
    hiddenMeanwhile = !win->isVisible() && t->isVisible();
    caption = t->windowTitle();
    t->CancelButton->click();
  });
  panel->chkVinesType->setCurrentIndex(2);
  emit panel->chkVinesType->activated(2);

  EXPECT_TRUE(hiddenMeanwhile);
  EXPECT_EQ(caption, "Transform in progress, please wait...");
  EXPECT_TRUE(win->isVisible());
  EXPECT_FALSE(panel->ConversionPanel().Transform->isVisible());
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = i + 1; j < m.size(); ++j)
      ASSERT_NEAR(CMatrix_GetCell(m[i], m[j]), 0.2, 1e-6);
  EXPECT_TRUE(win->Workbench().Undo.CanUndo());
  EXPECT_FALSE(win->Workbench().Modified);
  EXPECT_TRUE(panel->ShowMatrixCheckBox->isChecked());
  EXPECT_EQ(panel->chkVinesType->currentIndex(), 0);
  EXPECT_TRUE(f.prompt.shown.empty());
}

}  // namespace
}  // namespace tesmira::wb
