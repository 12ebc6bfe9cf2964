#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "busy_file.h"
#include "files/result_files.h"
#include "files/sample_store.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model_fixture.h"
#include "simulation/run_statistics.h"
#include "tesmira/files.h"
#include "tesmira/model.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::vector<std::string> out;
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

class ResultsTest : public ModelFolderTest {
 protected:
  // As a run does: the correlations first, then the result files.
  bool WriteWithCorrelations(RunResultsSetup& s) {
    std::vector<float> matrix;
    if (ComputeRunCorrelations(*s.store, s.correlationKind, s.inputSamples, matrix))
      s.correlations = &matrix;
    return WriteRunResults(s, messages_);
  }

  void SetUp() override {
    ModelFolderTest::SetUp();
    ASSERT_TRUE(AllocateSimulationBlocks());
    InitDistributionSlots(false);
    InitDistributionSlots(true);
    ClearSampleList(in_);
    ClearSampleList(out_);
  }
  void TearDown() override {
    RunSampleStore().Delete();
    ResetRunCorrelations();
    ModelFolderTest::TearDown();
  }
  // A store of the given columns (inputs first), one record per row.
  void Fill(int inputs, const std::vector<std::vector<double>>& cols) {
    int outputs = static_cast<int>(cols.size()) - inputs;
    in_.count = static_cast<int16_t>(inputs);
    out_.count = static_cast<int16_t>(outputs);
    for (int k = 0; k < inputs; ++k)
      SetShortString(in_.entries[k].name, std::string("x").append(std::to_string(k + 1)));
    for (int k = 0; k < outputs; ++k)
      SetShortString(out_.entries[k].name, std::string("y").append(std::to_string(k + 1)));
    SampleStore& s = RunSampleStore();
    ASSERT_TRUE(s.Create((dir_ / "m.TPS").string(), inputs, outputs, true));
    for (std::size_t r = 0; r < cols[0].size(); ++r) {
      for (int k = 0; k < inputs; ++k) SetEntryValue(in_.entries[k], cols[k][r]);
      for (int k = 0; k < outputs; ++k) SetEntryValue(out_.entries[k], cols[inputs + k][r]);
      s.Append(in_, out_);
    }
    ASSERT_TRUE(s.Finish());
  }
  std::vector<double>& Table(bool outputs, int k) {
    return DistributionSlotArray(outputs)->tables[k - 1];
  }
  bool Build(bool outputs, int resolution, TUserQuantiles* uq = nullptr, bool files = false) {
    EmpiricalSetup setup;
    setup.outputs = outputs;
    setup.resolution = resolution;
    setup.userQuantiles = uq;
    setup.distributionFiles = files;
    setup.folder = dir_.string() + "/";
    return BuildEmpiricalDistributions(RunSampleStore(), outputs ? out_ : in_, setup, messages_);
  }
  TSampleList in_, out_;
  std::vector<std::string> messages_;
};

TEST_F(ResultsTest, QuantilesAreOrderStatistics) {
  std::vector<double> down(10), same(10, 2.5);
  for (int i = 0; i < 10; ++i) down[i] = 10 - i;
  Fill(2, {down, same});
  ASSERT_TRUE(Build(false, 100));
  const std::vector<double>& t = Table(false, 1);
  ASSERT_EQ(t.size(), 101u);
  EXPECT_EQ(t[0], 1.0);
  EXPECT_EQ(t[100], 10.0);
  for (int j = 1; j < 100; ++j)
    EXPECT_EQ(t[j], std::max(1, (10 * j) / 100)) << j;  // steps 1..19 the smallest, ...
  for (double v : Table(false, 2)) EXPECT_EQ(v, 2.5);
  TSampleResults r{};
  double sum[3] = {0, 55, 25}, sumsq[3] = {0, 385, 62.5};
  ComputeSampleResults(sum, sumsq, 10, 2, r);
  EXPECT_FLOAT_EQ(r.means[0], 5.5f);
  EXPECT_FLOAT_EQ(r.variances[0], 55.0f / 6.0f);
  EXPECT_FLOAT_EQ(r.variances[1], 0.0f);
}

