// The grid widget offscreen: painting grabbed into an image, the mouse
// through real events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "nice_grid.h"
#include "ui_test_support.h"

// Font configuration keeps a cache for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace tesvane {
namespace {

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override { test::App(); }
};
const auto* const kQtEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);

// Three 80-pixel columns, rows of 18 under one header line, a 20-pixel gutter.
std::unique_ptr<TNiceGrid> MakeGrid(int rows = 6, int width = 400, int height = 300) {
  auto g = std::make_unique<TNiceGrid>();
  g->setFrameShape(QFrame::NoFrame);
  g->resize(width, height);
  g->SetColCount(3);
  g->SetRowCount(rows);
  for (int c = 0; c < 3; ++c) {
    g->Columns()[c]->SetTitle(QStringLiteral("T%1").arg(c));
    for (int r = 0; r < rows; ++r) g->SetCells(c, r, QString());
  }
  g->show();
  return g;
}

QImage Grab(TNiceGrid& g) { return g.viewport()->grab().toImage(); }

void Mouse(TNiceGrid& g, QEvent::Type type, QPoint pos, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
  QMouseEvent e(type, pos, g.viewport()->mapToGlobal(pos), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(g.viewport(), &e);
}

// Press at a, drag through the points, release at the last.
void Drag(TNiceGrid& g, QPoint a, std::initializer_list<QPoint> path) {
  Mouse(g, QEvent::MouseMove, a, Qt::NoButton, Qt::NoButton);
  Mouse(g, QEvent::MouseButtonPress, a, Qt::LeftButton, Qt::LeftButton);
  QPoint last = a;
  for (QPoint p : path) {
    Mouse(g, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    last = p;
  }
  Mouse(g, QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton);
}

TEST(NiceGridWidget, SelectionFrameIsThreePixelsInSelectionColor) {
  auto g = MakeGrid();
  g->SetDrawSelectionQ(true);
  g->SetSelectArea({1, 1, 1, 2});
  const QImage img = Grab(*g);
  const QRgb sel = QColor(255, 255, 202).rgb();
  EXPECT_EQ(g->SelectionColor().rgb(), sel);
  // Block (1,1)-(1,2) covers x 99..179, y 35..71; the ring is one pixel
  // outside to two inside.
  for (int x : {98, 99, 100, 178, 179, 180}) EXPECT_EQ(img.pixel(x, 50), sel) << x;
  for (int x : {97, 101, 177, 181}) EXPECT_NE(img.pixel(x, 50), sel) << x;
  for (int y : {34, 35, 36, 70, 71, 72}) EXPECT_EQ(img.pixel(140, y), sel) << y;
  for (int y : {33, 37, 69, 73}) EXPECT_NE(img.pixel(140, y), sel) << y;

  g->SetSelectionColor(QColor());
  EXPECT_EQ(Grab(*g).pixel(99, 50), g->GridColor().rgb());  // the cell's own border
  g->SetDrawSelectionQ(false);
  g->SetSelectionColor(QColor(255, 255, 202));
  EXPECT_EQ(Grab(*g).pixel(99, 50), g->GridColor().rgb());
}

TEST(NiceGridWidget, AlternateRowsAndDrawCellBrush) {
  auto g = MakeGrid();
  const QColor base = g->Color();
  g->SetAlternateColor(QColor(250, 200, 200));
  g->Columns()[2]->SetColor(QColor(200, 200, 250));
  const QColor green(0, 200, 0);
  g->OnDrawCell = [&](TNiceGrid*, QPainter* p, int x, int y, const QRect&, bool&) {
    if (x == 1 && y == 4) p->setBrush(green);
  };
  g->viewport()->repaint();
  const QImage img = Grab(*g);
  auto at = [&](int c, int r) { return QColor(img.pixel(20 + 80 * c + 40, 18 + 18 * r + 9)); };
  EXPECT_EQ(at(0, 0), base);
  EXPECT_EQ(at(0, 1), QColor(250, 200, 200));
  EXPECT_EQ(at(0, 2), base);
  EXPECT_EQ(at(2, 1), QColor(200, 200, 250));  // own colour: no alternation
  EXPECT_EQ(at(2, 2), QColor(200, 200, 250));
  // Exactly the inside of cell (1, 4): x 100..178, y 90..106.
  int count = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (QColor(img.pixel(x, y)) == green) {
        ++count;
        EXPECT_TRUE(x >= 100 && x <= 178 && y >= 90 && y <= 106) << x << "," << y;
      }
  EXPECT_EQ(count, 79 * 17);
}

TEST(NiceGridWidget, TitleAndCornerClicks) {
  auto g = MakeGrid();
  std::vector<int> clicked;
  g->OnHeaderClick = [&](TNiceGrid*, int c, Qt::MouseButton, Qt::KeyboardModifiers) {
    clicked.push_back(c);
  };
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(g->Col(), -1);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(130, 5));
  EXPECT_EQ(g->SelectArea(), (TNiceRect{1, 0, 1, 0}));
  g->SetRowSelect(true);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(210, 5));
  EXPECT_EQ(g->SelectArea(), (TNiceRect{2, 0, 2, 5}));
  EXPECT_EQ(clicked, (std::vector<int>{-1, 1, 2}));
  EXPECT_EQ(g->Col(), 2);
  EXPECT_EQ(g->Row(), 0);

  g->SetRowSelect(false);
  Drag(*g, QPoint(50, 5), {QPoint(130, 5), QPoint(210, 5)});
  EXPECT_EQ(g->SelectArea(), (TNiceRect{0, 0, 2, 5}));

  // Gutter: a click selects the row, dragging selects whole rows.
  std::vector<int> rows;
  g->OnGutterClick = [&](TNiceGrid*, int r, Qt::MouseButton, Qt::KeyboardModifiers) {
    rows.push_back(r);
  };
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(10, 18 + 2 * 18 + 9));
  EXPECT_EQ(g->SelectArea(), (TNiceRect{0, 2, 2, 2}));
  EXPECT_EQ(g->Col(), 0);
  EXPECT_EQ(g->Row(), 2);
  Drag(*g, QPoint(10, 18 + 18 + 9), {QPoint(10, 18 + 3 * 18 + 9), QPoint(10, 18 + 4 * 18 + 9)});
  EXPECT_EQ(g->SelectArea(), (TNiceRect{0, 1, 2, 4}));
  EXPECT_EQ(rows, (std::vector<int>{2, 1}));

  // A cell click selects it, its row under RowSelect; the right button leaves
  // everything as it is.
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(130, 50));
  EXPECT_EQ(g->SelectArea(), (TNiceRect{1, 1, 1, 1}));
  QTest::mouseClick(g->viewport(), Qt::RightButton, {}, QPoint(210, 80));
  EXPECT_EQ(g->SelectArea(), (TNiceRect{1, 1, 1, 1}));
  EXPECT_EQ(g->Col(), 1);
  g->SetRowSelect(true);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(210, 80));
  EXPECT_EQ(g->SelectArea(), (TNiceRect{0, 3, 2, 3}));
}

