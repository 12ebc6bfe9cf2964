#include "morvik_vine.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidget>
#include <algorithm>

#include "dependence_tree_view.h"
#include "model_helpers.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira::wb {

TMorvikVine::TMorvikVine(QWidget* parent) : TVineView(parent) {
  setObjectName("MorvikVine");
  setAcceptDrops(true);
}

void TMorvikVine::SetTranscended(bool transcended) {
  geometry_.Transcended = transcended;
  UpdateScrollBars(geometry_.ContentWidth(), geometry_.ContentHeight());
  viewport()->update();
}

void TMorvikVine::Layout(const std::vector<QTreeWidgetItem*>& items) {
  const QFontMetrics fm = fontMetrics();
  int widest = fm.horizontalAdvance(CorrelationSample()) + 8;
  for (QTreeWidgetItem* item : items)
    widest = std::max(widest, fm.horizontalAdvance(item->text(0)));
  const int indent = Tree() ? Tree()->indentation() : 19;
  geometry_.N = N();
  geometry_.W = widest + indent + 6;
  geometry_.H = TreeRowHeight(items, 16);
  UpdateScrollBars(geometry_.ContentWidth(), geometry_.ContentHeight());
}

QString TMorvikVine::CellText(TVineCell cell) const {
  if (cell.Y == 0) return Name(cell.X);
  void* node = ItemNode(cell.X);
  const double value = geometry_.Transcended ? Vine_GetCorrValue(node, cell.Y)
                                             : Get_node_correlation_with_parent(node);
  return QString::fromStdString(FormatCorrelation(value));
}

void TMorvikVine::Paint(QPainter& painter) {
  const QSize client = viewport()->size();
  const QPalette& pal = palette();
  painter.fillRect(QRect(QPoint(0, 0), client), pal.color(QPalette::Base));
  const int n = geometry_.N;
  if (n == 0) return;
  const int w = geometry_.W, h = geometry_.H;
  const int sx = ScrollX(), sy = ScrollY();
  const QFontMetrics fm = fontMetrics();
  const TVineCell current = CurrentCell();
  // Only the rows and cells inside the client area.
  const int firstRow = std::max(0, sy / (h + 4));
  const int lastRow = std::min(geometry_.Rows() - 1, (sy + client.height()) / (h + 4));
  for (int i = firstRow; i <= lastRow; ++i) {
    const int offset = geometry_.RowOffset(i);
    const int first = std::max(0, (sx - offset) / w);
    const int last = std::min(n - 1 - i, (sx + client.width() - offset) / w);
    for (int j = first; j <= last; ++j) {
      const TVineCell cell{j, i};
      const TVineRect r = geometry_.CellRect(cell, sx, sy);
      painter.fillRect(QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)),
                       pal.color(QPalette::Base));
      if (i >= 1) {
        const int middle = (r.Top + r.Bottom) / 2;
        painter.setPen(pal.color(QPalette::Mid));
        const QPoint line[] = {{r.Left + 1, r.Top - 4},
                               {r.Left + 1, middle},
                               {r.Right - 1, middle},
                               {r.Right - 1, r.Top - 5}};
        painter.drawPolyline(line, 4);
      }
      const QString text = CellText(cell);
      const bool selected = cell == current || IsCellSelected(cell);
      const bool lit = selected && (i >= 1 || j == DropTarget);
      const TCellColours colours = SetCellColours(lit);
      const QRect inset = InsetRect(cell, fm.horizontalAdvance(text));
      painter.fillRect(inset, colours.Brush);
      painter.setPen(colours.Font);
      painter.drawText(inset.left() + 2, r.Top + (h - fm.height()) / 2 + fm.ascent(), text);
      if (selected) {
        if (cell == current) CurrentCellRect = inset;
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawRect(inset);
      }
    }
  }
}

