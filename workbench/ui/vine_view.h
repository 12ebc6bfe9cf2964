// The base of the dependence panel's vine views: the cells stand for (vine
// level, member) pairs of the current vine, the members are the items of the
// dependence tree view, and every value is read from and written to the
// engine. The base holds the current cell and the selection, the cell
// colours, scrolling, the F2/F3 keys, the corner picture and the placement of
// the value slider; the views derive from it and paint the cells.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "tesmira/records.h"
#include "vine_geometry.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace tesmira::wb {

class TFrmDepSliderPopup;

struct TCellColours {
  QColor Brush;
  QColor Font;
};

class TVineView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TVineView(QWidget* parent = nullptr);
  ~TVineView() override;

  // ---- the members ------------------------------------------------------------------
  // The dependence tree view whose items carry the members' nodes.
  void SetTree(QTreeWidget* tree) { tree_ = tree; }
  QTreeWidget* Tree() const { return tree_; }
  // Re-reads the members and lays out the cells (once per fill of the panel).
  virtual void Reload();
  int N() const { return static_cast<int>(nodes_.size()); }
  void* ItemNode(int index) const;
  // The tree's item of a member (searched; none when it is gone).
  QTreeWidgetItem* FindItem(int index) const;
  const std::vector<std::string>& Names() const { return names_; }  // UTF-8
  QString Name(int index) const;

  // ---- overridable operations ---------------------------------------------------------
  // The views with a fixed cell layout answer through their geometry; a
  // view without one overrides the operations it needs.
  virtual const TVineGeometry* Cells() const { return nullptr; }
  virtual int RowHeight() const = 0;
  // The base handles F2, F3 and the arrow keys (moving the current cell by
  // the geometry's rules); a handled key is set to 0. Key releases are not
  // handled: one arrow press moves once.
  virtual void KeyDown(int& key, Qt::KeyboardModifiers modifiers);
  virtual void* SelectedNodeData() const;
  virtual int SelectedLevel() const;
  virtual bool HasSelection() const;
  virtual bool IsNameCell() const;
  virtual QString CellLabel(TVineCell cell) const;
  // Both return the number of cells added.
  virtual int InvertSelection();
  virtual int SelectAll();
  // The structure type the view shows (DepCanonicalVine, DepDVine, DepUserVine).
  virtual int VineType() const = 0;
  // Whether a cell holds a conditional correlation that a value applies to.
  virtual bool IsCorrelationCell(TVineCell cell) const;
  // The node and level that a cell stands for.
  virtual void* CellNode(TVineCell cell) const;
  virtual int CellLevel(TVineCell cell) const;

  // ---- selection ----------------------------------------------------------------------
  TVineState& State() { return state_; }
  const TVineState& State() const { return state_; }
  void ClearSelection() { state_.ClearSelection(); }
  int FindSelected(TVineCell cell) const { return state_.FindSelected(cell); }
  bool IsCellSelected(TVineCell cell) const { return state_.IsCellSelected(cell); }
  void SetCellSelected(TVineCell cell, bool on) { state_.SetCellSelected(cell, on); }
  bool NextSelected(bool restart, bool& found) { return state_.NextSelected(restart, found); }
  void SetCurrentCell(TVineCell cell) { state_.SetCurrentCell(cell); }
  TVineCell CurrentCell() const { return state_.Current(); }

  // ---- drawing and scrolling ---------------------------------------------------------
  TCellColours SetCellColours(bool selected) const;
  // bar 0 horizontal, 1 vertical; action a QAbstractSlider::SliderAction.
  void ScrollBy(int action, int bar);
  void UpdateScrollBars(int contentWidth, int contentHeight);
  void ShowSlider();
  void LoadWatermark(int resource);
  void DrawWatermark(class QPainter& painter);
  int ScrollX() const;
  int ScrollY() const;

  // The rectangle of the current cell as last laid out (viewport pixels).
  QRect CurrentCellRect;
  // Where a cell's box lies now (the slider opens below the current one's).
  virtual QRect CellBounds(TVineCell) const { return CurrentCellRect; }
  QPoint PressPoint;
  TFrmDepSliderPopup* Slider = nullptr;

  // ---- the owner's events ------------------------------------------------------------
  // After a key or mouse action: the node of the cell, or none.
  std::function<void(void* node)> OnSelection;
  // Asked before a mouse press changes the selection; false refuses.
  std::function<bool()> MaySelect;
  // Runs before the current cell or the selection changes.
  std::function<void()> CheckDeprank;
  // F2 (mode 1, rename) and F3 (mode 2, set correlation): true when the
  // window ran the command.
  std::function<bool(int mode)> RenameKey;

 protected:
  // Lays out the cells after the members were re-read; items are the tree's
  // items in display order, valid only during the call.
  virtual void Layout(const std::vector<QTreeWidgetItem*>& items) = 0;
  virtual void Paint(QPainter& painter) = 0;
  // Height of the tree's first item (fallback when it has none or is not
  // laid out).
  int TreeRowHeight(const std::vector<QTreeWidgetItem*>& items, int fallback) const;
  // "-0." and as many "0" as the correlations' decimals.
  static QString CorrelationSample();
  // A left-button press on a cell through the geometry's rules.
  void PressCell(const TVineGeometry& g, const QPoint& pos, Qt::KeyboardModifiers modifiers);

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

  int contentWidth_ = 0, contentHeight_ = 0;

 private:
  QTreeWidget* tree_ = nullptr;
  std::vector<void*> nodes_;
  std::vector<std::string> names_;
  bool ScrollTarget(int action, int bar, int& position) const;
  TVineState state_;
  QPixmap watermark_;
};

// Arrow keys as the core's moves; false for any other key.
bool VineArrow(int key, TVineKey& move);

}  // namespace tesmira::wb
