#include "dependence_values.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "cp437.h"
#include "model/short_string.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "undo_items.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

std::string Trim(const std::string& text) {
  std::size_t a = text.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  std::size_t b = text.find_last_not_of(" \t");
  return text.substr(a, b - a + 1);
}

// The engine's refusal of a value for the current structure, or "".
std::string Refusal(double value) {
  char message[256] = {};
  if (CheckDepValue(message, value)) return "";
  return ("Invalid value! " + std::string(message)).substr(0, 115);
}

bool SameMarker(double a, double b) { return static_cast<float>(a) == static_cast<float>(b); }

// The first item of the newest undo group, when it is of type T.
template <class T>
const T* TopItem(TWorkbench& wb) {
  const TUndoItems* top = wb.Undo.LastUndoGroup();
  if (top == nullptr || top->Count() == 0) return nullptr;
  return dynamic_cast<const T*>(top->Item(0));
}

// Whether the newest group already holds the first old value of node.
bool MergesWithTop(TWorkbench& wb, const std::string& name) {
  if (const auto* v = TopItem<TUndoDepNodeValue>(wb)) return v->Name() == name;
  if (const auto* v = TopItem<TUndoVineValue>(wb)) return v->Name() == name;
  return false;
}

void SetNodeValue(TDepTreeAdapter& tree, TTreeItem item, double v, bool vineMode,
                  CurrentUndoGroup& group, bool record) {
  void* node = tree.ItemNode(item);
  const std::string name = NodeObjectName(node);
  if (record) {
    group.AddItem(
        std::make_unique<TUndoDepNodeValue>(name, Get_node_correlation_with_parent(node)));
    if (vineMode)
      group.AddItem(std::make_unique<TUndoVineValue>(name, Vine_GetCorrValue(node, 1), 1));
  }
  if (vineMode) {
    Vine_SetCorrValue(node, 1, v);
  } else if (void* parent = NodeParent(node); parent && IsCompositeNode(parent)) {
    Set_node_correlation_with_parent(parent, static_cast<float>(v));
  }
  Set_node_correlation_with_parent(node, static_cast<float>(v));
  if (NodeParent(node) != nullptr) tree.SetItemText(item, DepItemText(node, vineMode));
}

std::vector<TTreeItem> SelectedItems(TDepTreeAdapter& tree) {
  std::vector<TTreeItem> v;
  TTreeItem current = tree.Current();
  for (TTreeItem item : tree.Items())
    if (tree.IsMarked(item) || item == current) v.push_back(item);
  return v;
}

}  // namespace

// ---- the correlation edit ---------------------------------------------------------

TRankCheck CheckDeprank(const std::string& text, bool mark) {
  TRankCheck r;
  const std::string t = Trim(text);
  if (IsMissingText(t)) return r;
  r.IsNumber = TryParseNumber(r.Value, t);
  if (!mark) return r;
  if (!r.IsNumber) {
    r.Invalid = true;
    r.Hint = "Invalid value! Not a number";
  } else if (std::string refusal = Refusal(r.Value); !refusal.empty()) {
    r.Invalid = true;
    r.Hint = refusal;
  }
  return r;
}

TApplyOutcome ApplyTreeCorrelation(TWorkbench& wb, TDepTreeAdapter& tree, const std::string& text,
                                   bool vineMode) {
  TApplyOutcome out;
  TTreeItem current = tree.Current();
  out.Check = CheckDeprank(text, current != nullptr);
  if (current == nullptr || !out.Check.IsNumber || out.Check.Invalid) return out;
  const double v = out.Check.Value;
  std::vector<TTreeItem> items = SelectedItems(tree);
  ReleaseSavedStructure();
  SetModified(wb, true);
  CurrentUndoGroup group(wb.Undo);
  if (items.size() > 1) {
    for (TTreeItem item : items) SetNodeValue(tree, item, v, vineMode, group, true);
  } else {
    const std::string name = NodeObjectName(tree.ItemNode(current));
    SetNodeValue(tree, current, v, vineMode, group, !MergesWithTop(wb, name));
  }
  group.Push();
  out.Applied = true;
  return out;
}

