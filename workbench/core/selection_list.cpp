#include "selection_list.h"

#include <strings.h>
#include <algorithm>
#include <cstdlib>

namespace tesmira::wb {

namespace {

int Rank(const TSelectionItem& item) {
  // ~i of input i is -(i + 1); -i is -i: both keep the order of i.
  return std::abs(item.Object);
}

}  // namespace

void TSelectionList::Merge(const std::vector<std::string>& inputs,
                           const std::vector<std::string>& outputs, int (*inputObject)(int)) {
  for (TSelectionItem& item : Items) item.Object = 0;
  auto put = [&](const std::string& name, int object) {
    const int at = IndexOf(name);
    if (at >= 0) {
      Items[static_cast<std::size_t>(at)].Object = object;
    } else {
      Items.push_back({name, object, true, true});
    }
  };
  for (std::size_t i = 0; i < inputs.size(); ++i)
    put(inputs[i], inputObject(static_cast<int>(i) + 1));
  for (std::size_t j = 0; j < outputs.size(); ++j) put(outputs[j], static_cast<int>(j) + 1);
  const std::string selected =
      Selected >= 0 && Selected < static_cast<int>(Items.size()) ? Items[Selected].Text : "";
  std::erase_if(Items, [](const TSelectionItem& item) { return item.Object == 0; });
  Selected = selected.empty() ? -1 : IndexOf(selected);
  Sort(Order);
}

void TSelectionList::Sort(int order) {
  Order = order;
  const std::string selected =
      Selected >= 0 && Selected < static_cast<int>(Items.size()) ? Items[Selected].Text : "";
  auto before = [order](const TSelectionItem& a, const TSelectionItem& b) {
    const bool ai = a.Object < 0, bi = b.Object < 0;
    if (ai != bi) return ai;
    if (order == SortAscending) return strcasecmp(a.Text.c_str(), b.Text.c_str()) < 0;
    if (order == SortDescending) return strcasecmp(a.Text.c_str(), b.Text.c_str()) > 0;
    return Rank(a) < Rank(b);
  };
  std::stable_sort(Items.begin(), Items.end(), before);
  if (!selected.empty()) Selected = IndexOf(selected);
}

void TSelectionList::Apply(TSelectionCommand command, bool asSamples) {
  for (TSelectionItem& item : Items) {
    const bool input = item.Object < 0;
    switch (command) {
      case TSelectionCommand::All: item.Checked = true; break;
      case TSelectionCommand::None: item.Checked = false; break;
      case TSelectionCommand::Invert: item.Checked = !item.Checked; break;
      case TSelectionCommand::Grow: break;
      case TSelectionCommand::Inputs:
        if (input || !asSamples) item.Checked = true;
        break;
      case TSelectionCommand::Outputs:
        if (!input || !asSamples) item.Checked = true;
        break;
    }
  }
}

void TSelectionList::EnableByKind(bool inputs, bool outputs) {
  for (TSelectionItem& item : Items) item.Enabled = item.Object < 0 ? inputs : outputs;
}

int TSelectionList::InputCount() const {
  return static_cast<int>(std::count_if(Items.begin(), Items.end(),
                                        [](const TSelectionItem& i) { return i.Object < 0; }));
}

int TSelectionList::IndexOf(const std::string& text) const {
  for (std::size_t i = 0; i < Items.size(); ++i)
    if (Items[i].Text == text) return static_cast<int>(i);
  return -1;
}

std::vector<int> TSelectionList::CheckedObjects(bool enabledOnly) const {
  std::vector<int> objects;
  for (const TSelectionItem& item : Items)
    if (item.Checked && (item.Enabled || !enabledOnly)) objects.push_back(item.Object);
  return objects;
}

}  // namespace tesmira::wb
