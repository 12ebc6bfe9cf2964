#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <chrono>

#include "dependence_panel.h"
#include "main_window.h"
#include "pairing_choices.h"
#include "ud_vine_view.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

struct UDPanelUi : test::FakeUi {
  TDependencePanel* panel = nullptr;
  IDependenceTree& DependenceTree() override { return panel->Tree(); }
  void RebuildUserVineLevels() override {
    ++vineRebuilds;
    panel->RebuildUserVine();
  }
};

// The dependence panel in vine mode over a user-defined vine whose first
// tree is given as (parent, child) links under a root.
class UDVineViewTest : public test::WindowTest {
 protected:
  void TearDown() override {
    panel.reset();
    WindowTest::TearDown();
  }
  void MakeVine(const char* root, const std::vector<std::pair<const char*, const char*>>& links) {
    AddVariable(root);
    for (const auto& l : links) AddVariable(l.second);
    SyncNodes();
    for (const auto& l : links) ASSERT_TRUE(Attach(l.second, l.first));
    SetCurrentDependenceStructureRoot(Node(root), "");
    ASSERT_EQ(SetDependenceType(nullptr, DepUserVine), 1);
    for (const auto& l : links) ASSERT_TRUE(Vine_SetCorrValue(Node(l.second), 1, 0.5));
    panel = std::make_unique<TDependencePanel>(pwb);
    pui.panel = dep = panel.get();
    panel->resize(700, 500);
    panel->show();
    panel->chkDepVines->setChecked(true);
    panel->SyncDependenceButtons(false);
    panel->FillDependenceView();
    ASSERT_NE(UD(), nullptr);
    // Only the first tree so far: the tree view shows until the vine is
    // transcended, which builds the levels.
    EXPECT_FALSE(UD()->isVisible());
    ASSERT_TRUE(panel->butVineTranscend->isEnabled());
    panel->butVineTranscend->click();
    ASSERT_EQ(UD(), panel->vineView);
    ASSERT_TRUE(UD()->isVisible());
  }
  TUDVine* UD() { return dynamic_cast<TUDVine*>(dep->vineView); }
  QPoint View(TUDPoint p) { return {p.x - UD()->ScrollX(), p.y - UD()->ScrollY()}; }
  const TUDWidget& Widget() { return UD()->UDLayout().Widgets().at(0); }
  QPoint ConnectorMiddle(int index) {
    for (const TUDConnector& c : Widget().connectors)
      if (c.index == index) return View(c.Middle());
    ADD_FAILURE() << index;
    return {};
  }
  void Send(QEvent::Type type, QPoint at) {
    QWidget* vp = UD()->viewport();
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, vp->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(vp, &e);
  }
  // Presses at one point, moves to the next ones and releases at the last.
  void Drag(const std::vector<QPoint>& points) {
    Send(QEvent::MouseButtonPress, points.front());
    for (std::size_t k = 1; k < points.size(); ++k) Send(QEvent::MouseMove, points[k]);
    Send(QEvent::MouseButtonRelease, points.back());
  }
  QImage Render() {
    QWidget* vp = UD()->viewport();
    QImage image(vp->size(), QImage::Format_RGB32);
    vp->render(&image);
    return image;
  }

  UDPanelUi pui;
  TWorkbench pwb{f.prompt, f.chooser, pui};
  std::unique_ptr<TDependencePanel> panel;
  TDependencePanel* dep = nullptr;  // the panel shown
};

