#include "dependence_edit.h"

#include <algorithm>
#include <memory>

#include "cp437.h"
#include "main_view.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "undo_items.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

constexpr unsigned kDropFlags =
    HitNowhere | HitOnItem | HitOnButton | HitOnIcon | HitOnIndent | HitOnRight;

bool Has(unsigned flags, unsigned any) { return (flags & any) != 0; }

// The caption of a node's list item: its variable's index in the "#" format.
std::string ListCaption(void* node) {
  std::string name = NodeObjectName(node);
  int index = Variable_exists(name.c_str()) != 0 ? VariableIndexByName(ObjRandomVariable, name)
                                                 : ExtraNodeIndex(node);
  return FormatIndexCaption(ObjRandomVariable, index);
}

}  // namespace

unsigned TreeHitFlags(int x, bool rowFound, int depth, int indentation, int labelLeft,
                      int labelRight) {
  if (!rowFound) return HitNowhere;
  if (x < depth * indentation) return HitOnIndent;
  if (x < labelLeft) return HitOnItem | HitOnIcon;
  if (x < labelRight) return HitOnItem | HitOnLabel;
  return HitOnRight;
}

unsigned RootLabelHitFlags(unsigned flags, bool isRoot, int x, int labelLeft, int labelWidth,
                           int labelHeight) {
  if (!isRoot || !Has(flags, HitOnItem | HitOnIcon)) return flags;
  return x < labelLeft + std::min(labelHeight, labelWidth / 2) ? unsigned(HitOnButton) : flags;
}

int DragCursorNumber(unsigned flags, bool several, bool shift) {
  int n = 0;
  if (Has(flags, HitOnItem | HitOnIcon))
    n = 5;
  else if (Has(flags, HitNowhere))
    n = 11;
  else if (Has(flags, HitOnIndent | HitOnButton))
    n = several ? 9 : 13;
  else if (Has(flags, HitOnRight))
    n = several ? 7 : 15;
  return n != 0 && shift ? n + 1 : n;
}

// ---- moving one item with its node -----------------------------------------------

void TDepTreeEditor::RefreshText(TTreeItem item) {
  tree_.SetItemText(item, DepItemText(tree_.ItemNode(item), VineMode));
}

void TDepTreeEditor::NextOrderStamp(void* node) {
  wb_.NodeOrderCounter = (wb_.NodeOrderCounter + 1) & 0xFFFF;
  SetDepNodeOrder(node, static_cast<int16_t>(wb_.NodeOrderCounter));
}

void TDepTreeEditor::BecomeRoot(void* node) {
  SetCurrentDependenceStructureRoot(node, Utf8ToCp437(StructureName).c_str());
  if (LastRootHook) LastRootHook(node);
}

bool TDepTreeEditor::Reparent(TTreeItem item, TTreeItem parent, int index, uint8_t code,
                              CurrentUndoGroup* group) {
  if (parent != nullptr && tree_.IsInSubtree(parent, item)) return false;
  void* node = tree_.ItemNode(item);
  void* oldParent = NodeParent(node);
  TTreeItem oldParentItem = tree_.ParentItem(item);
  const int oldIndex = tree_.IndexInParent(item);
  void* newParent = parent ? tree_.ItemNode(parent) : nullptr;
  void* former = nullptr;
  Process_dep_node(node, &former, nullptr, DepNodeDetach);
  tree_.MoveItem(item, parent, index);
  if (newParent != nullptr) {
    void* target = newParent;
    if (!Process_dep_node(node, &target, nullptr, DepNodeAttach)) {
      // A link the engine refuses (a loop) leaves the item where it was.
      tree_.MoveItem(item, oldParentItem, oldIndex);
      if (oldParent != nullptr) {
        void* back = oldParent;
        Process_dep_node(node, &back, nullptr, DepNodeAttach);
      }
      return false;
    }
  }
  if (group != nullptr)
    group->AddItem(std::make_unique<TUndoDepNode>(code, node, tree_.IsMarked(item),
                                                  NodeObjectName(newParent),
                                                  NodeObjectName(oldParent), NodeObjectName(node)));
  RefreshText(item);
  return true;
}

