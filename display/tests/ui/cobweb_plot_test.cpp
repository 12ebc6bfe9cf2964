#include <fstream>
#include <random>

#include "plot_fixture.h"
#include "ui/fast_cobweb.h"
#include "ui/tesplore_view.h"

namespace {

using plots::PlotTest;

TEST_F(PlotTest, LayoutFollowsTheFonts) {
  QImage img(640, 480, QImage::Format_RGB32);
  for (int size : {8, 14}) {
    const QFont fonts[2] = {QFont("DejaVu Sans", size), QFont("DejaVu Sans", size + 4)};
    const QFontMetrics f0(PlotFont(fonts[0]), &img), f1(PlotFont(fonts[1]), &img);
    const TRect P = PlotLayout(TRect{10, 20, 610, 470}, fonts, &img);
    const int tw = f0.horizontalAdvance("0"), th = f0.height(), th1 = f1.height();
    // The margins also hold the widest value label beside the axes.
    const int label = std::max({f0.horizontalAdvance("-0.00088"), f0.horizontalAdvance("-8.8e+88"),
                                f0.horizontalAdvance("-8.8e-88")});
    EXPECT_EQ(P, (TRect{10 + std::max(7 * tw, label + 9), 20 + 3 * th1 + th,
                        610 - std::max(8 * tw, label + 2), 470 - 2 * th}))
        << size;
    EXPECT_GE(P.left - 10, label + 5) << size;
  }
}

TEST_F(PlotTest, NothingToDraw) {
  auto empty = Doc({}, {});
  for (std::int32_t type : {PlotCobwebs, PlotMarginals, PlotScatter, PlotDensity, PlotHistogram}) {
    empty->m_plotType = type;
    const QImage img = Render(*empty, 400, 300);
    const QImage text = TextAlone(400, 300, plot.Width() / 2, plot.Height() / 2,
                                  "No samples loaded :(", PlotFonts[0]);
    EXPECT_TRUE(SameIn(img, text, TRect{0, 0, 400, 300})) << type;
  }
  auto one = Doc({"a", "b"}, {plots::Spread(50, 0, 1), plots::Spread(50, 0, 1)});
  one->m_visible[1] = 0;
  QImage img = Render(*one, 400, 300);
  EXPECT_TRUE(SameIn(img,
                     TextAlone(400, 300, plot.Width() / 2, plot.Height() / 2,
                               "Select more variables", PlotFonts[0]),
                     TRect{0, 0, 400, 300}));
  one->m_plotType = PlotMarginals;
  img = Render(*one, 400, 300);
  EXPECT_GT(Count(img, Rgb(colors.clr[ClrFill])), 100);
  one->m_plotType = PlotScatter;
  one->m_scatterY = -1;
  img = Render(*one, 400, 300);
  EXPECT_TRUE(SameIn(img,
                     TextAlone(400, 300, plot.Width() / 2, plot.Height() / 2,
                               "Select more variables", PlotFonts[0]),
                     TRect{0, 0, 400, 300}));
}

TEST_F(PlotTest, SamplesSelectedCount) {
  auto doc = Doc({"a", "b"}, {plots::Spread(100, 0, 1), plots::Spread(100, 0, 1)});
  doc->m_cobwebScale = ScaleNatural;  // sample i at i / 99
  doc->m_order[0]->Range.Combine(0.0f, 0.37f, fn::SelectReplace);
  doc->UpdateFilter();
  ASSERT_EQ(doc->CountSelected(), 37);
  const QImage img = Render(*doc, 600, 400);
  const QFontMetrics fm(PlotFont(PlotFonts[0]), &img);
  const int y = plot.top - 3 * fm.height() - 8;
  const QImage text = TextAlone(600, 400, 7, y, "Samples selected: 37", PlotFonts[0]);
  const int w = fm.horizontalAdvance("Samples selected: ");
  EXPECT_TRUE(SameIn(img, text, TRect{0, std::max(0, y), 7 + w, y + fm.height()}));
  EXPECT_TRUE(SameIn(img, TextAlone(600, 400, 7 + w + 2, y, "37", PlotFonts[0]),
                     TRect{7 + w + 2, std::max(0, y), 7 + w + 40, y + fm.height()}));
}

TEST_F(PlotTest, CobwebLineIsBresenham) {
  // Only sample 0 passes the filter: from the bottom of axis 0 to the top of axis 1.
  auto doc = Doc({"a", "b"}, {{0, 1, 1}, {1, 1, 0}});
  doc->m_cobwebScale = ScaleNatural;
  doc->m_order[0]->Range.Combine(0.0f, 0.1f, fn::SelectReplace);
  doc->UpdateFilter();
  const QImage img = Render(*doc);
  const int x0 = plot.left, x1 = plot.right, y0 = plot.bottom, y1 = plot.top;
  const std::uint32_t val0 = Rgb(colors.val[0]);
  for (int x = x0 + 5; x <= x1 - 5; ++x) {
    int n = 0, at = -1;
    for (int y = plot.top; y <= plot.bottom; ++y) {
      if (Px(img, x, y) == val0) {
        ++n;
        at = y;
      }
    }
    ASSERT_EQ(n, 1) << x;
    const double ideal = y0 + double(y1 - y0) * (x - x0) / (x1 - x0);
    EXPECT_LE(std::abs(at - ideal), 0.5 + 1e-9) << x;
  }
}

TEST_F(PlotTest, CobwebColoursByLevel) {
  const std::vector<double> v = {0, 0.25, 0.26, 0.5, 0.75, 0.999, 1.0};
  auto doc = Doc({"a", "b"}, {v, v});  // horizontal lines, one per sample
  doc->m_cobwebScale = ScaleNatural;
  struct Case {
    int levels;
    std::vector<int> index;
  };
  for (const Case& c : {Case{4, {0, 0, 1, 1, 2, 3, 3}}, Case{1, {0, 0, 0, 0, 0, 0, 0}}}) {
    colors.ColormapSize = c.levels;
    const QImage img = Render(*doc);
    const int x = (plot.left + plot.right) / 2;
    for (std::size_t s = 0; s < v.size(); ++s) {
      const int y = static_cast<int>(plot.bottom - static_cast<float>(v[s]) * plot.Height());
      EXPECT_EQ(Px(img, x, y), Rgb(colors.val[c.index[s]])) << c.levels << " " << v[s];
    }
  }
}

TEST_F(PlotTest, RangeSelectionDrawsTwoColours) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<double> a(300), b(300), c(300);
  for (int i = 0; i < 300; ++i) a[i] = u(gen), b[i] = u(gen), c[i] = u(gen);
  auto doc = Doc({"a", "b", "c"}, {a, b, c});
  doc->m_order[1]->Range.Combine(0.4f, 0.6f, fn::SelectReplace);
  doc->UpdateFilter();
  const QImage img = Render(*doc, 800, 600, MouseRangeSelection);
  const std::uint32_t in = Rgb(colors.clr[ClrSelected]), out = Rgb(colors.clr[ClrNotSelected]);
  std::map<std::uint32_t, int> seen;
  const int n = 3;
  for (int k = 0; k + 1 < n; ++k) {
    const int xa = k * plot.Width() / (n - 1) + plot.left,
              xb = (k + 1) * plot.Width() / (n - 1) + plot.left;
    for (int y = plot.top; y <= plot.bottom; ++y) {
      for (int x = xa + 5; x <= xb - 5; ++x) ++seen[Px(img, x, y)];
    }
  }
  seen.erase(Rgb(colors.clr[ClrBackground]));
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_GT(seen[in], 0);
  EXPECT_GT(seen[out], seen[in]);
  // A line inside the filter lies on top: every pixel of its first segment is clr7.
  for (int s = 0; s < 300; ++s) {
    if (!doc->Filter()[s]) continue;
    const int x = plot.left + plot.Width() / 4;
    const float ya = doc->ScaledValues(*doc->m_order[0], 0)[s],
                yb = doc->ScaledValues(*doc->m_order[1], 0)[s];
    const int xa = plot.left, xb = plot.left + plot.Width() / 2;
    const double y = plot.bottom - (ya + (yb - ya) * double(x - xa) / (xb - xa)) * plot.Height();
    bool found = false;
    for (int dy = -1; dy <= 1; ++dy)
      found = found || Px(img, x, static_cast<int>(std::lround(y)) + dy) == in;
    EXPECT_TRUE(found) << s;
  }
}

