// The result grid without a window: columns of cell texts and tags, the
// multi-level header built from the column titles, the layout of the client
// area, scrolling, hit testing, the mouse and key handling, typing, and the
// clipboard and CSV texts. The widget (sensitivity/ui/nice_grid.h) paints
// from this state and forwards its input here; everything that reaches the
// screen goes through TNiceGridHost.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tesvane {

enum TGutterKind { gkNone, gkBlank, gkPointer, gkNumber, gkString };
enum THorzAlign { haLeft, haCenter, haRight };
enum TVertAlign { vaTop, vaCenter, vaBottom };

// Hit kinds of a client point; the cursor follows the kind.
enum TNiceHit { nhNone = 0, nhCorner = 1, nhGutter = 2, nhHeader = 3, nhCell = 4, nhBorder = 5 };

// Left, top, right, bottom. Cell blocks are inclusive indices; pixel
// rectangles exclude their right and bottom edge.
struct TNiceRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TNiceRect&) const = default;
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Intersects(const TNiceRect& o) const {
    return !IsEmpty() && !o.IsEmpty() && Left < o.Right && o.Left < Right && Top < o.Bottom &&
           o.Top < Bottom;
  }
};

// One merged header cell: its caption and the block of columns (left,
// right) and levels (top, bottom) it covers, all inclusive.
struct THeaderInfo {
  std::string Str;
  TNiceRect Rc;
  bool operator==(const THeaderInfo&) const = default;
};

class ENiceGridError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kCellIndexOutOfBound = "Cell Index out of bound.";

// What a column holds besides its look (font and colour live in the widget's
// column, which derives from this).
struct TNiceColumnData {
  virtual ~TNiceColumnData() = default;
  std::string Title, Footer, Hint;
  int Width = 80;
  THorzAlign HorzAlign = haLeft;
  TVertAlign VertAlign = vaCenter;
  bool Visible = true, CanResize = true, ReadOnly = false, SortedAsc = false;
  int Tag = 0, Tag2 = 0;
  // Cell texts and their tags; may be shorter or longer than RowCount.
  std::vector<std::string> Strings;
  std::vector<int> Objects;
  // Copies everything but SortedAsc.
  void Assign(const TNiceColumnData& other);
};

// Splits a title at "|" into levels and builds the merged header cells.
std::vector<THeaderInfo> BuildNiceHeader(const std::vector<const TNiceColumnData*>& columns,
                                         int headerLine);

// Keys the grid handles itself.
enum class TNiceKey {
  Other,
  Home,
  End,
  Left,
  Right,
  Up,
  Down,
  PageUp,
  PageDown,
  Insert,
  Delete,
  Enter,
  C,
  V,
  X
};
enum TNiceShift : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
enum TNiceButton { mbLeft, mbRight, mbMiddle };

// The window side of the grid. The defaults do nothing, so a test host
// overrides what it watches.
class TNiceGridHost {
 public:
  virtual ~TNiceGridHost() = default;
  virtual std::unique_ptr<TNiceColumnData> NewColumn() {
    return std::make_unique<TNiceColumnData>();
  }
  // The client area, read after the scroll bars were shown or hidden.
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
  virtual void ShowHideScrollBar(bool /*horizontal*/, bool /*vertical*/) {}
  virtual void SetScrollBar(bool /*vertical*/, int /*maximum*/, int /*position*/) {}
  // Single and page steps of both bars.
  virtual void SetScrollSteps(int /*line*/, int /*page*/) {}
  virtual void Invalidate(const TNiceRect& /*pixels*/) {}
  virtual void InvalidateAll() {}
  // Width of a cell text in the grid's font (AutoColWidth).
  virtual int TextWidth(const std::string& /*text*/) { return 0; }
  virtual void HideEditor() {}
  virtual void OpenEditor(int /*col*/, int /*row*/) {}
  virtual bool EditorOpen() const { return false; }
  virtual void SetCursorKind(int /*kind*/) {}
  virtual void SetClipboardText(const std::string& /*text*/) {}
  // False when the clipboard holds no text.
  virtual bool ClipboardText(std::string& /*text*/) { return false; }
};

class TNiceGridCore {
 public:
  explicit TNiceGridCore(TNiceGridHost& host);
  TNiceGridCore(const TNiceGridCore&) = delete;
  TNiceGridCore& operator=(const TNiceGridCore&) = delete;

