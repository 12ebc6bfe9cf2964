#include "nice_grid_core.h"

#include <algorithm>

namespace tesvane {

namespace {

bool caretShown = false;

std::vector<std::string> SplitTitle(const std::string& title) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t bar = title.find('|', start);
    if (bar == std::string::npos) {
      lines.push_back(title.substr(start));
      return lines;
    }
    lines.push_back(title.substr(start, bar - start));
    start = bar + 1;
  }
}

}  // namespace

void TNiceColumnData::Assign(const TNiceColumnData& other) {
  Title = other.Title;
  Footer = other.Footer;
  Hint = other.Hint;
  Width = other.Width;
  HorzAlign = other.HorzAlign;
  VertAlign = other.VertAlign;
  Visible = other.Visible;
  CanResize = other.CanResize;
  ReadOnly = other.ReadOnly;
  Tag = other.Tag;
  Tag2 = other.Tag2;
  Strings = other.Strings;
  Objects = other.Objects;
}

std::vector<THeaderInfo> BuildNiceHeader(const std::vector<const TNiceColumnData*>& columns,
                                         int headerLine) {
  std::vector<THeaderInfo> header;
  if (headerLine <= 0) return header;
  // Per level the index of the record that a next equal text extends; -1
  // matches no text.
  std::vector<int> open(headerLine, -1);
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    if (!columns[c]->Visible) {
      std::fill(open.begin(), open.end(), -1);
      continue;
    }
    std::vector<std::string> lines = SplitTitle(columns[c]->Title);
    while (static_cast<int>(lines.size()) < headerLine) lines.push_back(lines.back());
    int parent = -1;
    for (int level = 0; level < headerLine; ++level) {
      const std::string& text = lines[level];
      if (parent >= 0 && header[parent].Str == text) {
        TNiceRect& rc = header[parent].Rc;
        rc.Bottom = std::min(std::max(rc.Bottom, level), headerLine - 1);
        continue;
      }
      if (open[level] >= 0 && header[open[level]].Str == text) {
        ++header[open[level]].Rc.Right;
      } else {
        header.push_back({text, {c, level, c, level}});
        open[level] = static_cast<int>(header.size()) - 1;
      }
      parent = open[level];
    }
  }
  return header;
}

TNiceGridCore::TNiceGridCore(TNiceGridHost& host) : host_(host) {}

bool TNiceGridCore::CaretShown() { return caretShown; }
void TNiceGridCore::HideCaret() { caretShown = false; }
void TNiceGridCore::ShowCaret() { caretShown = true; }

void TNiceGridCore::HideEditor() {
  if (caretShown) {
    caretShown = false;
    if (col_ >= 0 && row_ >= 0) InvalidateCell(col_, row_);
  }
  host_.HideEditor();
}

// ---------------------------------------------------------------- columns

void TNiceGridCore::SetColCount(int n) {
  n = std::max(n, 0);
  if (n == ColCount()) return;
  while (ColCount() > n) columns_.pop_back();
  while (ColCount() < n) {
    auto column = host_.NewColumn();
    column->Width = defColWidth_;
    columns_.push_back(std::move(column));
  }
  horzOffset_ = vertOffset_ = 0;
  BuildHeader();
  ClampCurrent();
  anchorCol_ = col_;
  anchorRow_ = row_;
  SetSelectArea({col_, row_, col_, row_});
  host_.InvalidateAll();
  ReportChange();
}

void TNiceGridCore::SetRowCount(int n) {
  n = std::max(n, 0);
  if (n == rowCount_) return;
  rowCount_ = n;
  ClampCurrent();
  anchorCol_ = col_;
  anchorRow_ = row_;
  if (RowSelect)
    SetSelectArea({0, row_, ColCount() - 1, row_});
  else
    SetSelectArea({col_, row_, col_, row_});
  Recalculate();
  host_.InvalidateAll();
  ReportChange();
}

TNiceColumnData& TNiceGridCore::AddColumn() {
  auto column = host_.NewColumn();
  column->Width = defColWidth_;
  columns_.push_back(std::move(column));
  ColumnsChanged();
  return *columns_.back();
}

void TNiceGridCore::DeleteColumn(int i) {
  if (i < 0 || i >= ColCount()) return;
  columns_.erase(columns_.begin() + i);
  ColumnsChanged();
}

void TNiceGridCore::SetColumnTitle(int i, const std::string& title) {
  if (Column(i).Title == title) return;
  Column(i).Title = title;
  ColumnsChanged();
}