TEST_F(ResultsTest, ManySamplesTiesUserQuantilesAndDistributionFile) {
  const int N = 20000;
  std::vector<double> perm(N), ties(N);
  std::iota(perm.begin(), perm.end(), 1.0);
  std::shuffle(perm.begin(), perm.end(), std::mt19937(7));
  for (int i = 0; i < N; ++i) ties[i] = i % 4 == 0 ? 1.0 : 0.0;  // a quarter of ones
  Fill(0, {perm, ties});
  TUserQuantiles* uq = NewUserQuantiles(true);
  uq->entries[0].pairs[0].target = 0.25f;
  uq->entries[0].pairs[1].target = 0.9f;
  uq->entries[0].validCount = 2;
  ASSERT_TRUE(Build(true, 100, uq, true));
  const std::vector<double>& t = Table(true, 1);
  for (int j = 1; j < 100; ++j) EXPECT_EQ(t[j], 200.0 * j) << j;
  // The tails of an output with a distribution file: ranks 50 and 19950.
  EXPECT_EQ(t[0], 50.0);
  EXPECT_EQ(t[100], 19950.0);
  EXPECT_EQ(uq->entries[0].pairs[0].value, 5000.0f);
  EXPECT_EQ(uq->entries[0].pairs[1].value, 18000.0f);
  // Ties: three quarters zeros, then ones, at their exact ranks.
  const std::vector<double>& u = Table(true, 2);
  EXPECT_EQ(u[74], 0.0);
  EXPECT_EQ(u[75], 0.0);
  EXPECT_EQ(u[76], 1.0);
  std::vector<std::string> lines = Lines(dir_ / "y1.DIS");
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_EQ(lines[0], " 0.25   5.00000000000000E+0001\r");
  EXPECT_EQ(lines[1], " 1.00   2.00000000000000E+0002\r");
  EXPECT_EQ(lines[100], "99.75   1.99500000000000E+0004\r");
  EXPECT_TRUE(messages_.empty());
}

// Columns of 2 MB and more come in whole large pages; they keep their
// values when they grow, and the outputs' pass reuses the inputs' columns.
TEST_F(ResultsTest, LargeColumnsAndTheirMemoryReusedFromPassToPass) {
  SampleColumn c(kLargePage / sizeof(float));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c.data()) % kLargePage, 0u);
  std::iota(c.begin(), c.end(), 0.0f);
  c.resize(3 * c.size() + 1);
  EXPECT_EQ(c[12345], 12345.0f);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c.data()) % kLargePage, 0u);
  SampleColumn().swap(c);

  const int N = 600000;  // a column of 2.4 MB
  std::vector<double> up(N), down(N), shuffled(N);
  std::iota(up.begin(), up.end(), 1.0);
  for (int i = 0; i < N; ++i) down[i] = -up[i];
  shuffled = up;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(11));
  Fill(2, {up, shuffled, down});
  ASSERT_TRUE(Build(false, 100));
  ASSERT_TRUE(Build(true, 100));
  for (int j = 1; j < 100; ++j) {
    EXPECT_EQ(Table(false, 1)[j], 6000.0 * j) << j;
    EXPECT_EQ(Table(false, 2)[j], 6000.0 * j) << j;
    EXPECT_EQ(Table(true, 1)[j], 6000.0 * j - N - 1.0) << j;
  }
  EXPECT_EQ(Table(true, 1)[0], -static_cast<double>(N));
  EXPECT_TRUE(messages_.empty());
}

// Order statistics without a full sort: over columns of every shape the
// values at the ranks are those of the sorted column (NaN last), also where
// one value fills the column or ties fill its bins, and at ranks out of range.
TEST(ValuesAtRanks, AreTheSortedColumnsValuesForEveryShape) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::mt19937 gen(5);
  std::normal_distribution<float> normal(0.0f, 3.0f);
  struct Shape {
    const char* name;
    std::function<float(int)> value;
  };
  const std::vector<Shape> shapes = {
      {"normal, signed zeros, NaN",
       [&](int i) {
         return i % 97 == 0 ? nan : i % 89 == 0 ? (i % 2 ? -0.0f : 0.0f) : normal(gen);
       }},
      {"one value", [](int) { return 2.5f; }},
      {"narrow", [&](int) { return 1.0f + 1e-6f * normal(gen); }},
      {"ten ties", [](int i) { return static_cast<float>((i * 7) % 10); }},
      {"wide magnitudes",
       [&](int) { return std::ldexp(normal(gen), static_cast<int>(gen() % 200) - 100); }},
      {"all NaN", [&](int) { return nan; }},
  };
  for (int n : {1000, 70000, 300000}) {
    for (const Shape& shape : shapes) {
      std::vector<float> column(static_cast<std::size_t>(n));
      for (int i = 0; i < n; ++i) column[static_cast<std::size_t>(i)] = shape.value(i);
      std::vector<float> sorted = column;
      std::sort(sorted.begin(), sorted.end(),
                [](float a, float b) { return !std::isnan(a) && (std::isnan(b) || a < b); });
      std::vector<int64_t> ranks = {-3, 0, 1, 2, n / 2, n - 1, n, n + 5};
      for (int j = 1; j < 100; ++j) ranks.push_back(static_cast<int64_t>(j) * n / 100);
      for (int j = 0; j < 20; ++j) ranks.push_back(1 + static_cast<int64_t>(gen() % n));
      std::vector<float> at(ranks.size());
      ValuesAtRanks(column, ranks, at);
      for (std::size_t i = 0; i < ranks.size(); ++i) {
        const float want =
            sorted[static_cast<std::size_t>(std::clamp<int64_t>(ranks[i], 1, n) - 1)];
        if (std::isnan(want))
          EXPECT_TRUE(std::isnan(at[i])) << shape.name << " n " << n << " rank " << ranks[i];
        else
          EXPECT_EQ(at[i], want) << shape.name << " n " << n << " rank " << ranks[i];
      }
    }
  }
}