void TDepTreeEditor::LiftChildren(TTreeItem item, CurrentUndoGroup& group) {
  // An exposed structure root keeps its members.
  if (ShowsStructureName(tree_.ItemNode(item))) return;
  TTreeItem destination = tree_.ParentItem(item);
  while (destination != nullptr && tree_.IsMarked(destination))
    destination = tree_.ParentItem(destination);
  for (TTreeItem child : tree_.Children(item))
    Reparent(child, destination, -1, UndoNodeMoved, &group);
}

int TDepTreeEditor::SyncDirectoryOrder(TTreeItem reference, CurrentUndoGroup* group) {
  std::vector<TTreeItem> siblings = tree_.Children(reference);
  const std::size_t n = siblings.size();
  std::vector<void*> nodes(n);
  std::vector<int> position(n);
  for (std::size_t i = 0; i < n; ++i) {
    nodes[i] = tree_.ItemNode(siblings[i]);
    position[i] = Get_TSMObjectIndex(nodes[i], ObjDependenceNode);
  }
  int swaps = 0;
  for (std::size_t a = 0; a < n; ++a)
    for (std::size_t b = a + 1; b < n; ++b) {
      if (position[b] <= 0 || position[a] <= 0 || position[b] >= position[a]) continue;
      Swap_TSMObjects(position[a], position[b], ObjDependenceNode);
      if (group != nullptr)
        group->AddItem(
            std::make_unique<TUndoDepNodeSwap>(NodeObjectName(nodes[a]), NodeObjectName(nodes[b])));
      std::swap(position[a], position[b]);
      ++swaps;
    }
  return swaps;
}

void TDepTreeEditor::Finish(TTreeItem reference, CurrentUndoGroup& group, bool moved) {
  if (tree_.SortMode == TreeSortDirectory) SyncDirectoryOrder(reference, &group);
  moved = moved || group.Count() > 0;
  group.Push();
  if (moved) SetModified(wb_, true);
  Update_TSMObjects(ObjDependenceNode);
  TTreeItem selected = tree_.Current();
  if (selected != nullptr && tree_.ParentItem(selected) == nullptr) {
    SetCurrentDependenceStructureRoot(tree_.ItemNode(selected), nullptr);
    if (LastRootHook) LastRootHook(tree_.ItemNode(selected));
  }
}

// ---- drops -----------------------------------------------------------------------

bool TDepTreeEditor::AddFromList(int x, int y) {
  TDropRequest r;
  r.Source = TDropSource::List;
  r.RealDrag = false;
  r.Target = tree_.Current();
  r.Flags = x != 0 ? unsigned(HitOnItem) : unsigned(HitNowhere);
  if (x != 0 && r.Target == nullptr) r.Flags = HitNowhere;
  r.ListItem = y - 1;
  return DropIntoTree(r);
}

bool TDepTreeEditor::DropIntoTree(const TDropRequest& r) {
  const uint8_t moveFlag = r.Source == TDropSource::Tree ? UndoNodeMoved : 0;
  const bool vineLayout = VineMode && (VineType == 2 || VineType == 3);
  if (r.Source == TDropSource::List) {
    std::vector<void*> nodes = tree_.ListSelection();
    if (r.ListItem >= 0) {
      std::vector<void*> all = tree_.ListNodes();
      if (r.ListItem >= static_cast<int>(all.size())) return false;
      nodes = {all[static_cast<std::size_t>(r.ListItem)]};
    }
    if (nodes.size() != 1) return DropSeveral(r, nodes);
    if (!vineLayout && !Has(r.Flags, kDropFlags)) return false;
    // The node becomes a root item first; that item then moves.
    void* node = nodes.front();
    Set_node_correlation_with_parent(node, 0);
    if (vineLayout) SetDependenceType(node, VineType);
    tree_.RemoveAvailableNode(node);
    TTreeItem item = tree_.InsertItem(nullptr, -1, DepItemText(node, VineMode), node);
    tree_.SetCurrent(item);
    return DropItem(item, r, moveFlag);
  }
  TTreeItem item = tree_.Current();
  if (item == nullptr) return false;
  return DropItem(item, r, moveFlag);
}

