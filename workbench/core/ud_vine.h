// The levels of a user-defined vine. The first level is the dependence tree
// as the tree view holds it; every further level has the edges of the level
// below as its nodes, and joins two edges only when they share a node. Where
// a node has more edges than one way of joining them, the user's stored
// pairing choice decides; without one the level waits (is incomplete) and
// shows a pairing widget whose connectors the user picks from.
//
// Also the geometry the view draws and hit-tests with: level widths, rows,
// the pairing widgets' connectors.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "services.h"

namespace tesmira::wb {

class TWorkbench;
class TUDNodes;

// Labels longer than this many characters are cut there and end in "...".
inline constexpr std::size_t UDLabelCap = 255;

// One node of one level.
struct TUDNode {
  TUDNodes* level = nullptr;
  int index = 0;  // position in its level's array
  TUDNode* parent = nullptr;
  std::vector<TUDNode*> children;
  // The two nodes of the level below that this node (an edge there) joins;
  // none in the first level; a placeholder has no left.
  TUDNode* left = nullptr;
  TUDNode* right = nullptr;
  // First level: the tree item and its name.
  TTreeItem item = nullptr;
  std::string name;
  // The dependence node: the item's, or the one reached by following right
  // down to the first level.
  void* depNode = nullptr;
  // Higher levels: 0, or the 1-based position of the node of the level below
  // that waits for a pairing choice.
  int32_t pendingVertex = 0;

  int Depth() const;
  TUDNode* NextSibling() const;
  void* DependenceNode() const { return depNode; }
  // The display text (possibly abbreviated), cut at UDLabelCap.
  std::string Label() const;
  // The full label: the names joined by "|", down to the first level; cut
  // at UDLabelCap.
  std::string FullLabel() const;
  bool IsRoot() const { return parent == nullptr; }

  // The label is own text, or (composed) the labels of left and right joined
  // by "|", produced on demand: each level doubles the names.
  std::string text;
  bool composed = false;
};

// One level of the vine.
class TUDNodes {
 public:
  std::vector<std::unique_ptr<TUDNode>> Nodes;
  std::unique_ptr<TUDNodes> Next;  // the level above
  TUDNodes* Below = nullptr;
  int Number = 0;  // 0 for the first tree
  bool Incomplete = false;

  int Count() const { return static_cast<int>(Nodes.size()); }
  TUDNode* At(int i) const { return i >= 0 && i < Count() ? Nodes[i].get() : nullptr; }
  TUDNode& Add();
};

// One item of the tree view: its parent's position (-1 for a root), its
// dependence node and name (UTF-8). Items are in the tree's flat order, a
// parent before its children.
struct TUDTreeItem {
  int parent = -1;
  void* node = nullptr;
  std::string name;
  TTreeItem item = nullptr;
};
std::vector<TUDTreeItem> UDTreeDescription(IDependenceTree& tree);

// Width in pixels of a text (UTF-8) on the canvas that decides abbreviation.
using TTextWidth = std::function<int(const std::string&)>;

// The abbreviation letters of position i: "A".."Z", then "AA", "AB", ...
std::string UDAbbreviation(int i);
// The text of child row i of a pairing widget for the waiting node v.
std::string UDWidgetRowText(const TUDNode& v, int i);

// The chain of levels, built from a tree description and the pairing store.
class TUDVineLevels {
 public:
  void Clear() { first_.reset(); }
  TUDNodes* First() const { return first_.get(); }
  TUDNodes* Top() const;
  TUDNodes* Level(int x) const;
  int LevelCount() const;

  // Discards every level and builds the first from the tree.
  void BuildFirst(const std::vector<TUDTreeItem>& items);
  // Builds a new level above below, discarding any levels above it.
  TUDNodes& BuildNext(TUDNodes& below, const TWorkbench& wb, const TTextWidth& width);
  // Builds new top levels while the top is complete and fewer than
  // itemCount - 1 levels exist. True when the top is complete.
  bool BuildLevels(int itemCount, const TWorkbench& wb, const TTextWidth& width);
  // Discards the top level and builds it again from the level below it.
  void RebuildTop(const TWorkbench& wb, const TTextWidth& width);

 private:
  std::unique_ptr<TUDNodes> first_;
  // The engine's highest level while levels are built one after the other
  // (asking the engine costs a walk over the structure).
  std::optional<int32_t> transcended_;
};

// ---- geometry --------------------------------------------------------------------

struct TUDMetrics {
  int rowHeight = 16;
  int indent = 19;
  TTextWidth textWidth;
  int textHeight = 13;    // height of "0q"
  int valueExtra = 0;     // width of "() " plus the correlation sample
  int widgetWidth = 200;  // the pairing widget
};

struct TUDPoint {
  int x = 0, y = 0;
};

// A connector of a pairing widget, in content coordinates.
struct TUDConnector {
  int index = 0;
  TUDPoint a, b;  // a vertical connector has a.x == b.x
  bool Vertical() const { return a.x == b.x; }
  TUDPoint Middle() const { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
  // Whether p lies on the connector, within tolerance pixels.
  bool Hit(TUDPoint p, int tolerance) const;
};

// The pairing widget under a pending node, in content coordinates.
struct TUDWidget {
  TUDNode* pending = nullptr;
  TUDNode* vertex = nullptr;  // the waiting node of the level below
  int left = 0, top = 0, width = 0, height = 0;
  bool circle = false;  // the pending node has a left
  std::vector<int> childRowTops;
  std::vector<TUDConnector> connectors;  // by index, 0..d
  int Middle() const { return top + height / 2; }
};

// Positions of everything the view draws, computed once per build.
class TUDLayout {
 public:
  void Compute(const TUDVineLevels& levels, int itemCount, const TUDMetrics& m);

  int ContentWidth() const { return contentWidth_; }
  int ContentHeight() const { return contentHeight_; }
  int LevelLeft(int x) const { return lefts_[x]; }
  int LevelWidth(int x) const { return widths_[x]; }
  int LevelCount() const { return static_cast<int>(widths_.size()); }
  // Content row of node y of level x.
  int Row(int x, int y) const { return rows_[x][y]; }
  const std::vector<TUDWidget>& Widgets() const { return widgets_; }

  // The cell (level, node) at a content point; (-1, -1) when none.
  std::pair<int, int> HitCell(TUDPoint p) const;
  // The first connector hit at a content point: widget and connector
  // positions, or (-1, -1).
  std::pair<int, int> HitConnector(TUDPoint p) const;

 private:
  int rowHeight_ = 16, itemCount_ = 0;
  int contentWidth_ = 0, contentHeight_ = 0;
  std::vector<int> lefts_, widths_;
  std::vector<std::vector<int>> rows_;
  std::vector<int> rowsOfLast_;  // rows taken by each node of the last level
  std::vector<TUDWidget> widgets_;
};

// The press-and-drag state on the pairing widgets.
struct TUDConnectorTrack {
  int mouseState = 0;  // 0 idle, 1 pressed
  TUDNode* pending = nullptr;
  int index = -1;
  bool onConnector = false;

  void Reset() {
    pending = nullptr;
    index = -1;
    onConnector = false;
  }
  bool Recorded() const { return pending != nullptr; }
  // Tests the connectors at p: the first hit is recorded; on connector
  // follows whether the hit one is the recorded one.
  void Update(const TUDLayout& layout, TUDPoint p);
};

}  // namespace tesmira::wb