TEST_F(ResultsTest, BusyDistributionFileFallsBackToTmpName) {
  Fill(0, {{1, 2, 3}});
  BusyFile busy(dir_ / "y1.DIS");
  ASSERT_TRUE(Build(true, 100, nullptr, true));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0],
            "Distribution file y1.DIS is write-protected, y1.tmp.DIS is used instead");
  EXPECT_EQ(Lines(dir_ / "y1.tmp.DIS").size(), 101u);
}

TEST_F(ResultsTest, CompressedRows) {
  const float row[] = {0.5f, 0.5004f, 0.4999f, 0.2f, 0.2f, 0.7f};
  std::vector<float> c = CompressCorrRow(row, 6);
  EXPECT_EQ(c, (std::vector<float>{0.5f, 2.0f, 0.2f, 0.2f, 0.7f}));
  float buffer[10] = {};
  EXPECT_EQ(ExpandCorrRow(c.data(), static_cast<int>(c.size()), buffer, 2, 10), 6);
  EXPECT_EQ(buffer[3], 0.5f);
  EXPECT_EQ(buffer[4], 0.5f);
  EXPECT_EQ(buffer[5], 0.2f);
  EXPECT_EQ(buffer[7], 0.7f);
  const float flat[] = {0.3f, 0.3f, 0.3005f, 0.2998f};
  EXPECT_EQ(CompressCorrRow(flat, 4), (std::vector<float>{0.3f, 3.0f}));
  // A corrupt count cannot overrun the buffer.
  const float huge[] = {0.1f, 1e30f};
  EXPECT_EQ(ExpandCorrRow(huge, 2, buffer, 1, 10), 9);
}

TEST_F(ResultsTest, ProductMomentAndRankCorrelations) {
  // Pearson r of (1..5) and (2, 4, 5, 4, 5) is sqrt(0.6).
  Fill(1, {{1, 2, 3, 4, 5}, {2, 4, 5, 4, 5}, {-1, -2, -3, -4, -5}, {7, 7, 7, 7, 7}});
  ASSERT_TRUE(Build(false, 100));
  ASSERT_TRUE(Build(true, 100));
  RunResultsSetup s;
  s.store = &RunSampleStore();
  s.inputs = &in_;
  s.outputs = &out_;
  s.folder = dir_.string() + "/";
  s.baseName = "m";
  s.accepted = 5;
  s.planned = 100;
  s.seed = 40000;
  ASSERT_TRUE(WriteWithCorrelations(s));
  EXPECT_FALSE(fs::exists(dir_ / "m.TPS"));  // not kept without the binary option
  EXPECT_NEAR(Get_sample_correlation(1, 2), std::sqrt(0.6), 1e-6);
  EXPECT_NEAR(Get_sample_correlation(3, 1), -1.0, 1e-6);
  EXPECT_EQ(Get_sample_correlation(1, 4), 0.0);  // a constant column
  EXPECT_EQ(Get_sample_correlation(2, 2), 1.0);
  void* row = nullptr;
  EXPECT_EQ(Compute_corr_data(1, &row), 12);  // sqrt(0.6), -1, 0: three singles
  EXPECT_EQ(static_cast<float*>(row)[1], -1.0f);
  EXPECT_EQ(Compute_corr_data(4, &row), 0);
  EXPECT_EQ(Compute_corr_data(5, &row), 0);
  TSampleData* d = SampleDataBlock();
  int seed = d->seed, accepted = d->accepted, requested = d->requested, outputs = d->outputs.count;
  EXPECT_EQ(seed, 32767);  // saturated, not wrapped
  EXPECT_EQ(accepted, 5);
  EXPECT_EQ(requested, 100);
  EXPECT_EQ(ShortStringView(d->sampleName), "m");
  EXPECT_EQ(ShortStringView(d->designTag), "Tesmira2");
  EXPECT_EQ(outputs, 3);
  // A new model has no correlations of the old one.
  End_model_data();
  Init_Model_data();
  ASSERT_TRUE(AllocateSimulationBlocks());
  EXPECT_EQ(Compute_corr_data(1, &row), 0);
  EXPECT_EQ(Get_sample_correlation(1, 2), CorrUnavailable);
}

