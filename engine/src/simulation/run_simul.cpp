// The run entry: applies a request, validates the model, tabulates the input
// distributions and hands over to the Monte Carlo driver.
#include <algorithm>
#include <string>
#include <string_view>

#include "dependence/copula_tables.h"
#include "distributions/distribution_operations.h"
#include "distributions/distribution_types.h"
#include "files/sample_files.h"
#include "model/export_guard.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "simulation/distribution_probe.h"
#include "simulation/run_state.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/simulation.h"
#include "tesmira/structures.h"

namespace {

TRunRequest MakeDefaultRunRequest() {
  TRunRequest r{};
  r.runs = 10;
  r.seed = 1;
  r.resolution = 100;
  r.correlationKind = 1;
  r.numberOfSimulations = 1;
  r.simulationIndex = 1;
  r.separateSampleFiles = 1;
  return r;
}

TMessagePumpHook g_pump = nullptr;

}  // namespace

const TRunRequest DefaultRunRequest = MakeDefaultRunRequest();

bool AlwaysContinue(int32_t, int32_t) {
  return tesmira::Guarded<bool>(false, [&]() -> bool { return true; });
}

void SetMessagePumpHook(TMessagePumpHook hook) {
  tesmira::GuardedVoid([&] { g_pump = hook; });
}

