// The Dependence menu's state and the marks the model writers use for the
// dependence nodes: pure functions over the engine's model, so that the
// window only copies their answers into its items.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

// Over all dependence nodes: the free nodes (no parent, no children) plus
// the roots of vine or matrix structures whose parent, if any, is a
// composite node. Each node counts once.
int CountFreeNodesAndStructureRoots();

// What the window knows about the dependence panel's controls.
struct TDependencePanelState {
  bool panelVisible = false;       // the dependence panel is the visible one
  bool treeMode = false;           // the tree button is pressed
  bool vinesMode = false;          // the vines button is pressed
  bool nameBoxEmpty = true;        // the structure-name box holds no text
  int structureNamesShown = 0;     // names the panel offers
  bool matrixViewChecked = false;  // the matrix-view check box
  bool vineEraseEnabled = false;   // the panel's own erase button
  bool treeVisible = false;        // the tree control is shown
  bool selectedTreeNodeHasParent = false;
  bool vineViewAllowsRemove = false;  // a vine view that can remove its selected node
};

struct TDependenceMenuState {
  bool vineMenuVisible = false, treeMenuVisible = false;
  bool addNew = false, exportItem = false, correlationMatrix = false;
  bool rename = false, setCorrelation = false;
  bool erase = false;
  std::string eraseCaption;  // "Erase" or "Erase matrix"
  bool next = false, transcend = false, destroyAllVines = false;
  bool removeNode = false;
  std::vector<int> copulaCodes;  // the copula box's items, in order
  int copulaCode = -1;           // the current structure's copula
};

// The Dependence menu's enabling from the model (node counts, the current
// structure, its copula, the vine's derived levels) and the panel's state.
TDependenceMenuState DependenceMenuState(const TDependencePanelState& panel);

// The copula box's codes: 0, 1, then 2 only in tree mode, then 3 to 12.
std::vector<int> CopulaCodes(bool treeMode);

// Marks every object for writing, then clears the marks of the free
// dependence nodes unless the current structure is a correlation matrix
// (whose nodes are all free and all belong to it).
void MarkObjectsForSave();

// Clears the marks of the free dependence nodes, with the same exception.
void UnmarkFreeDependenceNodes();

}  // namespace tesmira::wb