bool TDepTreeEditor::DropItem(TTreeItem item, const TDropRequest& r, uint8_t moveFlag) {
  CurrentUndoGroup group(wb_.Undo);
  TTreeItem target = r.Target;
  if (VineMode && (VineType == 2 || VineType == 3)) {
    bool before = r.Source == TDropSource::List ? r.Ctrl : false;
    if (r.Source == TDropSource::Tree && target != nullptr) {
      std::vector<TTreeItem> order = tree_.Items();
      before = std::find(order.begin(), order.end(), target) <
               std::find(order.begin(), order.end(), item);
    }
    if (VineType == 2)
      DropCanonical(item, target, before, r, moveFlag, group);
    else
      DropDVine(item, target, before, moveFlag, group);
    if (target != nullptr) RefreshText(target);
    RefreshText(item);
    Finish(tree_.FirstItem(), group, true);
    return true;
  }
  // A new list item that ended nowhere still counts as moved into the tree.
  if (moveFlag == 0 && Has(r.Flags, HitNowhere))
    group.AddItem(std::make_unique<TUndoDepNode>(UndoNodeAdded, tree_.ItemNode(item),
                                                 tree_.IsMarked(item), "", "",
                                                 NodeObjectName(tree_.ItemNode(item))));
  else if (!DropTreeMode(item, target, r.Flags, r, moveFlag, group))
    return false;
  if (!VineMode) {
    void* node = tree_.ItemNode(item);
    if (!IsVine(node) && !IsCompositeNode(node) && !IsLatentNode(node))
      SetDependenceType(node, DepTree);
  } else {
    SetDependenceType(tree_.ItemNode(item), VineType);
  }
  tree_.Expand(item);
  tree_.SetCurrent(item);
  Finish(tree_.ParentItem(item), group, true);
  return true;
}

bool TDepTreeEditor::DropTreeMode(TTreeItem item, TTreeItem target, unsigned flags,
                                  const TDropRequest& r, uint8_t moveFlag,
                                  CurrentUndoGroup& group) {
  if (!Has(flags, kDropFlags)) return false;
  TTreeItem parent = nullptr;
  int index = -1;
  enum { AsChild, AsRoot, AsParent, AsParentOfChildren, AsSibling } how;
  if (Has(flags, HitOnItem | HitOnIcon)) {
    how = AsChild;
    parent = target;
  } else if (Has(flags, HitNowhere)) {
    how = AsRoot;
  } else if (Has(flags, HitOnIndent | HitOnButton)) {
    how = r.Ctrl ? AsSibling : AsParent;
    if (target != nullptr) {
      parent = tree_.ParentItem(target);
      index = tree_.IndexInParent(target);
    }
  } else {
    how = r.Ctrl ? AsSibling : AsParentOfChildren;
    parent = target;
    if (r.Ctrl && target != nullptr) {
      parent = tree_.ParentItem(target);
      TTreeItem next = tree_.NextSibling(target);
      index = next ? tree_.IndexInParent(next) : -1;
    }
  }
  if (how != AsRoot && target == nullptr) return false;
  // A drop onto the item itself or into its own subtree would make a loop:
  // nothing changes.
  if (how != AsRoot && tree_.IsInSubtree(target, item)) return false;
  if (moveFlag != 0 && !r.Shift) LiftChildren(item, group);
  // Counted again: the lifts may have moved the target's siblings.
  if (how == AsParent || (how == AsSibling && Has(flags, HitOnIndent | HitOnButton)))
    index = tree_.IndexInParent(target);
  else if (how == AsSibling) {
    TTreeItem next = tree_.NextSibling(target);
    index = next ? tree_.IndexInParent(next) : -1;
  }
  if (tree_.ParentItem(item) == parent && index > tree_.IndexInParent(item)) --index;
  if (!Reparent(item, parent, index, static_cast<uint8_t>(moveFlag | UndoNodeAdded), &group))
    return false;
  if (how == AsParent) {
    Reparent(target, item, -1, UndoNodeMoved | UndoNodeAdded, &group);
  } else if (how == AsParentOfChildren) {
    for (TTreeItem child : tree_.Children(target))
      if (child != item) Reparent(child, item, -1, UndoNodeMoved | UndoNodeAdded, &group);
  }
  return true;
}

