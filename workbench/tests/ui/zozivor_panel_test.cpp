#include "zozivor_panel.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <chrono>
#include <fstream>
#include <iostream>

#include "list_editing.h"
#include "model_helpers.h"
#include "undo_items.h"
#include "utilities.h"
#include "window_fixture.h"
#include "zozivor_fixture.h"

namespace tesmira::wb {
namespace {

using test::AddConstant;
using test::WindowTest;

class ZoziVorPanelTest : public WindowTest {
 protected:
  using test::ModelTest::Names;
  using WindowTest::Names;

  TZoziVorPanel& Start() {
    auto& w = Open();
    w.resize(900, 700);
    w.show();
    w.NewModelOfType(1);
    QCoreApplication::processEvents();
    panel = qobject_cast<TZoziVorPanel*>(w.PanelPage(PanelZoziVor));
    EXPECT_NE(panel, nullptr);
    EXPECT_EQ(w.VisiblePanel(), PanelZoziVor);
    return *panel;
  }
  TGraph& Graph() { return panel->Graph(); }
  TWorkbench& W() { return win->Workbench(); }
  // Control coordinates of a graph point.
  QPoint At(int x, int y) { return {x - Graph().Origin.X, y - Graph().Origin.Y}; }
  void Click(int x, int y) { QTest::mouseClick(panel->Control, Qt::LeftButton, {}, At(x, y)); }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(panel->Control, Qt::LeftButton, {}, At(from.x(), from.y()));
    QTest::mouseMove(panel->Control, At(to.x(), to.y()));
    QTest::mouseRelease(panel->Control, Qt::LeftButton, {}, At(to.x(), to.y()));
  }
  QColor Pixel(int x, int y) {
    const QPoint p = At(x, y);
    return panel->Control->BackBuffer().pixelColor(p);
  }
  TGraphNode* Node(int number) { return Graph().FindNode(number, false); }
  // Supply node 1 at (100, 100), demand node 2 at (300, 100), an arc from 2 to 1,
  // node 1 selected in select mode.
  TZoziVorPanel& StartWithArc() {
    TZoziVorPanel& p = Start();
    p.butDualAddSupply->trigger();
    Click(100, 100);
    p.butDualAddDemand->trigger();
    Click(300, 100);
    Drag({300, 100}, {100, 100});
    p.butDualSelect->trigger();
    Click(100, 100);
    return p;
  }

  TZoziVorPanel* panel = nullptr;
};

TEST_F(ZoziVorPanelTest, ToolbarModesMouseAndDrawing) {
  TZoziVorPanel& p = Start();
  EXPECT_FALSE(p.butDualVerify->isVisible());
  EXPECT_TRUE(p.butDualSelect->isChecked());

  p.butDualAddSupply->trigger();
  EXPECT_EQ(Graph().EditMode, 1);
  Click(100, 100);
  p.butDualAddDemand->trigger();
  Click(300, 100);
  p.butDualAddSupply->trigger();
  Drag({100, 100}, {300, 100});
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"s1", "d2", "1c2", "1l2", "1u2"}));
  EXPECT_EQ(Names(win->listVar).size(), 5u);
  EXPECT_EQ(W().Undo.ActionCaption(true), "Add Zozivor Arc");
  EXPECT_TRUE(W().Modified);

  // Drawing: the arc black, the selected node framed red.
  Graph().SelectedIndex = Graph().IndexOf(Node(2));
  Graph().Redraw();
  EXPECT_EQ(Pixel(200, 100), QColor(Qt::black));
  EXPECT_EQ(Pixel(200, 95), QColor(Qt::white));
  EXPECT_EQ(Pixel(290, 90), QColor(255, 0, 0));
  EXPECT_EQ(Pixel(90, 90), QColor(Qt::white));  // s1's frame
  EXPECT_EQ(Pixel(100, 100), QColor(Qt::black));

  // Select mode: a click on the arc's middle selects it and draws it red, 2 wide.
  p.butDualSelect->trigger();
  Click(200, 103);
  ASSERT_NE(Graph().EdgeAt(Graph().SelectedIndex), nullptr);
  EXPECT_EQ(Pixel(200, 100), QColor(255, 0, 0));
  EXPECT_TRUE(Pixel(200, 101) == QColor(255, 0, 0) || Pixel(200, 99) == QColor(255, 0, 0));

  // The Dx node: afterwards its button is off and the mode shows as demand.
  p.butDualAddDx->trigger();
  Click(500, 300);
  EXPECT_EQ(Node(-1)->NodeName(), "dx");
  EXPECT_FALSE(p.butDualAddDx->isEnabled());
  EXPECT_TRUE(p.butDualAddDemand->isChecked());
  EXPECT_EQ(Graph().EditMode, 3);
  f.prompt.shown.clear();
  Click(600, 500);
  EXPECT_EQ(f.prompt.Texts(),
            std::vector<std::string>{
                "Zozivor model already contains Dx node.\n\rNew Dx node was not created."});
  // A press on a node starts an arc in that mode: s1 to the Dx node.
  Drag({100, 100}, {500, 300});
  EXPECT_NE(Fetch_extended_random_variable(0, "1cx"), nullptr);

  // A moved node is one step, undone from the Edit menu.
  p.butDualSelect->trigger();
  Drag({300, 100}, {340, 180});
  EXPECT_EQ(Node(2)->X, 340);
  EXPECT_EQ(W().Undo.ActionCaption(true), "Move Zozivor Node");
  win->mitUndo->trigger();
  EXPECT_EQ(Node(2)->X, 300);
}

