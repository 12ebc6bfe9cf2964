#include "simulation_request.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "cp437.h"
#include "ini_file.h"
#include "main_view.h"
#include "model/short_string.h"
#include "settings.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "utilities.h"

namespace tesmira::wb {

namespace {

const char* const kSection = "Simulation";

template <std::size_t N>
void SetText(unsigned char (&s)[N], const std::string& utf8) {
  SetShortString(s, std::string_view(Utf8ToCp437(utf8)).substr(0, N - 1));
}

}  // namespace

void SimulationSettings(common::TIniFile& ini, bool read, TSimulationChoices& c) {
  c.CorrelationKind =
      IniReadOrWriteInteger(ini, read, kSection, 2, 0, 1, c.CorrelationKind, "corrMxType");
  c.Runs = IniReadOrWriteInteger(ini, read, kSection, 65534, 1, 10, c.Runs, "runs");
  c.Seed = IniReadOrWriteInteger(ini, read, kSection, 32767, 0, 1, c.Seed, "seed");
  c.MakeDistributionFile = IniReadOrWriteBool(ini, read, kSection, c.MakeDistributionFile,
                                              c.MakeDistributionFile, "makeDisFile");
  if (read)
    c.DistributionFileExt = ini.ReadString(kSection, "disFileExt", c.DistributionFileExt);
  else
    ini.WriteString(kSection, "disFileExt", c.DistributionFileExt);
  c.SelectedDistributions = IniReadOrWriteBool(ini, read, kSection, c.SelectedDistributions,
                                               c.SelectedDistributions, "selDistrib");
  c.Input = IniReadOrWriteBool(ini, read, kSection, c.Input, c.Input, "input");
  c.Output = IniReadOrWriteBool(ini, read, kSection, c.Output, c.Output, "output");
  c.Binary = IniReadOrWriteBool(ini, read, kSection, c.Binary, c.Binary, "binary");
  c.Selected = IniReadOrWriteBool(ini, read, kSection, c.Selected, c.Selected, "selected");
  c.Tso = IniReadOrWriteBool(ini, read, kSection, c.Tso, c.Tso, "tso");
}

// ---- integer fields ------------------------------------------------------------

std::optional<long long> TIntField::Parse(const std::string& text) const {
  std::string_view t = text;
  if (allowPlus_ && !t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty() || t.front() == '+') return std::nullopt;
  long long v = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return v;
}

std::string TIntField::Leave(const std::string& text) {
  const std::optional<long long> v = Parse(text);
  if (!v) return std::to_string(last_);
  last_ = static_cast<int>(std::clamp<long long>(*v, min_, max_));
  const bool plus = allowPlus_ && !text.empty() && text.front() == '+';
  return std::string(plus ? "+" : "").append(std::to_string(last_));
}

std::string RunsLabelText(const std::string& runsText) {
  const std::optional<long long> v = TIntField(1, 65534, 10, true).Parse(runsText);
  if (!v) return "= <error>";
  return std::string("=").append(std::to_string(*v * 100)) + " samples";
}

bool RunsTextSetsBandMode(const std::string& runsText) {
  return !runsText.empty() && runsText.front() == '+';
}

// ---- the request ----------------------------------------------------------------

TRunRequest BuildRunRequest(const TSimulationChoices& c, const TRunSelection& selection,
                            TSimProgressCallback progress, TRunObjects& objects,
                            void* sampleHeader) {
  TRunRequest r = DefaultRunRequest;
  auto* header = c.ProcessSamples ? static_cast<TSampleFileHeader*>(sampleHeader) : nullptr;
  r.inputSampleMode = c.ProcessSamples ? 1 : 0;
  SetText(r.sourceSampleFile, c.ProcessSamples ? c.SourceSampleFile : std::string());
  r.numberOfSimulations = static_cast<int16_t>(std::clamp(c.Simulations, 1, 32767));
  r.simulationIndex = 1;
  r.separateSampleFiles = c.SeparateSampleFiles ? 1 : 0;
  r.runs = std::clamp(c.Runs, 1, 65534);
  r.seed = c.Seed;
  r.resolution = c.QuantPerDistrib == 2 ? 10000 : c.QuantPerDistrib == 1 ? 1000 : 100;
  r.correlationKind = static_cast<uint8_t>(std::clamp(c.CorrelationKind, 0, 2));
  r.options = (c.Input ? RunWriteInputs : 0) | (c.Output ? RunWriteOutputs : 0) |
              (c.Selected ? RunWriteSelected : 0) | (c.Binary ? RunWriteBinary : 0) |
              (c.Xls ? RunCommaSeparated : 0);
  r.userQuantiles = c.UserQuantiles ? 1 : 0;
  r.distributionFile = c.MakeDistributionFile ? 1 : 0;
  SetText(r.distributionFileExt, c.DistributionFileExt);
  r.progress = progress;
  SetText(r.message, "unknown");
  SetText(r.sampleFile, c.SamplesFileName);
  SetText(r.outputName, c.Tso ? c.OutputFileName : std::string());

  // An item's object: ~i for the i-th input, j for the j-th output.
  auto object = [&](int item) -> void* {
    if (header) {
      TSampleList& list = item < 0 ? header->inputs : header->outputs;
      const int i = (item < 0 ? ~item : item) - 1;
      return i >= 0 && i < list.count ? &list.entries[i] : nullptr;
    }
    return item < 0 ? Get_TSMObject(~item, ObjRandomVariable) : Get_TSMObject(item, ObjFormula);
  };
  objects.Sampled.clear();
  objects.Distributions.clear();
  if (c.SelectedDistributions) {
    for (int item : selection.Distributions)
      if (void* o = object(item)) objects.Distributions.push_back(o);
    objects.Distributions.push_back(nullptr);
    r.selectedDistributions = objects.Distributions.data();
  } else {
    r.selectedDistributions = nullptr;
  }
  if (c.Selected) {
    for (int item : selection.Samples)
      if (void* o = object(item)) objects.Sampled.push_back(o);
  } else if (!header) {
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n)
      objects.Sampled.push_back(Get_TSMObject(n, ObjRandomVariable));
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjFormula); ++n)
      objects.Sampled.push_back(Get_TSMObject(n, ObjFormula));
  } else {
    for (int i = 0; i < header->inputs.count; ++i)
      objects.Sampled.push_back(&header->inputs.entries[i]);
    for (int j = 0; j < header->outputs.count; ++j)
      objects.Sampled.push_back(&header->outputs.entries[j]);
  }
  objects.Sampled.push_back(nullptr);
  r.sampledObjects = objects.Sampled.data();
  return r;
}