bool TDepTreeEditor::DropSeveral(const TDropRequest& r, std::vector<void*> nodes) {
  if (nodes.empty()) return false;
  TTreeItem target = r.Target;
  unsigned flags = r.Flags;
  const bool vineLayout = VineMode && (VineType == 2 || VineType == 3);
  if (vineLayout && VineType == 2) {
    if (target == nullptr) {
      flags = HitNowhere;
    } else {
      flags = HitOnItem;
      if (TTreeItem p = tree_.ParentItem(target)) target = p;
    }
  } else if (vineLayout) {
    flags = target ? unsigned(HitOnItem) : unsigned(HitNowhere);
  }
  if (!Has(flags, kDropFlags)) return false;
  const uint8_t code = UndoNodeAdded;
  const bool noTarget = target == nullptr;
  CurrentUndoGroup group(wb_.Undo);
  TTreeItem item = nullptr;
  for (void* node : nodes) {
    Set_node_correlation_with_parent(node, 0);
    tree_.RemoveAvailableNode(node);
    TTreeItem parent = nullptr;
    int index = -1;
    if (Has(flags, HitOnItem | HitOnIcon)) {
      parent = target;
      tree_.Expand(target);
    } else if (Has(flags, HitNowhere)) {
      parent = nullptr;
    } else if (Has(flags, HitOnIndent | HitOnButton)) {
      parent = tree_.ParentItem(target);
      index = tree_.IndexInParent(target);
    } else if (TTreeItem next = tree_.NextSibling(target)) {
      parent = tree_.ParentItem(next);
      index = tree_.IndexInParent(next);
      target = next;
    } else {
      parent = tree_.ParentItem(target);
      target = parent;
      flags = parent ? unsigned(HitOnItem) : unsigned(HitNowhere);
    }
    item = tree_.InsertItem(parent, index, "", node);
    if (VineMode)
      SetDependenceType(node, VineType);
    else if (!IsVine(node) && !IsCompositeNode(node))
      SetDependenceType(node, DepTree);
    if (parent != nullptr) {
      void* p = tree_.ItemNode(parent);
      Process_dep_node(node, &p, nullptr, DepNodeAttach);
    } else {
      BecomeRoot(node);
    }
    RefreshText(item);
    tree_.Expand(item);
    group.AddItem(std::make_unique<TUndoDepNode>(
        code, node, false, NodeObjectName(NodeParent(node)), "", NodeObjectName(node)));
    if (noTarget && vineLayout && VineType == 2) {
      target = tree_.FirstItem();
      flags = HitOnItem;
    } else if (vineLayout && VineType == 3) {
      target = item;
      flags = HitOnItem;
    }
  }
  TTreeItem parent = tree_.ParentItem(item);
  if (r.RealDrag) tree_.SetCurrent(parent ? parent : item);
  Finish(parent, group, true);
  return true;
}

void TDepTreeEditor::DropCanonical(TTreeItem item, TTreeItem target, bool before,
                                   const TDropRequest& r, uint8_t moveFlag,
                                   CurrentUndoGroup& group) {
  const uint8_t code = static_cast<uint8_t>(moveFlag | UndoNodeAdded);
  TTreeItem first = tree_.FirstItem();
  if (before) {
    Reparent(item, nullptr, -1, code, &group);
    if (target == first && target != nullptr && target != item) {
      for (TTreeItem child : tree_.Children(target))
        if (child != item) Reparent(child, item, -1, UndoNodeMoved, &group);
      Reparent(target, item, 0, UndoNodeMoved, &group);
      tree_.MoveItem(item, nullptr, 0);
      NextOrderStamp(tree_.ItemNode(item));
    } else if (target != nullptr && target != item) {
      Reparent(item, tree_.ParentItem(target), tree_.IndexInParent(target), code, &group);
    }
  } else {
    if (item == first) {
      std::vector<TTreeItem> kids = tree_.Children(item);
      if (!kids.empty()) {
        Reparent(kids.front(), nullptr, 0, UndoNodeMoved, &group);
        for (std::size_t k = 1; k < kids.size(); ++k)
          Reparent(kids[k], kids.front(), -1, UndoNodeMoved, &group);
      }
      NextOrderStamp(tree_.ItemNode(item));
    }
    Reparent(item, nullptr, -1, code, &group);
    TTreeItem root = tree_.FirstItem();
    if (root != nullptr && root != item && (target != nullptr || item != tree_.FirstItem())) {
      if (target == root && r.RealDrag) {
        Reparent(item, root, 0, code, &group);
      } else if (target != nullptr && target != item &&
                 (tree_.ParentItem(target) != nullptr || r.RealDrag)) {
        TTreeItem next = tree_.NextSibling(target);
        TTreeItem parent = tree_.ParentItem(target) ? tree_.ParentItem(target) : root;
        Reparent(item, parent, next ? tree_.IndexInParent(next) : -1, code, &group);
      } else {
        Reparent(item, root, -1, code, &group);
        if (target != nullptr && IsNodeDesign2())
          SetDepNodeOrder(tree_.ItemNode(item),
                          static_cast<TDepNodeV2*>(tree_.ItemNode(target))->orderStamp);
      }
    }
  }
  void* node = tree_.ItemNode(item);
  SetDependenceType(node, DepCanonicalVine);
  if (NodeParent(node) == nullptr) BecomeRoot(node);
}

