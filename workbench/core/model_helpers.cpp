#include "model_helpers.h"

#include <algorithm>

#include "cp437.h"
#include "model/short_string.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "tokenizer.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

TDisplaySettings CurrentDisplaySettings() {
  int16_t v[5];
  GetDisplaySettings(v);
  return {v[0], v[1], v[2], v[3], v[4]};
}

void SetCurrentDisplaySettings(const TDisplaySettings& s) {
  const int16_t v[5] = {static_cast<int16_t>(s.quantperdistrib), static_cast<int16_t>(s.fpformat),
                        static_cast<int16_t>(s.fpwidth), static_cast<int16_t>(s.fpprecision),
                        static_cast<int16_t>(s.fpprecisionCMX)};
  SetDisplaySettings(v);
}

std::string FormatNumber(double value) { return FormatNumber(value, CurrentDisplaySettings()); }

std::string FormatCorrelation(double value) {
  return FormatCorrelation(value, CurrentDisplaySettings());
}

int GetHeaderModelType() {
  void* header = nullptr;
  GetFileHeader("", &header);
  return header ? static_cast<TTsmFileHeader*>(header)->modelType : ModelTypeFormula;
}

void SetHeaderModelType(int type) {
  void* header = nullptr;
  GetFileHeader("", &header);
  if (header == nullptr) return;
  TTsmFileHeader copy = *static_cast<TTsmFileHeader*>(header);
  copy.modelType = type;
  SetFileHeader(&copy);
}

void SetModified(TWorkbench& wb, bool modified, bool) {
  if (wb.CurrentFileKind == FileKindOutputFile || wb.CurrentFileKind == FileKindSampleFile) {
    wb.Modified = false;
    return;
  }
  if (modified) wb.ReportAvailable = false;
  wb.Modified = modified;
  wb.Ui().UpdateSaveButton();
}

int FirstSampleFileVariable() {
  if (Get_TSMObjectsNumber(ObjRandomVariable) < 1) return -1;
  auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(1, ObjRandomVariable));
  return rv && rv->distribution.distType == DistSampleFile ? 1 : -1;
}

bool IsSampleInputModel() { return FirstSampleFileVariable() == 1; }

int VariableIndexByName(int kind, const std::string& name) {
  if (kind != ObjRandomVariable) throw EWorkbenchError("tsmName2Idx for unknown DT");
  std::string cut = name.substr(0, MaxNameLength);
  return Get_TSMObjectIndex(Fetch_extended_random_variable(0, cut.c_str()), ObjRandomVariable);
}

namespace {

// The decimal digit string plus one ("0099" gives "100").
std::string CountUp(std::string digits) {
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0 && digits[i] == '9') digits[i--] = '0';
  if (i >= 0) {
    ++digits[i];
  } else {
    digits.insert(digits.begin(), '1');
  }
  std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? "0" : digits.substr(first);
}

bool NameTaken(const std::string& name) {
  int32_t kind = 0;
  return Object_exists(name.c_str(), &kind) != 0;
}

std::string Utf8(std::string_view cp437) { return Cp437ToUtf8(cp437); }

}  // namespace

std::string UniqueObjectName(const std::string& name, int kind) {
  std::string start = name;
  if (start.empty()) start = kind == ObjDependenceNode ? "LATENT0" : "V0";
  std::size_t cut = start.find_last_not_of("0123456789") + 1;  // npos + 1 == 0
  std::string base = start.substr(0, cut);
  std::string number = cut < start.size() ? CountUp(start.substr(cut)) : "1";
  for (int guard = 0; guard < 1000000; ++guard, number = CountUp(number))
    if (!NameTaken(base + number)) return base + number;
  return base + number;
}

bool IsFileBasedDistribution(int t) {
  return t == DistFile100 || t == DistSampleFile || t == DistFile1000 || t == DistFile10000;
}

namespace {
// Characters the file-name field holds: 253 for type 11, 126 for the others.
std::size_t FileNameCapacity(const TExtendedRandomVariable& rv) {
  return rv.distribution.distType == DistFile100 ? 253 : 126;
}
}  // namespace

std::string GetDistributionFileName(const TExtendedRandomVariable& rv) {
  return std::string(ShortStringView(rv.distribution.u.fileName, FileNameCapacity(rv)));
}

std::string GetProbabilityFileName(const TExtendedRandomVariable& rv) {
  if (rv.distribution.distType != DistSampleFile) return "";
  return std::string(ShortStringView(rv.distribution.u.sample.probabilityFile));
}

void SetDistributionFileName(TExtendedRandomVariable& rv, const std::string& name) {
  SetShortString(rv.distribution.u.fileName, FileNameCapacity(rv), name);
}

