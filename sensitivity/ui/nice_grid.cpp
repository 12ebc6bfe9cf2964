#include "nice_grid.h"

#include <QApplication>
#include <QBitmap>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

namespace tesvane {

namespace {

QRect ToQRect(const TNiceRect& r) {
  return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// A small arrow cursor pointing down (titles) or right (row captions).
QCursor ArrowCursor(bool down) {
  QPixmap pix(16, 16);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  QPainterPath path;
  if (down) {
    path.moveTo(5, 1);
    path.lineTo(10, 1);
    path.lineTo(10, 8);
    path.lineTo(14, 8);
    path.lineTo(7.5, 15);
    path.lineTo(1, 8);
    path.lineTo(5, 8);
  } else {
    path.moveTo(1, 5);
    path.lineTo(8, 5);
    path.lineTo(8, 1);
    path.lineTo(15, 7.5);
    path.lineTo(8, 14);
    path.lineTo(8, 10);
    path.lineTo(1, 10);
  }
  path.closeSubpath();
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(Qt::black);
  p.drawPath(path);
  p.end();
  return down ? QCursor(pix, 7, 15) : QCursor(pix, 15, 7);
}

TNiceButton ToButton(Qt::MouseButton b) {
  return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

unsigned ToShift(Qt::KeyboardModifiers m) {
  unsigned s = 0;
  if (m & Qt::ShiftModifier) s |= ssShift;
  if (m & Qt::AltModifier) s |= ssAlt;
  if (m & Qt::ControlModifier) s |= ssCtrl;
  return s;
}

Qt::KeyboardModifiers FromShift(unsigned s) {
  Qt::KeyboardModifiers m;
  if (s & ssShift) m |= Qt::ShiftModifier;
  if (s & ssAlt) m |= Qt::AltModifier;
  if (s & ssCtrl) m |= Qt::ControlModifier;
  return m;
}

Qt::MouseButton FromButton(TNiceButton b) {
  return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

// Top-left corner of one line of text in r.
int AlignX(const QRect& r, int textWidth, THorzAlign h, bool keepRight) {
  const int right = r.left() + r.width();
  switch (h) {
    case haCenter: return r.left() + (r.width() - textWidth) / 2;
    case haRight: return right - textWidth;
    default: return keepRight && textWidth > r.width() ? right - textWidth : r.left();
  }
}

}  // namespace

// ---------------------------------------------------------------- columns

TNiceColumn::TNiceColumn(TNiceGrid* grid) : grid_(grid) {
  if (grid) {
    Width = grid->DefColWidth();
    font_ = grid->font();
    fontColor_ = grid->textColor_;
    color_ = grid->Color();
  }
}

int TNiceColumn::Index() const {
  for (int i = 0; i < grid_->ColCount(); ++i)
    if (&grid_->Core().Column(i) == this) return i;
  return -1;
}

QString TNiceColumn::DisplayName() const {
  return Title.empty() ? QStringLiteral("Column %1").arg(Index()) : GetTitle();
}

void TNiceColumn::SetTitle(const QString& title) {
  grid_->Core().SetColumnTitle(Index(), title.toStdString());
}

void TNiceColumn::SetFooter(const QString& footer) {
  Footer = footer.toStdString();
  grid_->Core().ColumnLookChanged(Index());
}

void TNiceColumn::SetWidth(int width) { grid_->Core().SetColumnWidth(Index(), width); }

void TNiceColumn::SetVisible(bool visible) { grid_->Core().SetColumnVisible(Index(), visible); }

void TNiceColumn::SetHorzAlign(THorzAlign a) {
  HorzAlign = a;
  grid_->Core().ColumnLookChanged(Index());
}

void TNiceColumn::SetVertAlign(TVertAlign a) {
  VertAlign = a;
  grid_->Core().ColumnLookChanged(Index());
}

void TNiceColumn::SetFont(const QFont& font) {
  font_ = font;
  grid_->Core().ColumnLookChanged(Index());
}

void TNiceColumn::SetFontColor(const QColor& color) {
  fontColor_ = color;
  grid_->Core().ColumnLookChanged(Index());
}

void TNiceColumn::SetColor(const QColor& color) {
  color_ = color;
  grid_->Core().ColumnLookChanged(Index());
}

QStringList TNiceColumn::GetStrings() const {
  QStringList list;
  list.reserve(static_cast<int>(Strings.size()));
  for (const auto& s : Strings) list << QString::fromStdString(s);
  return list;
}

void TNiceColumn::SetStrings(const QStringList& strings) {
  Strings.clear();
  for (const auto& s : strings) Strings.push_back(s.toStdString());
  Objects.assign(Strings.size(), 0);
  grid_->Core().ColumnLookChanged(Index());
}

void TNiceColumn::Assign(const TNiceColumn& other) {
  TNiceColumnData::Assign(other);
  font_ = other.font_;
  fontColor_ = other.fontColor_;
  color_ = other.color_;
  NumberText = other.NumberText;
  grid_->Core().ColumnsChanged();
}

int TNiceColumns::Count() const { return grid_.ColCount(); }

TNiceColumn* TNiceColumns::Items(int i) const { return grid_.Column(i); }

TNiceColumn* TNiceColumns::Add() { return static_cast<TNiceColumn*>(&grid_.Core().AddColumn()); }

void TNiceColumns::Delete(int i) { grid_.Core().DeleteColumn(i); }

void TNiceColumns::Assign(const TNiceColumns& other) {
  grid_.BeginUpdate();
  grid_.SetColCount(other.Count());
  for (int i = 0; i < other.Count(); ++i) Items(i)->Assign(*other.Items(i));
  grid_.EndUpdate();
}

// ---------------------------------------------------------------- editor

TNiceInplace::TNiceInplace(TNiceGrid* grid) : QLineEdit(grid->viewport()), grid_(grid) {
  setFrame(false);
  hide();
  move(-200, -200);
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (!loading_ && col_ >= 0) grid_->Core().WriteCellWithEvents(col_, row_, text.toStdString());
  });
}

void TNiceInplace::ShowEdit(int col, int row) {
  const TNiceColumn* column = grid_->Column(col);
  col_ = col;
  row_ = row;
  loading_ = true;
  QPalette pal = palette();
  pal.setColor(QPalette::Base, grid_->CellColor(col, row));
  pal.setColor(QPalette::Text, column->FontColor());
  setPalette(pal);
  setAlignment(column->HorzAlign == haRight    ? Qt::AlignRight
               : column->HorzAlign == haCenter ? Qt::AlignHCenter
                                               : Qt::AlignLeft);
  setFont(column->Font());
  setText(grid_->SafeGetCell(col, row));
  loading_ = false;
  QRect r = ToQRect(grid_->Core().CellScreenRect(col, row));
  if (column->HorzAlign == haRight) r.setWidth(r.width() + 1);
  r.adjust(4, 3, -4, -3);
  const int line = QFontMetrics(grid_->font()).height();
  int top = column->VertAlign == vaTop      ? r.top() - 1
            : column->VertAlign == vaBottom ? r.bottom() + 1 - line + 1
                                            : r.top() + (r.height() - line) / 2;
  setGeometry(r.left(), top, r.width(), line);
  show();
  setFocus();
}

void TNiceInplace::HideEdit() {
  col_ = row_ = -1;
  if (isVisible()) {
    hide();
    move(-200, -200);
  }
}

void TNiceInplace::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Up:
    case Qt::Key_Down:
      HideEdit();
      grid_->setFocus();
      return;
    default: break;
  }
  const QString text = e->text();
  if (grid_->OnFilterChar && !text.isEmpty() && text[0] >= QChar(32)) {
    bool allowed = true;
    grid_->OnFilterChar(this, col_, row_, text, allowed);
    if (!allowed) return;
  }
  QLineEdit::keyPressEvent(e);
}