TSelectionDescription DescribeTreeSelection(TDepTreeAdapter& tree, bool vineMode) {
  TSelectionDescription d;
  std::vector<TTreeItem> items = SelectedItems(tree);
  if (items.empty()) {
    d.Correlation = "N/A";
    d.CorrelationReadOnly = false;
    return d;
  }
  d.LabelsEnabled = true;
  if (items.size() == 1) {
    void* node = tree.ItemNode(items.front());
    d.NameReadOnly = false;
    d.CorrelationReadOnly = NodeParent(node) == nullptr || (vineMode && ShowsStructureName(node));
    d.Name = Cp437ToUtf8(NodeDisplayName(node, vineMode));
    d.Correlation =
        d.CorrelationReadOnly ? "N/A" : FormatNumber(Get_node_correlation_with_parent(node));
    return d;
  }
  // -3: no value yet; -2: the values differ.
  double common = -3;
  for (TTreeItem item : items) {
    void* node = tree.ItemNode(item);
    d.Name += Cp437ToUtf8(NodeDisplayName(node, vineMode)) + "; ";
    if (NodeParent(node) == nullptr) continue;
    d.CorrelationReadOnly = false;
    double r = Get_node_correlation_with_parent(node);
    if (common == -3)
      common = r;
    else if (common != r)
      common = -2;
  }
  if (d.CorrelationReadOnly)
    d.Correlation = "N/A";
  else
    d.Correlation = common == -2 ? "" : FormatNumber(common);
  return d;
}

// ---- the matrix grid ----------------------------------------------------------------

std::string MatrixCellText(double value) {
  if (SameMarker(value, CorrUnavailable)) return "BAD";
  if (SameMarker(value, CorrNotSet)) return "";
  return FormatCorrelation(value, CurrentDisplaySettings());
}

TCellColour MatrixCellColour(int row, int column, double value) {
  const bool marker = SameMarker(value, CorrNotSet) || SameMarker(value, CorrUnavailable);
  const bool outside = !marker && !(value > -1 && value < 1);
  if (row == column) return TCellColour::Grey;
  if (row > column) return outside ? TCellColour::DarkRed : TCellColour::Grey;
  return outside ? TCellColour::Red : TCellColour::Normal;
}

std::string MatrixEditText(double value) {
  if (SameMarker(value, CorrUnavailable) || SameMarker(value, CorrNotSet)) return "";
  return FormatCorrelation(value, CurrentDisplaySettings());
}

bool MatrixCellEditable(int row, int column, int members) {
  return row >= 1 && row < column && column <= members;
}

TCellEditOutcome SetMatrixCellText(TWorkbench& wb, const std::vector<void*>& members, int row,
                                   int column, const std::string& text) {
  TCellEditOutcome out;
  if (!MatrixCellEditable(row, column, static_cast<int>(members.size()))) return out;
  void* a = members[static_cast<std::size_t>(row - 1)];
  void* b = members[static_cast<std::size_t>(column - 1)];
  const double old = CMatrix_GetCell(a, b);
  const std::string t = Trim(text);
  double value = CorrNotSet;
  if (!t.empty()) {
    if (IsMissingText(t)) return out;
    if (!TryParseNumber(value, t)) {
      out.Refused = true;
      out.Hint = "Invalid value! Not a number";
      return out;
    }
    if (std::string refusal = Refusal(value); !refusal.empty()) {
      out.Refused = true;
      out.Hint = refusal;
      return out;
    }
  }
  if (!CMatrix_SetCell(a, b, value)) return out;
  out.Stored = true;
  if (static_cast<float>(CMatrix_GetCell(a, b)) == static_cast<float>(old)) return out;
  SetModified(wb, true);
  ReleaseSavedStructure();
  const std::string rowName = NodeObjectName(a), columnName = NodeObjectName(b);
  const auto* top = TopItem<TUndoCMxValue>(wb);
  if (top && top->First() == rowName && top->Second() == columnName) return out;
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoCMxValue>(rowName, old, columnName));
  group.Push();
  return out;
}

std::string MatrixAddressText(void* rowNode, void* columnNode, const std::string& message) {
  std::string text = std::string("(").append(Cp437ToUtf8(NodeObjectName(rowNode))) + ", " +
                     Cp437ToUtf8(NodeObjectName(columnNode)) + "):";
  if (!message.empty()) text += " " + message;
  return text;
}

