#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <chrono>
#include <cmath>

#include "canonical_vine.h"
#include "dependence_panel.h"
#include "morvik_vine.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

struct PanelUi : test::FakeUi {
  TDependencePanel* panel = nullptr;
  IDependenceTree& DependenceTree() override { return panel->Tree(); }
};

// The dependence panel in vine mode over a vine of the given members.
class VineViewTest : public test::WindowTest {
 protected:
  void TearDown() override {
    panel.reset();
    WindowTest::TearDown();
  }
  // A D-vine (a chain) or canonical vine (a star) whose cell (level, member
  // k) holds level / 10 + (k mod 50) / 100 for the first levels.
  void MakeVine(const std::vector<std::string>& names, int type, int levels,
                const std::vector<std::string>& others = {}) {
    for (const std::string& n : names) AddVariable(n);
    for (const std::string& n : others) AddVariable(n);
    SyncNodes();
    SetDependenceType(nullptr, type);
    SetCurrentDependenceStructureRoot(Node(names[0].c_str()), "");
    if (type == DepDVine) {
      for (std::size_t k = 1; k < names.size(); ++k)
        ASSERT_TRUE(Attach(names[k].c_str(), names[k - 1].c_str()));
      SetDependenceType(nullptr, DepDVine);  // every node of the current structure
    } else {
      AddAllNodesToStructure();
    }
    const int n = static_cast<int>(names.size());
    // Large vines keep their values unset (setting each checks the whole vine).
    for (int level = 1; level <= levels && n <= 10; ++level)
      for (int k = 0; k < n; ++k) {
        const bool dvineCell = k < n - level;
        const bool canonicalCell = k >= level;
        if (type == DepDVine ? dvineCell : canonicalCell) {
          ASSERT_TRUE(Vine_SetCorrValue(Node(names[std::size_t(k)].c_str()), level,
                                        level / 10.0 + (k % 50) / 100.0))
              << level << " " << k;
        }
      }
    panel = std::make_unique<TDependencePanel>(pwb);
    pui.panel = panel.get();
    panel->resize(700, 500);
    panel->show();
    panel->chkDepVines->setChecked(true);
    panel->SyncDependenceButtons(false);
    panel->FillDependenceView();
    ASSERT_NE(panel->vineView, nullptr);
  }
  QImage Render() {
    QWidget* vp = panel->vineView->viewport();
    QImage image(vp->size(), QImage::Format_RGB32);
    vp->render(&image);
    return image;
  }
  QColor Colour(QPalette::ColorRole role) { return panel->vineView->palette().color(role); }
  static int Count(const QImage& image, const QColor& colour, const QRect& within) {
    int count = 0;
    for (int y = std::max(0, within.top()); y <= std::min(image.height() - 1, within.bottom()); ++y)
      for (int x = std::max(0, within.left()); x <= std::min(image.width() - 1, within.right());
           ++x)
        if (image.pixel(x, y) == colour.rgb()) ++count;
    return count;
  }
  TMorvikVine* DVine() { return dynamic_cast<TMorvikVine*>(panel->vineView); }
  QRect Rect(TVineCell c) {
    TVineRect r = DVine()->Geometry().CellRect(c, DVine()->ScrollX(), DVine()->ScrollY());
    return QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
  }
  void Click(TVineCell c, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(panel->vineView->viewport(), Qt::LeftButton, mods, Rect(c).center());
  }
  static double V(const char* n, int level) { return Vine_GetCorrValue(Node(n), level); }

  PanelUi pui;
  TWorkbench pwb{f.prompt, f.chooser, pui};
  std::unique_ptr<TDependencePanel> panel;
};

