#include "dependence_fill.h"

#include "cp437.h"
#include "main_view.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"

namespace tesmira::wb {

namespace {

void* NodeRoot(void* node) {
  void* root = nullptr;
  if (!Process_dep_node(node, &root, nullptr, DepNodeRoot)) return nullptr;
  return root;
}

void* FirstChild(void* node) {
  void* child = nullptr;
  int32_t index = 1;
  if (!Process_dep_node(node, &child, &index, DepNodeChild)) return nullptr;
  return child;
}

std::vector<void*> ChildNodes(void* node) {
  std::vector<void*> v;
  const int n = NodeChildCount(node);
  for (int32_t k = 1; k <= n; ++k) {
    void* child = nullptr;
    int32_t index = k;
    if (Process_dep_node(node, &child, &index, DepNodeChild) && child) v.push_back(child);
  }
  return v;
}

struct TStructureAdder {
  TDepTreeAdapter& tree;
  bool vineMode;
  bool markSelected;

  void Add(TTreeItem parent, void* node) {
    void* nodeParent = NodeParent(node);
    const bool own = vineMode || (!IsVineOrMatrix(node) && !IsCompositeNode(node)) ||
                     (IsVine(node) && nodeParent && IsCompositeNode(nodeParent));
    TTreeItem last = parent;
    if (own) {
      last = tree.InsertItem(parent, -1, DepItemText(node, vineMode), node);
      if (markSelected &&
          IsSelectedTSMObject(Get_TSMObjectIndex(node, ObjDependenceNode), ObjDependenceNode) > 0)
        tree.SetMarked(last, true);
    }
    for (void* child : ChildNodes(node)) Add(last, child);
  }
};

}  // namespace

int FillDependenceTree(TDepTreeAdapter& tree, const TFillOptions& o) {
  while (TTreeItem root = tree.FirstItem()) tree.DeleteItem(root);
  for (void* node : tree.ListNodes()) tree.RemoveAvailableNode(node);
  tree.VineMode = o.VineMode;
  Update_TSMObjects(ObjDependenceNode);
  const int n = Get_TSMObjectsNumber(ObjDependenceNode);
  const int s = GetNumberOfNodesInStructure();
  if (n == 0) return 0;
  TStructureAdder adder{tree, o.VineMode, o.ProgrammaticSelection};
  // The structure current before the fill stays current when it is shown.
  void* kept = GetCurrentDependenceStructureRoot();
  bool keptShown = false;
  bool listed = false;
  for (int k = 1; k <= n; ++k) {
    void* q = Get_TSMObject(k, ObjDependenceNode);
    const bool exposedRoot = ShowsStructureName(q);
    const bool exposed = o.VineMode && (exposedRoot || IsCompositeNode(q));
    void* parent = NodeParent(q);
    if (parent != nullptr &&
        !(exposed && (GetDependenceType(parent) == DepTree || IsCompositeNode(parent))))
      continue;
    const int children = NodeChildCount(q);
    const bool latent = IsLatentNode(q);
    // Setting a type walks the whole model: only where it changes.
    if (children == 0 && !o.VineMode && !latent && !IsCompositeNode(q) &&
        GetDependenceType(q) != DepTree)
      SetDependenceType(q, DepTree);
    if (children > 0) {
      const int type = GetDependenceType(q);
      if (o.VineMode && type == DepTree && parent == nullptr) continue;
      if (!o.VineMode && type == DepCorrelationMatrix) continue;
      if (o.VineMode && !ThisNodeInStructure(q)) continue;
    }
    if (!o.VineMode && exposedRoot && !GetExposedVinesInTrees()) continue;
    if ((children == 0 || (!o.VineMode && exposedRoot)) && !latent) {
      std::string name = NodeObjectName(q);
      int index = Variable_exists(name.c_str()) != 0 ? VariableIndexByName(ObjRandomVariable, name)
                                                     : ExtraNodeIndex(q);
      tree.AddAvailableNode(FormatIndexCaption(ObjRandomVariable, index),
                            Cp437ToUtf8(NodeDisplayName(q, o.VineMode)), q);
      listed = true;
      continue;
    }
    if (!o.VineMode || s > 0) {
      keptShown = keptShown || q == kept;
      adder.Add(nullptr, q);
      SetCurrentDependenceStructureRoot(q, nullptr);
      if (o.LastRoot) o.LastRoot(q);
    }
  }
  if (listed) tree.SortAvailableNodes();
  std::vector<TTreeItem> items = tree.Items();
  for (TTreeItem item : items) tree.Expand(item);
  TTreeItem select = items.empty() ? nullptr : items.front();
  if (keptShown && GetCurrentDependenceStructureRoot() != kept) {
    SetCurrentDependenceStructureRoot(kept, nullptr);
    if (o.LastRoot) o.LastRoot(kept);
    select = tree.FindItem(kept);
  }
  if (o.ProgrammaticSelection)
    for (TTreeItem item : items)
      if (tree.IsMarked(item)) {
        select = item;
        break;
      }
  tree.SetCurrent(select);
  return static_cast<int>(items.size());
}

std::vector<void*> MatrixMembers() {
  std::vector<void*> members;
  void* root = GetCurrentDependenceStructureRoot();
  const int n = Get_TSMObjectsNumber(ObjDependenceNode);
  const int s = GetNumberOfNodesInStructure();
  if (root != nullptr && s > 0 && s < n) {
    members.push_back(root);
    if (NodeChildCount(root) < 2) {
      for (void* c = FirstChild(root); c != nullptr && members.size() <= std::size_t(n);
           c = FirstChild(c))
        members.push_back(c);
    } else {
      for (void* c : ChildNodes(root)) members.push_back(c);
    }
    return members;
  }
  for (int k = 1; k <= n; ++k) {
    void* q = Get_TSMObject(k, ObjDependenceNode);
    if (IsLatentNode(q) || IsCompositeNode(q) || GetDependenceType(q) != DepCorrelationMatrix)
      continue;
    const bool inStructure = ThisNodeInStructure(q);
    if (q != root && NodeParent(q) == nullptr && inStructure) continue;
    if (q != root && NodeRoot(q) != root && inStructure) continue;
    members.push_back(q);
  }
  return members;
}

}  // namespace tesmira::wb