TEST_F(ZoziVorPanelTest, DeleteKeyRemovesANodeWithOneArc) {
  StartWithArc();
  win->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(win.get()));
  // In the case description Delete edits the text and leaves the graph.
  QTest::mouseClick(win->edModelDescription, Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(win->edModelDescription));
  QTest::keyClicks(win->edModelDescription, "ab");
  QTest::keyClick(win->edModelDescription, Qt::Key_Home);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
  EXPECT_EQ(win->edModelDescription->text(), "b");
  EXPECT_EQ(Graph().NodeCount(), 2);
  // A click on the graph gives it the keys: a node with one arc goes
  // without a question.
  Click(100, 100);
  ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(panel->Control));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
  EXPECT_EQ(Names(ObjRandomVariable), std::vector<std::string>{"d2"});
  EXPECT_TRUE(f.prompt.shown.empty());
  win->mitUndo->trigger();
  EXPECT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"s1", "d2", "1c2", "1l2", "1u2"}));
  EXPECT_EQ(Graph().Elements.size(), 3u);
}

TEST_F(ZoziVorPanelTest, EditDeleteActsOnTheSelectedGraphItem) {
  StartWithArc();
  // Edit > Delete acts on the graph too, enabled only with a selection.
  auto* editing = win->findChild<TListEditing*>("ListEditing");
  ASSERT_NE(editing, nullptr);
  Graph().SelectedIndex = -1;
  emit win->mnuEdit->aboutToShow();
  EXPECT_FALSE(editing->mitDelete->isEnabled());
  Click(100, 100);
  emit win->mnuEdit->aboutToShow();
  ASSERT_TRUE(editing->mitDelete->isEnabled());
  editing->mitDelete->trigger();
  EXPECT_EQ(Names(ObjRandomVariable), std::vector<std::string>{"d2"});
  win->mitUndo->trigger();
  EXPECT_EQ(Graph().Elements.size(), 3u);
}

TEST_F(ZoziVorPanelTest, WarningRemovesArcsWithoutTheirNode) {
  TZoziVorPanel& p = StartWithArc();
  // "Warning" shows after a rebuild meets an arc without its node.
  AddConstant("1c9", 0.1);
  AddFormula("9u1", "2");
  win->UpdateView(ViewGraphRebuild);
  EXPECT_TRUE(p.butDualVerify->isVisible());
  f.prompt.answers = {TAnswer::YesToAll};
  p.butDualVerify->trigger();
  EXPECT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(Fetch_extended_random_variable(0, "1c9"), nullptr);
  EXPECT_EQ(Fetch_UDF(0, "9u1"), nullptr);
  win->mitUndo->trigger();
  EXPECT_NE(Fetch_extended_random_variable(0, "1c9"), nullptr);
  EXPECT_NE(Fetch_UDF(0, "9u1"), nullptr);
  // Undoing a variable's deletion showed its list; back to the graph.
  win->toolDual->trigger();
  EXPECT_EQ(win->VisiblePanel(), PanelZoziVor);
}

TEST_F(ZoziVorPanelTest, ArrangeNodesActsOnThisPanelOnly) {
  TZoziVorPanel& p = StartWithArc();
  // Edit > Arrange Nodes: on this panel only, every item.
  emit win->mnuEdit->aboutToShow();
  EXPECT_TRUE(p.mitArrange->menuAction()->isVisible());
  EXPECT_TRUE(p.mitArrange->isEnabled());
  const int w = p.Control->width(), h = p.Control->height();
  for (QAction* item : p.ArrangeItems) {
    item->trigger();
    for (const auto& e : Graph().Elements)
      if (e->IsNode()) {
        auto* n = static_cast<TGraphNode*>(e.get());
        EXPECT_GE(n->X, -100) << item->text().toStdString();
        EXPECT_LE(n->X, w) << item->text().toStdString();
        EXPECT_LE(n->Y, h) << item->text().toStdString();
      }
  }
  EXPECT_EQ(p.ArrangeItems[0]->text(), "in Circle");
  p.ArrangeItems[0]->trigger();
  EXPECT_EQ(Graph().NodeAt(Graph().IndexOf(Node(1)))->Y, h / 2);
  EXPECT_EQ(W().Undo.ActionCaption(true), "Move Zozivor Node");
  win->toolVar->trigger();
  emit win->mnuEdit->aboutToShow();
  EXPECT_FALSE(p.mitArrange->menuAction()->isVisible());
  // Not on this panel: the key goes to the focused control, not the graph.
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus ? focus : static_cast<QWidget*>(win.get()), Qt::Key_Delete);
  EXPECT_EQ(Graph().NodeCount(), 2);
  win->toolDual->trigger();
}

