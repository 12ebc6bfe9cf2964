// The result grid's keys, typing, fills, clipboard texts and CSV export,
// without a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "nice_grid_core.h"
#include "nice_grid_test_host.h"
#include "test_support.h"

namespace tesvane {
namespace {

using test::FillGrid;
using test::TFakeGridHost;

struct Fixture {
  TFakeGridHost host;
  TNiceGridCore g{host};
  std::vector<std::pair<int, int>> moves;
  std::vector<std::string> rowEvents;
  Fixture(std::vector<int> widths = {80, 80, 80}, int rows = 10) {
    FillGrid(g, widths, rows);
    g.OnColRowChanged = [this](int c, int r) { moves.push_back({c, r}); };
    g.OnInsertRow = [this](int r) { rowEvents.push_back("insert " + std::to_string(r)); };
    g.OnDeleteRow = [this](int r) { rowEvents.push_back("delete " + std::to_string(r)); };
  }
  void Key(TNiceKey k, unsigned shift = 0) { g.KeyDown(k, shift); }
  void Type(const std::string& chars) {
    for (char c : chars) g.KeyChar(std::string(1, c));
  }
  void Goto(int c, int r) {
    g.SelectRow(r);
    Key(TNiceKey::Home);
    while (g.Col() < c) Key(TNiceKey::Right);
  }
};

TEST(NiceGridKeys, MovesAndExtends) {
  Fixture f({80, 80, 80, 80}, 10);
  f.g.SetColumnVisible(0, false);
  f.g.SetColumnVisible(3, false);
  struct Step {
    TNiceKey key;
    unsigned shift;
    int col, row;
    TNiceRect sel;
  };
  const Step steps[] = {
      {TNiceKey::Down, 0, 1, 1, {1, 1, 1, 1}},
      {TNiceKey::Home, 0, 1, 1, {1, 1, 1, 1}},  // first visible column
      {TNiceKey::End, 0, 2, 1, {2, 1, 2, 1}},   // last visible column
      {TNiceKey::Right, 0, 2, 1, {2, 1, 2, 1}},
      {TNiceKey::Left, 0, 1, 1, {1, 1, 1, 1}},
      {TNiceKey::Left, 0, 1, 1, {1, 1, 1, 1}},
      {TNiceKey::PageDown, 0, 1, 9, {1, 9, 1, 9}},
      {TNiceKey::Down, 0, 1, 9, {1, 9, 1, 9}},
      {TNiceKey::PageUp, 0, 1, 0, {1, 0, 1, 0}},
      {TNiceKey::Up, 0, 1, 0, {1, 0, 1, 0}},
      {TNiceKey::End, ssCtrl, 2, 9, {2, 9, 2, 9}},
      {TNiceKey::Home, ssCtrl, 1, 0, {1, 0, 1, 0}},
      {TNiceKey::Right, ssShift, 1, 0, {1, 0, 2, 0}},
      {TNiceKey::Right, ssShift, 1, 0, {1, 0, 2, 0}},
      {TNiceKey::Down, ssShift, 1, 0, {1, 0, 2, 1}},
      {TNiceKey::Down, ssShift | ssCtrl, 1, 0, {1, 0, 2, 1}},  // Ctrl table: nothing
      // Enter and Shift+Enter step within the selection, column by column.
      {TNiceKey::Enter, 0, 1, 1, {1, 0, 2, 1}},
      {TNiceKey::Enter, 0, 2, 0, {1, 0, 2, 1}},
      {TNiceKey::Enter, 0, 2, 1, {1, 0, 2, 1}},
      {TNiceKey::Enter, 0, 1, 0, {1, 0, 2, 1}},
      {TNiceKey::Enter, ssShift, 2, 1, {1, 0, 2, 1}},
      {TNiceKey::Enter, ssShift, 2, 0, {1, 0, 2, 1}},
      // On one cell Enter moves down and Shift+Enter up.
      {TNiceKey::Up, ssShift | ssAlt, 2, 0, {2, 0, 2, 0}},
      {TNiceKey::Home, 0, 1, 0, {1, 0, 1, 0}},
      {TNiceKey::Enter, 0, 1, 1, {1, 1, 1, 1}},
      {TNiceKey::Enter, ssShift, 1, 0, {1, 0, 1, 0}},
  };
  f.Key(TNiceKey::Home);
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "key " << static_cast<int>(s.key) << " shift " << s.shift
                                    << " to " << s.col << "," << s.row);
    size_t reports = f.moves.size();
    f.Key(s.key, s.shift);
    EXPECT_EQ(f.g.Col(), s.col);
    EXPECT_EQ(f.g.Row(), s.row);
    EXPECT_EQ(f.g.SelectArea(), s.sel);
    // Extending reports no move; everything else does.
    const bool extend = (s.shift & ssShift) && !(s.shift & ssCtrl) && s.key != TNiceKey::Enter;
    const bool ctrlNothing = (s.shift & ssCtrl) && s.key == TNiceKey::Down;
    EXPECT_EQ(f.moves.size(), reports + (extend || ctrlNothing ? 0 : 1));
  }
}

