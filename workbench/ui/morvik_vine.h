// The D-vine view: a staircase with the members' names in row 0 and the
// conditional correlations of tree Y in row Y, each cell between the two
// cells it joins. In tree mode (not transcended) only the names and the
// first tree show, and the members are reordered by dragging their names.
#pragma once

#include "dependence_edit.h"
#include "vine_view.h"

namespace tesmira::wb {

class TMorvikVine : public TVineView {
  Q_OBJECT
 public:
  explicit TMorvikVine(QWidget* parent = nullptr);

  void SetTranscended(bool transcended);
  bool Transcended() const { return geometry_.Transcended; }
  const TMorvikGeometry& Geometry() const { return geometry_; }
  int DropTarget = -1;  // the column a drag would drop on, -1 for none
  int LastCursor = 0;   // the drag cursor number the last drag-over chose
  // The window's drop into the tree (the D-vine's chain is reordered).
  std::function<void(const TDropRequest&)> Drop;

  const TVineGeometry* Cells() const override { return &geometry_; }
  int RowHeight() const override { return geometry_.H; }
  int VineType() const override { return DepDVine; }
  // The text of a cell as painted.
  QString CellText(TVineCell cell) const;
  QRect CellBounds(TVineCell cell) const override;

 protected:
  void Layout(const std::vector<QTreeWidgetItem*>& items) override;
  void Paint(QPainter& painter) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Whether a drag from source (its "list" or "tree") may drop at the point;
  // sets the drop target.
  bool AcceptsDrop(const QByteArray& source, const QPoint& pos);
  void EndDrag();
  QRect InsetRect(TVineCell cell, int textWidth) const;
  TMorvikGeometry geometry_;
  bool dragArmed_ = false;  // a press on a name cell in tree mode
};

}  // namespace tesmira::wb
