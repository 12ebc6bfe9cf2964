#include <cmath>

#include "plot_fixture.h"

namespace {

using plots::PlotTest;
using plots::Spread;

// Evenly spaced from lo to hi, both included.
std::vector<double> Grid(int n, double lo, double hi) {
  std::vector<double> v(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<std::size_t>(i)] = lo + (hi - lo) * i / (n - 1);
  return v;
}

struct Extent {
  int left = INT_MAX, right = INT_MIN, top = INT_MAX, bottom = INT_MIN, count = 0;
};
Extent Find(const QImage& img, std::uint32_t c, const TRect& r) {
  Extent e;
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if ((img.pixel(x, y) | 0xff000000u) != c) continue;
      e.left = std::min(e.left, x), e.right = std::max(e.right, x);
      e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
      ++e.count;
    }
  }
  return e;
}

class ScatterTest : public PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    colors.clr[ClrDot] = 0x00C000;
  }
  // Dots at the corners and at (0.25, 0.25) of the box, and an overlapping pair.
  std::unique_ptr<SampleDataView> Dots() {
    auto doc = Doc({"x", "y"}, {{0, 1, 0.25, 0.75, 0.752}, {0, 1, 0.25, 0.75, 0.751}});
    doc->m_plotType = PlotScatter;
    return doc;
  }
  QPoint At(double x, double y) const {
    return QPoint(static_cast<int>(x * plot.Width() + plot.left),
                  static_cast<int>(-y * plot.Height() + plot.bottom));
  }
};

TEST_F(ScatterTest, DotsOnThePicture) {
  auto doc = Dots();
  QImage img = Render(*doc);
  const std::uint32_t dot = Rgb(colors.clr[ClrDot]);
  const QPoint a = At(0.25, 0.25);
  EXPECT_EQ(Count(img, dot, TRect{a.x() - 10, a.y() - 10, a.x() + 10, a.y() + 10}), 29);
  // Overlapping dots do not darken: only the dot colour and the background.
  const QPoint b = At(0.75, 0.75);
  const TRect around{b.x() - 8, b.y() - 8, b.x() + 10, b.y() + 8};
  EXPECT_EQ(Count(img, dot, around) + Count(img, Rgb(colors.clr[ClrBackground]), around),
            around.Width() * around.Height());
  EXPECT_GT(Count(img, dot, around), 29);
  // Dots stay inside the plot rectangle.
  EXPECT_EQ(Count(img, dot), Count(img, dot, plot));
  EXPECT_GT(Count(img, dot, TRect{plot.left, plot.bottom - 6, plot.left + 6, plot.bottom}), 0);

  // Each dot pixel is the AND of the picture and the dot colour.
  colors.clr[ClrBackground] = 0xC8C8C8;
  colors.clr[ClrDot] = 0x0000FF;
  img = Render(*doc);
  EXPECT_EQ(Px(img, a.x(), a.y()), 0xffc80000u);

  colors.ScattDot = 1;
  colors.clr[ClrBackground] = 0xFFFFFF;
  colors.clr[ClrDot] = 0x00C000;
  img = Render(*doc);
  EXPECT_EQ(Count(img, dot, TRect{a.x() - 10, a.y() - 10, a.x() + 10, a.y() + 10}), 1);
  EXPECT_EQ(Px(img, a.x(), a.y()), dot);
}

TEST_F(ScatterTest, PrinterDotsAreGrayDarkerWins) {
  auto doc = Dots();
  const QImage img = Render(*doc, 800, 600, MouseIdle, false);
  const int S = colors.ScattDot, c = S / 2;
  auto gray = [&](int di, int dj) {
    return 255 - static_cast<int>(255.0 * std::exp(-(di * di + dj * dj) / (S * std::sqrt(2.0))));
  };
  const QPoint a = At(0.25, 0.25);
  for (int dj = -c; dj < S - c; ++dj) {
    for (int di = -c; di < S - c; ++di) {
      const int v = gray(di, dj);
      EXPECT_EQ(Px(img, a.x() + di, a.y() + dj), 0xff000000u | (v << 16) | (v << 8) | v)
          << di << "," << dj;
    }
  }
  // Where two dots overlap the darker value stays.
  const QPoint p = At(0.75, 0.75), q = At(0.752, 0.751);
  const QPoint m(p.x() + 1, p.y());
  const int expected =
      std::min(gray(m.x() - p.x(), m.y() - p.y()), gray(m.x() - q.x(), m.y() - q.y()));
  EXPECT_EQ(Px(img, m.x(), m.y()) & 0xff, static_cast<std::uint32_t>(expected));
}