// ---------------------------------------------------------------- grid

TNiceGrid::TNiceGrid(QWidget* parent) : QAbstractScrollArea(parent), core_(*this), columns_(*this) {
  const QPalette pal = palette();
  color_ = alternateColor_ = pal.color(QPalette::Base);
  gridColor_ = headerColor_ = pal.color(QPalette::Button);
  headerLightColor_ = pal.color(QPalette::Light);
  headerDarkColor_ = pal.color(QPalette::Dark);
  textColor_ = pal.color(QPalette::Text);
  headerFont_ = gutterFont_ = footerFont_ = font();
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setMouseTracking(true);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(CursorOf(nhCell));
  SetScrollSteps(core_.DefRowHeight(), 5 * core_.DefRowHeight());
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (!settingBars_) core_.ScrollTo(false, v);
  });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
    if (!settingBars_) core_.ScrollTo(true, v);
  });
  editor_ = new TNiceInplace(this);
  ConnectEvents();
  resize(200, 200);
  core_.Recalculate();
}

TNiceGrid::~TNiceGrid() = default;

void TNiceGrid::ConnectEvents() {
  core_.OnFilterChar = [this](int c, int r, const std::string& chr, bool& allowed) {
    if (OnFilterChar) OnFilterChar(this, c, r, QString::fromStdString(chr), allowed);
  };
  core_.OnHeaderClick = [this](int c, TNiceButton b, unsigned s) {
    if (OnHeaderClick) OnHeaderClick(this, c, FromButton(b), FromShift(s));
  };
  core_.OnGutterClick = [this](int r, TNiceButton b, unsigned s) {
    if (OnGutterClick) OnGutterClick(this, r, FromButton(b), FromShift(s));
  };
  core_.OnCellAssignment = [this](int c, int r, std::string& str) {
    if (!OnCellAssignment) return;
    QString s = QString::fromStdString(str);
    OnCellAssignment(this, c, r, s);
    str = s.toStdString();
  };
  core_.OnCellChanging = [this](int c, int r, bool& can) {
    if (OnCellChanging) OnCellChanging(this, c, r, can);
  };
  core_.OnCellChange = [this](int c, int r, std::string& str) {
    if (!OnCellChange) return;
    QString s = QString::fromStdString(str);
    OnCellChange(this, c, r, s);
    str = s.toStdString();
  };
  core_.OnColRowChanged = [this](int c, int r) {
    if (OnColRowChanged) OnColRowChanged(this, c, r);
  };
  core_.OnInsertRow = [this](int r) {
    if (OnInsertRow) OnInsertRow(this, r);
  };
  core_.OnDeleteRow = [this](int r) {
    if (OnDeleteRow) OnDeleteRow(this, r);
  };
}

