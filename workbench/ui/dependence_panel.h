// The dependence panel (panDep): the list of available nodes, the tree of
// the current structure or the correlation matrix grid, the name and
// correlation edits, the copula box, the structure-name box, and the
// commands of the Dependence menu and the tree's pop-up menu.
#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <memory>
#include <vector>

#include "conversion_panel.h"
#include "dependence_edit.h"
#include "dependence_tree_view.h"
#include "dependence_values.h"

class QAction;
class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace tesmira::wb {

class TWorkbench;
class TVineView;

// The matrix grid's cells over the engine: only painted cells are read.
class TDepMatrixModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TDepMatrixModel(TWorkbench& wb, QObject* parent = nullptr)
      : QAbstractTableModel(parent), wb_(wb) {}
  void SetMembers(std::vector<void*> members);
  const std::vector<void*>& Members() const { return members_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  void Repaint();

  TCellEditOutcome LastEdit;
  std::function<void()> Edited;

 private:
  TWorkbench& wb_;
  std::vector<void*> members_;
  QModelIndex refused_;
};

class TDependencePanel : public QWidget {
  Q_OBJECT
 public:
  explicit TDependencePanel(TWorkbench& wb, QWidget* parent = nullptr);
  ~TDependencePanel() override;

  TDepTreeAdapter& Tree() { return *adapter_; }
  TDepTreeEditor& Editor() { return *editor_; }
  bool VineMode() const;
  bool MatrixView() const;

  // Filling and describing.
  void FillDependenceView();
  // sender: the vine view when its current cell changed.
  void treeDependsChange(TVineView* sender = nullptr);
  bool CheckDeprank();
  void OnEdtDepRankExit();
  void edDepNameExit();
  void UpdateVinesNameBox();
  void SyncDependenceButtons(bool keepMatrixCheck);
  bool CheckNumberOfNodes();
  void UpdateMenuItems();
  void UpdateVineButtons();
  // "Rename..." (F2): with a current structure that the name box lists.
  void UpdateRenameItem();
  // The Vine menu and the pop-up's vine items.
  void UpdateVineMenuItems();
  // The view refilled through the main window's refresh (UpdateView 0x010).
  void Refresh();

  // Commands.
  void chkDepTreeClick();
  void chkDepVinesClick();
  void NextVineClick();
  // A new model forgets the structures last shown in each mode.
  void ForgetLastRoots();
  void chkVinesNameChange(const QString& text);
  void StoreBivariateType();
  void ShowBivariateType();
  void butMxVerifyClick();
  void butMxInitClick();
  void mitDepRenameClick(int mode);  // 1 structure name, 2 correlation
  void mitDepRemoveItemClick(int tag);
  void mitDepChildClick(int tag);
  void butAddLatentClick();
  void listDependsDblClick();
  // The list's pop-up: adding from the list needs a tree to add to.
  void popDepListPopup();
  void OnDepSort(int setting);  // 0 ascending, 1 descending, 2 not sorted
  void NewDependenceTreeClick();
  void NewCorrelationMatrixClick();
  // Add New > "Canonical Vine" (type 2) and "D-vine" (type 3).
  void NewVineClick(int type);
  // The structure conversions and the vine commands.
  TStructureConversion& Conversion() { return *conversion_; }
  TConversionPanel& ConversionPanel() { return *conversionPanel_; }
  void mitCorrMatrixViewClick();
  void OpenSlider(QTreeWidgetItem* item);
  // In-place editing of the selected item's label (mode 1 name, 2 correlation).
  void treeDependsEditKey(int mode);
  void treeDependsEditing();
  void treeDependsEdited(const QString* text);
  void DoDrop(const TDropRequest& request);

  int DepTreeSort = 2;
  int DepEditMode = 0;
  std::function<void(unsigned)> UpdateViewHook;  // the main window's UpdateView
  std::function<void()> ShowPanelHook;           // ChangePanel to this panel
  std::function<void(int mode)> SortChanged;     // the tree's new sort mode

