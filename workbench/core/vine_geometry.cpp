#include "vine_geometry.h"

#include <algorithm>
#include <unordered_set>

namespace tesmira::wb {

namespace {

// Division rounding towards minus infinity: points left of or above the
// content give negative cells.
int FloorDiv(int a, int b) {
  if (b <= 0) return -1;
  const int q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

// ---- the D-vine ---------------------------------------------------------------------

int TMorvikGeometry::Rows() const { return Transcended ? N : std::min(N, 2); }

bool TMorvikGeometry::HasSelection(TVineCell c) const {
  return c.Valid() && c.X >= 0 && c.Y >= 0 && c.Y < Rows() && c.X < N - c.Y;
}

std::string TMorvikGeometry::CellLabel(TVineCell c, const std::vector<std::string>& names) const {
  if (!HasSelection(c) || c.X + c.Y >= static_cast<int>(names.size())) return "";
  std::string label = names[static_cast<std::size_t>(c.X)];
  for (int k = 1; k <= c.Y; ++k) label += "|" + names[static_cast<std::size_t>(c.X + k)];
  return label;
}

TVineCell TMorvikGeometry::Move(TVineCell c, TVineKey key) const {
  switch (key) {
    case TVineKey::Left: c.X = std::max(c.X - 1, 0); break;
    case TVineKey::Up: c.Y = c.Y >= 2 ? c.Y - 1 : 0; break;
    case TVineKey::Right: c.X = std::max(std::min(c.X + 1, N - c.Y - 1), 0); break;
    case TVineKey::Down: {
      // Each cell sits between the two above it: down goes to the left one
      // below, and only when there is a row below.
      const int y = std::min(c.Y + 1, Rows() - 1);
      if (y > c.Y) {
        c.Y = y;
        c.X = std::max(c.X - 1, 0);
      }
      break;
    }
  }
  c.X = std::max(std::min(c.X, N - c.Y - 1), 0);
  return c;
}

TVineCell TMorvikGeometry::Hit(int scrollX, int scrollY, int x, int y) const {
  if (N <= 0) return {};
  int row = FloorDiv(scrollY + y, H + 4);
  if (row < 0) return {};
  row = std::min(row, Rows() - 1);
  int column = FloorDiv(scrollX + x - RowOffset(row), W);
  if (column < 0) return {};
  column = std::min(column, N - row - 1);
  return {column, row};
}

void TMorvikGeometry::ForEachCorrelationCell(const std::function<bool(TVineCell)>& visit) const {
  for (int y = 1; y < Rows(); ++y)
    for (int x = 0; x < N - y; ++x)
      if (!visit({x, y})) return;
}

void TMorvikGeometry::ForEachUpTo(TVineCell clicked,
                                  const std::function<bool(TVineCell)>& visit) const {
  if (!HasSelection(clicked)) return;
  for (int y = 1; y <= clicked.Y; ++y) {
    const int last = y == clicked.Y ? clicked.X : N - 1 - y;
    for (int x = 0; x <= last; ++x)
      if (!visit({x, y})) return;
  }
}

TVineRect TMorvikGeometry::CellRect(TVineCell c, int scrollX, int scrollY) const {
  TVineRect r;
  r.Left = -scrollX + RowOffset(c.Y) + c.X * W;
  r.Right = r.Left + W;
  r.Top = c.Y * (H + 4) - scrollY;
  r.Bottom = r.Top + H;
  return r;
}

// ---- the canonical vine -------------------------------------------------------------

bool TCanonicalGeometry::HasSelection(TVineCell c) const {
  return c.Valid() && c.X >= 0 && c.Y < N && c.X < N - 1 && c.Y >= c.X;
}

std::string TCanonicalGeometry::CellLabel(TVineCell c,
                                          const std::vector<std::string>& names) const {
  if (!HasSelection(c) || c.Y >= static_cast<int>(names.size())) return "";
  if (c.Y != c.X) return names[static_cast<std::size_t>(c.Y)];
  std::string label;
  for (int k = 0; k <= c.X; ++k) {
    if (k > 0) label += "|";
    label += names[static_cast<std::size_t>(k)];
  }
  return label;
}

TVineCell TCanonicalGeometry::Move(TVineCell c, TVineKey key) const {
  switch (key) {
    case TVineKey::Left: c.X = std::max(c.X - 1, 0); break;
    case TVineKey::Up: c.Y = c.Y >= 2 ? c.Y - 1 : 0; break;
    case TVineKey::Right: c.X = c.X + 1; break;
    case TVineKey::Down: c.Y = std::min(c.Y + 1, N - 1); break;
  }
  // Cells lie on or below the diagonal, in the N - 1 columns.
  c.X = std::max(std::min({c.X, c.Y, N - 2}), 0);
  return c;
}

TVineCell TCanonicalGeometry::Hit(int scrollX, int scrollY, int x, int y) const {
  const int row = FloorDiv(scrollY + y, H);
  const int column = FloorDiv(scrollX + x, W);
  if (row < 0 || row >= N || column < 0 || column >= N - 1) return {};
  if (row + 1 < column) return {};
  return {std::min(column, row), row};
}

void TCanonicalGeometry::ForEachCorrelationCell(const std::function<bool(TVineCell)>& visit) const {
  for (int y = 1; y < N; ++y)
    for (int x = 0; x < y && x < N - 1; ++x)
      if (!visit({x, y})) return;
}

void TCanonicalGeometry::ForEachUpTo(TVineCell clicked,
                                     const std::function<bool(TVineCell)>& visit) const {
  if (!HasSelection(clicked)) return;
  for (int y = 1; y <= clicked.Y; ++y)
    for (int x = 0; x < y && x <= clicked.X; ++x)
      if (!visit({x, y})) return;
}

std::string TCanonicalGeometry::RootCaption(int k, const std::vector<std::string>& names) {
  if (k < 0 || k >= static_cast<int>(names.size())) return "";
  std::string text = names[static_cast<std::size_t>(k)];
  for (int j = k - 1; j >= 0; --j) {
    text += j == k - 1 ? "|" : ",";
    text += names[static_cast<std::size_t>(j)];
  }
  return text;
}

// ---- the state ----------------------------------------------------------------------

void TVineState::ClearSelection() { slots_.fill(TVineCell{}); }

int TVineState::FindSelected(TVineCell c) const {
  if (!c.Valid()) return 0;
  for (int k = 0; k < kSlots; ++k)
    if (slots_[static_cast<std::size_t>(k)] == c) return k + 1;
  return 0;
}

bool TVineState::SetCellSelected(TVineCell c, bool on) {
  Changing();
  if (!c.Valid()) return false;
  const int slot = FindSelected(c);
  if (!on) {
    if (slot > 0) slots_[static_cast<std::size_t>(slot - 1)] = {};
    return false;
  }
  if (slot > 0) return true;
  for (TVineCell& s : slots_)
    if (!s.Valid()) {
      s = c;
      return true;
    }
  return false;
}

bool TVineState::NextSelected(bool restart, bool& found) {
  cursor_ = restart ? 1 : cursor_ + 1;
  found = false;
  if (cursor_ < 1 || cursor_ > kSlots) return false;
  const TVineCell c = slots_[static_cast<std::size_t>(cursor_ - 1)];
  found = c.Valid();
  if (found) SetCurrentCell(c);
  return true;
}

void TVineState::SetCurrentCell(TVineCell c) {
  Changing();
  moved_ = !(c == current_);
  current_ = c;
}

std::vector<TVineCell> TVineState::Selected() const {
  std::vector<TVineCell> v;
  for (const TVineCell& c : slots_)
    if (c.Valid()) v.push_back(c);
  return v;
}

int TVineState::SelectedCount() const {
  return static_cast<int>(
      std::count_if(slots_.begin(), slots_.end(), [](const TVineCell& c) { return c.Valid(); }));
}

void TVineState::Press(const TVineGeometry& g, TVineCell cell, bool shift, bool ctrl) {
  const bool wasSelected = IsCellSelected(cell);
  const bool add = shift || !wasSelected;
  if (ctrl) {
    if (g.IsCorrelationCell(cell)) SetCellSelected(cell, add);
  } else if (!shift) {
    ClearSelection();
    SetCellSelected(cell, true);
  }
  if (add || !ctrl) SetCurrentCell(cell);
  if (!shift) return;
  // Every correlation cell after the first selected one, up to the click.
  bool found = false;
  g.ForEachUpTo(cell, [&](TVineCell c) {
    if (!found) {
      found = IsCellSelected(c);
      return true;
    }
    return IsCellSelected(c) || SetCellSelected(c, true);
  });
}

void TVineState::Arrow(const TVineGeometry& g, TVineKey key, bool shift) {
  SetCurrentCell(current_.Valid() ? g.Move(current_, key) : TVineCell{0, 0});
  if (!g.ArrowSelects(current_)) return;
  if (!shift) ClearSelection();
  SetCellSelected(current_, true);
}

int TVineState::SelectAll(const TVineGeometry& g) {
  SetCurrentCell({});
  int added = 0;
  g.ForEachCorrelationCell([&](TVineCell c) {
    if (IsCellSelected(c)) return true;
    if (!SetCellSelected(c, true)) return false;  // all slots are used
    SetCurrentCell(c);
    ++added;
    return true;
  });
  return added;
}

int TVineState::InvertSelection(const TVineGeometry& g) {
  SetCurrentCell({});
  // Cells selected before; once all of them are passed and the slots are
  // full, nothing can change any more.
  int before = 0;
  for (const TVineCell& c : slots_)
    if (c.Valid() && g.IsCorrelationCell(c)) ++before;
  int added = 0;
  g.ForEachCorrelationCell([&](TVineCell c) {
    if (IsCellSelected(c)) {
      SetCellSelected(c, false);
      --before;
    } else if (SetCellSelected(c, true)) {
      SetCurrentCell(c);
      ++added;
    }
    return before > 0 || SelectedCount() < kSlots;
  });
  return added;
}

}  // namespace tesmira::wb