QString TNiceGrid::Cells(int col, int row) const {
  return QString::fromStdString(core_.Cell(col, row));
}

void TNiceGrid::SetCells(int col, int row, const QString& text) {
  core_.SetCell(col, row, text.toStdString());
}

QString TNiceGrid::SafeGetCell(int col, int row) const {
  return QString::fromStdString(core_.SafeGetCell(col, row));
}

void TNiceGrid::ExportToCsv(const QString& fileName) const {
  core_.ExportToCsv(fileName.toStdString());
}

QStringList TNiceGrid::GutterStrings() const {
  QStringList list;
  for (const auto& s : core_.GutterStrings()) list << QString::fromStdString(s);
  return list;
}

void TNiceGrid::SetGutterStrings(const QStringList& strings) {
  std::vector<std::string> v;
  v.reserve(strings.size());
  for (const auto& s : strings) v.push_back(s.toStdString());
  core_.SetGutterStrings(v);
}

QString TNiceGrid::GutterString(int i) const {
  const auto& list = core_.GutterStrings();
  return i >= 0 && static_cast<size_t>(i) < list.size() ? QString::fromStdString(list[i])
                                                        : QString();
}

void TNiceGrid::AddGutterString(const QString& s) {
  core_.GutterStringList().push_back(s.toStdString());
  core_.GutterStringsChanged();
}

void TNiceGrid::SetGutterString(int i, const QString& s) {
  if (i < 0) return;
  auto& list = core_.GutterStringList();
  if (list.size() <= static_cast<size_t>(i)) list.resize(i + 1);
  list[i] = s.toStdString();
  core_.GutterStringsChanged();
}

void TNiceGrid::SetDefRowHeight(int v) { core_.SetDefRowHeight(v); }

