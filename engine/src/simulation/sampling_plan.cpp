#include "simulation/sampling_plan.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "dependence/copula_tables.h"
#include "dependence/copulas.h"
#include "dependence/generator.h"
#include "dependence/partial_peeling.h"
#include "dependence/vine_slots.h"
#include "model/store.h"
#include "tesmira/records.h"
#include "tesmira/vines.h"

namespace tesmira {
namespace {

// A uniform for functions whose domain excludes 0: the generator can return
// exactly 0 once in 2^32 draws.
inline double OpenUniform(int32_t& idum) {
  double u = NextUniform(idum);
  return u > 0.0 ? u : 0.5 / 4294967296.0;
}

}  // namespace

namespace {

std::string StructureLabel(int root) {
  return "the structure `" + StructureDisplayName(NodeAt(root)) + "`";
}

// A stored vine value as a correlation: not set or not addressable reads as 0.
bool VineValue(int node, int level, double& x) {
  x = Vine_GetCorrValue(NodeAt(node), level);
  if (IsCorrNotSet(x) || IsCorrUnavailable(x)) x = 0.0;
  return x > -1.0 && x < 1.0;
}

// Why the structure headed by root cannot be sampled; empty when it can.
std::string UnsampledStructure(int root, int type, int copula, bool oldBand) {
  if (type == DepUserVine)
    return "User-defined vines can not be sampled by this version; " + StructureLabel(root) +
           " is one";
  if (type != DepCorrelationMatrix && copula == CopulaMinimumInformation)
    return "The minimum information copula can not be used on a vine; " + StructureLabel(root) +
           " uses it";
  if (type == DepDVine && copula != CopulaNormal && oldBand)
    return "D-vines are not sampled in the old diagonal band mode; convert " +
           StructureLabel(root) + " to a canonical vine first";
  return {};
}

// The matrix's cells as product-moment correlations of the normal copula.
bool MatrixValues(int root, const std::vector<int>& nodes, int n, TCorrRows& values,
                  std::string& message) {
  for (int i = 1; i <= n; ++i)
    for (int j = i + 1; j <= n; ++j) {
      const double r = CMatrix_GetCell(NodeAt(nodes[i]), NodeAt(nodes[j]));
      if (IsCorrNotSet(r) || IsCorrUnavailable(r) || !(r > -1.0 && r < 1.0)) {
        message = "The correlation matrix of " + StructureLabel(root) +
                  " contains empty or invalid data cells";
        return false;
      }
      values[i - 1][j - 1] = values[j - 1][i - 1] = NormalRhoFromRank(r);
    }
  return true;
}

// The vine's values by position and level (product-moment for the normal copula).
bool VineValues(int root, const std::vector<int>& nodes, int n, bool dvine, int copula,
                TCorrRows& values, std::string& message) {
  for (int p = 1; p <= n; ++p)
    for (int level = 1; level <= (dvine ? n - p : p - 1); ++level) {
      double x = 0.0;
      if (!VineValue(nodes[p], level, x)) {
        message = "The input structure is not a valid vine: " + StructureLabel(root);
        return false;
      }
      // D-vine: values[j][i] of positions j, j + i; canonical: values[p][l].
      values[p - 1][static_cast<std::size_t>(level)] =
          copula == CopulaNormal ? NormalRhoFromRank(x) : x;
    }
  return true;
}

// A vine of another copula than the normal one, sampled as a vine.
bool AddVineSampler(SamplingPlan& plan, SampleStep step, int copula, bool dvine,
                    const std::vector<int>& positions, const TCorrRows& values,
                    std::string& message) {
  if (dvine) {
    step.kind = SampleStep::DVine;
    step.parent = static_cast<int32_t>(plan.dVines.size());
    plan.dVines.emplace_back();
    try {
      plan.dVines.back().Build(copula, positions, values);
    } catch (const std::bad_alloc&) {
      message = DVineMemoMessage();
      return false;
    }
  } else {
    step.kind = SampleStep::CanonicalVine;
    step.parent = static_cast<int32_t>(plan.canonicalVines.size());
    plan.canonicalVines.emplace_back();
    plan.canonicalVines.back().Build(copula, positions, values);
  }
  plan.steps.push_back(step);
  return true;
}

// Adds the sampler of the vine or matrix headed by root to the plan and its
// step after the root's own; the root is the current structure meanwhile.
bool AddStructureSampler(SamplingPlan& plan, int root, bool oldBand, std::string& message) {
  const int type = NodeDepType(root);
  const int copula = NodeCopula(root);
  const int n = LinkedNodesInStructure(root);
  const std::vector<int> nodes = NodesByPosition(root, n);
  std::vector<int> positions(static_cast<std::size_t>(n));
  for (int k = 1; k <= n; ++k) {
    if (nodes[k] == 0) {
      message = "The input structure is not a valid vine: " + StructureLabel(root);
      return false;
    }
    positions[k - 1] = nodes[k] - 1;
  }
  if (std::string why = UnsampledStructure(root, type, copula, oldBand); !why.empty()) {
    message = std::move(why);
    return false;
  }
  SampleStep step{};
  step.node = root - 1;
  step.copula = static_cast<int8_t>(copula);
  TCorrRows values(static_cast<std::size_t>(n),
                   std::vector<double>(static_cast<std::size_t>(n), 0.0));
  if (type == DepCorrelationMatrix) {
    if (!MatrixValues(root, nodes, n, values, message)) return false;
  } else {
    const bool dvine = type == DepDVine;
    if (!VineValues(root, nodes, n, dvine, copula, values, message)) return false;
    if (copula != CopulaNormal)
      return AddVineSampler(plan, step, copula, dvine, positions, values, message);
    // A normal vine is sampled as the correlation matrix it determines.
    TCorrRows r;
    if (dvine) {
      if (!MatrixFromDVine(values, r)) r.clear();
    } else {
      MatrixFromCanonical(values, r);
    }
    values.swap(r);
  }
  for (int i = 0; i < n && static_cast<int>(values.size()) == n; ++i) values[i][i] = 1.0;
  step.kind = SampleStep::NormalNet;
  step.parent = static_cast<int32_t>(plan.nets.size());
  plan.nets.emplace_back();
  if (!plan.nets.back().Build(positions, values)) {
    message = "The correlation matrix of " + StructureLabel(root) + " is not positive definite";
    return false;
  }
  plan.steps.push_back(step);
  return true;
}

}  // namespace

bool AlternativeRoutineCovers() {
  for (int i = 1; i <= NodeCount(); ++i)
    if (IsVineOrMatrixType(i) &&
        (NodeDepType(i) == DepCorrelationMatrix || NodeCopula(i) == CopulaNormal))
      return false;
  return true;
}

namespace {

// Adds the sampler of the vine or matrix under root, built with root as the
// current structure (the current one is restored).
bool AddWholeStructure(SamplingPlan& plan, int root, bool oldBand, std::string& message) {
  void* const current = CurrentRoot();
  SetCurrentRoot(NodeAt(root));
  bool ok = false;
  try {
    ok = AddStructureSampler(plan, root, oldBand, message);
  } catch (const std::bad_alloc&) {
    message = "Not enough memory to sample " + StructureLabel(root);
  }
  SetCurrentRoot(current);
  return ok;
}

// The step that draws child given parent over a tree arc with this copula.
SampleStep TreeArcStep(int child, int parent, int copula, bool alternative, bool oldBand) {
  SampleStep s{};
  s.node = child - 1;
  s.parent = parent - 1;
  s.rank = NodeCorrelation(child);
  s.copula = static_cast<int8_t>(copula);
  if (copula == CopulaMinimumInformation) {
    s.kind = SampleStep::MinInfo;
  } else if (alternative && copula == CopulaDiagonalBand && oldBand) {
    s.kind = SampleStep::OldBand;
  } else if (copula == CopulaNormal) {
    s.kind = SampleStep::Normal;
    s.parameter = CopulaParameter(copula, s.rank);
    s.spread = std::sqrt(std::max(0.0, 1.0 - s.parameter * s.parameter));
  } else {
    s.kind = SampleStep::Conditional;
    s.parameter = CopulaParameter(copula, s.rank);
  }
  return s;
}

}  // namespace

bool BuildSamplingPlan(SamplingPlan& plan, bool alternative, bool oldBand, std::string& message) {
  plan.steps.clear();
  plan.nets.clear();
  plan.canonicalVines.clear();
  plan.dVines.clear();
  int n = NodeCount();
  plan.nodeCount = n;
  // Vines and matrices with members, each sampled as a whole after its
  // root's value; in the alternative routine the D-vines come last.
  std::vector<int> deferred;
  auto addStructure = [&](int root) { return AddWholeStructure(plan, root, oldBand, message); };
  auto markMembers = [&](int root, std::vector<char>& visited) {
    for (int i = 1; i <= n; ++i)
      if (InStructure(i, root)) visited[static_cast<std::size_t>(i)] = 1;
  };
  auto isWholeStructure = [](int i) { return IsVineOrMatrixType(i) && ChildCount(i) > 0; };
  std::vector<char> visited(static_cast<std::size_t>(n) + 1, 0);
  std::vector<std::size_t> stepIndex(static_cast<std::size_t>(n) + 1, 0);
  struct Frame {
    int node;
    int next;  // next child position, 1-based
  };
  std::vector<Frame> stack;
  stack.reserve(static_cast<std::size_t>(n));
  for (int head = 1; head <= n; ++head) {
    if (!IsStructureHead(head, false) || visited[head]) continue;
    visited[head] = 1;
    int headCopula = NodeCopula(head);
    if (isWholeStructure(head)) {
      markMembers(head, visited);
      if (alternative && NodeDepType(head) == DepDVine) {
        deferred.push_back(head);
        continue;
      }
      plan.steps.push_back(
          {SampleStep::Head, false, static_cast<int8_t>(headCopula), head - 1, -1, 0.0, 0.0, 0.0});
      if (!addStructure(head)) return false;
      continue;
    }
    plan.steps.push_back(
        {SampleStep::Head, false, static_cast<int8_t>(headCopula), head - 1, -1, 0.0, 0.0, 0.0});
    stepIndex[static_cast<std::size_t>(head)] = plan.steps.size() - 1;
    stack.assign(1, {head, 1});
    // Depth first: a child's value is drawn, then its own children, then the next sibling.
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next > ChildCount(f.node)) {
        stack.pop_back();
        continue;
      }
      int parent = f.node;
      int child = ChildAt(parent, f.next++);
      if (child < 1 || child > n || visited[child]) continue;  // corrupt links end here
      visited[child] = 1;
      int copula = alternative ? headCopula : NodeCopula(child);
      if (copula < 0 || copula > 12) copula = CopulaNormal;
      SampleStep s = TreeArcStep(child, parent, copula, alternative, oldBand);
      if (IsCompositeType(parent) && IsVineOrMatrixType(child)) {
        s.kind = SampleStep::Copy;  // drawn by the structure: no arc parameters
        s.parameter = 0.0;
        s.spread = 0.0;
        plan.steps.push_back(s);
        if (!isWholeStructure(child)) continue;
        markMembers(child, visited);
        if (alternative && NodeDepType(child) == DepDVine) {
          deferred.push_back(-child);  // its value is the composite node's, copied above
        } else if (!addStructure(child)) {
          return false;
        }
        continue;
      }
      if (s.kind == SampleStep::Normal)
        plan.steps[stepIndex[static_cast<std::size_t>(parent)]].needZ = true;
      plan.steps.push_back(s);
      stepIndex[static_cast<std::size_t>(child)] = plan.steps.size() - 1;
      stack.push_back({child, 1});
    }
  }
  for (int d : deferred) {
    const int root = d < 0 ? -d : d;
    if (d > 0)
      plan.steps.push_back({SampleStep::Head, false, static_cast<int8_t>(NodeCopula(root)),
                            root - 1, -1, 0.0, 0.0, 0.0});
    if (!addStructure(root)) return false;
  }
  return true;
}

