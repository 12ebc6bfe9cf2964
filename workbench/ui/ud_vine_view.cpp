#include "ud_vine_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QTreeWidget>
#include <algorithm>
#include <unordered_map>

#include "model_helpers.h"
#include "pairing_choices.h"
#include "tesmira/vines.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

const QColor PendingBrush(128, 0, 0);

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TUDVine::TUDVine(TWorkbench& wb, QWidget* parent) : TVineView(parent), wb_(wb) {
  setObjectName("UDVine");
  setContextMenuPolicy(Qt::DefaultContextMenu);
  viewport()->setMouseTracking(false);
  popUDVine = new QMenu(this);
  popUDVine->setObjectName("popUDVine");
  mitRetranscend = popUDVine->addAction("Re-Transcend from current level");
  mitRetranscend->setObjectName("mitRetranscend");
  connect(popUDVine, &QMenu::aboutToShow, this,
          [this] { mitRetranscend->setEnabled(CurrentCell().X > 0); });
  connect(mitRetranscend, &QAction::triggered, this, [this] { mitRetranscendClick(); });
}

TUDNode* TUDVine::NodeAt(TVineCell cell) const {
  const TUDNodes* level = cell.X >= 0 ? levels_.Level(cell.X) : nullptr;
  return level ? level->At(cell.Y) : nullptr;
}

bool TUDVine::IsNameCell() const {
  const TUDNode* n = NodeAt(CurrentCell());
  return n && n->IsRoot();
}

QString TUDVine::CellLabel(TVineCell cell) const {
  const TUDNode* n = NodeAt(cell);
  return n ? Q(n->FullLabel()) : QString();
}

bool TUDVine::IsCorrelationCell(TVineCell cell) const {
  const TUDNode* n = NodeAt(cell);
  return n && !n->IsRoot();
}

void* TUDVine::CellNode(TVineCell cell) const {
  const TUDNode* n = NodeAt(cell);
  return n ? n->DependenceNode() : nullptr;
}

TTextWidth TUDVine::TextWidth() {
  // Higher levels repeat the same letter pairs: each text is measured once
  // per build.
  return [this, fm = fontMetrics()](const std::string& s) {
    auto [it, added] = widths_.try_emplace(s, 0);
    if (added) it->second = fm.horizontalAdvance(Q(s));
    return it->second;
  };
}

TUDPoint TUDVine::ContentPoint(const QPoint& p) const {
  return {ScrollX() + p.x(), ScrollY() + p.y()};
}

void TUDVine::Layout(const std::vector<QTreeWidgetItem*>& items) {
  widths_.clear();
  h_ = TreeRowHeight(items, 16);
  indent_ = Tree() ? Tree()->indentation() : 19;
  std::unordered_map<const QTreeWidgetItem*, int> position;
  for (std::size_t k = 0; k < items.size(); ++k) position[items[k]] = static_cast<int>(k);
  items_.clear();
  for (std::size_t k = 0; k < items.size(); ++k) {
    TUDTreeItem t;
    t.item = items[k];
    t.node = ItemNode(static_cast<int>(k));
    t.name = Names()[k];
    auto it = position.find(items[k]->parent());
    if (it != position.end()) t.parent = it->second;
    items_.push_back(std::move(t));
  }
  if (isHidden() && !rebuild_) {
    levels_.Clear();
    Relayout();
    return;
  }
  // Building the levels may update the vine buttons, which rebuild the view.
  if (building_) return;
  building_ = true;
  levels_.BuildFirst(items_);
  BuildLevels();
  building_ = false;
}

void TUDVine::Rebuild() {
  rebuild_ = true;
  Reload();
  rebuild_ = false;
}

void TUDVine::BuildLevels() {
  const bool complete = levels_.BuildLevels(N(), wb_, TextWidth());
  Relayout();
  viewport()->update();
  if (!complete)
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
  else if (UpdateVineButtons)
    UpdateVineButtons();
}

void TUDVine::Relayout() {
  const QFontMetrics fm = fontMetrics();
  TUDMetrics m;
  m.rowHeight = h_;
  m.indent = indent_;
  m.textWidth = TextWidth();
  m.textHeight = fm.boundingRect("0q").height();
  m.valueExtra = fm.horizontalAdvance("() ") + fm.horizontalAdvance(CorrelationSample());
  layout_.Compute(levels_, N(), m);
  UpdateScrollBars(layout_.ContentWidth(), layout_.ContentHeight());
}

void TUDVine::mitRetranscendClick() {
  const int x = CurrentCell().X;
  if (x < 1) return;
  TruncatePairingChoices(wb_, x);
  Rebuild();
}

// ---- painting ----------------------------------------------------------------------

