// The kinds of undo item: what one user action did to one model object.
// Items name their objects by name or by position in the model's object
// list, never by an address that may have become stale.
#pragma once

#include <cstdint>
#include <string>

#include "pairing_choices.h"
#include "tesmira/records.h"
#include "undo.h"

namespace tesmira::wb {

// Action codes of the variable and formula items (bit flags).
enum TUndoAction : uint8_t {
  UndoDistType = 1,
  UndoDistParams = 2,
  UndoFormulaText = 4,
  UndoDescription = 8,
  UndoAbsent = 16,   // applying re-creates the object
  UndoPresent = 32,  // applying deletes the object
  UndoPaste = 64,
  UndoCut = 128,
  UndoDelete = UndoAbsent,
  UndoAdd = UndoPresent,
};

// Codes of the dependence-node item.
enum TUndoNodeAction : uint8_t {
  UndoNodeRemoved = 1,  // nodes removed from the tree
  UndoNodeAdded = 2,    // nodes moved into the tree
  UndoNodeMoved = 4,    // nodes moved within the tree
  UndoNodeLatent = 8,   // a latent node created or deleted
};

class TUndoRanVar : public TUndoItem {
 public:
  // position: 1-based position among the variables, -1 when the caller has none.
  TUndoRanVar(uint8_t code, int position, const TExtendedRandomVariable& record);
  std::string Caption(bool undo) const override;
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;
  bool Reselect(TWorkbench& wb, bool undo, bool isLast) override;
  uint8_t Code() const { return code_; }

 private:
  uint8_t code_;
  int position_;
  TExtendedRandomVariable record_;
};

// A formula is found again by its position and name, like a variable.
class TUndoUDF : public TUndoItem {
 public:
  TUndoUDF(uint8_t code, int position, const TUdf& record);
  std::string Caption(bool undo) const override;
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;
  bool Reselect(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  TUdf* Live() const;

  uint8_t code_;
  int position_;
  TUdf record_;
};

class TUndoObjectName : public TUndoItem {
 public:
  // kind 1 variable, 6 formula, 7 dependence node; names in code page 437.
  TUndoObjectName(int kind, std::string newName, std::string oldName);
  std::string Caption(bool) const override { return "Rename"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  int kind_;
  std::string newName_;
  std::string oldName_;
};

class TUndoDepNode : public TUndoItem {
 public:
  // node gives the position (may be null); selected: whether its tree item
  // was selected.
  TUndoDepNode(uint8_t code, void* node, bool selected, std::string redoParent,
               std::string undoParent, std::string name);
  std::string Caption(bool undo) const override;
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;
  bool Reselect(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  bool Attach(TWorkbench& wb, void* node, const std::string& parentName);

  uint8_t code_;
  int position_;
  bool selected_;
  std::string redoParent_;
  std::string undoParent_;
  std::string name_;
};

class TUndoDepNodeSwap : public TUndoItem {
 public:
  TUndoDepNodeSwap(std::string a, std::string b) : a_(std::move(a)), b_(std::move(b)) {}
  std::string Caption(bool) const override { return "Node Order"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  std::string a_, b_;
};

class TUndoDepNodeValue : public TUndoItem {
 public:
  TUndoDepNodeValue(std::string name, double value) : name_(std::move(name)), value_(value) {}
  std::string Caption(bool) const override { return "Correlation With Parent"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  double value_;
};

class TUndoCMxValue : public TUndoItem {
 public:
  TUndoCMxValue(std::string a, double value, std::string b)
      : a_(std::move(a)), b_(std::move(b)), value_(value) {}
  std::string Caption(bool) const override { return "Correlation Matrix Value"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;
  const std::string& First() const { return a_; }
  const std::string& Second() const { return b_; }

 private:
  std::string a_, b_;
  double value_;
};

class TUndoVineValue : public TUndoItem {
 public:
  TUndoVineValue(std::string name, double value, int level)
      : name_(std::move(name)), level_(level), value_(value) {}
  std::string Caption(bool) const override { return "Vine Correlation Value"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;
  const std::string& Name() const { return name_; }
  int Level() const { return level_; }

 private:
  std::string name_;
  int level_;
  double value_;
};

// A change of the pairing choices: present, applying removes as many choices
// from the end as it holds; absent, applying appends them.
class TUndoUDVineUE : public TUndoItem {
 public:
  TUndoUDVineUE(bool present, TPairingChoices choices)
      : present_(present), choices_(std::move(choices)) {}
  std::string Caption(bool) const override { return "Transcend"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  bool present_;
  TPairingChoices choices_;
};

// 1-based position of an object among the model's objects of a kind
// (compared by address), -1 when absent or none.
int ObjectPosition(const void* record, int kind);
// Moves the object to the target position by neighbour swaps.
void MoveToPosition(const void* record, int kind, int target);

}  // namespace tesmira::wb
