// The values the dependence view edits: the rank correlation of tree nodes
// with their parents, the cells of a correlation matrix and the copula type
// of a structure; how the selection is described, and the names of the
// structures. Texts are UTF-8; node names code page 437 as the engine keeps
// them.
#pragma once

#include <string>
#include <vector>

#include "dependence_menu.h"
#include "dependence_tree.h"
#include "model_helpers.h"

namespace tesmira::wb {

class TWorkbench;

// ---- the correlation edit ---------------------------------------------------------

struct TRankCheck {
  bool IsNumber = false;  // the whole trimmed text is a number
  double Value = 0;
  bool Invalid = false;  // the edit is marked red with Hint
  std::string Hint;
};
// Reads the correlation edit; mark: the edit is visible and the tree has items.
TRankCheck CheckDeprank(const std::string& text, bool mark);

struct TApplyOutcome {
  bool Applied = false;
  TRankCheck Check;
};
// Applies the edit's text to the selected item, or to every marked item
// when several are marked. A value the engine's check refuses is marked and
// not applied.
TApplyOutcome ApplyTreeCorrelation(TWorkbench& wb, TDepTreeAdapter& tree, const std::string& text,
                                   bool vineMode);

// What the name and correlation edits show for the tree's selection.
struct TSelectionDescription {
  std::string Name;
  std::string Correlation;
  bool NameReadOnly = true;
  bool CorrelationReadOnly = true;
  bool LabelsEnabled = false;
};
TSelectionDescription DescribeTreeSelection(TDepTreeAdapter& tree, bool vineMode);

// ---- the correlation matrix grid ----------------------------------------------------

enum class TCellColour { Normal, Grey, Red, DarkRed };

// "BAD" for CorrUnavailable, empty for CorrNotSet, else "%*.*f" with the
// matrix precision.
std::string MatrixCellText(double value);
// row, column 1-based.
TCellColour MatrixCellColour(int row, int column, double value);
// The editor's text: empty for the two markers.
std::string MatrixEditText(double value);
bool MatrixCellEditable(int row, int column, int members);

struct TCellEditOutcome {
  bool Stored = false;
  bool Refused = false;  // the grid's font turns dark red
  std::string Hint;
};
// A text typed into cell (row, column), 1-based over the members.
TCellEditOutcome SetMatrixCellText(TWorkbench& wb, const std::vector<void*>& members, int row,
                                   int column, const std::string& text);
// "(row name, column name):" and the panel's message after a blank.
std::string MatrixAddressText(void* rowNode, void* columnNode, const std::string& message);

// "Verify": 0 a cell is missing (in cell), 1 positive definite, 2 not (and
// initialised when the user agreed).
int VerifyMatrix(TWorkbench& wb, const std::vector<void*>& members, TGridRect* cell);
// "Initialize": nothing when no cell is set; else asks and initialises.
bool InitializeMatrix(TWorkbench& wb, const std::vector<void*>& members);

// ---- copula types -------------------------------------------------------------------

std::string CopulaTitle(int code);
// Every node of the current structure with the root's type gets the copula
// (every node without a current structure).
void StoreBivariateType(TWorkbench& wb, int code);
// The code the box should show; -1 with no node.
int ShownBivariateType();

// ---- structure names ----------------------------------------------------------------

// "ROOT", "VINE~..." and "COMP_NODE" followed by a number, in any case.
bool IsReservedStructureName(const std::string& name);
// The names the structure-name box lists, in directory order.
std::vector<std::string> StructureNames();
// An empty text when name may become the current structure's name, else the
// reason it is refused.
std::string CheckStructureRename(const std::string& name);

// ---- the slider -----------------------------------------------------------------------

// The track position for a correlation: the nearest step of 0.05.
int SliderPosition(double correlation);
double SliderValue(int position);

}  // namespace tesmira::wb
