// Undo items of variables, formulas, names and the dependence tree.
#include "undo_items.h"

#include <algorithm>
#include <cstring>

#include "cp437.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/structures.h"
#include "workbench.h"

namespace tesmira::wb {

int ObjectPosition(const void* record, int kind) {
  if (record == nullptr) return -1;
  int index = Get_TSMObjectIndex(record, kind);
  return index > 0 ? index : -1;
}

void MoveToPosition(const void* record, int kind, int target) {
  int p = ObjectPosition(record, kind);
  if (p < 0 || target < 1) return;
  target = std::min(target, Get_TSMObjectsNumber(kind));
  for (; p < target; ++p) Swap_TSMObjects(p, p + 1, kind);
  for (; p > target; --p) Swap_TSMObjects(p, p - 1, kind);
}

namespace {

// Caption of an add or delete: what the step undoes or redoes.
const char* AddOrDelete(uint8_t code, bool undo, const char* del, const char* add) {
  if (((code & UndoAbsent) && undo) || ((code & UndoPresent) && !undo)) return del;
  if (((code & UndoAbsent) && !undo) || ((code & UndoPresent) && undo)) return add;
  return "";
}

uint8_t Flip(uint8_t code) {
  return static_cast<uint8_t>((code & ~(UndoAbsent | UndoPresent)) |
                              ((code & UndoAbsent) ? UndoPresent : UndoAbsent));
}

// Selects the item at a 1-based position, or the list's last item when the
// list is shorter.
void SelectAt(IWorkbenchUi& ui, TObjectList list, int position, bool clampToLast) {
  int count = ui.ListItemCount(list);
  int index = position - 1;
  if (clampToLast && index >= count) index = count - 1;
  if (index >= 0) ui.SelectListItem(list, index);
}

bool ReselectListItem(TWorkbench& wb, TObjectList list, TPanel panel, uint8_t code,
                      uint8_t editBits, int position, bool isLast) {
  IWorkbenchUi& ui = wb.Ui();
  if (code & (UndoPresent | editBits)) {
    SelectAt(ui, list, position, false);
    if (isLast) ui.ListClick(list);
  } else if ((code & UndoAbsent) && isLast) {
    SelectAt(ui, list, position, true);
    ui.ListClick(list);
  }
  if (isLast) ui.ShowPanel(panel);
  return true;
}

}  // namespace

// ---- random variables ---------------------------------------------------------

TUndoRanVar::TUndoRanVar(uint8_t code, int position, const TExtendedRandomVariable& record)
    : code_(code), position_(position), record_(record) {}

std::string TUndoRanVar::Caption(bool undo) const {
  if (code_ & UndoDistType) return "Distribution Type";
  if (code_ & UndoCut) return "Cut Random Variable";
  if (code_ & UndoPaste) return "Paste Random Variable";
  if (code_ & UndoDescription) return "Description";
  return AddOrDelete(code_, undo, "Delete Random Variable", "Add Random Variable");
}

bool TUndoRanVar::Apply(TWorkbench& wb, bool, bool) {
  std::string name(ShortStringView(record_.distribution.name));
  if (code_ & UndoPresent) {
    TExtendedRandomVariable* rv = Fetch_extended_random_variable(0, name.c_str());
    if (rv == nullptr) return false;
    record_ = *rv;
    position_ = ObjectPosition(rv, ObjRandomVariable);
    Delete_TSMObject(rv);
    code_ = Flip(code_);
  } else if (code_ & UndoAbsent) {
    if (Create_TSMObject(ObjRandomVariable, &record_) > 0) {
      MoveToPosition(Fetch_extended_random_variable(0, name.c_str()), ObjRandomVariable, position_);
    } else {
      RanvarOverflowMessage(false);
    }
    code_ = Flip(code_);
  } else {
    TExtendedRandomVariable* rv = Fetch_extended_random_variable(0, name.c_str());
    if (rv == nullptr) return false;
    TExtendedRandomVariable live = *rv;
    TExtendedRandomVariable changed = live;
    if (code_ & (UndoDistType | UndoDistParams)) {
      changed.distribution = record_.distribution;
      changed.samplePosition = record_.samplePosition;
    }
    if (code_ & UndoDescription)
      std::memcpy(changed.description, record_.description, sizeof changed.description);
    record_ = live;
    TExtendedRandomVariable* out = nullptr;
    Update_extended_random_variable(&changed, &out, "", false);
    wb.Ui().ReloadVariableFrame(1);
    position_ = ObjectPosition(out ? out : rv, ObjRandomVariable);
    return true;
  }
  wb.Ui().UpdateView(ViewVariables);
  return true;
}

bool TUndoRanVar::Reselect(TWorkbench& wb, bool, bool isLast) {
  return ReselectListItem(wb, TObjectList::Variables, TPanel::Variables, code_,
                          UndoDescription | UndoDistParams | UndoDistType, position_, isLast);
}

// ---- formulas -------------------------------------------------------------------

TUndoUDF::TUndoUDF(uint8_t code, int position, const TUdf& record)
    : code_(code), position_(position), record_(record) {}

std::string TUndoUDF::Caption(bool undo) const {
  if (code_ & UndoFormulaText) return "Formula";
  if (code_ & UndoCut) return "Cut UDF";
  if (code_ & UndoPaste) return "Paste UDF";
  if (code_ & UndoDescription) return "Description";
  return AddOrDelete(code_, undo, "Delete UDF", "Add UDF");
}

TUdf* TUndoUDF::Live() const {
  std::string_view name = ShortStringView(record_.name);
  if (position_ > 0) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(position_, ObjFormula));
    if (f != nullptr && SameName(ShortStringView(f->name), name)) return f;
  }
  if (name.empty()) return nullptr;
  return Fetch_UDF(0, std::string(name).c_str());
}