namespace tesmira {

RunSettings& Settings() {
  static RunSettings s;
  return s;
}

int32_t& RunIdum() {
  static int32_t idum = 1;
  return idum;
}

NodeTables& RunTables() {
  static NodeTables t;
  return t;
}

void ReleaseRunTables() {
  NodeTables& t = RunTables();
  t.tables.clear();
  t.tables.shrink_to_fit();
  t.byNode.clear();
  t.sizeByNode.clear();
}

void PumpMessages() {
  if (g_pump) g_pump();
}

namespace {

std::string_view Text(const unsigned char* s, std::size_t capacity) {
  return ShortStringView(s, capacity);
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Applies a request over an all-zero one (step by step as the dialog expects).
void ApplyRequest(const TRunRequest& r, RunSettings& s, std::string& baseName) {
  RunSettings fresh;
  fresh.correlationKind = 0;
  fresh.sampleBaseName = baseName;
  s = fresh;
  s.runs = r.runs;
  s.numberOfSimulations = std::max<int>(1, r.numberOfSimulations);
  s.simulationIndex = std::clamp<int>(r.simulationIndex, 1, s.numberOfSimulations);
  s.separateSampleFiles = r.separateSampleFiles != 0;
  s.seed = r.seed;
  s.inputSampleMode = r.inputSampleMode != 0;
  if (!s.inputSampleMode) {
    // A positive seed starts a new stream, 0 seeds from the clock, a negative
    // seed continues the current stream.
    if (r.seed > 0)
      RunIdum() = -r.seed;
    else if (r.seed == 0)
      RunIdum() = 0;
  }
  // Resolutions other than 1000 and 10000 mean 100.
  s.resolution = (r.resolution == 1000 || r.resolution == 10000) ? r.resolution : 100;
  if (r.correlationKind <= 2) s.correlationKind = r.correlationKind;
  s.options = r.options;
  s.userQuantiles = r.userQuantiles != 0;
  s.distributionFile = r.distributionFile != 0;
  s.distributionExtension = std::string(Text(r.distributionFileExt, 4));
  s.legacyFiles = true;

  std::string outputName(Text(r.outputName, 255));
  if (!outputName.empty()) {
    std::string lower = LowerCase(outputName);
    std::string ext = LowerCase(FileKindExtensionText(FileKindLegacyResults));
    std::size_t at = ext.empty() ? std::string::npos : lower.find(ext);
    if (at == std::string::npos || at + ext.size() != lower.size()) {
      s.sampleBaseName = outputName;
      s.legacyFiles = false;
    }
  }
  std::string source(Text(r.sourceSampleFile, 255));
  if (s.inputSampleMode && !source.empty()) s.sampleBaseName = s.legacyFiles ? baseName : source;
  s.sampleFile = std::string(Text(r.sampleFile, 255));
  s.progress = r.progress ? r.progress : AlwaysContinue;
  s.sampledObjects = r.sampledObjects;
  s.selectedDistributions = r.selectedDistributions;
  baseName = s.sampleBaseName;
}

std::string VariableName(const TExtendedRandomVariable& rv) {
  return std::string(ShortStringView(rv.distribution.name));
}

// Checks, probes and tabulates every variable's distribution.
int32_t PrepareDistributions(std::string& message) {
  NodeTables& t = RunTables();
  const RunSettings& s = Settings();
  int count = VariableCount();
  t.tables.assign(static_cast<std::size_t>(count) + 1, {});
  std::string folder;
  if (TModelRecord* m = Model()) folder = std::string(ShortStringView(m->folder));
  for (int k = 1; k <= count; ++k) {
    TExtendedRandomVariable* rv = VariableAt(k);
    if (rv == nullptr) continue;
    int type = rv->distribution.distType;
    if (type == DistSampleFile) continue;  // values come from a sample file
    const std::string name = VariableName(*rv);
    if (type == DistFile100 || type == DistFile1000 || type == DistFile10000) {
      std::string stored(ShortStringView(rv->distribution.u.fileName, 253));
      message = "Read failure or wrong format of the distribution file " + stored +
                "; check the variable `" + name + "`";
      int probed = ProbeDistributionFile(ResolveDistributionFile(stored, folder));
      if (probed == 0) return RunDistributionFileFailure;
      rv->distribution.distType = static_cast<uint8_t>(probed);
    } else {
      // Parameters are checked before they are tabulated.
      TExtendedRandomVariable copy = *rv;
      int32_t check = ProcessDistribution(&copy, CheckDistributionOp, GetModelType());
      if (check < 0) {
        int slot = std::clamp(-check, 1, static_cast<int>(TextLines)) - 1;
        std::string text(TrimBlanks(ShortStringView(copy.text[slot])));
        if (text.empty()) text = "Invalid distribution parameters";
        message = text + "; check the variable `" + name + "`";
        return RunDistributionFileFailure;
      }
      message =
          "Read failure or wrong format of the distribution; check the variable `" + name + "`";
    }
    int n = QuantileTableSize(rv->distribution, s.resolution);
    std::vector<double>& table = t.tables[static_cast<std::size_t>(k)];
    try {
      table.assign(static_cast<std::size_t>(n) + 1, 0.0);
    } catch (...) {
      message = "Initialization failure";
      return RunInitFailure;
    }
    if (!TabulateQuantiles(table.data(), rv->distribution, s.resolution, folder))
      return RunDistributionFileFailure;
  }
  message.clear();
  return RunCompleted;
}

void MapNodeTables() {
  NodeTables& t = RunTables();
  int n = NodeCount();
  t.byNode.assign(static_cast<std::size_t>(n), nullptr);
  t.sizeByNode.assign(static_cast<std::size_t>(n), 0);
  for (int i = 1; i <= n; ++i) {
    TExtendedRandomVariable* rv = VariableOfNode(NodeAt(i));
    int k = rv ? VariableIndexOf(rv) : 0;
    if (k < 1 || static_cast<std::size_t>(k) >= t.tables.size()) continue;
    const std::vector<double>& table = t.tables[static_cast<std::size_t>(k)];
    if (table.size() < 2) continue;
    t.byNode[static_cast<std::size_t>(i - 1)] = table.data();
    t.sizeByNode[static_cast<std::size_t>(i - 1)] = static_cast<int>(table.size()) - 1;
  }
}

int32_t Run(TRunRequest& request, std::string& message) {
  ReleaseRunTables();
  if (Model() == nullptr || (InputSampleList() == nullptr && !Init_simul())) {
    message = "Initialization failure";
    return RunInitFailure;
  }
  std::string base(BaseNameOf(ShortStringView(Model()->fileName)));

  RunSettings& s = Settings();
  ApplyRequest(request, s, base);
  SetTableResolution(s.resolution);
  SetResolution(s.resolution);

  if (s.runs <= 0) {
    message = "Number of runs must be non-zero";
    return RunNoRuns;
  }
  if (s.sampleBaseName.empty()) {
    // A model never saved and no output name: the results are named after the
    // requested sample file, or the run is refused (files named by their
    // extension alone would land in the current folder).
    std::string_view file = FilePart(s.sampleFile);
    s.sampleBaseName = std::string(BaseNameOf(file));
    if (s.sampleBaseName.empty()) {
      message = "The results have no file name: save the model or give an output name first";
      return RunInitFailure;
    }
    if (ModelFolderText().empty())
      SetShortString(Model()->folder,
                     std::string_view(s.sampleFile).substr(0, s.sampleFile.size() - file.size()));
  }

  bool modelTakesInput = false;
  if (NodeCount() == 0) {
    if (!s.inputSampleMode) {
      message = "Empty dependence structure";
      return RunEmptyDependenceStructure;
    }
  } else {
    int modelCopula = GetBivariateType(nullptr);
    modelTakesInput = IsModelWithInputSamples();
    if (modelTakesInput) {
      s.inputSampleMode = true;
    } else {
      CopulaGrid = GridResolution();
      if (modelCopula == CopulaDiagonalBand && GetOldDiagonalBandMode())
        BuildOldBandTable(CopulaGrid);
      int32_t code = PrepareDistributions(message);
      if (code != RunCompleted) return code;
    }
  }
  MapNodeTables();
  return RunMonteCarlo(message, modelTakesInput);
}

}  // namespace
}  // namespace tesmira

bool Init_simul(void) {
  return tesmira::Guarded<bool>(false,
                                [&]() -> bool { return tesmira::AllocateSimulationBlocks(); });
}

int32_t Run_simul(TRunRequest* request) {
  return tesmira::Guarded<int32_t>(RunInitFailure, [&]() -> int32_t {
    if (request == nullptr) return RunInitFailure;
    std::string message;
    int32_t code;
    try {
      code = tesmira::Run(*request, message);
    } catch (...) {
      // Nothing crosses the interface: an allocation failure is reported as such.
      tesmira::SampleOutput().Abandon();
      message = "Initialization failure";
      code = RunInitFailure;
    }
    tesmira::ReleaseRunTables();
    tesmira::FreeOldBandTable();
    tesmira::SetShortString(request->message, 255, message);
    return code;
  });
}
