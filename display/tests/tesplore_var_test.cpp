#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fn/tesplore_var.h"
#include "report_capture.h"

namespace {

using fn::CTesploreVar;

// A variable whose samples are values[i] in file order.
std::unique_ptr<CTesploreVar> Var(const std::vector<float>& values) {
  auto v = std::make_unique<CTesploreVar>();
  v->Resize(values.size());
  v->GetSamples() = values;
  v->ComputeQuantiles();
  return v;
}

// 0, 1, ..., n-1 in a shuffled file order.
std::vector<float> Shuffled(int n) {
  std::vector<float> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<float>((i * 7919) % n);
  return v;
}

struct QuantileCase {
  int n;
  int entry;
  float value;  // the sorted sample expected in that entry
};

TEST(TesploreVar, QuantileTable) {
  const QuantileCase cases[] = {
      {16000, 0, 40}, {16000, 50, 7999}, {16000, 100, 15959}, {100, 1, 1}, {100, 2, 1}, {100, 3, 2},
      {100, 99, 98},  {100, 0, 0},       {100, 100, 98},      {50, 1, 0},  {50, 2, 1},  {50, 5, 1},
      {50, 6, 2},     {1, 0, 0},         {1, 50, 0},          {1, 100, 0}, {2, 50, 1},  {2, 49, 0},
  };
  for (const QuantileCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " entry " << c.entry);
    auto v = Var(Shuffled(c.n));
    EXPECT_EQ(v->GetQuantiles()[c.entry], c.value);
  }
  auto v = Var(Shuffled(10));
  EXPECT_EQ(v->GetMin(), 0.0f);
  EXPECT_EQ(v->GetMax(), 9.0f);
  EXPECT_EQ(v->GetSpan(), 9.0f);
  EXPECT_EQ(v->GetSamples(), Shuffled(10));  // the file order is kept
}

TEST(TesploreVar, Scales) {
  auto one = Var({5.0f});
  EXPECT_EQ(one->GetSpan(), 0.0f);
  EXPECT_EQ(one->NaturalScale(0), 0.0f);
  EXPECT_EQ(one->LogScale(0), 0.0f);
  EXPECT_EQ(one->PercentileRank(0), 0.0f);

  auto v = Var({-1.0f, 9.0f, 0.0f, 4.0f});
  EXPECT_EQ(v->LogScale(0), 0.0f);
  EXPECT_FLOAT_EQ(v->LogScale(1), 1.0f);
  EXPECT_FLOAT_EQ(v->LogScale(2), static_cast<float>(std::log(2.0) / std::log(11.0)));
  EXPECT_FLOAT_EQ(v->NaturalScale(3), 0.5f);
  EXPECT_FLOAT_EQ(v->NaturalPercent(3), 50.0f);

  // 1000 samples 0 ... 999: entry 0 = 2, entry k = 10k - 1, entry 100 = 996.
  auto p = Var(Shuffled(1000));
  const std::vector<float>& s = p->GetSamples();
  for (std::size_t i = 0; i < s.size(); ++i) {
    float x = s[i];
    float rank = p->PercentileRank(i);
    float index = p->PercentileIndex(i);
    if (x <= 2) {
      EXPECT_EQ(rank, 0.0f) << x;
    } else if (x > 989) {
      EXPECT_EQ(rank, 1.0f) << x;
    } else {
      // largest k in 0 ... 98 with entry k < x, plus one, in hundredths
      int k = static_cast<int>(std::ceil((x + 1) / 10.0)) - 1;
      EXPECT_FLOAT_EQ(rank, (k + 1) * 0.01f) << x;
    }
    int below =
        x <= 2 ? 0 : (x > 996 ? 101 : std::min(100, static_cast<int>(std::ceil((x + 1) / 10.0))));
    EXPECT_EQ(index, static_cast<float>(below)) << x;
  }
}

