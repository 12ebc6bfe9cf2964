// The second bundled example: dependence given entirely by rank and
// conditional rank correlations. A D-vine of six variables (Frank copula), a
// canonical vine of four (Clayton copula) and a correlation matrix of four
// (normal copula), built through the engine's exported interface, simulated,
// and the rank correlations reached printed beside their targets.
//
//   tesmira_vines_demo [output folder]
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"
#include "tesmira/vines.h"

using example::AddVariable;
using example::Link;
using example::Node;

namespace {

struct Target {
  const char* a;
  const char* b;
  double rank;
};

// Links the named variables into a chain (D-vine) or a star under the first
// (canonical vine, matrix), sets the structure's type and copula, names it
// and leaves it the current structure.
void Structure(const std::vector<const char*>& names, bool chain, int type, int copula,
               const char* title) {
  // Linked as plain tree arcs first, then every member typed (a vine
  // whose members are tree nodes is rebuilt through a composite node).
  SetCurrentDependenceStructureRoot(nullptr, "");
  for (std::size_t k = 1; k < names.size(); ++k)
    Link(chain ? names[k - 1] : names[0], names[k], 0.0, copula);
  SetCurrentDependenceStructureRoot(Node(names[0]), title);
  SetDependenceType(nullptr, type);
  for (const char* n : names) SetBivariateType(Node(n), copula);
}

void BuildModel(std::vector<Target>& targets) {
  // Every variable first: a variable added later rebuilds the dependence
  // structures of the store.
  for (const char* f : {"flow_1", "flow_2", "flow_3", "flow_4", "flow_5", "flow_6"})
    AddVariable(f, DistLogNormal, 200, 3);
  AddVariable("gauge", DistGamma, 2, 0.1, 0, 0);
  AddVariable("catchment_a", DistGamma, 2, 0.1, 0, 0);
  AddVariable("catchment_b", DistWeibull, 0, 1.5, 25, 0);
  AddVariable("catchment_c", DistUniform, 5, 60);
  AddVariable("labour", DistNormal, 50, 8);
  AddVariable("material", DistTriangular, 0, 30, 20, 60);
  AddVariable("transport", DistUniform, 5, 15);
  AddVariable("downtime", DistExponential, 0.2, 0, 0, 0);

  // A river reach: six flows along the reach in a D-vine. Neighbours carry
  // the first level; the conditional levels tie flows further apart given
  // the ones between them.
  const std::vector<const char*> flows = {"flow_1", "flow_2", "flow_3",
                                          "flow_4", "flow_5", "flow_6"};
  Structure(flows, true, DepDVine, CopulaFrank, "reach");
  const double neighbours[5] = {0.8, 0.7, 0.75, 0.6, 0.65};
  for (int k = 0; k < 5; ++k) {
    Vine_SetCorrValue(Node(flows[k]), 1, neighbours[k]);
    targets.push_back({flows[k], flows[k + 1], neighbours[k]});
  }
  for (int k = 0; k < 4; ++k)
    Vine_SetCorrValue(Node(flows[k]), 2, 0.3);  // flow_k, flow_k+2 | flow_k+1
  for (int k = 0; k < 3; ++k) Vine_SetCorrValue(Node(flows[k]), 3, -0.2);

  // Rainfall at a gauge and three catchments: a canonical vine rooted at the
  // gauge, whose first level ties each catchment to it.
  const std::vector<const char*> rain = {"gauge", "catchment_a", "catchment_b", "catchment_c"};
  Structure(rain, false, DepCanonicalVine, CopulaClayton, "rain");
  const double toGauge[3] = {0.7, 0.6, 0.8};
  for (int k = 1; k <= 3; ++k) {
    Vine_SetCorrValue(Node(rain[k]), 1, toGauge[k - 1]);
    targets.push_back({rain[0], rain[k], toGauge[k - 1]});
  }
  Vine_SetCorrValue(Node(rain[2]), 2, 0.4);  // catchment_a, catchment_b | gauge
  Vine_SetCorrValue(Node(rain[3]), 2, 0.3);
  Vine_SetCorrValue(Node(rain[3]), 3, 0.2);

  // Costs of repair: a full rank correlation matrix under the normal copula.
  const std::vector<const char*> cost = {"labour", "material", "transport", "downtime"};
  Structure(cost, false, DepCorrelationMatrix, CopulaNormal, "repair");
  CMatrix_Initialize();
  // clang-format off
  const double cells[4][4] = {{1, 0.5, 0.3, 0.6},
                              {0.5, 1, 0.4, 0.2},
                              {0.3, 0.4, 1, -0.3},
                              {0.6, 0.2, -0.3, 1}};
  // clang-format on
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) {
      CMatrix_SetCell(Node(cost[i]), Node(cost[j]), cells[i][j]);
      targets.push_back({cost[i], cost[j], cells[i][j]});
    }
  SetCurrentDependenceStructureRoot(nullptr, "");
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = example::OutputFolder(argc, argv);

  Init_Model_data();
  SetModelFileName((dir / "vines.tsm").string().c_str());
  std::vector<Target> targets;
  BuildModel(targets);

  TRunRequest request = DefaultRunRequest;
  request.runs = 500;  // 50000 samples
  request.seed = 7;
  request.resolution = 1000;
  request.correlationKind = 2;  // rank correlations
  request.options = RunWriteInputs | RunCommaSeparated;
  std::printf(
      "\nSimulating the vine example (%d variables: a D-vine, a canonical vine and a matrix)\n",
      GetNumberOfRandomVariables());
  const int32_t code = Run_simul(&request);
  const std::string message(reinterpret_cast<const char*>(request.message + 1), request.message[0]);
  if (code != RunCompleted) {
    std::printf("Run failed with code %d: %s\n", code, message.c_str());
    End_model_data();
    return 1;
  }
  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  std::printf("Samples: %d; sample file %s\n", data->accepted,
              (dir / "vines.SAM").string().c_str());
  std::printf("\n%-12s %-12s %8s %8s\n", "variable", "variable", "target", "reached");
  for (const Target& t : targets) {
    const int i = Sample_variable_exists(t.a, &data->inputs);
    const int j = Sample_variable_exists(t.b, &data->inputs);
    if (i < 1 || j < 1) continue;
    std::printf("%-12s %-12s %8.3f %8.3f\n", t.a, t.b, t.rank, Get_sample_correlation(i, j));
  }
  End_model_data();
  return 0;
}
