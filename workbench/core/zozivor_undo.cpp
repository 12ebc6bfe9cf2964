#include "zozivor_undo.h"

#include "tesmira/model.h"
#include "undo_items.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

// Whether applying the step brings the element back.
bool Recreates(uint8_t code, bool undo) {
  return (code == UndoDelete && undo) || (code == UndoAdd && !undo);
}

void ShowGraph(TWorkbench& wb, TGraph& graph, bool redraw) {
  if (redraw) graph.Redraw();
  wb.Ui().UpdateView(ViewGraph);
  wb.Ui().ShowPanel(TPanel::ZoziVor);
}

}  // namespace

bool TUndoDualNodeMove::Apply(TWorkbench& wb, bool, bool isLast) {
  TGraphNode* node = graph_.FindNode(number_, false);
  if (node == nullptr) return false;
  std::swap(node->X, x_);
  std::swap(node->Y, y_);
  node->FloatX = node->X;
  node->FloatY = node->Y;
  if (isLast) ShowGraph(wb, graph_, false);
  return true;
}

TUndoDualNode::TUndoDualNode(TGraph& graph, uint8_t code, const TGraphNode& node,
                             const TSavedObject& saved)
    : graph_(graph), code_(code), saved_(saved) {
  copy_.AssignFrom(node);
}

std::string TUndoDualNode::Caption(bool) const {
  return code_ == UndoDelete ? "Delete Zozivor Node" : "Add Zozivor Node";
}

bool TUndoDualNode::Apply(TWorkbench& wb, bool undo, bool isLast) {
  if (Recreates(code_, undo)) {
    // A node of that number already there is kept as it is.
    if (graph_.FindNode(copy_.Number, false) == nullptr) {
      auto node = std::make_unique<TGraphNode>();
      node->AssignFrom(copy_);
      node->FloatX = node->X;
      node->FloatY = node->Y;
      const bool created =
          saved_.Kind != 0 ? RestoreObject(saved_) : node->CreateModelObjects(graph_);
      if (created) {
        graph_.Elements.push_back(std::move(node));
        graph_.SelectedIndex = static_cast<int>(graph_.Elements.size()) - 1;
        wb.Ui().UpdateView(ViewVariables | ViewFormulas);
      }
    }
  } else {
    TGraphNode* node = graph_.FindNode(copy_.Number, false);
    if (node == nullptr) return false;
    copy_.AssignFrom(*node);
    TSavedObject saved = SaveObject(node->NodeName());
    if (!node->DeleteFromModel(graph_, nullptr)) return false;
    saved_ = saved;
  }
  if (isLast) ShowGraph(wb, graph_, true);
  return true;
}

TUndoDualArc::TUndoDualArc(TGraph& graph, uint8_t code, const TGraphEdge& arc,
                           const std::array<TSavedObject, 3>& saved)
    : graph_(graph),
      code_(code),
      first_(arc.First ? arc.First->Number : -1),
      second_(arc.Second ? arc.Second->Number : -1),
      saved_(saved) {}

std::string TUndoDualArc::Caption(bool) const {
  return code_ == UndoDelete ? "Delete Zozivor Arc" : "Add Zozivor Arc";
}

bool TUndoDualArc::Apply(TWorkbench& wb, bool undo, bool isLast) {
  TGraphNode* a = graph_.FindNode(first_, false);
  TGraphNode* b = graph_.FindNode(second_, false);
  if (a == nullptr || b == nullptr) return false;
  if (Recreates(code_, undo)) {
    if (graph_.FindArc(a, b) == nullptr) {
      auto arc = std::make_unique<TGraphEdge>();
      arc->First = a;
      arc->Second = b;
      bool created = true;
      if (saved_[0].Kind || saved_[1].Kind || saved_[2].Kind) {
        // Their places were noted before any of them went.
        for (std::size_t i = 0; i < 3 && created; ++i)
          if (saved_[i].Kind) created = RestoreObject(saved_[i]);
        if (!created)
          for (const TSavedObject& s : saved_)
            if (s.Kind) DeleteObjectNamed(SavedObjectName(s));
      } else {
        created = arc->CreateModelObjects(graph_);
      }
      if (created) {
        graph_.Elements.push_back(std::move(arc));
        graph_.SelectedIndex = static_cast<int>(graph_.Elements.size()) - 1;
      }
      wb.Ui().UpdateView(ViewVariables | ViewFormulas);
    }
  } else {
    TGraphEdge* arc = graph_.FindArc(a, b);
    if (arc == nullptr) return false;
    const std::array<TSavedObject, 3> saved = arc->SaveObjects();
    arc->DeleteFromModel(graph_, nullptr);
    saved_ = saved;
  }
  if (isLast) ShowGraph(wb, graph_, true);
  return true;
}

}  // namespace tesmira::wb
