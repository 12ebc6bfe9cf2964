// The random-variable editor's logic without a window: what the frame shows
// for the selected variables (help lines, the parameter grid of up to three
// columns, the file line), and its writes (type change with remembered
// parameters, column update, rename, description, Browse), each one undo
// group, carried over to the other selected variables that are not linked.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tesmira/records.h"

namespace tesmira::wb {

class TWorkbench;

// Browse for the file of the variable at row: a distribution file (type 11,
// stored up to 253 characters) or the probability file, which every type-12
// variable reading the same sample file takes (up to 126 characters). The
// path is stored relative to the model file; one undo group with an item per
// changed variable. False when the choice was cancelled.
bool BrowseVariableFile(TWorkbench& wb, int row);

// The distribution box: item index of a type (-1 for types 12, 14, 15) and back.
int DistributionIndex(int type);
int DistributionOfIndex(int index);
// The 13 titles of the box, UTF-8.
std::vector<std::string> DistributionTitles();

// The help area between the distribution box and the parameter grid: the
// help lines and the density preview side by side in height when the free
// height allows (at least 190 pixels), else one of them chosen by the
// "Formula"/"Plot" tabs (tabIndex 0 or 1), nothing when there is no room. A
// Discrete variable shows its one help line and no preview.
struct THelpArea {
  bool Help = false, Plot = false, Tabs = false;
};
THelpArea HelpAreaLayout(int freeHeight, bool discrete, int tabIndex);
// The rows of a Discrete variable that fit a height at rowPitch: 1..20.
int DiscreteRowsFit(int height, int rowPitch);

struct TVariableColumn {
  bool Shown = false;
  bool Updatable = false;
  std::string Title;
  std::vector<std::string> Labels;  // the shown rows' labels, "label="
  std::vector<std::string> Cells;   // their texts; " " where the selection differs
  std::string Error;                // "(Variable error!): ..."
};

struct TVariableView {
  bool Enabled = false;
  std::string Name, Description, Message;
  bool MessageRed = false;
  int TypeIndex = -1;  // none when nothing or several types are selected
  bool HideGrid = true, Discrete = false, Linked = false;
  bool NameEnabled = false, TypeEnabled = false, DescriptionEnabled = false, Editable = false;
  std::vector<std::string> HelpLines;
  bool FileLine = false;
  std::string FileText;
  int FileColour = 0;  // 0 normal, 255 red (missing), 128 (not specified)
  std::array<TVariableColumn, 3> Columns;
};

class TVariableFrameCore {
 public:
  TVariableFrameCore();
  TExtendedRandomVariable EditRecord;
  bool LastUpdateFailed = false;

  // Shows the selection (rows sorted; current: the list's current row);
  // rowsFit limits the rows of a Discrete variable's columns.
  TVariableView Show(const std::string& modelFileName, const std::vector<int>& rows, int current,
                     int rowsFit = 20);
  // A new type from the box (Reset: the type's defaults even when unchanged).
  bool ChangeType(TWorkbench& wb, const std::vector<int>& rows, int type, bool reset);
  // Column 1..3 from the cell texts (top down); message: the red error, if any.
  bool UpdateColumn(TWorkbench& wb, const std::vector<int>& rows, int column,
                    const std::vector<std::string>& cells, bool fromEdit, std::string& message);
  // Result: 1 renamed, 0 unchanged, -1 refused (message then set).
  int Rename(TWorkbench& wb, const std::string& newName, std::string& message);
  bool SetDescription(TWorkbench& wb, const std::vector<int>& rows, const std::string& text);
  // Reset: the defaults of the type and an empty description in one undo step.
  bool Reset(TWorkbench& wb, const std::vector<int>& rows);
  // A file-based type (11, 12) whose file is empty or names no existing file
  // (expanded against the model's folder, or by its bare name).
  bool FileMissing(const std::string& modelFileName) const;

 private:
  // The steps of Show: names, description and enabling of the selection (true:
  // the selected types differ); the file line of a file-based type; the
  // value columns of the others.
  bool ShowSelection(TVariableView& v, const std::vector<int>& rows, int current);
  void ShowFileLine(TVariableView& v, const std::string& modelFileName) const;
  void ShowColumns(TVariableView& v, int rowsFit) const;
  void FillColumn(TVariableView& v, TVariableColumn& col, int c, int rowsFit) const;
  void Remember();
  void Recall(int type);
  // Writes EditRecord and carries type and parameters (with4or8) or the
  // description (with16) over to the other selected variables.
  void WriteBack(TWorkbench& wb, const std::vector<int>& rows, bool with4or8, bool with16);
  std::vector<TDistribution> remembered_;
  std::array<std::array<bool, 20>, 3> common_{};
};

}  // namespace tesmira::wb
