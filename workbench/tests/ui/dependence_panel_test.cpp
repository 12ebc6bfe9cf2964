#include "dependence_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QtTest/QTest>
#include <chrono>

#include "ini_file.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

// The window's tree for the undo items is the panel's.
struct PanelUi : test::FakeUi {
  TDependencePanel* panel = nullptr;
  IDependenceTree& DependenceTree() override { return panel->Tree(); }
};

// A panel over its own workbench, whose tree the undo items use.
struct PanelUiOwner {
  explicit PanelUiOwner(test::FakeWorkbench& f) : wb(f.prompt, f.chooser, ui) {
    panel = std::make_unique<TDependencePanel>(wb);
    ui.panel = panel.get();
  }
  TDependencePanel& Panel() { return *panel; }
  PanelUi ui;
  TWorkbench wb;
  std::unique_ptr<TDependencePanel> panel;
};

class DepPanel : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    for (const char* n : {"a", "b", "c", "d"}) AddVariable(n);
    SyncNodes();
    Mark_AllTSMObjectsSelected(false);
    ASSERT_TRUE(Attach("b", "a"));
    ASSERT_TRUE(Attach("c", "a"));
    Set_node_correlation_with_parent(Node("b"), 0.35f);
    Set_node_correlation_with_parent(Node("c"), 0.3f);
    SetCurrentDependenceStructureRoot(Node("a"), nullptr);
    panel = std::make_unique<TDependencePanel>(pwb);
    pui.panel = panel.get();
    panel->resize(700, 500);
    panel->show();
    panel->FillDependenceView();
  }
  void TearDown() override {
    panel.reset();
    WindowTest::TearDown();
  }
  QTreeWidgetItem* Item(const char* name) {
    return static_cast<QTreeWidgetItem*>(panel->Tree().FindItem(Node(name)));
  }
  QPoint LabelPoint(const char* name, int dx = 0) {
    QRect r = panel->treeDepends->LabelRect(Item(name));
    return QPoint(r.left() + r.width() / 2 + dx, r.center().y());
  }
  // A drop from one of the panel's controls, sent to the tree's viewport.
  void SendDrop(const char* source, QPoint at, Qt::KeyboardModifiers mods = {}) {
    QMimeData data;
    data.setData(kDepDragMime, source);
    QWidget* vp = panel->treeDepends->viewport();
    // The enter makes the viewport the drag's current target.
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &move);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, mods);
    QApplication::sendEvent(vp, &drop);
  }
  QPoint Below() {
    QTreeWidget* t = panel->treeDepends;
    QRect last = t->visualItemRect(Item("c"));
    return QPoint(20, last.bottom() + 30);
  }
  float Corr(const char* n) {
    return static_cast<float>(Get_node_correlation_with_parent(Node(n)));
  }

  PanelUi pui;
  TWorkbench pwb{f.prompt, f.chooser, pui};
  TWorkbench& wb = pwb;
  std::unique_ptr<TDependencePanel> panel;
};

TEST_F(DepPanel, FillShowsTreeListAndTexts) {
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 1);
  EXPECT_EQ(Item("b")->text(0), "(0.35) b");
  EXPECT_EQ(Item("c")->text(0), "(0.30) c");
  ASSERT_EQ(panel->listDepends->topLevelItemCount(), 1);
  EXPECT_EQ(panel->listDepends->topLevelItem(0)->text(1), "d");
  EXPECT_EQ(panel->listDepends->headerItem()->text(1), "Available nodes");
  EXPECT_FALSE(panel->panDepHelp->isVisible());
  EXPECT_TRUE(panel->treeDepends->rootIsDecorated() == false);
  EXPECT_EQ(panel->treeDepends->indentation(), 19);
  EXPECT_EQ(panel->LabelCurrentDepType->text(), "Dependence Tree");

  // Without nodes: nothing listed, the help shows.
  for (const char* n : {"a", "b", "c", "d"}) Delete_TSMObject(Fetch_extended_random_variable(0, n));
  panel->FillDependenceView();
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 0);
  EXPECT_EQ(panel->listDepends->topLevelItemCount(), 0);
  EXPECT_EQ(panel->labDepMessage->text().toStdString(),
            "Before working with a dependence structure, you have to create at least two random "
            "variables.");
}