void TNiceGridCore::SetColumnWidth(int i, int width) {
  if (Column(i).Width == width) return;
  Column(i).Width = width;
  ColumnsChanged();
}

void TNiceGridCore::SetColumnVisible(int i, bool visible) {
  if (Column(i).Visible == visible) return;
  Column(i).Visible = visible;
  forcedColumn_ = i;
  ColumnsChanged();
}

void TNiceGridCore::ColumnLookChanged(int i) {
  if (i < 0 || i >= ColCount()) return;
  int x = GetColCoord(i) + fixedWidth_ - horzOffset_;
  int w = Column(i).Visible ? Column(i).Width : 0;
  host_.Invalidate({x - 3, 0, x + w + 3, host_.ClientHeight()});
}

void TNiceGridCore::ColumnsChanged() {
  BuildHeader();
  host_.InvalidateAll();
}

// ---------------------------------------------------------------- cells

bool TNiceGridCore::InGrid(int col, int row) const {
  return col >= 0 && col < ColCount() && row >= 0 && row < rowCount_;
}

void TNiceGridCore::CheckIndex(int col, int row) const {
  if (!InGrid(col, row)) throw ENiceGridError(kCellIndexOutOfBound);
}

void TNiceGridCore::Pad(TNiceColumnData& column, int row) const {
  size_t need = static_cast<size_t>(row) + 1;
  if (column.Strings.size() < need) column.Strings.resize(need);
  if (column.Objects.size() < column.Strings.size()) column.Objects.resize(column.Strings.size());
}

std::string TNiceGridCore::Cell(int col, int row) const {
  CheckIndex(col, row);
  return SafeGetCell(col, row);
}

std::string TNiceGridCore::SafeGetCell(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0) return {};
  const auto& strings = columns_[col]->Strings;
  return static_cast<size_t>(row) < strings.size() ? strings[row] : std::string();
}

void TNiceGridCore::SetCell(int col, int row, const std::string& text) {
  if (ColCount() == 0 || rowCount_ == 0) return;
  CheckIndex(col, row);
  StoreCell(col, row, text, false);
}

int TNiceGridCore::Object(int col, int row) const {
  CheckIndex(col, row);
  const auto& objects = columns_[col]->Objects;
  return static_cast<size_t>(row) < objects.size() &&
                 static_cast<size_t>(row) < columns_[col]->Strings.size()
             ? objects[row]
             : 0;
}

void TNiceGridCore::SetObject(int col, int row, int tag) {
  CheckIndex(col, row);
  Pad(*columns_[col], row);
  columns_[col]->Objects[row] = tag;
}

void TNiceGridCore::WriteCellWithEvents(int col, int row, const std::string& text) {
  if (ColCount() == 0 || rowCount_ == 0) return;
  CheckIndex(col, row);
  if (columns_[col]->ReadOnly) return;
  StoreCell(col, row, text, true);
}

void TNiceGridCore::StoreCell(int col, int row, const std::string& text, bool events) {
  TNiceColumnData& column = *columns_[col];
  Pad(column, row);
  if (column.Strings[row] == text) return;
  std::string str = text;
  if (events) {
    bool canChange = true;
    if (OnCellChanging) OnCellChanging(col, row, canChange);
    if (!canChange) return;
    if (OnCellChange) OnCellChange(col, row, str);
  }
  column.Strings[row] = str;
  if (!updating_) InvalidateCell(col, row);
}

void TNiceGridCore::BeginUpdate() {
  updating_ = true;
  HideEditor();
}

void TNiceGridCore::EndUpdate() {
  updating_ = false;
  BuildHeader();
  host_.InvalidateAll();
}

void TNiceGridCore::SetColWidth(int i, int width) {
  if (autoColWidth_) return;
  SetColumnWidth(i, width);
}

void TNiceGridCore::Clear() {
  for (auto& column : columns_) {
    column->Strings.clear();
    column->Objects.clear();
  }
  InvalidateCellArea();
}

int TNiceGridCore::AddRow() {
  HideEditor();
  for (auto& column : columns_) {
    Pad(*column, rowCount_);
    column->Strings[rowCount_].clear();
    column->Objects[rowCount_] = 0;
  }
  ++rowCount_;
  Recalculate();
  if (!updating_) host_.InvalidateAll();
  return rowCount_ - 1;
}

