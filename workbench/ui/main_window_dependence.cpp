// The main window's dependence menu and panel.
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "dependence_panel.h"
#include "ini_file.h"
#include "main_window.h"
#include "tesmira/model_files.h"
#include "tesmira/structures.h"
#include "vine_view.h"

namespace tesmira::wb {

namespace {

// The window's tree for the core's undo items: the panel's tree.
class TPanelTree : public IDependenceTree {
 public:
  explicit TPanelTree(TDepTreeAdapter& tree) : t_(tree) {}
  std::vector<TTreeItem> Items() override { return t_.Items(); }
  void* ItemNode(TTreeItem item) override { return t_.ItemNode(item); }
  TTreeItem ParentItem(TTreeItem item) override { return t_.ParentItem(item); }
  TTreeItem AddTopLevelItem(const std::string& text, void* node) override {
    return t_.AddTopLevelItem(text, node);
  }
  TTreeItem InsertFirstSibling(TTreeItem sibling, const std::string& text, void* node) override {
    return t_.InsertFirstSibling(sibling, text, node);
  }
  void MoveToTopLevel(TTreeItem item) override { t_.MoveToTopLevel(item); }
  void MoveUnder(TTreeItem item, TTreeItem parent) override { t_.MoveUnder(item, parent); }
  void RemoveItem(TTreeItem item) override { t_.RemoveItem(item); }
  void SelectItem(TTreeItem item) override { t_.SelectItem(item); }
  void SetItemText(TTreeItem item, const std::string& text) override { t_.SetItemText(item, text); }
  void SortAlphabetically() override { t_.SortAlphabetically(); }
  void RemoveAvailableNode(void* node) override { t_.RemoveAvailableNode(node); }
  void AddAvailableNode(const std::string& caption, const std::string& name, void* node) override {
    t_.AddAvailableNode(caption, name, node);
  }
  void SortAvailableNodes() override { t_.SortAvailableNodes(); }

 private:
  TDepTreeAdapter& t_;
};

}  // namespace

TDependencePanel* TFrmTesmiraMain::DependencePanel() const {
  return static_cast<TDependencePanel*>(PanelPage(PanelDependence));
}

void TFrmTesmiraMain::BuildDependence() {
  // Vines that stand alone or hang under a tree show in tree mode too.
  SetExposedVinesInTrees(true);
  auto* panel = new TDependencePanel(wb_, this);
  SetPanelPage(PanelDependence, panel);
  tree_ = std::make_unique<TPanelTree>(panel->Tree());
  panel->UpdateViewHook = [this](unsigned mask) { UpdateView(mask); };
  panel->ShowPanelHook = [this] {
    if (panel_ != PanelDependence) ChangePanel(PanelDependence);
  };
  panel->BuildMenu(mnuDependence);
  mnuDependence->menuAction()->setVisible(true);
  // The tree's sort order as stored (0 ascending, 1 descending, 2 not
  // sorted); without a stored order the tree is not sorted. The settings are
  // read after the panels are built, so the file is asked here.
  common::TIniFile ini(settingsPath_.toStdString());
  panel->DepTreeSort = std::clamp(ini.ReadInteger("DepWindow", "TreeSort", 2), 0, 2);
  panel->SortChanged = [this](int mode) { settings_.TreeSort = TreeSortSettingOfMode(mode); };
}

void TFrmTesmiraMain::UpdateDependenceView() {
  TDependencePanel* panel = DependencePanel();
  settings_.TreeSort = panel->DepTreeSort;
  // The buttons keep the mode the analyst chose: vine mode may hold a tree
  // (which the type combo can convert) or no structure at all.
  panel->FillDependenceView();
}

void TFrmTesmiraMain::SyncDependenceButtons(bool keepMatrixCheck) {
  DependencePanel()->SyncDependenceButtons(keepMatrixCheck);
}

void TFrmTesmiraMain::UpdateMenuItems() { DependencePanel()->UpdateMenuItems(); }

void TFrmTesmiraMain::RebuildUserVineLevels() { DependencePanel()->RebuildUserVine(); }

void TFrmTesmiraMain::LeaveDependencePanel() {
  TDependencePanel* panel = DependencePanel();
  panel->OnEdtDepRankExit();
  panel->slider->hide();
}

void TFrmTesmiraMain::EnterDependencePanel() {
  UpdateDependenceView();
  DependencePanel()->treeDepends->setFocus();
}

void TFrmTesmiraMain::ResetDependenceAfterLoad(bool) {
  TDependencePanel* panel = DependencePanel();
  panel->ForgetLastRoots();
  panel->gridModel->SetMembers({});
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  GetNextDepStructure();
  panel->SyncDependenceButtons(false);
}

bool TFrmTesmiraMain::DependenceTreeButtonDown() {
  return !DependencePanel()->chkDepVines->isChecked();
}

void TFrmTesmiraMain::RepaintVineView() {
  if (TVineView* view = DependencePanel()->vineView) view->viewport()->update();
}

void TFrmTesmiraMain::RepaintDependenceGrid() { DependencePanel()->gridModel->Repaint(); }

std::vector<void*> TFrmTesmiraMain::MatrixNodes() {
  return DependencePanel()->gridModel->Members();
}

}  // namespace tesmira::wb