TEST(NiceGridWidget, ColumnResizing) {
  auto g = MakeGrid();
  // The border of column 0 is at x = 100, also in a data row.
  Drag(*g, QPoint(100, 60), {QPoint(140, 60)});
  EXPECT_EQ(g->ColWidths(0), 120);
  Drag(*g, QPoint(140, 60), {QPoint(21, 60)});
  EXPECT_EQ(g->ColWidths(0), 5);

  auto f = MakeGrid();
  f->SetFitToWidth(true);
  const int room = f->ColWidths(0) + f->ColWidths(1);
  const int last = f->ColWidths(2);
  const int w0 = f->ColWidths(0);
  const int b0 = 20 + w0;
  Drag(*f, QPoint(b0, 60), {QPoint(b0 - 30, 60)});
  EXPECT_EQ(f->ColWidths(0) + f->ColWidths(1), room);
  EXPECT_EQ(f->ColWidths(2), last);
  EXPECT_EQ(f->ColWidths(0), w0 - 30);
  // Dragging the last border does nothing.
  const int b2 = f->viewport()->width() - 1;
  EXPECT_EQ(f->Core().HitTest(b2, 60), nhBorder);
  Drag(*f, QPoint(b2, 60), {QPoint(b2 - 50, 60)});
  EXPECT_EQ(f->ColWidths(2), last);
}

TEST(NiceGridWidget, CursorPerHitKind) {
  EXPECT_EQ(TNiceGrid::CursorOf(nhNone).shape(), Qt::ArrowCursor);
  EXPECT_EQ(TNiceGrid::CursorOf(nhCell).shape(), Qt::CrossCursor);
  EXPECT_EQ(TNiceGrid::CursorOf(nhBorder).shape(), Qt::SplitHCursor);
  EXPECT_EQ(TNiceGrid::CursorOf(nhCorner).shape(), Qt::BitmapCursor);
  EXPECT_EQ(TNiceGrid::CursorOf(nhHeader).shape(), Qt::BitmapCursor);
  EXPECT_EQ(TNiceGrid::CursorOf(nhGutter).shape(), Qt::BitmapCursor);
  auto g = MakeGrid();
  Mouse(*g, QEvent::MouseMove, QPoint(100, 60), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(g->viewport()->cursor().shape(), Qt::SplitHCursor);
  Mouse(*g, QEvent::MouseMove, QPoint(60, 60), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(g->viewport()->cursor().shape(), Qt::CrossCursor);
}

TEST(NiceGridWidget, KeysClipboardAndEditor) {
  auto g = MakeGrid(4);
  g->setFocus();
  QTest::keyClicks(g.get(), "12");
  QTest::keyClick(g.get(), Qt::Key_Return);
  EXPECT_EQ(g->Cells(0, 0), "12");
  EXPECT_EQ(g->Row(), 1);
  QTest::keyClick(g.get(), Qt::Key_Up, Qt::ShiftModifier);
  QTest::keyClick(g.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("12\r\n\r\n"));
  QGuiApplication::clipboard()->setText(QStringLiteral("a\tb\r\nc\td\r\n"));
  QTest::keyClick(g.get(), Qt::Key_Home, Qt::ControlModifier);
  QTest::keyClick(g.get(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(g->Cells(1, 1), "d");

  // A click on the current cell opens the editor; its text goes to the cell.
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(60, 27));
  ASSERT_TRUE(g->Editing());
  QTest::keyClicks(g->Editor(), "z");
  EXPECT_EQ(g->Cells(0, 0), "az");
  QTest::keyClick(g->Editor(), Qt::Key_Return);
  EXPECT_FALSE(g->Editing());
  // A double click on another cell selects it, then opens the editor there.
  int doubles = 0;
  g->OnDblClick = [&](TNiceGrid*) { ++doubles; };
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(140, 45));
  EXPECT_FALSE(g->Editing());
  QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, QPoint(140, 45));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 1);
  EXPECT_TRUE(g->Editing());
  QTest::keyClick(g->Editor(), Qt::Key_Escape);
  g->SetReadOnly(true);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(60, 27));
  EXPECT_FALSE(g->Editing());

  // A disabled grid ignores keys and clicks.
  g->SetEnabled(false);
  QTest::keyClick(g.get(), Qt::Key_Down);
  QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(140, 60));
  EXPECT_EQ(g->Row(), 0);
  EXPECT_EQ(g->Col(), 0);
}