void TUDVine::Paint(QPainter& painter) {
  const QSize client = viewport()->size();
  const QPalette& pal = palette();
  painter.fillRect(QRect(QPoint(0, 0), client), pal.color(QPalette::Base));
  if (N() == 0) return;
  const int sx = ScrollX(), sy = ScrollY(), h = h_;
  const QFontMetrics fm = fontMetrics();
  const int pad = (h - fm.height()) / 2;
  const QColor line = pal.color(QPalette::Mid);
  const TVineCell current = CurrentCell();
  for (int x = 0; x < layout_.LevelCount(); ++x) {
    const int levelLeft = layout_.LevelLeft(x) - sx;
    if (levelLeft >= client.width() || levelLeft + layout_.LevelWidth(x) <= 0) continue;
    const TUDNodes& level = *levels_.Level(x);
    for (int y = 0; y < level.Count(); ++y) {
      const TUDNode& n = *level.At(y);
      const int top = layout_.Row(x, y) * h - sy, bottom = top + h;
      if (top >= client.height()) break;
      const bool pending = n.pendingVertex && x > 0;
      if (bottom <= 0 && !pending) continue;
      const int depth = n.Depth();
      const int left = levelLeft + depth * indent_;
      QString text = Q(n.Label());
      if (!n.IsRoot()) {
        const double value = Vine_GetCorrValue(n.DependenceNode(), x + 1);
        text = "(" + Q(FormatCorrelation(value)) + ") " + text;
        // Tree lines as the tree view draws them.
        const int x0 = left - indent_ / 2 - 1, ym = top + h / 2;
        painter.setPen(line);
        painter.drawLine(x0, ym, left + 4, ym);
        painter.drawLine(x0, ym, x0, top - 1);
        const TUDNode* next = level.At(y + 1);
        if ((next && next->Depth() == depth) || n.NextSibling())
          painter.drawLine(x0, ym, x0, bottom + 1);
        int up = 1;
        for (const TUDNode* a = n.parent; a; a = a->parent, ++up)
          if (a->NextSibling()) painter.drawLine(x0 - up * indent_, top, x0 - up * indent_, bottom);
      }
      const bool isCurrent = current.X == x && current.Y == y;
      TCellColours colours = SetCellColours(isCurrent);
      if (pending && !isCurrent) colours = {PendingBrush, Qt::white};
      const QRect r(left, top, fm.horizontalAdvance(text) + 2 * pad + 2, h);
      painter.fillRect(r, colours.Brush);
      painter.setPen(colours.Font);
      painter.drawText(left + pad + 1, top + pad + fm.ascent(), text);
      if (isCurrent) {
        CurrentCellRect = r;
        if (hasFocus()) {
          QStyleOptionFocusRect o;
          o.initFrom(this);
          o.rect = r;
          style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &painter, this);
        }
      }
    }
  }
  for (const TUDWidget& g : layout_.Widgets()) PaintWidget(painter, g);
}

void TUDVine::PaintWidget(QPainter& painter, const TUDWidget& g) {
  const int sx = ScrollX(), sy = ScrollY(), h = h_;
  const QFontMetrics fm = fontMetrics();
  const QColor line = palette().color(QPalette::Mid);
  const QRect r(g.left - sx, g.top - sy, g.width, g.height);
  // The level's tree lines continue through the widget's rows.
  const TUDNode& p = *g.pending;
  const int x0 = g.left - sx + p.Depth() * indent_ - indent_ / 2 - 1;
  painter.setPen(line);
  int up = 1;
  for (const TUDNode* a = p.parent; a; a = a->parent, ++up)
    if (a->NextSibling())
      painter.drawLine(x0 - up * indent_, r.top(), x0 - up * indent_, r.bottom());
  if (p.parent && p.NextSibling()) painter.drawLine(x0, r.top(), x0, r.bottom());
  QStyleOptionFocusRect o;
  o.initFrom(this);
  o.rect = r;
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &painter, this);
  painter.setPen(palette().color(QPalette::Text));
  if (g.circle) painter.drawEllipse(QRect(r.left() + 5, g.Middle() - sy - 5, 10, 10));
  for (std::size_t i = 0; i < g.childRowTops.size(); ++i)
    painter.drawText(r.left() + 2 * h + 10,
                     g.childRowTops[i] - sy + (h - fm.height()) / 2 + fm.ascent(),
                     Q(UDWidgetRowText(*g.vertex, static_cast<int>(i))));
  for (const TUDConnector& c : g.connectors)
    painter.drawLine(c.a.x - sx, c.a.y - sy, c.b.x - sx, c.b.y - sy);
  if (track_.mouseState == 1 && track_.onConnector && track_.pending == g.pending) {
    for (const TUDConnector& c : g.connectors) {
      if (c.index != track_.index) continue;
      const TUDPoint m = c.Middle();
      const int mx = m.x - sx, my = m.y - sy;
      painter.setPen(QPen(Qt::red, 2));
      painter.drawLine(mx - 5, my - 5, mx + 5, my + 5);
      painter.drawLine(mx - 5, my + 5, mx + 5, my - 5);
    }
  }
}

// ---- mouse -------------------------------------------------------------------------

void TUDVine::mousePressEvent(QMouseEvent* event) {
  if (N() == 0) return;
  const QPoint pos = event->position().toPoint();
  PressPoint = point_ = pos;
  if (MaySelect && !MaySelect()) return;
  const auto [x, y] = layout_.HitCell(ContentPoint(pos));
  SetCurrentCell({x, y});
  if (OnSelection) OnSelection(SelectedNodeData());
  track_.Reset();
  track_.mouseState = 1;
  setFocus();
  if (event->button() == Qt::LeftButton) track_.Update(layout_, ContentPoint(pos));
  viewport()->update();
  if (!track_.Recorded()) track_.mouseState = 0;
}

void TUDVine::mouseMoveEvent(QMouseEvent* event) {
  if (track_.mouseState != 1) return;
  point_ = event->position().toPoint();
  track_.Update(layout_, ContentPoint(point_));
  viewport()->update();
}

void TUDVine::mouseReleaseEvent(QMouseEvent* event) {
  if (track_.mouseState != 0) {
    track_.mouseState = 0;
    if (track_.onConnector && levels_.Top()) {
      const int32_t vertex = track_.pending->pendingVertex, index = track_.index;
      track_.Reset();
      AddPairingChoice(wb_, levels_.Top()->Number, vertex, index);
      levels_.RebuildTop(wb_, TextWidth());
      BuildLevels();
      return;
    }
    track_.Reset();
    viewport()->update();
  }
  TVineView::mouseReleaseEvent(event);
}

void TUDVine::contextMenuEvent(QContextMenuEvent* event) { popUDVine->popup(event->globalPos()); }

}  // namespace tesmira::wb
