// The Monte Carlo driver: runs of 10 blocks of 10 samples, each sample drawn
// through the flat sampling plan, mapped through the quantile tables,
// evaluated by the formula set and written to the sample files and the
// sample store.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dependence/copulas.h"
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
#include "simulation/run_statistics.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "zozivor/network.h"

namespace tesmira {
namespace {

constexpr int kSeedOfAlternativeRoutine = 4638;

struct SeriesCounters {
  int64_t drawn = 0;  // sample iterations over the whole series
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
// objects: a variable at its input position, a formula after the model's
// inputCount inputs at its output position, anything else by name in either list.
void MarkObjects(void** objects, const TSampleList& in, int inputCount, const FormulaSet* formulas,
                 std::vector<uint8_t>& flags) {
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
            flags[static_cast<std::size_t>(inputCount + j + 1)] = 1;
      }
    }
  }
}

double RunUniform() { return NextUniform(RunIdum()); }

bool ReportProgress(const RunSettings& s, int64_t total) {
  return s.progress(static_cast<int32_t>(std::min<int64_t>(Series().drawn, INT32_MAX)),
                    static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX)));
}

// One run request from its sample lists to its result files. Each step
// works on the members that the steps before it filled in; the input-sample
// source belongs to the run and is closed with it on every way out.
class MonteCarloRun {
 public:
  MonteCarloRun(std::string& message, bool modelTakesInput)
      : s_(Settings()),
        inputs_(*InputSampleList()),
        outputs_(*OutputSampleList()),
        writer_(SampleOutput()),
        store_(RunSampleStore()),
        message_(message),
        modelTakesInput_(modelTakesInput) {}

  int32_t Execute() {
    NormaliseBaseName();
    PrepareLists();
    if (int32_t code = PrepareFormulas(); code != RunCompleted) return code;
    PrepareNetwork();
    CountSamples();
    ChooseColumns();
    int32_t code = PrepareUserQuantiles();
    if (code == RunCompleted) code = PrepareSampling();
    if (code != RunCompleted) {
      EndNetwork();
      return code;
    }
    OpenOutputs();
    Loop();
    source_.reset();
    KeepLastSample();
    WriteResults();
    EndNetwork();
    return ResultCode();
  }

 private:
  void NormaliseBaseName();
  void PrepareLists();
  int32_t PrepareFormulas();
  void PrepareNetwork();
  void SolveNetwork(int64_t run);
  void EndNetwork();
  void CountSamples();
  void ChooseColumns();
  int32_t PrepareUserQuantiles();
  int32_t PrepareSampling();
  void OpenOutputs();
  void Loop();
  void TakeSample(int64_t run);
  void StopAfter(int64_t completed);
  void KeepLastSample();
  void WriteResults();
  void WriteResultFiles(std::vector<std::string>& fileMessages);
  int32_t ResultCode();

  RunSettings& s_;
  TSampleList& inputs_;
  TSampleList& outputs_;
  SampleFileWriter& writer_;
  SampleStore& store_;
  std::string& message_;
  const bool modelTakesInput_;

  std::unique_ptr<InputSampleSource> source_;
  std::unique_ptr<FormulaSet> formulas_;
  std::string inputWriteName_;
  bool outputsSuppressed_ = false;
  bool outputsPresent_ = false;
  int32_t fileSamples_ = 0;
  bool ok_ = true;

  int64_t runs_ = 0;
  int64_t samples_ = 0;
  bool textInput_ = false;
  std::string sampleFile_;

  std::vector<uint8_t> writeFlags_;  // by list position (1-based): column written
  std::vector<uint8_t> distFlags_;   // by list position: distribution file written
  int written_ = 0;
  std::vector<int32_t> columnMap_;  // read by the sample file writer until it closes

  TUserQuantiles* userQuantiles_ = nullptr;
  bool userQuantilesActive_ = false;

  SamplingPlan plan_;
  const NodeTables& tables_ = RunTables();
  bool sampling_ = false;
  std::vector<double> uniforms_;
  std::vector<double> scores_;
  // The current sample's values by list position: inputs, then outputs.
  std::vector<double> values_ = std::vector<double>(2 * MaxSampleListEntries, 0.0);
  double* inValues_ = values_.data();
  double* outValues_ = values_.data() + MaxSampleListEntries;

