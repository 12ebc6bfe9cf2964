// Statistics of a run's accepted samples: moments gathered while sampling,
// the sample results block (means and variances) and the correlations of
// every pair of stored columns that the result files hand out.
#pragma once

#include <cstdint>
#include <vector>

#include "files/sample_store.h"
#include "tesmira/objects.h"

namespace tesmira {

// Adds each value of a list and its square to sum[base + k] and
// sumsq[base + k] (k = 1..count).
void AccumulateMoments(double* sum, double* sumsq, const TSampleList& list, int base);
// The same for count plain values.
void AccumulateMoments(double* sum, double* sumsq, const double* values, int count, int base);

// Means and variances of columns 1..columns from the sums and sums of
// squares (indexed 1..columns) of n accepted samples; both 0 when n < 2.
void ComputeSampleResults(const double* sum, const double* sumsq, int64_t n, int columns,
                          TSampleResults& out);

// The empirical distribution function at x of a quantile table of equally
// spaced probabilities (table[k] at k / (size - 1)): the largest tabulated
// probability whose quantile is at most x, 0 below the table and 1 from its
// last entry on; x itself when the table has fewer than two entries.
double EmpiricalRank(const std::vector<double>& table, double x);

// Correlations of every pair of the store's columns into matrix (n x n,
// row-major, n = RecordWidth()): product-moment, or with correlationKind 2
// rank correlations through the run's empirical distributions. Constant and
// non-finite columns, and columns of nodes without a variable (unless the
// inputs come from a sample file), correlate with nothing. False when the
// store cannot be read.
bool ComputeRunCorrelations(const SampleStore& store, int correlationKind, bool inputSamples,
                            std::vector<float>& matrix);

}  // namespace tesmira