TEST_F(UDVineViewTest, StarWaitsForTheConnectorReleasedOn) {
  MakeVine("r", {{"r", "x"}, {"r", "y"}, {"r", "z"}});
  TUDVine* view = UD();
  EXPECT_EQ(view->VineType(), 4);
  // The type combo lists no user-defined vine: it names none rather than
  // another type.
  EXPECT_EQ(dep->chkVinesType->currentText(), "");
  ASSERT_EQ(view->Levels().LevelCount(), 2);
  EXPECT_TRUE(view->Levels().Top()->Incomplete);
  ASSERT_EQ(Widget().connectors.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Widget().connectors[std::size_t(i)].index, i);

  // The waiting node r is dark red with white text; its widget lists the
  // three edges.
  const QImage image = Render();
  // Select All and Invert Selection have nothing to act on here.
  panel->UpdateMenuItems();
  EXPECT_FALSE(panel->mitSelectAll->isEnabled());
  EXPECT_FALSE(panel->mitInvert->isEnabled());
  const int top = view->UDLayout().Row(1, 0) * view->RowHeight() - view->ScrollY();
  const int left = view->UDLayout().LevelLeft(1) - view->ScrollX();
  EXPECT_EQ(image.pixelColor(left + 1, top + 1), QColor(128, 0, 0));
  EXPECT_EQ(UDWidgetRowText(*Widget().vertex, 2), "r|z");

  // Pressed on connector 1, it shows a red cross until the pointer leaves
  // it; released away from it, nothing is stored.
  const QPoint on = ConnectorMiddle(1);
  const QColor red(Qt::red);
  Send(QEvent::MouseButtonPress, on);
  EXPECT_TRUE(view->Track().onConnector);
  EXPECT_EQ(Render().pixelColor(on + QPoint(3, 3)), red);
  Send(QEvent::MouseMove, QPoint(left + 180, top + 2));
  EXPECT_NE(Render().pixelColor(on + QPoint(3, 3)), red);
  Send(QEvent::MouseButtonRelease, QPoint(left + 180, top + 2));
  EXPECT_TRUE(pwb.PairingChoices.empty());
  EXPECT_FALSE(view->Track().onConnector);
  EXPECT_EQ(view->Levels().LevelCount(), 2);

  // Released on it: the choice is stored and every level is built.
  Drag({on, QPoint(left + 180, top + 2), on + QPoint(0, 2)});
  EXPECT_EQ(pwb.PairingChoices, (TPairingChoices{{1, 1, 1}}));
  ASSERT_EQ(view->Levels().LevelCount(), 3);
  EXPECT_FALSE(view->Levels().Top()->Incomplete);
  EXPECT_EQ(view->CellLabel({1, 1}), "r|z");
  EXPECT_EQ(view->CellLabel({1, 2}), "r|y");
  EXPECT_EQ(view->NodeAt({1, 2})->parent, view->NodeAt({1, 1}));
  EXPECT_EQ(pwb.Undo.ActionCaption(true), "Transcend");

  // Undoing the choice removes it and the view waits again.
  const int rebuilds = pui.vineRebuilds;  // Transcend was one
  ASSERT_TRUE(pwb.Undo.Undo());
  EXPECT_TRUE(pwb.PairingChoices.empty());
  EXPECT_EQ(pui.vineRebuilds, rebuilds + 1);
  EXPECT_EQ(UD()->Levels().LevelCount(), 2);
  EXPECT_TRUE(UD()->Levels().Top()->Incomplete);
}

TEST_F(UDVineViewTest, RetranscendFromTheCurrentLevel) {
  MakeVine("q", {{"q", "a"}, {"a", "r"}, {"r", "x"}, {"r", "y"}, {"r", "z"}});
  TUDVine* view = UD();
  AddPairingChoice(pwb, 1, 3, 1);
  AddPairingChoice(pwb, 2, 2, 0);
  view->Rebuild();
  ASSERT_EQ(view->Levels().LevelCount(), 4);

  // The pop-up's item needs a cell above the first level.
  auto popUp = [&] {
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5),
                        view->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(view->viewport(), &e);
    EXPECT_TRUE(view->popUDVine->isVisible());
    const bool enabled = view->mitRetranscend->isEnabled();
    view->popUDVine->hide();
    return enabled;
  };
  view->SetCurrentCell({0, 1});
  EXPECT_FALSE(popUp());
  view->SetCurrentCell({2, 0});
  ASSERT_TRUE(popUp());
  view->mitRetranscend->trigger();
  EXPECT_EQ(pwb.PairingChoices, (TPairingChoices{{1, 3, 1}}));
  EXPECT_EQ(view->Levels().LevelCount(), 3);
  EXPECT_TRUE(view->Levels().Top()->Incomplete);
  // One undo brings the level-2 choice and its levels back.
  ASSERT_TRUE(pwb.Undo.Undo());
  EXPECT_EQ(UD()->Levels().LevelCount(), 4);
}