#define TNICE_SETTER(Name, member, type, repaint) \
  void TNiceGrid::Set##Name(type v) {             \
    if (member == v) return;                      \
    member = v;                                   \
    repaint;                                      \
  }

TNICE_SETTER(Color, color_, const QColor&, InvalidateAll())
TNICE_SETTER(AlternateColor, alternateColor_, const QColor&, Invalidate(core_.CellBox()))
TNICE_SETTER(GridColor, gridColor_, const QColor&, Invalidate(core_.CellBox()))
TNICE_SETTER(ShowGrid, showGrid_, bool, Invalidate(core_.CellBox()))
TNICE_SETTER(HeaderColor, headerColor_, const QColor&, InvalidateAll())
TNICE_SETTER(HeaderLightColor, headerLightColor_, const QColor&, InvalidateAll())
TNICE_SETTER(HeaderDarkColor, headerDarkColor_, const QColor&, InvalidateAll())
TNICE_SETTER(Flat, flat_, bool, InvalidateAll())
TNICE_SETTER(HeaderFont, headerFont_, const QFont&,
             Invalidate({0, 0, ClientWidth(), core_.FixedHeight() + 1}))
TNICE_SETTER(GutterFont, gutterFont_, const QFont&,
             Invalidate({0, 0, core_.FixedWidth() + 1, ClientHeight()}))
TNICE_SETTER(FooterFont, footerFont_, const QFont&, InvalidateAll())
TNICE_SETTER(SelectionColor, selectionColor_, const QColor&, Invalidate(core_.CellBox()))
#undef TNICE_SETTER

void TNiceGrid::SetDrawSelectionQ(bool v) {
  if (core_.DrawSelectionQ == v) return;
  core_.DrawSelectionQ = v;
  InvalidateAll();
}

bool TNiceGrid::Editing() const { return editor_->isVisible(); }

QCursor TNiceGrid::CursorOf(int kind) {
  switch (kind) {
    case nhCorner:
    case nhHeader: {
      static const QCursor down = ArrowCursor(true);
      return down;
    }
    case nhGutter: {
      static const QCursor right = ArrowCursor(false);
      return right;
    }
    case nhCell: return QCursor(Qt::CrossCursor);
    case nhBorder: return QCursor(Qt::SplitHCursor);
    default: return QCursor(Qt::ArrowCursor);
  }
}

// ---------------------------------------------------------------- host

std::unique_ptr<TNiceColumnData> TNiceGrid::NewColumn() {
  return std::make_unique<TNiceColumn>(this);
}

int TNiceGrid::ClientWidth() const { return viewport()->width(); }
int TNiceGrid::ClientHeight() const { return viewport()->height(); }

void TNiceGrid::ShowHideScrollBar(bool horizontal, bool vertical) {
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TNiceGrid::SetScrollBar(bool vertical, int maximum, int position) {
  QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
  settingBars_ = true;
  bar->setRange(0, maximum);
  bar->setValue(position);
  settingBars_ = false;
}

void TNiceGrid::SetScrollSteps(int line, int page) {
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
    bar->setSingleStep(line);
    bar->setPageStep(page);
  }
}

void TNiceGrid::Invalidate(const TNiceRect& pixels) {
  if (!core_.Updating()) viewport()->update(ToQRect(pixels));
}

void TNiceGrid::InvalidateAll() {
  if (!core_.Updating()) viewport()->update();
}

int TNiceGrid::TextWidth(const std::string& text) {
  return QFontMetrics(font()).horizontalAdvance(QString::fromStdString(text));
}

void TNiceGrid::HideEditor() {
  if (editor_ && editor_->isVisible()) {
    bool hadFocus = editor_->hasFocus();
    editor_->HideEdit();
    if (hadFocus) setFocus();
  }
}

void TNiceGrid::OpenEditor(int col, int row) { editor_->ShowEdit(col, row); }

bool TNiceGrid::EditorOpen() const { return editor_->isVisible(); }

void TNiceGrid::SetCursorKind(int kind) { viewport()->setCursor(CursorOf(kind)); }