// ---- the series -------------------------------------------------------------------

int32_t TEngineSimulation::Run(TRunRequest& request) { return Run_simul(&request); }

int32_t TEngineSimulation::WriteOutput(const std::string& fileName) {
  return WriteTSOFile(Utf8ToCp437(fileName).c_str());
}

int32_t RunSeries(ISimulationEngine& engine, TRunRequest& request,
                  const std::function<bool()>& stopRequested) {
  const int count = std::max<int>(1, request.numberOfSimulations);
  int32_t code = 0;
  for (int index = 1; index <= count; ++index) {
    request.simulationIndex = static_cast<int16_t>(index);
    code = engine.Run(request);
    if (code < 0 || (stopRequested && stopRequested()) || index == count) break;
    ++request.seed;
  }
  return code;
}

TRunOutcome FinishSeries(ISimulationEngine& engine, int32_t code, const std::string& message,
                         bool stopped, const std::string& outputName, long long elapsedSeconds,
                         bool beliefNetMode) {
  TRunOutcome o;
  if (code < 0) {
    o.Status = "Failure in the simulation process: " + message;
    o.Colour = TStatusColour::Red;
    o.ErrorBox = o.Status;
    return o;
  }
  o.Results = code > 0;
  if (stopped) {
    o.Status = "Simulation canceled by the user";
    return o;
  }
  if (!outputName.empty() && engine.WriteOutput(outputName) == 0) {
    // Without its output file the run offers no results: a report or a
    // launcher would show what is not on disk.
    o.Results = false;
    o.Status = "Failure when saving the Output file " + outputName;
    o.Colour = TStatusColour::Red;
    o.ErrorBox = o.Status;
    return o;
  }
  if (!message.empty()) {
    o.Status = "Warning: " + message;
    o.Colour = TStatusColour::Maroon;
  } else {
    o.Status = "Simulation FINISHED! Time used:" + FormatDuration(elapsedSeconds);
    o.CloseWhenDone = beliefNetMode;
  }
  return o;
}