// Band by band, on threads, equals drawing each line across all axes in turn,
// once the axis columns are drawn over.
TEST_F(PlotTest, BandedDrawingEqualsSequential) {
  std::mt19937 gen(11);
  TCobwebLines lines;
  lines.x = {10, 37, 100, 101, 160, 299};
  lines.count = 500;
  std::uniform_int_distribution<int> row(-20, 220), colour(0, 0xffffff);
  for (std::size_t i = 0; i < lines.x.size() * 500; ++i) lines.y.push_back(row(gen));
  for (int j = 0; j < 500; ++j) lines.colour.push_back(0xff000000u | colour(gen));
  auto axes = [&](QImage& img) {
    for (int x : lines.x) {
      for (int y = 5; y <= 195; ++y) img.setPixel(x, y, 0xff000000u);
    }
  };
  QImage sequential(320, 200, QImage::Format_RGB32);
  sequential.fill(Qt::white);
  for (int j = 0; j < 500; ++j) {
    TCobwebLines one;
    one.x = lines.x;
    one.count = 1;
    for (std::size_t k = 0; k < lines.x.size(); ++k) one.y.push_back(lines.y[k * 500 + j]);
    one.colour = {lines.colour[j]};
    DrawCobwebLines(sequential, one, 5, 195, 1);
  }
  axes(sequential);
  for (int threads : {1, 2, 3, 8}) {
    QImage img(320, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    DrawCobwebLines(img, lines, 5, 195, threads);
    for (int y = 0; y < 200; ++y) {
      for (int x = 0; x < 320; ++x) {
        if ((y < 5 || y > 195) && img.pixel(x, y) != 0xffffffffu)
          FAIL() << "outside the rows " << x << "," << y;
      }
    }
    axes(img);
    EXPECT_EQ(img, sequential) << threads;
  }
}

// Without antialiasing every pixel is a palette colour, so the 8-bit export is exact.
TEST_F(PlotTest, EveryPixelIsAPaletteColour) {
  std::mt19937 gen(5);
  std::normal_distribution<double> g(0, 1);
  std::vector<std::vector<double>> cols(4, std::vector<double>(400));
  for (auto& c : cols) {
    for (double& x : c) x = std::exp(g(gen));
  }
  auto doc = Doc({"alpha", "beta", "gamma", "delta"}, cols);
  doc->m_order[2]->Range.Combine(0.2f, 0.8f, fn::SelectReplace);
  doc->UpdateFilter();
  const TPalette pal = BuildPalette(colors);
  const std::set<std::uint32_t> allowed(pal.begin(), pal.begin() + PaletteOwn);
  struct Case {
    std::int32_t type, scale;
    std::uint32_t cross;
    int mouse;
  };
  const Case cases[] = {{PlotCobwebs, 0, 0, 0},   {PlotCobwebs, 1, 1, 0}, {PlotCobwebs, 2, 0, 1},
                        {PlotMarginals, 0, 0, 0}, {PlotDensity, 0, 0, 0}, {PlotHistogram, 0, 0, 0}};
  for (const Case& c : cases) {
    doc->m_plotType = c.type;
    doc->m_cobwebScale = c.scale;
    doc->m_crossDensity = c.cross;
    doc->UpdateFilter();
    const QImage img = Render(*doc, 700, 500, c.mouse);
    int bad = 0;
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) bad += allowed.count(Px(img, x, y)) == 0;
    }
    EXPECT_EQ(bad, 0) << c.type << " " << c.scale;
  }
}