TEST_F(VineViewTest, DVineStaircaseAndTreeMode) {
  MakeVine({"a", "b", "c", "d"}, DepDVine, 3);
  TMorvikVine* view = DVine();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_FALSE(panel->treeDepends->isVisible());
  EXPECT_TRUE(view->Transcended());
  EXPECT_EQ(view->N(), 4);
  EXPECT_EQ(view->CellLabel({1, 2}), "b|c|d");
  EXPECT_EQ(view->CellText({0, 0}), "a");
  EXPECT_EQ(view->CellText({1, 2}), "0.21");
  // Each row i >= 1 draws 4 - i connectors: the last cell's left leg is
  // there, the next one's is not.
  const QImage image = Render();
  const QColor line = Colour(QPalette::Mid);
  for (int i = 1; i < 4; ++i) {
    const QRect last = Rect({3 - i, i});
    const int middle = (last.top() + last.bottom() + 1) / 2;
    EXPECT_EQ(image.pixel(last.left() + 1, middle), line.rgb()) << i;
    EXPECT_NE(image.pixel(last.left() + view->Geometry().W + 1, middle), line.rgb()) << i;
  }

  // Not transcended: the names and the first tree only.
  Vine_InitVineLevels(1);
  panel->FillDependenceView();
  ASSERT_EQ(DVine(), view);
  EXPECT_FALSE(view->Transcended());
  const QImage tree = Render();
  const QRect second = Rect({0, 2});
  EXPECT_EQ(Count(tree, line, second.adjusted(0, -4, 0, 0)), 0);
  EXPECT_GT(Count(tree, line, Rect({2, 1}).adjusted(0, -4, 0, 0)), 0);
  EXPECT_EQ(view->Geometry().Hit(0, 0, second.center().x(), second.center().y()).Y, 1);

  // A structure of another type gets a view of its own; without nodes none.
  SetDependenceType(nullptr, DepCanonicalVine);
  panel->FillDependenceView();
  EXPECT_NE(dynamic_cast<TCanonicalVine*>(panel->vineView), nullptr);
  for (const char* n : {"a", "b", "c", "d"}) Delete_TSMObject(Fetch_extended_random_variable(0, n));
  panel->FillDependenceView();
  EXPECT_EQ(panel->vineView, nullptr);
}

