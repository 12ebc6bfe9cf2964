// TNiceGrid: the grid control of the sensitivity program. A scroll area that
// paints its viewport itself: merged multi-level titles, a gutter of row
// captions, the cells, an optional footer and a framed selection. The state,
// layout and input handling live in TNiceGridCore; this widget paints and
// forwards Qt's events to it.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <QStringList>
#include <functional>
#include <memory>

#include "nice_grid_core.h"

class QPainter;

namespace tesvane {

class TNiceGrid;

// One column: the headless part (title, width, strings, ...) plus its look.
class TNiceColumn : public TNiceColumnData {
 public:
  explicit TNiceColumn(TNiceGrid* grid);
  TNiceGrid* Grid() const { return grid_; }
  int Index() const;
  // "Column <index>" for a column without title.
  QString DisplayName() const;

  QString GetTitle() const { return QString::fromStdString(Title); }
  void SetTitle(const QString& title);
  QString GetFooter() const { return QString::fromStdString(Footer); }
  void SetFooter(const QString& footer);
  void SetWidth(int width);
  void SetVisible(bool visible);
  void SetHorzAlign(THorzAlign a);
  void SetVertAlign(TVertAlign a);
  const QFont& Font() const { return font_; }
  void SetFont(const QFont& font);
  const QColor& FontColor() const { return fontColor_; }
  void SetFontColor(const QColor& color);
  const QColor& Color() const { return color_; }
  void SetColor(const QColor& color);
  QStringList GetStrings() const;
  void SetStrings(const QStringList& strings);
  // Copies everything but SortedAsc.
  void Assign(const TNiceColumn& other);

  // The column holds numbers: a number too wide for its cell shows "###"
  // instead of losing its sign or leading digits.
  bool NumberText = false;

 private:
  friend class TNiceGrid;
  TNiceGrid* grid_;
  QFont font_;
  QColor fontColor_;
  QColor color_;
};

// The grid's column collection.
class TNiceColumns {
 public:
  explicit TNiceColumns(TNiceGrid& grid) : grid_(grid) {}
  int Count() const;
  TNiceColumn* Items(int i) const;
  TNiceColumn* operator[](int i) const { return Items(i); }
  TNiceColumn* Add();
  void Delete(int i);
  // Replaced item by item from another collection.
  void Assign(const TNiceColumns& other);

 private:
  TNiceGrid& grid_;
};

// The in-place editor: a borderless line edit over the current cell.
class TNiceInplace : public QLineEdit {
 public:
  explicit TNiceInplace(TNiceGrid* grid);
  void ShowEdit(int col, int row);
  void HideEdit();
  int EditCol() const { return col_; }
  int EditRow() const { return row_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  TNiceGrid* grid_;
  int col_ = -1, row_ = -1;
  bool loading_ = false;
};

using TOnDrawCellEvent = std::function<void(TNiceGrid* Sender, QPainter* ACanvas, int X, int Y,
                                            const QRect& Rc, bool& Handled)>;
using TOnDrawHeaderEvent = std::function<void(TNiceGrid* Sender, QPainter* ACanvas, const QRect& Rc,
                                              const QString& Str, bool& Handled)>;
// Sender is the grid, or its in-place editor for characters typed there.
using TOnFilterChar =
    std::function<void(QObject* Sender, int Col, int Row, const QString& Chr, bool& Allowed)>;
using TOnHeaderClick = std::function<void(TNiceGrid* Sender, int Col, Qt::MouseButton Button,
                                          Qt::KeyboardModifiers Shift)>;
using TOnGutterClick = std::function<void(TNiceGrid* Sender, int Row, Qt::MouseButton Button,
                                          Qt::KeyboardModifiers Shift)>;
using TOnCellAssignment = std::function<void(TNiceGrid* Sender, int Col, int Row, QString& Str)>;
using TOnCellChanging = std::function<void(TNiceGrid* Sender, int Col, int Row, bool& CanChange)>;
using TOnCellChange = std::function<void(TNiceGrid* Sender, int Col, int Row, QString& Str)>;
using TOnColRowChanged = std::function<void(TNiceGrid* Sender, int Col, int Row)>;
using TOnRowEvent = std::function<void(TNiceGrid* Sender, int ARow)>;
using TNotifyEvent = std::function<void(TNiceGrid* Sender)>;

class TNiceGrid : public QAbstractScrollArea, private TNiceGridHost {
 public:
  explicit TNiceGrid(QWidget* parent = nullptr);
  ~TNiceGrid() override;

