// The workbench's model-wide undo and redo: a ring of groups, one group per
// user action and one item per object the action touched.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tesmira::wb {

class TWorkbench;

// One recorded change of one object. Apply performs it (undo or redo) and
// returns false when the object it refers to no longer exists; isLast marks
// the item applied last in its group, so that views refresh once per group.
class TUndoItem {
 public:
  virtual ~TUndoItem() = default;
  virtual std::string Caption(bool undo) const = 0;
  virtual bool Apply(TWorkbench& wb, bool undo, bool isLast) = 0;
  virtual bool Reselect(TWorkbench& wb, bool undo, bool isLast);
};

// One user action: its items in the order they were added.
class TUndoItems {
 public:
  virtual ~TUndoItems() = default;
  void AddItem(std::unique_ptr<TUndoItem> item);
  virtual bool ApplyGroup(TWorkbench& wb, bool undo);
  std::string GroupCaption(bool undo) const;
  std::size_t Count() const { return items_.size(); }
  const TUndoItem* Item(std::size_t i) const { return items_[i].get(); }

 private:
  std::vector<std::unique_ptr<TUndoItem>> items_;
};

class TUndo {
 public:
  static constexpr int kDefaultDepth = 13;

  // The owner's window is told to clear the "User Defined Quantiles" box on
  // every undo and redo; owner may be null.
  explicit TUndo(TWorkbench* owner = nullptr);

  // Keeps the group as the newest action when it holds an item, the depth is
  // not 0 and recording is on; otherwise frees it.
  void Push(std::unique_ptr<TUndoItems> group);
  bool CanUndo() const;
  bool CanRedo() const;
  // The group Undo would apply, or null.
  const TUndoItems* LastUndoGroup() const;
  std::string ActionCaption(bool undo) const;
  bool Undo();
  bool Redo();
  void ClearHistory();
  void SetDepth(int depth);
  int GetDepth() const;
  void EnableRecording() { recording_ = true; }
  void DisableRecording() { recording_ = false; }
  bool Recording() const { return recording_; }

 private:
  int RingStep(int position, int step) const;

  TWorkbench* owner_;
  std::vector<std::unique_ptr<TUndoItems>> slots_;
  int position_ = 0;
  bool recording_ = true;
};

// The group the operation under way is filling. Opening one makes it the
// pending group (Pending()) until it is pushed, discarded or destroyed; the
// group reaches the history or is freed exactly once, and items added after
// that are dropped.
class CurrentUndoGroup {
 public:
  explicit CurrentUndoGroup(TUndo& history);
  ~CurrentUndoGroup();
  CurrentUndoGroup(const CurrentUndoGroup&) = delete;
  CurrentUndoGroup& operator=(const CurrentUndoGroup&) = delete;

  void AddItem(std::unique_ptr<TUndoItem> item);
  void Push();
  void Discard();
  bool Open() const { return group_ != nullptr; }
  std::size_t Count() const { return group_ ? group_->Count() : 0; }

  // The innermost open group, or null.
  static CurrentUndoGroup* Pending();

 private:
  void Close();

  TUndo& history_;
  std::unique_ptr<TUndoItems> group_;
  CurrentUndoGroup* outer_;
};

}  // namespace tesmira::wb