TEST_F(VineViewTest, TreeModeReordersTheChainByDraggingNames) {
  MakeVine({"a", "b", "c", "d"}, DepDVine, 0, {"e"});
  TMorvikVine* view = DVine();
  ASSERT_FALSE(view->Transcended());
  ASSERT_LE(Vine_IsTranscended(), 0);
  Click({0, 0});
  EXPECT_EQ(panel->treeDepends->currentItem()->text(0), "a");
  auto drop = [&](const char* source, TVineCell at, bool release) {
    QMimeData data;
    data.setData(kDepDragMime, source);
    QWidget* vp = view->viewport();
    const QPoint p = Rect(at).center();
    QDragEnterEvent enter(p, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &enter);
    QDragMoveEvent move(p, Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(vp, &move);
    const bool accepted = move.isAccepted();
    if (release) {
      QDropEvent dropped(QPointF(p), Qt::MoveAction, &data, Qt::LeftButton, {});
      QApplication::sendEvent(vp, &dropped);
    }
    return accepted;
  };
  // Over its own column the drag is refused; over another it is taken.
  EXPECT_FALSE(drop("tree", {0, 0}, false));
  EXPECT_EQ(view->DropTarget, -1);
  EXPECT_TRUE(drop("tree", {2, 1}, false));
  EXPECT_EQ(view->DropTarget, 2);
  EXPECT_EQ(view->LastCursor, 7);
  EXPECT_TRUE(drop("tree", {2, 0}, true));
  EXPECT_EQ(view->DropTarget, -1);
  // a moved after c: the chain reads b, c, a, d.
  std::vector<std::string> order;
  for (int k = 0; k < view->N(); ++k) order.push_back(view->Name(k).toStdString());
  EXPECT_EQ(order, (std::vector<std::string>{"b", "c", "a", "d"}));
  EXPECT_EQ(ParentOf("a"), "c");
  EXPECT_EQ(view->CurrentCell(), (TVineCell{2, 0}));
  ASSERT_TRUE(pwb.Undo.CanUndo());

  // A node added from the list joins the chain and the view.
  ASSERT_EQ(panel->listDepends->topLevelItemCount(), 1);
  panel->popDepListPopup();
  EXPECT_TRUE(panel->mitAddAsChild->isEnabled());
  panel->listDepends->topLevelItem(0)->setSelected(true);
  panel->mitAddAsChild->trigger();
  EXPECT_EQ(DVine()->N(), 5);

  // Once the first tree has values the chain is fixed.
  for (const char* n : {"b", "c", "a"}) ASSERT_TRUE(Vine_SetCorrValue(Node(n), 1, 0.2));
  ASSERT_GT(Vine_IsTranscended(), 0);
  EXPECT_FALSE(drop("tree", {3, 0}, false));
}

TEST_F(VineViewTest, ClicksSelectAndTheSecondClickOpensTheSlider) {
  MakeVine({"a", "b", "c", "d"}, DepDVine, 3);
  TMorvikVine* view = DVine();
  Click({1, 1});
  EXPECT_EQ(view->CurrentCell(), (TVineCell{1, 1}));
  EXPECT_EQ(panel->edDepName->text(), "b|c");
  EXPECT_EQ(panel->m_edtDepRank->text().toStdString(), FormatNumber(V("b", 1)));
  EXPECT_FALSE(panel->m_edtDepRank->isReadOnly());
  EXPECT_FALSE(panel->slider->isVisible());
  // The selected cell is painted in the selection colours, inside its cell.
  const QImage image = Render();
  const QColor lit = view->SetCellColours(true).Brush;
  const int inside = Count(image, lit, Rect({1, 1}));
  EXPECT_GT(inside, view->Geometry().H * view->Geometry().W / 4);
  // Elsewhere at most a few pixels of the text's smoothing.
  EXPECT_LT(Count(image, lit, QRect(QPoint(0, 0), image.size())) - inside, 8);

  Click({1, 1});
  ASSERT_TRUE(panel->slider->isVisible());
  EXPECT_EQ(panel->slider->track->value(), static_cast<int>(std::lround(V("b", 1) * 20)));
  EXPECT_LE(
      (panel->slider->pos() - view->viewport()->mapToGlobal(view->CurrentCellRect.bottomLeft()))
          .manhattanLength(),
      4);
  // The ends are refused for a vine: nothing changes.
  const double before = V("b", 1);
  panel->slider->track->setValue(20);
  EXPECT_EQ(V("b", 1), before);
  EXPECT_FALSE(pwb.Undo.CanUndo());
  panel->slider->track->setValue(-6);
  EXPECT_NEAR(V("b", 1), -0.3, 1e-6);
  panel->slider->hide();

  // A name cell opens no slider and leaves the correlation edit read-only.
  Click({2, 0});
  Click({2, 0});
  EXPECT_FALSE(panel->slider->isVisible());
  EXPECT_TRUE(panel->m_edtDepRank->isReadOnly());
  EXPECT_EQ(panel->m_edtDepRank->text(), "N/A");
}

TEST_F(VineViewTest, KeysMoveOnceAndF3NeedsAnEditableCorrelation) {
  MakeVine({"a", "b", "c", "d"}, DepDVine, 3);
  TMorvikVine* view = DVine();
  panel->activateWindow();
  Click({0, 0});
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(view->CurrentCell(), (TVineCell{1, 0}));
  QTest::keyClick(view, Qt::Key_F3);  // a name cell: the edit is read-only
  EXPECT_EQ(panel->DepEditMode, 0);
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(view->CurrentCell(), (TVineCell{0, 1}));
  EXPECT_EQ(panel->edDepName->text(), "a|b");
  QTest::keyClick(view, Qt::Key_F3);
  EXPECT_EQ(panel->DepEditMode, 2);
}

TEST_F(VineViewTest, OneEntryForThreeCellsAndOneUndo) {
  MakeVine({"a", "b", "c", "d"}, DepDVine, 3);
  Click({0, 1});
  Click({1, 1}, Qt::ControlModifier);
  Click({0, 2}, Qt::ControlModifier);
  Click({2, 0}, Qt::ControlModifier);  // a name cell does not join
  EXPECT_EQ(DVine()->State().SelectedCount(), 3);
  Click({0, 2}, Qt::ControlModifier);
  Click({0, 2}, Qt::ControlModifier);
  ASSERT_EQ(DVine()->CurrentCell(), (TVineCell{0, 2}));
  const double old[] = {V("a", 1), V("b", 1), V("a", 2)};
  panel->m_edtDepRank->setText("0.4");
  panel->m_edtDepRank->setModified(true);
  panel->OnEdtDepRankExit();
  EXPECT_NEAR(V("a", 1), 0.4, 1e-6);
  EXPECT_NEAR(V("b", 1), 0.4, 1e-6);
  EXPECT_NEAR(V("a", 2), 0.4, 1e-6);
  EXPECT_NEAR(V("c", 1), 0.12, 1e-6);
  ASSERT_TRUE(pwb.Undo.Undo());
  EXPECT_NEAR(V("a", 1), old[0], 1e-6);
  EXPECT_NEAR(V("b", 1), old[1], 1e-6);
  EXPECT_NEAR(V("a", 2), old[2], 1e-6);
}

TEST_F(VineViewTest, CanonicalViewReadsItsColumns) {
  MakeVine({"a", "b", "c", "d"}, DepCanonicalVine, 3);
  auto* view = dynamic_cast<TCanonicalVine*>(panel->vineView);
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  EXPECT_FALSE(panel->treeDepends->isVisible());
  EXPECT_EQ(view->CellText({0, 0}), "a");
  EXPECT_EQ(view->CellText({1, 1}), "b|a");
  EXPECT_EQ(view->CellText({2, 2}), "c|b,a");
  EXPECT_EQ(view->CellText({1, 3}), "(0.23) d");
  const TCanonicalGeometry& g = view->Geometry();
  auto click = [&](TVineCell c, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, mods,
                      QPoint(c.X * g.W + g.W / 2, c.Y * g.H + g.H / 2));
  };
  panel->popDepListPopup();
  EXPECT_FALSE(panel->mitAddAsRoot->isEnabled());  // no tree to add to
  click({2, 2});
  EXPECT_EQ(panel->edDepName->text(), "a|b|c");
  EXPECT_TRUE(panel->m_edtDepRank->isReadOnly());
  click({0, 1});
  click({1, 3}, Qt::ShiftModifier);
  EXPECT_EQ(view->State().Selected(),
            (std::vector<TVineCell>{{0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}}));
  EXPECT_EQ(panel->edDepName->text(), "d");
  // Member cells hang from the tree view's lines: the joint left of (0, 2)
  // and the vertical line on to the next member.
  const QImage image = Render();
  const QColor line = Colour(QPalette::Mid);
  const QRect member = view->CellBounds({0, 2});
  const int x0 = member.left() - panel->treeDepends->indentation() / 2 - 1;
  const int ym = member.top() + g.H / 2;
  EXPECT_EQ(image.pixel(x0 + 2, ym), line.rgb());
  EXPECT_EQ(image.pixel(x0, member.bottom()), line.rgb());
  EXPECT_EQ(Count(image, line, QRect(x0, member.bottom() + 2 + g.H, 1, g.H - 4)), 0);  // d is last

  // A second click opens the slider below the member cell, painted or not.
  click({0, 2});
  click({0, 2});
  ASSERT_TRUE(panel->slider->isVisible());
  EXPECT_EQ(panel->slider->track->value(), 2);  // 0.12 x 20 = 2.4
  EXPECT_LE(
      (panel->slider->pos() - view->viewport()->mapToGlobal(view->CellBounds({0, 2}).bottomLeft()))
          .manhattanLength(),
      4);
  panel->slider->hide();

  // Select All and Invert Selection act on the view while it shows, also
  // from the keyboard.
  click({1, 3});
  panel->mitInvert->trigger();
  EXPECT_EQ(view->State().SelectedCount(), 5);
  EXPECT_FALSE(view->IsCellSelected({1, 3}));
  panel->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  view->setFocus();
  QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view->State().SelectedCount(), 6);

  // Not transcended beyond the first tree: the tree view shows instead.
  Vine_InitVineLevels(1);
  panel->FillDependenceView();
  ASSERT_NE(panel->vineView, nullptr);
  EXPECT_FALSE(panel->vineView->isVisible());
  EXPECT_TRUE(panel->treeDepends->isVisible());
  // Leaving vine mode destroys the view.
  panel->chkDepTree->click();
  EXPECT_EQ(panel->vineView, nullptr);
}