TEST(TesploreVar, EstimatorsForThePlots) {
  ReportCapture capture;
  auto v = Var(Shuffled(400));
  std::vector<bool> all(400, true);
  // Density plots: values scaled to 100 ... 200, histogram and estimate.
  v->BuildDataset(400, 3, all, *v, 0);
  ASSERT_TRUE(v->Data);
  EXPECT_EQ(v->Data->ColumnMin(0), 100.0);
  EXPECT_EQ(v->Data->ColumnMax(0), 200.0);
  v->BuildEstimators(300, 2.0f);
  ASSERT_TRUE(v->DensityEstimate && v->Bins);
  EXPECT_EQ(v->DensityEstimate->noPoints(), 512);
  EXPECT_EQ(v->DensityEstimate->Bandwidth(), 10.0);
  EXPECT_EQ(v->Bins->GetBinWidth(), 10.0);
  EXPECT_EQ(v->Bins->GetNumBins(), 11);
  // DensityScale turns the grid density into a density over the variable's range.
  double integral = 0;
  for (int k = 0; k < 512; ++k) {
    double x, y;
    v->DensityEstimate->GridPoint(k, x, y);
    integral += y * v->DensityScale * v->DensityEstimate->GridStep() * (399.0 / 100.0);
  }
  EXPECT_NEAR(integral, 512.0 / 511.0, 1e-3);
  // Bars are densities per unit: 400 samples over 399 units, bins of 10% of it.
  double area = 0;
  for (int i = 0; i < v->Bins->GetNumBins(); ++i) area += v->BinHeight(i, 400) * 39.9;
  EXPECT_NEAR(area, 1.0, 1e-5);
  EXPECT_GT(v->MaxBinHeight(400), 0.0f);
  v->BuildEstimators(300, 0.0f);  // smoothing 0: nothing changes
  EXPECT_EQ(v->DensityEstimate->noPoints(), 512);

  // Marginals: percentile indices of the masked samples, bounds -1 and 101.
  std::vector<bool> half(400, false);
  for (int i = 0; i < 400; i += 2) half[i] = true;
  v->BuildDataset(200, fn::DatasetMarginals, half, *v, 0);
  EXPECT_EQ(v->Data->NumPoints(), 200);
  EXPECT_EQ(v->Data->GetValue(1, 0), v->PercentileIndex(2));
  v->BuildEstimators(100, 3.0f);
  EXPECT_EQ(v->DensityEstimate->noPoints(), 128);
  EXPECT_EQ(v->DensityEstimate->LowerBound(), -1.0);
  EXPECT_EQ(v->DensityEstimate->UpperBound(), 101.0);
  EXPECT_EQ(v->MaxBinHeight(200), -1.0f);
  EXPECT_FALSE(v->Bins);

  // Cobwebs: halfway between this axis and the partner's.
  auto w = Var(Shuffled(400));
  v->BuildDataset(400, fn::DatasetCobwebs, all, *w, 1);
  EXPECT_FLOAT_EQ(v->Data->GetValue(7, 0), (v->NaturalPercent(7) + w->NaturalPercent(7)) * 0.5f);

  // All samples equal: the first value is raised by 5 x smoothing.
  auto flat = Var(std::vector<float>(50, 3.0f));
  flat->BuildDataset(50, 4, all, *flat, 0);
  flat->BuildEstimators(64, 1.0f);
  EXPECT_EQ(flat->Data->ColumnMax(0), flat->Data->ColumnMin(0) + 5.0);
  EXPECT_GT(flat->Bins->GetNumBins(), 0);
  EXPECT_TRUE(ReportCapture::texts().empty());

  // A copy made without statistics uses a range of its own.
  auto plain = Var({1.0f, 2.0f});
  CTesploreVar copy(*plain);
  EXPECT_EQ(copy.ActiveRange, &copy.Range);
  EXPECT_EQ(copy.GetSamples(), plain->GetSamples());
}

}  // namespace