void TDepTreeEditor::DropDVine(TTreeItem item, TTreeItem target, bool before, uint8_t moveFlag,
                               CurrentUndoGroup& group) {
  const uint8_t code = static_cast<uint8_t>(moveFlag | UndoNodeAdded);
  // Closing the chain where the item leaves it.
  if (tree_.ChildCount(item) > 0) {
    TTreeItem child = tree_.Child(item, 0);
    TTreeItem parent = tree_.ParentItem(item);
    Reparent(child, parent, parent ? -1 : tree_.IndexInParent(item) + 1, UndoNodeMoved, &group);
  }
  if (target != nullptr && target != item) {
    if (before) {
      Reparent(item, tree_.ParentItem(target), -1, code, &group);
      Reparent(target, item, -1, UndoNodeMoved, &group);
    } else {
      TTreeItem first = tree_.ChildCount(target) > 0 ? tree_.Child(target, 0) : nullptr;
      if (first == item) first = nullptr;
      Reparent(item, target, -1, code, &group);
      if (first != nullptr) Reparent(first, item, -1, UndoNodeMoved, &group);
      tree_.SetMarked(item, true);
    }
  } else if (target == nullptr) {
    Reparent(item, nullptr, -1, code, &group);
  }
  void* node = tree_.ItemNode(item);
  SetDependenceType(node, DepDVine);
  if (NodeParent(node) == nullptr) BecomeRoot(node);
}

// ---- returning nodes to the list -------------------------------------------------

void TDepTreeEditor::ReturnNode(TTreeItem item, CurrentUndoGroup& group) {
  void* node = tree_.ItemNode(item);
  const std::string name = NodeObjectName(node);
  const std::string parentName = NodeObjectName(NodeParent(node));
  const bool marked = tree_.IsMarked(item);
  if ((VineMode || !ShowsStructureName(node)) && Variable_exists(name.c_str()) == 0) {
    group.AddItem(std::make_unique<TUndoDepNode>(UndoNodeLatent | UndoNodeRemoved, node, marked, "",
                                                 parentName, name));
    void* former = nullptr;
    Process_dep_node(node, &former, nullptr, DepNodeDetach);
    Delete_TSMObject(node);
    return;
  }
  void* former = nullptr;
  Process_dep_node(node, &former, nullptr, DepNodeDetach);
  tree_.AddAvailableNode(ListCaption(node), Cp437ToUtf8(name), node);
  tree_.SetListSelected(node, true);
  group.AddItem(
      std::make_unique<TUndoDepNode>(UndoNodeRemoved, node, marked, "", parentName, name));
}

void TDepTreeEditor::ReturnSubtree(TTreeItem item, CurrentUndoGroup& group) {
  void* node = tree_.ItemNode(item);
  const bool exposed = ShowsStructureName(node);
  if (!(exposed && NodeChildCount(node) > 0))
    for (TTreeItem child : tree_.Children(item)) ReturnSubtree(child, group);
  if (!IsVineOrMatrix(node) || GetDependenceType(node) == DepCanonicalVine || exposed)
    ReturnNode(item, group);
  tree_.DeleteItem(item);
}

