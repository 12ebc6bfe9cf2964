// Computation jobs. A job names a predicted variable, a base
// variable and explanatory variables; ComputeJobItemByItem is the documented
// computation of one job, the reference for the batch engine.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sample_store.h"
#include "sensitivity_item.h"

namespace tesvane {

class TCorrRatioInfo {
 public:
  TRandomVariableRef Predicted;
  TRandomVariableRef Base;
  TRandVarList Explanatory;

  TCorrRatioInfo(TRandomVariableRef predicted, TRandVarList explanatory, TRandomVariableRef base)
      : Predicted(std::move(predicted)),
        Base(std::move(base)),
        Explanatory(std::move(explanatory)) {}

  // [Predicted.Id, Base.Id, the Ids of Explanatory in list order].
  std::vector<int32_t> Vector() const;
};

// The jobs of the Run command: for each predicted position p, and within it
// for each base position b, one job with the other base variables as
// explanatory variables, in base-list order.
std::vector<std::unique_ptr<TCorrRatioInfo>> BuildJobs(const TFileData& store,
                                                       const std::vector<int32_t>& predicted,
                                                       const std::vector<int32_t>& base);

// The settings a run uses for every job.
struct TRunParameters {
  int32_t GroupCount = 20;
  int32_t Degree = 3;
};

// One job's result and matrices.
struct TJobResult {
  std::unique_ptr<TSensitivityItem> Item;
  TJobMatrix Correlation;
  TJobMatrix Cofactors;
};

// The documented computation of one job,
// with the mended measures. MatrixIndex is left to the caller.
TJobResult ComputeJobItemByItem(const TFileData& store, const TCorrRatioInfo& job,
                                const TRunParameters& parameters);

// The item fields that come from the store and the job's moments (step 8).
void FillItemInputs(TSensitivityItem& item, const TFileData& store,
                    const std::vector<int32_t>& vector, int32_t basePos,
                    const TRunParameters& parameters);

}  // namespace tesvane