namespace {

// Rewrites the distribution file name of the n-th variable when it is linked
// and file-based.
template <typename F>
void RewriteLinkedFileName(int n, F rewrite) {
  if (IsLinkedTSMObject(n, ObjRandomVariable) <= 0) return;
  auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(n, ObjRandomVariable));
  if (rv == nullptr || !IsFileBasedDistribution(rv->distribution.distType)) return;
  TExtendedRandomVariable copy = *rv;
  SetDistributionFileName(copy, rewrite(n, GetDistributionFileName(copy)));
  TExtendedRandomVariable* out = nullptr;
  Update_extended_random_variable(&copy, &out, "", false);
}

}  // namespace

void ResolveLinkedDistributionFiles(const TWorkbench& wb) {
  int count = Get_TSMObjectsNumber(ObjRandomVariable);
  for (int n = 1; n <= count; ++n)
    RewriteLinkedFileName(n, [&](int i, const std::string& name) {
      char linked[256] = {};
      GetLinkedFile(i, ObjRandomVariable, linked);
      return AbsoluteFromModel(name, ExtractFileFolder(linked), wb.CurrentFileName);
    });
}

void RelativizeDistributionFile(const TWorkbench& wb, int index) {
  RewriteLinkedFileName(index, [&](int, const std::string& name) {
    return RelativeToModel(name, wb.CurrentFileName, wb.CurrentFileName);
  });
}

void RelativizeAllDistributionFiles(const TWorkbench& wb) {
  int count = Get_TSMObjectsNumber(ObjRandomVariable);
  for (int n = 1; n <= count; ++n) RelativizeDistributionFile(wb, n);
}

int ResolveFormulaReference(std::string& reference) {
  for (int i = Get_TSMObjectsNumber(ObjFormula); i >= 1; --i) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(i, ObjFormula));
    if (f == nullptr) continue;
    std::string_view name = ShortStringView(f->name);
    if (SameName(name, reference) && reference.size() <= MaxNameLength) return i;
    if (!reference.empty() && reference[0] == ' ') {
      std::string shown(1, ' ');
      shown.append(ShortStringView(f->text)).append(ShortStringView(f->description));
      if (LowerCase(shown) == LowerCase(reference)) {
        reference = std::string(name);
        return i;
      }
    }
  }
  return 0;
}

std::string RenameReferences(int skipIndex, const std::string& oldName,
                             const std::string& newName) {
  std::string updated, notUpdated;
  auto add = [](std::string& list, std::string_view name) {
    if (!list.empty()) list += ", ";
    list.append(1, '"').append(Utf8(name)).append(1, '"');
  };
  const TTok pattern{TokId, oldName};
  const TUdf* skip = skipIndex > 0 ? Fetch_UDF(skipIndex, "") : nullptr;
  // In list order, so that the message names the formulas as the list shows them.
  const int count = Get_TSMObjectsNumber(ObjFormula);
  for (int i = 1; i <= count; ++i) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(i, ObjFormula));
    if (f == nullptr || f == skip) continue;
    std::string_view text = ShortStringView(f->text);
    std::string_view name = ShortStringView(f->name);
    if (IsLinkedTSMObject(i, ObjFormula) > 0) {
      if (FindToken(pattern, text) != 0) add(notUpdated, name);
      continue;
    }
    std::string rewritten;
    bool changed = false;
    ReplaceToken(pattern, newName, text, rewritten, changed);
    if (!changed) continue;
    // A text that no longer fits the field is left as it was.
    if (rewritten.size() > 255) {
      add(notUpdated, name);
      continue;
    }
    TUdf copy = *f;
    SetShortString(copy.text, rewritten);
    TUdf* out = nullptr;
    Update_UDF(&copy, &out, "");
    add(updated, name);
  }
  if (!updated.empty() && !notUpdated.empty())
    return "Name reference was updated in UDF(s) named: " + updated + ", but NOT for " +
           notUpdated + " due to the linked status.";
  if (!notUpdated.empty())
    return "Name reference update failed in UDF(s) named: " + notUpdated +
           " due to the linked status.";
  if (!updated.empty()) return "Name reference was updated in UDF(s) named: " + updated + ".";
  return "";
}

namespace {

std::string NodeName(void* node) {
  char out[256] = {};
  GetDepNodeName(node, out);
  return out;
}

}  // namespace

int ExtraNodeIndex(void* node) {
  if (node == nullptr) return -1;
  int count = 0;
  int nodes = Get_TSMObjectsNumber(ObjDependenceNode);
  for (int k = 1; k <= nodes; ++k) {
    void* other = Get_TSMObject(k, ObjDependenceNode);
    if (other == node) return Get_TSMObjectsNumber(ObjRandomVariable) + 1 + count;
    if (Variable_exists(NodeName(other).c_str()) == 0) ++count;
  }
  return -1;
}

void* NthExtraNode(int n) {
  int nodes = Get_TSMObjectsNumber(ObjDependenceNode);
  for (int k = 1, count = 0; k <= nodes; ++k) {
    void* node = Get_TSMObject(k, ObjDependenceNode);
    if (Variable_exists(NodeName(node).c_str()) == 0 && ++count == n) return node;
  }
  return nullptr;
}