  // Events, fired only when assigned.
  TOnDrawCellEvent OnDrawCell;
  TOnDrawHeaderEvent OnDrawHeader, OnDrawGutter, OnDrawFooter;
  TOnFilterChar OnFilterChar;
  TOnHeaderClick OnHeaderClick;
  TOnGutterClick OnGutterClick;
  TOnCellAssignment OnCellAssignment;
  TOnCellChanging OnCellChanging;
  TOnCellChange OnCellChange;
  TOnColRowChanged OnColRowChanged;
  TOnRowEvent OnInsertRow, OnDeleteRow;
  // The double click of the control, after the grid's own handling.
  TNotifyEvent OnDblClick;

  // The headless state (layout, selection, input handling).
  TNiceGridCore& Core() { return core_; }
  const TNiceGridCore& Core() const { return core_; }

  // --- columns and cells
  TNiceColumns& Columns() { return columns_; }
  const TNiceColumns& Columns() const { return columns_; }
  int ColCount() const { return core_.ColCount(); }
  void SetColCount(int n) { core_.SetColCount(n); }
  int RowCount() const { return core_.RowCount(); }
  void SetRowCount(int n) { core_.SetRowCount(n); }
  QString Cells(int col, int row) const;
  void SetCells(int col, int row, const QString& text);
  QString SafeGetCell(int col, int row) const;
  int Objects(int col, int row) const { return core_.Object(col, row); }
  void SetObjects(int col, int row, int tag) { core_.SetObject(col, row, tag); }
  void BeginUpdate() { core_.BeginUpdate(); }
  void EndUpdate() { core_.EndUpdate(); }
  int ColWidths(int i) const { return core_.ColWidth(i); }
  void SetColWidths(int i, int width) { core_.SetColWidth(i, width); }
  void Clear() { core_.Clear(); }
  int AddRow() { return core_.AddRow(); }
  void InsertRow(int row) { core_.InsertRow(row); }
  void DeleteRow(int row) { core_.DeleteRow(row); }
  void SelectRow(int row) { core_.SelectRow(row); }
  const TNiceRect& SelectArea() const { return core_.SelectArea(); }
  void SetSelectArea(const TNiceRect& area) { core_.SetSelectArea(area); }
  void EnsureVisible(int col, int row) { core_.EnsureVisible(col, row); }
  int Col() const { return core_.Col(); }
  int Row() const { return core_.Row(); }

  void CopyToClipboard() { core_.CopyToClipboard(); }
  void CutToClipboard() { core_.CutToClipboard(); }
  void CopyAllToClipboard() { core_.CopyAllToClipboard(); }
  void PasteFromClipboard() { core_.PasteFromClipboard(); }
  // Throws ENiceGridError when the file cannot be written.
  void ExportToCsv(const QString& fileName) const;
  // The text a data cell shows: its own text, or "###" when it holds a
  // number that its column is too narrow for.
  QString ShownText(int col, int row) const;
  // The widest text a data cell of the column shows whole.
  int TextRoom(int col) const;
  // Draws ShownText of a data cell into its screen rectangle `rc` as the
  // grid does, for OnDrawCell handlers that paint the cell themselves.
  void DrawShownText(QPainter& p, int col, int row, const QRect& rc);

