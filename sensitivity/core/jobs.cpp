#include "jobs.h"

#include "correlation.h"

namespace tesvane {

std::vector<int32_t> TCorrRatioInfo::Vector() const {
  std::vector<int32_t> v;
  v.reserve(static_cast<size_t>(Explanatory.Count()) + 2);
  v.push_back(Predicted->Id);
  v.push_back(Base->Id);
  for (const auto& e : Explanatory.Items) v.push_back(e->Id);
  return v;
}

std::vector<std::unique_ptr<TCorrRatioInfo>> BuildJobs(const TFileData& store,
                                                       const std::vector<int32_t>& predicted,
                                                       const std::vector<int32_t>& base) {
  std::vector<std::unique_ptr<TCorrRatioInfo>> jobs;
  for (int32_t p : predicted) {
    TRandomVariableRef pv = store.Variables.FindById(p);
    if (!pv) continue;
    for (int32_t b : base) {
      TRandomVariableRef bv = store.Variables.FindById(b);
      if (!bv) continue;
      TRandVarList explanatory;
      for (int32_t e : base) {
        if (e == b) continue;
        if (TRandomVariableRef ev = store.Variables.FindById(e)) explanatory.Add(ev);
      }
      jobs.push_back(std::make_unique<TCorrRatioInfo>(pv, std::move(explanatory), bv));
    }
  }
  return jobs;
}

void FillItemInputs(TSensitivityItem& item, const TFileData& store,
                    const std::vector<int32_t>& vector, int32_t basePos,
                    const TRunParameters& parameters) {
  const size_t y = static_cast<size_t>(vector[0]);
  const size_t x = static_cast<size_t>(vector[static_cast<size_t>(basePos)]);
  item.SetNames(store.Names, vector);
  item.VariableIds = vector;
  item.BasePos = basePos;
  item.BaseDistinct = store.DistinctCounts[x];
  item.BaseMin = store.MinValues[x];
  item.BaseMax = store.MaxValues[x];
  item.PredictedMin = store.MinValues[y];
  item.PredictedMax = store.MaxValues[y];
  item.SampleCount = store.SampleCount;
  item.GroupCount = parameters.GroupCount;
  item.UsableCount = parameters.GroupCount > 0
                         ? store.SampleCount / parameters.GroupCount * parameters.GroupCount
                         : 0;
  item.PredictedIsExplanatory = false;
  for (size_t i = 2; i < vector.size(); ++i)
    if (vector[i] == vector[0]) item.PredictedIsExplanatory = true;
}

TJobResult ComputeJobItemByItem(const TFileData& store, const TCorrRatioInfo& job,
                                const TRunParameters& parameters) {
  const std::vector<int32_t> vector = job.Vector();
  const int32_t k = static_cast<int32_t>(vector.size());
  const int32_t n = store.SampleCount;
  TSquareMatrix correlation, cofactors;
  std::vector<double> variances, means;
  CorrelationMatrix(n, vector, store.Samples, correlation, variances, means);
  double det = Determinant(correlation);
  if (!(det >= 0)) det = 0;
  CofactorMatrix(correlation, cofactors);
  const int32_t b = IndexOfInt(job.Base->Id, vector, k - 1);

  auto item = std::make_unique<TSensitivityItem>();
  FillItemInputs(*item, store, vector, b, parameters);
  item->MeanPredicted = static_cast<float>(means[0]);
  item->MeanBase = static_cast<float>(means[static_cast<size_t>(b)]);
  item->VarPredicted = static_cast<float>(variances[0]);
  item->VarBase = static_cast<float>(variances[static_cast<size_t>(b)]);
  item->Correlation = static_cast<float>(correlation(0, b));
  const double* y = store.Samples[static_cast<size_t>(vector[0])].data();
  const double* x = store.Samples[static_cast<size_t>(vector[static_cast<size_t>(b)])].data();
  if (item->UsableCount > 0)
    item->CalcConditionalExpectation(y, x, item->UsableCount, item->GroupCount);
  item->CalcRankCorrelation(y, x, n);
  item->CalcCorrelationRatio(y, x, n, vector[0] == vector[static_cast<size_t>(b)],
                             parameters.Degree, means[static_cast<size_t>(b)],
                             variances[static_cast<size_t>(b)], means[0], variances[0]);
  item->CorrDeterminant = static_cast<float>(det);
  item->CalcPartialCoefficients(cofactors(b, b), cofactors(0, 0), cofactors(0, b), det);
  item->GetResults();

  TJobResult result;
  result.Item = std::move(item);
  result.Correlation = TJobMatrix(std::move(correlation));
  result.Cofactors = TJobMatrix(std::move(cofactors));
  return result;
}

}  // namespace tesvane