void DrawSample(const SamplingPlan& plan, double* u, double* z, int32_t& idum) {
  for (const SampleStep& s : plan.steps) {
    switch (s.kind) {
      case SampleStep::Head: u[s.node] = OpenUniform(idum); break;
      case SampleStep::Conditional:
        u[s.node] = ConditionalInverse(s.copula, s.parameter, u[s.parent], OpenUniform(idum));
        break;
      case SampleStep::Normal: {
        double y =
            s.parameter * z[s.parent] + s.spread * NormalQuantile(OpenUniform(idum), 0.0, 1.0);
        u[s.node] = NormalCdf(y, 0.0, 1.0);
        z[s.node] = y;
        continue;
      }
      case SampleStep::MinInfo:
        NextUniform(idum);
        u[s.node] = SampleMinInfo(CopulaGrid, s.rank, u[s.parent]);
        break;
      case SampleStep::OldBand: u[s.node] = SampleOldBand(s.rank, u[s.parent]); break;
      case SampleStep::Copy: u[s.node] = u[s.parent]; break;
      case SampleStep::NormalNet:
        plan.nets[static_cast<std::size_t>(s.parent)].Sample(u, idum);
        continue;
      case SampleStep::CanonicalVine:
        plan.canonicalVines[static_cast<std::size_t>(s.parent)].Sample(u, idum);
        continue;
      case SampleStep::DVine:
        plan.dVines[static_cast<std::size_t>(s.parent)].Sample(u, idum);
        continue;
    }
    if (s.needZ) z[s.node] = NormalQuantile(u[s.node], 0.0, 1.0);
  }
}

}  // namespace tesmira