TEST_F(ZoziVorPanelTest, ScrollBarsFollowAFarNode) {
  TZoziVorPanel& p = StartWithArc();
  // Scroll bars: a node far to the right makes the horizontal bar scroll.
  EXPECT_FALSE(p.scrDualH->isEnabled());
  Node(2)->X = 3000;
  Graph().UpdateScrollBars();
  ASSERT_TRUE(p.scrDualH->isEnabled());
  EXPECT_EQ(p.scrDualH->minimum(), Graph().Bounds.Left);
  EXPECT_EQ(p.scrDualH->maximum(), 3030 - p.Control->width());
  EXPECT_EQ(p.scrDualH->pageStep(), p.Control->width());
  p.scrDualH->setValue(1000);
  EXPECT_EQ(Graph().Origin.X, 1000);
  p.scrDualV->setValue(5);  // disabled bars change nothing
  EXPECT_FALSE(p.scrDualV->isEnabled());
  Click(3000, Node(2)->Y);
  EXPECT_EQ(Graph().SelectedIndex, Graph().IndexOf(Node(2)));
}

TEST_F(ZoziVorPanelTest, SaveWritesTheLayoutAndOpenReadsIt) {
  TZoziVorPanel& p = Start();
  p.butDualAddSupply->trigger();
  Click(120, 80);
  p.butDualAddDemand->trigger();
  Click(310, 220);
  const std::string model = Path("net.tsm");
  f.chooser.saveAnswers = {model};
  win->mitSaveAs->trigger();
  EXPECT_FALSE(W().Modified);
  EXPECT_EQ(std::filesystem::file_size(Path("net.dnt")), 12u + 2 * 24);
  // File > Save writes the side file again with the model.
  p.butDualSelect->trigger();
  Drag({310, 220}, {330, 240});
  emit win->mnuFile->aboutToShow();
  ASSERT_TRUE(win->mitSave->isEnabled());
  win->mitSave->trigger();
  EXPECT_FALSE(W().Modified);
  const std::string bytes = [&] {
    std::ifstream in(Path("net.dnt"), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  ASSERT_EQ(bytes.size(), 12u + 2 * 24);
  EXPECT_EQ(bytes.substr(12 + 24 + 16, 4), std::string("\x4a\x01\0\0", 4));  // x = 330

  win->NewModelOfType(1);
  EXPECT_EQ(Graph().Elements.size(), 0u);
  win->OpenGivenFile(model);
  EXPECT_EQ(win->VisiblePanel(), PanelZoziVor);
  ASSERT_EQ(Graph().NodeCount(), 2);
  EXPECT_EQ(Node(1)->X, 120);
  EXPECT_EQ(Node(1)->Y, 80);
  EXPECT_EQ(Node(2)->X, 330);
  EXPECT_EQ(Node(2)->Y, 240);
  EXPECT_FALSE(W().Modified);
  EXPECT_FALSE(W().Undo.CanUndo());

  // Without its side file the model opens in a circle, still unmodified.
  std::filesystem::remove(Path("net.dnt"));
  win->OpenGivenFile(model);
  EXPECT_EQ(Graph().NodeCount(), 2);
  EXPECT_EQ(Node(1)->X, p.Control->width() - 60 - 30);
  EXPECT_FALSE(W().Modified);

  // A formula model writes none.
  win->NewModelOfType(0);
  AddVariable("a");
  f.chooser.saveAnswers = {Path("formula.tsm")};
  win->mitSaveAs->trigger();
  EXPECT_TRUE(FileExists(Path("formula.tsm")));
  EXPECT_FALSE(FileExists(Path("formula.dnt")));
}

TEST_F(ZoziVorPanelTest, LargeNetworkStaysInteractive) {
  TZoziVorPanel& p = Start();
  for (int n = 1; n <= 99; ++n)
    AddConstant(std::string(n <= 50 ? "s" : "d").append(std::to_string(n)), 1);
  int arcs = 0;
  for (int a = 1; a <= 50 && arcs < 300; ++a)
    for (int b = 51; b <= 99 && arcs < 300; b += 8, ++arcs)
      for (const char* letter : {"c", "l", "u"})
        AddConstant(std::to_string(a) + letter + std::to_string(b), 1);
  ASSERT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 999);
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  };
  const auto t0 = Clock::now();
  Graph().SyncWithModel(false);
  const auto t1 = Clock::now();
  Graph().Redraw();
  const auto t2 = Clock::now();
  p.ArrangeItems[4]->trigger();  // 100 relax steps, each redrawn
  const auto t3 = Clock::now();
  EXPECT_EQ(Graph().NodeCount(), 99);
  EXPECT_EQ(static_cast<int>(Graph().Elements.size()) - 99, 300);
  std::cout << "[ timing ] sync of 999 objects " << ms(t1 - t0) << " ms, redraw " << ms(t2 - t1)
            << " ms, relax 100 steps " << ms(t3 - t2) << " ms\n";
  // Generous bounds: this build carries the sanitizers.
  EXPECT_LT(ms(t1 - t0), 5000);
  EXPECT_LT(ms(t3 - t2), 20000);
}

}  // namespace
}  // namespace tesmira::wb
