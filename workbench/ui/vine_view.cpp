#include "vine_view.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "cp437.h"
#include "dependence_tree.h"
#include "dependence_tree_view.h"
#include "model_helpers.h"
#include "tesmira/vines.h"

namespace tesmira::wb {

namespace {

void* NodeOfItem(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<void*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

}  // namespace

bool VineArrow(int key, TVineKey& move) {
  switch (key) {
    case Qt::Key_Left: move = TVineKey::Left; return true;
    case Qt::Key_Up: move = TVineKey::Up; return true;
    case Qt::Key_Right: move = TVineKey::Right; return true;
    case Qt::Key_Down: move = TVineKey::Down; return true;
    default: return false;
  }
}

TVineView::TVineView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
  // Reached by clicks, not by the tab key.
  setFocusPolicy(Qt::ClickFocus);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  state_.BeforeChange = [this] {
    if (CheckDeprank) CheckDeprank();
  };
  for (int bar = 0; bar < 2; ++bar) {
    QScrollBar* b = bar == 0 ? horizontalScrollBar() : verticalScrollBar();
    // The bar has not taken the action's value yet: the step is ours.
    connect(b, &QAbstractSlider::actionTriggered, this, [this, bar, b](int action) {
      int position = 0;
      if (ScrollTarget(action, bar, position)) b->setSliderPosition(position);
    });
  }
}

TVineView::~TVineView() = default;

void TVineView::Reload() {
  std::vector<QTreeWidgetItem*> items;
  nodes_.clear();
  names_.clear();
  if (tree_)
    for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
      items.push_back(*it);
      void* node = NodeOfItem(*it);
      nodes_.push_back(node);
      names_.push_back(Cp437ToUtf8(node ? NodeObjectName(node) : std::string()));
    }
  Layout(items);
  viewport()->update();
}

int TVineView::TreeRowHeight(const std::vector<QTreeWidgetItem*>& items, int fallback) const {
  if (tree_ == nullptr || items.empty()) return fallback;
  int h = tree_->visualItemRect(items.front()).height();
  if (h <= 0) h = tree_->sizeHintForRow(0);
  return h > 0 ? h : fallback;
}

QString TVineView::CorrelationSample() {
  return "-0." + QString(CurrentDisplaySettings().fpprecisionCMX, '0');
}

void* TVineView::ItemNode(int index) const {
  return index >= 0 && index < N() ? nodes_[static_cast<std::size_t>(index)] : nullptr;
}

QTreeWidgetItem* TVineView::FindItem(int index) const {
  void* node = ItemNode(index);
  if (tree_ == nullptr || node == nullptr) return nullptr;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it)
    if (NodeOfItem(*it) == node) return *it;
  return nullptr;
}

QString TVineView::Name(int index) const {
  return index >= 0 && index < N() ? QString::fromStdString(names_[static_cast<std::size_t>(index)])
                                   : QString();
}

void* TVineView::SelectedNodeData() const {
  return HasSelection() ? CellNode(CurrentCell()) : nullptr;
}

int TVineView::SelectedLevel() const {
  return Cells() ? Cells()->SelectedLevel(CurrentCell()) : CurrentCell().X + 1;
}

bool TVineView::HasSelection() const {
  return Cells() ? Cells()->HasSelection(CurrentCell()) : CurrentCell().Valid();
}

bool TVineView::IsNameCell() const { return Cells() && Cells()->IsNameCell(CurrentCell()); }

QString TVineView::CellLabel(TVineCell cell) const {
  return Cells() ? QString::fromStdString(Cells()->CellLabel(cell, names_)) : QString();
}

bool TVineView::IsCorrelationCell(TVineCell cell) const {
  return Cells() && Cells()->IsCorrelationCell(cell);
}

void* TVineView::CellNode(TVineCell cell) const {
  return Cells() ? ItemNode(Cells()->ItemIndex(cell)) : nullptr;
}

int TVineView::CellLevel(TVineCell cell) const {
  return Cells() ? Cells()->SelectedLevel(cell) : cell.X + 1;
}

int TVineView::SelectAll() {
  const int added = Cells() ? state_.SelectAll(*Cells()) : 0;
  viewport()->update();
  return added;
}

int TVineView::InvertSelection() {
  const int added = Cells() ? state_.InvertSelection(*Cells()) : 0;
  viewport()->update();
  return added;
}

void TVineView::KeyDown(int& key, Qt::KeyboardModifiers modifiers) {
  TVineKey move;
  const bool arrow = VineArrow(key, move);
  if (arrow && Cells()) state_.Arrow(*Cells(), move, modifiers & Qt::ShiftModifier);
  bool handled = arrow;
  if (key == Qt::Key_F2 || key == Qt::Key_F3)
    handled = RenameKey && RenameKey(key == Qt::Key_F2 ? 1 : 2);
  if (!handled) return;
  if (OnSelection) OnSelection(nullptr);
  if (arrow) setFocus();
  key = 0;
  viewport()->update();
}

