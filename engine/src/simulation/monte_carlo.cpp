// The Monte Carlo driver: runs of 10 blocks of 10 samples, each sample drawn
// through the flat sampling plan, mapped through the quantile tables,
// evaluated by the formula set and written to the sample files and the
// sample store.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dependence/generator.h"
#include "distributions/distribution_types.h"
#include "files/result_files.h"
#include "files/sample_files.h"
#include "files/sample_store.h"
#include "formula/formula_set.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "simulation/input_samples.h"
#include "simulation/run_state.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"

namespace tesmira {
namespace {

constexpr int kSeedOfAlternativeRoutine = 4638;

struct SeriesCounters {
  int64_t drawn = 0;          // sample iterations over the whole series
  int64_t acceptedSeries = 0;
};

SeriesCounters& Series() {
  static SeriesCounters c;
  return c;
}

void AppendMessage(std::string& message, const std::string& text) {
  if (text.empty()) return;
  if (!message.empty()) message += "; ";
  message += text;
}

std::string DerivedName(std::string_view base, int kind) {
  std::string out;
  DerivedFileNameText(base, kind, out);  // empty when the name would not fit
  return out;
}

// Marks the list positions (1-based, inputs then outputs) of the given
// objects: a variable at its input position, a formula after the inputs at
// its output position, anything else by name in either list.
void MarkObjects(void** objects, const TSampleList& in,
                 const FormulaSet* formulas, std::vector<uint8_t>& flags) {
  if (objects == nullptr) return;
  for (int k = 0; k < MaxSampleColumns && objects[k] != nullptr; ++k) {
    void* o = objects[k];
    if (int v = VariableIndexOf(static_cast<TExtendedRandomVariable*>(o)); v > 0) {
      int p = SampleListPosition(in, LowerCase(ShortStringView(VariableAt(v)->distribution.name)));
      if (p > 0) flags[static_cast<std::size_t>(p)] = 1;
    } else if (int f = FormulaIndexOf(static_cast<TUdf*>(o)); f > 0) {
      if (formulas) {
        for (int j = 0; j < formulas->OutputCount(); ++j)
          if (formulas->OutputFormula(j) == f)
            flags[static_cast<std::size_t>(in.count + j + 1)] = 1;
      }
    }
  }
}

double RunUniform() { return NextUniform(RunIdum()); }

bool ReportProgress(const RunSettings& s, int64_t total) {
  return s.progress(static_cast<int32_t>(std::min<int64_t>(Series().drawn, INT32_MAX)),
                    static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)));
}

}  // namespace