void TNiceGrid::SetClipboardText(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

bool TNiceGrid::ClipboardText(std::string& text) {
  const QString s = QGuiApplication::clipboard()->text();
  if (s.isEmpty()) return false;
  text = s.toStdString();
  return true;
}

// ---------------------------------------------------------------- painting

QColor TNiceGrid::CellColor(int col, int row) const {
  const TNiceColumn* column = Column(col);
  if (row % 2 == 1 && column->Color() == color_) return alternateColor_;
  return column->Color();
}

int TNiceGrid::TextRoom(int col) const {
  // The text's rectangle is the cell's, 4 pixels in on either side.
  return Column(col)->Width + 1 - 8;
}

QString TNiceGrid::ShownText(int col, int row) const {
  QString text = QString::fromStdString(core_.SafeGetCell(col, row));
  const TNiceColumn* column = Column(col);
  if (!column->NumberText || text.isEmpty()) return text;
  if (QFontMetrics(column->Font()).horizontalAdvance(text) <= TextRoom(col)) return text;
  return QStringLiteral("###");
}

void TNiceGrid::DrawShownText(QPainter& p, int col, int row, const QRect& rc) {
  const TNiceColumn* column = Column(col);
  DrawCellText(p, rc.adjusted(4, 2, -4, -2), ShownText(col, row), column->HorzAlign,
               column->VertAlign, false, nullptr);
}

void TNiceGrid::DrawCellText(QPainter& p, const QRect& r, const QString& text, THorzAlign h,
                             TVertAlign v, bool keepRight, int* caretX) {
  if (!caretX) {
    // Qt's own alignment places the line as above and clips it to r.
    if (text.isEmpty()) return;
    const int flags = Qt::TextSingleLine |
                      (h == haCenter  ? Qt::AlignHCenter
                       : h == haRight ? Qt::AlignRight
                                      : Qt::AlignLeft) |
                      (v == vaTop      ? Qt::AlignTop
                       : v == vaBottom ? Qt::AlignBottom
                                       : Qt::AlignVCenter);
    p.drawText(r, flags, text);
    return;
  }
  const QFontMetrics fm(p.font());
  const int line = fm.height();
  const int width = text.isEmpty() ? 0 : fm.horizontalAdvance(text);
  const int x = AlignX(r, width, h, keepRight);
  const int y = v == vaTop      ? r.top()
                : v == vaBottom ? r.top() + r.height() - line
                                : r.top() + (r.height() - line) / 2;
  if (caretX) *caretX = std::min(x + width + 1, r.left() + r.width());
  if (text.isEmpty()) return;
  if (x < r.left() || x + width > r.left() + r.width() || y < r.top() ||
      y + line > r.top() + r.height()) {
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.drawText(x, y + fm.ascent(), text);
    p.restore();
  } else {
    p.drawText(x, y + fm.ascent(), text);
  }
}

void TNiceGrid::PaintCells(QPainter& p, const QRect& exposed) {
  const TNiceRect& box = core_.CellBox();
  const QRect cellBox = ToQRect(box);
  int firstRow, lastRow;
  core_.VisibleRows({exposed.left(), exposed.top(), exposed.right() + 1, exposed.bottom() + 1},
                    firstRow, lastRow);
  const int dx = core_.FixedWidth() - core_.HorzOffset();
  const int dy = core_.FixedHeight() - core_.VertOffset();
  const int h = core_.DefRowHeight();
  const bool enabled = core_.Enabled();
  const bool typing = TNiceGridCore::CaretShown() && hasFocus();
  int left = 0;
  for (int c = 0; c < ColCount(); ++c) {
    const TNiceColumn* column = Column(c);
    if (!column->Visible) continue;
    const int colLeft = left;
    left += column->Width;
    const int x0 = colLeft - 1 + dx, x1 = colLeft + column->Width + dx;
    if (x1 <= exposed.left() || x0 > exposed.right() || x1 <= cellBox.left()) continue;
    QFont font = column->Font();
    const QColor textColor = enabled ? column->FontColor() : gridColor_;
    for (int r = firstRow; r <= lastRow; ++r) {
      const QRect rc(x0, r * h - 1 + dy, x1 - x0, h + 1);
      if (!rc.intersects(cellBox)) continue;
      p.setFont(font);
      p.setPen(QPen(gridColor_, 0));
      p.setBrush(CellColor(c, r));
      bool handled = false;
      if (OnDrawCell) OnDrawCell(this, &p, c, r, rc, handled);
      if (handled) continue;
      if (showGrid_) {
        p.fillRect(rc, p.brush());
        p.drawRect(rc.adjusted(0, 0, -1, -1));
      } else {
        p.fillRect(rc, p.brush());
      }
      const QRect inner = rc.adjusted(4, 2, -4, -2);
      const bool current = typing && c == core_.Col() && r == core_.Row();
      int caretX = 0;
      p.setPen(textColor);
      const QString text =
          current ? QString::fromStdString(core_.SafeGetCell(c, r)) : ShownText(c, r);
      DrawCellText(p, inner, text, column->HorzAlign, column->VertAlign, current,
                   current ? &caretX : nullptr);
      if (current) p.fillRect(QRect(caretX, inner.top() - 1, 1, h - 2), textColor);
    }
  }
}

void TNiceGrid::PaintEmptyAreas(QPainter& p) {
  const int cw = ClientWidth(), ch = ClientHeight();
  const int aw = core_.ActualWidth(), ah = core_.ActualHeight();
  if (aw < cw) p.fillRect(QRect(aw, 0, cw - aw, ch), color_);
  if (!core_.ShowFooter()) {
    if (ah < ch) p.fillRect(QRect(0, ah, cw, ch - ah), color_);
    const int h = core_.DefRowHeight();
    if (core_.MaxVertOffset() - core_.VertOffset() < h) {
      const int top = core_.FixedHeight() + (ch - core_.FixedHeight()) / h * h;
      p.fillRect(QRect(0, top, cw, ch - top), color_);
    }
  }
}

void TNiceGrid::PaintFixedCell(QPainter& p, const QRect& r, const QString& text, const QFont& font,
                               const TOnDrawHeaderEvent& event) {
  p.setPen(QPen(flat_ ? headerDarkColor_ : QColor(Qt::black), 0));
  p.setBrush(headerColor_);
  p.setFont(font);
  bool handled = false;
  if (event) event(this, &p, r, text, handled);
  if (handled) return;
  p.fillRect(r, p.brush());
  p.drawRect(r.adjusted(0, 0, -1, -1));
  const QRect inner(QPoint(r.left() + 2, r.top() + 2), QPoint(r.right() - 3, r.bottom() - 3));
  p.setPen(core_.Enabled() ? textColor_ : headerDarkColor_);
  // Lines at ";", centred as a block; a trailing ";" adds no line.
  QStringList lines = text.split(QLatin1Char(';'));
  if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
  const QFontMetrics fm(p.font());
  const int lh = fm.height();
  const int n = static_cast<int>(lines.size());
  const QRect ir(inner.left(), inner.top(), inner.width() + 1, inner.height() + 1);
  p.save();
  p.setClipRect(ir, Qt::IntersectClip);
  for (int i = 0; i < n; ++i) {
    const int w = fm.horizontalAdvance(lines[i]);
    const int x = ir.left() + (ir.width() - w) / 2;
    const int y = ir.top() + (ir.height() - n * lh) / 2 + i * lh;
    p.drawText(x, y + fm.ascent(), lines[i]);
  }
  p.restore();
  p.setPen(QPen(headerLightColor_, 0));
  p.drawLine(r.left() + 1, r.bottom() - 1, r.left() + 1, r.top() + 1);
  p.drawLine(r.left() + 1, r.top() + 1, r.right() - 1, r.top() + 1);
  if (!flat_) {
    p.setPen(QPen(headerDarkColor_, 0));
    p.drawLine(r.right() - 1, r.top() + 1, r.right() - 1, r.bottom() - 1);
    p.drawLine(r.right() - 1, r.bottom() - 1, r.left(), r.bottom() - 1);
  }
}

void TNiceGrid::PaintGutter(QPainter& p, const QRect& exposed) {
  if (core_.GutterKind() == gkNone) return;
  const int h = core_.DefRowHeight();
  const int gw = core_.GutterWidth();
  const int dy = core_.FixedHeight() - core_.VertOffset();
  const TNiceRect& box = core_.CellBox();
  const QRect area(0, box.Top, box.Right, box.Bottom - box.Top);
  int first, last;
  core_.VisibleRows({0, exposed.top(), gw, exposed.bottom() + 1}, first, last);
  for (int i = first; i <= last; ++i) {
    const QRect r(-1, i * h - 1 + dy, gw + 1, h + 1);
    if (!r.intersects(area)) continue;
    PaintFixedCell(p, r, QString::fromStdString(core_.GutterCaption(i)), gutterFont_, OnDrawGutter);
    if (core_.GutterKind() == gkPointer && i == core_.Row()) {
      const int x0 = (gw - 8) / 2, d = (h - 8) / 2;
      const int top = r.top(), bottom = r.top() + r.height();
      p.setPen(QPen(headerDarkColor_, 0));
      p.drawLine(x0, bottom - d, x0, top + d);
      p.drawLine(x0, top + d, x0 + 8, top + h / 2);
      p.setPen(QPen(headerLightColor_, 0));
      p.drawLine(x0 + 8, top + h / 2, x0, bottom - d);
    }
  }
}

void TNiceGrid::PaintHeader(QPainter& p) {
  const int h = core_.DefRowHeight();
  const int dx = core_.FixedWidth() - core_.HorzOffset();
  const QRect client(0, 0, ClientWidth(), ClientHeight());
  for (const THeaderInfo& info : core_.Header()) {
    const int l = core_.GetColCoord(info.Rc.Left) - 1 + dx;
    const int r = core_.GetColCoord(info.Rc.Right + 1) + dx;
    const QRect rc(l, info.Rc.Top * h - 1, r - l, (info.Rc.Bottom + 1 - info.Rc.Top) * h + 1);
    if (!rc.intersects(client)) continue;
    PaintFixedCell(p, rc, QString::fromStdString(info.Str), headerFont_, OnDrawHeader);
  }
  PaintFixedCell(p, QRect(-1, -1, core_.FixedWidth() + 1, core_.FixedHeight() + 1), QString(),
                 headerFont_, OnDrawHeader);
}

void TNiceGrid::PaintFooter(QPainter& p) {
  const int h = core_.DefRowHeight();
  const int top = core_.FooterTop();
  const int dx = core_.FixedWidth() - core_.HorzOffset();
  for (int c = 0; c < ColCount(); ++c) {
    const int l = core_.GetColCoord(c) - 1 + dx;
    const int r = core_.GetColCoord(c + 1) + dx;
    PaintFixedCell(p, QRect(l, top, r - l, h + 1), Column(c)->GetFooter(), footerFont_,
                   OnDrawFooter);
  }
  PaintFixedCell(p, QRect(-1, top, core_.FixedWidth() + 1, h + 1), QString(), footerFont_,
                 OnDrawFooter);
  const int right = std::min(core_.ActualWidth(), ClientWidth());
  PaintFixedCell(p, QRect(-1, top + h, right + 1, ClientHeight() - top - h), QString(), footerFont_,
                 OnDrawFooter);
}

void TNiceGrid::paintEvent(QPaintEvent* e) {
  if (core_.Updating()) return;
  QPainter p(viewport());
  const QRect client(0, 0, ClientWidth(), ClientHeight());
  if (ColCount() == 0) {
    p.fillRect(client, color_);
    return;
  }
  const QRect exposed = e->rect();
  const QRect cellBox = ToQRect(core_.CellBox());
  // An invalid SelectionColor stands for "no colour": no frame.
  const bool frame = core_.Enabled() && core_.DrawSelectionQ && selectionColor_.isValid() &&
                     core_.Col() != -1 && core_.Row() != -1;
  if (RowCount() > 0) {
    const QRect s = ToQRect(core_.BlockScreenRect(core_.SelectArea()));
    const QRegion ring = QRegion(s.adjusted(-1, -1, 1, 1)) - QRegion(s.adjusted(2, 2, -2, -2));
    p.setClipRegion(frame ? QRegion(cellBox) - ring : QRegion(cellBox));
    PaintCells(p, exposed);
    p.setClipRegion(frame ? QRegion(client) - ring : QRegion(client));
    PaintEmptyAreas(p);
    if (frame) {
      p.setClipRect(cellBox);
      for (const QRect& r : ring) p.fillRect(r, selectionColor_);
    }
  } else {
    PaintEmptyAreas(p);
  }
  p.setClipping(false);
  PaintGutter(p, exposed);
  PaintHeader(p);
  if (core_.ShowFooter()) PaintFooter(p);
}

// ---------------------------------------------------------------- input

void TNiceGrid::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  // Showing or hiding a scroll bar during a relayout resizes the viewport;
  // that relayout reads the new size itself.
  if (core_.InRecalculate()) return;
  core_.Recalculate();
  if (ColCount() > 0) core_.EnsureVisible(core_.Col(), core_.Row());
  viewport()->update();
}