  std::vector<double> sum_ = std::vector<double>(MaxSampleColumns + 1, 0.0);
  std::vector<double> sumsq_ = std::vector<double>(MaxSampleColumns + 1, 0.0);
  int64_t accepted_ = 0;
  int64_t total_ = 0;
  int64_t completedRuns_ = 0;
  bool stop_ = false;
  bool stoppedByCallback_ = false;
  bool tablesFailed_ = false;  // the empirical distributions could not be built
  std::string evaluatorMessage_;

  // A network model: its lists replace the model's lists, which keep
  // modelInputs_ inputs and modelOutputs_ outputs (formulas) at their front.
  bool network_ = false;
  bool networkReady_ = false;  // set up: its work tables and trace are open
  int modelInputs_ = 0;
  int modelOutputs_ = 0;
  std::string networkMessage_;
};

// Result files are named after the base name's file part without extension.
void MonteCarloRun::NormaliseBaseName() {
  std::string base(FilePart(s_.sampleBaseName));
  std::size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) base.resize(dot);
  s_.sampleBaseName = base;
}

// The sample lists: one input per node (outputs follow the formulas), and the
// input-sample file when the run reads its samples.
void MonteCarloRun::PrepareLists() {
  ClearSampleList(outputs_);
  BuildInputSampleList(inputs_);
  outputsSuppressed_ = (s_.options & RunWriteInputs) && !(s_.options & RunWriteOutputs);
  if (!s_.inputSampleMode) return;
  source_ = std::make_unique<InputSampleSource>();
  if (!source_->Prepare(modelTakesInput_, inputWriteName_)) {
    ok_ = false;
  } else {
    fileSamples_ = source_->Samples();
    if (!modelTakesInput_) outputsSuppressed_ = !source_->FileHasOutputs();
  }
}

// The formula set compiled over the inputs, and one output per formula.
int32_t MonteCarloRun::PrepareFormulas() {
  const int modelType = GetModelType();
  const bool formulaModel = modelType == ModelTypeFormula || modelType == ModelTypeZoziVor;
  if (formulaModel && FormulaCount() > 0 && !outputsSuppressed_ &&
      (!s_.inputSampleMode || modelTakesInput_)) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(inputs_.count));
    for (int k = 0; k < inputs_.count; ++k)
      names.emplace_back(ShortStringView(inputs_.entries[k].name));
    formulas_ = std::make_unique<FormulaSet>();
    std::string detail;
    if (!formulas_->Prepare(names, detail)) {
      message_ = "Model integrity/parsing failure";
      if (!detail.empty()) message_ += ": " + detail;
      return RunModelIntegrityFailure;
    }
    outputs_.count = static_cast<int16_t>(
        std::min(formulas_->OutputCount(), static_cast<int>(MaxSampleListEntries)));
    for (int k = 0; k < outputs_.count; ++k) {
      TSampleListEntry& e = outputs_.entries[k];
      SetShortString(e.name, LowerCase(formulas_->OutputName(k)));
      SetEntryValue(e, 1.0);  // the value the first pass leaves
      e.objectIndex = static_cast<int16_t>(formulas_->OutputFormula(k));
    }
  }
  outputsPresent_ = !outputsSuppressed_ && outputs_.count > 0;
  return RunCompleted;
}

// A network model's lists: every model quantity is an input of the network,
// whose flows, marginal costs and optimum are the outputs. The trace goes to
// "debug.znp" in the model's folder. On failure no sample is drawn.
void MonteCarloRun::PrepareNetwork() {
  modelInputs_ = inputs_.count;
  modelOutputs_ = outputs_.count;
  if (GetModelType() != ModelTypeZoziVor || !ok_) return;
  network_ = true;
  if (s_.inputSampleMode) {
    networkMessage_ = "ZoziVor models can not take their samples from a sample file";
  } else if (outputsSuppressed_) {
    networkMessage_ = "Zozivor can`t run with the output supressed";
  } else if (inputs_.count + outputs_.count >= MaxSampleListEntries) {
    networkMessage_ = "Too many input & output variables";
  } else {
    SetupZoziVor(inputs_, outputs_, 0, ModelFolderText() + "debug.znp", networkMessage_);
  }
  if (!networkMessage_.empty()) {
    message_ = networkMessage_;
    ok_ = false;
    return;
  }
  networkReady_ = true;
  outputsPresent_ = outputs_.count > 0;
}

