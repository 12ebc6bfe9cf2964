// The choices the user made while building a user-defined vine: for a node of
// a vine level that could be paired in several ways, the partner picked.
// Every change is an undoable step.
#pragma once

#include <cstdint>
#include <vector>

namespace tesmira::wb {

class TWorkbench;

struct TPairingChoice {
  int32_t level = 0;
  int32_t node = 0;    // 1-based number of the node within the level
  int32_t choice = 0;  // the partner picked
  bool operator==(const TPairingChoice&) const = default;
};

using TPairingChoices = std::vector<TPairingChoice>;

// Appends the choice and records it as one undo step.
void AddPairingChoice(TWorkbench& wb, int32_t level, int32_t node, int32_t choice);
// The choice of the first record with that level and node, or -1.
int32_t FindPairingChoice(const TWorkbench& wb, int32_t level, int32_t node);
// Removes the records from the first whose level is at least the given one
// (-1: all) to the end, as one undo step; nothing when none qualifies.
void TruncatePairingChoices(TWorkbench& wb, int32_t level);

}  // namespace tesmira::wb