TCellColours TVineView::SetCellColours(bool selected) const {
  const QPalette& p = palette();
  if (selected && hasFocus())
    return {p.color(QPalette::Highlight), p.color(QPalette::HighlightedText)};
  if (selected) return {p.color(QPalette::Button), p.color(QPalette::WindowText)};
  return {p.color(QPalette::Base), p.color(QPalette::WindowText)};
}

bool TVineView::ScrollTarget(int action, int bar, int& position) const {
  const QScrollBar* b = bar == 0 ? horizontalScrollBar() : verticalScrollBar();
  const int client = bar == 0 ? viewport()->width() : viewport()->height();
  position = b->value();
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: position -= RowHeight(); return true;
    case QAbstractSlider::SliderSingleStepAdd: position += RowHeight(); return true;
    case QAbstractSlider::SliderPageStepSub: position -= client; return true;
    case QAbstractSlider::SliderPageStepAdd: position += client; return true;
    case QAbstractSlider::SliderToMinimum: position = 0; return true;
    // The end of the content, wherever that is.
    case QAbstractSlider::SliderToMaximum: position = b->maximum(); return true;
    default: return false;  // a dragged thumb keeps its own position
  }
}

void TVineView::ScrollBy(int action, int bar) {
  int position = 0;
  if (!ScrollTarget(action, bar, position)) return;
  // The bar keeps the position within its range.
  (bar == 0 ? horizontalScrollBar() : verticalScrollBar())->setValue(position);
  viewport()->update();
}

void TVineView::UpdateScrollBars(int contentWidth, int contentHeight) {
  contentWidth_ = contentWidth;
  contentHeight_ = contentHeight;
  const QSize client = viewport()->size();
  QScrollBar* v = verticalScrollBar();
  if (contentHeight > client.height()) {
    v->setRange(0, contentHeight - client.height());
    v->setPageStep(client.height());
  } else {
    v->setRange(0, 0);
  }
  v->setSingleStep(RowHeight());
  QScrollBar* h = horizontalScrollBar();
  if (contentWidth > client.width()) {
    h->setRange(0, contentWidth - client.width());
    h->setPageStep(client.width());
  } else {
    h->setRange(0, 0);
  }
  h->setSingleStep(RowHeight());
}

int TVineView::ScrollX() const { return horizontalScrollBar()->value(); }
int TVineView::ScrollY() const { return verticalScrollBar()->value(); }

void TVineView::ShowSlider() {
  if (Slider == nullptr || !HasSelection() || IsNameCell() || state_.Moved()) return;
  // The current cell as it lies now, whether or not it was painted since.
  CurrentCellRect = CellBounds(CurrentCell());
  const double value = Vine_GetCorrValue(SelectedNodeData(), SelectedLevel());
  Slider->Open(viewport()->mapToGlobal(CurrentCellRect.bottomLeft()), value);
}

void TVineView::LoadWatermark(int) {}

void TVineView::DrawWatermark(QPainter& painter) {
  if (watermark_.isNull()) return;
  const QSize client = viewport()->size();
  painter.drawPixmap(client.width() - watermark_.width() - 10,
                     client.height() - watermark_.height() - 10, watermark_);
}

void TVineView::PressCell(const TVineGeometry& g, const QPoint& pos,
                          Qt::KeyboardModifiers modifiers) {
  PressPoint = pos;
  if (MaySelect && !MaySelect()) return;
  const TVineCell cell = g.Hit(ScrollX(), ScrollY(), pos.x(), pos.y());
  state_.Press(g, cell, modifiers & Qt::ShiftModifier, modifiers & Qt::ControlModifier);
}

bool TVineView::event(QEvent* event) {
  // F2 and F3 belong to the view while it has the focus.
  return TakeRenameKeys(event) || QAbstractScrollArea::event(event);
}

void TVineView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  Paint(painter);
  DrawWatermark(painter);
}

void TVineView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars(contentWidth_, contentHeight_);
}

void TVineView::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  KeyDown(key, event->modifiers());
  if (key == 0)
    event->accept();
  else
    QAbstractScrollArea::keyPressEvent(event);
}

void TVineView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton &&
      (event->position().toPoint() - PressPoint).manhattanLength() <
          QApplication::startDragDistance())
    ShowSlider();
}

void TVineView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  viewport()->update();
}

void TVineView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  viewport()->update();
}

void TVineView::scrollContentsBy(int, int) { viewport()->update(); }

}  // namespace tesmira::wb