TEST_F(ScatterTest, ConstantVariablesSitMidAxis) {
  auto doc = Doc({"x", "y"}, {{5, 5, 5}, {2, 2, 2}});
  doc->m_plotType = PlotScatter;
  const QImage img = Render(*doc);
  const QPoint mid((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2);
  // The axes cross over the dot; what shows of it is centred there.
  const Extent e = Find(img, Rgb(colors.clr[ClrDot]), plot);
  EXPECT_EQ(e.left, mid.x() - 2);  // (±3, 0) lie under the axes
  EXPECT_EQ(e.right, mid.x() + 2);
  EXPECT_EQ(e.top, mid.y() - 2);
  EXPECT_EQ(e.bottom, mid.y() + 2);
  const QFontMetrics fm(PlotFont(PlotFonts[0]), &img);
  EXPECT_TRUE(SameIn(img, TextAlone(800, 600, plot.left, mid.y() + 5, "4", PlotFonts[0]),
                     TRect{plot.left, mid.y() + 6, plot.left + fm.horizontalAdvance("4"),
                           mid.y() + 5 + fm.height()}));
}

TEST_F(PlotTest, DensityCurves) {
  colors.var[0] = 0x00C000;
  colors.var[1] = 0xC00000;
  auto doc = Doc({"u", "c"}, {Grid(2000, 10, 20), std::vector<double>(2000, 15)});
  doc->m_plotType = PlotDensity;
  doc->m_visible[1] = 0;
  QImage img = Render(*doc);
  const Extent u =
      Find(img, Rgb(colors.var[0]), TRect{plot.left, plot.top, plot.right + 1, plot.bottom + 1});
  EXPECT_NEAR(u.left, plot.left, 1);
  EXPECT_NEAR(u.right, plot.right, 1);
  EXPECT_NEAR(u.top, plot.top, 2);  // the fit's top is the highest density

  // A constant variable: a circle of diameter 10 at its value.
  doc->m_visible[1] = 1;
  img = Render(*doc);
  const Extent c = Find(img, Rgb(colors.var[1]), plot);
  EXPECT_LE(c.right - c.left, 10);
  EXPECT_GE(c.right - c.left, 8);
  EXPECT_LE(c.bottom - c.top, 10);
  EXPECT_NEAR((c.left + c.right) / 2.0, plot.left + plot.Width() / 2.0, 2);

  // Legend: every shown variable.
  const QFontMetrics fm(PlotFont(PlotFonts[1]), &img);
  const int h = fm.height();
  for (int k = 0; k < 2; ++k) {
    const QString name = k == 0 ? "u" : "c";
    const int x = plot.right - fm.horizontalAdvance(name), y = (h + 2) * k + h;
    EXPECT_TRUE(
        SameIn(img, TextAlone(800, 600, x, y, name, PlotFonts[1]), TRect{x, y, plot.right, y + h}))
        << k;
    EXPECT_EQ(Px(img, plot.right + h + h / 2, y + h / 2), Rgb(colors.var[k]));
  }

  // Cumulative: from 0 to 1 on the y axis, the curve ends at the top.
  doc->m_visible[1] = 0;
  doc->m_densityMode = DensityCumulative;
  img = Render(*doc);
  EXPECT_EQ(doc->m_box.y0, 0.0f);
  EXPECT_EQ(doc->m_box.y1, 1.0f);
  const Extent cu =
      Find(img, Rgb(colors.var[0]), TRect{plot.left, plot.top, plot.right + 1, plot.bottom + 1});
  // The kernel puts a little mass beyond 10 and 20: within 1% of the height.
  EXPECT_NEAR(cu.top, plot.top, plot.Height() / 100);
  EXPECT_NEAR(cu.bottom, plot.bottom, plot.Height() / 100);
}

TEST_F(PlotTest, HistogramBars) {
  colors.var[0] = 0x00C000;
  colors.var[1] = 0xC00000;
  const int n = 2001;
  auto doc = Doc({"u", "w"}, {Grid(n, 10, 20), Grid(n, 0, 1)});
  doc->m_plotType = PlotHistogram;
  doc->m_visible[1] = 0;
  QImage img = Render(*doc);
  const fn::CTesploreVar& u = *doc->m_order[0];
  ASSERT_TRUE(u.Bins);
  ASSERT_EQ(u.Bins->GetNumBins(), 21);
  const double sx = plot.Width() / 10.0;
  const int bw = static_cast<int>(0.05 * plot.Width());
  const std::uint32_t bar = Rgb(colors.var[0]);
  for (int i = 0; i < 20; ++i) {
    const int left = static_cast<int>((0.5 * i) * sx) + plot.left;
    // Above the tick marks: the bar's left and right columns.
    const int y = plot.bottom - 6;
    EXPECT_EQ(Px(img, i == 0 ? left + 1 : left, y), i == 0 ? Rgb(colors.clr[ClrBackground]) : bar)
        << i;
    EXPECT_EQ(Px(img, left + bw - 1, y), bar) << i;
  }
  // The labels measure the bars: the box top is the tallest bar, which reaches
  // the top of the plot, and the top label names it.
  EXPECT_FLOAT_EQ(doc->m_box.y1, u.MaxBinHeight(n));
  const Extent e = Find(img, bar, plot);
  EXPECT_NEAR(e.top, plot.top, 1);
  const QFontMetrics fm(PlotFont(PlotFonts[0]), &img);
  const QString top = FormatGeneral(doc->m_box.y1, 2);
  const int lx = plot.left - fm.horizontalAdvance(top) - 5, ly = plot.top - fm.height() + 5;
  EXPECT_TRUE(SameIn(img, TextAlone(800, 600, lx, ly, top, PlotFonts[0]),
                     TRect{lx, std::max(ly, 0), plot.left - 5, plot.top}));

  // In one box the bar tops and the density curve agree (bars of 100 samples
  // of 2001 over half a unit: 0.1 a unit, as the density).
  doc->m_boxType = BoxManual;
  doc->m_box = TBox{10, 20, 0, 0.2f};
  img = Render(*doc);
  std::vector<int> tops;
  for (int i = 1; i < 19; ++i) {
    const int x = static_cast<int>((0.5 * i + 0.25) * sx) + plot.left;
    int y = plot.top;
    while (y < plot.bottom && Px(img, x, y) != bar) ++y;
    tops.push_back(y);
  }
  doc->m_plotType = PlotDensity;
  img = Render(*doc);
  for (int i = 1; i < 19; ++i) {
    const int x = static_cast<int>((0.5 * i + 0.25) * sx) + plot.left;
    int y = plot.top;
    while (y < plot.bottom && Px(img, x, y) != bar) ++y;
    // 0.1 per unit is half the plot height; 3 pixels are 1.2% of it.
    EXPECT_NEAR(y, tops[static_cast<std::size_t>(i - 1)], 3) << i;
    EXPECT_NEAR(y, plot.bottom - plot.Height() / 2, 3) << i;
  }

  // Without bins (smoothing 0) nothing is drawn; the legend still lists all.
  doc->m_plotType = PlotHistogram;
  doc->m_visible[1] = 1;
  doc->m_smoothing = 0;
  img = Render(*doc);
  EXPECT_EQ(Count(img, bar, plot), 0);
  const QFontMetrics f1(PlotFont(PlotFonts[1]), &img);
  for (int k = 0; k < 2; ++k) {
    const int h = f1.height();
    EXPECT_EQ(Px(img, plot.right + h + h / 2, (h + 2) * k + h + h / 2), Rgb(colors.var[k])) << k;
  }
}

}  // namespace