TEST_F(VineViewTest, LargeVinesPaintOnlyTheVisibleCells) {
  using Clock = std::chrono::steady_clock;
  // A canonical vine's root holds at most 256 members below it.
  for (int type : {DepDVine, DepCanonicalVine}) {
    SCOPED_TRACE(type);
    const int n = type == DepDVine ? 1000 : 257;
    std::vector<std::string> names;
    for (int k = 1; k <= n; ++k) names.push_back(std::string("x").append(std::to_string(k)));
    if (type == DepCanonicalVine) {
      panel.reset();
      Init_data();
    }
    MakeVine(names, type, 0);
    TVineView* view = panel->vineView;
    // Shown at every level: about 500 000 cells.
    view->show();
    if (auto* dvine = DVine()) dvine->SetTranscended(true);
    const auto fill = Clock::now();
    view->Reload();
    const double reloadMs = std::chrono::duration<double, std::milli>(Clock::now() - fill).count();
    ASSERT_EQ(view->N(), n);
    const auto start = Clock::now();
    const int steps = 20;
    for (int k = 0; k < steps; ++k) {
      view->ScrollBy(QAbstractSlider::SliderPageStepAdd, k % 2);
      Render();
    }
    view->ScrollBy(QAbstractSlider::SliderToMaximum, 1);
    EXPECT_EQ(view->ScrollY(), view->verticalScrollBar()->maximum());
    EXPECT_GT(view->ScrollY(), 100);
    Render();
    const double perPaint =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count() / (steps + 1);
    std::printf("%d-member vine of type %d: reload %.1f ms, scroll and paint %.1f ms\n", n, type,
                reloadMs, perPaint);
    // Bounded by the visible cells, with room for a loaded machine and sanitizers.
    EXPECT_LT(perPaint, 250.0);
  }
}

}  // namespace
}  // namespace tesmira::wb