int VerifyMatrix(TWorkbench& wb, const std::vector<void*>& members, TGridRect* cell) {
  if (!CheckMatrixCells(members, false, cell)) {
    wb.Prompt().Show(TMessageKind::Warning, "Some matrix cells are still not filled or invalid.");
    return 0;
  }
  if (CMatrix_Verify(false)) {
    wb.Prompt().Show(TMessageKind::Information, "OK, the matrix is positive definite.");
    return 1;
  }
  char message[256] = {};
  Vine_RetrieveErrorMessage(message);
  if (wb.Prompt().Ask(TMessageKind::Confirmation,
                      Cp437ToUtf8(message) + " Would you like to initialise it?",
                      BtnYesNo) == TAnswer::Yes) {
    CMatrix_Initialize();
    SetModified(wb, true);
    wb.Ui().RepaintDependenceGrid();
  }
  return 2;
}

bool InitializeMatrix(TWorkbench& wb, const std::vector<void*>& members) {
  if (CheckMatrixCells(members, true)) return false;
  if (wb.Prompt().Ask(TMessageKind::Warning,
                      "Are you sure you want to reset all data in the matrix?",
                      BtnYesNo) != TAnswer::Yes)
    return false;
  CMatrix_Initialize();
  SetModified(wb, true);
  wb.Ui().RepaintDependenceGrid();
  return true;
}

// ---- copula types -------------------------------------------------------------------

std::string CopulaTitle(int code) {
  char title[256] = {};
  GetCopulaTitle(code, title);
  return Cp437ToUtf8(title);
}

void StoreBivariateType(TWorkbench& wb, int code) {
  void* root = GetCurrentDependenceStructureRoot();
  const int nodes = Get_TSMObjectsNumber(ObjDependenceNode);
  const int rootType = root ? GetDependenceType(root) : 0;
  for (int k = 1; k <= nodes; ++k) {
    void* node = Get_TSMObject(k, ObjDependenceNode);
    if (root == nullptr || (ThisNodeInStructure(node) && GetDependenceType(node) == rootType) ||
        node == root)
      SetBivariateType(node, code);
  }
  SetModified(wb, true);
}

int ShownBivariateType() {
  if (void* root = GetCurrentDependenceStructureRoot()) return GetBivariateType(root);
  if (Get_TSMObjectsNumber(ObjDependenceNode) == 0) return -1;
  return GetBivariateType(Get_TSMObject(1, ObjDependenceNode));
}

// ---- structure names ----------------------------------------------------------------

bool IsReservedStructureName(const std::string& name) {
  std::string upper = name;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper == "ROOT" || upper.rfind("VINE~", 0) == 0) return true;
  if (upper.rfind("COMP_NODE", 0) == 0 && upper.size() > 9)
    return std::all_of(upper.begin() + 9, upper.end(), [](char c) { return c >= '0' && c <= '9'; });
  return false;
}

std::vector<std::string> StructureNames() {
  std::vector<std::string> names;
  const int nodes = Get_TSMObjectsNumber(ObjDependenceNode);
  for (int k = 1; k <= nodes; ++k) {
    void* node = Get_TSMObject(k, ObjDependenceNode);
    if (NodeChildCount(node) == 0) continue;
    void* parent = NodeParent(node);
    const bool treeRoot = parent == nullptr && GetDependenceType(node) == DepTree;
    const bool vineRoot = IsVineOrMatrix(node) && (parent == nullptr || IsCompositeNode(parent));
    const bool composite = IsCompositeNode(node) && parent == nullptr;
    if (!treeRoot && !vineRoot && !composite) continue;
    char name[256] = {};
    Get_TSMObjectName(ObjRootDependenceNode, node, name);
    std::string text = std::string(name).substr(0, 32);
    if (composite && !vineRoot) text = ("(T)" + text).substr(0, 32);
    names.push_back(Cp437ToUtf8(text));
  }
  return names;
}

std::string CheckStructureRename(const std::string& name) {
  if (Trim(name).empty()) return "The structure name must not be empty.";
  if (IsReservedStructureName(name)) return "\"" + name + "\" is a reserved name.";
  void* root = GetCurrentDependenceStructureRoot();
  char own[256] = {};
  if (root) Get_TSMObjectName(ObjRootDependenceNode, root, own);
  const std::string lower = LowerCase(Utf8ToCp437(name));
  for (const std::string& other : StructureNames())
    if (LowerCase(Utf8ToCp437(other)) == lower && LowerCase(own) != lower)
      return "A structure named \"" + name + "\" already exists.";
  return "";
}

// ---- the slider ---------------------------------------------------------------------

int SliderPosition(double correlation) {
  if (!std::isfinite(correlation)) return 0;
  return static_cast<int>(std::lround(std::clamp(correlation, -1.0, 1.0) * 20));
}

double SliderValue(int position) { return position * 0.05; }

}  // namespace tesmira::wb