TEST(NiceGridKeys, RowKeys) {
  Fixture one({80}, 1);
  one.Key(TNiceKey::Delete, ssCtrl);  // one row: nothing
  EXPECT_EQ(one.g.RowCount(), 1);
  EXPECT_TRUE(one.rowEvents.empty());

  Fixture f({80, 80}, 3);
  f.Goto(0, 2);
  f.Key(TNiceKey::Delete, ssCtrl);
  EXPECT_EQ(f.g.RowCount(), 2);
  EXPECT_EQ(f.g.Row(), 1);
  f.Key(TNiceKey::Insert);
  EXPECT_EQ(f.g.RowCount(), 3);
  EXPECT_EQ(f.g.Cell(0, 1), "");
  EXPECT_EQ(f.g.Cell(0, 2), "c0r1");
  EXPECT_EQ(f.rowEvents, (std::vector<std::string>{"delete 2", "insert 1"}));

  // AutoAddRow: Down on the last row appends, Up removes an empty last row
  // but only moves off a filled one.
  f.rowEvents.clear();
  f.g.AutoAddRow = true;
  f.Goto(0, 2);
  f.Key(TNiceKey::Down);
  EXPECT_EQ(f.g.RowCount(), 4);
  EXPECT_EQ(f.g.Row(), 3);
  f.Key(TNiceKey::Up);
  EXPECT_EQ(f.g.RowCount(), 3);
  EXPECT_EQ(f.g.Row(), 2);
  f.Key(TNiceKey::Up);
  EXPECT_EQ(f.g.RowCount(), 3);
  EXPECT_EQ(f.g.Row(), 1);
  EXPECT_EQ(f.rowEvents, (std::vector<std::string>{"insert 3", "delete 3"}));

  f.g.ReadOnly = true;
  f.Goto(0, 2);
  f.Key(TNiceKey::Down);
  f.Key(TNiceKey::Insert);
  f.Key(TNiceKey::Delete, ssCtrl);
  EXPECT_EQ(f.g.RowCount(), 3);
}

TEST(NiceGridKeys, TypingAndDelete) {
  Fixture f;
  f.Goto(1, 2);
  f.Type("12");
  EXPECT_EQ(f.g.Cell(1, 2), "12");
  EXPECT_TRUE(TNiceGridCore::CaretShown());
  f.Key(TNiceKey::Enter);
  EXPECT_EQ(f.g.Cell(1, 2), "12");
  EXPECT_EQ(f.g.Row(), 3);
  EXPECT_FALSE(TNiceGridCore::CaretShown());

  // A Backspace as the first key empties the cell; then typing replaces it.
  f.g.KeyChar("\b");
  EXPECT_EQ(f.g.Cell(1, 3), "");
  f.Type("ab");
  f.g.KeyChar("\b");
  EXPECT_EQ(f.g.Cell(1, 3), "a");

  // Delete does nothing while the buffer holds text.
  f.Key(TNiceKey::Delete);
  EXPECT_EQ(f.g.Cell(1, 3), "a");
  f.Key(TNiceKey::Down);
  f.Key(TNiceKey::Right, ssShift);
  f.Key(TNiceKey::Delete);
  EXPECT_EQ(f.g.Cell(1, 4), "");
  EXPECT_EQ(f.g.Cell(2, 4), "");
  EXPECT_EQ(f.g.Cell(0, 4), "c0r4");

  // The filter drops characters; the change events may refuse or rewrite.
  f.g.OnFilterChar = [](int, int, const std::string& c, bool& allowed) { allowed = c != "x"; };
  f.g.OnCellChange = [](int, int, std::string& s) {
    if (s == "up") s = "UP";
  };
  f.Goto(0, 5);
  f.Type("uxp");
  EXPECT_EQ(f.g.Cell(0, 5), "UP");
  f.g.OnCellChanging = [](int, int, bool& can) { can = false; };
  f.Key(TNiceKey::Down);
  f.Type("zz");
  EXPECT_EQ(f.g.Cell(0, 6), "c0r6");

  // A ReadOnly column keeps its text while the buffer grows.
  f.g.OnCellChanging = nullptr;
  f.g.Column(2).ReadOnly = true;
  f.Goto(2, 7);
  f.Type("77");
  EXPECT_EQ(f.g.Cell(2, 7), "c2r7");
  EXPECT_EQ(f.g.TypingBuffer(), "77");
  // A ReadOnly grid takes no typing at all.
  f.g.ReadOnly = true;
  f.Goto(1, 7);
  f.Type("9");
  EXPECT_EQ(f.g.Cell(1, 7), "c1r7");
  EXPECT_EQ(f.g.TypingBuffer(), "");
}

