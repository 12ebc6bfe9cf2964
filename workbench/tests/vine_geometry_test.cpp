#include "vine_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace tesmira::wb {
namespace {

const std::vector<std::string> kNames = {"a", "b", "c", "d"};

TMorvikGeometry DVine(int n, bool transcended = true, int w = 40, int h = 16) {
  TMorvikGeometry g;
  g.N = n;
  g.W = w;
  g.H = h;
  g.Transcended = transcended;
  return g;
}

TCanonicalGeometry Canonical(int n, int w = 40, int h = 16) {
  TCanonicalGeometry g;
  g.N = n;
  g.W = w;
  g.H = h;
  return g;
}

// Cells per row (D-vine) or column (canonical) that HasSelection accepts.
std::vector<int> CellsPerLine(const TVineGeometry& g, bool rows) {
  std::vector<int> counts;
  for (int line = 0; line < g.N + 1; ++line) {
    int count = 0;
    for (int k = -1; k <= g.N; ++k)
      if (g.HasSelection(rows ? TVineCell{k, line} : TVineCell{line, k})) ++count;
    if (count > 0) counts.push_back(count);
  }
  return counts;
}

TEST(VineGeometry, DVineCellsLabelsAndLevels) {
  EXPECT_EQ(CellsPerLine(DVine(4), true), (std::vector<int>{4, 3, 2, 1}));
  EXPECT_EQ(CellsPerLine(DVine(4, false), true), (std::vector<int>{4, 3}));
  const TMorvikGeometry g = DVine(4);
  EXPECT_EQ(g.CellLabel({1, 2}, kNames), "b|c|d");
  EXPECT_EQ(g.CellLabel({3, 0}, kNames), "d");
  EXPECT_EQ(g.CellLabel({2, 2}, kNames), "");  // no such cell
  EXPECT_EQ(g.ItemIndex({1, 2}), 1);
  EXPECT_EQ(g.SelectedLevel({1, 2}), 2);
  EXPECT_TRUE(g.IsNameCell({2, 0}));
  EXPECT_FALSE(g.IsCorrelationCell({2, 0}));
  EXPECT_TRUE(g.IsCorrelationCell({0, 3}));
  EXPECT_FALSE(DVine(4, false).IsCorrelationCell({0, 2}));  // hidden in tree mode
  EXPECT_EQ(g.ContentWidth(), 160);
  EXPECT_EQ(g.ContentHeight(), 80);
  EXPECT_EQ(DVine(4, false).ContentHeight(), 40);
}

TEST(VineGeometry, CanonicalCellsLabelsAndRootCaptions) {
  const TCanonicalGeometry g = Canonical(4);
  EXPECT_EQ(CellsPerLine(g, false), (std::vector<int>{4, 3, 2}));
  EXPECT_EQ(TCanonicalGeometry::RootCaption(0, kNames), "a");
  EXPECT_EQ(TCanonicalGeometry::RootCaption(1, kNames), "b|a");
  EXPECT_EQ(TCanonicalGeometry::RootCaption(2, kNames), "c|b,a");
  EXPECT_EQ(g.CellLabel({2, 2}, kNames), "a|b|c");
  EXPECT_EQ(g.CellLabel({1, 3}, kNames), "d");
  EXPECT_EQ(g.ItemIndex({1, 3}), 3);
  EXPECT_EQ(g.SelectedLevel({1, 3}), 2);
  EXPECT_TRUE(g.IsNameCell({2, 2}));
  EXPECT_FALSE(g.HasSelection({3, 3}));  // only N - 1 columns
  EXPECT_EQ(g.ContentWidth(), 120);
  EXPECT_EQ(g.ContentHeight(), 64);
}

TEST(VineGeometry, HitTests) {
  struct Case {
    bool dvine, transcended;
    int sx, sy, x, y;
    TVineCell want;
  };
  // W 40, H 16: D-vine rows are 20 pixels apart and shift 20 pixels right.
  const Case cases[] = {
      {true, true, 0, 0, 5, 5, {0, 0}},
      {true, true, 0, 0, 45, 25, {0, 1}},  // row 1 starts at x 20
      {true, true, 0, 0, 15, 25, {}},      // left of row 1
      {true, true, 0, 0, 65, 25, {1, 1}},
      {true, true, 40, 20, 25, 5, {1, 1}},  // scrolled by a cell and a row
      {true, true, 0, 0, 500, 5, {3, 0}},   // right of a row: its last cell
      {true, true, 0, 0, 70, 500, {0, 3}},  // below: the last row
      {true, false, 0, 0, 90, 70, {1, 1}},  // tree mode stops at row 1
      {true, true, 0, -30, 5, 5, {}},       // above the content
      {false, true, 0, 0, 5, 5, {0, 0}},
      {false, true, 0, 0, 45, 40, {1, 2}},
      {false, true, 0, 0, 45, 5, {0, 0}},  // just above the diagonal: its root
      {false, true, 0, 0, 85, 5, {}},      // farther above
      {false, true, 0, 0, 125, 60, {}},    // no fourth column
      {false, true, 0, 0, 5, 70, {}},      // below the last member
      {false, true, 40, 16, 5, 5, {1, 1}},
  };
  for (const Case& c : cases) {
    TVineCell got = c.dvine ? DVine(4, c.transcended).Hit(c.sx, c.sy, c.x, c.y)
                            : Canonical(4).Hit(c.sx, c.sy, c.x, c.y);
    EXPECT_EQ(got, c.want) << c.dvine << " " << c.x << "," << c.y;
  }
}

TEST(VineGeometry, HitsMatchThePaintedCellsWithAnOddWidth) {
  // Row 9 of a W = 41 staircase starts at 9 * 20 = 180 pixels.
  const TMorvikGeometry g = DVine(20, true, 41, 16);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20 - y; ++x) {
      const TVineRect r = g.CellRect({x, y}, 0, 0);
      EXPECT_EQ(g.Hit(0, 0, r.Left + 1, r.Top + 1), (TVineCell{x, y}));
      EXPECT_EQ(g.Hit(0, 0, r.Right - 1, r.Bottom - 1), (TVineCell{x, y}));
    }
}