int32_t RunMonteCarlo(std::string& message, bool modelTakesInput) {
  RunSettings& s = Settings();
  TSampleList& inputs = *InputSampleList();
  TSampleList& outputs = *OutputSampleList();
  SampleFileWriter& writer = SampleOutput();
  SampleStore& store = RunSampleStore();
  const int modelType = GetModelType();
  const bool outputsSuppressed = (s.options & RunWriteInputs) && !(s.options & RunWriteOutputs);
  bool ok = true;
  bool stop = false;
  bool stoppedByCallback = false;
  std::string evaluatorMessage;
  std::string folder = ModelFolderText();
  const std::string_view modelBaseName = BaseNameOf(ShortStringView(Model()->fileName));

  // Result files are named after the base name's file part without extension.
  {
    std::string base(FilePart(s.sampleBaseName));
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    s.sampleBaseName = base;
  }

  // The sample lists: one input per node, one output per formula.
  ClearSampleList(outputs);
  BuildInputSampleList(inputs);
  std::unique_ptr<InputSampleSource> source;
  std::string inputWriteName;
  bool outputsSuppressedNow = outputsSuppressed;
  int32_t fileSamples = 0;
  if (s.inputSampleMode) {
    source = std::make_unique<InputSampleSource>();
    if (!source->Prepare(modelTakesInput, inputWriteName)) {
      ok = false;
    } else {
      fileSamples = source->Samples();
      if (!modelTakesInput) outputsSuppressedNow = !source->FileHasOutputs();
    }
  }

  std::unique_ptr<FormulaSet> formulas;
  const bool formulaModel = modelType == ModelTypeFormula || modelType == ModelTypeZoziVor;
  if (formulaModel && FormulaCount() > 0 && !outputsSuppressedNow &&
      (!s.inputSampleMode || modelTakesInput)) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(inputs.count));
    for (int k = 0; k < inputs.count; ++k) names.emplace_back(ShortStringView(inputs.entries[k].name));
    formulas = std::make_unique<FormulaSet>();
    std::string detail;
    if (!formulas->Prepare(names, detail)) {
      message = "Model integrity/parsing failure";
      if (!detail.empty()) message += ": " + detail;
      if (source) source->Close();
      return RunModelIntegrityFailure;
    }
    outputs.count = static_cast<int16_t>(std::min(formulas->OutputCount(), static_cast<int>(MaxSampleListEntries)));
    for (int k = 0; k < outputs.count; ++k) {
      TSampleListEntry& e = outputs.entries[k];
      SetShortString(e.name, LowerCase(formulas->OutputName(k)));
      SetEntryValue(e, 1.0);  // the value the first pass leaves
      e.objectIndex = static_cast<int16_t>(formulas->OutputFormula(k));
    }
  }
  const bool outputsPresent = !outputsSuppressedNow && outputs.count > 0;

  // Runs and samples.
  int64_t runs = s.runs;
  int64_t samples = runs * 100;
  if (s.inputSampleMode && ok && !source->Binary()) {
    samples = fileSamples;
    runs = (samples - 1) / 100 + 1;
  }
  const bool textInput = s.inputSampleMode && source && !source->Binary();
  std::string sampleFile = s.sampleFile;
  if (s.inputSampleMode) sampleFile = inputWriteName;
  else if (sampleFile.empty()) sampleFile = DerivedName(s.sampleBaseName, FileKindSampleText);

  // Positions written to the sample files and distribution files.
  const int positions = inputs.count + outputs.count;
  std::vector<uint8_t> writeFlags(static_cast<std::size_t>(positions) + 1, 0);
  if (s.options & RunWriteSelected) {
    MarkObjects(s.sampledObjects, inputs, formulas.get(), writeFlags);
  } else {
    for (int p = 1; p <= positions; ++p)
      writeFlags[static_cast<std::size_t>(p)] =
          (p <= inputs.count) ? (s.options & RunWriteInputs) != 0 : (s.options & RunWriteOutputs) != 0;
  }
  std::vector<uint8_t> distFlags(static_cast<std::size_t>(positions) + 1, s.distributionFile ? 1 : 0);
  if (s.distributionFile && s.selectedDistributions) {
    std::fill(distFlags.begin(), distFlags.end(), 0);
    MarkObjects(s.selectedDistributions, inputs, formulas.get(), distFlags);
  }
  int written = 0;
  for (int p = 1; p <= positions; ++p) written += writeFlags[static_cast<std::size_t>(p)];

  // User quantiles of the outputs: validated, values reset.
  TUserQuantiles* userQuantiles = nullptr;
  const bool userQuantilesActive = s.userQuantiles && outputsPresent;
  if (userQuantilesActive) {
    userQuantiles = NewUserQuantiles(false);
    if (userQuantiles == nullptr) {
      message = "Initialization failure";
      if (source) source->Close();
      return RunInitFailure;
    }
    for (int k = 0; k < outputs.count; ++k) {
      std::string name(ShortStringView(outputs.entries[k].name));
      int32_t target = 0;
      double x = 0;
      Process_user_quantiles(name.c_str(), &target, &x, 3);
    }
  }

  // The sampling plan.
  SamplingPlan plan;
  const bool sampling = !s.inputSampleMode && !modelTakesInput;
  if (source && source->Binary()) NextUniform(RunIdum());  // draws from the table start a stream too
  if (sampling) {
    // The stream starts here (its first draw is discarded); its seed selects the routine.
    NextUniform(RunIdum());
    bool alternative = GeneratorSeed == kSeedOfAlternativeRoutine && AlternativeRoutineCovers();
    std::string planMessage;
    if (!BuildSamplingPlan(plan, alternative, OldDiagonalBandMode(), planMessage)) {
      message = "Model integrity/parsing failure: " + planMessage;
      return RunModelIntegrityFailure;
    }
  }
  const NodeTables& tables = RunTables();
  std::vector<double> uniforms(static_cast<std::size_t>(std::max<int>(inputs.count, 1)), 0.0);
  std::vector<double> scores(uniforms.size(), 0.0);
  // The current sample's values by list position.
  std::vector<double> values(2 * MaxSampleListEntries, 0.0);
  double* inValues = values.data();
  double* outValues = values.data() + MaxSampleListEntries;

  // Statistics of the accepted samples.
  std::vector<double> sum(MaxSampleColumns + 1, 0.0), sumsq(MaxSampleColumns + 1, 0.0);
  if (s.simulationIndex == 1) Series() = SeriesCounters{};
  int64_t accepted = 0;
  const int64_t total = static_cast<int64_t>(s.numberOfSimulations) * samples;

  if (runs >= 1 && ok) {
    ResetDistributionSlots(false);
    if (!outputsSuppressedNow) ResetDistributionSlots(true);
    if (!store.Create(DerivedName(modelBaseName, FileKindSampleStore), inputs.count, outputs.count,
                      outputsPresent))
      AppendMessage(message, "Failed to create the sample store " + store.Path());
  }

  // The sample files.
  std::vector<int32_t> columnMap;
  if (runs >= 1 && ok && written > 0 && s.options != 0 && !(s.options & RunWriteBinary) &&
      !sampleFile.empty()) {
    columnMap = SampleColumnMap((s.options & RunWriteSelected) ? s.sampledObjects : nullptr, inputs, false,
                                &outputs);
    SampleFileSetup setup;
    setup.fileName = sampleFile;
    setup.inputs = &inputs;
    setup.outputs = &outputs;
    setup.selection = writeFlags.data();
    setup.columnEntry = (s.options & RunWriteSelected) ? columnMap.data() : nullptr;
    setup.options = s.options;
    setup.announcedSamples = static_cast<int32_t>(std::min<int64_t>(samples, INT32_MAX));
    setup.simulationIndex = s.simulationIndex;
    setup.simulations = s.numberOfSimulations;
    setup.separateFiles = s.separateSampleFiles;
    setup.uniform = RunUniform;  // the ".SAP" pairs of a sample file named so
    writer.Open(setup);
  }

  // The loop: runs of 10 blocks of 10 samples.
  int64_t completedRuns = runs;
  int64_t sampleNumber = 0;
  for (int64_t r = 1; r <= runs && ok; ++r) {
    const bool lastRun = r == runs;
    int blocks = 10;
    if (lastRun && textInput) {
      int64_t rest = samples % 100;
      blocks = rest == 0 ? 10 : static_cast<int>((rest - 1) / 10 + 1);
    }
    for (int b = 1; b <= blocks && ok; ++b) {
      PumpMessages();
      int inBlock = 10;
      if (lastRun && b == blocks && textInput) {
        int rest = static_cast<int>(samples % 10);
        inBlock = rest == 0 ? 10 : rest;
      }
      for (int k = 0; k < inBlock; ++k) {
        ++Series().drawn;
        if (stop) continue;  // the remaining samples are passed without drawing
        bool isAccepted = true;
        ++sampleNumber;
        if (sampling) {
          DrawSample(plan, uniforms.data(), scores.data(), RunIdum());
          for (int i = 0; i < inputs.count; ++i) {
            const double* table = tables.byNode[static_cast<std::size_t>(i)];
            inValues[i] = table ? LookupQuantile(table, tables.sizeByNode[static_cast<std::size_t>(i)],
                                                 uniforms[static_cast<std::size_t>(i)])
                                : 0.0;
          }
        } else if (source) {
          if (!source->Read(inputs, outputs, RunIdum())) {
            ok = false;
            break;
          }
          for (int i = 0; i < inputs.count; ++i) inValues[i] = EntryValue(inputs.entries[i]);
          for (int j = 0; j < outputs.count; ++j) outValues[j] = EntryValue(outputs.entries[j]);
        }
        if (formulas) {
          std::copy(inValues, inValues + inputs.count, formulas->Inputs());
          bool failed = false;
          isAccepted = formulas->Evaluate(failed);
          if (failed) {
            stop = true;
            completedRuns = r - 1;
            isAccepted = false;
            evaluatorMessage = formulas->Message();
            message = evaluatorMessage;
          }
          std::copy(formulas->Outputs(), formulas->Outputs() + outputs.count, outValues);
        }
        if (!isAccepted || stop) continue;
        ++accepted;
        ++Series().acceptedSeries;
        writer.WriteSample(inValues, outValues);
        store.Append(inValues, outValues);
        AccumulateMoments(sum.data(), sumsq.data(), inValues, inputs.count, 0);
        if (outputsPresent)
          AccumulateMoments(sum.data(), sumsq.data(), outValues, outputs.count, inputs.count);
      }
      // After a stop the callback is still told the progress, but its answer no longer counts.
      if (!ReportProgress(s, total) && !stop) {
        stop = true;
        stoppedByCallback = true;
        completedRuns = r - 1;
      }
    }
    if (ok && !ReportProgress(s, total) && !stop) {
      stop = true;
      stoppedByCallback = true;
      completedRuns = r;
    }
  }
  if (source) source->Close();
  if (!ok && !s.inputSampleMode) completedRuns = 0;
  // The lists keep the last sample's values.
  for (int i = 0; i < inputs.count; ++i) SetEntryValue(inputs.entries[i], inValues[i]);
  for (int j = 0; j < outputs.count; ++j) SetEntryValue(outputs.entries[j], outValues[j]);

  // Results.
  std::vector<std::string> fileMessages;
  if (runs >= 1 && store.Records() >= 0 && accepted >= 1) {
    if (!store.Finish()) fileMessages.push_back("Failed to write the sample store " + store.Path());
    EmpiricalSetup in;
    in.outputs = false;
    in.resolution = s.resolution;
    in.distributionFiles = s.distributionFile;
    in.distributionSelection = distFlags.data();
    in.extension = s.distributionExtension;
    in.folder = folder;
    BuildEmpiricalDistributions(store, inputs, in, fileMessages);
    if (outputsPresent) {
      EmpiricalSetup out = in;
      out.outputs = true;
      out.userQuantiles = userQuantilesActive ? userQuantiles : nullptr;
      BuildEmpiricalDistributions(store, outputs, out, fileMessages);
    }
    int columns = inputs.count + (outputsPresent ? outputs.count : 0);
    ComputeSampleResults(sum.data(), sumsq.data(), accepted, columns, *SampleResultsBlock());

    int32_t seed = GeneratorSeed;
    if (s.numberOfSimulations > 1 && s.simulationIndex >= s.numberOfSimulations) seed = -seed;
    RunResultsSetup rs;
    rs.store = &store;
    rs.inputs = &inputs;
    rs.outputs = &outputs;
    rs.userQuantiles = userQuantilesActive ? userQuantiles : nullptr;
    rs.sampleResults = SampleResultsBlock();
    rs.folder = folder;
    rs.baseName = s.sampleBaseName;
    rs.legacyFiles = s.legacyFiles;
    rs.userQuantileFlag = userQuantilesActive;
    rs.correlationKind = s.correlationKind;
    rs.seed = seed;
    rs.options = s.options;
    rs.accepted = accepted;
    rs.planned = textInput ? samples : completedRuns * 100;
    rs.resolution = s.resolution;
    rs.inputSamples = modelTakesInput;
    rs.selection = written > 0 ? writeFlags.data() : nullptr;  // the columns a kept ".TPS" holds
    WriteRunResults(rs, fileMessages);
  } else {
    store.Delete();
    if (TSampleData* data = SampleDataBlock()) data->requested = 0;
  }
  writer.Close(s.simulationIndex >= s.numberOfSimulations);
  for (const std::string& m : writer.TakeMessages()) fileMessages.push_back(m);
  for (const std::string& m : fileMessages) AppendMessage(message, m);

  int32_t code = completedRuns >= 1 ? RunCompleted : RunNoRuns;
  if (accepted == 0 && message.empty() && !stoppedByCallback) {
    message = "No output samples produced, no output files created";
    code = RunNoOutputSamples;
  }
  if (stop && !evaluatorMessage.empty()) code = RunStoppedWithMessage;
  return code;
}

}  // namespace tesmira
