// The worker thread of a run. It computes RunData's jobs in
// order, appends each result (with its matrices) to the run record as soon as
// it is ready, reports progress, and stops between jobs when cancelled.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "jobs.h"
#include "sample_store.h"

namespace tesvane {

// What the worker does to the windows. Every call comes from the worker
// thread, in the documented order; a window carries each out on the GUI
// thread while the worker waits (a blocking queued call). Quiet defaults.
class TRunListener {
 public:
  virtual ~TRunListener() = default;
  virtual void ToggleProgressBar() {}
  virtual void EnableCancel(bool /*enabled*/) {}
  virtual void SetStatus(const std::string& /*text*/) {}
  virtual void SetProgress(int32_t /*percent*/) {}
  virtual void RepaintStatusBar() {}
  // RunData.Results[resultIndex] was appended (AddResultRow).
  virtual void AddResultRow(int32_t /*resultIndex*/) {}
  // A plain message box (the error that ended a run).
  virtual void ShowMessage(const std::string& /*text*/) {}
  virtual void FinishRun() {}
};

enum class TComputeMode {
  Batch,       // the batch engine (shared ranks, matrices and cofactors)
  ItemByItem,  // the documented computation, one job after the other
};

// The jobs of the Run command. Without samples in the store it shows "There
// is no samples loaded." and changes nothing; otherwise run.Jobs is replaced
// by BuildJobs(store, predicted, base). Returns whether the jobs were built.
bool BuildRunJobs(const TFileData& store, TRunData& run, const std::vector<int32_t>& predicted,
                  const std::vector<int32_t>& base, TRunListener& listener);

// "No of groups" from the settings file (read at each run) and the degree
// that the main window's control shows when the run starts.
TRunParameters ReadRunParameters(int32_t degree);

class TMyThread {
 public:
  // The jobs are taken from run.Jobs when the thread starts; the store must
  // not change until the run ends (the windows refuse loading, closing,
  // clearing and a second run while Running()).
  TMyThread(const TFileData& store, TRunData& run, TRunListener& listener,
            TRunParameters parameters, TComputeMode mode = TComputeMode::Batch,
            unsigned threads = 0);
  ~TMyThread();  // requests termination and waits
  TMyThread(const TMyThread&) = delete;
  TMyThread& operator=(const TMyThread&) = delete;

  // Starts Execute on a thread of its own.
  void Start();
  // The termination request (Cancel): the job being computed is finished and
  // no further job is started. Harmless after the end.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  bool Running() const { return running_; }
  // Waits for the end of the thread.
  void WaitFor();
  // The body: runs on the calling thread (tests call it directly).
  void Execute();

 private:
  void RunJobs(const std::vector<const TCorrRatioInfo*>& jobs);
  void Append(TJobResult result);

  const TFileData& store_;
  TRunData& run_;
  TRunListener& listener_;
  TRunParameters parameters_;
  TComputeMode mode_;
  unsigned threads_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> running_{false};
  std::thread thread_;
};

}  // namespace tesvane
