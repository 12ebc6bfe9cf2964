#include "random_paint.h"

#include <QFontMetrics>
#include <QTableView>
#include <numbers>

#include "tesmira/distributions.h"
#include "window_fixture.h"

namespace tesmira::wb {
namespace {

using test::WindowTest;

class PreviewTest : public WindowTest {
 protected:
  // The font exists only once the application does.
  void SetUp() override {
    WindowTest::SetUp();
    font = QApplication::font();
  }
  static TExtendedRandomVariable Var(int type, std::initializer_list<double> params) {
    TExtendedRandomVariable rv = Normal("v");
    rv.distribution.distType = static_cast<uint8_t>(type);
    int i = 0;
    for (double p : params) rv.distribution.u.params[i++] = p;
    return rv;
  }
  static int NonWhite(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) != qRgb(255, 255, 255);
    return n;
  }
  static bool Black(const QImage& image, int x, int y) {
    return image.pixel(x, y) == qRgb(0, 0, 0);
  }

  QImage image{200, 150, QImage::Format_RGB32};
  QFont font;
  int W = 200, H = 150;
  int Axis() const { return H - 2 * QFontMetrics(font).height(); }
  int YTop() const { return static_cast<int>(std::lround((Axis() - 5) / 5.0)) + 5; }
};

TEST_F(PreviewTest, ConstantIsASpikeAtTheCentre) {
  ASSERT_TRUE(PaintDensity(image, Var(DistConstant, {3}), font));
  for (int y = YTop(); y < Axis(); ++y) EXPECT_TRUE(Black(image, W / 2, y)) << y;
  EXPECT_FALSE(Black(image, W / 2, YTop() - 2));
  EXPECT_FALSE(Black(image, W / 2 + 3, (YTop() + Axis()) / 2));
}

TEST_F(PreviewTest, NormalSpansTheQuantilesAndPeaksAtTheMean) {
  ASSERT_TRUE(PaintDensity(image, Var(DistNormal, {0, 1}), font));
  // The curve runs over every column from 5 to W - 5 and reaches four
  // fifths of the height at the mean, in the middle column.
  bool peak = false;
  for (int y = YTop() - 1; y <= YTop() + 1; ++y) peak = peak || Black(image, W / 2, y);
  EXPECT_TRUE(peak);
  for (int x : {5, W - 5}) {
    bool any = false;
    for (int y = 0; y < Axis(); ++y) any = any || Black(image, x, y);
    EXPECT_TRUE(any) << x;
  }
  for (int y = 0; y < H; ++y) EXPECT_FALSE(Black(image, 2, y));
}

TEST_F(PreviewTest, TypesWithoutACurveAndFailuresStayWhite) {
  struct Case {
    int type;
    std::initializer_list<double> params;
  };
  EXPECT_FALSE(PaintDensity(image, Var(DistLogNormal, {0, 1}), font));
  EXPECT_EQ(NonWhite(image), 0);
  TExtendedRandomVariable discrete = Var(DistDiscrete, {});
  discrete.distribution.u.discrete.count = 0;
  EXPECT_FALSE(PaintDensity(image, discrete, font));
  EXPECT_EQ(NonWhite(image), 0);
  // A Beta with a shape below 1 has an infinite density at its end: no curve, no failure.
  EXPECT_FALSE(PaintDensity(image, Var(DistBeta, {0.5, 2, 0, 1}), font));
  EXPECT_EQ(NonWhite(image), 0);
  QImage narrow(8, 150, QImage::Format_RGB32);
  EXPECT_FALSE(PaintDensity(narrow, Var(DistNormal, {0, 1}), font));
}

TEST_F(PreviewTest, RangeBelowZeroPutsTheYAxisAtTheRight) {
  ASSERT_TRUE(PaintDensity(image, Var(DistUniform, {-3, -1}), font));
  EXPECT_EQ(image.pixel(W - 5, 6), qRgb(0xC0, 0xC0, 0xC0));
  EXPECT_TRUE(Black(image, W / 2, YTop()));  // the flat density at four fifths
  ASSERT_TRUE(PaintDensity(image, Var(DistUniform, {1, 3}), font));
  EXPECT_EQ(image.pixel(5, 6), qRgb(0xC0, 0xC0, 0xC0));
}

TEST_F(PreviewTest, EdgeLabelsStayWholeInside) {
  // A label cut at an edge leaves its ink in the outermost column.
  const TExtendedRandomVariable cases[] = {
      Var(DistNormal, {0, 1}), Var(DistUniform, {-3000, -1000}), Var(DistUniform, {1000, 3000}),
      Var(DistNormal, {12345.678, 0.001})};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    ASSERT_TRUE(PaintDensity(image, cases[i], font)) << i;
    for (int y = 0; y < H; ++y)
      for (int x : {0, W - 1})
        EXPECT_EQ(image.pixel(x, y), qRgb(255, 255, 255)) << i << " " << x << " " << y;
  }
}

TEST(PreviewFunctions, GammaAndBeta) {
  EXPECT_NEAR(PreviewGamma(5), 24, 24 * 1e-9);
  EXPECT_NEAR(PreviewGamma(0.5), std::sqrt(std::numbers::pi), 1e-9);
  EXPECT_NEAR(PreviewBeta(2, 3), 1.0 / 12, 1e-10);
}

}  // namespace
}  // namespace tesmira::wb
