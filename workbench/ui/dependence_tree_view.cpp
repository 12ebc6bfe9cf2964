#include "dependence_tree_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRubberBand>
#include <QSlider>
#include <QStyledItemDelegate>
#include <algorithm>

#include "cursors.h"
#include "dependence_values.h"
#include "model_helpers.h"
#include "tesmira/structures.h"

namespace tesmira::wb {

namespace {

void* NodeOf(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<void*>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

QMimeData* DragData(const char* source) {
  auto* data = new QMimeData;
  data->setData(kDepDragMime, source);
  return data;
}

// The drag under way from either control, whose cursor follows the zone.
QPointer<QDrag> gDrag;

}  // namespace

void StartDrag(QWidget* source, const char* what) {
  auto* drag = new QDrag(source);
  drag->setMimeData(DragData(what));
  gDrag = drag;
  drag->exec(Qt::MoveAction);
}

QByteArray DragSource(const QMimeData* data) {
  return data && data->hasFormat(kDepDragMime) ? data->data(kDepDragMime) : QByteArray();
}

// ---- the list ------------------------------------------------------------------------

TDepListWidget::TDepListWidget(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("listDepends");
  setColumnCount(2);
  setHeaderLabels({"#", "Available nodes"});
  setColumnWidth(0, 35);
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setUniformRowHeights(true);
}

void TDepListWidget::startDrag(Qt::DropActions) {
  if (!selectedItems().isEmpty()) StartDrag(this, "list");
}

void TDepListWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (DragSource(event->mimeData()) == "tree")
    event->acceptProposedAction();
  else
    event->ignore();
}

void TDepListWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (DragSource(event->mimeData()) == "tree")
    event->acceptProposedAction();
  else
    event->ignore();
}

void TDepListWidget::dropEvent(QDropEvent* event) {
  if (DragSource(event->mimeData()) != "tree") return event->ignore();
  event->acceptProposedAction();
  if (DropFromTree) DropFromTree(event->modifiers() & Qt::ShiftModifier);
}

// ---- the tree ------------------------------------------------------------------------

// The label editor's delegate: the editor's text comes from the tree, and
// what is entered goes back to the tree, never into the item.
class TDepLabelDelegate : public QStyledItemDelegate {
 public:
  explicit TDepLabelDelegate(TDepTreeWidget* tree) : QStyledItemDelegate(tree), tree_(tree) {}
  void setEditorData(QWidget*, const QModelIndex&) const override {}
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      tree_->labelText_ = line->text();
      tree_->labelCommitted_ = true;
    }
  }

 private:
  TDepTreeWidget* tree_;
};

TDepTreeWidget::TDepTreeWidget(QWidget* parent) : QTreeWidget(parent) {
  setObjectName("treeDepends");
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setIndentation(19);
  setSelectionMode(QAbstractItemView::NoSelection);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setUniformRowHeights(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new TDepLabelDelegate(this));
  connect(this, &QTreeWidget::currentItemChanged, this, [this] {
    if (!Programmatic && SelectionChanged) SelectionChanged();
  });
}

QRect TDepTreeWidget::LabelRect(QTreeWidgetItem* item) const {
  QRect r = visualItemRect(item);
  const int width = fontMetrics().horizontalAdvance(item->text(0)) + 6;
  return QRect(r.left(), r.top(), std::min(width, r.width()), r.height());
}

unsigned TDepTreeWidget::DropFlags(const QPoint& pos, QTreeWidgetItem** target) const {
  QTreeWidgetItem* item = itemAt(pos);
  *target = item;
  if (item == nullptr) return HitNowhere;
  int depth = 0;
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) ++depth;
  const QRect label = LabelRect(item);
  auto at = [&](int x) {
    return TreeHitFlags(x, true, depth, indentation(), label.left(), label.right() + 1);
  };
  unsigned flags = at(pos.x());
  if (pos.x() < viewport()->width() - 20) flags |= at(pos.x() - label.width() / 2);
  return RootLabelHitFlags(flags, item->parent() == nullptr, pos.x(), label.left(), label.width(),
                           label.height());
}

void TDepTreeWidget::EditLabel(QTreeWidgetItem* item, const QString& text) {
  if (item == nullptr) return;
  item->setFlags(item->flags() | Qt::ItemIsEditable);
  labelCommitted_ = false;
  editItem(item, 0);
  auto* line = qobject_cast<QLineEdit*>(itemWidget(item, 0));
  if (line == nullptr) return;
  line->setText(text);
  line->selectAll();
  labelOpen_ = true;
  // A refill of the tree drops the editor without closing it: the edit
  // then ends as cancelled.
  disconnect(labelDropped_);
  labelDropped_ = connect(line, &QObject::destroyed, this, [this] { EndLabelEdit(); });
}