TEST_F(DepPanel, DropsFromTheListAndWithinTheTree) {
  panel->listDepends->topLevelItem(0)->setSelected(true);
  SendDrop("list", Below());
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 2);
  EXPECT_EQ(ParentOf("d"), "");
  EXPECT_EQ(panel->listDepends->topLevelItemCount(), 0);

  // c dropped on d's label: a child of d; the drag-over chose the child cursor.
  panel->Tree().SetCurrent(Item("c"));
  SendDrop("tree", LabelPoint("d"));
  EXPECT_EQ(panel->treeDepends->LastCursor, 5);
  EXPECT_EQ(ParentOf("c"), "d");
  EXPECT_EQ(Item("c")->parent(), Item("d"));
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(ParentOf("c"), "a");

  // The left part of a root's label: the root becomes the dropped node's child.
  panel->Tree().SetCurrent(Item("d"));
  QRect label = panel->treeDepends->LabelRect(Item("a"));
  SendDrop("tree", QPoint(label.left() + 2, label.center().y()));
  EXPECT_EQ(ParentOf("a"), "d");
  EXPECT_EQ(panel->treeDepends->LastCursor, 13);
}

TEST_F(DepPanel, MarksWithModifiersAndTheRubberBand) {
  QWidget* vp = panel->treeDepends->viewport();
  QTest::mouseClick(vp, Qt::LeftButton, {}, LabelPoint("a"));
  EXPECT_EQ(panel->treeDepends->currentItem(), Item("a"));
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, LabelPoint("c"));
  EXPECT_TRUE(Item("c")->isSelected());
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, LabelPoint("c"));
  EXPECT_FALSE(Item("c")->isSelected());
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, LabelPoint("c"));
  for (const char* n : {"a", "b", "c"}) EXPECT_TRUE(Item(n)->isSelected()) << n;
  EXPECT_EQ(panel->edDepName->text(), "a; b; c; ");

  // A plain click keeps only the clicked item.
  QTest::mouseClick(vp, Qt::LeftButton, {}, LabelPoint("b"));
  EXPECT_FALSE(panel->Editor().HasMultipleSelection());

  // The band from empty space marks what it covers and ends at the release.
  QPoint start = Below();
  QTest::mousePress(vp, Qt::LeftButton, {}, start);
  QMouseEvent move(QEvent::MouseMove, QPointF(LabelPoint("b")), vp->mapToGlobal(LabelPoint("b")),
                   Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(vp, &move);
  EXPECT_TRUE(Item("b")->isSelected());
  EXPECT_TRUE(Item("c")->isSelected());
  EXPECT_FALSE(Item("a")->isSelected());
  QTest::mouseRelease(vp, Qt::LeftButton, {}, LabelPoint("b"));
  auto* band = vp->findChild<QWidget*>();
  ASSERT_NE(band, nullptr);
  EXPECT_FALSE(band->isVisible());
}

TEST_F(DepPanel, CorrelationEditRefusesAndMerges) {
  panel->Tree().SetCurrent(Item("b"));
  panel->treeDependsChange();
  EXPECT_EQ(panel->m_edtDepRank->text().toStdString(), FormatNumber(Corr("b")));
  panel->m_edtDepRank->setText("1.5");
  panel->m_edtDepRank->setModified(true);
  panel->OnEdtDepRankExit();
  EXPECT_EQ(panel->m_edtDepRank->toolTip(), "Invalid value! Must be within [-1.0, 1.0] interval");
  EXPECT_FLOAT_EQ(Corr("b"), 0.35f);
  EXPECT_FALSE(wb.Undo.CanUndo());

  for (const char* v : {"0.5", "0.6"}) {
    panel->m_edtDepRank->setText(v);
    panel->m_edtDepRank->setModified(true);
    panel->OnEdtDepRankExit();
  }
  EXPECT_FLOAT_EQ(Corr("b"), 0.6f);
  EXPECT_EQ(Item("b")->text(0), "(0.60) b");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_FLOAT_EQ(Corr("b"), 0.35f);
}