// Runs of 100 samples, or as many samples as a text input file holds.
void MonteCarloRun::CountSamples() {
  runs_ = network_ && !ok_ ? 0 : s_.runs;
  samples_ = runs_ * 100;
  if (s_.inputSampleMode && ok_ && !source_->Binary()) {
    samples_ = fileSamples_;
    runs_ = (samples_ - 1) / 100 + 1;
  }
  textInput_ = s_.inputSampleMode && source_ && !source_->Binary();
  sampleFile_ = s_.sampleFile;
  if (s_.inputSampleMode)
    sampleFile_ = inputWriteName_;
  else if (sampleFile_.empty())
    sampleFile_ = DerivedName(s_.sampleBaseName, FileKindSampleText);
  completedRuns_ = runs_;
  total_ = static_cast<int64_t>(s_.numberOfSimulations) * samples_;
}

// Positions written to the sample files and distribution files.
void MonteCarloRun::ChooseColumns() {
  const int positions = inputs_.count + outputs_.count;
  writeFlags_.assign(static_cast<std::size_t>(positions) + 1, 0);
  if (s_.options & RunWriteSelected) {
    MarkObjects(s_.sampledObjects, inputs_, modelInputs_, formulas_.get(), writeFlags_);
    if (network_) {
      // An arc's flow and marginal cost follow its bounds and cost; the last
      // two positions are always written.
      const auto& arcs = RunZoziVorNetwork().Tables().arcs;
      for (int a = 1; a < static_cast<int>(arcs.size()); ++a) {
        const ZoziVorArc& arc = arcs[static_cast<std::size_t>(a)];
        bool any = false;
        for (int16_t b : {arc.lowerBinding, arc.upperBinding, arc.costBinding}) {
          int p = b > 0 ? b : (b < 0 ? modelInputs_ - b : 0);
          any = any || (p > 0 && p <= positions && writeFlags_[static_cast<std::size_t>(p)]);
        }
        if (any)
          for (int p : {inputs_.count + 2 * a - 1, inputs_.count + 2 * a})
            writeFlags_[static_cast<std::size_t>(p)] = 1;
      }
      for (int p = std::max(1, positions - 1); p <= positions; ++p)
        writeFlags_[static_cast<std::size_t>(p)] = 1;
    }
  } else {
    const bool in = (s_.options & RunWriteInputs) != 0, out = (s_.options & RunWriteOutputs) != 0;
    for (int p = 1; p <= positions; ++p)
      writeFlags_[static_cast<std::size_t>(p)] = p <= inputs_.count ? in : out;
  }
  distFlags_.assign(static_cast<std::size_t>(positions) + 1, s_.distributionFile ? 1 : 0);
  if (s_.distributionFile && s_.selectedDistributions) {
    std::fill(distFlags_.begin(), distFlags_.end(), 0);
    MarkObjects(s_.selectedDistributions, inputs_, modelInputs_, formulas_.get(), distFlags_);
  }
  written_ = 0;
  for (int p = 1; p <= positions; ++p) written_ += writeFlags_[static_cast<std::size_t>(p)];
}

// User quantiles of the outputs: validated, values reset.
int32_t MonteCarloRun::PrepareUserQuantiles() {
  userQuantilesActive_ = s_.userQuantiles && outputsPresent_;
  if (!userQuantilesActive_) return RunCompleted;
  userQuantiles_ = NewUserQuantiles(false);
  if (userQuantiles_ == nullptr) {
    message_ = "Initialization failure";
    return RunInitFailure;
  }
  for (int k = 0; k < outputs_.count; ++k) {
    std::string name(ShortStringView(outputs_.entries[k].name));
    int32_t target = 0;
    double x = 0;
    Process_user_quantiles(name.c_str(), &target, &x, 3);
  }
  return RunCompleted;
}

