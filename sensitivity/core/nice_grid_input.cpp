// Mouse, keys, typing and the fills of the result grid.
#include <algorithm>

#include "nice_grid_core.h"

namespace tesvane {

namespace {

TNiceRect Spanned(int c1, int r1, int c2, int r2) {
  return {std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2)};
}

// Drops the last UTF-8 character.
void DropLastChar(std::string& s) {
  if (s.empty()) return;
  size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  s.erase(i);
}

}  // namespace

// ---------------------------------------------------------------- mouse

void TNiceGridCore::MouseDown(TNiceButton button, unsigned shift, int X, int Y) {
  if (!enabled_) return;
  cursor_ = HitTest(X, Y);
  host_.SetCursorKind(cursor_);
  switch (cursor_) {
    case nhCorner:
    case nhHeader: {
      int c = cursor_ == nhCorner ? -1 : ColAtX(X);
      col_ = c;
      row_ = 0;
      dragIndex_ = c;
      typing_.clear();
      EnsureVisible(c, 0);
      anchorCol_ = c;
      anchorRow_ = rowCount_ - 1;
      SetSelectArea(RowSelect ? TNiceRect{c, 0, c, rowCount_ - 1} : TNiceRect{c, 0, c, 0}, true);
      ReportChange();
      if (OnHeaderClick) OnHeaderClick(c, button, shift);
      break;
    }
    case nhGutter: {
      int r = RowAtY(Y);
      row_ = r;
      col_ = 0;
      dragIndex_ = r;
      typing_.clear();
      EnsureVisible(0, r);
      anchorCol_ = ColCount() - 1;
      anchorRow_ = r;
      SetSelectArea({0, r, ColCount() - 1, r}, true);
      ReportChange();
      if (OnGutterClick) OnGutterClick(r, button, shift);
      break;
    }
    case nhBorder:
      HideEditor();
      resizeStart_ = GetColCoord(resizeCol_);
      break;
    case nhCell: {
      if (button == mbRight) break;
      typing_.clear();
      int c, r;
      CellAt(X, Y, c, r);
      if (c == col_ && r == row_) {
        EnsureVisible(c, r);
        if (!ReadOnly && c >= 0 && !columns_[c]->ReadOnly) host_.OpenEditor(c, r);
      } else if (c != -1 && r != -1) {
        EnsureVisible(c, r);
        col_ = anchorCol_ = c;
        row_ = anchorRow_ = r;
        SetSelectArea(RowSelect ? TNiceRect{0, r, ColCount() - 1, r} : TNiceRect{c, r, c, r}, true);
      }
      ReportChange();
      break;
    }
    default: break;
  }
}

void TNiceGridCore::MouseMove(bool leftHeld, int X, int Y) {
  if (!leftHeld || !enabled_) {
    cursor_ = enabled_ ? HitTest(X, Y) : nhNone;
    host_.SetCursorKind(cursor_);
    return;
  }
  switch (cursor_) {
    case nhCell: {
      int c, r;
      CellAt(X, Y, c, r);
      if (c < 0) return;
      SetSelectArea(Spanned(c, r, col_, row_));
      anchorCol_ = c;
      anchorRow_ = r;
      EnsureVisible(c, r);
      break;
    }
    case nhGutter: {
      int r = RowAtY(Y);
      if (r == -1 || r == dragIndex_) return;
      dragIndex_ = r;
      anchorRow_ = r;
      SetSelectArea({0, std::min(r, row_), ColCount() - 1, std::max(r, row_)}, true);
      break;
    }
    case nhCorner:
    case nhHeader: {
      int c = ColAtX(X);
      if (c == -1 || c == dragIndex_) return;
      dragIndex_ = c;
      anchorCol_ = c;
      SetSelectArea({std::min(c, col_), 0, std::max(c, col_), rowCount_ - 1}, true);
      break;
    }
    case nhBorder: ResizeTo(X + horzOffset_ - fixedWidth_); break;
    default: break;
  }
}

void TNiceGridCore::ResizeTo(int x) {
  const int k = resizeCol_;
  if (k < 0 || k >= ColCount()) return;
  const int w = std::max(x - resizeStart_, 5);
  if (!fitToWidth_) {
    columns_[k]->Width = w;
  } else {
    if (k == ColCount() - 1) return;
    TNiceColumnData &a = *columns_[k], &b = *columns_[k + 1];
    const int room = host_.ClientWidth() - fixedWidth_ - (bodyWidth_ - a.Width - b.Width);
    if (room <= 10) return;
    a.Width = w;
    b.Width = room - w;
    if (b.Width < 5) {
      a.Width = room - 5;
      b.Width = 5;
    }
  }
  Recalculate();
  host_.Invalidate({fixedWidth_, 0, host_.ClientWidth(), host_.ClientHeight()});
}