TEST(NiceGridKeys, EnterAssignmentAndFills) {
  Fixture f({80, 80, 80}, 5);
  f.g.ReadOnly = true;  // Enter, its event and the fills still work
  f.g.Column(1).ReadOnly = true;
  f.g.AutoFillDown = f.g.AutoFillRight = true;
  f.g.OnCellAssignment = [](int c, int r, std::string& s) {
    if (c == 0 && r == 1) s = "x*";
    if (c == 0 && r == 3) s = "y>";
  };
  f.Goto(0, 1);
  f.Key(TNiceKey::Enter);
  // The assigned text is written with events, so a ReadOnly grid's column 0
  // gets it; the fill writes without events from the row down.
  for (int r = 1; r < 5; ++r) EXPECT_EQ(f.g.Cell(0, r), "x") << r;
  EXPECT_EQ(f.g.Cell(0, 0), "c0r0");
  EXPECT_EQ(f.g.Row(), 1);  // a fill does not move
  f.Goto(0, 3);
  f.Key(TNiceKey::Enter);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(f.g.Cell(c, 3), "y") << c;  // also the ReadOnly column
  EXPECT_EQ(f.g.Cell(2, 2), "c2r2");

  // Within a larger selection the fill stops at its bottom.
  Fixture s({80}, 6);
  s.g.AutoFillDown = true;
  s.g.SetCell(0, 1, "z*");
  s.Goto(0, 1);
  s.Key(TNiceKey::Down, ssShift);
  s.Key(TNiceKey::Down, ssShift);
  s.Key(TNiceKey::Enter);
  EXPECT_EQ(s.g.Cell(0, 3), "z");
  EXPECT_EQ(s.g.Cell(0, 4), "c0r4");
}

TEST(NiceGridKeys, NothingAfterCornerClick) {
  Fixture f;
  f.host.hasClipboard = true;
  f.host.clipboard = "p\tq\r\n";
  f.g.MouseDown(mbLeft, 0, 5, 5);
  ASSERT_EQ(f.g.Col(), -1);
  f.Key(TNiceKey::Enter);
  f.Type("7");
  f.g.KeyChar("\b");
  f.Key(TNiceKey::Delete);
  f.Key(TNiceKey::V, ssCtrl);
  f.Key(TNiceKey::X, ssCtrl);
  f.host.clipboard.clear();
  f.Key(TNiceKey::C, ssCtrl);
  EXPECT_EQ(f.host.clipboard, "");
  EXPECT_FALSE(f.g.Updating());
  for (int c = 0; c < 3; ++c) EXPECT_EQ(f.g.Cell(c, 0), "c" + std::to_string(c) + "r0");
  // Keys still navigate from there.
  f.Key(TNiceKey::Right);
  EXPECT_EQ(f.g.Col(), 0);
}

TEST(NiceGridClipboard, CopyTexts) {
  Fixture f({80, 80, 80}, 3);
  f.g.SetColumnVisible(0, false);
  f.g.SetSelectArea({0, 1, 2, 2});
  f.Key(TNiceKey::C, ssCtrl);
  EXPECT_EQ(f.host.clipboard, "\tc1r1\tc2r1\r\n\tc1r2\tc2r2\r\n");

  f.g.SetColumnTitle(0, "Names|Predicted;variable");
  f.g.SetColumnTitle(2, "x;y");
  f.g.SetGutterStrings({"a", "b"});  // one caption missing: read as empty
  f.g.CopyAllToClipboard();
  EXPECT_EQ(f.host.clipboard,
            "\tNames|Predicted variable\t\tx y\r\n"
            "a\tc0r0\tc1r0\tc2r0\r\n"
            "b\tc0r1\tc1r1\tc2r1\r\n"
            "\tc0r2\tc1r2\tc2r2\r\n");

  // Cut copies, then empties what is not ReadOnly.
  f.g.Column(2).ReadOnly = true;
  f.g.SetSelectArea({1, 0, 2, 0});
  f.Key(TNiceKey::X, ssCtrl);
  EXPECT_EQ(f.host.clipboard, "c1r0\tc2r0\r\n");
  EXPECT_EQ(f.g.Cell(1, 0), "");
  EXPECT_EQ(f.g.Cell(2, 0), "c2r0");
  EXPECT_FALSE(f.g.Updating());
}