bool ShowsStructureName(void* node) {
  if (node == nullptr) return false;
  int32_t children = 0;
  Process_dep_node(node, nullptr, &children, DepNodeCount);
  if (children <= 0 || !IsVineOrMatrix(node)) return false;
  void* parent = nullptr;
  Process_dep_node(node, &parent, nullptr, DepNodeParent);
  return parent == nullptr || IsCompositeNode(parent);
}

std::string StructureNodeCaption(void* node) {
  char name[256] = {};
  Get_TSMObjectName(ObjRootDependenceNode, node, name);
  return "(V) " + std::string(name).substr(0, 36);
}

std::string DependenceNodeCaption(TWorkbench& wb, void* node, bool withCorrelation,
                                  bool withIndex) {
  char name[256] = {};
  Get_TSMObjectName(ObjDependenceNode, node, name);
  std::string text = name;
  bool structure = ShowsStructureName(node);
  if ((withCorrelation || wb.Ui().DependenceTreeButtonDown()) && structure)
    text = StructureNodeCaption(node);
  if (withIndex && !(withCorrelation && structure)) {
    int index = Variable_exists(text.c_str()) != 0 ? VariableIndexByName(ObjRandomVariable, text)
                                                   : ExtraNodeIndex(node);
    text = std::to_string(index) + ". " + text;
  }
  if (withCorrelation)
    text = std::string(1, '(')
               .append(FormatCorrelation(Get_node_correlation_with_parent(node),
                                         CurrentDisplaySettings()))
               .append(") ")
               .append(text);
  return text;
}

void* CreateNamedDependenceNode(const std::string& name) {
  std::string cut = name.substr(0, MaxNameLength);
  if (IsNodeDesign2()) {
    TDepNodeV2* record = NewDepNodeV2();
    SetShortString(record->varName, cut);
    Create_TSMObject(ObjDependenceNode, record);
    Free_record(record);
  } else {
    TDepNodeV1* record = Init_dep_node();
    Dep_node_init(record);
    SetShortString(record->varName, cut);
    Create_TSMObject(ObjDependenceNode, record);
    Free_record(record);
  }
  return Fetch_dep_node(0, cut.c_str());
}

bool IsLatent(void* node) { return IsLatentNode(node); }

int TreeIndexOfNode(IDependenceTree& tree, void* node) {
  if (node == nullptr) return 0;
  std::vector<TTreeItem> items = tree.Items();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (tree.ItemNode(items[i]) == node) return static_cast<int>(i) + 1;
  return 0;
}

void ReparentTreeItems(TWorkbench& wb) {
  IDependenceTree& tree = wb.Ui().DependenceTree();
  // The structure's members are taken before any is detached: a detached
  // node's children no longer count as members.
  std::vector<void*> members;
  int nodes = Get_TSMObjectsNumber(ObjDependenceNode);
  for (int k = 1; k <= nodes; ++k) {
    void* node = Get_TSMObject(k, ObjDependenceNode);
    if (ThisNodeInStructure(node)) members.push_back(node);
  }
  for (void* node : members) {
    TTreeItem item = tree.FindItem(node);
    if (item == nullptr) continue;
    void* parent = nullptr;
    Process_dep_node(node, &parent, nullptr, DepNodeDetach);
    if (parent == nullptr || tree.ParentItem(item) != nullptr) continue;
    TTreeItem parentItem = tree.FindItem(parent);
    if (parentItem == nullptr)
      parentItem = tree.InsertFirstSibling(
          item, Utf8(DependenceNodeCaption(wb, parent, true, false)), parent);
    tree.MoveUnder(item, parentItem);
  }
  for (TTreeItem item : tree.Items()) {
    TTreeItem parentItem = tree.ParentItem(item);
    if (parentItem == nullptr) continue;
    void* parent = tree.ItemNode(parentItem);
    Process_dep_node(tree.ItemNode(item), &parent, nullptr, DepNodeAttach);
  }
}

bool CheckMatrixCells(const std::vector<void*>& nodes, bool wantEmpty, TGridRect* cell) {
  const std::size_t n = nodes.size();
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 1; j < n; ++j) {
      double v = CMatrix_GetCell(nodes[i], nodes[j]);
      // Cells are kept in single precision: compare the markers as singles.
      float x = static_cast<float>(v);
      bool empty = x == static_cast<float>(CorrNotSet) || x == static_cast<float>(CorrUnavailable);
      if (empty != wantEmpty) {
        if (cell) {
          cell->Left = cell->Right = static_cast<int>(j) + 1;
          cell->Top = cell->Bottom = static_cast<int>(i) + 1;
        }
        return false;
      }
    }
  return true;
}

}  // namespace tesmira::wb
