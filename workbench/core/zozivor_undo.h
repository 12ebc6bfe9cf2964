// Undo items of the ZoziVor graph: a node's move, and the addition or
// deletion of a node or an arc. They find their elements again by node
// number; deleted model objects come back as they were.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "undo.h"
#include "zozivor_graph.h"

namespace tesmira::wb {

class TUndoDualNodeMove : public TUndoItem {
 public:
  TUndoDualNodeMove(TGraph& graph, const TGraphNode& node)
      : graph_(graph), number_(node.Number), x_(node.X), y_(node.Y) {}
  TUndoDualNodeMove(TGraph& graph, int number, TGraphPoint position)
      : graph_(graph), number_(number), x_(position.X), y_(position.Y) {}
  std::string Caption(bool) const override { return "Move Zozivor Node"; }
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  TGraph& graph_;
  int number_;
  int x_, y_;
};

// code: UndoDelete (16) the node was deleted, UndoAdd (32) it was added.
class TUndoDualNode : public TUndoItem {
 public:
  TUndoDualNode(TGraph& graph, uint8_t code, const TGraphNode& node, const TSavedObject& saved);
  std::string Caption(bool) const override;
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  TGraph& graph_;
  uint8_t code_;
  TGraphNode copy_;
  TSavedObject saved_;
};

class TUndoDualArc : public TUndoItem {
 public:
  TUndoDualArc(TGraph& graph, uint8_t code, const TGraphEdge& arc,
               const std::array<TSavedObject, 3>& saved);
  std::string Caption(bool) const override;
  bool Apply(TWorkbench& wb, bool undo, bool isLast) override;

 private:
  TGraph& graph_;
  uint8_t code_;
  int first_, second_;
  std::array<TSavedObject, 3> saved_;
};

}  // namespace tesmira::wb
