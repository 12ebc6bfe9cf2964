// Tabulated copula samplers: the minimum-information copula (type 2), drawn as
// a diagonal band whose parameter comes from a mixing table indexed by the
// rank correlation, and the old diagonal band, whose band parameters are
// solved once per run for every correlation level k/N of a grid. Every draw
// comes from the engine's generator (generator.h).
#pragma once

#include <cstdint>

namespace tesmira {

// The grid resolution N of the run (20..2000), set by the run's preparation.
extern int32_t CopulaGrid;

// The smallest grid that holds r to three decimals, 20..2000; 0 for r outside
// (-1, 1) or r = 0. Examples: 0.3 and 0.35 give 20, 0.125 gives 200, 0.123 gives 1000.
int32_t CorrelationResolution(double r);
// The largest CorrelationResolution over the given rank correlations; 20 when
// that is 0 (or n = 0).
int32_t GridResolutionOf(const double* correlations, int32_t n);
// The same over every dependence node of the global model, each with the
// node's rank correlation with its parent.
int32_t GridResolution();

// One draw of the minimum-information copula for grid N, rank correlation r
// and parent value u. k = round(N r): k = 0 gives a fresh uniform, k = N gives
// u, k = -N gives 1 - u, |k| > N gives 0.
double SampleMinInfo(int32_t N, double r, double u);
// A band parameter in 0.00..1.00 drawn for the correlation level f/N (0 < f < N).
double SampleBandParameter(int32_t N, int32_t f);
// The mixing distribution function of level f/N at column c (0..101).
double MixingCdf(int32_t N, int32_t f, int32_t c);
// One draw from the diagonal band with parameter g (-1 <= g <= 1, half-width
// 1 - |g|, reflected at the edges) given u; g < 0 is centred on 1 - u. g
// receives the uniform that was drawn.
double SampleReflectedBand(double& g, double u);

// The root in [0, 1] of x + x^2 - x^3 = a, by Newton from 0.5 with at most
// maxSteps steps (stops when a step is below 1e-9).
double SolveBandLevel(int32_t maxSteps, double a);
// Builds the old band table for grid N (x_k for k = 1..N, x_N = 1); false when
// N is outside 1..2000 or memory runs out (the table is then empty).
bool BuildOldBandTable(int32_t N);
void FreeOldBandTable();
// x_k of the current table (0 outside 1..N or when no table is built).
double OldBandEntry(int32_t k);
// One draw of the old diagonal band for rank correlation r and parent value u
// from the current table: k = round(N r); parameter 0, x_k or -x_(-k).
double SampleOldBand(double r, double u);

// The raw probability of band parameter (j - 1)/100 in the mixing row of the
// rank correlation 0.05 i (i = 1..19, j = 1..101); for tests and reports.
double MinInfoMixingProbability(int32_t i, int32_t j);

}  // namespace tesmira
