#include "simulation/sampling_plan.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "dependence/copula_tables.h"
#include "dependence/copulas.h"
#include "dependence/generator.h"
#include "model/store.h"
#include "tesmira/records.h"

namespace tesmira {
namespace {

// A uniform for functions whose domain excludes 0: the generator can return
// exactly 0 once in 2^32 draws.
inline double OpenUniform(int32_t& idum) {
  double u = NextUniform(idum);
  return u > 0.0 ? u : 0.5 / 4294967296.0;
}

}  // namespace

bool AlternativeRoutineCovers() {
  for (int i = 1; i <= NodeCount(); ++i)
    if (IsVineOrMatrixType(i)) return false;
  return true;
}

bool BuildSamplingPlan(SamplingPlan& plan, bool alternative, bool oldBand, std::string& message) {
  plan.steps.clear();
  int n = NodeCount();
  plan.nodeCount = n;
  for (int i = 1; i <= n; ++i) {
    if (IsVineOrMatrixType(i)) {
      message =
          "Vines and correlation matrices can not be sampled by this version; the structure of `" +
          NodeVariableName(NodeAt(i)) + "` needs them";
      return false;
    }
  }
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
    plan.steps.push_back({SampleStep::Head, false, static_cast<int8_t>(headCopula), head - 1, -1, 0.0, 0.0, 0.0});
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
      SampleStep s{};
      s.node = child - 1;
      s.parent = parent - 1;
      s.rank = NodeCorrelation(child);
      int copula = alternative ? headCopula : NodeCopula(child);
      if (copula < 0 || copula > 12) copula = CopulaNormal;
      s.copula = static_cast<int8_t>(copula);
      if (IsCompositeType(parent) && IsVineOrMatrixType(child)) {
        s.kind = SampleStep::Copy;
      } else if (copula == CopulaMinimumInformation) {
        s.kind = SampleStep::MinInfo;
      } else if (alternative && copula == CopulaDiagonalBand && oldBand) {
        s.kind = SampleStep::OldBand;
      } else if (copula == CopulaNormal) {
        s.kind = SampleStep::Normal;
        s.parameter = CopulaParameter(copula, s.rank);
        s.spread = std::sqrt(std::max(0.0, 1.0 - s.parameter * s.parameter));
        plan.steps[stepIndex[static_cast<std::size_t>(parent)]].needZ = true;
      } else {
        s.kind = SampleStep::Conditional;
        s.parameter = CopulaParameter(copula, s.rank);
      }
      plan.steps.push_back(s);
      stepIndex[static_cast<std::size_t>(child)] = plan.steps.size() - 1;
      stack.push_back({child, 1});
    }
  }
  return true;
}

void DrawSample(const SamplingPlan& plan, double* u, double* z, int32_t& idum) {
  for (const SampleStep& s : plan.steps) {
    switch (s.kind) {
      case SampleStep::Head:
        u[s.node] = OpenUniform(idum);
        break;
      case SampleStep::Conditional:
        u[s.node] = ConditionalInverse(s.copula, s.parameter, u[s.parent], OpenUniform(idum));
        break;
      case SampleStep::Normal: {
        double y = s.parameter * z[s.parent] + s.spread * NormalQuantile(OpenUniform(idum), 0.0, 1.0);
        u[s.node] = NormalCdf(y, 0.0, 1.0);
        z[s.node] = y;
        continue;
      }
      case SampleStep::MinInfo:
        NextUniform(idum);
        u[s.node] = SampleMinInfo(CopulaGrid, s.rank, u[s.parent]);
        break;
      case SampleStep::OldBand:
        u[s.node] = SampleOldBand(s.rank, u[s.parent]);
        break;
      case SampleStep::Copy:
        u[s.node] = u[s.parent];
        break;
    }
    if (s.needZ) z[s.node] = NormalQuantile(u[s.node], 0.0, 1.0);
  }
}

}  // namespace tesmira