void TNiceGridCore::InsertRow(int row) {
  HideEditor();
  if (row < 0 || row >= rowCount_) return;
  for (auto& column : columns_) {
    if (row > 0) Pad(*column, row - 1);
    column->Strings.insert(column->Strings.begin() + row, std::string());
    if (column->Objects.size() < static_cast<size_t>(row)) column->Objects.resize(row);
    column->Objects.insert(column->Objects.begin() + row, 0);
  }
  ++rowCount_;
  Recalculate();
  if (!updating_) host_.InvalidateAll();
}

void TNiceGridCore::DeleteRow(int row) {
  HideEditor();
  if (row < 0 || row >= rowCount_) return;
  for (auto& column : columns_) {
    auto& strings = column->Strings;
    if (strings.size() <= static_cast<size_t>(row)) continue;
    Pad(*column, static_cast<int>(strings.size()) - 1);
    std::move(strings.begin() + row + 1, strings.end(), strings.begin() + row);
    strings.back().clear();
    auto& objects = column->Objects;
    std::move(objects.begin() + row + 1, objects.begin() + strings.size(), objects.begin() + row);
    objects[strings.size() - 1] = 0;
  }
  if (row_ == rowCount_ - 1) --row_;
  --rowCount_;
  Recalculate();
  if (!updating_) host_.InvalidateAll();
}

void TNiceGridCore::SelectRow(int row) {
  if (row == row_) return;
  HideEditor();
  row_ = row;
  anchorRow_ = row;
  anchorCol_ = col_;
  typing_.clear();
  SetSelectArea({0, row, ColCount() - 1, row});
  if (!updating_) host_.Invalidate({0, fixedHeight_, host_.ClientWidth(), host_.ClientHeight()});
  ReportChange();
}

void TNiceGridCore::SetSelectArea(const TNiceRect& area, bool force) {
  if (area == selectArea_ && !force) return;
  HideEditor();
  TNiceRect old = selectArea_;
  selectArea_ = area;
  if (updating_) return;
  if (ColCount() == 0 || rowCount_ == 0) {
    host_.InvalidateAll();
    return;
  }
  TNiceRect a = BlockScreenRect(old), b = BlockScreenRect(area);
  host_.Invalidate({std::min(a.Left, b.Left) - 3, std::min(a.Top, b.Top) - 3,
                    std::max(a.Right, b.Right) + 3, std::max(a.Bottom, b.Bottom) + 3});
  if (gutterKind_ == gkPointer) InvalidateGutter();
}

void TNiceGridCore::ClampCurrent() {
  if (ColCount() == 0 || rowCount_ == 0) {
    col_ = row_ = -1;
    return;
  }
  col_ = std::clamp(col_, 0, ColCount() - 1);
  row_ = std::clamp(row_, 0, rowCount_ - 1);
}

void TNiceGridCore::ReportChange() {
  if (OnColRowChanged) OnColRowChanged(col_, row_);
}

// ---------------------------------------------------------------- properties

void TNiceGridCore::SetDefRowHeight(int v) {
  v = std::max(v, 1);
  if (v == defRowHeight_) return;
  defRowHeight_ = v;
  host_.SetScrollSteps(v, 5 * v);
  Recalculate();
  host_.InvalidateAll();
}

void TNiceGridCore::SetDefColWidth(int v) {
  if (v == defColWidth_) return;
  defColWidth_ = v;
  if (!autoColWidth_) {
    Recalculate();
    host_.InvalidateAll();
  }
}

void TNiceGridCore::SetHeaderLine(int v) {
  v = std::max(v, 0);
  if (v == headerLine_) return;
  headerLine_ = v;
  BuildHeader();
  host_.InvalidateAll();
}

void TNiceGridCore::SetGutterKind(TGutterKind v) {
  if (v == gutterKind_) return;
  bool stripOnly = v != gkNone && gutterKind_ != gkNone;
  gutterKind_ = v;
  Recalculate();
  if (stripOnly)
    InvalidateGutter();
  else
    host_.InvalidateAll();
}

void TNiceGridCore::SetGutterWidth(int v) {
  if (v == gutterWidth_) return;
  gutterWidth_ = v;
  Recalculate();
  host_.InvalidateAll();
}

void TNiceGridCore::SetGutterStrings(const std::vector<std::string>& v) {
  gutterStrings_ = v;
  GutterStringsChanged();
}

