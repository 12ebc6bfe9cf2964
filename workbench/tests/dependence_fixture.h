// A model with dependence nodes for variables, and a workbench whose
// dependence view is a tree kept in memory.
#pragma once

#include <string>
#include <vector>

#include "dependence_edit.h"
#include "dependence_tree.h"
#include "model_fixture.h"

namespace tesmira::wb::test {

struct MemoryTreeUi : FakeUi {
  TMemoryDepTree mem;
  IDependenceTree& DependenceTree() override { return mem; }
};

class DependenceTest : public ModelTest {
 protected:
  MemoryTreeUi ui;
  TWorkbench dwb{f.prompt, f.chooser, ui};
  TMemoryDepTree& tree = ui.mem;
  TDepTreeEditor editor{dwb, tree};

  // Variables (and their nodes) of the given names.
  static void Variables(std::initializer_list<const char*> names) {
    for (const char* n : names) AddVariable(n);
    SyncNodes();
  }
  TTreeItem Item(const char* name) { return tree.FindItem(Node(name)); }
  std::string ItemParent(const char* name) {
    TTreeItem p = tree.ParentItem(Item(name));
    return p ? NodeObjectName(tree.ItemNode(p)) : "";
  }
  // The tree as "name(child,child)" lists, roots separated by blanks.
  std::string Shape(TTreeItem parent = nullptr) {
    std::string s;
    for (TTreeItem c : tree.Children(parent)) {
      if (!s.empty()) s += parent ? "," : " ";
      s += NodeObjectName(tree.ItemNode(c));
      if (tree.ChildCount(c) > 0) s += std::string("(").append(Shape(c)) + ")";
    }
    return s;
  }
  // The model's parent links in the same form.
  static std::string ModelShape(const std::vector<const char*>& names) {
    std::string s;
    for (const char* n : names) s += std::string(n) + "<" + ParentOf(n) + " ";
    return s;
  }
  TTreeItem AddRoot(const char* name) {
    return tree.InsertItem(nullptr, -1, DepItemText(Node(name), false), Node(name));
  }
  // Builds a tree from the model's parent links as the view's fill does.
  TTreeItem AddUnder(const char* parent, const char* child) {
    EXPECT_TRUE(Attach(child, parent));
    return tree.InsertItem(Item(parent), -1, DepItemText(Node(child), false), Node(child));
  }
  void SelectList(std::initializer_list<const char*> names) {
    for (const char* n : names) tree.SetListSelected(Node(n), true);
  }
  void ListAll(std::initializer_list<const char*> names) {
    int k = 1;
    for (const char* n : names) tree.AddAvailableNode(std::to_string(k++), n, Node(n));
  }
};

}  // namespace tesmira::wb::test
