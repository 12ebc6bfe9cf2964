// The worker and the batch engine: the batch results equal the item-by-item
// computation within rounding; the worker thread runs a batch, reports
// progress, cancels between jobs and ends cleanly after an error.
#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <random>

#include "batch_engine.h"
#include "jobs.h"
#include "worker.h"

namespace tesvane {
namespace {

TFileData RandomStore(int n, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::normal_distribution<double> normal;
  std::uniform_real_distribution<double> uniform;
  const int vars = 8;
  TFileData s;
  s.VarCount = vars;
  s.SampleCount = n;
  s.Samples.assign(vars, std::vector<double>(static_cast<size_t>(n)));
  for (int i = 0; i < n; ++i) {
    const double a = normal(rng), b = normal(rng), c = uniform(rng);
    auto& S = s.Samples;
    S[0][static_cast<size_t>(i)] = a + 0.5 * b * b + std::round(3 * c);  // predicted
    S[1][static_cast<size_t>(i)] = std::round(a * 2) / 2 + c;            // predicted
    S[2][static_cast<size_t>(i)] = a;                                    // both lists
    S[3][static_cast<size_t>(i)] = static_cast<double>(rng() % 4);       // both lists, discrete
    S[4][static_cast<size_t>(i)] = 1000 + c;                             // offset
    S[5][static_cast<size_t>(i)] = a + 1e-4 * normal(rng);               // near-collinear with 2
    S[6][static_cast<size_t>(i)] = std::round(b * 10) / 10;              // heavily tied
    S[7][static_cast<size_t>(i)] = b * c;
  }
  for (int v = 0; v < vars; ++v) {
    const auto& row = s.Samples[static_cast<size_t>(v)];
    s.Names.push_back("var" + std::to_string(v));
    s.Variables.Add(std::make_shared<TRandomVariable>(v, s.Names.back(), "", 2, 2, ""));
    s.MinValues.push_back(*std::min_element(row.begin(), row.end()));
    s.MaxValues.push_back(*std::max_element(row.begin(), row.end()));
    std::vector<double> sorted = row;
    std::sort(sorted.begin(), sorted.end());
    s.DistinctCounts.push_back(std::min<int32_t>(
        21, static_cast<int32_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin())));
  }
  return s;
}

void ExpectSameItem(const TJobResult& a, const TJobResult& b, size_t job) {
  const TSensitivityItem& x = *a.Item;
  const TSensitivityItem& y = *b.Item;
  SCOPED_TRACE("job " + std::to_string(job));
  EXPECT_EQ(x.BasePos, y.BasePos);
  EXPECT_EQ(x.Names, y.Names);
  EXPECT_EQ(x.SampleCount, y.SampleCount);
  EXPECT_EQ(x.UsableCount, y.UsableCount);
  EXPECT_EQ(x.BaseDistinct, y.BaseDistinct);
  EXPECT_EQ(x.FitStatus, y.FitStatus);
  EXPECT_EQ(x.RunsPredicted, y.RunsPredicted);
  EXPECT_EQ(x.RunsBase, y.RunsBase);
  EXPECT_EQ(x.TiesPredicted, y.TiesPredicted);
  EXPECT_EQ(x.TiesBase, y.TiesBase);
  EXPECT_EQ(x.RankCorrelation, y.RankCorrelation);  // exact integer arithmetic both ways
  const auto rx = x.ResultVector, ry = y.ResultVector;
  ASSERT_EQ(rx.size(), 12u);
  for (size_t i = 0; i < 12; ++i)
    EXPECT_NEAR(rx[i], ry[i], 2e-6 * std::max(1.0, std::fabs(rx[i]))) << "result " << i;
  EXPECT_NEAR(x.CorrDeterminant, y.CorrDeterminant, 1e-9);
  ASSERT_EQ(x.CondExpX.size(), y.CondExpX.size());
  for (size_t k = 0; k < x.CondExpX.size(); ++k) {
    EXPECT_NEAR(x.CondExpX[k], y.CondExpX[k], 1e-9 * std::max(1.0, std::fabs(x.CondExpX[k])));
    EXPECT_NEAR(x.CondExpY[k], y.CondExpY[k], 1e-9 * std::max(1.0, std::fabs(x.CondExpY[k])));
  }
  ASSERT_EQ(x.PolyCoefs.size(), y.PolyCoefs.size());
  const int32_t k = a.Correlation.Size();
  ASSERT_EQ(k, b.Correlation.Size());
  ASSERT_EQ(k, b.Cofactors.Size());
  for (int32_t i = 0; i < k; ++i)
    for (int32_t j = 0; j < k; ++j) {
      EXPECT_NEAR(a.Correlation(i, j), b.Correlation(i, j), 1e-12);
      EXPECT_NEAR(a.Cofactors(i, j), b.Cofactors(i, j), 1e-9);
    }
}

TEST(Jobs, TwoPredictedAndThreeBaseGiveSixJobsInOrder) {
  TFileData store = RandomStore(30, 1);
  auto jobs = BuildJobs(store, {0, 4}, {1, 2, 4});
  ASSERT_EQ(jobs.size(), 6u);
  const std::vector<std::vector<int32_t>> vectors = {{0, 1, 2, 4}, {0, 2, 1, 4}, {0, 4, 1, 2},
                                                     {4, 1, 2, 4}, {4, 2, 1, 4}, {4, 4, 1, 2}};
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(jobs[i]->Vector(), vectors[i]) << i;
  TRunParameters p;
  TJobResult self = ComputeJobItemByItem(store, *jobs[5], p);
  EXPECT_EQ(self.Item->BasePos, 0);
  EXPECT_EQ(self.Item->UsableCount, 20);  // n = 30 with 20 groups
  TJobResult twice = ComputeJobItemByItem(store, *jobs[3], p);
  EXPECT_NEAR(twice.Item->CorrDeterminant, 0.0, 1e-7);  // the predicted variable is in twice
}

TEST(BatchEngine, EqualsTheItemByItemComputation) {
  TFileData store = RandomStore(3000, 42);
  // Predicted 0..3, base 2..7: variables 2 and 3 are in both lists.
  auto jobs = BuildJobs(store, {0, 1, 2, 3}, {2, 3, 4, 5, 6, 7});
  ASSERT_EQ(jobs.size(), 24u);
  for (int degree : {1, 3, 5}) {
    TRunParameters p;
    p.Degree = degree;
    p.GroupCount = 7;
    TBatchEngine engine(store, p, 3);
    std::vector<const TCorrRatioInfo*> pointers;
    for (auto& j : jobs) pointers.push_back(j.get());
    engine.Prepare(pointers);
    for (size_t i = 0; i < jobs.size(); ++i)
      ExpectSameItem(ComputeJobItemByItem(store, *jobs[i], p), engine.Compute(*jobs[i]), i);
  }
}

class TRecordingListener : public TRunListener {
 public:
  std::mutex Lock;
  std::vector<std::string> Calls;
  std::vector<int32_t> Progress, Rows;
  std::vector<std::string> Messages;
  TMyThread* Thread = nullptr;
  int32_t CancelAfterRow = -1;

