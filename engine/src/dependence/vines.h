// Vines kept in the dependence nodes: shared steps of the exported Vine_*
// operations that the matrix code and the conversions also use.
#pragma once

#include <vector>

namespace tesmira {

// The current structure is a vine (by its root, or by the current dependence
// type when there is no root).
bool CurrentStructureIsVineType();
// Step 1 of the vine truncation: the current structure is a vine whose child
// count is positive and at least level (and below 513 unless user-defined).
bool VineValidForLevels(int level);
// Clears child lists, links to members, correlations with the parent, levels
// and values of the given nodes; a link from a member to a node outside the
// set is kept (the composite node above a vine's root), as is the parent
// name of an old-design vine head.
void ClearVineNodes(const std::vector<int>& members, bool keepParents);
// Sets the values after the child list, the levels and the correlations with
// the parent of the given nodes to 0; links stay as they are.
void ResetVineValues(const std::vector<int>& members);
// Appends child under parent (both layouts), without the composite-node rules.
void LinkVineChild(int parent, int child);

}  // namespace tesmira
