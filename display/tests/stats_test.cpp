#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>
#include <vector>

#include "report_capture.h"
#include "stats/dataset.h"
#include "stats/fft.h"
#include "stats/histogram.h"
#include "stats/kernel_estimator.h"
#include "stats/vector.h"

namespace {

using stats::Dataset;

TEST(StatsReport, CaptionFormatAndCorrectedValues) {
  ReportCapture capture;
  stats::Vector empty(0);
  EXPECT_EQ(empty.Size(), 0);
  stats::Vector small(3);
  small[5] = 1.0;  // illegal index: reported, written to a dummy element
  EXPECT_EQ(small[0] + small[1] + small[2], 0.0);
  stats::RealMatrix m(0, 4);
  EXPECT_EQ(m.Rows(), 0);
  stats::RealMatrix m2(2, 3);
  EXPECT_EQ(m2.Row(7).Size(), 3);  // invalid row gives row 0
  stats::ReportWarning("w %d", 1);
  stats::ReportFatalError("f");
  const std::vector<std::string> expected = {
      "Brantlib Error:\nVector error : vector size must be >0\n",
      "Brantlib Error:\nVector error : illegal index\n",
      "Brantlib Error:\nRealMatrix error : matrix row size must be >0\n",
      "Brantlib Error:\nRealMatrix error : invalid row index\n",
      "Brantlib Warning:\nw 1",
      "Brantlib Fatal Error:\nf",
  };
  EXPECT_EQ(ReportCapture::texts(), expected);
  // The format is cut to 200 characters.
  ReportCapture::texts().clear();
  std::string long_format(250, 'x');
  stats::ReportError("%s", long_format.c_str());
  stats::ReportError(long_format.c_str(), 0);
  ASSERT_EQ(ReportCapture::texts().size(), 2u);
  EXPECT_EQ(ReportCapture::texts()[0], "Brantlib Error:\n" + long_format);
  EXPECT_EQ(ReportCapture::texts()[1], "Brantlib Error:\n" + std::string(200, 'x'));
}

TEST(StatsDataset, NamesPointsAndSortedCache) {
  Dataset d(3, 1);
  EXPECT_EQ(d.GetVariableName(0), "var000");
  EXPECT_EQ(d.GetName(), "Noname");
  EXPECT_EQ(d.GetDistributionName(), "Unknown");
  EXPECT_EQ(d.NumPoints(), 3);
  EXPECT_EQ(d.NumVariables(), 1);
  d.SetValue(0, 0, 3.0);
  d.SetValue(1, 0, -1.0);
  d.SetValue(2, 0, 2.0);
  EXPECT_EQ(d.ColumnMin(0), -1.0);
  EXPECT_EQ(d.ColumnMax(0), 3.0);
  const stats::Vector* cached = &d.SortedColumn(0);
  EXPECT_EQ(d.GetSorted(0, 0), -1.0);
  EXPECT_EQ(d.GetSorted(2, 0), 3.0);
  EXPECT_EQ(&d.SortedColumn(0), cached);  // reused without a change
  d.SetValue(1, 0, 10.0);
  EXPECT_EQ(d.GetSorted(2, 0), 10.0);  // sorted again after SetValue
  EXPECT_EQ(d.GetSorted(0, 0), 2.0);
  Dataset names(1, 12);
  EXPECT_EQ(names.GetVariableName(11), "var011");
}

// Values 100 + span * i / (n - 1), i = 0 .. n - 1.
std::unique_ptr<Dataset> Spread(double span, int n) {
  auto d = std::make_unique<Dataset>(n, 1);
  for (int i = 0; i < n; ++i) d->SetValue(i, 0, 100.0 + span * i / (n - 1));
  return d;
}

struct HistogramCase {
  double span;
  double width;      // set after construction with width 1 and origin 100
  int bins;          // expected NumBins
  double bin_width;  // expected BinWidth
};

TEST(StatsHistogram, BinsAndWidths) {
  const HistogramCase cases[] = {
      {100.0, 8.0, 13, 8.0},     // trunc(100 / 8) + 1
      {99.6, 1.0, 100, 1.0},     // the span is floored first
      {100.0, 0.0, 2, 100.0},    // no width: the span
      {100.0, 250.0, 2, 100.0},  // above the span: the span
      {100.0, 1.0, 101, 1.0},
  };
  for (const HistogramCase& c : cases) {
    SCOPED_TRACE(c.span * 1000 + c.width);
    auto d = Spread(c.span, 11);
    stats::Histogram h(d.get(), 1.0, 100.0, 0);
    EXPECT_EQ(h.GetOrigin(), 100.0);
    h.SetBinWidth(c.width);
    EXPECT_EQ(h.GetNumBins(), c.bins);
    EXPECT_EQ(h.GetBinWidth(), c.bin_width);
    int total = 0;
    for (int i = 0; i < h.GetNumBins(); ++i) total += h.GetCount(i);
    EXPECT_EQ(total, 11);
    EXPECT_EQ(h.GetCount(h.GetNumBins()), 0);
  }
  // With width 8 over 100 ... 200 the value 200 lands in bin 12, 100 in bin 0.
  auto d = Spread(100.0, 11);
  stats::Histogram h(d.get(), 1.0, 100.0, 0);
  h.SetBinWidth(8.0);
  EXPECT_EQ(h.GetCount(12), 1);  // 200
  EXPECT_EQ(h.GetCount(0), 1);   // 100
  EXPECT_EQ(h.GetCount(1), 1);   // 110
  EXPECT_EQ(h.GetCount(4), 0);   // 130 is in bin 3, 140 in bin 5
  EXPECT_EQ(h.GetMaxCount(), 1.0);
  h.SetBinWidth(25.0);  // bins of 25 from 100: 100-120, 130-140, 150-170, 180-190, 200
  EXPECT_EQ(h.GetNumBins(), 5);
  EXPECT_EQ(h.GetCount(0), 3);
  EXPECT_EQ(h.GetCount(4), 1);
  EXPECT_EQ(h.GetMaxCount(), 3.0);
}

TEST(StatsHistogram, TooManyBinsAreReportedWithPointDecimals) {
  // A comma-decimal locale, as a program with a German user interface has.
  const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  ReportCapture reports;
  auto d = Spread(100.0, 11);
  stats::Histogram h(d.get(), std::ldexp(1.0, -20), 100.0, 0);  // 100 * 2^20 + 1 bins
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(h.GetNumBins(), 1 << 24);
  ASSERT_FALSE(reports.texts().empty());
  EXPECT_NE(reports.texts()[0].find("1.04858e+08 bins requested, using 1.67772e+07 in histogrm"),
            std::string::npos)
      << reports.texts()[0];
  if (!german) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
}

}  // namespace