  // --- properties
  int DefRowHeight() const { return core_.DefRowHeight(); }
  void SetDefRowHeight(int v);
  int DefColWidth() const { return core_.DefColWidth(); }
  void SetDefColWidth(int v) { core_.SetDefColWidth(v); }
  int HeaderLine() const { return core_.HeaderLine(); }
  void SetHeaderLine(int v) { core_.SetHeaderLine(v); }
  TGutterKind GutterKind() const { return core_.GutterKind(); }
  void SetGutterKind(TGutterKind v) { core_.SetGutterKind(v); }
  int GutterWidth() const { return core_.GutterWidth(); }
  void SetGutterWidth(int v) { core_.SetGutterWidth(v); }
  QStringList GutterStrings() const;
  void SetGutterStrings(const QStringList& strings);
  int GutterStringCount() const { return static_cast<int>(core_.GutterStrings().size()); }
  QString GutterString(int i) const;
  void AddGutterString(const QString& s);
  // Replaces entry i (padding the list).
  void SetGutterString(int i, const QString& s);
  bool GutterAscSorted() const { return core_.GutterAscSorted; }
  void SetGutterAscSorted(bool v) { core_.GutterAscSorted = v; }
  const QColor& Color() const { return color_; }
  void SetColor(const QColor& c);
  const QColor& AlternateColor() const { return alternateColor_; }
  void SetAlternateColor(const QColor& c);
  const QColor& GridColor() const { return gridColor_; }
  void SetGridColor(const QColor& c);
  bool ShowGrid() const { return showGrid_; }
  void SetShowGrid(bool v);
  const QColor& HeaderColor() const { return headerColor_; }
  void SetHeaderColor(const QColor& c);
  const QColor& HeaderLightColor() const { return headerLightColor_; }
  void SetHeaderLightColor(const QColor& c);
  const QColor& HeaderDarkColor() const { return headerDarkColor_; }
  void SetHeaderDarkColor(const QColor& c);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  const QFont& HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const QFont& f);
  const QFont& GutterFont() const { return gutterFont_; }
  void SetGutterFont(const QFont& f);
  const QFont& FooterFont() const { return footerFont_; }
  void SetFooterFont(const QFont& f);
  const QColor& SelectionColor() const { return selectionColor_; }
  void SetSelectionColor(const QColor& c);
  bool DrawSelectionQ() const { return core_.DrawSelectionQ; }
  void SetDrawSelectionQ(bool v);
  bool RowSelect() const { return core_.RowSelect; }
  void SetRowSelect(bool v) { core_.RowSelect = v; }
  bool FitToWidth() const { return core_.FitToWidth(); }
  void SetFitToWidth(bool v) { core_.SetFitToWidth(v); }
  bool AutoColWidth() const { return core_.AutoColWidth(); }
  void SetAutoColWidth(bool v) { core_.SetAutoColWidth(v); }
  bool ReadOnly() const { return core_.ReadOnly; }
  void SetReadOnly(bool v) { core_.ReadOnly = v; }
  bool ShowFooter() const { return core_.ShowFooter(); }
  void SetShowFooter(bool v) { core_.SetShowFooter(v); }
  bool AutoAddRow() const { return core_.AutoAddRow; }
  void SetAutoAddRow(bool v) { core_.AutoAddRow = v; }
  bool AutoFillDown() const { return core_.AutoFillDown; }
  void SetAutoFillDown(bool v) { core_.AutoFillDown = v; }
  bool AutoFillRight() const { return core_.AutoFillRight; }
  void SetAutoFillRight(bool v) { core_.AutoFillRight = v; }
  // The grid's own enabled flag, apart from the window's.
  bool Enabled() const { return core_.Enabled(); }
  void SetEnabled(bool v) { core_.SetEnabled(v); }

  TNiceInplace* Editor() const { return editor_; }
  bool Editing() const;
  // The cursor of a hit kind.
  static QCursor CursorOf(int kind);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;
  void scrollContentsBy(int, int) override {}

 private:
  friend class TNiceColumn;
  friend class TNiceInplace;
  friend class TNiceColumns;
  // TNiceGridHost
  std::unique_ptr<TNiceColumnData> NewColumn() override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  void ShowHideScrollBar(bool horizontal, bool vertical) override;
  void SetScrollBar(bool vertical, int maximum, int position) override;
  void SetScrollSteps(int line, int page) override;
  void Invalidate(const TNiceRect& pixels) override;
  void InvalidateAll() override;
  int TextWidth(const std::string& text) override;
  void HideEditor() override;
  void OpenEditor(int col, int row) override;
  bool EditorOpen() const override;
  void SetCursorKind(int kind) override;
  void SetClipboardText(const std::string& text) override;
  bool ClipboardText(std::string& text) override;

  void ConnectEvents();
  TNiceColumn* Column(int i) const { return static_cast<TNiceColumn*>(&core_.Column(i)); }
  QColor CellColor(int col, int row) const;
  void PaintCells(QPainter& p, const QRect& exposed);
  void PaintEmptyAreas(QPainter& p);
  void PaintGutter(QPainter& p, const QRect& exposed);
  void PaintHeader(QPainter& p);
  void PaintFooter(QPainter& p);
  void PaintFixedCell(QPainter& p, const QRect& r, const QString& text, const QFont& font,
                      const TOnDrawHeaderEvent& event);
  void DrawCellText(QPainter& p, const QRect& inner, const QString& text, THorzAlign h,
                    TVertAlign v, bool keepRight, int* caretX);

  mutable TNiceGridCore core_;
  TNiceColumns columns_;
  TNiceInplace* editor_ = nullptr;
  QColor color_, alternateColor_, gridColor_, headerColor_, headerLightColor_, headerDarkColor_;
  QColor selectionColor_{255, 255, 202};
  QColor textColor_;
  QFont headerFont_, gutterFont_, footerFont_;
  bool showGrid_ = true, flat_ = true;
  bool settingBars_ = false;
};

}  // namespace tesvane