// ---- progress and status texts ------------------------------------------------------

namespace {

// The estimated seconds left, or none without progress or a finite value.
std::optional<long long> Remaining(long long current, long long total, double elapsed,
                                   bool& overflow) {
  overflow = false;
  if (current <= 0 || total <= 0) return std::nullopt;
  const double left = static_cast<double>(total - current) * elapsed / static_cast<double>(current);
  if (!std::isfinite(left) || left < 0 || left > 9.0e15) {
    overflow = true;
    return std::nullopt;
  }
  return static_cast<long long>(left) + 1;
}

}  // namespace

TProgressState SimulationProgressTexts(long long current, long long total, double elapsedSeconds) {
  TProgressState s;
  s.Percent = total > 0 ? static_cast<int>(std::clamp(current, 0LL, total) * 100 / total) : 0;
  s.Finished = total > 0 && current >= total;
  const long long runs = (total - current - 1) / 100 + 1;
  s.Eta = std::to_string(runs) + " run" + (runs >= 2 ? "s" : "") + ", " +
          std::to_string(100 - s.Percent) + "% left";
  if (!s.Finished) {
    bool overflow = false;
    const std::optional<long long> left = Remaining(current, total, elapsedSeconds, overflow);
    if (overflow)
      s.Eta = "ec:4738";
    else if (left)
      s.Eta += " (=~" + FormatDuration(*left) + ")";
  }
  return s;
}

std::string VineProgressText(long long current, long long total, double elapsedSeconds) {
  const long long percent = total > 0 ? std::min(std::max(0LL, current) * 100 / total, 99LL) : 0;
  bool overflow = false;
  const std::optional<long long> left = Remaining(current, total, elapsedSeconds, overflow);
  if (overflow) return "ec:4738";
  return "Complete: " + std::to_string(percent) + "%" +
         (left ? " (~" + FormatDuration(*left) + ".left)" : std::string());
}

std::string CutStatusText(const std::string& text, int maxWidth,
                          const std::function<int(const std::string&)>& width) {
  std::string t = text;
  bool cut = false;
  if (const std::size_t end = t.find_first_of("\r\n"); end != std::string::npos) {
    t.resize(end);
    cut = true;
  }
  const int w = width(t);
  if (maxWidth > 0 && w > maxWidth && !t.empty()) {
    std::size_t n = t.size() * static_cast<std::size_t>(maxWidth) / static_cast<std::size_t>(w);
    n = n > 3 ? n - 3 : 0;
    while (n > 0 && (static_cast<unsigned char>(t[n]) & 0xC0) == 0x80) --n;
    t.resize(n);
    cut = true;
  }
  return cut ? t + "..." : t;
}

// ---- sample file names -----------------------------------------------------------------

int ProcessSamplesRuns(int sampleCount) { return std::max(0, sampleCount - 1) / 100 + 1; }

std::string ProcessSamplesFileName(const std::string& sampleFile, bool xls) {
  return UniqueFileName(ChangeFileExt(sampleFile, "") + "_post", xls ? ".sae" : ".sam", true);
}

}  // namespace tesmira::wb