bool TDepTreeEditor::ReturnToList(int mode, bool ask) {
  TTreeItem selected = tree_.Current();
  if (selected == nullptr && mode != -2) return false;
  if (tree_.FirstItem() == nullptr) return false;
  if (mode == -1 && ask &&
      wb_.Prompt().Ask(TMessageKind::Confirmation,
                       "Are you sure you want to delete the whole subtree?",
                       BtnYesNo) != TAnswer::Yes)
    return false;
  SetModified(wb_, true);
  for (void* node : tree_.ListSelection()) tree_.SetListSelected(node, false);
  CurrentUndoGroup group(wb_.Undo);
  if (mode == -2) {
    while (TTreeItem root = tree_.FirstItem()) ReturnSubtree(root, group);
  } else {
    std::vector<TTreeItem> marked = tree_.MarkedItems();
    const bool several = HasMultipleSelection();
    if (mode == 0) {
      if (several) {
        for (TTreeItem item : marked) LiftChildren(item, group);
        if (!tree_.IsMarked(selected)) LiftChildren(selected, group);
      } else {
        LiftChildren(selected, group);
      }
    }
    if (several) {
      tree_.SetMarked(selected, true);
      tree_.SetCurrent(nullptr);
      while (true) {
        std::vector<TTreeItem> left = tree_.MarkedItems();
        if (left.empty()) break;
        ReturnSubtree(left.front(), group);
      }
      tree_.SetCurrent(tree_.FirstItem());
    } else {
      TTreeItem next = tree_.NextSibling(selected);
      if (next == nullptr) next = tree_.ParentItem(selected);
      ReturnSubtree(selected, group);
      tree_.SetCurrent(next ? next : tree_.FirstItem());
    }
  }
  tree_.SortAvailableNodes();
  group.Push();
  if (GetDependenceType(nullptr) == DepCanonicalVine && VineMode) {
    CurrentUndoGroup flatten(wb_.Undo);
    FlattenUnderFirstNode();
    flatten.Push();
  }
  Update_TSMObjects(ObjDependenceNode);
  return true;
}

bool TDepTreeEditor::RemoveItemClick(int tag) {
  if (tag == 2 && wb_.Prompt().Ask(TMessageKind::Confirmation,
                                   "Are you sure you want to delete whole dependence structure?",
                                   BtnYesNo) != TAnswer::Yes)
    return false;
  bool done = ReturnToList(-tag, true);
  if (tag == 2) SetCurrentDependenceStructureRoot(nullptr, nullptr);
  return done;
}

void* TDepTreeEditor::AddLatent() {
  TTreeItem parent = tree_.Current() ? tree_.Current() : tree_.FirstItem();
  const std::string name = UniqueObjectName("", ObjDependenceNode);
  void* node = CreateNamedDependenceNode(name);
  if (node == nullptr) return nullptr;
  SetDependenceType(node, DepLatentNode);
  Set_node_correlation_with_parent(node, 0);
  CurrentUndoGroup group(wb_.Undo);
  void* parentNode = parent ? tree_.ItemNode(parent) : nullptr;
  if (parentNode != nullptr) {
    void* p = parentNode;
    if (!Process_dep_node(node, &p, nullptr, DepNodeAttach)) parentNode = nullptr;
  }
  group.AddItem(std::make_unique<TUndoDepNode>(UndoNodeLatent | UndoNodeAdded, node, false,
                                               NodeObjectName(parentNode), "", name));
  group.Push();
  SetModified(wb_, true);
  TTreeItem item =
      tree_.InsertItem(parentNode ? parent : nullptr, -1, DepItemText(node, VineMode), node);
  tree_.SetCurrent(item);
  return node;
}

// ---- marks -------------------------------------------------------------------------

bool TDepTreeEditor::HasMultipleSelection() {
  int count = 0;
  TTreeItem current = tree_.Current();
  for (TTreeItem item : tree_.Items())
    if ((tree_.IsMarked(item) || item == current) && ++count > 1) return true;
  return false;
}

void TDepTreeEditor::ClearExtraSelection() {
  TTreeItem current = tree_.Current();
  for (TTreeItem item : tree_.Items())
    if (item != current) tree_.SetMarked(item, false);
}