void TNiceGridCore::MouseUp(int X, int Y) {
  cursor_ = enabled_ ? HitTest(X, Y) : nhNone;
  host_.SetCursorKind(cursor_);
  dragIndex_ = -1;
}

// ---------------------------------------------------------------- keys

int TNiceGridCore::FirstVisible() const {
  for (int i = 0; i < ColCount(); ++i)
    if (columns_[i]->Visible) return i;
  return 0;
}

int TNiceGridCore::LastVisible() const {
  for (int i = ColCount() - 1; i >= 0; --i)
    if (columns_[i]->Visible) return i;
  return ColCount() - 1;
}

int TNiceGridCore::PrevVisible(int c) const {
  for (int i = std::min(c, ColCount()) - 1; i >= 0; --i)
    if (columns_[i]->Visible) return i;
  return FirstVisible();
}

int TNiceGridCore::NextVisible(int c) const {
  for (int i = std::max(c + 1, 0); i < ColCount(); ++i)
    if (columns_[i]->Visible) return i;
  return LastVisible();
}

void TNiceGridCore::Collapse() {
  HideEditor();
  typing_.clear();
  anchorCol_ = col_;
  anchorRow_ = row_;
  EnsureVisible(col_, row_);
  SetSelectArea({col_, row_, col_, row_});
  ReportChange();
}

void TNiceGridCore::Extend() {
  SetSelectArea(Spanned(anchorCol_, anchorRow_, col_, row_));
  EnsureVisible(anchorCol_, anchorRow_);
}

void TNiceGridCore::MoveWithin() {
  HideEditor();
  typing_.clear();
  EnsureVisible(col_, row_);
  InvalidateCellArea();
  ReportChange();
}

// Steps the current cell through the selection column by column; the last
// cell wraps to the first.
bool TNiceGridCore::StepWithin(bool forward) {
  const TNiceRect& s = selectArea_;
  if (forward) {
    if (col_ >= s.Right && row_ >= s.Bottom) {
      col_ = s.Left;
      row_ = s.Top;
    } else if (row_ >= s.Bottom) {
      ++col_;
      row_ = s.Top;
    } else {
      ++row_;
    }
  } else {
    if (col_ <= s.Left && row_ <= s.Top) {
      col_ = s.Right;
      row_ = s.Bottom;
    } else if (row_ <= s.Top) {
      --col_;
      row_ = s.Bottom;
    } else {
      --row_;
    }
  }
  return true;
}

bool TNiceGridCore::KeyDown(TNiceKey key, unsigned shift) {
  if (!enabled_ || ColCount() == 0 || rowCount_ == 0) return false;
  if (shift & ssCtrl)
    CtrlKey(key);
  else if (shift & ssShift)
    ShiftKey(key);
  else
    PlainKey(key);
  return true;
}

void TNiceGridCore::CtrlKey(TNiceKey key) {
  switch (key) {
    case TNiceKey::Home:
      col_ = FirstVisible();
      row_ = 0;
      Collapse();
      break;
    case TNiceKey::End:
      col_ = LastVisible();
      row_ = rowCount_ - 1;
      Collapse();
      break;
    case TNiceKey::Delete:
      if (!ReadOnly && rowCount_ >= 2) {
        int r = row_;
        DeleteRow(r);
        if (OnDeleteRow) OnDeleteRow(r);
        Collapse();
      }
      break;
    case TNiceKey::C: CopyToClipboard(); break;
    case TNiceKey::V:
      if (!ReadOnly) PasteFromClipboard();
      break;
    case TNiceKey::X:
      if (!ReadOnly) CutToClipboard();
      break;
    default: break;
  }
}

void TNiceGridCore::ShiftKey(TNiceKey key) {
  switch (key) {
    case TNiceKey::Left:
      anchorCol_ = PrevVisible(anchorCol_);
      Extend();
      break;
    case TNiceKey::Right:
      anchorCol_ = NextVisible(anchorCol_);
      Extend();
      break;
    case TNiceKey::Up:
      anchorRow_ = std::clamp(anchorRow_ - 1, 0, rowCount_ - 1);
      Extend();
      break;
    case TNiceKey::Down:
      anchorRow_ = std::clamp(anchorRow_ + 1, 0, rowCount_ - 1);
      Extend();
      break;
    case TNiceKey::Enter:
      if (selectArea_.Left == selectArea_.Right && selectArea_.Top == selectArea_.Bottom) {
        row_ = std::max(row_ - 1, 0);
        Collapse();
      } else {
        StepWithin(false);
        MoveWithin();
      }
      break;
    default: break;
  }
}

