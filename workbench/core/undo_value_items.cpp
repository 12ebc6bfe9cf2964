// Undo items that exchange one correlation value, and the pairing choices'
// item.
#include "tesmira/model.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "undo_items.h"
#include "workbench.h"

namespace tesmira::wb {

bool TUndoDepNodeValue::Apply(TWorkbench& wb, bool, bool) {
  void* node = Fetch_dep_node(0, name_.c_str());
  if (node == nullptr) return false;
  double current = Get_node_correlation_with_parent(node);
  Set_node_correlation_with_parent(node, static_cast<float>(value_));
  value_ = current;
  wb.Ui().ShowPanel(TPanel::Dependence);
  return true;
}

bool TUndoCMxValue::Apply(TWorkbench& wb, bool, bool) {
  void* a = Fetch_dep_node(0, a_.c_str());
  void* b = Fetch_dep_node(0, b_.c_str());
  if (a == nullptr || b == nullptr) return false;
  double current = CMatrix_GetCell(a, b);
  CMatrix_SetCell(a, b, value_);
  value_ = current;
  wb.Ui().ShowPanel(TPanel::Dependence);
  wb.Ui().RepaintDependenceGrid();
  return true;
}

bool TUndoVineValue::Apply(TWorkbench& wb, bool, bool) {
  void* node = Fetch_dep_node(0, name_.c_str());
  if (node == nullptr) return false;
  double current = Vine_GetCorrValue(node, level_);
  Vine_SetCorrValue(node, level_, value_);
  value_ = current;
  wb.Ui().ShowPanel(TPanel::Dependence);
  wb.Ui().RepaintDependenceGrid();
  return true;
}

bool TUndoUDVineUE::Apply(TWorkbench& wb, bool, bool) {
  TPairingChoices& list = wb.PairingChoices;
  if (present_) {
    list.resize(list.size() >= choices_.size() ? list.size() - choices_.size() : 0);
  } else {
    list.insert(list.end(), choices_.begin(), choices_.end());
  }
  present_ = !present_;
  wb.Ui().ShowPanel(TPanel::Dependence);
  wb.Ui().RebuildUserVineLevels();
  return true;
}

}  // namespace tesmira::wb
