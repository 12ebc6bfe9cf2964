// The simulation dialog's headless half: its choices and their "Simulation"
// settings section, the integer fields, the run request built from the
// choices, the series of runs over a replaceable engine facade and the
// texts of its progress and outcome.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tesmira/simulation.h"

namespace common {
class TIniFile;
}

namespace tesmira::wb {

// What the dialog's controls hold when a run starts.
struct TSimulationChoices {
  int CorrelationKind = 1;  // 0 none, 1 product moment, 2 rank
  int Runs = 10;
  int Seed = 1;
  int Simulations = 1;
  bool SeparateSampleFiles = false;
  bool UserQuantiles = false;
  bool MakeDistributionFile = false;
  std::string DistributionFileExt = ".DIS";
  bool SelectedDistributions = false;
  bool Input = true;
  bool Output = true;
  bool Binary = false;
  bool Selected = false;
  bool Xls = false;
  bool Tso = true;          // the Default output file (".tso"); false: legacy result files
  int QuantPerDistrib = 0;  // 0, 1, 2: resolution 100, 1000, 10000
  bool ProcessSamples = false;
  std::string SourceSampleFile;  // in process-samples mode, the open sample file
  std::string SamplesFileName;
  std::string OutputFileName;
};

// Reads (read) or writes the "Simulation" section; integers outside their
// range read as their defaults, booleans and the extension default to the
// current choices.
void SimulationSettings(common::TIniFile& ini, bool read, TSimulationChoices& choices);

// An integer edit that keeps its last valid value. Runs: 1..65534 with a
// leading "+" allowed (it switches the old diagonal-band mode on); seed:
// 0..32767; repetitions: 1..65534.
class TIntField {
 public:
  TIntField(int min, int max, int value, bool allowPlus = false)
      : min_(min), max_(max), last_(value), allowPlus_(allowPlus) {}
  // The number the text stands for, unclamped; none when it is not an integer.
  std::optional<long long> Parse(const std::string& text) const;
  // The text typed: whether it is an integer (the edit shows red when not).
  bool Changed(const std::string& text) const { return Parse(text).has_value(); }
  // Leaving the edit: the text it shows afterwards (clamped, or the last
  // valid value restored); a leading "+" stays.
  std::string Leave(const std::string& text);
  int Value() const { return last_; }

 private:
  int min_, max_, last_;
  bool allowPlus_;
};

// "=" + runs x 100 + " samples", or "= <error>" for a text that is no integer.
std::string RunsLabelText(const std::string& runsText);
// Whether the runs text asks for the old diagonal-band mode.
bool RunsTextSetsBandMode(const std::string& runsText);

// The sampled objects and selected distributions of a request, ended by
// none; they must live for the whole series.
struct TRunObjects {
  std::vector<void*> Sampled;
  std::vector<void*> Distributions;
};

// The checked items of the two selection lists by their objects: ~i for the
// i-th input, j for the j-th output (1-based); samples only when enabled.
struct TRunSelection {
  std::vector<int> Samples;
  std::vector<int> Distributions;
};

// Fills the request from the engine's default and the choices. In
// process-samples mode sampleHeader (a TSampleFileHeader) supplies the list
// entries instead of model objects.
TRunRequest BuildRunRequest(const TSimulationChoices& choices, const TRunSelection& selection,
                            TSimProgressCallback progress, TRunObjects& objects,
                            void* sampleHeader = nullptr);

// What the series needs of the engine; tests replace it.
class ISimulationEngine {
 public:
  virtual ~ISimulationEngine() = default;
  virtual int32_t Run(TRunRequest& request) = 0;
  // Writes the output file; 0 on failure.
  virtual int32_t WriteOutput(const std::string& fileName) = 0;
};

// Run_simul and WriteTSOFile.
class TEngineSimulation : public ISimulationEngine {
 public:
  int32_t Run(TRunRequest& request) override;
  int32_t WriteOutput(const std::string& fileName) override;
};

// Runs the request's number of simulations: indices 1..N and seeds s..s+N-1,
// ending early at a stop or at the first negative code, whose code is the
// result.
int32_t RunSeries(ISimulationEngine& engine, TRunRequest& request,
                  const std::function<bool()>& stopRequested);

enum class TStatusColour { Normal, Red, Maroon };

struct TRunOutcome {
  std::string Status;
  TStatusColour Colour = TStatusColour::Normal;
  std::string ErrorBox;        // shown in an error box when not empty
  bool Results = false;        // a positive code and the output file saved
  bool CloseWhenDone = false;  // belief-net mode finished cleanly
};

// The outcome of a finished series: the status line, the error box, whether
// results exist. An output name set and a positive or zero code without a
// stop writes the output file through the engine first.
TRunOutcome FinishSeries(ISimulationEngine& engine, int32_t code, const std::string& message,
                         bool stopped, const std::string& outputName, long long elapsedSeconds,
                         bool beliefNetMode);

// The remaining-time label while running, or none when the label keeps its
// text; "ec:4738" when no finite estimate exists.
struct TProgressState {
  std::string Eta;        // labETA
  int Percent = 0;        // for the title
  bool Finished = false;  // current = total
};
TProgressState SimulationProgressTexts(long long current, long long total, double elapsedSeconds);
// "Complete: " + percent + "% (~" + duration + ".left)".
std::string VineProgressText(long long current, long long total, double elapsedSeconds);

// The status text cut at its first line end and to maxWidth (measured by
// width); a cut text ends in "...".
std::string CutStatusText(const std::string& text, int maxWidth,
                          const std::function<int(const std::string&)>& width);

// Process-samples mode: runs and seed from the sample count, and the name
// "<base>_post.sam" (".sae" with xls) made unique.
int ProcessSamplesRuns(int sampleCount);
std::string ProcessSamplesFileName(const std::string& sampleFile, bool xls);

}  // namespace tesmira::wb