  void Record(const std::string& c) {
    std::lock_guard<std::mutex> g(Lock);
    Calls.push_back(c);
  }
  void ToggleProgressBar() override { Record("toggle"); }
  void EnableCancel(bool e) override { Record(e ? "cancel on" : "cancel off"); }
  void SetStatus(const std::string& t) override { Record("status " + t); }
  void SetProgress(int32_t p) override { Progress.push_back(p); }
  void AddResultRow(int32_t i) override {
    Rows.push_back(i);
    if (i == CancelAfterRow && Thread != nullptr) Thread->Terminate();
  }
  void ShowMessage(const std::string& m) override { Messages.push_back(m); }
  void FinishRun() override { Record("finish"); }
};

void FillJobs(TRunData& run, const TFileData& store, const std::vector<int32_t>& p,
              const std::vector<int32_t>& b) {
  run.Jobs = BuildJobs(store, p, b);
}

TEST(Worker, RunsABatchOnItsThreadAndEqualsTheSingleThreadedRun) {
  TFileData store = RandomStore(2000, 7);
  TRunData threaded, single;
  FillJobs(threaded, store, {0, 1}, {2, 3, 4, 5, 6, 7});
  FillJobs(single, store, {0, 1}, {2, 3, 4, 5, 6, 7});
  TRunParameters p;
  TRecordingListener listener;
  {
    TMyThread worker(store, threaded, listener, p, TComputeMode::Batch, 4);
    worker.Start();
    worker.WaitFor();
    EXPECT_FALSE(worker.Running());
  }
  TRecordingListener quiet;
  TMyThread reference(store, single, quiet, p, TComputeMode::ItemByItem, 1);
  reference.Execute();
  ASSERT_EQ(threaded.Results.size(), 12u);
  ASSERT_EQ(single.Results.size(), 12u);
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(threaded.Results[i]->MatrixIndex, static_cast<int32_t>(i));
    TJobResult a{std::make_unique<TSensitivityItem>(*single.Results[i]), single.CorrMatrices[i],
                 single.CofactorMatrices[i]};
    TJobResult b{std::make_unique<TSensitivityItem>(*threaded.Results[i]), threaded.CorrMatrices[i],
                 threaded.CofactorMatrices[i]};
    ExpectSameItem(a, b, i);
  }
  EXPECT_EQ(listener.Rows, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(listener.Progress.front(), 0);
  EXPECT_EQ(listener.Progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(listener.Progress.begin(), listener.Progress.end()));
  EXPECT_EQ(listener.Calls,
            (std::vector<std::string>{"toggle", "cancel on", "status Calculating correlation ratio",
                                      "toggle", "cancel off", "finish"}));
  // A second run appends, numbering the matrices on.
  TMyThread again(store, threaded, listener, p, TComputeMode::Batch, 2);
  again.Execute();
  ASSERT_EQ(threaded.Results.size(), 24u);
  EXPECT_EQ(threaded.Results[23]->MatrixIndex, 23);
}

TEST(Worker, CancelDuringTheThirdOfTenJobsKeepsThree) {
  TFileData store = RandomStore(500, 9);
  for (TComputeMode mode : {TComputeMode::Batch, TComputeMode::ItemByItem}) {
    TRunData run;
    FillJobs(run, store, {0, 1}, {2, 3, 4, 5, 6});
    ASSERT_EQ(run.Jobs.size(), 10u);
    TRecordingListener listener;
    listener.CancelAfterRow = 2;
    TMyThread worker(store, run, listener, {}, mode, 4);
    listener.Thread = &worker;
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(run.Results.size(), 3u);
    EXPECT_EQ(listener.Calls.back(), "finish");
    EXPECT_EQ(listener.Progress.back(), 30);
    worker.Terminate();  // harmless after the end
  }
}

TEST(Worker, ErrorEndsTheRunWithAMessageAndNoJobsEndAtOnce) {
  TFileData one = RandomStore(1, 3);
  TRunData run;
  FillJobs(run, one, {0}, {1, 2});
  TRecordingListener listener;
  TMyThread worker(one, run, listener, {}, TComputeMode::Batch, 2);
  worker.Execute();
  EXPECT_TRUE(run.Results.empty());
  ASSERT_EQ(listener.Messages.size(), 1u);
  EXPECT_EQ(listener.Calls.back(), "finish");

  TFileData store = RandomStore(100, 3);
  TRunData empty;
  TRecordingListener quiet;
  TMyThread none(store, empty, quiet, {}, TComputeMode::Batch, 2);
  none.Execute();
  EXPECT_TRUE(empty.Results.empty());
  EXPECT_EQ(quiet.Calls,
            (std::vector<std::string>{"toggle", "cancel on", "toggle", "cancel off", "finish"}));
}

TEST(Worker, RunCommandNeedsSamplesAndBuildsOneJobPerPair) {
  TRecordingListener listener;
  TRunData run;
  TFileData empty;
  EXPECT_FALSE(BuildRunJobs(empty, run, {0}, {1}, listener));
  EXPECT_EQ(listener.Messages, (std::vector<std::string>{"There is no samples loaded."}));
  EXPECT_TRUE(run.Jobs.empty());
  // One predicted and three base variables: three jobs, each with the two
  // other base variables as explanatory ones.
  TFileData store = RandomStore(30, 2);
  ASSERT_TRUE(BuildRunJobs(store, run, {0}, {1, 2, 3}, listener));
  ASSERT_EQ(run.Jobs.size(), 3u);
  EXPECT_EQ(run.Jobs[0]->Vector(), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_EQ(run.Jobs[1]->Vector(), (std::vector<int32_t>{0, 2, 1, 3}));
  EXPECT_EQ(run.Jobs[2]->Vector(), (std::vector<int32_t>{0, 3, 1, 2}));
  EXPECT_EQ(listener.Messages.size(), 1u);
}

TEST(Worker, AWindowErrorDuringTheRunEndsItCleanly) {
  // The window fails to append the second row: the run ends with the error's
  // message, the helper threads are stopped, and the window leaves the
  // running state.
  class TFailingListener : public TRecordingListener {
   public:
    void AddResultRow(int32_t i) override {
      TRecordingListener::AddResultRow(i);
      if (i == 1) throw std::runtime_error("row failed");
    }
  };
  TFileData store = RandomStore(300, 5);
  for (TComputeMode mode : {TComputeMode::Batch, TComputeMode::ItemByItem}) {
    TRunData run;
    FillJobs(run, store, {0, 1}, {2, 3, 4, 5, 6});
    TFailingListener listener;
    TMyThread worker(store, run, listener, {}, mode, 4);
    worker.Start();
    worker.WaitFor();
    EXPECT_EQ(run.Results.size(), 2u);
    EXPECT_EQ(listener.Messages, (std::vector<std::string>{"row failed"}));
    EXPECT_EQ(listener.Calls.back(), "finish");
    EXPECT_FALSE(worker.Running());
  }
}

TEST(Worker, RunParametersComeFromTheSettingsAndAreClamped) {
  TRunParameters p = ReadRunParameters(4);
  EXPECT_EQ(p.Degree, 4);
  EXPECT_GE(p.GroupCount, 1);
  TFileData store = RandomStore(100, 1);
  TRunData run;
  TRecordingListener l;
  TRunParameters bad;
  bad.GroupCount = 0;
  bad.Degree = 99;
  FillJobs(run, store, {0}, {1});
  TMyThread w(store, run, l, bad, TComputeMode::ItemByItem, 1);
  w.Execute();
  ASSERT_EQ(run.Results.size(), 1u);
  EXPECT_EQ(run.Results[0]->GroupCount, 20);
  EXPECT_EQ(run.Results[0]->PolyCoefs.size(), 4u);
}

}  // namespace
}  // namespace tesvane
