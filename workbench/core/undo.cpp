#include "undo.h"

#include "workbench.h"

namespace tesmira::wb {

bool TUndoItem::Reselect(TWorkbench&, bool, bool) { return true; }

void TUndoItems::AddItem(std::unique_ptr<TUndoItem> item) {
  if (item) items_.push_back(std::move(item));
}

bool TUndoItems::ApplyGroup(TWorkbench& wb, bool undo) {
  const int n = static_cast<int>(items_.size());
  // Undo runs from the last item to the first, redo the other way.
  auto index = [&](int k) { return undo ? n - 1 - k : k; };
  for (int k = 0; k < n; ++k)
    if (!items_[index(k)]->Apply(wb, undo, k == n - 1)) return false;
  for (int k = 0; k < n; ++k)
    if (!items_[index(k)]->Reselect(wb, undo, k == n - 1)) return false;
  return true;
}

std::string TUndoItems::GroupCaption(bool undo) const {
  return items_.empty() ? std::string() : items_.back()->Caption(undo);
}

TUndo::TUndo(TWorkbench* owner) : owner_(owner) { slots_.resize(kDefaultDepth + 1); }

int TUndo::RingStep(int position, int step) const {
  int c = static_cast<int>(slots_.size());
  return c == 0 ? position : (position + c + step) % c;
}

void TUndo::Push(std::unique_ptr<TUndoItems> group) {
  if (!group || group->Count() == 0 || slots_.empty() || !recording_) return;
  slots_[position_] = std::move(group);
  position_ = RingStep(position_, 1);
  slots_[position_].reset();
}

bool TUndo::CanUndo() const {
  return !slots_.empty() && slots_[RingStep(position_, -1)] != nullptr;
}

bool TUndo::CanRedo() const { return !slots_.empty() && slots_[position_] != nullptr; }

const TUndoItems* TUndo::LastUndoGroup() const {
  return CanUndo() ? slots_[RingStep(position_, -1)].get() : nullptr;
}

std::string TUndo::ActionCaption(bool undo) const {
  if (undo) return CanUndo() ? slots_[RingStep(position_, -1)]->GroupCaption(true) : std::string();
  return CanRedo() ? slots_[position_]->GroupCaption(false) : std::string();
}

bool TUndo::Undo() {
  if (!CanUndo()) return false;
  if (owner_) owner_->Ui().ClearUserDefinedQuantiles();
  position_ = RingStep(position_, -1);
  // The group stays in its slot while it applies: an item may push onto the
  // history only through the pairing choices' own groups, which it never does.
  TUndoItems* group = slots_[position_].get();
  return owner_ ? group->ApplyGroup(*owner_, true) : false;
}

bool TUndo::Redo() {
  if (!CanRedo()) return false;
  if (owner_) owner_->Ui().ClearUserDefinedQuantiles();
  TUndoItems* group = slots_[position_].get();
  bool ok = owner_ ? group->ApplyGroup(*owner_, false) : false;
  position_ = RingStep(position_, 1);
  return ok;
}

void TUndo::ClearHistory() {
  for (auto& slot : slots_) slot.reset();
  position_ = 0;
}

void TUndo::SetDepth(int depth) {
  std::size_t count = depth <= 0 ? 0 : static_cast<std::size_t>(depth) + 1;
  if (count == slots_.size()) return;
  ClearHistory();
  slots_.clear();
  slots_.resize(count);
}

int TUndo::GetDepth() const { return slots_.empty() ? 0 : static_cast<int>(slots_.size()) - 1; }

namespace {
CurrentUndoGroup* pendingGroup = nullptr;
}

CurrentUndoGroup::CurrentUndoGroup(TUndo& history)
    : history_(history), group_(std::make_unique<TUndoItems>()), outer_(pendingGroup) {
  pendingGroup = this;
}

CurrentUndoGroup::~CurrentUndoGroup() {
  group_.reset();
  if (pendingGroup == this) pendingGroup = outer_;
}

CurrentUndoGroup* CurrentUndoGroup::Pending() { return pendingGroup; }

void CurrentUndoGroup::AddItem(std::unique_ptr<TUndoItem> item) {
  if (group_) group_->AddItem(std::move(item));
}

void CurrentUndoGroup::Close() {
  if (pendingGroup == this) pendingGroup = outer_;
}

void CurrentUndoGroup::Push() {
  if (!group_) return;
  history_.Push(std::move(group_));
  Close();
}

void CurrentUndoGroup::Discard() {
  group_.reset();
  Close();
}

}  // namespace tesmira::wb
