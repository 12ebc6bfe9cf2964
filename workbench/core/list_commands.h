// The commands of the variable and formula lists without a window: ordering
// (drag, sort, natural order), type-ahead, the private clipboard block,
// Select Same Value, the Edit menu's enabling, and the commands that change
// the model with their undo groups (add, delete, kind switch, rename, paste,
// batch creation). Rows are 0-based list rows; the list's row r shows object
// r + 1 of its kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tesmira/records.h"

namespace tesmira::wb {

class TWorkbench;

// ---- ordering ------------------------------------------------------------------

// A drop on a list: moves the selected entries of order (with their marks in
// selected) around the target row (-1: the last row). Items before the
// target move behind it, nearest first; items after it are inserted after
// the moved ones (or in the target's place when none moved).
void DragReorder(std::vector<int>& order, std::vector<char>& selected, int target);

// Puts the directory of the kind into the given order of its current objects
// (order[p] = the current 0-based position of the object that goes to p),
// with at most n - 1 exchanges. Returns the number of exchanges.
int ApplyObjectOrder(int kind, const std::vector<int>& order);

// The drop itself on the model's objects (not undoable; marks the model
// modified unless the list is sorted). The selection marks after the drop.
std::vector<char> DropOnList(TWorkbench& wb, int kind, std::vector<char> selected, int target,
                             bool sorted);

// A list's sort state: the sort column (-1 none), its direction and the
// objects in the order from before the first sort.
struct TListSortState {
  int Column = -1;
  bool Ascending = true;
  std::vector<const void*> NaturalOrder;
};

// The key of an object for sort column (1 "Name", 2 "Distribution" or
// "Formula", 3 "Description", 4 "Link File"); row 0-based.
std::string SortKey(int kind, int row, int column);
// Case-insensitive comparison of two texts (<0, 0, >0).
int CompareText(const std::string& a, const std::string& b);

// A column header click (column 1..4, or -1 / 0 for "not sorted"): flips or
// sets the direction, sorts the model's objects by an exchange sort (same
// comparisons, same outcome for equal keys) or restores the natural order.
// Not undoable; the model is not marked modified.
void SortList(int kind, TListSortState& state, int column);
// The sort menu: by column (1..4) in the asked direction; -1 not sorted.
void SortListBy(int kind, TListSortState& state, int column, bool ascending);
// The caption of a column with the sort mark (" <" ascending, " >").
std::string SortedCaption(const std::string& caption, int column, const TListSortState& state);

// ---- type-ahead -------------------------------------------------------------------

// Searches the names (cyclically from start) for one beginning with the
// search text (text + typed, lower case), then with typed alone. The match
// row or -1; text becomes the search text last used.
int TypeAheadFind(const std::vector<std::string>& names, std::string& text,
                  const std::string& typed, int start);

// ---- counter ----------------------------------------------------------------------

// "none of 7 total", "3 of 7 total" (the one selected row + 1), "|3| of 7 total".
std::string CounterCaption(int selectedCount, int selectedRow, int total);

// ---- clipboard block ----------------------------------------------------------------

// The size of one record of the kind (2176 variables, 403 formulas).
std::size_t ClipboardRecordSize(int kind);
// The block of the given rows in list order: a 32-bit count and the records.
std::string BuildClipboardBlock(int kind, const std::vector<int>& rows);
// Checks a block: its size, 1..1000 records, short-string lengths and
// distribution types. An invalid block gives nothing.
std::optional<std::vector<std::string>> ParseClipboardBlock(int kind, const std::string& block);
// Pastes a valid block at row insertAt (-1 the end) in one undo group;
// the rows pasted, empty when the block is invalid.
std::vector<int> PasteClipboardBlock(TWorkbench& wb, int kind, const std::string& block,
                                     int insertAt);

// ---- selection ------------------------------------------------------------------

// Select Same Value: the rows whose value in column (0 "Name", 1
// "Distribution"/"Formula", 2 "Description", 3 "Link File") matches the
// reference row's.
std::vector<char> SelectSameValue(int kind, int reference, int column);

// ---- Edit menu -----------------------------------------------------------------------

struct TEditMenuInput {
  bool FileOpen = false;
  bool ListPanel = false;      // the variables or formulas panel is shown
  bool ListSelection = false;  // its list has a selection
  bool ListFocused = false;
  bool ClipboardHasListFormat = false;
  bool EditFocused = false;  // a text edit has the focus
  bool ClipboardHasText = false;
  bool VariablesPanel = false;
  bool GraphPanel = false;      // the ZoziVor panel is shown
  bool GraphSelection = false;  // its graph has a selected element
};
struct TEditMenuState {
  bool Cut = false, Copy = false, Paste = false, Delete = false, SelectAll = false,
       InvertSelection = false, SelectSameValue = false, RestoreVisible = false;
};
TEditMenuState EditMenuState(const TEditMenuInput& in);

// ---- commands --------------------------------------------------------------------------

// The distribution type a new variable gets from the editor's box (0 none).
int NewVariableType(int boxType, int variableCount);
// Add: a new formula (kind 6) or a variable of the type; the new row or -1.
int AddObject(TWorkbench& wb, int kind, int distType);

// Delete of the rows (with a sender: asks first; cut: no question for one
// item, records Cut items). Linked objects are skipped. True when something
// was deleted.
bool DeleteObjects(TWorkbench& wb, int kind, std::vector<int> rows, bool withSender, bool cut);

// ZoziVor models: each selected formula becomes a constant variable and each
// variable a formula (linked objects are skipped). True when something changed.
bool SwapListKind(TWorkbench& wb, int kind, std::vector<int> rows);

// Rename of the object at row. Names are UTF-8; blanks become "_". A
// variable that clashes gives "Random variable with name ... already
// exists!"; a formula "Function with name ... already exists". True when
// renamed.
bool RenameListObject(TWorkbench& wb, int kind, int row, const std::string& newName);

// ---- batch creation ---------------------------------------------------------------------

// The names "Create Variables..." gives count copies (blanks to "_",
// "*" splits prefix and suffix).
std::vector<std::string> BatchNames(const std::string& pattern, int count);
// The largest count the batch dialog allows.
int BatchCountLimit();
// Adds count copies of the record named by the pattern; the number added.
int BatchCreateVariables(TWorkbench& wb, const TExtendedRandomVariable& source,
                         const std::string& pattern, int count);
// Adds a type-11 variable for each chosen file, its path relative to the
// model file (absolute when the model has none). The number added.
int CreateFromDistributionFiles(TWorkbench& wb, const std::vector<std::string>& files);

// ---- distribution-file check -----------------------------------------------------------

// What the check needs from the variable editor: selecting a variable and
// opening its Browse dialog.
class IVariableEditor {
 public:
  virtual ~IVariableEditor() = default;
  // Makes row the only selected variable and shows it in the editor.
  virtual void ShowVariable(int row) = 0;
  // The editor's Browse dialog for the variable shown; true when a file was chosen.
  virtual bool Browse() = 0;
};

// Checks the files of the type-11 and type-12 variables. Interactive: asks,
// relinks, reports; silent: any missing file ends with false (and the
// "Simulation is canceled" warning). The result is DistrFilesOk.
bool CheckDistributionFiles(TWorkbench& wb, IVariableEditor& editor, bool interactive,
                            int selectedRow);

}  // namespace tesmira::wb
