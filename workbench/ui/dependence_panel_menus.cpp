// The dependence panel's menus: the tree's and the list's pop-ups, the
// main window's Dependence menu, the Edit menu's Remove items, and their
// enabling.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "cp437.h"
#include "dependence_menu.h"
#include "dependence_panel.h"
#include "model_helpers.h"
#include "morvik_vine.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "vine_view.h"

namespace tesmira::wb {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

void TDependencePanel::BuildActions() {
  auto add = [this](QMenu* menu, const QString& text, auto slot, const QString& keys = {}) {
    auto* a = new QAction(text, this);
    if (!keys.isEmpty()) {
      a->setShortcut(QKeySequence(keys));
      // The function keys act while the panel has the focus (the lists
      // take F2 for their own names); the Ctrl keys act in the window.
      const bool panelKey = keys.startsWith('F');
      a->setShortcutContext(panelKey ? Qt::WidgetWithChildrenShortcut : Qt::WindowShortcut);
      if (panelKey) addAction(a);
    }
    connect(a, &QAction::triggered, this, slot);
    if (menu) menu->addAction(a);
    return a;
  };
  popDepTree = new QMenu(this);
  popDepTree->setObjectName("popDepTree");
  mnuAddVariableAsChild = popDepTree->addMenu("Add Variable As A Child");
  connect(mnuAddVariableAsChild, &QMenu::aboutToShow, this, [this] {
    mnuAddVariableAsChild->clear();
    std::vector<void*> nodes = adapter_->ListNodes();
    for (std::size_t k = 0; k < nodes.size(); ++k)
      mnuAddVariableAsChild->addAction(Q(Cp437ToUtf8(NodeObjectName(nodes[k]))), this, [this, k] {
        editor_->AddFromList(1, static_cast<int>(k) + 1);
        AfterTreeChange();
      });
  });
  mitAddLatentChild =
      add(popDepTree, "Add Latent Variable As Child", [this] { butAddLatentClick(); });
  mitAddLatentChild->setVisible(false);
  mitDepRename = add(
      popDepTree, "Rename...", [this] { mitDepRenameClick(1); }, "F2");
  mitDepSetCorrelation = add(
      popDepTree, "Set Correlation...", [this] { mitDepRenameClick(2); }, "F3");
  mitChangeCopulaType = add(
      popDepTree, "Change Copula Type...",
      [this] {
        cbxBivariateType->setFocus();
        cbxBivariateType->showPopup();
      },
      "F4");
  mitCorrMatrixView = add(
      popDepTree, "Corr. Matrix View...", [this] { mitCorrMatrixViewClick(); }, "F5");
  mitCorrMatrixView->setCheckable(true);
  mitTranscend = add(
      popDepTree, "Transcend...", [this] { conversion_->butVineTranscendClick(); }, "F6");
  mitErase = add(
      popDepTree, "Erase...", [this] { conversion_->butVineEraseClick(); }, "F7");
  mitInitMatrix = add(
      popDepTree, "Init Matrix...", [this] { butMxInitClick(); }, "F8");
  mitVerifyMatrix = add(
      popDepTree, "Verify Matrix...", [this] { butMxVerifyClick(); }, "F9");
  popDepTree->addSeparator();
  mitRemoveNode = add(popDepTree, "Remove Node", [this] { mitDepRemoveItemClick(0); });
  mitRemoveSubtree = add(popDepTree, "Remove Subtree", [this] { mitDepRemoveItemClick(1); });
  mitRemoveStructure =
      add(popDepTree, "Remove Entire Dependence Structure", [this] { mitDepRemoveItemClick(2); });
  popDepTree->addSeparator();
  auto marks = [this](auto op) {
    return [this, op] {
      if (VineViewVisible()) {
        if (op == &TDepTreeEditor::SelectAll)
          vineView->SelectAll();
        else if (op == &TDepTreeEditor::InvertSelection)
          vineView->InvertSelection();
        else
          return;
        treeDependsChange(vineView);
        return;
      }
      (editor_.get()->*op)();
      treeDepends->viewport()->update();
      treeDependsChange();
    };
  };
  mitSelectAll = add(popDepTree, "Select All", marks(&TDepTreeEditor::SelectAll), "Ctrl+A");
  mitInvert =
      add(popDepTree, "Invert Selection", marks(&TDepTreeEditor::InvertSelection), "Ctrl+I");
  mitSelSubtree =
      add(popDepTree, "Select Subtree", marks(&TDepTreeEditor::SelectSubtree), "Ctrl+S");
  for (QAction* a : {mitSelectAll, mitInvert, mitSelSubtree})
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  popDepTree->addSeparator();
  mitSortAscending = add(popDepTree, "Sort Ascending", [this] { OnDepSort(0); });
  mitSortDescending = add(popDepTree, "Sort Descending", [this] { OnDepSort(1); });
  mitNotSorted = add(popDepTree, "Not Sorted", [this] { OnDepSort(2); });
  for (QAction* a : {mitSortAscending, mitSortDescending, mitNotSorted}) a->setCheckable(true);
  treeDepends->addActions({mitSelectAll, mitInvert, mitSelSubtree});
  connect(treeDepends, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    UpdateMenuItems();
    popDepTree->popup(treeDepends->viewport()->mapToGlobal(pos));
  });
  connect(popDepTree, &QMenu::aboutToShow, this, &TDependencePanel::UpdateMenuItems);

