// The dependence panel's modes and structures: the tree and vine buttons,
// "Next", the structure-name box and the Add New commands.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "cp437.h"
#include "dependence_panel.h"
#include "dependence_values.h"
#include "model_helpers.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

bool IsVineStructureRoot(void* node) {
  return node != nullptr && (IsVineOrMatrix(node) || IsCompositeNode(node));
}

}  // namespace

void TDependencePanel::chkDepTreeClick() {
  void* root = GetCurrentDependenceStructureRoot();
  if (root == nullptr || GetDependenceType(root) != DepTree) root = LiveNode(lastTreeRoot_);
  if (root) SetCurrentDependenceStructureRoot(root, nullptr);
  chkDepTree->setChecked(true);
  ShowMatrixCheckBox->setChecked(false);
  ReleaseSavedStructure();
  Refresh();
}

void* TDependencePanel::LiveNode(void* node) const {
  if (node == nullptr) return nullptr;
  // A remembered root may belong to a model that is gone, or to a node that
  // was deleted since: only a node of the model counts.
  for (int k = 1; k <= Get_TSMObjectsNumber(ObjDependenceNode); ++k)
    if (Get_TSMObject(k, ObjDependenceNode) == node) return node;
  return nullptr;
}

void TDependencePanel::ForgetLastRoots() {
  lastTreeRoot_ = nullptr;
  lastVineRoot_ = nullptr;
}

bool TDependencePanel::StepToNextVine() {
  // The structures after the current one in turn, until a vine or a matrix;
  // when the model holds none, the first structure found stays current.
  void* first = GetNextDepStructure();
  if (first == nullptr || IsVineStructureRoot(first)) return first != nullptr;
  const int bound = Get_TSMObjectsNumber(ObjDependenceNode);
  for (int k = 0; k < bound; ++k) {
    void* next = GetNextDepStructure();
    if (next == nullptr || next == first) break;
    if (IsVineStructureRoot(next)) return true;
  }
  SetCurrentDependenceStructureRoot(first, nullptr);
  return true;
}

void TDependencePanel::chkDepVinesClick() {
  void* root = GetCurrentDependenceStructureRoot();
  if (root == nullptr || GetDependenceType(root) == DepTree) root = LiveNode(lastVineRoot_);
  if (IsVineStructureRoot(root)) {
    SetCurrentDependenceStructureRoot(root, nullptr);
  } else {
    ReleaseSavedStructure();
    StepToNextVine();
    void* last = LiveNode(lastVineRoot_);
    if (!IsVineStructureRoot(GetCurrentDependenceStructureRoot()) && last != nullptr) {
      SetCurrentDependenceStructureRoot(last, nullptr);
      SetDependenceType(nullptr, GetDependenceType(last));
    }
    if (GetCurrentDependenceStructureRoot() == nullptr) {
      // No structure at all: the type combo says what a new one becomes.
      if (chkVinesType->currentIndex() < 0) chkVinesType->setCurrentIndex(0);
      SetDependenceType(nullptr, chkVinesType->currentIndex() + 1);
    }
  }
  SyncDependenceButtons(false);
  chkDepVines->setChecked(true);
  // A user-defined vine has no item of its own and stays what it is.
  if (chkVinesType->currentIndex() < 0 && GetDependenceType(nullptr) != DepUserVine)
    chkVinesType->setCurrentIndex(0);
  ShowMatrixCheckBox->setChecked(chkVinesType->currentIndex() == 0);
  if (ShowMatrixCheckBox->isChecked())
    conversion_->ConvertDependenceStructure(DepCorrelationMatrix);
  UpdateVineButtons();
  if (ShowMatrixCheckBox->isEnabled()) ShowMatrixCheckBox->setChecked(false);
  ReleaseSavedStructure();
  wb_.StructureSwapState = 0;
  Refresh();
  ShowBivariateType();
}