bool TUndoUDF::Apply(TWorkbench& wb, bool, bool) {
  if (code_ & UndoPresent) {
    TUdf* f = Live();
    if (f == nullptr) return false;
    record_ = *f;
    position_ = ObjectPosition(f, ObjFormula);
    Delete_TSMObject(f);
    code_ = Flip(code_);
  } else if (code_ & UndoAbsent) {
    if (Create_TSMObject(ObjFormula, &record_) > 0) {
      void* created = Get_TSMObject(Get_TSMObjectsNumber(ObjFormula), ObjFormula);
      MoveToPosition(created, ObjFormula, position_);
    }
    code_ = Flip(code_);
  } else {
    TUdf* f = Live();
    if (f == nullptr) return false;
    TUdf live = *f;
    TUdf changed = live;
    if (code_ & UndoFormulaText) std::memcpy(changed.text, record_.text, sizeof changed.text);
    if (code_ & UndoDescription)
      std::memcpy(changed.description, record_.description, sizeof changed.description);
    record_ = live;
    TUdf* out = nullptr;
    Update_UDF(&changed, &out, "");
    wb.Ui().ReloadFormulaFrame(1);
    position_ = ObjectPosition(out ? out : f, ObjFormula);
    return true;
  }
  wb.Ui().UpdateView(ViewFormulas);
  return true;
}

bool TUndoUDF::Reselect(TWorkbench& wb, bool, bool isLast) {
  return ReselectListItem(wb, TObjectList::Formulas, TPanel::Formulas, code_,
                          UndoDescription | UndoFormulaText, position_, isLast);
}

// ---- names ----------------------------------------------------------------------

TUndoObjectName::TUndoObjectName(int kind, std::string newName, std::string oldName)
    : kind_(kind), newName_(std::move(newName)), oldName_(std::move(oldName)) {}

bool TUndoObjectName::Apply(TWorkbench& wb, bool undo, bool) {
  const std::string& from = undo ? newName_ : oldName_;
  const std::string& to = undo ? oldName_ : newName_;
  IWorkbenchUi& ui = wb.Ui();
  switch (kind_) {
    case ObjRandomVariable: {
      TExtendedRandomVariable* rv = Fetch_extended_random_variable(0, from.c_str());
      if (rv == nullptr) return false;
      TExtendedRandomVariable* out = nullptr;
      if (Update_extended_random_variable(rv, &out, to.c_str(), true) <= 0) return false;
      ui.ReloadVariableFrame(1);
      ui.ShowPanel(TPanel::Variables);
      return true;
    }
    case ObjFormula: {
      TUdf* f = Fetch_UDF(0, from.c_str());
      if (f == nullptr) return false;
      TUdf* out = nullptr;
      int result = Update_UDF(f, &out, to.c_str());
      if (result == 0) return false;
      if (result > 0) {
        ui.ReloadFormulaFrame(1);
        RenameReferences(result, from, to);
      }
      ui.UpdateView(ViewFormulas);
      ui.ShowPanel(TPanel::Formulas);
      // A name taken in the meantime leaves the formula as it was.
      return result > 0;
    }
    case ObjDependenceNode: {
      void* node = Fetch_dep_node(0, from.c_str());
      if (node == nullptr) return false;
      void* out = nullptr;
      if (Update_dep_node(node, &out, to.c_str()) <= 0) return false;
      ui.ShowPanel(TPanel::Dependence);
      return true;
    }
    default: return false;
  }
}