void TNiceGrid::keyPressEvent(QKeyEvent* e) {
  if (!core_.Enabled() || ColCount() == 0 || RowCount() == 0) {
    e->ignore();
    return;
  }
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  TNiceKey key = TNiceKey::Other;
  switch (e->key()) {
    case Qt::Key_Home: key = TNiceKey::Home; break;
    case Qt::Key_End: key = TNiceKey::End; break;
    case Qt::Key_Left: key = TNiceKey::Left; break;
    case Qt::Key_Right: key = TNiceKey::Right; break;
    case Qt::Key_Up: key = TNiceKey::Up; break;
    case Qt::Key_Down: key = TNiceKey::Down; break;
    case Qt::Key_PageUp: key = TNiceKey::PageUp; break;
    case Qt::Key_PageDown: key = TNiceKey::PageDown; break;
    case Qt::Key_Insert: key = TNiceKey::Insert; break;
    case Qt::Key_Delete: key = TNiceKey::Delete; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: key = TNiceKey::Enter; break;
    case Qt::Key_C:
      if (ctrl) key = TNiceKey::C;
      break;
    case Qt::Key_V:
      if (ctrl) key = TNiceKey::V;
      break;
    case Qt::Key_X:
      if (ctrl) key = TNiceKey::X;
      break;
    default: break;
  }
  if (key != TNiceKey::Other) {
    core_.KeyDown(key, ToShift(e->modifiers()));
    e->accept();
    return;
  }
  if (e->key() == Qt::Key_Backspace) {
    core_.KeyChar("\b");
    e->accept();
    return;
  }
  const QString text = e->text();
  if (!ctrl && !text.isEmpty() && text[0] >= QChar(32)) {
    core_.KeyChar(text.toStdString());
    e->accept();
    return;
  }
  QWidget::keyPressEvent(e);
}

