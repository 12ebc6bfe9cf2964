// The flat sampling plan of a run: every dependence structure of the model
// walked once before the run into a list of steps in drawing order, so that
// the per-sample work touches no node record and allocates nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dependence/vine_samplers.h"

namespace tesmira {

struct SampleStep {
  enum Kind : uint8_t {
    Head,         // a structure head: a fresh uniform
    Conditional,  // a child: conditional inverse of the copula for a fresh uniform
    MinInfo,      // a child of a minimum-information arc: grid sampler (a uniform is drawn all the
                  // same)
    OldBand,      // a child of a band arc in the old band mode: old band table
    Copy,         // a vine below a composite node: the composite node's value
    Normal,       // a child of a normal-copula arc, drawn on the normal scale (below)
    // A whole structure, after its root's value: node is the root, parent
    // the index of the sampler in the plan's list of that kind.
    NormalNet,      // a vine of the normal copula, or a correlation matrix
    CanonicalVine,  // a canonical vine of another copula
    DVine           // a D-vine of another copula
  };
  Kind kind;
  // The node's normal score z = NormalQuantile(u) is kept for its own
  // normal-copula children: a normal arc then costs one quantile and one
  // distribution function instead of two quantiles and one, and a chain of
  // normal arcs carries z = rho z_parent + sqrt(1 - rho^2) NormalQuantile(t)
  // exactly instead of through u and back.
  bool needZ;
  int8_t copula;     // copula type of the arc
  int32_t node;      // 0-based node position (= input list position - 1)
  int32_t parent;    // 0-based parent position, -1 for heads
  double rank;       // rank correlation with the parent
  double parameter;  // copula parameter derived from the rank correlation
  double spread;     // Normal: sqrt(1 - parameter^2)
};

// The plan owns the structure samplers (nets with their Cholesky factors,
// memo tables), so they are built at the start of every run from the values
// the model holds then, and released with the plan on every way out of it.
struct SamplingPlan {
  std::vector<SampleStep> steps;
  int nodeCount = 0;
  std::vector<TNormalBBN> nets;
  std::vector<TCanonicalVineSampler> canonicalVines;
  std::vector<TDVineSampler> dVines;
};

// Builds the plan of the global model. alternative selects the routine used
// for the seed 4638: each tree's arcs follow the copula of the tree's head,
// and band arcs use the old band table when oldBand (the run's old diagonal
// band mode) is on. A child of a Constant variable is drawn like any other:
// leaving the constant's uniform at 0 would condition its whole subtree on
// the lowest quantile. A vine is sampled as a whole: with the normal copula by
// a normal belief net, otherwise a canonical vine by nested conditional
// inverses and a D-vine by the D-vine sampler; a correlation matrix (its
// cells rank correlations) by a normal belief net. In the alternative
// routine the D-vines are drawn after every other structure. False with a
// message naming the structure when one cannot be sampled: a user-defined
// vine, a vine of the minimum-information copula, a D-vine in the old band
// mode, a matrix with empty cells or one that is not positive definite.
bool BuildSamplingPlan(SamplingPlan& plan, bool alternative, bool oldBand, std::string& message);

// True when the alternative routine can sample every structure of the model
// (it has no normal belief nets: no matrices and no normal vines).
bool AlternativeRoutineCovers();

// Draws one sample of uniforms into u[0 .. nodeCount-1] (every node of a
// structure is overwritten); z[0 .. nodeCount-1] is work space for the
// normal scores.
void DrawSample(const SamplingPlan& plan, double* u, double* z, int32_t& idum);

}  // namespace tesmira