TTreeItem TDepTreeEditor::FirstNodeWithSelectedState(bool flag) {
  TTreeItem current = tree_.Current();
  for (TTreeItem item : tree_.Items())
    if ((tree_.IsMarked(item) || item == current) == flag) return item;
  return nullptr;
}

void TDepTreeEditor::ClickWithModifiers(TTreeItem item, bool shift, bool ctrl) {
  if (item == nullptr || (!shift && !ctrl)) return;
  TTreeItem selected = tree_.Current();
  if (item == selected && tree_.IsMarked(item) && tree_.MarkedItems().size() == 1) return;
  if (shift) {
    TTreeItem anchor = selected;
    if (anchor == nullptr) {
      std::vector<TTreeItem> marked = tree_.MarkedItems();
      anchor = marked.empty() ? item : marked.front();
    }
    std::vector<TTreeItem> order = tree_.Items();
    auto a = std::find(order.begin(), order.end(), anchor);
    auto b = std::find(order.begin(), order.end(), item);
    if (b < a) std::swap(a, b);
    for (auto it = order.begin(); it != order.end(); ++it) {
      bool inRange = it >= a && it <= b;
      tree_.SetMarked(*it, inRange || (ctrl && tree_.IsMarked(*it)));
    }
  } else {
    if (selected != nullptr && tree_.MarkedItems().empty()) tree_.SetMarked(selected, true);
    tree_.SetMarked(item, !tree_.IsMarked(item));
  }
  if (selected == nullptr || !tree_.IsMarked(selected)) {
    std::vector<TTreeItem> marked = tree_.MarkedItems();
    if (!marked.empty()) tree_.SetCurrent(marked.front());
  }
}

void TDepTreeEditor::SelectAll() {
  for (TTreeItem item : tree_.Items()) tree_.SetMarked(item, true);
}

void TDepTreeEditor::InvertSelection() {
  for (TTreeItem item : tree_.Items()) tree_.SetMarked(item, !tree_.IsMarked(item));
  std::vector<TTreeItem> marked = tree_.MarkedItems();
  if (!marked.empty()) tree_.SetCurrent(marked.front());
}

void TDepTreeEditor::SelectSubtree() {
  std::vector<TTreeItem> marked = tree_.MarkedItems();
  if (marked.empty() && tree_.Current()) marked.push_back(tree_.Current());
  for (TTreeItem item : tree_.Items())
    for (TTreeItem m : marked)
      if (tree_.IsInSubtree(item, m)) tree_.SetMarked(item, true);
}

void TDepTreeEditor::MarkItems(const std::vector<TTreeItem>& items) {
  for (TTreeItem item : tree_.Items()) tree_.SetMarked(item, false);
  for (TTreeItem item : items) tree_.SetMarked(item, true);
  std::vector<TTreeItem> marked = tree_.MarkedItems();
  tree_.SetCurrent(marked.empty() ? nullptr : marked.front());
}

// ---- restructuring ---------------------------------------------------------------

void TDepTreeEditor::MoveChildrenTo(TTreeItem item, TTreeItem target) {
  CurrentUndoGroup* group = CurrentUndoGroup::Pending();
  while (tree_.ChildCount(item) > 0) {
    TTreeItem child = tree_.Child(item, 0);
    if (child == target)
      Reparent(child, nullptr, -1, UndoNodeMoved, group);
    else
      Reparent(child, target, -1, UndoNodeMoved, group);
  }
}

void TDepTreeEditor::FlattenUnderFirstNode() {
  TTreeItem first = tree_.FirstItem();
  if (first == nullptr) return;
  tree_.SetItemText(first, Cp437ToUtf8(NodeDisplayName(tree_.ItemNode(first), VineMode)));
  CurrentUndoGroup* group = CurrentUndoGroup::Pending();
  while (true) {
    TTreeItem next = nullptr;
    for (TTreeItem item : tree_.Items())
      if (item != first && tree_.ParentItem(item) != first) {
        next = item;
        break;
      }
    if (next == nullptr) break;
    if (!Reparent(next, first, -1, UndoNodeMoved, group)) break;
  }
}

void TDepTreeEditor::ApplySortSetting(int setting) {
  tree_.SortMode = TreeSortModeOfSetting(setting);
  tree_.SortTree();
}

}  // namespace tesmira::wb