TEST_F(PlotTest, OneFilledAreaPerMarginal) {
  std::mt19937 gen(9);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<std::vector<double>> cols(3, std::vector<double>(500));
  for (auto& c : cols) {
    for (double& x : c) x = u(gen);
  }
  colors.clr[ClrFill] = 0x00C000;  // a colour no other element uses
  auto doc = Doc({"a", "b", "c"}, cols);
  doc->m_plotType = PlotMarginals;
  QImage img = Render(*doc, 800, 600);
  EXPECT_EQ(ColumnRuns(img, Rgb(colors.clr[ClrFill])), 3);

  // The strip above two cobweb axes: one marginal; none when the picture is low.
  doc->m_visible[2] = 0;
  doc->m_plotType = PlotCobwebs;
  doc->m_crossDensity = 1;
  img = Render(*doc, 800, 600);
  EXPECT_EQ(ColumnRuns(img, Rgb(colors.clr[ClrFill])), 1);
  img = Render(*doc, 800, 110);
  EXPECT_EQ(Count(img, Rgb(colors.clr[ClrFill])), 0);
}

TEST_F(PlotTest, TextsAndNumbers) {
  EXPECT_EQ(FormatGeneral(12.34, 2), "12");
  EXPECT_EQ(FormatGeneral(0.0001234, 2), "0.00012");
  EXPECT_EQ(FormatGeneral(1234567, 2), "1.2e+06");
  EXPECT_EQ(FormatGeneral(-0.5, 3), "-0.5");
  EXPECT_EQ(FormatFixed(1 - 3 * 0.1, 2), "0.70");
  EXPECT_EQ(FormatFixed(1 - 10 * 0.1, 2), "0.00");
  EXPECT_EQ(FormatFactor(12.345), "12.30");
  EXPECT_EQ(FormatFactor(0.98765), "0.99");

  // The fractions beside the first percentile axis.
  auto doc = Doc({"a", "b"}, {plots::Spread(100, 0, 1), plots::Spread(100, 0, 1)});
  const QImage img = Render(*doc, 800, 600);
  const QFontMetrics fm(PlotFont(PlotFonts[0]), &img);
  const int w0 = fm.horizontalAdvance("0.00");
  for (int j = 0; j <= 10; ++j) {
    const QString t = FormatFixed(1 - j * 0.1, 2);
    const int y = plot.Height() * j / 10 + plot.top - fm.height() / 2;
    const int x = plot.left - 5 - w0;
    EXPECT_TRUE(SameIn(img, TextAlone(800, 600, x, y, t, PlotFonts[0]),
                       TRect{x, y + 2, x + fm.horizontalAdvance(t), y + fm.height() - 2}))
        << t.toStdString();
  }
}