void TNiceGridCore::PlainKey(TNiceKey key) {
  switch (key) {
    case TNiceKey::Home:
      col_ = FirstVisible();
      Collapse();
      break;
    case TNiceKey::End:
      col_ = LastVisible();
      Collapse();
      break;
    case TNiceKey::Left:
      col_ = PrevVisible(col_);
      Collapse();
      break;
    case TNiceKey::Right:
      col_ = NextVisible(col_);
      Collapse();
      break;
    case TNiceKey::PageUp:
      row_ = 0;
      Collapse();
      break;
    case TNiceKey::PageDown:
      row_ = rowCount_ - 1;
      Collapse();
      break;
    case TNiceKey::Up: RowUp(); break;
    case TNiceKey::Down: RowDown(); break;
    case TNiceKey::Insert:
      if (!ReadOnly) {
        InsertRow(std::max(row_, 0));
        if (OnInsertRow) OnInsertRow(row_);
        Collapse();
      }
      break;
    case TNiceKey::Delete:
      if (typing_.empty() && !ReadOnly) ClearSelection();
      break;
    case TNiceKey::Enter: Enter(); break;
    default: break;
  }
}

void TNiceGridCore::RowUp() {
  if (AutoAddRow && row_ == rowCount_ - 1 && row_ >= 1 && !ReadOnly) {
    bool empty = true;
    for (int c = 0; c < ColCount() && empty; ++c) empty = SafeGetCell(c, row_).empty();
    if (empty) {
      SetRowCount(rowCount_ - 1);
      row_ = rowCount_ - 1;
      if (OnDeleteRow) OnDeleteRow(rowCount_);
    } else {
      --row_;
    }
  } else {
    row_ = std::max(row_ - 1, 0);
  }
  Collapse();
}

void TNiceGridCore::RowDown() {
  if (AutoAddRow && row_ == rowCount_ - 1 && !ReadOnly) {
    ++row_;
    SetRowCount(rowCount_ + 1);
    if (OnInsertRow) OnInsertRow(row_);
  } else {
    row_ = std::min(row_ + 1, rowCount_ - 1);
  }
  Collapse();
}

void TNiceGridCore::ClearSelection() {
  const TNiceRect s = selectArea_;
  if (s.Left < 0 || s.Top < 0) return;
  const bool wasUpdating = updating_;
  updating_ = true;
  for (int c = s.Left; c <= s.Right && c < ColCount(); ++c)
    for (int r = s.Top; r <= s.Bottom && r < rowCount_; ++r) WriteCellWithEvents(c, r, {});
  updating_ = wasUpdating;
  InvalidateCellArea();
}

void TNiceGridCore::Enter() {
  if (col_ < 0) return;  // after a corner click no cell is current
  std::string t = Cell(col_, row_);
  const std::string before = t;
  if (OnCellAssignment) OnCellAssignment(col_, row_, t);
  if (t != before) WriteCellWithEvents(col_, row_, t);
  const bool oneCell =
      selectArea_.Left == selectArea_.Right && selectArea_.Top == selectArea_.Bottom;
  const bool down = AutoFillDown && !t.empty() && t.back() == '*';
  const bool right = AutoFillRight && !t.empty() && t.back() == '>';
  if (down || right) {
    typing_.clear();
    HideEditor();
    t.pop_back();
    if (down) {
      int last = oneCell ? rowCount_ - 1 : std::min(selectArea_.Bottom, rowCount_ - 1);
      for (int r = row_; r <= last; ++r) StoreCell(col_, r, t, false);
    } else {
      int last = oneCell ? ColCount() - 1 : std::min(selectArea_.Right, ColCount() - 1);
      for (int c = col_; c <= last; ++c) StoreCell(c, row_, t, false);
    }
    return;
  }
  if (oneCell) {
    row_ = std::min(row_ + 1, rowCount_ - 1);
    Collapse();
  } else {
    StepWithin(true);
    MoveWithin();
  }
}

// ---------------------------------------------------------------- typing

void TNiceGridCore::KeyChar(const std::string& chr) {
  if (!enabled_ || ColCount() == 0 || rowCount_ == 0 || ReadOnly) return;
  if (!InGrid(col_, row_)) return;
  if (chr == "\b") {
    HideEditor();
    DropLastChar(typing_);
    Commit();
    return;
  }
  bool allowed = true;
  if (OnFilterChar) OnFilterChar(col_, row_, chr, allowed);
  if (!allowed) return;
  HideEditor();
  typing_ += chr;
  Commit();
}

void TNiceGridCore::Commit() {
  WriteCellWithEvents(col_, row_, typing_);
  EnsureVisible(col_, row_);
  ShowCaret();
  InvalidateCell(col_, row_);
}

}  // namespace tesvane
