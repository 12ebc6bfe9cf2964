// The cells of the vine views and their selection, without a window.
//
// A vine view shows one cell per (vine level, member) pair. The members are
// the items of the dependence tree view in display order; N is their count,
// W the cell width and H the row height in pixels. The geometry of each view
// says which cells exist, what they mean and where they lie; TVineState holds
// the current cell and the selection of up to 250 cells and applies the
// mouse, key and Select All/Invert rules over a geometry.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tesmira::wb {

struct TVineCell {
  int X = -1;
  int Y = -1;
  bool Valid() const { return X != -1 && Y != -1; }
  bool operator==(const TVineCell&) const = default;
};

struct TVineRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

enum class TVineKey { Left, Up, Right, Down };

// What a view's cells are. Scroll positions and points are in pixels.
class TVineGeometry {
 public:
  virtual ~TVineGeometry() = default;
  int N = 0;
  int W = 1;
  int H = 16;

  virtual int VineType() const = 0;
  virtual bool HasSelection(TVineCell c) const = 0;
  // The member (item index) whose node the cell stands for.
  virtual int ItemIndex(TVineCell c) const = 0;
  virtual int SelectedLevel(TVineCell c) const = 0;
  virtual bool IsNameCell(TVineCell c) const = 0;
  // A cell holding a conditional correlation (Ctrl, Shift and Select All act
  // on these only).
  virtual bool IsCorrelationCell(TVineCell c) const = 0;
  // names: the members' names in item order.
  virtual std::string CellLabel(TVineCell c, const std::vector<std::string>& names) const = 0;
  // The current cell after an arrow key.
  virtual TVineCell Move(TVineCell c, TVineKey key) const = 0;
  virtual TVineCell Hit(int scrollX, int scrollY, int x, int y) const = 0;
  // Content size for the scroll bars.
  virtual int ContentWidth() const = 0;
  virtual int ContentHeight() const = 0;
  // Correlation cells in reading order; visit returns false to stop.
  virtual void ForEachCorrelationCell(const std::function<bool(TVineCell)>& visit) const = 0;
  // Correlation cells in reading order up to the clicked cell (the Shift walk).
  virtual void ForEachUpTo(TVineCell clicked,
                           const std::function<bool(TVineCell)>& visit) const = 0;
  // Whether the current cell joins the selection after an arrow key.
  virtual bool ArrowSelects(TVineCell c) const { return IsCorrelationCell(c); }
};

// The D-vine: row Y is the tree (0 = the names), column X the position in the
// row, 0 <= X < N - Y. In tree mode (not transcended) only rows 0 and 1 exist.
class TMorvikGeometry : public TVineGeometry {
 public:
  bool Transcended = true;

  int Rows() const;
  int VineType() const override { return 3; }
  bool HasSelection(TVineCell c) const override;
  int ItemIndex(TVineCell c) const override { return c.X; }
  int SelectedLevel(TVineCell c) const override { return c.Y; }
  bool IsNameCell(TVineCell c) const override { return c.Y == 0; }
  bool IsCorrelationCell(TVineCell c) const override { return HasSelection(c) && c.Y >= 1; }
  std::string CellLabel(TVineCell c, const std::vector<std::string>& names) const override;
  TVineCell Move(TVineCell c, TVineKey key) const override;
  TVineCell Hit(int scrollX, int scrollY, int x, int y) const override;
  int ContentWidth() const override { return N * W; }
  int ContentHeight() const override { return Rows() * (H + 4); }
  void ForEachCorrelationCell(const std::function<bool(TVineCell)>& visit) const override;
  void ForEachUpTo(TVineCell clicked, const std::function<bool(TVineCell)>& visit) const override;
  bool ArrowSelects(TVineCell c) const override { return HasSelection(c); }

  // Row Y's left edge before scrolling: each row moves right by half a cell.
  int RowOffset(int y) const { return y * (W / 2); }
  // The cell's rectangle in viewport coordinates.
  TVineRect CellRect(TVineCell c, int scrollX, int scrollY) const;
};

// The canonical vine: column X is the tree - 1 (0 <= X < N - 1), row Y the
// member, X <= Y < N; the cell with Y = X is the column's root.
class TCanonicalGeometry : public TVineGeometry {
 public:
  int VineType() const override { return 2; }
  bool HasSelection(TVineCell c) const override;
  int ItemIndex(TVineCell c) const override { return c.Y; }
  int SelectedLevel(TVineCell c) const override { return c.X + 1; }
  bool IsNameCell(TVineCell c) const override { return c.Y == c.X; }
  bool IsCorrelationCell(TVineCell c) const override { return HasSelection(c) && c.X < c.Y; }
  std::string CellLabel(TVineCell c, const std::vector<std::string>& names) const override;
  TVineCell Move(TVineCell c, TVineKey key) const override;
  TVineCell Hit(int scrollX, int scrollY, int x, int y) const override;
  int ContentWidth() const override { return N > 1 ? (N - 1) * W : 0; }
  int ContentHeight() const override { return N * H; }
  void ForEachCorrelationCell(const std::function<bool(TVineCell)>& visit) const override;
  void ForEachUpTo(TVineCell clicked, const std::function<bool(TVineCell)>& visit) const override;

  // The text of column k's root cell: "c|b,a" for the third column of a, b, c.
  static std::string RootCaption(int k, const std::vector<std::string>& names);
};

// The current cell, the moved flag and the selection of a vine view.
class TVineState {
 public:
  static constexpr int kSlots = 250;

  // Runs before the current cell or the selection changes (the window
  // re-checks its correlation edit).
  std::function<void()> BeforeChange;

  void ClearSelection();
  // 1-based slot holding the cell, 0 when it is not selected.
  int FindSelected(TVineCell c) const;
  bool IsCellSelected(TVineCell c) const { return FindSelected(c) > 0; }
  // Returns whether the cell is selected afterwards (a full selection takes
  // no further cell).
  bool SetCellSelected(TVineCell c, bool on);
  // Iterates over the slots: restart goes to slot 1, otherwise to the next
  // slot; false after the last. found: the slot holds a cell, which then
  // becomes the current cell.
  bool NextSelected(bool restart, bool& found);
  void SetCurrentCell(TVineCell c);
  TVineCell Current() const { return current_; }
  bool Moved() const { return moved_; }
  // The selected cells in slot order.
  std::vector<TVineCell> Selected() const;
  int SelectedCount() const;

  // A left-button press on a cell (the hit of the point).
  void Press(const TVineGeometry& g, TVineCell cell, bool shift, bool ctrl);
  // An arrow key: without a current cell the first cell becomes current.
  void Arrow(const TVineGeometry& g, TVineKey key, bool shift);
  // Both clear the current cell first, make every added cell current in turn
  // and return how many cells were added.
  int SelectAll(const TVineGeometry& g);
  int InvertSelection(const TVineGeometry& g);

 private:
  void Changing() {
    if (BeforeChange) BeforeChange();
  }
  std::array<TVineCell, kSlots> slots_{};
  int cursor_ = 0;
  TVineCell current_;
  bool moved_ = false;
};

}  // namespace tesmira::wb