TEST(NiceGridClipboard, Paste) {
  struct Case {
    std::string text;
    TNiceRect sel;
    std::vector<std::string> rows;  // the grid's rows afterwards, cells joined by "|"
  };
  const Case cases[] = {
      // One cell over a 3 x 3 block fills all nine.
      {"v", {0, 0, 2, 2}, {"v|v|v", "v|v|v", "v|v|v", "c0r3|c1r3|c2r3"}},
      // A two-field line at the last column writes its first field.
      {"a\tb\r\n",
       {2, 1, 2, 1},
       {"c0r0|c1r0|c2r0", "c0r1|c1r1|a", "c0r2|c1r2|c2r2", "c0r3|c1r3|c2r3"}},
      // Lines below the last row are dropped; short lines are padded.
      {"1\t2\n3\r4", {1, 2, 1, 2}, {"c0r0|c1r0|c2r0", "c0r1|c1r1|c2r1", "c0r2|1|2", "c0r3|3|"}},
      // Tiling: lines repeat down the rows, fields along the columns.
      {"p\tq\r\nr\r\n", {0, 0, 2, 2}, {"p|q|p", "r||r", "p|q|p", "c0r3|c1r3|c2r3"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text);
    Fixture f({80, 80, 80}, 4);
    f.host.hasClipboard = true;
    f.host.clipboard = k.text;
    f.g.SelectRow(k.sel.Top);
    f.Goto(k.sel.Left, k.sel.Top);
    f.g.SetSelectArea(k.sel);
    f.Key(TNiceKey::V, ssCtrl);
    for (int r = 0; r < 4; ++r)
      EXPECT_EQ(f.g.Cell(0, r) + "|" + f.g.Cell(1, r) + "|" + f.g.Cell(2, r), k.rows[r]) << r;
    EXPECT_FALSE(f.g.Updating());
  }

  // Hidden columns take no field; no text on the clipboard changes nothing.
  Fixture h({80, 80, 80}, 2);
  h.g.SetColumnVisible(1, false);
  h.host.hasClipboard = true;
  h.host.clipboard = "x\ty";
  h.g.PasteFromClipboard();
  EXPECT_EQ(h.g.Cell(0, 0) + "|" + h.g.Cell(1, 0) + "|" + h.g.Cell(2, 0), "x|c1r0|y");
  h.host.hasClipboard = false;
  h.Goto(0, 1);
  h.g.PasteFromClipboard();
  EXPECT_EQ(h.g.Cell(0, 1), "c0r1");
}

TEST(NiceGridCsv, ExportText) {
  Fixture f({80, 80, 80}, 2);
  f.g.SetColumnTitle(0, "Names|Predicted;variable");
  f.g.SetColumnTitle(1, "Hidden");
  f.g.SetColumnTitle(2, "Standard statistic|E[Predicted;variable]");
  f.g.SetColumnVisible(1, false);
  f.g.SetCell(0, 0, "X, the \"first\"");
  f.g.SetCell(2, 1, "1.5");
  f.g.SetGutterStrings({"9", "8"});
  const std::string expected =
      "Id, Names|Predicted variable, Hidden, Standard statistic|E[Predicted variable]\r\n"
      "1, \"X, the \"\"first\"\"\", c1r0, c2r0\r\n"
      "2, c0r1, c1r1, 1.5\r\n";
  EXPECT_EQ(f.g.CsvText(), expected);

  test::TTempDir dir;
  const auto path = dir.Path() / "list.csv";
  {
    std::ofstream old(path);
    old << "old content that is longer than the new one, much longer, really much longer";
  }
  f.g.ExportToCsv(path.string());
  std::ifstream in(path, std::ios::binary);
  std::stringstream got;
  got << in.rdbuf();
  EXPECT_EQ(got.str(), expected);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_THROW(f.g.ExportToCsv((dir.Path() / "missing" / "x.csv").string()), ENiceGridError);
}

}  // namespace
}  // namespace tesvane
