// The bundled network example: two plants with uncertain output ship through
// two warehouses to three markets with uncertain demand; the transport costs
// are uncertain too. Every sample is solved as a minimum-cost flow; a store
// "x" takes up what the markets do not buy (or, when they want more than the
// plants make, supplies the rest at a high price).
//
// Names bind the variables to the network: "s<node>" supplies, "d<node>"
// demands ("dx" balances the network), "<from>c<to>" arc costs and
// "<from>u<to>" arc capacities. The run's outputs are the flow "<from>F<to>"
// and the marginal cost "<from>M<to>" of every arc and the optimum "opt".
//
//   tesmira_transport [output folder]
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"

using example::AddFormula;
using example::AddVariable;
using example::Link;
using example::Node;

namespace {

void Arc(const std::string& from, const std::string& to, int costType, double c1, double c2,
         double c3, double capacity) {
  AddVariable(from + "c" + to, costType, c1, c2, c3, costType == DistTriangular ? c3 * 1.5 : 0);
  AddVariable(from + "u" + to, DistConstant, capacity);
  Node(from + "c" + to);
  Node(from + "u" + to);
}

void BuildModel() {
  SetModelType(ModelTypeZoziVor);
  // Plant output and market demand (whole units; halves round to even).
  AddVariable("sp1", DistNormal, 400, 40);
  AddVariable("sp2", DistUniform, 250, 350);
  AddVariable("dm1", DistNormal, 220, 25);
  AddVariable("dm2", DistUniform, 150, 250);
  AddVariable("dm3", DistNormal, 180, 30);
  AddVariable("dx", DistConstant, 0);  // raised by the run to balance the network
  Link("sp1", "sp2", 0.4, CopulaNormal);
  Link("dm1", "dm2", 0.5, CopulaNormal);
  Node("dm3");
  Node("dx");
  // Plants to warehouses: triangular costs (mode, lower, upper = 1.5 lower).
  Arc("p1", "w1", DistTriangular, 0, 4, 3, 500);
  Arc("p1", "w2", DistTriangular, 0, 6, 5, 500);
  Arc("p2", "w1", DistTriangular, 0, 7, 6, 400);
  Arc("p2", "w2", DistTriangular, 0, 2.5, 2, 400);
  // Warehouses to markets: uniform costs, limited lanes.
  Arc("w1", "m1", DistUniform, 2, 4, 0, 250);
  Arc("w1", "m2", DistUniform, 3, 6, 0, 150);
  Arc("w2", "m2", DistUniform, 2, 3, 0, 200);
  Arc("w2", "m3", DistUniform, 1, 3, 0, 250);
  // The store: surplus goes in at a holding cost, shortfalls come out dear.
  Arc("w1", "x", DistUniform, 0.5, 1, 0, 1000);
  Arc("w2", "x", DistUniform, 0.5, 1, 0, 1000);
  Arc("x", "m1", DistUniform, 20, 30, 0, 1000);
  Arc("x", "m3", DistUniform, 20, 30, 0, 1000);
  // Fuel prices move the costs out of each plant together.
  Link("p1cw1", "p1cw2", 0.8, CopulaNormal);
  Link("p2cw1", "p2cw2", 0.8, CopulaNormal);
  AddFormula("margin", "sp1+sp2-dm1-dm2-dm3");
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = example::OutputFolder(argc, argv);

  Init_Model_data();
  SetModelFileName((dir / "transport.tsm").string().c_str());
  BuildModel();

  TRunRequest request = DefaultRunRequest;
  request.runs = 20;  // 2000 samples
  request.seed = 4242;
  request.options = RunWriteInputs | RunWriteOutputs | RunCommaSeparated;
  std::printf("Simulating the transport network (%d variables, %d formula)\n",
              GetNumberOfRandomVariables(), GetNumberOfFormulas());
  int32_t code = Run_simul(&request);
  std::string message(reinterpret_cast<const char*>(request.message + 1), request.message[0]);
  if (code != RunCompleted) {
    std::printf("Run failed with code %d: %s\n", code, message.c_str());
    End_model_data();
    return 1;
  }
  if (!message.empty()) std::printf("Note: %s\n", message.c_str());

  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  auto* results = static_cast<TSampleResults*>(Fetch_object(ObjSampleResults, 0, nullptr, &size));
  std::printf("Samples: %d requested, %d accepted\n", data->requested, data->accepted);
  std::printf("Sample files:\n  %s\n  %s\nSolver trace:\n  %s\n",
              (dir / "transport.SAM").string().c_str(), (dir / "transport.sae").string().c_str(),
              (dir / "debug.znp").string().c_str());
  std::printf("\n%-8s %12s %12s\n", "output", "mean", "std. dev.");
  for (int k = 1; k <= data->outputs.count; ++k) {
    const TSampleListEntry& e = data->outputs.entries[k - 1];
    std::string name(reinterpret_cast<const char*>(e.name + 1), e.name[0]);
    int p = data->inputs.count + k;
    if (name.find('M') != std::string::npos) continue;  // flows and the optimum only
    std::printf("%-8s %12.2f %12.2f\n", name.c_str(), results->means[p - 1],
                std::sqrt(results->variances[p - 1]));
  }
  End_model_data();
  return 0;
}