// The sampling plan, and the start of the uniform stream.
int32_t MonteCarloRun::PrepareSampling() {
  sampling_ = !s_.inputSampleMode && !modelTakesInput_;
  if (source_ && source_->Binary())
    NextUniform(RunIdum());  // draws from the table start a stream too
  if (sampling_) {
    // The stream starts here (its first draw is discarded); its seed selects the routine.
    NextUniform(RunIdum());
    ClearCopulaFault();
    bool alternative = GeneratorSeed == kSeedOfAlternativeRoutine && AlternativeRoutineCovers();
    std::string planMessage;
    if (!BuildSamplingPlan(plan_, alternative, OldDiagonalBandMode(), planMessage)) {
      message_ = "Model integrity/parsing failure: " + planMessage;
      return RunModelIntegrityFailure;
    }
  }
  uniforms_.assign(static_cast<std::size_t>(std::max<int>(inputs_.count, 1)), 0.0);
  scores_.assign(uniforms_.size(), 0.0);
  if (s_.simulationIndex == 1) Series() = SeriesCounters{};
  return RunCompleted;
}

// The sample store, the distribution slots and the text sample files.
void MonteCarloRun::OpenOutputs() {
  if (runs_ < 1 || !ok_) return;
  ResetDistributionSlots(false);
  if (!outputsSuppressed_) ResetDistributionSlots(true);
  std::string_view modelBaseName = BaseNameOf(ShortStringView(Model()->fileName));
  if (modelBaseName.empty()) modelBaseName = s_.sampleBaseName;
  if (!store_.Create(DerivedName(modelBaseName, FileKindSampleStore), inputs_.count, outputs_.count,
                     outputsPresent_))
    AppendMessage(message_, "Failed to create the sample store " + store_.Path());

  if (written_ == 0 || s_.options == 0 || (s_.options & RunWriteBinary) || sampleFile_.empty())
    return;
  const bool selected = (s_.options & RunWriteSelected) != 0;
  if (network_) {
    // The network's columns are list positions, not objects: every flagged one in list order.
    columnMap_.assign(MaxSampleColumns + 1, 0);
    int c = 0;
    for (std::size_t p = 1; p < writeFlags_.size() && c < MaxSampleColumns; ++p)
      if (writeFlags_[p]) columnMap_[static_cast<std::size_t>(++c)] = static_cast<int32_t>(p);
  } else {
    columnMap_ = SampleColumnMap(selected ? s_.sampledObjects : nullptr, inputs_, false, &outputs_);
  }
  SampleFileSetup setup;
  setup.fileName = sampleFile_;
  setup.inputs = &inputs_;
  setup.outputs = &outputs_;
  setup.selection = writeFlags_.data();
  setup.columnEntry = selected ? columnMap_.data() : nullptr;
  setup.options = s_.options;
  setup.announcedSamples = static_cast<int32_t>(std::min<int64_t>(samples_, INT32_MAX));
  setup.simulationIndex = s_.simulationIndex;
  setup.simulations = s_.numberOfSimulations;
  setup.separateFiles = s_.separateSampleFiles;
  setup.uniform = RunUniform;  // the ".SAP" pairs of a sample file named so
  writer_.Open(setup);
}

// Runs of 10 blocks of 10 samples; the last run of a text input file ends
// with its last sample.
void MonteCarloRun::Loop() {
  for (int64_t r = 1; r <= runs_ && ok_; ++r) {
    const bool lastRun = r == runs_;
    int blocks = 10;
    if (lastRun && textInput_) {
      int64_t rest = samples_ % 100;
      blocks = rest == 0 ? 10 : static_cast<int>((rest - 1) / 10 + 1);
    }
    for (int b = 1; b <= blocks && ok_; ++b) {
      PumpMessages();
      int inBlock = 10;
      if (lastRun && b == blocks && textInput_) {
        int rest = static_cast<int>(samples_ % 10);
        inBlock = rest == 0 ? 10 : rest;
      }
      for (int k = 0; k < inBlock && ok_; ++k) TakeSample(r);
      // After a stop the callback is still told the progress, but its answer no longer counts.
      if (!ReportProgress(s_, total_) && !stop_) {
        stoppedByCallback_ = true;
        StopAfter(r - 1);
      }
    }
    if (ok_ && !ReportProgress(s_, total_) && !stop_) {
      stoppedByCallback_ = true;
      StopAfter(r);
    }
  }
  if (!ok_ && !s_.inputSampleMode) completedRuns_ = 0;
}