void TNiceGrid::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  core_.MouseDown(ToButton(e->button()), ToShift(e->modifiers()), pos.x(), pos.y());
}

void TNiceGrid::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  core_.MouseMove(e->buttons() & Qt::LeftButton, pos.x(), pos.y());
}

void TNiceGrid::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  core_.MouseUp(pos.x(), pos.y());
}

void TNiceGrid::mouseDoubleClickEvent(QMouseEvent* e) {
  // The second press of a double click is a press like the first.
  mousePressEvent(e);
  if (OnDblClick) OnDblClick(this);
}

void TNiceGrid::wheelEvent(QWheelEvent* e) {
  core_.Wheel(e->angleDelta().y());
  e->accept();
}

void TNiceGrid::focusInEvent(QFocusEvent* e) { QAbstractScrollArea::focusInEvent(e); }

void TNiceGrid::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  if (QApplication::focusWidget() != editor_) HideEditor();
  TNiceGridCore::HideCaret();
  if (!editor_->isVisible()) Invalidate(core_.CellBox());
}

void TNiceGrid::changeEvent(QEvent* e) {
  QAbstractScrollArea::changeEvent(e);
  if (e->type() == QEvent::FontChange) {
    for (int i = 0; i < ColCount(); ++i) Column(i)->font_ = font();
    InvalidateAll();
  }
}

}  // namespace tesvane
