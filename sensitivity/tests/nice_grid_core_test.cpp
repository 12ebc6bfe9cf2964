// The result grid without a window: header, cells, layout, scrolling and hit
// testing.
#include "nice_grid_core.h"

#include <gtest/gtest.h>

#include "nice_grid_test_host.h"

namespace tesvane {
namespace {

using test::FillGrid;
using test::TFakeGridHost;

std::vector<THeaderInfo> Header(const std::vector<std::string>& titles, int lines,
                                const std::vector<int>& hidden = {}) {
  std::vector<TNiceColumnData> cols(titles.size());
  std::vector<const TNiceColumnData*> ptrs;
  for (size_t i = 0; i < titles.size(); ++i) {
    cols[i].Title = titles[i];
    ptrs.push_back(&cols[i]);
  }
  for (int h : hidden) cols[h].Visible = false;
  return BuildNiceHeader(ptrs, lines);
}

TEST(NiceGridHeader, ResultListTitlesUnderFourLines) {
  const std::vector<std::string> titles = {"Names|Predicted;variable",
                                           "Names|Base;variable",
                                           "Standard statistic|E[Predicted;variable]",
                                           "Standard statistic|E[Base;variable]",
                                           "Standard statistic|Std[Predicted;variable]",
                                           "Standard statistic|Std[Base;variable]",
                                           "Extended statistic|Product;moment;correlation",
                                           "Extended statistic|Rank;correlation",
                                           "Extended statistic|Regression;coefficient",
                                           "Extended statistic|Correlation;ratio",
                                           "Extended statistic|Linearity;index",
                                           "Extended statistic|Partial;correlation;coefficient",
                                           "Extended statistic|Partial;regression;coefficient",
                                           "Extended statistic|Multiple;correlation;coefficient"};
  auto h = Header(titles, 4);
  ASSERT_EQ(h.size(), 17u);
  std::vector<THeaderInfo> top;
  for (const auto& info : h) {
    if (info.Rc.Top == 0) {
      top.push_back(info);
    } else {
      EXPECT_EQ(info.Rc.Top, 1) << info.Str;
      EXPECT_EQ(info.Rc.Bottom, 3) << info.Str;
      EXPECT_EQ(info.Rc.Left, info.Rc.Right) << info.Str;
      EXPECT_EQ(titles[info.Rc.Left].substr(titles[info.Rc.Left].find('|') + 1), info.Str);
    }
  }
  EXPECT_EQ(top, (std::vector<THeaderInfo>{{"Names", {0, 0, 1, 0}},
                                           {"Standard statistic", {2, 0, 5, 0}},
                                           {"Extended statistic", {6, 0, 13, 0}}}));
}

TEST(NiceGridHeader, MergingRules) {
  // A hidden column ends every run.
  EXPECT_EQ(
      Header({"A|x", "A|y", "A|z"}, 2, {1}),
      (std::vector<THeaderInfo>{
          {"A", {0, 0, 0, 0}}, {"x", {0, 1, 0, 1}}, {"A", {2, 0, 2, 0}}, {"z", {2, 1, 2, 1}}}));
  // One level stretches down to the bottom of the header.
  EXPECT_EQ(Header({"Solo"}, 3), (std::vector<THeaderInfo>{{"Solo", {0, 0, 0, 2}}}));
  // Equal texts merge even under different upper cells.
  EXPECT_EQ(
      Header({"A|x", "B|x"}, 2),
      (std::vector<THeaderInfo>{{"A", {0, 0, 0, 0}}, {"x", {0, 1, 1, 1}}, {"B", {1, 0, 1, 0}}}));
  // Equal (also empty) titles merge completely; extra levels are ignored.
  EXPECT_EQ(
      Header({"", "", "P|Q|R"}, 2),
      (std::vector<THeaderInfo>{{"", {0, 0, 1, 1}}, {"P", {2, 0, 2, 0}}, {"Q", {2, 1, 2, 1}}}));
}

TEST(NiceGridModel, CellsListsAndBounds) {
  TFakeGridHost host;
  TNiceGridCore g(host);
  g.SetColCount(2);
  g.SetRowCount(10);
  EXPECT_EQ(g.Cell(1, 9), "");
  EXPECT_EQ(g.Object(1, 9), 0);
  g.SetCell(0, 7, "far");
  EXPECT_EQ(g.Column(0).Strings.size(), 8u);
  EXPECT_EQ(g.Cell(0, 6), "");
  g.SetObject(1, 3, 42);
  EXPECT_EQ(g.Object(1, 3), 42);
  EXPECT_EQ(g.Column(1).Strings.size(), 4u);

  auto expectBound = [](auto f) {
    try {
      f();
      ADD_FAILURE() << "no error";
    } catch (const ENiceGridError& e) {
      EXPECT_STREQ(e.what(), "Cell Index out of bound.");
    }
  };
  expectBound([&] { g.Cell(2, 0); });
  expectBound([&] { g.Cell(0, 10); });
  expectBound([&] { g.Cell(-1, 0); });
  expectBound([&] { g.SetCell(0, 10, "x"); });
  expectBound([&] { g.Object(0, -1); });
  expectBound([&] { g.SetObject(2, 0, 1); });
  EXPECT_EQ(g.SafeGetCell(5, 50), "");

  // Lists longer than RowCount keep their entries.
  g.SetRowCount(3);
  EXPECT_EQ(g.Column(0).Strings.size(), 8u);
  g.SetRowCount(8);
  EXPECT_EQ(g.Cell(0, 7), "far");

  TNiceGridCore empty(host);
  empty.SetColCount(2);
  empty.SetColCount(0);
  empty.SetCell(0, 0, "ignored");  // no columns: nothing, no error
  EXPECT_EQ(empty.Col(), -1);
  EXPECT_EQ(empty.Row(), -1);
}

TEST(NiceGridModel, RowOperations) {
  TFakeGridHost host;
  TNiceGridCore g(host);
  FillGrid(g, {80, 80}, 4);
  g.SetGutterStrings({"1", "2", "3", "4"});

  EXPECT_EQ(g.AddRow(), 4);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.Cell(0, 4), "");

