// The formula editor's logic without a window: the text undo of the formula
// edit (snapshots), symbol insertion, the symbol list with its filter and
// sort, the completion popup's entries, and the writes of a formula's text,
// description and name with their undo groups. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

class TWorkbench;

// ---- the edit's text undo ----------------------------------------------------------

// The state of the formula edit: its text and selection.
struct TEditState {
  std::string Text;
  int SelStart = 0;
  int SelLength = 0;
  bool operator==(const TEditState&) const = default;
};

// Kinds of snapshot: a symbol inserted, typing, a deletion, caret moved or edit left.
enum TSnapshotKind { SnapSymbol = 0, SnapTyping = 1, SnapDeletion = 2, SnapCaret = 3 };

class TFormulaSnapshots {
 public:
  // Records the edit's state before a change of the kind; consecutive typing
  // is one step. caretMark: the caret mark is set (a symbol snapshot then
  // records no selection).
  void TakeSnapshot(int kind, const TEditState& edit, bool caretMark = false);
  // Exchange the edit's state with the current snapshot; false when nothing to do.
  bool Undo(TEditState& edit);
  bool Redo(TEditState& edit);
  bool CanUndo() const { return !snaps_.empty() && current_ >= 0; }
  bool CanRedo() const { return current_ + 1 < static_cast<int>(snaps_.size()); }
  void Clear();
  int Count() const { return static_cast<int>(snaps_.size()); }

 private:
  struct TSnap {
    TEditState State;
    int Kind = 0;
  };
  std::vector<TSnap> snaps_;
  int current_ = -1;
};

// Inserts symbol at the edit's selection. With the caret mark the marked
// character stays; otherwise with shift a symbol ending in ")", "}" or "]"
// takes the selected text inside its brackets. The inserted text ends up
// selected.
TEditState InsertSymbolText(const TEditState& edit, const std::string& symbol, bool shift,
                            bool caretMark);
// The text an Insert menu item inserts: its caption without "&", with "()"
// for tag 1 and "{}" for tag 2.
std::string InsertMenuText(const std::string& caption, int tag);

// ---- symbols ----------------------------------------------------------------------------

// Symbol types (also the images of the list).
enum TSymbolType {
  SymVariable = 0,
  SymConstant = 1,
  SymFunction1 = 2,
  SymFunctionN = 3,
  SymFormula = 4,
  SymTable = 5
};
// Bits of the type buttons (the "Symb" setting).
enum TSymbolBits : unsigned {
  SymbVariables = 1,
  SymbFunctions1 = 2,
  SymbFunctionsN = 4,
  SymbConstants = 8,
  SymbTables = 16,
  SymbFormulas = 32
};

struct TSymbolItem {
  std::string Caption;
  std::string Description;
  int Type = 0;
  int Data = -1;  // object index (variables, formulas); -1 otherwise
};

// The predefined words of a group (0 constants, 1 one-argument functions,
// 2 multi-argument functions) and the group's title.
std::vector<std::string> PredefinedWords(int group);
std::string PredefinedGroupTitle(int group);
// The description of a predefined word ("" when it has none).
std::string PredefinedDescription(const std::string& word);
// The names (without extension) of the "*.dis" files of the model file's
// folder (the current folder without a model file), any letter case.
std::vector<std::string> ExternalTables(const std::string& modelFileName);

// The symbol list for the type bits and the filter, sorted by sortState
// (0..3) and sortColumn (-1 none, 0 name, 1 description).
std::vector<TSymbolItem> FillSymbolList(unsigned bits, const std::string& filter,
                                        const std::string& modelFileName, int sortState,
                                        int sortColumn);
// A header click: the new sort state and column.
void SymbolSortClick(int column, int& sortState, int& sortColumn);
// The caption of a symbol list column with its sort mark.
std::string SymbolColumnCaption(const std::string& caption, int column, int sortState,
                                int sortColumn);

// The completion popup's entries for F2..F7.
std::vector<std::string> PopupEntries(int functionKey, const std::string& modelFileName);

// ---- writes ---------------------------------------------------------------------------------

// What the formula frame shows for the selected rows.
struct TFormulaSelection {
  bool Any = false;
  std::string Names;  // joined with "; "
  std::string Text, Description;
  bool Linked = false;
  int Current = -1;  // row of the working copy (the linked one when any)
  std::string LinkHint;
  bool NameEnabled = false, TextReadOnly = false, DescriptionEnabled = false;
};
TFormulaSelection FormulaSelectionView(const std::vector<int>& rows);

// Stores text (blanks removed) into every selected formula, one undo group.
// A text over 255 characters is not stored; message then holds the report.
// True when stored.
bool CommitFormulaText(TWorkbench& wb, const std::vector<int>& rows, const std::string& text,
                       std::string& message);
bool CommitFormulaDescription(TWorkbench& wb, const std::vector<int>& rows,
                              const std::string& text);
// Checks the formula at row with the text; message "Formula/UDF is OK." or
// the engine's message.
bool VerifyFormulaText(int row, const std::string& text, std::string& message);

// Renames the formula at row (blanks to "_"). Result: 1 renamed (message:
// the reference update text), 0 the same name, -1 refused.
int RenameFormula(TWorkbench& wb, int row, const std::string& newName, std::string& message);

}  // namespace tesmira::wb
