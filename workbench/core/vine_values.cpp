#include "vine_values.h"

#include <algorithm>
#include <memory>

#include "model_helpers.h"
#include "tesmira/records.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"
#include "undo_items.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

bool IsMarker(double value) {
  const auto f = static_cast<float>(value);
  return f == static_cast<float>(CorrNotSet) || f == static_cast<float>(CorrUnavailable);
}

// Whether the newest undo group already holds the first old value of this
// cell: a vine value of the same node and level, or the node's own value for
// tree 1.
bool MergesWithTop(TWorkbench& wb, const std::string& name, int level) {
  const TUndoItems* top = wb.Undo.LastUndoGroup();
  if (top == nullptr || top->Count() == 0) return false;
  if (const auto* v = dynamic_cast<const TUndoVineValue*>(top->Item(0)))
    return v->Name() == name && v->Level() == level;
  if (const auto* v = dynamic_cast<const TUndoDepNodeValue*>(top->Item(0)))
    return v->Name() == name && level == 1;
  return false;
}

}  // namespace

TSelectionDescription DescribeVineCell(bool hasCell, const std::string& label, bool nameCell,
                                       double value) {
  TSelectionDescription d;
  if (!hasCell) {
    d.Correlation = "N/A";
    d.CorrelationReadOnly = false;
    return d;
  }
  d.LabelsEnabled = true;
  d.Name = label;
  d.NameReadOnly = true;
  d.CorrelationReadOnly = nameCell;
  if (nameCell)
    d.Correlation = "N/A";
  else
    d.Correlation = IsMarker(value) || value == 0 ? "0.0" : FormatNumber(value);
  return d;
}

TApplyOutcome ApplyVineCorrelation(TWorkbench& wb, const std::vector<TVineTarget>& cells,
                                   const std::string& text) {
  TApplyOutcome out;
  out.Check = CheckDeprank(text, !cells.empty());
  if (cells.empty() || !out.Check.IsNumber || out.Check.Invalid) return out;
  std::vector<TVineTarget> unique;
  for (const TVineTarget& c : cells)
    if (c.Node && c.Level >= 1 && std::find(unique.begin(), unique.end(), c) == unique.end())
      unique.push_back(c);
  if (unique.empty()) return out;
  const double v = out.Check.Value;
  ReleaseSavedStructure();
  SetModified(wb, true);
  CurrentUndoGroup group(wb.Undo);
  const bool record =
      unique.size() > 1 || !MergesWithTop(wb, NodeObjectName(unique[0].Node), unique[0].Level);
  for (const TVineTarget& c : unique) {
    const std::string name = NodeObjectName(c.Node);
    if (record) {
      // Undo runs backwards: the vine value first (in tree 1 it also sets the
      // node's correlation), then the node's own correlation.
      if (c.Level == 1)
        group.AddItem(
            std::make_unique<TUndoDepNodeValue>(name, Get_node_correlation_with_parent(c.Node)));
      group.AddItem(
          std::make_unique<TUndoVineValue>(name, Vine_GetCorrValue(c.Node, c.Level), c.Level));
    }
    if (c.Level == 1) Set_node_correlation_with_parent(c.Node, static_cast<float>(v));
    Vine_SetCorrValue(c.Node, c.Level, v);
  }
  group.Push();
  out.Applied = true;
  return out;
}

}  // namespace tesmira::wb
