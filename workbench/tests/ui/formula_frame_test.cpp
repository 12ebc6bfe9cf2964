#include "formula_frame.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <fstream>

#include "fake_starter.h"
#include "list_editing.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

using test::WindowTest;

class FormulaFrameTest : public WindowTest {
 protected:
  TFormula& Frame(TFrmTesmiraMain& w) { return *w.findChild<TFormula*>("FormulaFrame"); }
  TFrmTesmiraMain& OpenFormulas(const std::vector<std::pair<std::string, std::string>>& formulas) {
    auto& w = Open();
    w.OpenGivenFile(WriteModel("m.tsm", {"x", "cost"}, formulas));
    w.show();
    w.ChangePanel(PanelFormulas);
    w.listFor->selectRow(0);
    return w;
  }
};

TEST_F(FormulaFrameTest, TypingAndBackspaceAreTwoTextUndoSteps) {
  auto& w = OpenFormulas({{"f", ""}});
  TFormula& fr = Frame(w);
  EXPECT_EQ(fr.edForName->text(), "f");
  EXPECT_EQ(fr.lab7of9->text(), "1 of 1 total");
  fr.richFormula->setFocus();
  QTest::keyClicks(fr.richFormula, "abc");
  QTest::keyClick(fr.richFormula, Qt::Key_Backspace);
  EXPECT_EQ(fr.richFormula->text(), "ab");
  fr.TextUndo(true);
  EXPECT_EQ(fr.richFormula->text(), "abc");
  fr.TextUndo(true);
  EXPECT_EQ(fr.richFormula->text(), "");
  fr.TextUndo(false);
  EXPECT_EQ(fr.richFormula->text(), "abc");
}

TEST_F(FormulaFrameTest, EnterCommitsAndAnOverlongTextIsNotStored) {
  auto& w = OpenFormulas({{"f", "1"}});
  TFormula& fr = Frame(w);
  fr.richFormula->setFocus();
  fr.richFormula->selectAll();
  QTest::keyClicks(fr.richFormula, "x + 2");
  QTest::keyClick(fr.richFormula, Qt::Key_Return);
  EXPECT_EQ(FormulaText("f"), "x+2");
  EXPECT_EQ(fr.richFormula->text(), "x + 2");  // the edit keeps the blanks typed
  const QString longText(300, '1');
  fr.richFormula->setText(longText);
  fr.richFormula->setModified(true);
  fr.CommitText(false);
  EXPECT_EQ(FormulaText("f"), "x+2");
  EXPECT_TRUE(
      fr.labMessage->text().startsWith("Formula is 45 characters over the maximum length; 111"));
  EXPECT_EQ(fr.richFormula->text(), longText);
  fr.butVerifyAll->click();
  EXPECT_EQ(f.prompt.shown.back().text, "Formula/UDF check OK.");
}

TEST_F(FormulaFrameTest, SymbolAreaFiltersAndInserts) {
  auto& w = OpenFormulas({{"f", "x+1"}});
  TFormula& fr = Frame(w);
  fr.butAll->click();
  QTest::keyClicks(fr.edForFilter, "co");
  QStringList names;
  for (int i = 0; i < fr.listForHelper->topLevelItemCount(); ++i)
    names << fr.listForHelper->topLevelItem(i)->text(0);
  EXPECT_TRUE(names.contains("cost"));
  EXPECT_TRUE(names.contains("cos()"));
  EXPECT_FALSE(names.contains("ctg()"));
  // Shift wraps the selection in the function's brackets.
  fr.richFormula->selectAll();
  fr.InsertSymbol("SIN()", true);
  EXPECT_EQ(fr.richFormula->text(), "SIN(x+1)");
  EXPECT_EQ(fr.richFormula->selectedText(), "SIN(x+1)");
  // Each predefined word once in its Insert submenu.
  std::unique_ptr<QMenu> menu(fr.BuildInsertMenu(nullptr));
  QMenu* functions = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == "one-argument functions:") functions = a->menu();
  ASSERT_NE(functions, nullptr);
  QStringList words;
  for (QAction* a : functions->actions()) words << a->text();
  EXPECT_EQ(words.size(), 16);
  EXPECT_EQ(words.removeDuplicates(), 0);
}