  // Events, fired only when assigned.
  std::function<void(int col, int row, const std::string& chr, bool& allowed)> OnFilterChar;
  std::function<void(int col, TNiceButton button, unsigned shift)> OnHeaderClick;
  std::function<void(int row, TNiceButton button, unsigned shift)> OnGutterClick;
  std::function<void(int col, int row, std::string& str)> OnCellAssignment;
  std::function<void(int col, int row, bool& canChange)> OnCellChanging;
  std::function<void(int col, int row, std::string& str)> OnCellChange;
  std::function<void(int col, int row)> OnColRowChanged;
  std::function<void(int row)> OnInsertRow;
  std::function<void(int row)> OnDeleteRow;

  // --- columns and rows
  int ColCount() const { return static_cast<int>(columns_.size()); }
  void SetColCount(int n);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int n);
  TNiceColumnData& Column(int i) { return *columns_.at(i); }
  const TNiceColumnData& Column(int i) const { return *columns_.at(i); }
  TNiceColumnData& AddColumn();
  void DeleteColumn(int i);
  // Column changes that rebuild the header and repaint everything.
  void SetColumnTitle(int i, const std::string& title);
  void SetColumnWidth(int i, int width);
  void SetColumnVisible(int i, bool visible);
  // A change that repaints the column's strip only (look, footer, strings).
  void ColumnLookChanged(int i);
  // Any other change of the column collection.
  void ColumnsChanged();

  // --- cells
  std::string Cell(int col, int row) const;
  void SetCell(int col, int row, const std::string& text);
  std::string SafeGetCell(int col, int row) const;
  int Object(int col, int row) const;
  void SetObject(int col, int row, int tag);
  // A write as typing, Enter, Delete, cut and paste do it: ReadOnly columns
  // are left alone and OnCellChanging / OnCellChange are asked.
  void WriteCellWithEvents(int col, int row, const std::string& text);

  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updating_; }
  int ColWidth(int i) const { return Column(i).Width; }
  void SetColWidth(int i, int width);
  void Clear();
  int AddRow();
  void InsertRow(int row);
  void DeleteRow(int row);
  void SelectRow(int row);
  const TNiceRect& SelectArea() const { return selectArea_; }
  void SetSelectArea(const TNiceRect& area, bool force = false);
  void EnsureVisible(int col, int row);
  int Col() const { return col_; }
  int Row() const { return row_; }
  int AnchorCol() const { return anchorCol_; }
  int AnchorRow() const { return anchorRow_; }

  // --- properties
  int DefRowHeight() const { return defRowHeight_; }
  void SetDefRowHeight(int v);
  int DefColWidth() const { return defColWidth_; }
  void SetDefColWidth(int v);
  int HeaderLine() const { return headerLine_; }
  void SetHeaderLine(int v);
  TGutterKind GutterKind() const { return gutterKind_; }
  void SetGutterKind(TGutterKind v);
  int GutterWidth() const { return gutterWidth_; }
  void SetGutterWidth(int v);
  const std::vector<std::string>& GutterStrings() const { return gutterStrings_; }
  void SetGutterStrings(const std::vector<std::string>& v);
  // The list itself, for appending and exchanging captions in place; call
  // GutterStringsChanged afterwards.
  std::vector<std::string>& GutterStringList() { return gutterStrings_; }
  void GutterStringsChanged();
  std::string GutterCaption(int row) const;
  bool GutterAscSorted = false;
  bool RowSelect = false;
  bool ReadOnly = false;
  bool AutoAddRow = false;
  bool AutoFillDown = false, AutoFillRight = false;
  bool DrawSelectionQ = false;
  bool FitToWidth() const { return fitToWidth_; }
  void SetFitToWidth(bool v);
  bool AutoColWidth() const { return autoColWidth_; }
  void SetAutoColWidth(bool v);
  bool ShowFooter() const { return showFooter_; }
  void SetShowFooter(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);

  // --- header and layout
  const std::vector<THeaderInfo>& Header() const { return header_; }
  void BuildHeader();
  void Recalculate();
  bool InRecalculate() const { return inRecalculate_; }
  int FixedWidth() const { return fixedWidth_; }
  int FixedHeight() const { return fixedHeight_; }
  int BodyWidth() const { return bodyWidth_; }
  int BodyHeight() const { return bodyHeight_; }
  int ActualWidth() const { return actualWidth_; }
  int ActualHeight() const { return actualHeight_; }
  int FooterTop() const { return footerTop_; }
  const TNiceRect& CellBox() const { return cellBox_; }
  int HorzOffset() const { return horzOffset_; }
  int VertOffset() const { return vertOffset_; }
  int MaxHorzOffset() const { return maxHorz_; }
  int MaxVertOffset() const { return maxVert_; }
  bool HorzBarVisible() const { return horzBar_; }
  bool VertBarVisible() const { return vertBar_; }
  int ForcedColumn() const { return forcedColumn_; }
  // Left edge of a column in content coordinates.
  int GetColCoord(int col) const;
  // Content rectangle of a cell (sharing its border line with neighbours).
  TNiceRect GetCellRect(int col, int row) const;
  // The same on screen.
  TNiceRect CellScreenRect(int col, int row) const;
  // Screen rectangle of a block of cells, indices clamped into the grid.
  TNiceRect BlockScreenRect(const TNiceRect& block) const;
  // Rows [first, last] whose cells may meet a screen rectangle (first > last
  // when none).
  void VisibleRows(const TNiceRect& pixels, int& first, int& last) const;

  // --- scrolling
  // A scroll-bar position (line, page or thumb): clamped, vertical rounded
  // down to whole rows.
  void ScrollTo(bool vertical, int position);
  void Wheel(int delta);

  // --- hit testing and mouse
  int HitTest(int x, int y);
  int ColAtX(int x) const;
  int RowAtY(int y) const;
  void CellAt(int x, int y, int& col, int& row) const;
  int CursorKind() const { return cursor_; }
  int ResizeColumn() const { return resizeCol_; }
  void MouseDown(TNiceButton button, unsigned shift, int x, int y);
  void MouseMove(bool leftHeld, int x, int y);
  void MouseUp(int x, int y);

  // --- keys and typing
  // True when the key was for an enabled grid with columns and rows.
  bool KeyDown(TNiceKey key, unsigned shift);
  // A typed character (UTF-8) of code 32 or more, or "\b" for Backspace.
  void KeyChar(const std::string& chr);
  const std::string& TypingBuffer() const { return typing_; }
  // The caret follows the last committed typing; shared by all grids.
  static bool CaretShown();
  static void HideCaret();
  static void ShowCaret();

  // --- clipboard and CSV
  std::string CopyText() const;
  std::string CopyAllText() const;
  void CopyToClipboard();
  void CutToClipboard();
  void CopyAllToClipboard();
  void PasteFromClipboard();
  void PasteText(const std::string& text);
  std::string CsvText() const;
  // Writes through a temporary file beside the target.
  void ExportToCsv(const std::string& fileName) const;

 private:
  void CheckIndex(int col, int row) const;
  void HideEditor();
  void Pad(TNiceColumnData& column, int row) const;
  void StoreCell(int col, int row, const std::string& text, bool events);
  void InvalidateCell(int col, int row);
  void InvalidateCellArea();
  void InvalidateGutter();
  void ClampCurrent();
  void SetVertOffset(int v, bool round);
  void SetHorzOffset(int v);
  void SetBothOffsets(int h, int v);
  void ReportChange();
  void Collapse();
  void Extend();
  void MoveWithin();
  bool StepWithin(bool forward);
  // The keys with Ctrl, with Shift and without either.
  void CtrlKey(TNiceKey key);
  void ShiftKey(TNiceKey key);
  void PlainKey(TNiceKey key);
  // Up and Down, which drop or add an empty last row when AutoAddRow.
  void RowUp();
  void RowDown();
  int FirstVisible() const;
  int LastVisible() const;
  int PrevVisible(int c) const;
  int NextVisible(int c) const;
  bool InGrid(int col, int row) const;
  void Enter();
  void ClearSelection();
  void FillDown(const std::string& t);
  void FillRight(const std::string& t);
  void Commit();
  void ResizeTo(int x);

  TNiceGridHost& host_;
  std::vector<std::unique_ptr<TNiceColumnData>> columns_;
  int rowCount_ = 5;
  int defRowHeight_ = 18, defColWidth_ = 80, headerLine_ = 1;
  TGutterKind gutterKind_ = gkBlank;
  int gutterWidth_ = 20;
  std::vector<std::string> gutterStrings_;
  bool fitToWidth_ = false, autoColWidth_ = false, showFooter_ = false, enabled_ = true;

  int col_ = 0, row_ = 0, anchorCol_ = 0, anchorRow_ = 0;
  TNiceRect selectArea_{0, 0, 0, 0};
  bool updating_ = false;
  std::vector<THeaderInfo> header_;
  std::string typing_;
  int forcedColumn_ = -1;
  int resizeCol_ = -1, resizeStart_ = 0;
  int dragIndex_ = -1;
  int cursor_ = nhCell;

  int fixedWidth_ = 0, fixedHeight_ = 0, bodyWidth_ = 0, bodyHeight_ = 0;
  int actualWidth_ = 0, actualHeight_ = 0, footerTop_ = 0;
  TNiceRect cellBox_;
  int horzOffset_ = 0, vertOffset_ = 0, maxHorz_ = 0, maxVert_ = 0;
  bool horzBar_ = false, vertBar_ = false;
  bool inRecalculate_ = false;
};

}  // namespace tesvane