void TDepTreeWidget::EndLabelEdit() {
  if (!labelOpen_) return;
  labelOpen_ = false;
  const bool committed = labelCommitted_;
  labelCommitted_ = false;
  if (LabelEdited) LabelEdited(committed ? &labelText_ : nullptr);
}

TDepTreeWidget::~TDepTreeWidget() { disconnect(labelDropped_); }

void TDepTreeWidget::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTreeWidget::closeEditor(editor, hint);
  EndLabelEdit();
}

bool TakeRenameKeys(QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if ((key->key() != Qt::Key_F2 && key->key() != Qt::Key_F3) || key->modifiers() != Qt::NoModifier)
    return false;
  event->accept();
  return true;
}

bool TDepTreeWidget::event(QEvent* event) {
  // F2 and F3 belong to the tree while it has the focus.
  return TakeRenameKeys(event) || QTreeWidget::event(event);
}

void TDepTreeWidget::mousePressEvent(QMouseEvent* event) {
  if (BeforeChange) BeforeChange();
  const QPoint pos = event->position().toPoint();
  QTreeWidgetItem* item = itemAt(pos);
  pressItem_ = nullptr;
  pressOnSelected_ = false;
  if (event->button() == Qt::RightButton) {
    if (item) setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    return;
  }
  if (event->button() == Qt::MiddleButton) {
    if (item && MiddleClick) MiddleClick(item);
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (item == nullptr) {
    if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    bandStart_ = pos;
    band_->setGeometry(QRect(pos, QSize()));
    band_->show();
    return;
  }
  if ((shift || ctrl) && Editor) {
    Programmatic = true;
    Editor->ClickWithModifiers(item, shift, ctrl);
    Programmatic = false;
  } else {
    // On the selected item with marks, the click only clears the marks.
    pressOnSelected_ = item == currentItem() && !(Editor && Editor->HasMultipleSelection());
    Programmatic = true;
    setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    if (Editor) Editor->ClearExtraSelection();
    Programmatic = false;
    pressItem_ = item;
    pressPos_ = pos;
  }
  viewport()->update();
  if (SelectionChanged) SelectionChanged();
}

void TDepTreeWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (band_ && band_->isVisible()) {
    QRect rect = QRect(bandStart_, pos).normalized();
    band_->setGeometry(rect);
    std::vector<TTreeItem> hit;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
      if (LabelRect(*it).intersects(rect.adjusted(0, 0, 1, 1))) hit.push_back(*it);
    if (Editor) {
      Programmatic = true;
      Editor->MarkItems(hit);
      Programmatic = false;
    }
    viewport()->update();
    if (SelectionChanged) SelectionChanged();
    return;
  }
  if (pressItem_ && (event->buttons() & Qt::LeftButton) &&
      (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
    pressItem_ = nullptr;
    StartDrag(this, "tree");
  }
}

void TDepTreeWidget::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidgetItem* clicked = pressOnSelected_ ? pressItem_ : nullptr;
  pressItem_ = nullptr;
  pressOnSelected_ = false;
  if (clicked && clicked == currentItem() && event->button() == Qt::LeftButton &&
      LabelRect(clicked).contains(event->position().toPoint()) && EditAttempt) {
    EditAttempt();
    return;
  }
  // The band ends at the first release.
  if (band_ && band_->isVisible()) {
    band_->hide();
    viewport()->update();
  }
}

void TDepTreeWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && DeleteKey) {
    DeleteKey(event->modifiers() & Qt::ControlModifier);
    return;
  }
  if ((event->key() == Qt::Key_F2 || event->key() == Qt::Key_F3) &&
      event->modifiers() == Qt::NoModifier) {
    if (LabelEditKey) LabelEditKey(event->key() == Qt::Key_F2 ? 1 : 2);
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

bool TDepTreeWidget::Accepts(const QMimeData* data) const {
  const QByteArray source = DragSource(data);
  if (source == "tree")
    return currentItem() != nullptr && !(Editor && Editor->HasMultipleSelection());
  return source == "list";
}

void TDepTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (Accepts(event->mimeData()))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TDepTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (!Accepts(event->mimeData())) return event->ignore();
  QTreeWidgetItem* target = nullptr;
  const QPoint pos = event->position().toPoint();
  const unsigned flags = DropFlags(pos, &target);
  const bool fromTree = DragSource(event->mimeData()) == "tree";
  // The selected item onto itself only counts below the last item.
  if (fromTree && target == currentItem() && !(flags & HitNowhere)) {
    LastCursor = 0;
    return event->ignore();
  }
  auto* list = qobject_cast<QTreeWidget*>(event->source());
  const bool several = (event->modifiers() & Qt::ControlModifier) ||
                       (!fromTree && list && list->selectedItems().size() > 1);
  LastCursor = DragCursorNumber(flags, several, event->modifiers() & Qt::ShiftModifier);
  if (gDrag) gDrag->setDragCursor(ScreenCursor(LastCursor).pixmap(), Qt::MoveAction);
  event->acceptProposedAction();
}