void TNiceGridCore::GutterStringsChanged() {
  if (gutterKind_ == gkString) InvalidateGutter();
}

std::string TNiceGridCore::GutterCaption(int row) const {
  switch (gutterKind_) {
    case gkNumber: return std::to_string(row + 1);
    case gkString:
      return row >= 0 && static_cast<size_t>(row) < gutterStrings_.size() ? gutterStrings_[row]
                                                                          : std::string();
    default: return {};
  }
}

void TNiceGridCore::SetFitToWidth(bool v) {
  if (v == fitToWidth_) return;
  fitToWidth_ = v;
  horzOffset_ = 0;
  Recalculate();
  host_.InvalidateAll();
}

void TNiceGridCore::SetAutoColWidth(bool v) {
  if (v == autoColWidth_) return;
  autoColWidth_ = v;
  Recalculate();
  host_.InvalidateAll();
}

void TNiceGridCore::SetShowFooter(bool v) {
  if (v == showFooter_) return;
  showFooter_ = v;
  Recalculate();
  host_.InvalidateAll();
}

void TNiceGridCore::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  host_.InvalidateAll();
}

// ---------------------------------------------------------------- layout

void TNiceGridCore::BuildHeader() {
  std::vector<const TNiceColumnData*> columns;
  columns.reserve(columns_.size());
  for (const auto& c : columns_) columns.push_back(c.get());
  header_ = BuildNiceHeader(columns, headerLine_);
  Recalculate();
}

void TNiceGridCore::Recalculate() {
  if (inRecalculate_) return;
  inRecalculate_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{inRecalculate_};

  bool anyVisible =
      std::any_of(columns_.begin(), columns_.end(), [](const auto& c) { return c->Visible; });
  if (!anyVisible) {
    fixedWidth_ = fixedHeight_ = bodyWidth_ = bodyHeight_ = 0;
    actualWidth_ = actualHeight_ = footerTop_ = 0;
    horzOffset_ = vertOffset_ = maxHorz_ = maxVert_ = 0;
    cellBox_ = {};
    horzBar_ = vertBar_ = false;
    host_.ShowHideScrollBar(false, false);
    return;
  }
  if (autoColWidth_) {
    for (auto& column : columns_) {
      int w = 0;
      for (const auto& s : column->Strings) w = std::max(w, host_.TextWidth(s));
      column->Width = std::max({w + 7, 20, defColWidth_});
    }
  }
  const int h = defRowHeight_;
  const int footer = showFooter_ ? h : 0;
  fixedWidth_ = gutterKind_ == gkNone ? 0 : gutterWidth_;
  fixedHeight_ = headerLine_ * h;
  bodyHeight_ = rowCount_ * h;
  bodyWidth_ = 0;
  for (const auto& c : columns_)
    if (c->Visible) bodyWidth_ += c->Width;

  int clientW = host_.ClientWidth(), clientH = host_.ClientHeight();
  const int availW = clientW - fixedWidth_;
  const int availH = clientH - fixedHeight_ - footer;

  if (fitToWidth_) {
    // One pixel per resizable column and pass, from the left, so the
    // leftmost columns take the remainder.
    while (bodyWidth_ < availW) {
      bool added = false;
      for (auto& c : columns_) {
        if (bodyWidth_ >= availW) break;
        if (c->Visible && c->CanResize) {
          ++c->Width;
          ++bodyWidth_;
          added = true;
        }
      }
      if (!added) break;
    }
    while (bodyWidth_ > availW) {
      bool taken = false;
      for (int i = 0; i < ColCount(); ++i) {
        if (bodyWidth_ <= availW) break;
        TNiceColumnData& c = *columns_[i];
        if (c.Visible && c.CanResize && i != forcedColumn_ && c.Width > 0) {
          --c.Width;
          --bodyWidth_;
          taken = true;
        }
      }
      if (!taken) break;
    }
  }
  forcedColumn_ = -1;

  if (bodyWidth_ < availW) horzOffset_ = 0;
  if (bodyHeight_ < availH) vertOffset_ = 0;
  horzBar_ = availW < bodyWidth_;
  vertBar_ = availH < bodyHeight_;
  host_.ShowHideScrollBar(horzBar_, vertBar_);
  clientW = host_.ClientWidth();
  clientH = host_.ClientHeight();

  maxHorz_ = std::max(0, bodyWidth_ + fixedWidth_ - clientW);
  maxVert_ = std::max(0, bodyHeight_ + fixedHeight_ - clientH + footer);
  maxVert_ = (maxVert_ + h - 1) / h * h;
  if (showFooter_)
    footerTop_ = vertBar_ ? (clientH / h - 1) * h - 1 : (headerLine_ + rowCount_) * h - 1;
  else
    footerTop_ = 0;

  horzOffset_ = std::clamp(horzOffset_, 0, maxHorz_);
  vertOffset_ = std::clamp(vertOffset_, 0, maxVert_);
  host_.SetScrollBar(false, maxHorz_, horzOffset_);
  host_.SetScrollBar(true, maxVert_, vertOffset_);

  actualWidth_ = std::min(clientW, bodyWidth_ + fixedWidth_);
  actualHeight_ = std::min(clientH, bodyHeight_ + fixedHeight_ + footer);
  cellBox_ = {fixedWidth_, fixedHeight_, clientW, showFooter_ ? footerTop_ : clientH};
}