TEST(NiceGridWidget, TypingShowsCaretAfterText) {
  auto g = MakeGrid(4);
  g->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(g.get()));
  g->setFocus();
  ASSERT_TRUE(g->hasFocus());
  // A 1-pixel column, DefRowHeight - 2 high, in the text colour, just after
  // the text of cell (0, 0), whose inner rectangle starts at (23, 19).
  auto caretX = [&]() {
    const QImage img = Grab(*g);
    const QRgb ink = g->palette().color(QPalette::Text).rgb();
    for (int x = 23; x < 96; ++x) {
      int run = 0;
      for (int y = 18; y < 34; ++y) run += img.pixel(x, y) == ink;
      if (run == 16) return x;
    }
    return -1;
  };
  EXPECT_EQ(caretX(), -1);
  QTest::keyClick(g.get(), Qt::Key_1);
  const int afterOne = caretX();
  EXPECT_GT(afterOne, 24);
  QTest::keyClick(g.get(), Qt::Key_2);
  EXPECT_GT(caretX(), afterOne);
  QTest::keyClick(g.get(), Qt::Key_Return);
  EXPECT_EQ(caretX(), -1);
}

TEST(NiceGridWidget, ScrollBarsAndWheel) {
  auto g = MakeGrid(100);
  QScrollBar* bar = g->verticalScrollBar();
  EXPECT_TRUE(bar->isVisible());
  EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
  EXPECT_EQ(bar->maximum(), g->Core().MaxVertOffset());
  EXPECT_EQ(bar->singleStep(), 18);
  EXPECT_EQ(bar->pageStep(), 90);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(g->Core().VertOffset(), 18);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(g->Core().VertOffset(), 108);
  QWheelEvent wheel(QPointF(50, 50), g->viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(g->viewport(), &wheel);
  EXPECT_EQ(g->Core().VertOffset(), 228);
  EXPECT_EQ(bar->value(), 228);
  g->SetDefRowHeight(20);
  EXPECT_EQ(bar->singleStep(), 20);
  EXPECT_EQ(bar->pageStep(), 100);
}

}  // namespace
}  // namespace tesvane

namespace tesvane {
namespace {

// A number column narrower than its number draws "###", also through a
// handler that paints the cell itself; a text column draws its text.
TEST(NiceGridWidget, TooNarrowNumbersDrawHashes) {
  auto drawn = [](const QString& text, bool number, bool handler) {
    auto g = MakeGrid(2);
    g->Columns()[0]->NumberText = number;
    g->Columns()[0]->SetHorzAlign(haRight);
    g->SetCells(0, 0, text);
    if (handler)
      g->OnDrawCell = [](TNiceGrid* s, QPainter* p, int x, int y, const QRect& rc, bool& h) {
        p->fillRect(rc.adjusted(0, 0, -1, -1), p->brush());
        s->DrawShownText(*p, x, y, rc);
        h = true;
      };
    g->viewport()->repaint();
    // The first cell's inside.
    return Grab(*g).copy(QRect(21, 19, 78, 16));
  };
  const QString wide = "-123456789012.5";
  for (bool handler : {false, true}) {
    SCOPED_TRACE(handler);
    EXPECT_EQ(drawn(wide, true, handler), drawn("###", false, handler));
    EXPECT_NE(drawn(wide, false, handler), drawn("###", false, handler));
    EXPECT_EQ(drawn("-1.5", true, handler), drawn("-1.5", false, handler));
  }
}

}  // namespace
}  // namespace tesvane
