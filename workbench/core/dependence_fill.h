// Filling the dependence view from the model: which nodes are listed as
// available, which structures the tree shows, and the members of a
// correlation matrix in the order of the grid.
#pragma once

#include <functional>
#include <vector>

#include "dependence_tree.h"

namespace tesmira::wb {

struct TFillOptions {
  bool VineMode = false;
  // With it, items whose objects the model marks selected are marked, and
  // the first marked item becomes the selected one.
  bool ProgrammaticSelection = false;
  // Called with every root that becomes the current structure.
  std::function<void(void* node)> LastRoot;
};

// Rebuilds the list and the tree (tree mode, or vine mode without the
// matrix view). Every shown root passes through LastRoot; the structure
// that was current stays current when it is shown (otherwise the last
// shown root becomes current). Returns the number of tree items.
int FillDependenceTree(TDepTreeAdapter& tree, const TFillOptions& options);

// The members of the current correlation matrix in grid order: a matrix
// covering part of the model gives its root, then its chain of first
// children (fewer than two children) or its children.
std::vector<void*> MatrixMembers();

}  // namespace tesmira::wb