int TNiceGridCore::GetColCoord(int col) const {
  int x = 0;
  for (int i = 0; i < col && i < ColCount(); ++i)
    if (columns_[i]->Visible) x += columns_[i]->Width;
  return x;
}

TNiceRect TNiceGridCore::GetCellRect(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount()) return {};
  int left = GetColCoord(col);
  int width = columns_[col]->Visible ? columns_[col]->Width : 0;
  return {left - 1, row * defRowHeight_ - 1, left + width, (row + 1) * defRowHeight_};
}

TNiceRect TNiceGridCore::CellScreenRect(int col, int row) const {
  TNiceRect r = GetCellRect(col, row);
  int dx = fixedWidth_ - horzOffset_, dy = fixedHeight_ - vertOffset_;
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TNiceRect TNiceGridCore::BlockScreenRect(const TNiceRect& block) const {
  if (ColCount() == 0 || rowCount_ == 0) return {};
  auto cc = [&](int c) { return std::clamp(c, 0, ColCount() - 1); };
  auto cr = [&](int r) { return std::clamp(r, 0, rowCount_ - 1); };
  TNiceRect a = CellScreenRect(cc(block.Left), cr(block.Top));
  TNiceRect b = CellScreenRect(cc(block.Right), cr(block.Bottom));
  return {a.Left, a.Top, b.Right, b.Bottom};
}

void TNiceGridCore::VisibleRows(const TNiceRect& pixels, int& first, int& last) const {
  const int h = defRowHeight_;
  // Content y of the exposed band; a row's rectangle reaches one pixel above
  // its own top.
  long top = static_cast<long>(pixels.Top) - fixedHeight_ + vertOffset_;
  long bottom = static_cast<long>(pixels.Bottom) - fixedHeight_ + vertOffset_;
  first = top < 0 ? 0 : static_cast<int>(top / h);
  last = static_cast<int>(std::min<long>(rowCount_ - 1, bottom < 0 ? -1 : bottom / h));
}

// ---------------------------------------------------------------- scrolling

void TNiceGridCore::SetVertOffset(int v, bool round) {
  v = std::clamp(v, 0, maxVert_);
  if (round) v -= v % defRowHeight_;
  host_.SetScrollBar(true, maxVert_, v);
  if (v == vertOffset_) return;
  vertOffset_ = v;
  host_.Invalidate({0, fixedHeight_, host_.ClientWidth(), host_.ClientHeight()});
}

void TNiceGridCore::SetHorzOffset(int v) {
  v = std::clamp(v, 0, maxHorz_);
  if (v == horzOffset_) return;
  horzOffset_ = v;
  host_.SetScrollBar(false, maxHorz_, v);
  host_.Invalidate({fixedWidth_, 0, host_.ClientWidth(), host_.ClientHeight()});
}

void TNiceGridCore::SetBothOffsets(int h, int v) {
  horzOffset_ = std::clamp(h, 0, maxHorz_);
  v = std::clamp(v, 0, maxVert_);
  vertOffset_ = v - v % defRowHeight_;
  host_.SetScrollBar(false, maxHorz_, horzOffset_);
  host_.SetScrollBar(true, maxVert_, vertOffset_);
  host_.InvalidateAll();
}

void TNiceGridCore::ScrollTo(bool vertical, int position) {
  HideEditor();
  if (vertical)
    SetVertOffset(position, true);
  else
    SetHorzOffset(position);
}

void TNiceGridCore::Wheel(int delta) {
  HideEditor();
  int v = std::clamp(vertOffset_ - delta, 0, maxVert_);
  if (v == vertOffset_) return;
  vertOffset_ = v;
  host_.SetScrollBar(true, maxVert_, v);
  host_.InvalidateAll();
}

void TNiceGridCore::EnsureVisible(int col, int row) {
  if (col < 0 || row < 0 || col >= ColCount()) return;
  const int clientW = host_.ClientWidth(), clientH = host_.ClientHeight();
  if (actualWidth_ < clientW && actualHeight_ < clientH) return;
  const int h = defRowHeight_;
  int v = vertOffset_;
  int top = vertOffset_ / h;
  int f = (clientH - fixedHeight_) / h - (showFooter_ ? 2 : 1);
  if (row < top)
    v = row * h;
  else if (row > top + f)
    v = (row - f) * h;

  int hz = horzOffset_;
  int left = GetColCoord(col);
  int width = columns_[col]->Visible ? columns_[col]->Width : 0;
  int x = left + fixedWidth_ - hz;
  if (x < fixedWidth_) {
    hz = std::max(0, hz - (fixedWidth_ - x));
    x = left + fixedWidth_ - hz;
  }
  int right = x + width;
  if (right > clientW) hz = std::min(maxHorz_, hz + right - clientW + 1);

  int vt = std::clamp(v, 0, maxVert_);
  bool vChange = vt - vt % h != vertOffset_;
  bool hChange = hz != horzOffset_;
  if (vChange && hChange)
    SetBothOffsets(hz, v);
  else if (vChange)
    SetVertOffset(v, true);
  else if (hChange)
    SetHorzOffset(hz);
}

// ---------------------------------------------------------------- hit test

int TNiceGridCore::HitTest(int X, int Y) {
  const int x = X + horzOffset_ - fixedWidth_;
  const int y = Y + vertOffset_ - fixedHeight_;
  resizeCol_ = -1;
  bool border = false;
  if (!autoColWidth_) {
    int e = 0;
    for (int i = 1; i <= ColCount(); ++i) {
      if (columns_[i - 1]->Visible) e += columns_[i - 1]->Width;
      if (e - 2 < x && x < e + 2) {
        resizeCol_ = i - 1;
        border = columns_[i - 1]->CanResize;
        break;
      }
    }
  }
  if (border) return nhBorder;
  if (X < fixedWidth_ && Y < fixedHeight_) return nhCorner;
  if (X < fixedWidth_ && Y > fixedHeight_ && y < bodyHeight_) return nhGutter;
  if (Y < fixedHeight_ && X > fixedWidth_ && x < bodyWidth_) return nhHeader;
  if (X > fixedWidth_ && Y > fixedHeight_ && x < bodyWidth_ && y < bodyHeight_) return nhCell;
  return nhNone;
}

int TNiceGridCore::ColAtX(int X) const {
  if (X < fixedWidth_) return -1;
  const int x = X + horzOffset_ - fixedWidth_;
  if (x <= 0) return -1;
  int found = -1, left = 0;
  for (int i = 0; i < ColCount(); ++i) {
    if (!columns_[i]->Visible) continue;
    if (left < x) found = i;
    left += columns_[i]->Width;
  }
  return found;
}

int TNiceGridCore::RowAtY(int Y) const {
  if (Y < fixedHeight_) return -1;
  const int y = Y + vertOffset_ - fixedHeight_;
  int r = y / defRowHeight_;
  return r < rowCount_ ? r : -1;
}

void TNiceGridCore::CellAt(int X, int Y, int& col, int& row) const {
  if (ColCount() == 0 || rowCount_ == 0) {
    col = row = -1;
    return;
  }
  col = std::max(ColAtX(X), 0);
  const int y = Y + vertOffset_ - fixedHeight_;
  row = std::clamp(y < 0 ? -1 : y / defRowHeight_, 0, rowCount_ - 1);
}

// ---------------------------------------------------------------- repainting

void TNiceGridCore::InvalidateCell(int col, int row) {
  if (updating_) return;
  TNiceRect r = CellScreenRect(col, row);
  host_.Invalidate({r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1});
}

void TNiceGridCore::InvalidateCellArea() {
  if (!updating_) host_.Invalidate(cellBox_);
}

void TNiceGridCore::InvalidateGutter() {
  if (!updating_) host_.Invalidate({0, 0, fixedWidth_ + 1, host_.ClientHeight()});
}

}  // namespace tesvane