TEST_F(DepPanel, SliderOpensAtTheNearestStepAndStores) {
  QWidget* vp = panel->treeDepends->viewport();
  QTest::mouseClick(vp, Qt::MiddleButton, {}, LabelPoint("b"));
  TFrmDepSliderPopup* s = panel->slider;
  ASSERT_TRUE(s->isVisible());
  EXPECT_EQ(s->track->value(), 7);  // 0.35 x 20
  EXPECT_EQ(s->size(), QSize(157, 26));
  EXPECT_EQ(s->track->minimum(), -20);
  EXPECT_EQ(s->track->tickInterval(), 2);
  s->track->setValue(10);
  EXPECT_FLOAT_EQ(Corr("b"), 0.5f);
  s->track->setValue(12);
  EXPECT_FLOAT_EQ(Corr("b"), 0.6f);
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_FLOAT_EQ(Corr("b"), 0.35f);
  EXPECT_FALSE(wb.Undo.CanUndo());
  QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(5, 5),
                          s->track->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(s->track, &right);
  EXPECT_FALSE(s->isVisible());
}

TEST_F(DepPanel, LabelEditsRenameAndSetTheCorrelation) {
  panel->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  TDepTreeWidget* t = panel->treeDepends;
  auto labelEditor = [t] { return qobject_cast<QLineEdit*>(t->itemWidget(t->currentItem(), 0)); };
  panel->Tree().SetCurrent(Item("b"));
  panel->butAddLatent->click();
  panel->Tree().SetCurrent(Item("LATENT1"));
  panel->treeDependsChange();
  t->setFocus();

  // F2: the editor starts from the node's name; Enter renames the node.
  QTest::keyClick(t, Qt::Key_F2);
  EXPECT_EQ(panel->DepEditMode, 1);
  QLineEdit* e = labelEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->text(), "LATENT1");
  QTest::keyClicks(e, "hidden");
  QTest::keyClick(e, Qt::Key_Return);
  QApplication::processEvents();  // the editor commits after the key
  EXPECT_EQ(panel->DepEditMode, 0);
  EXPECT_EQ(labelEditor(), nullptr);
  ASSERT_NE(Node("hidden"), nullptr);
  EXPECT_TRUE(Item("hidden")->text(0).endsWith(" hidden"));
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_NE(Node("LATENT1"), nullptr);
  EXPECT_EQ(Node("hidden"), nullptr);

  // F3: the editor starts from the correlation; Escape drops the entry,
  // Enter applies it, and the label keeps the item's own text.
  panel->Tree().SetCurrent(Item("b"));
  panel->treeDependsChange();
  t->setFocus();
  struct Case {
    Qt::Key end;
    float corr;
  };
  for (Case c : {Case{Qt::Key_Escape, 0.35f}, Case{Qt::Key_Return, 0.5f}}) {
    QTest::keyClick(t, Qt::Key_F3);
    EXPECT_EQ(panel->DepEditMode, 2);
    e = labelEditor();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->text().toStdString(), FormatNumber(Corr("b")));
    QTest::keyClicks(e, "0.5");
    QTest::keyClick(e, c.end);
    QApplication::processEvents();
    EXPECT_EQ(panel->DepEditMode, 0);
    EXPECT_FLOAT_EQ(Corr("b"), c.corr);
    t->setFocus();
  }
  EXPECT_EQ(Item("b")->text(0), "(0.50) b");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_FLOAT_EQ(Corr("b"), 0.35f);

  // With marks the keys start nothing, and a click on the selected item
  // only clears the marks; without them it opens the slider.
  QWidget* vp = t->viewport();
  QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, LabelPoint("c"));
  ASSERT_TRUE(panel->Editor().HasMultipleSelection());
  ASSERT_EQ(t->currentItem(), Item("b"));
  QTest::keyClick(t, Qt::Key_F2);
  EXPECT_EQ(panel->DepEditMode, 0);
  EXPECT_EQ(labelEditor(), nullptr);
  QTest::mouseClick(vp, Qt::LeftButton, {}, LabelPoint("b"));
  EXPECT_FALSE(panel->Editor().HasMultipleSelection());
  EXPECT_FALSE(panel->slider->isVisible());
  QTest::mouseClick(vp, Qt::LeftButton, {}, LabelPoint("b"));
  ASSERT_TRUE(panel->slider->isVisible());
  EXPECT_EQ(panel->slider->track->value(), 7);
  EXPECT_EQ(labelEditor(), nullptr);
  panel->slider->hide();
}