  g.InsertRow(1);
  EXPECT_EQ(g.RowCount(), 6);
  EXPECT_EQ(g.Cell(1, 1), "");
  EXPECT_EQ(g.Cell(1, 2), "c1r1");
  g.InsertRow(6);  // outside: nothing
  EXPECT_EQ(g.RowCount(), 6);

  g.DeleteRow(0);
  EXPECT_EQ(g.RowCount(), 5);
  EXPECT_EQ(g.Cell(0, 0), "");
  EXPECT_EQ(g.Cell(0, 1), "c0r1");
  EXPECT_EQ(g.Column(0).Strings.size(), 6u);  // the list keeps its length
  EXPECT_EQ(g.Column(0).Strings.back(), "");
  // Gutter captions stay with their positions.
  EXPECT_EQ(g.GutterStrings().size(), 4u);

  g.SelectRow(4);
  EXPECT_EQ(g.Row(), 4);
  EXPECT_EQ(g.SelectArea(), (TNiceRect{0, 4, 1, 4}));
  g.DeleteRow(4);  // the current last row: the current row moves up
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.RowCount(), 4);

  g.Clear();
  EXPECT_TRUE(g.Column(0).Strings.empty());
  EXPECT_EQ(g.RowCount(), 4);
}

TEST(NiceGridModel, CountsClampAndReport) {
  TFakeGridHost host;
  TNiceGridCore g(host);
  std::vector<std::pair<int, int>> reports;
  g.OnColRowChanged = [&](int c, int r) { reports.push_back({c, r}); };
  g.SetColCount(3);
  g.SelectRow(4);
  g.SetRowCount(2);
  EXPECT_EQ(g.Row(), 1);
  g.SetColCount(0);
  EXPECT_EQ(g.Col(), -1);
  EXPECT_EQ(g.Row(), -1);
  EXPECT_EQ(reports, (std::vector<std::pair<int, int>>{{0, 0}, {0, 4}, {0, 1}, {-1, -1}}));
}