TEST(VineGeometry, ArrowMoves) {
  struct Case {
    bool dvine;
    TVineCell from;
    TVineKey key;
    TVineCell want;
  };
  const Case cases[] = {
      {true, {0, 0}, TVineKey::Left, {0, 0}},   {true, {2, 1}, TVineKey::Up, {2, 0}},
      {true, {0, 3}, TVineKey::Up, {0, 2}},     {true, {2, 1}, TVineKey::Right, {2, 1}},
      {true, {1, 1}, TVineKey::Down, {0, 2}},   {true, {0, 3}, TVineKey::Down, {0, 3}},
      {false, {1, 3}, TVineKey::Right, {2, 3}}, {false, {2, 3}, TVineKey::Right, {2, 3}},
      {false, {1, 1}, TVineKey::Right, {1, 1}}, {false, {2, 2}, TVineKey::Up, {1, 1}},
      {false, {0, 3}, TVineKey::Down, {0, 3}},  {false, {1, 2}, TVineKey::Left, {0, 2}},
  };
  for (const Case& c : cases) {
    TVineCell got = c.dvine ? DVine(4).Move(c.from, c.key) : Canonical(4).Move(c.from, c.key);
    EXPECT_EQ(got, c.want) << c.dvine << " " << c.from.X << "," << c.from.Y << " "
                           << static_cast<int>(c.key);
  }
  // Tree mode: down stops at the first tree.
  EXPECT_EQ(DVine(4, false).Move({1, 1}, TVineKey::Down), (TVineCell{1, 1}));
}

TEST(VineState, TwoHundredFiftySlots) {
  TVineState s;
  int checks = 0;
  s.BeforeChange = [&] { ++checks; };
  for (int k = 0; k < TVineState::kSlots; ++k) EXPECT_TRUE(s.SetCellSelected({k, 1}, true));
  EXPECT_FALSE(s.SetCellSelected({999, 1}, true));  // the 251st is ignored
  EXPECT_FALSE(s.IsCellSelected({999, 1}));
  EXPECT_EQ(s.FindSelected({7, 1}), 8);
  s.SetCellSelected({7, 1}, false);
  EXPECT_TRUE(s.SetCellSelected({999, 1}, true));  // the freed slot takes it
  EXPECT_EQ(s.FindSelected({999, 1}), 8);
  EXPECT_EQ(checks, TVineState::kSlots + 3);

  // NextSelected walks the slots and makes each held cell current.
  s.ClearSelection();
  s.SetCellSelected({4, 2}, true);
  s.SetCellSelected({5, 2}, true);
  s.SetCellSelected({4, 2}, false);  // slot 1 free, slot 2 holds (5, 2)
  bool found = true;
  std::vector<int> held;
  for (bool more = s.NextSelected(true, found); more; more = s.NextSelected(false, found))
    if (found) held.push_back(s.Current().X);
  EXPECT_EQ(held, std::vector<int>{5});
  EXPECT_FALSE(s.NextSelected(false, found));
}

