// A check list of sampled variables: the simulation dialog's "Selected
// Samples" and "Selected Distributions" pages and the report dialog's
// "Rows:" and "Cols:" lists. Items are merged with the model's names so that
// check marks survive for names that remain, sorted with inputs before
// outputs, and changed by the selection commands of their pop-up menus.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

struct TSelectionItem {
  std::string Text;
  int Object = 0;  // < 0 an input, > 0 an output (its position)
  bool Checked = true;
  bool Enabled = true;
};

enum TSortOrder { SortNone = 0, SortAscending = 1, SortDescending = 2 };

enum class TSelectionCommand { All, None, Invert, Grow, Inputs, Outputs };

class TSelectionList {
 public:
  std::vector<TSelectionItem> Items;
  int Order = SortNone;
  int Selected = -1;  // index of the selected item, -1 for none

  // Merges the names: existing items keep their check marks and get their
  // new objects, new names are appended checked, items of vanished names
  // are removed; then the list is sorted by its order. An input's object is
  // inputObject(i) of its 1-based position, an output's is j.
  void Merge(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs,
             int (*inputObject)(int) = &ComplementObject);
  // Sorts by order and stores it: names without regard to case, or by the
  // objects' absolute values for SortNone; inputs always stay first. The
  // selected item moves with its text.
  void Sort(int order);
  // With asSamples the input/output commands pick their group; otherwise
  // (the distributions list) they check everything.
  void Apply(TSelectionCommand command, bool asSamples = true);
  // Enables input items by inputs and output items by outputs.
  void EnableByKind(bool inputs, bool outputs);
  int InputCount() const;
  int IndexOf(const std::string& text) const;
  // The objects of the checked (and, with enabledOnly, enabled) items.
  std::vector<int> CheckedObjects(bool enabledOnly) const;

  static int ComplementObject(int i) { return ~i; }
  static int NegativeObject(int i) { return -i; }
};

}  // namespace tesmira::wb
