// The canonical vine view: one column per tree. The column's first cell is
// its root, read as "c|b,a" (the root, then the members it is conditioned
// on); below it every further member with its conditional correlation, read
// as "(0.30) d", with the tree view's lines.
#pragma once

#include "vine_view.h"

namespace tesmira::wb {

class TCanonicalVine : public TVineView {
  Q_OBJECT
 public:
  explicit TCanonicalVine(QWidget* parent = nullptr);

  const TCanonicalGeometry& Geometry() const { return geometry_; }

  const TVineGeometry* Cells() const override { return &geometry_; }
  int RowHeight() const override { return geometry_.H; }
  int VineType() const override { return DepCanonicalVine; }
  // The text of a cell, and as painted: cut with "..." to its column (the
  // tool tip of a cut cell shows it whole).
  QString CellText(TVineCell cell) const;
  QString ShownText(TVineCell cell) const;
  QRect CellBounds(TVineCell cell) const override;

 protected:
  bool viewportEvent(QEvent* event) override;
  void Layout(const std::vector<QTreeWidgetItem*>& items) override;
  void Paint(QPainter& painter) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QRect BoxRect(TVineCell cell, int textWidth) const;
  TCanonicalGeometry geometry_;
  int indent_ = 19;
  // Per member: for each ancestor that has a next sibling, how many levels up
  // it is (its line is drawn that many indents further left).
  std::vector<std::vector<int>> ancestorLines_;
};

}  // namespace tesmira::wb