void MonteCarloRun::StopAfter(int64_t completed) {
  stop_ = true;
  completedRuns_ = completed;
}

// One sample of run r: drawn or read, evaluated, and kept when accepted.
void MonteCarloRun::TakeSample(int64_t r) {
  ++Series().drawn;
  if (stop_) return;  // the remaining samples are passed without drawing
  if (sampling_) {
    DrawSample(plan_, uniforms_.data(), scores_.data(), RunIdum());
    for (int i = 0; i < modelInputs_; ++i) {
      const auto n = static_cast<std::size_t>(i);
      const double* table = tables_.byNode[n];
      inValues_[i] = table ? LookupQuantile(table, tables_.sizeByNode[n], uniforms_[n]) : 0.0;
    }
  } else if (source_) {
    if (!source_->Read(inputs_, outputs_, RunIdum())) {
      ok_ = false;
      return;
    }
    for (int i = 0; i < inputs_.count; ++i) inValues_[i] = EntryValue(inputs_.entries[i]);
    for (int j = 0; j < outputs_.count; ++j) outValues_[j] = EntryValue(outputs_.entries[j]);
  }
  bool isAccepted = true;
  if (formulas_) {
    std::copy(inValues_, inValues_ + modelInputs_, formulas_->Inputs());
    bool failed = false;
    isAccepted = formulas_->Evaluate(failed);
    if (failed) {
      StopAfter(r - 1);
      isAccepted = false;
      evaluatorMessage_ = formulas_->Message();
      message_ = evaluatorMessage_;
    }
    std::copy(formulas_->Outputs(), formulas_->Outputs() + modelOutputs_, outValues_);
  }
  if (!isAccepted || stop_) return;
  if (network_) {
    SolveNetwork(r);
    if (stop_) return;
  }
  ++accepted_;
  ++Series().acceptedSeries;
  writer_.WriteSample(inValues_, outValues_);
  store_.Append(inValues_, outValues_);
  AccumulateMoments(sum_.data(), sumsq_.data(), inValues_, inputs_.count, 0);
  if (outputsPresent_)
    AccumulateMoments(sum_.data(), sumsq_.data(), outValues_, outputs_.count, inputs_.count);
}

// The network's inputs are the model's inputs followed by its outputs; its
// outputs replace the formulas' values. A message stops the run.
void MonteCarloRun::SolveNetwork(int64_t r) {
  std::copy(outValues_, outValues_ + modelOutputs_, inValues_ + modelInputs_);
  if (!SolveZoziVorSample(inValues_, outValues_, accepted_ + 1, networkMessage_)) {
    message_ = networkMessage_;
    StopAfter(r - 1);
  }
}

// Infeasible samples keep the outputs of the solver's last tree; the message
// counts them so that they are not taken for optima.
void MonteCarloRun::EndNetwork() {
  if (!networkReady_) return;
  ZoziVorNetwork& net = RunZoziVorNetwork();
  if (net.InfeasibleSamples() > 0)
    AppendMessage(message_, std::to_string(net.InfeasibleSamples()) + " samples infeasible");
  const std::string trace = net.TracePath();
  if (!net.End() && !trace.empty()) AppendMessage(message_, "Failed to write " + trace);
  std::string cleared;
  EndZoziVor(cleared);
}

// The lists keep the last sample's values.
void MonteCarloRun::KeepLastSample() {
  for (int i = 0; i < inputs_.count; ++i) SetEntryValue(inputs_.entries[i], inValues_[i]);
  for (int j = 0; j < outputs_.count; ++j) SetEntryValue(outputs_.entries[j], outValues_[j]);
}

void MonteCarloRun::WriteResults() {
  std::vector<std::string> fileMessages;
  if (runs_ >= 1 && store_.Records() >= 0 && accepted_ >= 1) {
    WriteResultFiles(fileMessages);
    ReleaseResultsScratch();
  } else {
    store_.Delete();
    if (TSampleData* data = SampleDataBlock()) data->requested = 0;
  }
  writer_.Close(s_.simulationIndex >= s_.numberOfSimulations);
  for (const std::string& m : writer_.TakeMessages()) fileMessages.push_back(m);
  for (const std::string& m : fileMessages) AppendMessage(message_, m);
  // A fault in a vine's conditional distribution was replaced by its fixed
  // value; the run says so once.
  if (sampling_ && CopulaFaultPending()) {
    AppendMessage(message_, CopulaFaultMessage());
    ClearCopulaFault();
  }
}