  popDepList = new QMenu(this);
  mitAddAsRoot = add(popDepList, "Add As Root", [this] { mitDepChildClick(0); });
  mitAddAsChild = add(popDepList, "Add As Child", [this] { mitDepChildClick(1); });
  listDepends->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(listDepends, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    popDepListPopup();
    popDepList->popup(listDepends->viewport()->mapToGlobal(pos));
  });

  mitNewTree = add(
      nullptr, "Dependence Tree", [this] { NewDependenceTreeClick(); }, "Ctrl+E");
  mitNewMatrix = add(nullptr, "Correlation Matrix", [this] { NewCorrelationMatrixClick(); });
  mitNext = add(
      nullptr, "Next", [this] { NextVineClick(); }, "Ctrl+T");
  mitNewCanonicalVine = add(nullptr, "Canonical Vine", [this] { NewVineClick(DepCanonicalVine); });
  mitNewDvine = add(nullptr, "D-vine", [this] { NewVineClick(DepDVine); });
  TranscendVine = add(nullptr, "Transcend", [this] { conversion_->butVineTranscendClick(); });
  EraseVine = add(nullptr, "Erase", [this] { conversion_->butVineEraseClick(); });
}

void TDependencePanel::BuildMenu(QMenu* menu) {
  QMenu* addNew = menu->addMenu("&Add New");
  addNew->addAction(mitNewTree);
  addNew->addAction(mitNewCanonicalVine);
  addNew->addAction(mitNewDvine);
  addNew->addAction(mitNewMatrix);
  menu->addAction(mitDepRename);
  menu->addAction(mitDepSetCorrelation);
  QMenu* tree = menu->addMenu("Tree");
  auto* latent =
      tree->addAction("Add Latent Variable As Child", this, [this] { butAddLatentClick(); });
  latent->setObjectName("AddLatentVariableAsChild1");
  tree->addSeparator();
  tree->addAction("Remove Node", this, [this] { mitDepRemoveItemClick(0); });
  tree->addAction("Remove Subtree", this, [this] { mitDepRemoveItemClick(1); });
  tree->addAction("Remove Entire Dependence Structure", this, [this] { mitDepRemoveItemClick(2); });
  tree->addSeparator();
  tree->addAction(mitSortAscending);
  tree->addAction(mitSortDescending);
  tree->addAction(mitNotSorted);
  connect(tree, &QMenu::aboutToShow, this, &TDependencePanel::UpdateMenuItems);
  mnuVine = menu->addMenu("Vine");
  mnuVine->addAction(TranscendVine);
  mnuVine->addAction(EraseVine);
  mnuVine->addAction(mitNext);
  connect(mnuVine, &QMenu::aboutToShow, this, &TDependencePanel::UpdateMenuItems);
  menu->addAction(mitNext);
  connect(menu, &QMenu::aboutToShow, this, [this] {
    OnEdtDepRankExit();
    UpdateMenuItems();
    // A new structure needs something to be built from: a free node or a
    // structure's root. The submenu stays enabled for the belief-net item.
    const bool buildable = CountFreeNodesAndStructureRoots() > 0;
    for (QAction* a : {mitNewTree, mitNewCanonicalVine, mitNewDvine}) a->setEnabled(buildable);
  });
}

void TDependencePanel::AddEditMenuItems(QMenu* edit) {
  mitEditRemoveNode = edit->addAction("Remove Node", this, [this] { mitDepRemoveItemClick(0); });
  mitEditRemoveSubtree =
      edit->addAction("Remove Subtree", this, [this] { mitDepRemoveItemClick(1); });
  mitEditRemoveStructure = edit->addAction("Remove Entire Dependence Structure", this,
                                           [this] { mitDepRemoveItemClick(2); });
  UpdateEditMenuItems(false);
}

void TDependencePanel::UpdateEditMenuItems(bool panelShown) {
  if (mitEditRemoveNode == nullptr) return;
  const bool tree = !treeDepends->isHidden() && !panDepTree->isHidden();
  QTreeWidgetItem* item = treeDepends->currentItem();
  auto* dvine = dynamic_cast<TMorvikVine*>(vineView);
  const bool dvineRemoves =
      VineViewVisible() && dvine && !dvine->Transcended() && dvine->CurrentCell().X == 0;
  // A vine that has a derived level keeps its nodes.
  const bool free = !VineMode() || Vine_IsTranscended() < 1;
  mitEditRemoveNode->setEnabled(free && ((tree && item && item->parent()) || dvineRemoves));
  mitEditRemoveSubtree->setEnabled(free && tree && item != nullptr);
  mitEditRemoveStructure->setEnabled(free && tree && treeDepends->topLevelItemCount() > 0);
  for (QAction* a : {mitEditRemoveNode, mitEditRemoveSubtree, mitEditRemoveStructure})
    a->setVisible(panelShown);
}

