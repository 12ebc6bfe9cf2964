// The bundled example: a small model of a process with uncertain inputs,
// built through the engine's exported interface and simulated into sample
// files.
//
//   tesmira_demo [output folder]
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"

using example::AddFormula;
using example::AddVariable;
using example::Link;

namespace {

bool Progress(int32_t current, int32_t total) {
  static int shown = -1;
  int percent = total > 0 ? static_cast<int>(100.0 * current / total) : 100;
  if (percent / 10 != shown / 10) {
    shown = percent;
    std::fprintf(stderr, "\r  %3d %%", percent);
    if (percent >= 100) std::fprintf(stderr, "\n");
  }
  return true;
}

void BuildModel() {
  // Tree 1: demand drives price and the two supplier lead times.
  AddVariable("demand", DistLogNormal, 1000, 2);         // median, error factor
  AddVariable("price", DistNormal, 12.5, 1.5);           // mean, standard deviation
  AddVariable("leadtime_a", DistGamma, 4, 0.5, 0, 1);    // shape, rate, -, location
  AddVariable("leadtime_b", DistWeibull, 0, 1.8, 6, 0);  // -, shape, scale, location
  Link("demand", "price", 0.6, CopulaNormal);
  Link("demand", "leadtime_a", 0.4, CopulaClayton);
  Link("leadtime_a", "leadtime_b", 0.7, CopulaFrank);
  // Tree 2: production costs.
  AddVariable("unit_cost", DistTriangular, 0, 7, 5, 10);  // -, mode, lower, upper
  AddVariable("yield", DistBeta, 8, 2, 0.5, 1);           // alpha, beta, lower, upper
  AddVariable("energy", DistUniform, 0.8, 1.6);
  AddVariable("failures", DistExponential, 2, 0, 0, 0);  // rate, -, -, location
  Link("unit_cost", "yield", -0.5, CopulaFrank);
  Link("unit_cost", "energy", 0.3, CopulaNormal);
  Link("energy", "failures", 0.5, CopulaClayton);
  // Outputs; the condition keeps the samples whose lead times stay below 20.
  AddFormula("profit", "demand*(price-unit_cost/yield-energy)-100*failures");
  AddFormula("margin", "1-(unit_cost/yield+energy)/price");
  AddFormula("delay", "max{leadtime_a,leadtime_b}");
  AddFormula("condition", "i#{0,leadtime_a+leadtime_b,20}");
}

// Registers every object the builder made in the object directory and saves
// the model file.
bool SaveModel(const std::filesystem::path& path) {
  for (int k = 1; k <= GetNumberOfRandomVariables(); ++k)
    Create_TSMObject(ObjRandomVariable, GetRanVar(k));
  for (int k = 0; k < GetNumberOfFormulas(); ++k) Create_TSMObject(ObjFormula, GetUDF(k));
  Update_TSMObjects(ObjDependenceNode);
  return WriteTSMFile(path.string().c_str()) > 0;
}

// Opens a model or output file as the workbench does (probe, then load) and
// says what it holds.
bool ReadBack(const std::filesystem::path& path) {
  Init_data();
  void* header = nullptr;
  int32_t kind = GetFileHeader(path.string().c_str(), &header);
  int32_t entries = LoadTSMFile(path.string().c_str(), TsmOpen);
  std::printf("  %s: %s, %d entries; %d variables, %d formulas, %d dependence nodes\n",
              path.filename().string().c_str(),
              kind == TsmKindOutput ? "output file" : "model file", entries,
              GetNumberOfRandomVariables(), GetNumberOfFormulas(), GetNumberOfDepNodes(true));
  return entries > 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = example::OutputFolder(argc, argv);

  Init_data();
  SetModelFileName((dir / "supply.tsm").string().c_str());
  BuildModel();
  if (!SaveModel(dir / "supply.tsm")) {
    std::printf("The model file %s could not be written\n", (dir / "supply.tsm").string().c_str());
    End_data();
    return 1;
  }

  TRunRequest request = DefaultRunRequest;
  request.runs = 1000;  // 100000 samples
  request.seed = 20261;
  request.resolution = 1000;
  request.correlationKind = 2;  // rank correlations
  request.options = RunWriteInputs | RunWriteOutputs | RunCommaSeparated;
  request.progress = Progress;
  std::printf("Simulating the example model (%d variables, %d formulas, %d dependence nodes)\n",
              GetNumberOfRandomVariables(), GetNumberOfFormulas(), GetNumberOfDepNodes(true));
  int32_t code = Run_simul(&request);
  std::string message(reinterpret_cast<const char*>(request.message + 1), request.message[0]);
  if (code != RunCompleted) {
    std::printf("Run failed with code %d: %s\n", code, message.c_str());
    End_data();
    return 1;
  }
  if (!message.empty()) std::printf("Note: %s\n", message.c_str());

  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  auto* results = static_cast<TSampleResults*>(Fetch_object(ObjSampleResults, 0, nullptr, &size));
  std::printf("Samples: %d requested, %d accepted\n", data->requested, data->accepted);
  std::printf("Sample files:\n  %s\n  %s\n", (dir / "supply.SAM").string().c_str(),
              (dir / "supply.sae").string().c_str());

  auto position = [&](const char* name) {
    int p = Sample_variable_exists(name, &data->inputs);
    if (p > 0) return p;
    p = Sample_variable_exists(name, &data->outputs);
    return p > 0 ? data->inputs.count + p : 0;
  };
  std::printf("\n%-12s %14s %14s\n", "variable", "mean", "std. dev.");
  for (const char* name : {"demand", "price", "unit_cost", "profit", "margin"}) {
    int p = position(name);
    if (p < 1) continue;
    std::printf("%-12s %14.4f %14.4f\n", name, results->means[p - 1],
                std::sqrt(results->variances[p - 1]));
  }
  std::printf(
      "\nRank correlations of the accepted samples (link targets in brackets;\n"
      "the condition drops long lead times, which weakens their correlation)\n");
  struct Pair {
    const char* a;
    const char* b;
    const char* target;
  };
  for (Pair q : {Pair{"demand", "price", "0.6"}, Pair{"leadtime_a", "leadtime_b", "0.7"},
                 Pair{"unit_cost", "yield", "-0.5"}, Pair{"demand", "profit", "-"}}) {
    int i = position(q.a), j = position(q.b);
    if (i < 1 || j < 1) continue;
    std::printf("  %-10s %-10s %8.4f  (%s)\n", q.a, q.b, Get_sample_correlation(i, j), q.target);
  }
  const std::filesystem::path output = dir / "supply.tso";
  if (WriteTSOFile(output.string().c_str()) <= 0) {
    std::printf("The output file %s could not be written\n", output.string().c_str());
    End_data();
    return 1;
  }
  std::printf("\nModel and output files, read back:\n");
  bool ok = ReadBack(dir / "supply.tsm") && ReadBack(output);
  data = static_cast<TSampleData*>(
      Fetch_object(ObjSampleData, 0, nullptr, &size));  // the loaded results
  if (ok && data) {
    int i = position("demand"), j = position("price");
    std::printf("  demand-price rank correlation from the output file: %.4f\n",
                Get_sample_correlation(i, j));
  }
  End_data();
  return ok ? 0 : 1;
}