TEST_F(PlotTest, NamesInStaggeredRows) {
  // Long names on close axes take further rows; the selected one is bold.
  std::vector<std::string> names;
  std::vector<std::vector<double>> cols;
  for (int i = 0; i < 8; ++i) {
    names.push_back("variable_" + std::to_string(i));
    cols.push_back(plots::Spread(20, i, i + 1));
  }
  auto doc = Doc(names, cols);
  doc->m_selectedVar = 3;
  const QImage img = Render(*doc, 500, 400);
  const QFontMetrics fm(PlotFont(PlotFonts[1]), &img);
  QFont bold = PlotFonts[1];
  bold.setBold(true);
  const int h = fm.height();
  const int n = 8;
  std::vector<int> right(static_cast<std::size_t>(std::max(1, (plot.top - 5) / h)), 0);
  for (int k = 0; k < n; ++k) {
    const int x = k * plot.Width() / (n - 1) + plot.left;
    const QFont f = k == 3 ? bold : PlotFonts[1];
    QString name = QString::fromStdString(names[k]);
    int w = QFontMetrics(PlotFont(f), &img).horizontalAdvance(name);
    std::size_t r = 0;
    while (r + 1 < right.size() && right[r] + w / 2 + 5 > x) ++r;
    if (r + 1 == right.size()) {
      while (right[r] + w / 2 + 5 > x && name.size() > 2) {
        name.chop(1);
        w = QFontMetrics(PlotFont(f), &img).horizontalAdvance(name);
      }
    }
    right[r] = x + w / 2;
    const int y = plot.top - static_cast<int>(r + 1) * h - 5;
    EXPECT_TRUE(SameIn(img, TextAlone(500, 400, x - w / 2, y, name, f),
                       TRect{x - w / 2, y + 1, x + w / 2 - 1, y + h - 1}))
        << k << " " << name.toStdString();
  }
}

TEST_F(PlotTest, FrameRendersAndKeepsItsSettings) {
  const std::string ini = dir.Write("f.INI", "[Interface]\nSelectionMode=9\nMouseSensitivity=7\n");
  auto doc = Doc({"a", "b"}, {plots::Spread(50, 0, 1), plots::Spread(50, 2, 3)});
  {
    TFrmTesploreView frame(nullptr, ini);
    EXPECT_EQ(frame.SelectionMode(), 3);
    EXPECT_EQ(frame.Settings().MouseSensitivity, 7);
    frame.SetDocument(doc.get());
    frame.resize(500, 400);
    frame.SetImageSize(500, 400);
    frame.Render(false);
    EXPECT_EQ(frame.ImageDepth(), 8);
    EXPECT_EQ(frame.Image().size(), QSize(500, 400));
    EXPECT_GT(Count(frame.Image(), Rgb(colors.clr[ClrAxis])), 100);
    doc->m_plotType = PlotScatter;
    frame.Render(false);
    EXPECT_EQ(frame.ImageDepth(), 24);
    doc->m_plotType = PlotCobwebs;
    frame.Render(false);
    EXPECT_EQ(frame.ImageDepth(), 8);
    doc->m_order[0]->Range.Combine(0.1f, 0.2f, fn::SelectReplace);
    doc->UpdateFilter();
    frame.PSel0Click(1);
    frame.Removethesamplesfilter1Click();
    EXPECT_EQ(doc->CountSelected(), 50);
  }
  std::ifstream in(ini);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("SelectionMode=1"), std::string::npos);
}

}  // namespace