void TDependencePanel::popDepListPopup() {
  auto* dvine = dynamic_cast<TMorvikVine*>(vineView);
  const bool dvineTree = VineViewVisible() && dvine && !dvine->Transcended();
  const bool enabled = !panDepTree->isHidden() &&
                       ((!treeDepends->isHidden() && Vine_IsTranscended() <= 0) || dvineTree);
  mitAddAsRoot->setEnabled(enabled);
  mitAddAsChild->setEnabled(enabled);
}

void TDependencePanel::UpdateMenuItems() {
  QTreeWidgetItem* item = treeDepends->currentItem();
  const bool matrix = MatrixView();
  const bool sortable =
      !VineMode() || (GetDependenceType(nullptr) == DepCanonicalVine && Vine_IsTranscended() < 2);
  const bool treeMode = !VineMode();
  mnuAddVariableAsChild->menuAction()->setVisible(treeMode);
  mnuAddVariableAsChild->setEnabled(listDepends->topLevelItemCount() > 0 && sortable);
  mitAddLatentChild->setEnabled(treeMode);
  UpdateRenameItem();
  mitDepSetCorrelation->setVisible(!matrix);
  mitDepSetCorrelation->setEnabled(!m_edtDepRank->isReadOnly() && m_edtDepRank->isEnabled());
  mitChangeCopulaType->setVisible(!matrix);
  mitInitMatrix->setVisible(matrix);
  mitVerifyMatrix->setVisible(matrix);
  mitInitMatrix->setEnabled(matrix && butMxInit->isEnabled());
  mitVerifyMatrix->setEnabled(matrix && butMxVerify->isEnabled());
  for (QAction* a : {mitRemoveNode, mitRemoveSubtree, mitRemoveStructure, mitSelectAll, mitInvert,
                     mitSelSubtree})
    a->setVisible(!matrix);
  mitRemoveNode->setEnabled(item && item->parent() && sortable);
  mitRemoveSubtree->setEnabled(item && sortable);
  mitRemoveStructure->setEnabled(treeDepends->topLevelItemCount() > 0 && sortable);
  mitSelSubtree->setEnabled(GetDependenceType(nullptr) != DepDVine && sortable);
  const bool userVine = VineViewVisible() && vineView->VineType() == DepUserVine;
  mitSelectAll->setEnabled(!userVine);
  mitInvert->setEnabled(!userVine);
  for (QAction* a : {mitSortAscending, mitSortDescending, mitNotSorted}) a->setVisible(sortable);
  mitSortAscending->setChecked(DepTreeSort == 0);
  mitSortDescending->setChecked(DepTreeSort == 1);
  mitNotSorted->setChecked(DepTreeSort == 2);
  bool allFree = true;
  for (int k = 1; k <= Get_TSMObjectsNumber(ObjDependenceNode) && allFree; ++k) {
    void* node = Get_TSMObject(k, ObjDependenceNode);
    allFree = NodeParent(node) == nullptr && NodeChildCount(node) == 0;
  }
  mitNewMatrix->setEnabled(allFree && Get_TSMObjectsNumber(ObjDependenceNode) > 1);
  UpdateVineMenuItems();
}

void TDependencePanel::UpdateRenameItem() {
  // Renaming names the current structure in the name box.
  mitDepRename->setEnabled(edDepName->isEnabled() &&
                           GetCurrentDependenceStructureRoot() != nullptr &&
                           chkVinesName->count() > 0);
}

void TDependencePanel::UpdateVineMenuItems() {
  UpdateVineButtons();
  const bool vine = VineMode();
  const bool matrix = MatrixView();
  if (mnuVine) mnuVine->menuAction()->setVisible(vine);
  const bool erase = vine && (butVineErase->isEnabled() || matrix);
  EraseVine->setEnabled(erase);
  EraseVine->setText(vine && !matrix ? "Erase" : "Erase matrix");
  TranscendVine->setEnabled(erase && vine && !matrix && butVineTranscend->isEnabled());
  mitCorrMatrixView->setEnabled(vine && ShowMatrixCheckBox->isEnabled());
  mitCorrMatrixView->setChecked(matrix);
  mitTranscend->setVisible(vine && !matrix);
  mitTranscend->setEnabled(vine && !matrix && butVineTranscend->isEnabled());
  mitErase->setVisible(vine);
  mitErase->setEnabled(vine && (matrix ? butMxErase->isEnabled() : butVineErase->isEnabled()));
}

}  // namespace tesmira::wb
