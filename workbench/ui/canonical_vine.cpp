#include "canonical_vine.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>

#include "elide.h"
#include "model_helpers.h"
#include "tesmira/vines.h"

namespace tesmira::wb {

namespace {

int Depth(const QTreeWidgetItem* item) {
  int depth = 0;
  for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent()) ++depth;
  return depth;
}

bool HasNextSibling(const QTreeWidgetItem* item) {
  const QTreeWidgetItem* p = item->parent();
  if (p) return p->indexOfChild(const_cast<QTreeWidgetItem*>(item)) < p->childCount() - 1;
  const QTreeWidget* tree = item->treeWidget();
  return tree && tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) <
                     tree->topLevelItemCount() - 1;
}

}  // namespace

TCanonicalVine::TCanonicalVine(QWidget* parent) : TVineView(parent) {
  setObjectName("CanonicalVine");
}

void TCanonicalVine::Layout(const std::vector<QTreeWidgetItem*>& items) {
  const QFontMetrics fm = fontMetrics();
  indent_ = Tree() ? Tree()->indentation() : 19;
  geometry_.N = N();
  geometry_.H = TreeRowHeight(items, 16);
  int widest = 0;
  ancestorLines_.assign(items.size(), {});
  for (std::size_t k = 0; k < items.size(); ++k) {
    widest = std::max(widest,
                      fm.horizontalAdvance(Name(static_cast<int>(k))) + Depth(items[k]) * indent_);
    int up = 1;
    for (const QTreeWidgetItem* a = items[k]->parent(); a; a = a->parent(), ++up)
      if (HasNextSibling(a)) ancestorLines_[k].push_back(up);
  }
  geometry_.W = widest + fm.horizontalAdvance("() ") + fm.horizontalAdvance(CorrelationSample()) +
                2 * ((geometry_.H - fm.boundingRect("0q").height()) / 2) + 12;
  UpdateScrollBars(geometry_.ContentWidth(), geometry_.ContentHeight());
}

QString TCanonicalVine::CellText(TVineCell cell) const {
  if (cell.Y == cell.X)
    return QString::fromStdString(TCanonicalGeometry::RootCaption(cell.X, Names()));
  const double value = Vine_GetCorrValue(ItemNode(cell.Y), cell.X + 1);
  return "(" + QString::fromStdString(FormatCorrelation(value)) + ") " + Name(cell.Y);
}

void TCanonicalVine::Paint(QPainter& painter) {
  const QSize client = viewport()->size();
  const QPalette& pal = palette();
  painter.fillRect(QRect(QPoint(0, 0), client), pal.color(QPalette::Base));
  const int n = geometry_.N;
  if (n < 2) return;
  const int w = geometry_.W, h = geometry_.H;
  const int sx = ScrollX(), sy = ScrollY();
  const QFontMetrics fm = fontMetrics();
  const TVineCell current = CurrentCell();
  const QColor line = pal.color(QPalette::Mid);
  // Only the columns and rows inside the client area.
  const int firstColumn = std::max(0, sx / w);
  const int lastColumn = std::min(n - 2, (sx + client.width()) / w);
  const int firstRow = std::max(0, sy / h);
  const int lastRow = std::min(n - 1, (sy + client.height()) / h);
  for (int k = firstColumn; k <= lastColumn; ++k) {
    const int columnLeft = k * w - sx;
    for (int y = std::max(k, firstRow); y <= lastRow; ++y) {
      const TVineCell cell{k, y};
      const int top = y * h - sy, bottom = top + h;
      int left = columnLeft;
      if (y > k) {
        left += indent_;
        const int x0 = left - indent_ / 2 - 1;
        const int ym = top + (bottom - top) / 2;
        painter.setPen(line);
        painter.drawLine(x0, ym, left + 4, ym);
        painter.drawLine(x0, ym, x0, top - 1);
        if (y < n - 1) painter.drawLine(x0, ym, x0, bottom + 1);
        for (int up : ancestorLines_[static_cast<std::size_t>(y)])
          painter.drawLine(x0 - up * indent_, top, x0 - up * indent_, bottom);
      }
      const QString text = ShownText(cell);
      const int pad = (h - fm.height()) / 2;
      const bool selected = y > k && (cell == current || IsCellSelected(cell));
      const TCellColours colours = SetCellColours(selected);
      const QRect r = BoxRect(cell, fm.horizontalAdvance(text));
      painter.fillRect(r, colours.Brush);
      painter.setPen(colours.Font);
      painter.drawText(left + pad + 1, top + pad + fm.ascent(), text);
      if (selected) {
        if (cell == current) CurrentCellRect = r;
        painter.setPen(line);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
      }
    }
  }
}

QRect TCanonicalVine::BoxRect(TVineCell cell, int textWidth) const {
  const int h = geometry_.H;
  const int pad = (h - fontMetrics().height()) / 2;
  // Member cells are indented as the tree view indents children.
  const int left = cell.X * geometry_.W - ScrollX() + (cell.Y > cell.X ? indent_ : 0);
  return QRect(left, cell.Y * h - ScrollY(), textWidth + 2 * pad + 2, h);
}

QRect TCanonicalVine::CellBounds(TVineCell cell) const {
  return BoxRect(cell, fontMetrics().horizontalAdvance(ShownText(cell)));
}

QString TCanonicalVine::ShownText(TVineCell cell) const {
  const int pad = (geometry_.H - fontMetrics().height()) / 2;
  const int room = geometry_.W - (cell.Y > cell.X ? indent_ : 0) - 2 * pad - 4;
  return ElideText(fontMetrics(), CellText(cell), room);
}

bool TCanonicalVine::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip || geometry_.N < 2) return TVineView::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  const TVineCell cell = geometry_.Hit(ScrollX(), ScrollY(), help->pos().x(), help->pos().y());
  const bool inside =
      cell.X >= 0 && cell.X <= geometry_.N - 2 && cell.Y >= cell.X && cell.Y < geometry_.N;
  if (inside && ShownText(cell) != CellText(cell))
    QToolTip::showText(help->globalPos(), CellText(cell), viewport());
  else
    QToolTip::hideText();
  return true;
}

void TCanonicalVine::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || N() == 0) return;
  PressCell(geometry_, event->position().toPoint(), event->modifiers());
  if (OnSelection) OnSelection(nullptr);
  setFocus();
  viewport()->update();
}

}  // namespace tesmira::wb