struct LayoutCase {
  int width, height, rows;
  bool footer;
  bool hBar, vBar;
  int maxH, maxV, footerTop;
};

TEST(NiceGridLayout, ExtentsBarsAndMaxima) {
  // Three 100-pixel columns after a 20-pixel gutter, rows of 18 under one
  // header line; each bar takes 17 pixels.
  const LayoutCase cases[] = {
      {400, 300, 5, false, false, false, 0, 0, 0},  {300, 300, 5, false, true, false, 20, 0, 0},
      {400, 300, 20, false, false, true, 0, 90, 0}, {400, 300, 20, true, false, true, 0, 108, 269},
      {400, 300, 5, true, false, false, 0, 0, 107}, {300, 100, 20, false, true, true, 37, 306, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << k.width << "x" << k.height << " rows " << k.rows);
    TFakeGridHost host;
    host.width = k.width;
    host.height = k.height;
    TNiceGridCore g(host);
    g.SetShowFooter(k.footer);
    FillGrid(g, {100, 100, 100}, k.rows);
    EXPECT_EQ(host.hBar, k.hBar);
    EXPECT_EQ(host.vBar, k.vBar);
    EXPECT_EQ(g.MaxHorzOffset(), k.maxH);
    EXPECT_EQ(g.MaxVertOffset(), k.maxV);
    EXPECT_EQ(g.MaxVertOffset() % 18, 0);
    if (k.footer) {
      EXPECT_EQ(g.FooterTop(), k.footerTop);
    }
    EXPECT_EQ(g.ActualWidth(), std::min(host.ClientWidth(), 320));
    EXPECT_EQ(g.CellBox(), (TNiceRect{20, 18, host.ClientWidth(),
                                      k.footer ? k.footerTop : host.ClientHeight()}));
  }

  TFakeGridHost host;
  TNiceGridCore g(host);
  FillGrid(g, {100, 100}, 50);
  EXPECT_TRUE(host.vBar);
  g.SetColumnVisible(0, false);
  g.SetColumnVisible(1, false);
  EXPECT_FALSE(host.hBar);
  EXPECT_FALSE(host.vBar);
  EXPECT_EQ(g.BodyWidth(), 0);
  EXPECT_EQ(g.BodyHeight(), 0);
  EXPECT_EQ(g.FixedWidth(), 0);
  EXPECT_EQ(g.ActualHeight(), 0);
}

TEST(NiceGridLayout, FitToWidthAndAutoColWidth) {
  struct Case {
    int width;
    std::vector<int> expected;
  };
  // Column 1 cannot be resized; the gutter takes 20 pixels.
  for (const Case& k : {Case{401, {166, 50, 165}}, Case{101, {15, 50, 16}}}) {
    TFakeGridHost host;
    host.width = k.width;
    TNiceGridCore g(host);
    FillGrid(g, {50, 50, 50}, 3);
    g.Column(1).CanResize = false;
    g.SetFitToWidth(true);
    EXPECT_EQ((std::vector<int>{g.ColWidth(0), g.ColWidth(1), g.ColWidth(2)}), k.expected)
        << k.width;
  }

  TFakeGridHost host;
  TNiceGridCore g(host);
  g.SetColCount(2);
  g.SetRowCount(2);
  g.SetCell(0, 0, "ab");
  g.SetCell(1, 1, std::string(20, 'x'));
  g.SetAutoColWidth(true);
  EXPECT_EQ(g.ColWidth(0), 80);  // short texts: never below DefColWidth
  EXPECT_EQ(g.ColWidth(1), 20 * 6 + 7);
  g.SetColWidth(1, 300);  // ignored
  EXPECT_EQ(g.ColWidth(1), 127);
}