TEST_F(ResultsTest, RankCorrelationOfAMonotoneTransformAndLegacyFiles) {
  const int N = 2000;
  std::mt19937 rng(3);
  std::normal_distribution<double> g;
  std::vector<double> x(N), y(N);
  for (int i = 0; i < N; ++i) {
    x[i] = g(rng);
    y[i] = std::exp(3 * x[i]);
  }
  Fill(1, {x, y});
  ASSERT_TRUE(Build(false, 1000));
  ASSERT_TRUE(Build(true, 1000));
  RunResultsSetup s;
  s.store = &RunSampleStore();
  s.inputs = &in_;
  s.outputs = &out_;
  s.folder = dir_.string() + "/";
  s.baseName = "m";
  s.accepted = N;
  s.planned = N;
  s.correlationKind = 2;
  s.legacyFiles = true;
  s.resolution = 1000;
  ASSERT_TRUE(WriteWithCorrelations(s));
  // Ranks read from a table of 1000 steps: equal ranks up to the resolution.
  EXPECT_GT(Get_sample_correlation(1, 2), 0.999);
  EXPECT_EQ(fs::file_size(dir_ / "m.SIM"), 90048u);
  EXPECT_EQ(fs::file_size(dir_ / "m.CMM"), 16000u + 4u);  // moments and one row of one value
  EXPECT_EQ(fs::file_size(dir_ / "m.QUA"), 606u);
  EXPECT_FALSE(fs::exists(dir_ / "m.USE"));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ResultsTest, NonFiniteColumnCorrelatesWithNothingAndKeepsRowsAligned) {
  const double inf = std::numeric_limits<double>::infinity();
  Fill(1, {{1, 2, 3, 4}, {1, 2, inf, 4}, {2, 4, 6, 8}, {8, 6, 4, 2}});
  ASSERT_TRUE(Build(false, 100));
  ASSERT_TRUE(Build(true, 100));
  RunResultsSetup s;
  s.store = &RunSampleStore();
  s.inputs = &in_;
  s.outputs = &out_;
  s.accepted = 4;
  ASSERT_TRUE(WriteWithCorrelations(s));
  EXPECT_EQ(Get_sample_correlation(1, 2), 0.0);
  EXPECT_NEAR(Get_sample_correlation(1, 3), 1.0, 1e-6);
  EXPECT_NEAR(Get_sample_correlation(1, 4), -1.0, 1e-6);
  // A NaN in a stored row is a value, never a repeat count.
  const float row[] = {0.5f, std::numeric_limits<float>::quiet_NaN(), 0.25f};
  float buffer[8] = {};
  EXPECT_EQ(ExpandCorrRow(row, 3, buffer, 1, 8), 3);
  EXPECT_EQ(buffer[3], 0.25f);
}

bool failingReader(int32_t, float*, int32_t*) { return false; }
bool rowOneReader(int32_t i, float* row, int32_t* bytes) {
  if (i != 1) return false;
  row[0] = 0.75f;
  row[1] = 0.5f;
  *bytes = 8;
  return true;
}

TEST_F(ResultsTest, UnreadableRowIsNotAnsweredFromAnotherRow) {
  SetCorrDataSource(&rowOneReader);
  EXPECT_EQ(Get_sample_correlation(3, 1), 0.5);
  EXPECT_EQ(Get_sample_correlation(2, 3), CorrUnavailable);  // row 2 cannot be read
  SetCorrDataSource(&failingReader);
  EXPECT_EQ(Get_sample_correlation(1, 2), 0.75);  // the row read last is row 1
  SetCorrDataSource(nullptr);
}

TEST_F(ResultsTest, SingleSampleCorrelatesWithNothing) {
  Fill(2, {{1.0}, {2.0}});
  ASSERT_TRUE(Build(false, 100));
  RunResultsSetup s;
  s.store = &RunSampleStore();
  s.inputs = &in_;
  s.outputs = &out_;
  s.accepted = 1;
  ASSERT_TRUE(WriteWithCorrelations(s));
  EXPECT_EQ(Get_sample_correlation(1, 2), 0.0);
}

}  // namespace
}  // namespace tesmira
