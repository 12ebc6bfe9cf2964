// The main window's pure pieces: its caption and application title, the
// decoding of the central refresh mask into ordered steps, the recent-file
// list, the Save button's enabling and the texts of the two object lists.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tesmira::wb {

// "Tesmira v" + the program version with one decimal ("Tesmira v2.2").
std::string VersionCaption();

struct TWindowTitles {
  std::string Caption;  // the window's caption
  std::string Title;    // the application title (task bar)
};
// fileKind: 2/5 input, 3 output, 4 sample file, else "?"; modelType 2 is a
// formula model, anything else a ZoziVor model.
TWindowTitles BuildWindowTitles(bool fileOpen, const std::string& fileName, int fileKind,
                                int modelType);

// The steps of UpdateView, in the order they run.
enum class TViewStep {
  Caption,          // 0x001
  VariableList,     // 0x004
  FormulaList,      // 0x008
  Dependence,       // 0x010
  LinkManager,      // 0x020
  EnsureSelection,  // 0x080
  ChoosePanel,      // 0x100
  GraphRebuild,     // 0x400
  GraphState,       // 0x200
};
std::vector<TViewStep> DecodeViewMask(unsigned mask);
// Whether a rebuilt list selects its first item (0x001 set, 0x040 clear).
bool ViewSelectsFirstItem(unsigned mask);

// Puts name at the top of the four recent files (a name already there, in
// any letter case, moves up; otherwise the last falls off). An empty name
// changes nothing and answers false.
bool AddToRecentFiles(std::array<std::string, 4>& entries, const std::string& name);

// The toolbar's Save button. reportTag: 1 plain-text, 2 rich-text report in
// the pane, 0 none.
bool SaveButtonEnabled(bool fileOpen, int fileKind, bool modified, bool hasFileName, int reportTag);

// The "#" column: number padded on the left to the digit count of the
// number of objects of the kind (1 up to 9, 2 up to 99, 3 up to 999, else 4).
std::string FormatIndexCaption(int kind, int number);

class TSavedDescriptions;

// The text of a cell of the variable (kind 1) or formula (kind 6) list, row
// 0-based, columns "#", "Name", "Distribution"/"Formula", "Description",
// "Link File"; UTF-8. shown: the descriptions saved around a simulation,
// which a variable's "Description" shows while the dialog is open.
std::string ObjectListCell(int kind, int row, int column,
                           const TSavedDescriptions* shown = nullptr);

}  // namespace tesmira::wb

namespace tesmira::wb {

class TWorkbench;

// A formula (1-based) whose text is empty (or one NUL character) and whose
// name no formula uses as an identifier.
bool IsEmptyUnusedFormula(int number);
// Deletes every empty unused formula, last first; the number deleted.
int RemoveEmptyFormulas();

// Checks the whole formula set. On failure the failing formula (when the
// engine names one) is selected in a rebuilt formula list; interactive asks
// "A diagnostic error:..." (No goes on, Yes shows the formulas panel), the
// plain check reports the failure (and offers the formulas panel when it is
// not visible). True when the caller may go on.
bool CheckFormulaSet(TWorkbench& wb, bool interactive, bool formulasPanelVisible);

}  // namespace tesmira::wb

namespace tesmira::wb {

// Asks which names of a sample file become variables: checked (one flag
// per name, all set on entry) keeps the chosen ones; false cancels.
using TSampleNameChoice =
    std::function<bool(const std::vector<std::string>& names, std::vector<char>& checked)>;

// Adds a sample-file variable (type 12) for every name of the sample file's
// header (inputs first, then outputs; position = the name's place), all in
// one undo group, and marks the model modified. ask, when given, chooses the
// names first. The number added; -1 when nothing was done (a bad file, after
// its message, or a cancelled choice).
int CreateVariablesFromSampleFile(TWorkbench& wb, const std::string& fileName,
                                  const TSampleNameChoice& ask = {});

// Batch > "Create From Sample File...": the sample file from the open
// dialog, then its variables with the names that ask chooses; the number
// added, -1 when nothing was done.
int BatchCreateFromSampleFile(TWorkbench& wb, const TSampleNameChoice& ask);
// The command is offered only while the model has no random variable.
bool SampleFileBatchEnabled();

}  // namespace tesmira::wb

namespace tesmira::wb {

// "1 h 2 m 5 s": hours only above 3600 seconds, minutes when the rest
// exceeds 60 seconds.
std::string FormatDuration(long long seconds);

// The texts of the transformation progress window for current of total
// after elapsed seconds. Without progress yet (current <= 0) no remaining
// time is shown.
struct TProgressTexts {
  std::string Progress;  // "Conversion complete : n %", at most 99
  std::string Elapsed;   // "Elapsed: ... Remaining: ~..."
};
TProgressTexts TransformProgressTexts(long long current, long long total, long long elapsed);

}  // namespace tesmira::wb

namespace common {
class TIniFile;
}

namespace tesmira::wb {

// The link manager's place from its settings section "LinkWindow": Top and
// Left clamped to [-1, screen - 100]; Width and Height (clamped to
// [50, 10000]) only when neither is -1, else all four are -1 (keep the
// designed place).
struct TWindowPlace {
  int Top = -1, Left = -1, Width = -1, Height = -1;
};
TWindowPlace ReadLinkWindowPlace(const common::TIniFile& ini, int screenWidth, int screenHeight);

// Gives link index (1-based) another file: asks for it, links it, and only
// then unlinks the old file. A cancelled choice or a failed link changes
// nothing. True when the link was changed.
bool RelinkFile(TWorkbench& wb, int index);

// Merges the objects of the given links (1-based) into the model, the last
// first (variables first, their distribution files made relative), then
// unlinks each; a failed unlink asks whether to go on.
void MergeLinks(TWorkbench& wb, std::vector<int> indexes);
// Unlinks the given links, the last first, asking on a failure.
void RemoveLinks(TWorkbench& wb, std::vector<int> indexes);

}  // namespace tesmira::wb
