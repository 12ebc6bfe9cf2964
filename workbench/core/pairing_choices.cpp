#include "pairing_choices.h"

#include <memory>

#include "undo_items.h"
#include "workbench.h"

namespace tesmira::wb {

void AddPairingChoice(TWorkbench& wb, int32_t level, int32_t node, int32_t choice) {
  TPairingChoice record{level, node, choice};
  wb.PairingChoices.push_back(record);
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoUDVineUE>(true, TPairingChoices{record}));
  group.Push();
}

int32_t FindPairingChoice(const TWorkbench& wb, int32_t level, int32_t node) {
  for (const TPairingChoice& c : wb.PairingChoices)
    if (c.level == level && c.node == node) return c.choice;
  return -1;
}

void TruncatePairingChoices(TWorkbench& wb, int32_t level) {
  TPairingChoices& list = wb.PairingChoices;
  std::size_t first = 0;
  while (first < list.size() && list[first].level < level) ++first;
  if (first == list.size()) return;
  CurrentUndoGroup group(wb.Undo);
  group.AddItem(std::make_unique<TUndoUDVineUE>(
      false, TPairingChoices(list.begin() + static_cast<std::ptrdiff_t>(first), list.end())));
  group.Push();
  list.resize(first);
}

}  // namespace tesmira::wb