TEST_F(DepPanel, MatrixGridEditsAndColours) {
  // Free every node, then a new correlation matrix of all four.
  for (const char* n : {"b", "c"}) {
    void* none = nullptr;
    Process_dep_node(Node(n), &none, nullptr, DepNodeDetach);
  }
  // The header's buttons keep their places when the type's name changes.
  const int vinesButton = panel->chkDepVines->x();
  panel->NewCorrelationMatrixClick();
  EXPECT_TRUE(panel->panDepMx->isVisible());
  QApplication::processEvents();
  EXPECT_EQ(panel->LabelCurrentDepType->toolTip(), "Correlation Matrix");
  EXPECT_EQ(panel->chkDepVines->x(), vinesButton);
  TDepMatrixModel* m = panel->gridModel;
  ASSERT_EQ(m->rowCount(), 4);
  EXPECT_EQ(panel->listDepends->headerItem()->text(1), "Matrix nodes");
  EXPECT_EQ(panel->listDepends->topLevelItem(0)->text(0), "1");
  EXPECT_FALSE(m->flags(m->index(1, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(m->flags(m->index(1, 1)) & Qt::ItemIsEditable);
  EXPECT_TRUE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);

  EXPECT_TRUE(m->setData(m->index(0, 1), "0.4", Qt::EditRole));
  EXPECT_EQ(m->index(1, 0).data().toString(), "0.40");  // the mirror cell
  EXPECT_EQ(m->index(1, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 128));
  EXPECT_EQ(m->index(0, 2).data().toString(), "");  // not set
  EXPECT_FALSE(m->setData(m->index(0, 1), "1.5", Qt::EditRole));
  EXPECT_EQ(m->index(0, 1).data().toString(), "0.40");
  EXPECT_EQ(m->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(128, 0, 0));
  EXPECT_EQ(panel->labDepMxAdress->text(),
            "Invalid value! Must be bigger than -1.0 and smaller than 1.0");

  f.prompt.answers = {};
  panel->butMxVerify->click();
  EXPECT_EQ(f.prompt.shown.back().text, "Some matrix cells are still not filled or invalid.");
  EXPECT_EQ(panel->gridDepends->currentIndex(), m->index(0, 2));
  EXPECT_FALSE(panel->labDepMxAdress->text().startsWith("Invalid value!"));

  // Initialize clears a refused edit's hint too.
  EXPECT_FALSE(m->setData(m->index(0, 1), "1.5", Qt::EditRole));
  ASSERT_TRUE(panel->labDepMxAdress->text().startsWith("Invalid value!"));
  f.prompt.answers = {TAnswer::Yes};
  panel->butMxInit->click();
  EXPECT_FALSE(panel->labDepMxAdress->text().startsWith("Invalid value!"));
}

TEST_F(DepPanel, CopulaNameBoxAndSorting) {
  const int clayton = 5;
  panel->cbxBivariateType->setCurrentIndex(panel->cbxBivariateType->findData(clayton));
  panel->StoreBivariateType();
  for (const char* n : {"a", "b", "c"}) EXPECT_EQ(GetBivariateType(Node(n)), clayton);
  panel->cbxBivariateType->setCurrentIndex(0);
  panel->ShowBivariateType();
  EXPECT_EQ(panel->cbxBivariateType->currentData().toInt(), clayton);

  // Renaming: "r" stays "r", another structure's name is refused.
  panel->mitDepRenameClick(1);
  panel->chkVinesName->lineEdit()->clear();
  QTest::keyClicks(panel->chkVinesName->lineEdit(), "r");
  EXPECT_EQ(panel->chkVinesName->currentText(), "r");
  QTest::keyClick(panel->chkVinesName->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(StructureNames().front(), "r");
  panel->mitDepRenameClick(1);
  panel->chkVinesName->lineEdit()->setText("ROOT");
  panel->chkVinesNameChange("ROOT");
  EXPECT_EQ(StructureNames().front(), "r");
  EXPECT_FALSE(panel->chkVinesName->toolTip().isEmpty());
  panel->DepEditMode = 0;

  // Sorts: descending, then directory order.
  panel->OnDepSort(1);
  EXPECT_EQ(Item("a")->child(0), Item("c"));
  EXPECT_TRUE(panel->mitSortDescending->isChecked());
  panel->OnDepSort(2);
  EXPECT_EQ(Item("a")->child(0), Item("b"));
}

TEST_F(DepPanel, MenuCommandsCarryTheirShortcuts) {
  QMenu menu;
  panel->BuildMenu(&menu);
  EXPECT_EQ(panel->mitDepRename->shortcut(), QKeySequence("F2"));
  EXPECT_EQ(panel->mitDepSetCorrelation->shortcut(), QKeySequence("F3"));
  EXPECT_EQ(panel->mitChangeCopulaType->shortcut(), QKeySequence("F4"));
  EXPECT_EQ(panel->mitInitMatrix->shortcut(), QKeySequence("F8"));
  EXPECT_EQ(panel->mitVerifyMatrix->shortcut(), QKeySequence("F9"));
  EXPECT_EQ(panel->mitNewTree->shortcut(), QKeySequence("Ctrl+E"));
  EXPECT_EQ(panel->mitNext->shortcut(), QKeySequence("Ctrl+T"));
  EXPECT_EQ(panel->mitSelectAll->shortcut(), QKeySequence("Ctrl+A"));
  // F3 in the tree enters the correlation mode for a node with a parent.
  panel->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  panel->Tree().SetCurrent(Item("b"));
  panel->treeDependsChange();
  panel->treeDepends->setFocus();
  QTest::keyClick(panel->treeDepends, Qt::Key_F3);
  EXPECT_EQ(panel->DepEditMode, 2);

  // Tree > Remove Subtree asks, and the latent variable comes with its name.
  panel->Tree().SetCurrent(Item("c"));
  panel->butAddLatent->click();
  ASSERT_NE(Node("LATENT1"), nullptr);
  EXPECT_EQ(ParentOf("LATENT1"), "c");
  panel->Tree().SetCurrent(Item("c"));
  f.prompt.answers = {TAnswer::No};
  panel->mitRemoveSubtree->trigger();
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete the whole subtree?");
  EXPECT_EQ(ParentOf("c"), "a");
  panel->mitSelectAll->trigger();
  EXPECT_TRUE(Item("LATENT1")->isSelected());
}

using DepWindow = test::WindowTest;

TEST_F(DepWindow, TheDependenceMenuReachesThePanel) {
  TFrmTesmiraMain& w = Open();
  for (const char* n : {"a", "b"}) AddVariable(n);
  SyncNodes();
  EXPECT_TRUE(w.mnuDependence->menuAction()->isVisible());
  QStringList captions;
  for (QAction* a : w.mnuDependence->actions()) captions << a->text();
  // The Run commands add Export (with the belief net) at the end.
  EXPECT_EQ(captions, (QStringList{"&Add New", "Rename...", "Set Correlation...", "Tree", "Vine",
                                   "Next", "Export"}));
  auto* panel = w.findChild<TDependencePanel*>("panDep");
  ASSERT_NE(panel, nullptr);
  panel->mitNewTree->trigger();
  EXPECT_EQ(w.VisiblePanel(), PanelDependence);
  EXPECT_EQ(panel->listDepends->topLevelItemCount(), 2);
  // A double-click on a list item adds it to the tree; undo goes through the
  // window's tree.
  panel->listDepends->topLevelItem(0)->setSelected(true);
  panel->listDependsDblClick();
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 1);
  EXPECT_EQ(&w.DependenceTree() == nullptr, false);
  ASSERT_TRUE(w.Workbench().Undo.Undo());
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 0);
  EXPECT_EQ(panel->listDepends->topLevelItemCount(), 2);
}

TEST_F(DepWindow, AThousandMatrixMembersOpenAndScroll) {
  for (int k = 0; k < 1000; ++k) AddVariable(std::string("v").append(std::to_string(k)));
  SyncNodes();
  PanelUiOwner owner(f);
  TDependencePanel& p = owner.Panel();
  p.resize(800, 600);
  p.show();
  using Clock = std::chrono::steady_clock;
  p.NewCorrelationMatrixClick();
  // The engine hangs at most 256 members under a matrix's root; the grid
  // itself is shown over all 1000 nodes.
  EXPECT_EQ(p.gridModel->rowCount(), 257);
  std::vector<void*> all;
  for (int k = 1; k <= 1000; ++k) all.push_back(Get_TSMObject(k, ObjDependenceNode));
  auto t0 = Clock::now();
  p.gridModel->SetMembers(all);
  p.gridDepends->grab();
  const double open = std::chrono::duration<double>(Clock::now() - t0).count();
  ASSERT_EQ(p.gridModel->rowCount(), 1000);
  t0 = Clock::now();
  p.gridDepends->scrollTo(p.gridModel->index(999, 999));
  p.gridDepends->grab();
  const double scroll = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("matrix of 1000: open %.1f ms, scroll to the end %.1f ms\n", open * 1e3,
              scroll * 1e3);
  EXPECT_LT(open, 5.0);
  EXPECT_LT(scroll, 1.0);
}

TEST_F(DepWindow, TreeSortRoundTripsThroughTheSettingsFile) {
  auto panelOf = [](TFrmTesmiraMain& w) { return w.findChild<TDependencePanel*>("panDep"); };
  EXPECT_EQ(panelOf(Open())->DepTreeSort, 2);  // not sorted without a stored order
  // Stored as 0 ascending, 1 descending, 2 not sorted, and read back so.
  auto choice = [](TDependencePanel* p, int stored) {
    return stored == 0 ? p->mitSortAscending : stored == 1 ? p->mitSortDescending : p->mitNotSorted;
  };
  for (int stored : {0, 1, 2}) {
    SCOPED_TRACE(stored);
    choice(panelOf(*win), stored)->trigger();
    win.reset();
    EXPECT_EQ(common::TIniFile(settings.toStdString()).ReadInteger("DepWindow", "TreeSort", -1),
              stored);
    TDependencePanel* again = panelOf(Open());
    EXPECT_EQ(again->DepTreeSort, stored);
    again->UpdateMenuItems();
    EXPECT_TRUE(choice(again, stored)->isChecked());
  }
}

TEST_F(DepPanel, ListedNameAndNextSelectTheStructure) {
  AddVariable("e");
  SyncNodes();
  ASSERT_TRUE(Attach("e", "d"));
  panel->FillDependenceView();
  ASSERT_EQ(panel->chkVinesName->count(), 2);
  const QString second = panel->chkVinesName->itemText(1);
  panel->chkVinesNameChange(second.toLower());
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("d"));
  EXPECT_EQ(panel->chkVinesName->currentText(), second);
  panel->NextVineClick();
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
  EXPECT_TRUE(panel->chkDepTree->isChecked());
}

TEST_F(DepPanel, DeleteKeyRemovesTheNodeOrTheSubtree) {
  panel->Tree().SetCurrent(Item("b"));
  QTest::keyClick(panel->treeDepends, Qt::Key_Delete);
  EXPECT_EQ(ParentOf("b"), "");
  EXPECT_EQ(panel->listDepends->topLevelItemCount(), 2);
  // On the first item the whole subtree goes, after the question.
  panel->Tree().SetCurrent(Item("a"));
  QTest::keyClick(panel->treeDepends, Qt::Key_Delete);
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete the whole subtree?");
  EXPECT_EQ(panel->treeDepends->topLevelItemCount(), 0);
}

}  // namespace
}  // namespace tesmira::wb
