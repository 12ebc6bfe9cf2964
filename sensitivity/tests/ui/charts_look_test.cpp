// The look of the two charts: the title band, the legend's check boxes, the
// halves of the chart area and axis labels that keep apart.
#include <gtest/gtest.h>

#include <QtGui/QFontMetrics>
#include <QtGui/QImage>

#include "ui_test_support.h"

namespace tesvane {
namespace {

using test::TWindowFixture;

class ChartsLookTest : public TWindowFixture {
 protected:
  // A file whose values have five significant digits.
  QString FiveDigitFile() {
    std::string text = "y, x, d\n";
    for (int i = 0; i < 120; ++i) {
      const double x = 12345 + i * 723.17, y = -54321 + 0.31 * x + 1000 * std::sin(i);
      text += std::to_string(y) + ", " + std::to_string(x) + ", " + std::to_string(i % 5) + "\n";
    }
    test::WriteText(Folder() + "/five.sae", text);
    return QString::fromStdString(Folder() + "/five.sae");
  }

  // The labels of an axis, where the chart draws them, do not touch.
  static void ExpectApart(TSensChart& chart, QValueAxis* axis, bool horizontal) {
    const QRectF area = chart.Chart()->plotArea();
    const QFontMetrics fm(axis->labelsFont());
    const int n = axis->tickCount();
    ASSERT_GE(n, 2);
    double previousEnd = -1e9;
    for (int i = 0; i < n; ++i) {
      const double v = axis->min() + i * (axis->max() - axis->min()) / (n - 1);
      const QString label = QString::asprintf("%.1E", v);
      const double at = horizontal ? area.left() + i * area.width() / (n - 1)
                                   : area.top() + i * area.height() / (n - 1);
      const double half = (horizontal ? fm.horizontalAdvance(label) : fm.height()) / 2.0;
      EXPECT_GT(at - half, previousEnd) << label.toStdString() << " of " << n;
      previousEnd = at + half;
    }
  }
};

TEST_F(ChartsLookTest, TitleBandLegendHalvesAndAxisLabels) {
  TFormTesvaneMain& w = Start();
  w.OpenSampleFile(FiveDigitFile());
  Check(w.cklstConditioned, 0);
  Check(w.cklstConditioning, 1);
  Check(w.cklstConditioning, 2);
  RunAndWait();
  w.PageControl1->setCurrentIndex(1);
  w.UpDown1ChangingEx(1);
  QCoreApplication::processEvents();

  for (TSensChart* chart : {w.MainChart, w.Chart1}) {
    SCOPED_TRACE(chart == w.MainChart ? "scatter" : "conditional");
    // The title on a light-yellow band framed in grey.
    const QImage band = chart->TitleBand()->grab().toImage();
    EXPECT_EQ(QColor(band.pixel(3, band.height() / 2)), QColor(255, 255, 225));
    EXPECT_EQ(QColor(band.pixel(0, band.height() / 2)), QColor(128, 128, 128));
    EXPECT_TRUE(chart->Chart()->title().isEmpty());  // not drawn a second time
    ExpectApart(*chart, chart->AxisX(), true);
    ExpectApart(*chart, chart->AxisY(), false);
  }
  EXPECT_EQ(w.MainChart->Title(), "Regression of y on x");

  // A series the program hides stays in the legend, unchecked; the user's
  // check shows it again.
  w.UpDown1ChangingEx(2);  // base "d": five distinct values, no polynomial fit
  QCheckBox* fit = w.Chart1->LegendBox(w.Chart1->LineSeries());
  ASSERT_NE(fit, nullptr);
  EXPECT_FALSE(w.Chart1->LineSeries()->isVisible());
  EXPECT_TRUE(fit->isVisible());
  EXPECT_FALSE(fit->isChecked());
  QTest::mouseClick(fit, Qt::LeftButton);
  EXPECT_TRUE(w.Chart1->LineSeries()->isVisible());

  // Half the chart area each, also with the foot line shown.
  for (bool foot : {false, true}) {
    w.Chart1->Foot()->setVisible(foot);
    QCoreApplication::processEvents();
    const int area = w.MainChart->width() + w.Chart1->width();
    EXPECT_EQ(area, w.pnlChartArea->width()) << foot;
    EXPECT_LE(std::abs(w.MainChart->width() - w.Chart1->width()), 1) << foot;
  }
}

}  // namespace
}  // namespace tesvane
