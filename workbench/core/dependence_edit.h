// Building and changing dependence structures in the dependence view: drops
// from the list of available nodes and within the tree, returning nodes to
// the list, latent nodes, marks and sorting. Every change moves the view's
// items and the model's parent links together and is recorded in one undo
// group per user action.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dependence_tree.h"
#include "undo.h"

namespace tesmira::wb {

class TWorkbench;

// Hit flags of a point of the tree view from its geometry: rowFound false
// means below the last item. The row starts at the left edge; depth times
// indentation of indent, then the label from labelLeft to labelRight.
unsigned TreeHitFlags(int x, bool rowFound, int depth, int indentation, int labelLeft,
                      int labelRight);
// A root target hit on the item or icon left of the label's left edge plus
// the smaller of its height and half its width counts as the button.
unsigned RootLabelHitFlags(unsigned flags, bool isRoot, int x, int labelLeft, int labelWidth,
                           int labelHeight);
// The drag cursor: 5 child, 7 next sibling, 9 previous sibling, 11 root,
// 13 parent, 15 parent of the children; Shift adds 1; 0 the standard one.
int DragCursorNumber(unsigned flags, bool several, bool shift);

enum class TDropSource { List, Tree };

struct TDropRequest {
  TDropSource Source = TDropSource::List;
  TTreeItem Target = nullptr;
  unsigned Flags = 0;
  bool Ctrl = false;
  bool Shift = false;
  bool RealDrag = true;
  // A command that names one list item (0-based); -1 takes the selection.
  int ListItem = -1;
};

class TDepTreeEditor {
 public:
  TDepTreeEditor(TWorkbench& wb, TDepTreeAdapter& tree) : wb_(wb), tree_(tree) {}

  // The panel's state that the operations read.
  bool VineMode = false;
  int VineType = 2;  // the vine-type combo: 1 matrix, 2 canonical, 3 D-vine
  std::string StructureName;
  // Called for every node that becomes a structure root.
  std::function<void(void* node)> LastRootHook;

  // A drop into the tree (treeDependsDragDrop). True when something moved.
  bool DropIntoTree(const TDropRequest& request);
  // The command forms: x 0 adds as root, 1 as child of the selected item;
  // y 0 takes the list's selection, k + 1 list item k.
  bool AddFromList(int x, int y);
  // Returning nodes to the list: mode 0 nodes, -1 subtrees (asks first when
  // ask is set), -2 the whole structure.
  bool ReturnToList(int mode, bool ask);
  // "Remove Node" (0), "Remove Subtree" (1), "Remove Entire Dependence
  // Structure" (2).
  bool RemoveItemClick(int tag);
  // "Add latent variable": a new latent node under the selected (or first) item.
  void* AddLatent();

  // Marks.
  void ClickWithModifiers(TTreeItem item, bool shift, bool ctrl);
  void SelectAll();
  void InvertSelection();
  void SelectSubtree();
  bool HasMultipleSelection();
  void ClearExtraSelection();
  TTreeItem FirstNodeWithSelectedState(bool flag);
  // Marks every item whose label rectangle overlaps the band (tested by the
  // caller) and selects the first marked one.
  void MarkItems(const std::vector<TTreeItem>& items);

  // Restructuring within the current undo group.
  void MoveChildrenTo(TTreeItem item, TTreeItem target);
  void FlattenUnderFirstNode();

  // The model's directory order follows the sibling order of reference's
  // children (null: the roots); each exchange is recorded when group is set.
  int SyncDirectoryOrder(TTreeItem reference, CurrentUndoGroup* group);

  // "Sort Ascending" 0, "Sort Descending" 1, "Not Sorted" 2.
  void ApplySortSetting(int setting);

 private:
  bool Reparent(TTreeItem item, TTreeItem parent, int index, uint8_t code, CurrentUndoGroup* group);
  void LiftChildren(TTreeItem item, CurrentUndoGroup& group);
  bool DropItem(TTreeItem item, const TDropRequest& r, uint8_t moveFlag);
  bool DropSeveral(const TDropRequest& r, std::vector<void*> nodes);
  bool DropTreeMode(TTreeItem item, TTreeItem target, unsigned flags, const TDropRequest& r,
                    uint8_t moveFlag, CurrentUndoGroup& group);
  void DropCanonical(TTreeItem item, TTreeItem target, bool before, const TDropRequest& r,
                     uint8_t moveFlag, CurrentUndoGroup& group);
  void DropDVine(TTreeItem item, TTreeItem target, bool before, uint8_t moveFlag,
                 CurrentUndoGroup& group);
  void BecomeRoot(void* node);
  void ReturnSubtree(TTreeItem item, CurrentUndoGroup& group);
  void ReturnNode(TTreeItem item, CurrentUndoGroup& group);
  void Finish(TTreeItem reference, CurrentUndoGroup& group, bool moved);
  void RefreshText(TTreeItem item);
  void NextOrderStamp(void* node);

  TWorkbench& wb_;
  TDepTreeAdapter& tree_;
};

}  // namespace tesmira::wb