void TDepTreeWidget::dropEvent(QDropEvent* event) {
  if (!Accepts(event->mimeData())) return event->ignore();
  event->acceptProposedAction();
  TDropRequest r;
  r.Source = DragSource(event->mimeData()) == "tree" ? TDropSource::Tree : TDropSource::List;
  QTreeWidgetItem* target = nullptr;
  r.Flags = DropFlags(event->position().toPoint(), &target);
  r.Target = target;
  r.Ctrl = event->modifiers() & Qt::ControlModifier;
  r.Shift = event->modifiers() & Qt::ShiftModifier;
  if (Drop) Drop(r);
}

// ---- the adapter ---------------------------------------------------------------------

int TQtDepTree::ChildCount(TTreeItem parent) {
  return parent ? Q(parent)->childCount() : tree_->topLevelItemCount();
}

TTreeItem TQtDepTree::Child(TTreeItem parent, int index) {
  return parent ? Q(parent)->child(index) : tree_->topLevelItem(index);
}

void TQtDepTree::Paint(QTreeWidgetItem* item) {
  void* node = NodeOf(item);
  const bool blue = !VineMode && (IsVine(node) || IsCompositeNode(node));
  for (int column = 0; column < item->columnCount() || column < 2; ++column)
    item->setForeground(column, blue ? QBrush(Qt::blue) : QBrush());
}

TTreeItem TQtDepTree::InsertItem(TTreeItem parent, int index, const std::string& text, void* node) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, QString::fromStdString(text));
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  Paint(item);
  Place(item, parent, index);
  return item;
}

void TQtDepTree::Place(QTreeWidgetItem* item, TTreeItem parent, int index) {
  const int count = ChildCount(parent);
  if (index < 0 || index > count) index = count;
  if (parent)
    Q(parent)->insertChild(index, item);
  else
    tree_->insertTopLevelItem(index, item);
}

void TQtDepTree::MoveItem(TTreeItem t, TTreeItem parent, int index) {
  QTreeWidgetItem* item = Q(t);
  // Taking an item out of the view forgets its marks and the current item.
  std::vector<QTreeWidgetItem*> marked;
  std::vector<QTreeWidgetItem*> all{item};
  for (std::size_t i = 0; i < all.size(); ++i)
    for (int c = 0; c < all[i]->childCount(); ++c) all.push_back(all[i]->child(c));
  for (QTreeWidgetItem* i : all)
    if (i->isSelected()) marked.push_back(i);
  QTreeWidgetItem* current = tree_->currentItem();
  const bool keepCurrent = std::find(all.begin(), all.end(), current) != all.end();
  const bool programmatic = tree_->Programmatic;
  tree_->Programmatic = true;
  if (QTreeWidgetItem* p = item->parent())
    p->takeChild(p->indexOfChild(item));
  else
    tree_->takeTopLevelItem(tree_->indexOfTopLevelItem(item));
  Place(item, parent, index);
  for (QTreeWidgetItem* i : all) i->setExpanded(true);
  for (QTreeWidgetItem* i : marked) i->setSelected(true);
  if (keepCurrent) tree_->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
  tree_->Programmatic = programmatic;
}

void TQtDepTree::DeleteItem(TTreeItem item) {
  const bool programmatic = tree_->Programmatic;
  tree_->Programmatic = true;
  delete Q(item);
  tree_->Programmatic = programmatic;
}

std::string TQtDepTree::ItemText(TTreeItem item) { return Q(item)->text(0).toStdString(); }
void TQtDepTree::SetItemText(TTreeItem item, const std::string& text) {
  Q(item)->setText(0, QString::fromStdString(text));
}
bool TQtDepTree::IsMarked(TTreeItem item) { return Q(item)->isSelected(); }
void TQtDepTree::SetMarked(TTreeItem item, bool marked) { Q(item)->setSelected(marked); }
TTreeItem TQtDepTree::Current() { return tree_->currentItem(); }