TEST_F(UDVineViewTest, APathOf200BuildsEveryLevelWithinASecond) {
  std::vector<std::string> names;
  for (int i = 0; i < 200; ++i) names.push_back("member_" + std::to_string(i));
  std::vector<std::pair<const char*, const char*>> links;
  for (int i = 1; i < 200; ++i) links.push_back({names[i - 1].c_str(), names[i].c_str()});
  MakeVine(names[0].c_str(), links);
  const auto start = std::chrono::steady_clock::now();
  UD()->Rebuild();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("user-defined vine, path of 200: %d levels built and laid out in %.3f s\n",
              UD()->Levels().LevelCount(), seconds);
  EXPECT_EQ(UD()->Levels().LevelCount(), 199);
  EXPECT_LT(seconds, 1.0);
  // Wide labels went over to letters: "member_0|member_1" is too long.
  EXPECT_EQ(UD()->Levels().Level(1)->At(0)->Label(), "A|B");
  EXPECT_EQ(UD()->CellLabel({1, 0}), "member_0|member_1");
}

TEST_F(UDVineViewTest, AModelFileOpensInTheViewAndUndoRebuildsIt) {
  // A model like the bundled example: a source, a hub and three districts,
  // transcended once.
  const char* districts[] = {"district_north", "district_south", "district_east"};
  for (const char* n : {"source", "hub"}) AddVariable(n);
  for (const char* n : districts) AddVariable(n);
  SyncNodes();
  ASSERT_TRUE(Attach("hub", "source"));
  for (const char* n : districts) ASSERT_TRUE(Attach(n, "hub"));
  SetCurrentDependenceStructureRoot(Node("source"), "supply");
  ASSERT_EQ(SetDependenceType(nullptr, DepUserVine), 1);
  ASSERT_TRUE(Vine_SetCorrValue(Node("hub"), 1, 0.8));
  for (const char* n : districts) ASSERT_TRUE(Vine_SetCorrValue(Node(n), 1, 0.5));
  ASSERT_TRUE(Vine_SetCorrValue(Node("district_east"), 2, 0.0));
  SetCurrentDependenceStructureRoot(nullptr, "");
  Mark_AllTSMObjectsSelected(true);
  const std::string path = Path("ud_vine.tsm");
  ASSERT_GT(WriteTSMFile(path.c_str()), 0);
  Init_data();

  auto& w = Open();
  w.show();
  w.OpenGivenFile(path);
  w.mitViewDep->trigger();
  dep = w.DependencePanel();
  dep->chkDepVines->click();
  ASSERT_NE(UD(), nullptr);
  ASSERT_TRUE(UD()->isVisible());
  // The hub waits in the second tree; the edge source-hub leads into it.
  ASSERT_EQ(UD()->Levels().LevelCount(), 2);
  EXPECT_TRUE(Widget().circle);
  EXPECT_EQ(Widget().pending->FullLabel(), "source|hub");

  const QPoint on = ConnectorMiddle(0);
  Drag({on, on + QPoint(1, 0)});
  ASSERT_EQ(UD()->Levels().LevelCount(), 4);
  EXPECT_EQ(UD()->CellLabel({1, 1}), "hub|district_east");
  EXPECT_EQ(w.Workbench().PairingChoices, (TPairingChoices{{1, 2, 0}}));
  emit w.mnuEdit->aboutToShow();
  EXPECT_EQ(w.mitUndo->text(), "Undo Transcend");
  w.mitUndo->trigger();
  EXPECT_TRUE(w.Workbench().PairingChoices.empty());
  EXPECT_EQ(UD()->Levels().LevelCount(), 2);
  EXPECT_TRUE(UD()->Levels().Top()->Incomplete);
}

}  // namespace
}  // namespace tesmira::wb