void TDependencePanel::NextVineClick() {
  if (ShowMatrixCheckBox->isEnabled()) ShowMatrixCheckBox->setChecked(false);
  ReleaseSavedStructure();
  // With no structure left there is no current one.
  if (GetNextDepStructure() == nullptr) SetCurrentDependenceStructureRoot(nullptr, nullptr);
  SyncDependenceButtons(false);
  Refresh();
  ShowBivariateType();
}

void TDependencePanel::chkVinesNameChange(const QString& text) {
  if (nameBoxFilling_) return;
  if (DepEditMode != 1) {
    for (const std::string& name : StructureNames())
      if (QString::compare(Q(name), text, Qt::CaseInsensitive) == 0) {
        ReleaseSavedStructure();
        SetCurrentDependenceStructureRoot(nullptr, Utf8ToCp437(name).c_str());
        SyncDependenceButtons(false);
        Refresh();
        return;
      }
    return;
  }
  void* root = GetCurrentDependenceStructureRoot();
  const std::string refusal = CheckStructureRename(text.toStdString());
  if (root == nullptr || !refusal.empty()) {
    QPalette p = chkVinesName->lineEdit()->palette();
    p.setColor(QPalette::Text, QColor(255, 0, 0));
    chkVinesName->lineEdit()->setPalette(p);
    chkVinesName->setToolTip(Q(refusal));
    return;
  }
  chkVinesName->lineEdit()->setPalette(chkVinesName->style()->standardPalette());
  chkVinesName->setToolTip({});
  SetModified(wb_, true);
  SetCurrentDependenceStructureRoot(root, Utf8ToCp437(text.toStdString()).c_str());
  UpdateLastTreeOrVine(root);
}

void TDependencePanel::NewDependenceTreeClick() {
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  if (ShowPanelHook) ShowPanelHook();
  SetDependenceType(nullptr, DepTree);
  chkDepTree->setChecked(true);
  ShowMatrixCheckBox->setChecked(false);
  Refresh();
  listDepends->setFocus();
  if (listDepends->topLevelItemCount() > 0)
    listDepends->setCurrentItem(listDepends->topLevelItem(0));
  adapter_->SetCurrent(nullptr);
  panDepHelp->show();
}

void TDependencePanel::NewCorrelationMatrixClick() {
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  if (ShowPanelHook) ShowPanelHook();
  chkVinesType->setCurrentIndex(0);
  SetDependenceType(nullptr, DepCorrelationMatrix);
  AddAllNodesToStructure();
  chkDepVines->setChecked(true);
  ShowMatrixCheckBox->show();
  ShowMatrixCheckBox->setChecked(true);
  SetModified(wb_, true);
  conversion_->AddNewVineButtonClick();
  Refresh();
  ShowMatrixCheckBox->setEnabled(false);
}

void TDependencePanel::NewVineClick(int type) {
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  if (ShowPanelHook) ShowPanelHook();
  // The combo first: the vines button converts to a matrix when it shows one.
  chkVinesType->setCurrentIndex(type - 1);
  chkDepVinesClick();
  chkVinesType->setCurrentIndex(type - 1);
  ShowMatrixCheckBox->setChecked(false);
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  SetDependenceType(nullptr, type);
  conversion_->AddNewVineButtonClick();
  listDepends->setFocus();
  if (listDepends->topLevelItemCount() > 0)
    listDepends->setCurrentItem(listDepends->topLevelItem(0));
  adapter_->SetCurrent(nullptr);
  SetDependenceType(nullptr, type);
  Refresh();
  panDepHelp->show();
}

void TDependencePanel::mitCorrMatrixViewClick() {
  if (!VineMode() || !ShowMatrixCheckBox->isEnabled()) return;
  ShowMatrixCheckBox->setChecked(!ShowMatrixCheckBox->isChecked());
  conversion_->ShowMatrixCheckBoxClick();
}

}  // namespace tesmira::wb
