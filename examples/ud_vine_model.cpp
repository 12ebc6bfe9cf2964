// An example model with a user-defined vine, built through the engine's
// exported interface and saved as a model file for the workbench: open it
// there and switch the dependence view to vines to see the vine level by
// level and to choose how the edges at the hub are joined.
//
// A water supply: a source feeds a hub that serves three districts; the
// first tree of the vine follows the pipes. The hub has three districts
// below it, so the second tree waits for the user's pairing choice.
//
//   tesmira_ud_vine_model [output folder]
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model_builder.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/vines.h"

using example::AddVariable;
using example::Link;
using example::Node;

namespace {

struct Pipe {
  const char* from;
  const char* to;
  double rank;
};

const std::vector<Pipe> kPipes = {
    {"source", "hub", 0.8},
    {"hub", "district_north", 0.6},
    {"hub", "district_south", 0.5},
    {"hub", "district_east", 0.4},
};

bool BuildModel() {
  AddVariable("source", DistNormal, 500, 40);
  AddVariable("hub", DistNormal, 480, 45);
  AddVariable("district_north", DistGamma, 4, 0.05, 0, 0);
  AddVariable("district_south", DistLogNormal, 120, 2);
  AddVariable("district_east", DistUniform, 40, 160);

  SetCurrentDependenceStructureRoot(nullptr, "");
  for (const Pipe& p : kPipes)
    if (!Link(p.from, p.to, 0.0, CopulaNormal)) return false;
  SetCurrentDependenceStructureRoot(Node("source"), "supply");
  if (SetDependenceType(nullptr, DepUserVine) != 1) return false;
  for (const Pipe& p : kPipes) {
    SetBivariateType(Node(p.to), CopulaNormal);
    if (!Vine_SetCorrValue(Node(p.to), 1, p.rank)) return false;
  }
  SetBivariateType(Node("source"), CopulaNormal);
  // Transcended: the workbench shows the vine's levels, not its first tree.
  if (!Vine_SetCorrValue(Node("district_east"), 2, 0.0)) return false;
  SetCurrentDependenceStructureRoot(nullptr, "");
  return true;
}

bool SaveModel(const std::filesystem::path& path) {
  for (int k = 1; k <= GetNumberOfRandomVariables(); ++k)
    Create_TSMObject(ObjRandomVariable, GetRanVar(k));
  Update_TSMObjects(ObjDependenceNode);
  return WriteTSMFile(path.string().c_str()) > 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = example::OutputFolder(argc, argv);
  const std::filesystem::path file = dir / "ud_vine.tsm";

  Init_Model_data();
  SetModelFileName(file.string().c_str());
  if (!BuildModel() || !SaveModel(file)) {
    std::printf("The user-defined vine model %s could not be made\n", file.string().c_str());
    End_model_data();
    return 1;
  }
  End_model_data();

  // Read it back as the workbench opens it.
  Init_data();
  const int32_t entries = LoadTSMFile(file.string().c_str(), TsmOpen);
  SetCurrentDependenceStructureRoot(Node("source"), "");
  const int32_t type = GetDependenceType(Node("source"));
  const int32_t levels = Vine_IsTranscended();
  std::printf(
      "\nUser-defined vine model %s: %d entries, %d variables, structure type %d, %d levels\n",
      file.string().c_str(), entries, GetNumberOfRandomVariables(), type, levels);
  End_data();
  return entries > 0 && type == DepUserVine && levels == 2 ? 0 : 1;
}
