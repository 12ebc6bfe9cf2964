#include "formula_frame_core.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model_fixture.h"

namespace tesmira::wb {
namespace {

using test::ModelTest;

class FormulaCore : public ModelTest {};

TEST(FormulaSnapshots, TypingThenBackspaceIsTwoSteps) {
  TFormulaSnapshots snaps;
  TEditState edit;
  for (char c : std::string("abc")) {
    snaps.TakeSnapshot(SnapTyping, edit);
    edit.Text += c;
    edit.SelStart = static_cast<int>(edit.Text.size());
  }
  snaps.TakeSnapshot(SnapDeletion, edit);
  edit.Text = "ab";
  edit.SelStart = 2;
  EXPECT_EQ(snaps.Count(), 2);
  ASSERT_TRUE(snaps.Undo(edit));
  EXPECT_EQ(edit.Text, "abc");
  ASSERT_TRUE(snaps.Undo(edit));
  EXPECT_EQ(edit.Text, "");
  EXPECT_FALSE(snaps.Undo(edit));
  ASSERT_TRUE(snaps.Redo(edit));
  EXPECT_EQ(edit.Text, "abc");
  ASSERT_TRUE(snaps.Redo(edit));
  EXPECT_EQ(edit.Text, "ab");
  EXPECT_FALSE(snaps.CanRedo());
  // A caret move ends the typing step: the next typing is a step of its own.
  snaps.TakeSnapshot(SnapCaret, edit);
  snaps.TakeSnapshot(SnapTyping, edit);
  EXPECT_EQ(snaps.Count(), 3);
}

TEST(SymbolInsertion, Cases) {
  struct Case {
    TEditState edit;
    const char* symbol;
    bool shift, caretMark;
    TEditState result;
  };
  const Case cases[] = {
      {{"x+1", 0, 3}, "SIN()", true, false, {"SIN(x+1)", 0, 8}},
      {{"x+1", 0, 3}, "SIN()", false, false, {"SIN()", 0, 5}},
      {{"a*b", 2, 1}, "pi", false, true, {"a*pib", 2, 2}},  // the marked character stays
      {{"a", 1, 0}, "MAX{}", true, false, {"aMAX{}", 1, 5}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InsertSymbolText(c.edit, c.symbol, c.shift, c.caretMark), c.result) << c.symbol;
  }
  EXPECT_EQ(InsertMenuText("&SIN", 1), "SIN()");
  EXPECT_EQ(InsertMenuText("V&ARY", 2), "VARY{}");
  EXPECT_EQ(InsertMenuText("pi", 0), "pi");
}

TEST_F(FormulaCore, SymbolListFiltersAndDescribes) {
  AddVariable("cost");
  AddVariable("x");
  AddFormula("total", "cost*2");
  WriteText(Path("Tab.DIS"), "");
  WriteText(Path("other.txt"), "");
  const std::string model = Path("m.tsm");
  const unsigned all = 63;
  std::vector<TSymbolItem> items = FillSymbolList(all, "co", model, 2, -1);
  std::vector<std::string> captions;
  for (const TSymbolItem& i : items) captions.push_back(i.Caption);
  // By type: variables, constants, 1-argument, multi-argument, formulas, tables.
  EXPECT_EQ(captions, (std::vector<std::string>{"cost", "cos()", "Tab()"}));
  EXPECT_EQ(items[1].Description, "cosine");
  // Every predefined word once; prev0 without a description.
  items = FillSymbolList(SymbConstants | SymbFunctions1 | SymbFunctionsN, "", model, 2, -1);
  EXPECT_EQ(items.size(), 23u);
  auto prev0 = std::find_if(items.begin(), items.end(),
                            [](const TSymbolItem& i) { return i.Caption == "prev0()"; });
  ASSERT_NE(prev0, items.end());
  EXPECT_EQ(prev0->Description, "");
  auto pi = std::find_if(items.begin(), items.end(),
                         [](const TSymbolItem& i) { return i.Caption == "pi"; });
  ASSERT_NE(pi, items.end());
  EXPECT_EQ(pi->Description, "= 3.14159265358979");
  // Sorted by name, descending (state 1).
  items = FillSymbolList(SymbVariables | SymbFormulas, "", model, 1, 0);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].Caption, "x");
  EXPECT_EQ(items[2].Caption, "cost");
}

TEST_F(FormulaCore, SortClicksAndPopupEntries) {
  int state = 2, column = -1;
  SymbolSortClick(0, state, column);
  EXPECT_EQ(column, 0);
  EXPECT_EQ(state, 2);
  SymbolSortClick(0, state, column);
  SymbolSortClick(0, state, column);
  EXPECT_EQ(state, 0);
  EXPECT_EQ(SymbolColumnCaption("Name", 0, state, column), "Name <");
  EXPECT_EQ(SymbolColumnCaption("Description", 1, state, column), "Description");
  const std::vector<std::string> f4 = PopupEntries(4, "");
  EXPECT_EQ(f4.size(), 16u);
  EXPECT_TRUE(std::find(f4.begin(), f4.end(), "sin") != f4.end());
}

TEST_F(FormulaCore, CommitsTextAndReportsAnOverlongOne) {
  AddFormula("f", "1");
  AddFormula("g", "2");
  std::string message;
  EXPECT_TRUE(CommitFormulaText(wb, {0, 1}, "x + 1", message));
  EXPECT_EQ(FormulaText("f"), "x+1");
  EXPECT_EQ(FormulaText("g"), "x+1");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(FormulaText("f"), "1");
  EXPECT_EQ(FormulaText("g"), "2");
  const std::string longText(300, '1');
  EXPECT_FALSE(CommitFormulaText(wb, {0}, longText, message));
  EXPECT_EQ(message,
            ("Formula is 45 characters over the maximum length; " + longText).substr(0, 255));
  EXPECT_EQ(FormulaText("f"), "1");
  EXPECT_TRUE(CommitFormulaDescription(wb, {0}, "the rate"));
  EXPECT_EQ(ShortStringView(Fetch_UDF(0, "f")->description), "the rate");
}

TEST_F(FormulaCore, SelectionViewJoinsNamesAndSharesTexts) {
  AddFormula("f", "A+b");
  AddFormula("g", "a+B");
  AddFormula("h", "c");
  TFormulaSelection s = FormulaSelectionView({0, 1});
  EXPECT_EQ(s.Names, "f; g");
  EXPECT_EQ(s.Text, "A+b");  // texts differing in case only count as common
  EXPECT_FALSE(s.NameEnabled);
  s = FormulaSelectionView({0, 2});
  EXPECT_EQ(s.Text, "");
  EXPECT_TRUE(FormulaSelectionView({2}).NameEnabled);
  EXPECT_FALSE(FormulaSelectionView({}).Any);
}

TEST_F(FormulaCore, VerifyAndRename) {
  AddVariable("x");
  AddFormula("f", "x+1");
  std::string message;
  EXPECT_TRUE(VerifyFormulaText(0, "x*2", message));
  EXPECT_EQ(message, "Formula/UDF is OK.");
  EXPECT_FALSE(VerifyFormulaText(0, "x*(", message));
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(RenameFormula(wb, 0, "F", message), 0);
  EXPECT_EQ(RenameFormula(wb, 0, "x", message), -1);
  EXPECT_FALSE(wb.Undo.CanUndo());
  EXPECT_EQ(RenameFormula(wb, 0, "rate", message), 1);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Rename");
}

}  // namespace
}  // namespace tesmira::wb
