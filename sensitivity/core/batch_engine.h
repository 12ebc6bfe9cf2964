// The batch engine: computes the jobs of a run with shared work instead of
// recomputing per job (the documented way computes matrices per job):
// - per variable, once: mean and variance, mid-ranks (radix sort), and for a
//   base variable the IntroSort order with its conditional-expectation
//   points, the standardised row and its orthogonal polynomial basis;
// - one correlation matrix of all variables of the run;
// - one determinant and cofactor matrix per set of job variables (all jobs of
//   one predicted variable of the Run command share a set), the jobs' own
//   matrices being views of it in job order.
// Its results equal ComputeJobItemByItem within rounding.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "jobs.h"
#include "ranks.h"
#include "sample_store.h"
#include "sensitivity_item.h"

namespace tesvane {

class TBatchEngine {
 public:
  // `threads` 0 uses the hardware's.
  TBatchEngine(const TFileData& store, const TRunParameters& parameters, unsigned threads = 0);
  ~TBatchEngine();

  // Builds the caches the jobs need. Raises ESensitivityError as the
  // item-by-item computation would (fewer than two samples).
  void Prepare(const std::vector<const TCorrRatioInfo*>& jobs);
  // One job; thread-safe after Prepare. MatrixIndex is left to the caller.
  TJobResult Compute(const TCorrRatioInfo& job) const;

  unsigned Threads() const { return threads_; }

 private:
  struct TVariableCache;
  struct TCofactorSet;
  void ParallelFor(size_t count, const std::function<void(size_t)>& body) const;
  static void ComputeCofactorSet(TCofactorSet& set, const TSquareMatrix& sub);
  // The steps of Prepare: a slot for every variable the jobs use, the slots'
  // moments, ranks and fits, their correlation matrix, the jobs' cofactors.
  void AssignSlots(const std::vector<const TCorrRatioInfo*>& jobs);
  void CacheVariables();
  void CorrelateSlots();
  void PrepareCofactorSets(const std::vector<const TCorrRatioInfo*>& jobs);

  const TFileData& store_;
  TRunParameters parameters_;
  unsigned threads_;
  std::vector<int32_t> slotOf_;  // variable id -> slot in the correlation matrix, -1 if unused
  std::vector<std::unique_ptr<TVariableCache>> cache_;  // per slot
  std::shared_ptr<TSquareMatrix> correlation_;          // slots x slots
  std::map<std::vector<int32_t>, std::shared_ptr<TCofactorSet>> sets_;
};

}  // namespace tesvane