TEST_F(FormulaFrameTest, F4OpensThePopupAndSpaceInserts) {
  auto& w = OpenFormulas({{"f", ""}});
  TFormula& fr = Frame(w);
  fr.richFormula->setFocus();
  QTest::keyClick(fr.richFormula, Qt::Key_F4);
  ASSERT_TRUE(fr.popup->isVisible());
  EXPECT_EQ(fr.popup->list->count(), 16);
  fr.popup->list->setCurrentRow(0);
  const QString word = fr.popup->list->item(0)->text();
  QTest::keyClick(fr.popup->list, Qt::Key_Space);
  EXPECT_FALSE(fr.popup->isVisible());
  EXPECT_EQ(fr.richFormula->text(), word + " ");
  // Enter with nothing chosen only closes.
  QTest::keyClick(fr.richFormula, Qt::Key_F2);
  fr.popup->list->clearSelection();
  QTest::keyClick(fr.popup->list, Qt::Key_Return);
  EXPECT_FALSE(fr.popup->isVisible());
  EXPECT_EQ(fr.richFormula->text(), word + " ");
}

TEST_F(FormulaFrameTest, RenameFromTheNameEdit) {
  auto& w = OpenFormulas({{"a", "1"}, {"g", "a+sin(a)"}});
  TFormula& fr = Frame(w);
  fr.edForName->setFocus();
  fr.edForName->selectAll();
  QTest::keyClicks(fr.edForName, "x");
  QTest::keyClick(fr.edForName, Qt::Key_Return);
  EXPECT_EQ(fr.labMessage->text(),
            "(Name not changed!): Function, variable or other object with the same name already "
            "exists");
  fr.edForName->selectAll();
  QTest::keyClicks(fr.edForName, "b");
  QTest::keyClick(fr.edForName, Qt::Key_Return);
  EXPECT_EQ(FormulaText("g"), "b+sin(b)");
  EXPECT_EQ(fr.labMessage->text(), "Name reference was updated in UDF(s) named: \"g\".");
}

TEST_F(FormulaFrameTest, SymbolAreaSettingsAreReadAndWritten) {
  WriteText(Path("tesmira.INI"),
            "[ForWindow]\r\nSymb=8\r\nSymbSortAsc=1\r\nSymbSort=0\r\nSymbReport=1\r\n");
  auto& w = OpenFormulas({{"f", "1"}});
  TFormula& fr = Frame(w);
  EXPECT_EQ(fr.SymbolBits(), 8u);
  EXPECT_TRUE(fr.ReportStyle);
  EXPECT_FALSE(fr.listForHelper->isColumnHidden(1));
  EXPECT_EQ(fr.listForHelper->headerItem()->text(0), "Name >");
  fr.typeButtons[0]->click();                                       // Random Variables
  const std::string width = "Split=" + std::to_string(fr.width());  // the frame's width
  win.reset();
  std::ifstream in(Path("tesmira.INI"));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Symb=9"), std::string::npos);
  EXPECT_NE(text.find("SymbReport=1"), std::string::npos);
  EXPECT_NE(text.substr(text.find("[ForWindow]")).find(width), std::string::npos);
}

TEST_F(FormulaFrameTest, SymbolPopupEditsAVariableAndOpensHelp) {
  auto& w = OpenFormulas({{"f", "1"}, {"g", "cost*2"}});
  w.listFor->selectRow(1);
  TFormula& fr = Frame(w);
  test::FakeStarter starter;
  auto* editing = w.findChild<TListEditing*>("ListEditing");
  editing->SetProgramStarter(&starter);
  editing->ProgramFolder = Path("");
  WriteText(Path("TesmiraHelp.html"), "<html></html>");
  auto select = [&](const QString& caption) {
    const auto items = fr.listForHelper->findItems(caption, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    fr.listForHelper->setCurrentItem(items.front());
    emit fr.popList->aboutToShow();
  };
  fr.SetSymbolBits(1 | 2);  // variables and one-argument functions
  select("cost");
  EXPECT_TRUE(fr.mitVarEdit->isVisible());
  EXPECT_FALSE(fr.mitSymbolHelp->isVisible());
  fr.mitVarEdit->trigger();
  EXPECT_EQ(w.VisiblePanel(), PanelVariables);
  EXPECT_EQ(w.listVar->selectionModel()->selectedRows().front().row(), 1);
  ASSERT_EQ(editing->NavStack.size(), 1u);
  EXPECT_EQ(editing->NavStack[0].OriginName, "g");

  // Back returns to the formula the jump started from.
  auto* back = w.findChild<QPushButton*>("butBack");
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->isVisible());
  back->click();
  EXPECT_EQ(w.VisiblePanel(), PanelFormulas);
  EXPECT_EQ(w.listFor->selectionModel()->selectedRows().front().row(), 1);
  EXPECT_TRUE(editing->NavStack.empty());

  select("sin()");
  EXPECT_FALSE(fr.mitVarEdit->isVisible());
  EXPECT_TRUE(fr.mitSymbolHelp->isVisible());
  fr.mitSymbolHelp->trigger();
  EXPECT_EQ(starter.opened, std::vector<std::string>{Path("TesmiraHelp.html#context20")});
}

}  // namespace
}  // namespace tesmira::wb