TEST(VineState, CurrentCellAndMovedFlag) {
  TVineState s;
  s.SetCurrentCell({1, 1});
  EXPECT_TRUE(s.Moved());
  s.SetCurrentCell({1, 1});
  EXPECT_FALSE(s.Moved());
}

TEST(VineState, CanonicalClicks) {
  const TCanonicalGeometry g = Canonical(5);
  TVineState s;
  s.Press(g, {0, 1}, false, false);
  EXPECT_EQ(s.Selected(), (std::vector<TVineCell>{{0, 1}}));
  // Shift: every cell below the diagonal after (0, 1), up to (1, 3).
  s.Press(g, {1, 3}, true, false);
  EXPECT_EQ(s.Selected(), (std::vector<TVineCell>{{0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}}));
  EXPECT_EQ(s.Current(), (TVineCell{1, 3}));
  // Ctrl on a root cell selects nothing; on a selected cell it removes it.
  s.Press(g, {2, 2}, false, true);
  EXPECT_FALSE(s.IsCellSelected({2, 2}));
  s.Press(g, {0, 2}, false, true);
  EXPECT_FALSE(s.IsCellSelected({0, 2}));
  EXPECT_EQ(s.Current(), (TVineCell{2, 2}));  // a removed cell does not become current
  s.Press(g, {0, 2}, false, true);
  EXPECT_TRUE(s.IsCellSelected({0, 2}));
  EXPECT_EQ(s.Current(), (TVineCell{0, 2}));
  // A plain click starts again; a click outside clears.
  s.Press(g, {3, 4}, false, false);
  EXPECT_EQ(s.SelectedCount(), 1);
  s.Press(g, {}, false, false);
  EXPECT_EQ(s.SelectedCount(), 0);
  EXPECT_FALSE(s.Current().Valid());
  // Shift with nothing selected before the click adds nothing.
  s.Press(g, {1, 4}, true, false);
  EXPECT_EQ(s.SelectedCount(), 0);
}

TEST(VineState, ArrowsSelectAsTheyMove) {
  TVineState s;
  const TMorvikGeometry d = DVine(4);
  s.Arrow(d, TVineKey::Down, false);  // no current cell: the first cell
  EXPECT_EQ(s.Current(), (TVineCell{0, 0}));
  EXPECT_EQ(s.Selected(), (std::vector<TVineCell>{{0, 0}}));
  s.Arrow(d, TVineKey::Right, false);
  s.Arrow(d, TVineKey::Down, true);
  EXPECT_EQ(s.Selected(), (std::vector<TVineCell>{{1, 0}, {0, 1}}));
  // Canonical: a root cell becomes current without joining the selection.
  const TCanonicalGeometry c = Canonical(4);
  s.ClearSelection();
  s.SetCurrentCell({0, 1});
  s.Arrow(c, TVineKey::Right, false);
  EXPECT_EQ(s.Current(), (TVineCell{1, 1}));
  EXPECT_EQ(s.SelectedCount(), 0);
}

TEST(VineState, SelectAllAndInvert) {
  TVineState s;
  // D-vine of 4: the six correlation cells; tree mode only the first tree's three.
  EXPECT_EQ(s.SelectAll(DVine(4)), 6);
  EXPECT_EQ(s.Current(), (TVineCell{0, 3}));
  EXPECT_EQ(s.InvertSelection(DVine(4)), 0);
  EXPECT_EQ(s.SelectedCount(), 0);
  EXPECT_FALSE(s.Current().Valid());
  EXPECT_EQ(s.SelectAll(DVine(4, false)), 3);
  s.ClearSelection();
  const TCanonicalGeometry c = Canonical(4);
  s.SetCellSelected({0, 1}, true);
  EXPECT_EQ(s.InvertSelection(c), 5);
  EXPECT_FALSE(s.IsCellSelected({0, 1}));
  EXPECT_FALSE(s.IsCellSelected({1, 1}));  // never a root cell
  // A vine of 1000 members has far more cells than slots.
  s.ClearSelection();
  EXPECT_EQ(s.SelectAll(Canonical(1000)), TVineState::kSlots);
  EXPECT_EQ(s.InvertSelection(Canonical(1000)), TVineState::kSlots);
  EXPECT_FALSE(s.IsCellSelected({0, 1}));
  EXPECT_EQ(s.SelectedCount(), TVineState::kSlots);
}

}  // namespace
}  // namespace tesmira::wb