  // Controls (names of the window's form).
  QLabel *labVineName = nullptr, *LabelVineType = nullptr, *LabelCurrentDepType = nullptr;
  QComboBox* chkVinesName = nullptr;
  QComboBox* chkVinesType = nullptr;
  QPushButton *chkDepTree = nullptr, *chkDepVines = nullptr, *butNext = nullptr;
  QCheckBox* ShowMatrixCheckBox = nullptr;
  TDepListWidget* listDepends = nullptr;
  QWidget* panDepTree = nullptr;
  TDepTreeWidget* treeDepends = nullptr;
  QWidget* panDepHelp = nullptr;
  QPlainTextEdit* DepInitMemo = nullptr;
  QWidget* panDepMx = nullptr;
  QLabel* labDepMxAdress = nullptr;
  QPushButton *butMxInit = nullptr, *butMxVerify = nullptr, *butMxErase = nullptr;
  QTableView* gridDepends = nullptr;
  TDepMatrixModel* gridModel = nullptr;
  QLineEdit *edDepName = nullptr, *m_edtDepRank = nullptr;
  QLabel *labDepRCVP = nullptr, *labDepIs = nullptr, *labBivariateType = nullptr;
  QComboBox* cbxBivariateType = nullptr;
  QPushButton* butAddLatent = nullptr;
  QPushButton *butVineTranscend = nullptr, *butVineErase = nullptr, *AddNewVineButton = nullptr;
  QLabel* labDepMessage = nullptr;
  TFrmDepSliderPopup* slider = nullptr;
  QMenu* popDepTree = nullptr;
  QMenu* popDepList = nullptr;
  // The view of a vine (type 2, 3 or 4) over the tree view's place, or none.
  TVineView* vineView = nullptr;
  bool VineViewVisible() const;
  // Builds the user-defined vine's levels again when its view exists.
  void RebuildUserVine();

  // Actions of the Dependence menu and the pop-ups.
  QAction *mitNewTree = nullptr, *mitNewMatrix = nullptr, *mitDepRename = nullptr,
          *mitDepSetCorrelation = nullptr, *mitChangeCopulaType = nullptr, *mitInitMatrix = nullptr,
          *mitVerifyMatrix = nullptr, *mitNext = nullptr, *mitRemoveNode = nullptr,
          *mitRemoveSubtree = nullptr, *mitRemoveStructure = nullptr, *mitAddLatentChild = nullptr,
          *mitSelectAll = nullptr, *mitInvert = nullptr, *mitSelSubtree = nullptr,
          *mitSortAscending = nullptr, *mitSortDescending = nullptr, *mitNotSorted = nullptr,
          *mitAddAsRoot = nullptr, *mitAddAsChild = nullptr, *mitCorrMatrixView = nullptr,
          *mitTranscend = nullptr, *mitErase = nullptr, *mitNewCanonicalVine = nullptr,
          *mitNewDvine = nullptr, *TranscendVine = nullptr, *EraseVine = nullptr;
  QMenu* mnuAddVariableAsChild = nullptr;
  QMenu* mnuVine = nullptr;
  // Fills the main window's Dependence menu with the commands.
  void BuildMenu(QMenu* menu);
  // The Edit menu's three Remove items, shown while this panel is.
  void AddEditMenuItems(QMenu* edit);
  void UpdateEditMenuItems(bool panelShown);
  QAction *mitEditRemoveNode = nullptr, *mitEditRemoveSubtree = nullptr,
          *mitEditRemoveStructure = nullptr;

 private:
  void BuildControls();
  void BuildHeader(QBoxLayout* root);
  void BuildTreePanel(QBoxLayout* root);
  void BuildMatrixPanel(QBoxLayout* body);
  void BuildEditRows(QBoxLayout* body);
  void BuildSlider();
  void WireControls();
  void BuildActions();
  void BuildVineActions();
  void ShowRankHint(const TRankCheck& check);
  void RefreshTypeLabel();
  void UpdateLastTreeOrVine(void* node);
  // node when it is still a dependence node of the model, else none.
  void* LiveNode(void* node) const;
  // Makes the next vine or matrix current, else the next structure of any
  // kind; false when the model holds no structure.
  bool StepToNextVine();
  // The view after the editing logic moved items (no refill).
  void AfterTreeChange();
  // Creates the vine view of a structure type (2 canonical, 4 user-defined,
  // any other D-vine) and wires it to the panel.
  void CreateVineView(int type);
  void DestroyVineView();
  // Shows the vine view or the tree view for the current structure.
  void PlaceVineView(int structureNodes);

  TWorkbench& wb_;
  std::unique_ptr<TQtDepTree> adapter_;
  std::unique_ptr<TDepTreeEditor> editor_;
  std::unique_ptr<TConversionPanel> conversionPanel_;
  std::unique_ptr<TStructureConversion> conversion_;
  void* lastTreeRoot_ = nullptr;
  void* lastVineRoot_ = nullptr;
  bool nameBoxFilling_ = false;
};

}  // namespace tesmira::wb