QRect TMorvikVine::InsetRect(TVineCell cell, int textWidth) const {
  const TVineRect r = geometry_.CellRect(cell, ScrollX(), ScrollY());
  // The text is centred: the box leaves the same inset on both sides.
  const int d = (geometry_.W - textWidth) / 2 - 2;
  return QRect(QPoint(r.Left + d, r.Top), QPoint(r.Right - d - 1, r.Bottom - 1));
}

QRect TMorvikVine::CellBounds(TVineCell cell) const {
  return InsetRect(cell, fontMetrics().horizontalAdvance(CellText(cell)));
}

void TMorvikVine::mousePressEvent(QMouseEvent* event) {
  dragArmed_ = false;
  if (event->button() != Qt::LeftButton || N() == 0) return;
  PressCell(geometry_, event->position().toPoint(), event->modifiers());
  const TVineCell current = CurrentCell();
  if (OnSelection) OnSelection(current.X >= 0 ? ItemNode(current.X) : nullptr);
  setFocus();
  viewport()->update();
  // In tree mode a member's name is dragged to its new place in the chain.
  if (!geometry_.Transcended && current.Y == 0 && current.X >= 0) {
    if (QTreeWidgetItem* item = FindItem(current.X)) Tree()->setCurrentItem(item);
    dragArmed_ = true;
  }
}

void TMorvikVine::mouseMoveEvent(QMouseEvent* event) {
  if (!dragArmed_ || !(event->buttons() & Qt::LeftButton) ||
      (event->position().toPoint() - PressPoint).manhattanLength() <
          QApplication::startDragDistance())
    return;
  dragArmed_ = false;
  StartDrag(this, "tree");
  EndDrag();
}

bool TMorvikVine::AcceptsDrop(const QByteArray& source, const QPoint& pos) {
  DropTarget = -1;
  if (geometry_.Transcended || Vine_IsTranscended() > 0) return false;
  if (source != "list" && source != "tree") return false;
  const TVineCell hit = geometry_.Hit(ScrollX(), ScrollY(), pos.x(), pos.y());
  DropTarget = hit.X;
  const bool accepted = N() == 0 || (source == "list" && DropTarget >= 0) ||
                        (source == "tree" && DropTarget >= 0 && DropTarget != CurrentCell().X);
  if (!accepted) DropTarget = -1;
  viewport()->update();
  return accepted;
}

void TMorvikVine::dragEnterEvent(QDragEnterEvent* event) {
  const QByteArray source = DragSource(event->mimeData());
  if (source == "list" || source == "tree")
    event->acceptProposedAction();
  else
    event->ignore();
}

void TMorvikVine::dragMoveEvent(QDragMoveEvent* event) {
  const bool accepted = AcceptsDrop(DragSource(event->mimeData()), event->position().toPoint());
  LastCursor = event->modifiers() & Qt::ControlModifier ? 9 : 7;
  if (accepted)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TMorvikVine::dragLeaveEvent(QDragLeaveEvent*) { EndDrag(); }

void TMorvikVine::dropEvent(QDropEvent* event) {
  const QByteArray source = DragSource(event->mimeData());
  if (!AcceptsDrop(source, event->position().toPoint())) {
    EndDrag();
    return event->ignore();
  }
  event->acceptProposedAction();
  TDropRequest r;
  r.Source = source == "list" ? TDropSource::List : TDropSource::Tree;
  // Beyond the last member: the last one.
  const int target = std::min(DropTarget, N() - 1);
  r.Target = target >= 0 ? FindItem(target) : nullptr;
  r.Ctrl = event->modifiers() & Qt::ControlModifier;
  r.Shift = event->modifiers() & Qt::ShiftModifier;
  const int dropped = DropTarget;
  if (Drop) Drop(r);
  Reload();
  if (dropped >= 0 && dropped < N()) SetCurrentCell({dropped, std::max(CurrentCell().Y, 0)});
  EndDrag();
}

void TMorvikVine::EndDrag() {
  DropTarget = -1;
  viewport()->update();
}

}  // namespace tesmira::wb
