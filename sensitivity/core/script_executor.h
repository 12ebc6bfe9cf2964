// The script runner of "Run Script": XML files of the "pelscript" kind that
// load named variables of a sample file (LOAD_SAMPLES) or compute a list of
// correlation-ratio jobs on the loaded samples (CALC_CORR_RATIO).
#pragma once

#include <cstdint>
#include <string>

#include "reader_host.h"
#include "sample_store.h"

namespace tesvane {

// What the runner needs of the main window besides the readers' host.
class TScriptHost : public TReaderHost {
 public:
  // File > Close: the store and the results are emptied, no file shown.
  virtual void UnloadSampleFile() = 0;
  // Shows the loaded file as a load from the window does.
  virtual void RefreshAfterLoad() = 0;
  // A box captioned "Pellian Script Result" with an OK button; kind 0
  // information, 1 warning, 2 error, other values no icon.
  virtual void ShowResult(const std::string& message, int32_t kind) = 0;
  // Starts the worker on RunData.Jobs.
  virtual void StartRun() = 0;
};

class TScriptExecutor {
 public:
  std::string FileName;

  TScriptExecutor(std::string fileName, TFileData& store, TRunData& run, TScriptHost& host)
      : FileName(std::move(fileName)), store_(store), run_(run), host_(host) {}

  // Execute under the busy cursor, which is restored also when it raises.
  // Errors of the XML parser and of the sample readers pass on as
  // ESensitivityError.
  void Run();
  void Execute();

  // An element of a parsed XML file.
  struct TNode;

 private:
  void LoadSamples(const TNode& root);
  void CalcCorrRatio(const TNode& root);

  TFileData& store_;
  TRunData& run_;
  TScriptHost& host_;
};

}  // namespace tesvane
