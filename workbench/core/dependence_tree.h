// The dependence view's tree and list of available nodes as the editing
// logic sees them: a small set of primitives that the window's tree widget
// and a headless tree both provide. Every structural operation of the
// dependence panel (drops, returning nodes to the list, marks, sorting) is
// written once over these primitives.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services.h"

namespace tesmira::wb {

// Hit flags of a point in the tree view.
enum TTreeHit : unsigned {
  HitAbove = 0x01,
  HitBelow = 0x02,
  HitNowhere = 0x04,
  HitOnItem = 0x08,
  HitOnButton = 0x10,
  HitOnIcon = 0x20,
  HitOnIndent = 0x40,
  HitOnLabel = 0x80,
  HitOnRight = 0x100,
};

// The tree's sort modes (the tree's Tag) and the window's sort setting.
enum TTreeSortMode { TreeSortDirectory = 0, TreeSortAscending = 1, TreeSortDescending = 2 };
// Setting 0 "Sort Ascending", 1 "Sort Descending", 2 "Not Sorted".
int TreeSortModeOfSetting(int setting);
int TreeSortSettingOfMode(int mode);

class TDepTreeAdapter : public IDependenceTree {
 public:
  // ---- primitives -------------------------------------------------------------
  // Children of parent in order; a null parent stands for the roots.
  virtual int ChildCount(TTreeItem parent) = 0;
  virtual TTreeItem Child(TTreeItem parent, int index) = 0;
  // A new item at index among parent's children (index < 0: last).
  virtual TTreeItem InsertItem(TTreeItem parent, int index, const std::string& text,
                               void* node) = 0;
  // Moves the item with its subtree to index among parent's children (index
  // < 0: last), counted after the item has left its old place.
  virtual void MoveItem(TTreeItem item, TTreeItem parent, int index) = 0;
  virtual void DeleteItem(TTreeItem item) = 0;
  virtual std::string ItemText(TTreeItem item) = 0;
  // The marks (multiple selection), separate from the selected item.
  virtual bool IsMarked(TTreeItem item) = 0;
  virtual void SetMarked(TTreeItem item, bool marked) = 0;
  virtual TTreeItem Current() = 0;
  virtual void SetCurrent(TTreeItem item) = 0;
  virtual void Expand(TTreeItem item) = 0;

  // The list of available nodes: its nodes in list order and its selection.
  virtual std::vector<void*> ListNodes() = 0;
  virtual std::vector<void*> ListSelection() = 0;
  virtual void SetListSelected(void* node, bool selected) = 0;

  // ---- derived ------------------------------------------------------------------
  TTreeItem ParentItem(TTreeItem item) override = 0;
  int IndexInParent(TTreeItem item);
  std::vector<TTreeItem> Children(TTreeItem parent);
  bool IsInSubtree(TTreeItem item, TTreeItem root);
  TTreeItem FirstItem() { return ChildCount(nullptr) > 0 ? Child(nullptr, 0) : nullptr; }
  TTreeItem NextSibling(TTreeItem item);
  std::vector<TTreeItem> MarkedItems();
  int Depth(TTreeItem item);

  std::vector<TTreeItem> Items() override;
  TTreeItem AddTopLevelItem(const std::string& text, void* node) override;
  TTreeItem InsertFirstSibling(TTreeItem sibling, const std::string& text, void* node) override;
  void MoveToTopLevel(TTreeItem item) override { MoveItem(item, nullptr, -1); }
  void MoveUnder(TTreeItem item, TTreeItem parent) override { MoveItem(item, parent, -1); }
  void RemoveItem(TTreeItem item) override { DeleteItem(item); }
  void SelectItem(TTreeItem item) override { SetCurrent(item); }
  // Re-sorts by the tree's sort mode (undoing a tree change re-sorts).
  void SortAlphabetically() override { SortTree(); }

  // Sorts every level: mode 0 by directory position, otherwise by display
  // name without regard to case, reversed in mode 2.
  void SortTree();
  int SortMode = TreeSortDirectory;
  // Vine mode of the panel (names of exposed structure roots differ).
  bool VineMode = false;
};

// The node's object name (code page 437).
std::string NodeObjectName(void* node);
// In tree mode, an exposed structure root and a composite node show "(V) "
// and the structure's name; every other node shows its own name.
std::string NodeDisplayName(void* node, bool vineMode);
// The tree item's text (UTF-8): the display name, prefixed with "(r) " for a
// node that has a parent.
std::string DepItemText(void* node, bool vineMode);
void* NodeParent(void* node);
int NodeChildCount(void* node);

// A tree kept in memory: the headless counterpart of the window's tree view.
class TMemoryDepTree : public TDepTreeAdapter {
 public:
  TMemoryDepTree();
  ~TMemoryDepTree() override;

  int ChildCount(TTreeItem parent) override;
  TTreeItem Child(TTreeItem parent, int index) override;
  TTreeItem InsertItem(TTreeItem parent, int index, const std::string& text, void* node) override;
  void MoveItem(TTreeItem item, TTreeItem parent, int index) override;
  void DeleteItem(TTreeItem item) override;
  std::string ItemText(TTreeItem item) override;
  void SetItemText(TTreeItem item, const std::string& text) override;
  bool IsMarked(TTreeItem item) override;
  void SetMarked(TTreeItem item, bool marked) override;
  TTreeItem Current() override { return current_; }
  void SetCurrent(TTreeItem item) override { current_ = item; }
  // Items in memory are always expanded.
  void Expand(TTreeItem) override {}
  void* ItemNode(TTreeItem item) override;
  TTreeItem ParentItem(TTreeItem item) override;

  std::vector<void*> ListNodes() override;
  std::vector<void*> ListSelection() override;
  void SetListSelected(void* node, bool selected) override;
  void RemoveAvailableNode(void* node) override;
  void AddAvailableNode(const std::string& caption, const std::string& name, void* node) override;
  void SortAvailableNodes() override;
  // Captions of the list, in order (tests).
  std::vector<std::string> ListCaptions() const;

 private:
  struct Item;
  struct ListEntry {
    std::string caption, name;
    void* node;
    bool selected;
  };
  std::vector<Item*>& Siblings(Item* parent);
  std::vector<std::unique_ptr<Item>> store_;
  std::vector<Item*> roots_;
  std::vector<ListEntry> list_;
  TTreeItem current_ = nullptr;
};

}  // namespace tesmira::wb
