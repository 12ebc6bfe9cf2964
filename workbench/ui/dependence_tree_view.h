// The dependence panel's tree view and list of available nodes, the
// adapter that the core's editing logic works through, and the value
// slider that opens next to a tree item.
#pragma once

#include <QPoint>
#include <QString>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

#include "dependence_edit.h"
#include "dependence_tree.h"

class QMimeData;
class QPushButton;
class QRubberBand;
class QSlider;

namespace tesmira::wb {

// The drag's data: which control it started from.
inline constexpr const char* kDepDragMime = "application/x-tesmira-dependence-nodes";

// Drags between the panel's controls: what is the source ("list" or
// "tree"). StartDrag runs the drag to its end.
void StartDrag(QWidget* source, const char* what);
QByteArray DragSource(const QMimeData* data);

// Claims F2 and F3 without modifiers for the focused control (its own
// rename keys) before the window's shortcuts see them.
bool TakeRenameKeys(QEvent* event);

// The list "#" / "Available nodes" (listDepends).
class TDepListWidget : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TDepListWidget(QWidget* parent = nullptr);
  std::function<void(bool shift)> DropFromTree;  // nodes dragged back from the tree

 protected:
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

// The tree view (treeDepends): the current item is the control's selected
// item; the marks live in the selection model and only our handlers set
// them.
class TDepTreeWidget : public QTreeWidget {
  Q_OBJECT
 public:
  explicit TDepTreeWidget(QWidget* parent = nullptr);
  ~TDepTreeWidget() override;

  // Hit flags and target of a viewport point, with the half-label widening
  // and the root-label rule of a drop.
  unsigned DropFlags(const QPoint& pos, QTreeWidgetItem** target) const;
  // The rectangle of the item's text, in viewport coordinates.
  QRect LabelRect(QTreeWidgetItem* item) const;

  TDepTreeEditor* Editor = nullptr;
  int LastCursor = 0;  // the drag cursor number the last drag-over chose
  bool Programmatic = false;
  std::function<void(const TDropRequest&)> Drop;
  std::function<void(QTreeWidgetItem*)> MiddleClick;
  std::function<void()> SelectionChanged;
  std::function<void()> BeforeChange;  // commits the edits first
  std::function<void(bool ctrl)> DeleteKey;

  // In-place label editing. The keys F2 (mode 1) and F3 (mode 2) ask for it
  // through LabelEditKey, a click on the selected item's label through
  // EditAttempt; EditLabel opens the editor, seeded with the text; the
  // label itself is never written. LabelEdited gets the entered text, or
  // nullptr when the edit was cancelled.
  void EditLabel(QTreeWidgetItem* item, const QString& text);
  std::function<void(int mode)> LabelEditKey;
  std::function<void()> EditAttempt;
  std::function<void(const QString* text)> LabelEdited;

 protected:
  bool event(QEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool Accepts(const QMimeData* data) const;
  QPoint pressPos_;
  QTreeWidgetItem* pressItem_ = nullptr;
  bool pressOnSelected_ = false;  // a click on the selected item asks for a label edit
  QString labelText_;
  bool labelCommitted_ = false;
  bool labelOpen_ = false;
  QMetaObject::Connection labelDropped_;
  void EndLabelEdit();
  friend class TDepLabelDelegate;
  QRubberBand* band_ = nullptr;
  QPoint bandStart_;
};

// The adapter over the two controls.
class TQtDepTree : public TDepTreeAdapter {
 public:
  TQtDepTree(TDepTreeWidget* tree, QTreeWidget* list) : tree_(tree), list_(list) {}

  static QTreeWidgetItem* Q(TTreeItem item) { return static_cast<QTreeWidgetItem*>(item); }
  int ChildCount(TTreeItem parent) override;
  TTreeItem Child(TTreeItem parent, int index) override;
  TTreeItem InsertItem(TTreeItem parent, int index, const std::string& text, void* node) override;
  void MoveItem(TTreeItem item, TTreeItem parent, int index) override;
  void DeleteItem(TTreeItem item) override;
  std::string ItemText(TTreeItem item) override;
  void SetItemText(TTreeItem item, const std::string& text) override;
  bool IsMarked(TTreeItem item) override;
  void SetMarked(TTreeItem item, bool marked) override;
  TTreeItem Current() override;
  void SetCurrent(TTreeItem item) override;
  void Expand(TTreeItem item) override;
  void* ItemNode(TTreeItem item) override;
  TTreeItem ParentItem(TTreeItem item) override;

  std::vector<void*> ListNodes() override;
  std::vector<void*> ListSelection() override;
  void SetListSelected(void* node, bool selected) override;
  void RemoveAvailableNode(void* node) override;
  void AddAvailableNode(const std::string& caption, const std::string& name, void* node) override;
  void SortAvailableNodes() override;

 private:
  void Paint(QTreeWidgetItem* item);
  void Place(QTreeWidgetItem* item, TTreeItem parent, int index);
  TDepTreeWidget* tree_;
  QTreeWidget* list_;
};

// The value slider: -20..20 for -1..1 in steps of 0.05.
class TFrmDepSliderPopup : public QWidget {
  Q_OBJECT
 public:
  explicit TFrmDepSliderPopup(QWidget* parent = nullptr);
  // Opens at the screen position with the track at the nearest step.
  void Open(const QPoint& globalPos, double correlation);

  QSlider* track = nullptr;
  QPushButton* butClose = nullptr;
  // Writes an accepted value (the rank edit's text) and applies it.
  std::function<void(const QString& text)> Accept;
  std::function<void()> Refused;
  std::function<void()> Closing;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void trackChange(int position);
  bool opening_ = false;
};

}  // namespace tesmira::wb