void TQtDepTree::SetCurrent(TTreeItem item) {
  const bool programmatic = tree_->Programmatic;
  tree_->Programmatic = true;
  if (item)
    tree_->setCurrentItem(Q(item), 0, QItemSelectionModel::NoUpdate);
  else
    tree_->setCurrentItem(nullptr);
  tree_->Programmatic = programmatic;
}

void TQtDepTree::Expand(TTreeItem item) { Q(item)->setExpanded(true); }
void* TQtDepTree::ItemNode(TTreeItem item) { return NodeOf(Q(item)); }
TTreeItem TQtDepTree::ParentItem(TTreeItem item) { return Q(item)->parent(); }

std::vector<void*> TQtDepTree::ListNodes() {
  std::vector<void*> v;
  for (int i = 0; i < list_->topLevelItemCount(); ++i) v.push_back(NodeOf(list_->topLevelItem(i)));
  return v;
}

std::vector<void*> TQtDepTree::ListSelection() {
  std::vector<void*> v;
  for (int i = 0; i < list_->topLevelItemCount(); ++i)
    if (list_->topLevelItem(i)->isSelected()) v.push_back(NodeOf(list_->topLevelItem(i)));
  return v;
}

void TQtDepTree::SetListSelected(void* node, bool selected) {
  for (int i = 0; i < list_->topLevelItemCount(); ++i)
    if (NodeOf(list_->topLevelItem(i)) == node) list_->topLevelItem(i)->setSelected(selected);
}

void TQtDepTree::RemoveAvailableNode(void* node) {
  for (int i = list_->topLevelItemCount() - 1; i >= 0; --i)
    if (NodeOf(list_->topLevelItem(i)) == node) delete list_->topLevelItem(i);
}

void TQtDepTree::AddAvailableNode(const std::string& caption, const std::string& name, void* node) {
  auto* item = new QTreeWidgetItem(list_);
  item->setText(0, QString::fromStdString(caption));
  item->setText(1, QString::fromStdString(name));
  item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  Paint(item);
}

void TQtDepTree::SortAvailableNodes() {
  std::vector<std::pair<QTreeWidgetItem*, bool>> items;
  while (list_->topLevelItemCount() > 0) {
    bool selected = list_->topLevelItem(0)->isSelected();
    items.emplace_back(list_->takeTopLevelItem(0), selected);
  }
  std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
    return a.first->text(0).trimmed().toInt() < b.first->text(0).trimmed().toInt();
  });
  for (auto& [item, selected] : items) {
    list_->addTopLevelItem(item);
    item->setSelected(selected);
  }
}

// ---- the slider ----------------------------------------------------------------------

TFrmDepSliderPopup::TFrmDepSliderPopup(QWidget* parent) : QWidget(parent, Qt::Popup) {
  setObjectName("TFrmDepSliderPopup");
  setFixedSize(157, 26);
  auto* box = new QHBoxLayout(this);
  box->setContentsMargins(0, 0, 0, 0);
  box->setSpacing(0);
  track = new QSlider(Qt::Horizontal, this);
  track->setObjectName("track");
  track->setRange(-20, 20);
  track->setPageStep(10);
  track->setTickInterval(2);
  track->setTickPosition(QSlider::TicksAbove);
  track->setToolTip("Right click to close");
  track->installEventFilter(this);
  butClose = new QPushButton("X", this);
  butClose->setObjectName("butClose");
  butClose->setFixedSize(25, 25);
  box->addWidget(track, 1);
  box->addWidget(butClose);
  connect(track, &QSlider::valueChanged, this, &TFrmDepSliderPopup::trackChange);
  connect(butClose, &QPushButton::clicked, this, &QWidget::hide);
}

void TFrmDepSliderPopup::Open(const QPoint& globalPos, double correlation) {
  opening_ = true;
  track->setValue(SliderPosition(correlation));
  opening_ = false;
  move(globalPos);
  show();
}

void TFrmDepSliderPopup::trackChange(int position) {
  if (!isVisible() || opening_) return;
  const double x = SliderValue(position);
  char message[256] = {};
  if (CheckDepValue(message, x)) {
    if (Accept) Accept(QString::fromStdString(FormatNumber(x)));
  } else if (Refused) {
    Refused();
  }
}

bool TFrmDepSliderPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == track && event->type() == QEvent::ContextMenu) {
    hide();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TFrmDepSliderPopup::hideEvent(QHideEvent* event) {
  if (Closing) Closing();
  QWidget::hideEvent(event);
}

}  // namespace tesmira::wb
