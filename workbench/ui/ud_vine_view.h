// The user-defined vine view: one column per level of the vine, the first
// being the dependence tree itself. A node that waits for a pairing choice
// is drawn dark red with its pairing widget below it; pressing a connector
// and releasing the mouse on it stores the choice and builds the next levels.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ud_vine.h"
#include "vine_view.h"

class QAction;
class QMenu;

namespace tesmira::wb {

class TWorkbench;

class TUDVine : public TVineView {
  Q_OBJECT
 public:
  explicit TUDVine(TWorkbench& wb, QWidget* parent = nullptr);

  const TUDVineLevels& Levels() const { return levels_; }
  const TUDLayout& UDLayout() const { return layout_; }
  const TUDConnectorTrack& Track() const { return track_; }
  // The node of a cell (level, index in the level), or none.
  TUDNode* NodeAt(TVineCell cell) const;

  int RowHeight() const override { return h_; }
  bool HasSelection() const override { return NodeAt(CurrentCell()) != nullptr; }
  void* SelectedNodeData() const override { return CellNode(CurrentCell()); }
  int SelectedLevel() const override { return CurrentCell().X + 1; }
  bool IsNameCell() const override;
  QString CellLabel(TVineCell cell) const override;
  // The view has no selection of its own beyond the current cell.
  int InvertSelection() override { return 0; }
  int SelectAll() override { return 0; }
  int VineType() const override { return DepUserVine; }
  bool IsCorrelationCell(TVineCell cell) const override;
  void* CellNode(TVineCell cell) const override;
  int CellLevel(TVineCell cell) const override { return cell.X + 1; }

  // Discards the levels, builds the first from the tree view and the others
  // as far as the stored pairing choices allow. Re-reading the members while
  // the view is hidden builds nothing: building creates the vine's trees in
  // the engine.
  void Rebuild();
  // "Re-Transcend from current level": forgets the choices from the current
  // level on and builds again.
  void mitRetranscendClick();

  QMenu* popUDVine = nullptr;
  QAction* mitRetranscend = nullptr;
  // Run when every level could be built.
  std::function<void()> UpdateVineButtons;

 protected:
  void Layout(const std::vector<QTreeWidgetItem*>& items) override;
  void Paint(QPainter& painter) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildLevels();
  void Relayout();
  TUDPoint ContentPoint(const QPoint& p) const;
  void PaintWidget(QPainter& painter, const TUDWidget& g);
  TTextWidth TextWidth();

  TWorkbench& wb_;
  std::vector<TUDTreeItem> items_;
  TUDVineLevels levels_;
  TUDLayout layout_;
  TUDConnectorTrack track_;
  QPoint point_;
  int h_ = 16, indent_ = 19;
  bool building_ = false, rebuild_ = false;
  std::unordered_map<std::string, int> widths_;
};

}  // namespace tesmira::wb