// Empirical distributions, the sample results block and the result files.
void MonteCarloRun::WriteResultFiles(std::vector<std::string>& fileMessages) {
  if (!store_.Finish()) fileMessages.push_back("Failed to write the sample store " + store_.Path());
  const std::string folder = ModelFolderText();
  EmpiricalSetup in;
  in.outputs = false;
  in.resolution = s_.resolution;
  in.distributionFiles = s_.distributionFile;
  in.distributionSelection = distFlags_.data();
  in.extension = s_.distributionExtension;
  in.folder = folder;
  bool built = BuildEmpiricalDistributions(store_, inputs_, in, fileMessages);
  TUserQuantiles* quantiles = userQuantilesActive_ ? userQuantiles_ : nullptr;
  if (built && outputsPresent_) {
    EmpiricalSetup out = in;
    out.outputs = true;
    out.userQuantiles = quantiles;
    built = BuildEmpiricalDistributions(store_, outputs_, out, fileMessages);
  }
  if (!built) {
    // Half-built quantile tables are no results: the run fails, and neither
    // the reports nor an output file take what was built for complete.
    tablesFailed_ = true;
    if (TSampleData* data = SampleDataBlock()) data->requested = 0;
    return;
  }
  int columns = inputs_.count + (outputsPresent_ ? outputs_.count : 0);
  ComputeSampleResults(sum_.data(), sumsq_.data(), accepted_, columns, *SampleResultsBlock());

  int32_t seed = GeneratorSeed;
  if (s_.numberOfSimulations > 1 && s_.simulationIndex >= s_.numberOfSimulations) seed = -seed;
  RunResultsSetup rs;
  rs.store = &store_;
  rs.inputs = &inputs_;
  rs.outputs = &outputs_;
  rs.userQuantiles = quantiles;
  rs.sampleResults = SampleResultsBlock();
  rs.folder = folder;
  rs.baseName = s_.sampleBaseName;
  rs.legacyFiles = s_.legacyFiles;
  rs.userQuantileFlag = userQuantilesActive_;
  rs.correlationKind = s_.correlationKind;
  rs.seed = seed;
  rs.options = s_.options;
  rs.accepted = accepted_;
  rs.planned = textInput_ ? samples_ : completedRuns_ * 100;
  rs.resolution = s_.resolution;
  rs.inputSamples = modelTakesInput_;
  rs.selection = written_ > 0 ? writeFlags_.data() : nullptr;  // the columns a kept ".TPS" holds
  std::vector<float> correlations;
  if (!store_.Path().empty() &&
      ComputeRunCorrelations(store_, s_.correlationKind, modelTakesInput_, correlations))
    rs.correlations = &correlations;
  WriteRunResults(rs, fileMessages);
  // The belief-net program reads the kept ".TPS" with this description.
  if ((s_.options & RunWriteBinary) && !WriteRvInfoFile()) {
    char name[256];
    DerivedFileName(std::string(BaseNameOf(ShortStringView(Model()->fileName))).c_str(),
                    FileKindSampleStore, name);
    char info[256];
    ChangeFileExtension(name, "RVINFO", info);
    fileMessages.push_back("Failed to write result file " + std::string(info));
  }
}

int32_t MonteCarloRun::ResultCode() {
  int32_t code = completedRuns_ >= 1 ? RunCompleted : RunNoRuns;
  if (accepted_ == 0 && message_.empty() && !stoppedByCallback_) {
    message_ = "No output samples produced, no output files created";
    code = RunNoOutputSamples;
  }
  if (!networkMessage_.empty()) code = RunZoziVorFailure;
  if (stop_ && !evaluatorMessage_.empty()) code = RunStoppedWithMessage;
  if (tablesFailed_) code = RunInitFailure;
  return code;
}

}  // namespace

int32_t RunMonteCarlo(std::string& message, bool modelTakesInput) {
  return MonteCarloRun(message, modelTakesInput).Execute();
}

}  // namespace tesmira