// ---- the dependence tree --------------------------------------------------------

TUndoDepNode::TUndoDepNode(uint8_t code, void* node, bool selected, std::string redoParent,
                           std::string undoParent, std::string name)
    : code_(code),
      position_(ObjectPosition(node, ObjDependenceNode)),
      selected_(selected),
      redoParent_(std::move(redoParent)),
      undoParent_(std::move(undoParent)),
      name_(std::move(name)) {}

std::string TUndoDepNode::Caption(bool) const {
  if ((code_ & UndoNodeAdded) && (code_ & UndoNodeLatent)) return "Add Latent Node";
  if (code_ & UndoNodeMoved) return "Move Nodes in Tree";
  if (code_ & UndoNodeAdded) return "Move Nodes to Tree";
  if (code_ & UndoNodeRemoved) return "Delete Nodes from Tree";
  return "";
}

bool TUndoDepNode::Attach(TWorkbench& wb, void* node, const std::string& parentName) {
  IDependenceTree& tree = wb.Ui().DependenceTree();
  void* parent = parentName.empty() ? nullptr : Fetch_dep_node(0, parentName.c_str());
  TTreeItem item = tree.FindItem(node);
  if (item == nullptr) return true;
  void* former = nullptr;
  Process_dep_node(node, &former, nullptr, DepNodeDetach);
  tree.MoveToTopLevel(item);
  if (parent != nullptr) {
    void* target = parent;
    if (!Process_dep_node(node, &target, nullptr, DepNodeAttach)) return false;
    if (TTreeItem parentItem = tree.FindItem(parent)) tree.MoveUnder(item, parentItem);
  }
  if (selected_) tree.SelectItem(item);
  tree.SetItemText(item, Cp437ToUtf8(DependenceNodeCaption(wb, node, parent != nullptr, false)));
  return true;
}

bool TUndoDepNode::Apply(TWorkbench& wb, bool undo, bool) {
  IDependenceTree& tree = wb.Ui().DependenceTree();
  const std::string& parentName = undo ? undoParent_ : redoParent_;
  bool intoTree = ((code_ & UndoNodeRemoved) && undo) || ((code_ & UndoNodeAdded) && !undo);
  if (code_ & UndoNodeLatent) {
    if (intoTree) {
      void* node = CreateNamedDependenceNode(name_);
      if (node == nullptr) return false;
      tree.AddTopLevelItem(Cp437ToUtf8(name_), node);
      MoveToPosition(node, ObjDependenceNode, position_);
      return Attach(wb, node, parentName);
    }
    if (void* node = Fetch_dep_node(0, name_.c_str())) {
      position_ = ObjectPosition(node, ObjDependenceNode);
      void* former = nullptr;
      Process_dep_node(node, &former, nullptr, DepNodeDetach);
      if (TTreeItem item = tree.FindItem(node)) tree.RemoveItem(item);
      Delete_TSMObject(node);
    }
    return true;
  }
  void* node = Fetch_dep_node(0, name_.c_str());
  if (node == nullptr) return false;
  if (code_ & UndoNodeMoved) return Attach(wb, node, parentName);
  if (intoTree) {
    tree.RemoveAvailableNode(node);
    tree.AddTopLevelItem(Cp437ToUtf8(name_), node);
    return Attach(wb, node, parentName);
  }
  void* former = nullptr;
  Process_dep_node(node, &former, nullptr, DepNodeDetach);
  if (TTreeItem item = tree.FindItem(node)) tree.RemoveItem(item);
  tree.AddAvailableNode(std::to_string(VariableIndexByName(ObjRandomVariable, name_)),
                        Cp437ToUtf8(name_), node);
  tree.SortAvailableNodes();
  return true;
}

bool TUndoDepNode::Reselect(TWorkbench& wb, bool, bool isLast) {
  if (isLast) {
    wb.Ui().DependenceTree().SortAlphabetically();
    wb.Ui().RepaintVineView();
  }
  return true;
}

bool TUndoDepNodeSwap::Apply(TWorkbench& wb, bool, bool) {
  void* a = Fetch_dep_node(0, a_.c_str());
  void* b = Fetch_dep_node(0, b_.c_str());
  if (a == nullptr || b == nullptr) return false;
  int pa = Get_TSMObjectIndex(a, ObjDependenceNode);
  int pb = Get_TSMObjectIndex(b, ObjDependenceNode);
  if (pa <= 0 || pb <= 0) return false;
  Swap_TSMObjects(pa, pb, ObjDependenceNode);
  wb.Ui().ShowPanel(TPanel::Dependence);
  return true;
}

}  // namespace tesmira::wb
