#include "batch_engine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <mutex>
#include <thread>

#include "correlation.h"
#include "poly_fit.h"

namespace tesvane {

struct TBatchEngine::TVariableCache {
  int32_t Id = 0;
  double Mean = 0, Variance = 0;
  TMidRanks Ranks;
  bool IsBase = false;
  TConditionalPoints Points;
  std::vector<double> Z;   // standardised row (base variables with a variance)
  TOrthogonalBasis Basis;  // orthogonal polynomials of z up to the degree
};

struct TBatchEngine::TCofactorSet {
  std::vector<int32_t> Ids;  // sorted, with repeats
  double Det = 0;
  std::shared_ptr<TSquareMatrix> Cofactors;
};

// Above this determinant a correlation matrix is inverted to give its
// cofactors (det times the inverse); below it the cofactors come from the
// determinants of the minors, as the item-by-item computation does.
static constexpr double InverseDeterminantLimit = 1e-10;

TBatchEngine::TBatchEngine(const TFileData& store, const TRunParameters& parameters,
                           unsigned threads)
    : store_(store),
      parameters_(parameters),
      threads_(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads) {}

TBatchEngine::~TBatchEngine() = default;

void TBatchEngine::ParallelFor(size_t count, const std::function<void(size_t)>& body) const {
  const unsigned t = static_cast<unsigned>(std::min<size_t>(threads_, count));
  if (t <= 1) {
    for (size_t i = 0; i < count; ++i) body(i);
    return;
  }
  std::atomic<size_t> next{0};
  std::exception_ptr error;
  std::mutex errorLock;
  std::vector<std::thread> pool;
  for (unsigned w = 0; w < t; ++w)
    pool.emplace_back([&]() {
      try {
        for (size_t i; (i = next.fetch_add(1)) < count;) body(i);
      } catch (...) {
        std::lock_guard<std::mutex> g(errorLock);
        if (!error) error = std::current_exception();
        next = count;
      }
    });
  for (auto& th : pool) th.join();
  if (error) std::rethrow_exception(error);
}

void TBatchEngine::ComputeCofactorSet(TCofactorSet& set, const TSquareMatrix& sub) {
  const int32_t k = sub.Size();
  auto cof = std::make_shared<TSquareMatrix>(k);
  int32_t repeats = 0, first = -1;
  for (int32_t i = 0; i + 1 < k; ++i)
    if (set.Ids[static_cast<size_t>(i)] == set.Ids[static_cast<size_t>(i) + 1]) {
      ++repeats;
      if (first < 0) first = i;
    }
  if (k == 1) {
    (*cof)(0, 0) = 1.0;
    set.Det = sub(0, 0);
  } else if (repeats == 0) {
    set.Det = Determinant(sub);
    if (set.Det > InverseDeterminantLimit) {
      TSquareMatrix inv = sub;
      std::vector<double> rhs(static_cast<size_t>(k), 0.0);
      if (SolveGaussJordan(inv, rhs, 0, k - 1) == FitSolved) {
        for (int32_t i = 0; i < k; ++i)
          for (int32_t j = 0; j < k; ++j) (*cof)(i, j) = set.Det * 0.5 * (inv(i, j) + inv(j, i));
      } else {
        CofactorMatrix(sub, *cof);
      }
    } else {
      CofactorMatrix(sub, *cof);
    }
  } else if (repeats == 1) {
    // One variable twice: the matrix has rank k - 1 and its cofactor matrix
    // is det(M) u u^T, M the matrix without one copy, u = e_a - e_b.
    const int32_t a = first, b = first + 1;
    TSquareMatrix minor;
    BuildMinor(sub, minor, b, b);
    const double detM = Determinant(minor);
    (*cof)(a, a) = detM;
    (*cof)(b, b) = detM;
    (*cof)(a, b) = -detM;
    (*cof)(b, a) = -detM;
    set.Det = 0.0;
  } else {
    set.Det = 0.0;  // rank k - 2 or less: every cofactor is 0
  }
  set.Cofactors = std::move(cof);
}

void TBatchEngine::Prepare(const std::vector<const TCorrRatioInfo*>& jobs) {
  AssignSlots(jobs);
  if (cache_.empty()) return;
  if (store_.SampleCount < 2)
    throw ESensitivityError("At least two samples are needed to compute a variance");
  CacheVariables();
  CorrelateSlots();
  PrepareCofactorSets(jobs);
}

void TBatchEngine::AssignSlots(const std::vector<const TCorrRatioInfo*>& jobs) {
  const int32_t varCount = store_.VarCount;
  slotOf_.assign(static_cast<size_t>(varCount), -1);
  cache_.clear();
  sets_.clear();
  auto slotFor = [&](int32_t id) {
    if (id < 0 || id >= varCount)
      throw ESensitivityError("A job names a variable that is not loaded");
    int32_t& s = slotOf_[static_cast<size_t>(id)];
    if (s < 0) {
      s = static_cast<int32_t>(cache_.size());
      cache_.push_back(std::make_unique<TVariableCache>());
      cache_.back()->Id = id;
    }
    return s;
  };
  for (const TCorrRatioInfo* job : jobs) {
    for (int32_t id : job->Vector()) slotFor(id);
    cache_[static_cast<size_t>(slotFor(job->Base->Id))]->IsBase = true;
  }
}

void TBatchEngine::CacheVariables() {
  const int64_t n = store_.SampleCount;
  const int32_t usable =
      parameters_.GroupCount > 0
          ? static_cast<int32_t>(n / parameters_.GroupCount * parameters_.GroupCount)
          : 0;
  const int32_t degree = parameters_.Degree;
  ParallelFor(cache_.size(), [&](size_t s) {
    TVariableCache& c = *cache_[s];
    const double* x = store_.Samples[static_cast<size_t>(c.Id)].data();
    MeanAndVariance(x, n, c.Mean, c.Variance);
    std::vector<int32_t> order;
    CalcMidRanksFast(x, n, c.Ranks, c.IsBase ? &order : nullptr);
    if (!c.IsBase) return;
    // The grouping of a variable of more than 20 distinct values depends on
    // the documented sort's order of equal values only where a run of them
    // crosses a group boundary; then that sort is run.
    const int32_t distinct = store_.DistinctCounts[static_cast<size_t>(c.Id)];
    if (distinct > DiscreteThreshold && usable > 0) {
      const int64_t g = usable / parameters_.GroupCount;
      bool crossed = false;
      for (int64_t q = g; q <= usable && q < n && !crossed; q += g)
        crossed = x[order[static_cast<size_t>(q - 1)]] == x[order[static_cast<size_t>(q)]];
      if (crossed) IntroSortOrder(x, n, order);
    }
    BuildConditionalPoints(x, order, n, usable, parameters_.GroupCount, distinct, c.Points);
    if (c.Variance > 0.0 && n - 1 >= degree) {
      const double sd = std::sqrt(c.Variance);
      c.Z.resize(static_cast<size_t>(n));
      for (int64_t i = 0; i < n; ++i) c.Z[static_cast<size_t>(i)] = StandardScore(x[i], c.Mean, sd);
      BuildOrthogonalBasis(c.Z.data(), n, degree, c.Basis);
      c.Basis.UnscaledSingular = UnscaledFitSingular(x, n, degree);
    }
  });
}

void TBatchEngine::CorrelateSlots() {
  const int64_t n = store_.SampleCount;
  const size_t slots = cache_.size();
  correlation_ = std::make_shared<TSquareMatrix>(static_cast<int32_t>(slots));
  std::vector<std::pair<size_t, size_t>> pairs;
  for (size_t i = 0; i < slots; ++i) {
    (*correlation_)(static_cast<int32_t>(i), static_cast<int32_t>(i)) = 1.0;
    for (size_t j = i + 1; j < slots; ++j) pairs.emplace_back(i, j);
  }
  ParallelFor(pairs.size(), [&](size_t p) {
    const auto [i, j] = pairs[p];
    const TVariableCache& a = *cache_[i];
    const TVariableCache& b = *cache_[j];
    const double r = PearsonCorrelation(store_.Samples[static_cast<size_t>(a.Id)].data(),
                                        store_.Samples[static_cast<size_t>(b.Id)].data(), n,
                                        a.Variance, b.Variance, a.Mean, b.Mean);
    (*correlation_)(static_cast<int32_t>(i), static_cast<int32_t>(j)) = r;
    (*correlation_)(static_cast<int32_t>(j), static_cast<int32_t>(i)) = r;
  });
}

void TBatchEngine::PrepareCofactorSets(const std::vector<const TCorrRatioInfo*>& jobs) {
  for (const TCorrRatioInfo* job : jobs) {
    std::vector<int32_t> key = job->Vector();
    std::sort(key.begin(), key.end());
    if (sets_.count(key) == 0) {
      auto set = std::make_shared<TCofactorSet>();
      set->Ids = key;
      sets_.emplace(std::move(key), std::move(set));
    }
  }
  std::vector<TCofactorSet*> pending;
  for (auto& [key, set] : sets_) pending.push_back(set.get());
  ParallelFor(pending.size(), [&](size_t s) {
    TCofactorSet& set = *pending[s];
    const int32_t k = static_cast<int32_t>(set.Ids.size());
    TSquareMatrix sub(k);
    for (int32_t i = 0; i < k; ++i)
      for (int32_t j = 0; j < k; ++j)
        sub(i, j) = (*correlation_)(slotOf_[static_cast<size_t>(set.Ids[static_cast<size_t>(i)])],
                                    slotOf_[static_cast<size_t>(set.Ids[static_cast<size_t>(j)])]);
    ComputeCofactorSet(set, sub);
  });
}

TJobResult TBatchEngine::Compute(const TCorrRatioInfo& job) const {
  const std::vector<int32_t> vector = job.Vector();
  const int32_t k = static_cast<int32_t>(vector.size());
  const int64_t n = store_.SampleCount;
  const int32_t b = IndexOfInt(job.Base->Id, vector, k - 1);
  const int32_t yId = vector[0];
  const int32_t xId = vector[static_cast<size_t>(b)];
  const TVariableCache& cy = *cache_[static_cast<size_t>(slotOf_[static_cast<size_t>(yId)])];
  const TVariableCache& cx = *cache_[static_cast<size_t>(slotOf_[static_cast<size_t>(xId)])];
  const double* y = store_.Samples[static_cast<size_t>(yId)].data();
  const double* x = store_.Samples[static_cast<size_t>(xId)].data();

  auto item = std::make_unique<TSensitivityItem>();
  FillItemInputs(*item, store_, vector, b, parameters_);
  item->MeanPredicted = static_cast<float>(cy.Mean);
  item->MeanBase = static_cast<float>(cx.Mean);
  item->VarPredicted = static_cast<float>(cy.Variance);
  item->VarBase = static_cast<float>(cx.Variance);
  std::vector<int32_t> slots(static_cast<size_t>(k));
  for (int32_t i = 0; i < k; ++i)
    slots[static_cast<size_t>(i)] = slotOf_[static_cast<size_t>(vector[static_cast<size_t>(i)])];
  TJobMatrix correlation(correlation_, slots);
  item->Correlation = static_cast<float>(correlation(0, b));
  if (item->UsableCount > 0) item->SetConditionalExpectation(y, n, cx.Points);
  item->SetRankCorrelation(
      n, cy.Ranks, cx.Ranks,
      SumSquaredRankDifferences4(cy.Ranks.TwiceRanks.data(), cx.Ranks.TwiceRanks.data(), n));
  item->SetRegressionCoef();
  item->CalcCorrelationRatio(y, x, n, yId == xId, parameters_.Degree, cx.Mean, cx.Variance, cy.Mean,
                             cy.Variance, cx.Z.empty() ? nullptr : cx.Z.data(), &cx.Basis);

  std::vector<int32_t> key = vector;
  std::sort(key.begin(), key.end());
  const TCofactorSet& set = *sets_.at(key);
  // Job position -> position in the set; repeats take their copies in order.
  std::vector<int32_t> positions(static_cast<size_t>(k));
  std::vector<bool> used(static_cast<size_t>(k), false);
  for (int32_t i = 0; i < k; ++i) {
    auto it = std::lower_bound(set.Ids.begin(), set.Ids.end(), vector[static_cast<size_t>(i)]);
    size_t p = static_cast<size_t>(it - set.Ids.begin());
    while (used[p]) ++p;
    used[p] = true;
    positions[static_cast<size_t>(i)] = static_cast<int32_t>(p);
  }
  TJobMatrix cofactors(set.Cofactors, positions);
  item->CorrDeterminant = static_cast<float>(set.Det >= 0 ? set.Det : 0.0);
  item->CalcPartialCoefficients(cofactors(b, b), cofactors(0, 0), cofactors(0, b),
                                set.Det >= 0 ? set.Det : 0.0);
  item->GetResults();

  TJobResult result;
  result.Item = std::move(item);
  result.Correlation = std::move(correlation);
  result.Cofactors = std::move(cofactors);
  return result;
}

}  // namespace tesvane