TEST(NiceGridScroll, EnsureVisibleTable) {
  struct Case {
    bool footer;
    int h0, v0, col, row, h1, v1;
  };
  // Ten 100-pixel columns, 100 rows, a 400 x 300 window with both bars
  // (client 383 x 283): 13 rows below the top one are fully visible.
  const Case cases[] = {
      {false, 0, 0, 0, 20, 0, 126},    // row below
      {false, 0, 126, 0, 3, 0, 54},    // row above
      {false, 0, 0, 5, 0, 238, 0},     // column right
      {false, 238, 0, 1, 0, 100, 0},   // column left
      {false, 0, 0, 5, 20, 238, 126},  // both
      {false, 0, 36, 0, 10, 0, 36},    // already visible
      {true, 0, 0, 0, 20, 0, 144},     // one row less with a footer
      {false, 0, 0, -1, 20, 0, 0},     // no column
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.col << "," << k.row << " footer " << k.footer);
    TFakeGridHost host;
    TNiceGridCore g(host);
    g.SetShowFooter(k.footer);
    FillGrid(g, std::vector<int>(10, 100), 100);
    g.ScrollTo(false, k.h0);
    g.ScrollTo(true, k.v0);
    g.EnsureVisible(k.col, k.row);
    EXPECT_EQ(g.HorzOffset(), k.h1);
    EXPECT_EQ(g.VertOffset(), k.v1);
  }
}

TEST(NiceGridScroll, WheelKeepsPixelsBarsRoundToRows) {
  TFakeGridHost host;
  TNiceGridCore g(host);
  FillGrid(g, {100}, 100);
  g.Wheel(-120);
  EXPECT_EQ(g.VertOffset(), 120);
  g.Wheel(-120);
  EXPECT_EQ(g.VertOffset(), 240);
  g.ScrollTo(true, 250);
  EXPECT_EQ(g.VertOffset(), 234);
  g.Wheel(100000);
  EXPECT_EQ(g.VertOffset(), 0);
  g.Wheel(-100000);
  EXPECT_EQ(g.VertOffset(), g.MaxVertOffset());
  // The thumb reaches far offsets (no 16-bit limit).
  TNiceGridCore big(host);
  FillGrid(big, {100}, 1);
  big.SetRowCount(100000);
  big.ScrollTo(true, 1000000);
  EXPECT_EQ(big.VertOffset(), 1000000 - 1000000 % 18);
}

TEST(NiceGridHitTest, KindsAndBorders) {
  TFakeGridHost host;
  TNiceGridCore g(host);
  FillGrid(g, {100, 100}, 5);
  g.Column(0).CanResize = true;
  struct Case {
    int x, y, kind;
  };
  const Case cases[] = {
      {5, 5, nhCorner},    {5, 30, nhGutter},   {50, 5, nhHeader},  {50, 30, nhCell},
      {120, 30, nhBorder}, {119, 30, nhBorder}, {121, 5, nhBorder}, {121, 80, nhBorder},
      {118, 30, nhCell},   {122, 30, nhCell},   {300, 30, nhNone},  {50, 200, nhNone},
      {20, 30, nhNone},    {50, 18, nhNone},    {20, 18, nhNone},   {5, 18, nhNone},
  };
  for (const Case& k : cases) EXPECT_EQ(g.HitTest(k.x, k.y), k.kind) << k.x << "," << k.y;
  g.Column(0).CanResize = false;
  EXPECT_EQ(g.HitTest(120, 30), nhCell);
  EXPECT_EQ(g.ResizeColumn(), 0);
  g.SetAutoColWidth(true);
  EXPECT_EQ(g.HitTest(20 + g.ColWidth(0), 30), nhCell);

  // Positions: left of the cells and right of all columns.
  g.SetAutoColWidth(false);
  EXPECT_EQ(g.ColAtX(10), -1);
  EXPECT_EQ(g.ColAtX(20), -1);
  EXPECT_EQ(g.ColAtX(21), 0);
  EXPECT_EQ(g.ColAtX(390), 1);
  EXPECT_EQ(g.RowAtY(10), -1);
  EXPECT_EQ(g.RowAtY(18 + 5 * 18), -1);
  int c, r;
  g.CellAt(390, 290, c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 4);
}

}  // namespace
}  // namespace tesvane
