#include "worker.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>

#include "batch_engine.h"
#include "settings.h"

namespace tesvane {

bool BuildRunJobs(const TFileData& store, TRunData& run, const std::vector<int32_t>& predicted,
                  const std::vector<int32_t>& base, TRunListener& listener) {
  if (store.SampleCount <= 0) {
    listener.ShowMessage("There is no samples loaded.");
    return false;
  }
  auto jobs = BuildJobs(store, predicted, base);
  std::lock_guard<std::mutex> guard(run.Lock);
  run.Jobs = std::move(jobs);
  return true;
}

TRunParameters ReadRunParameters(int32_t degree) {
  TRunParameters p;
  TIniFile ini(SettingsFileName());
  p.GroupCount = ReadGroupCount(ini);
  TDegreeSettings range = ReadDegreeSettings(ini);
  p.Degree = (degree >= 1 && degree <= DegreeLimit) ? degree : range.Degree;
  return p;
}

TMyThread::TMyThread(const TFileData& store, TRunData& run, TRunListener& listener,
                     TRunParameters parameters, TComputeMode mode, unsigned threads)
    : store_(store),
      run_(run),
      listener_(listener),
      parameters_(parameters),
      mode_(mode),
      threads_(threads == 0 ? std::max(1u, std::thread::hardware_concurrency()) : threads) {
  if (parameters_.GroupCount < 1 || parameters_.GroupCount > MaxGroupCount)
    parameters_.GroupCount = DefaultGroupCount;
  if (parameters_.Degree < 1 || parameters_.Degree > DegreeLimit)
    parameters_.Degree = DefaultDegree;
}

TMyThread::~TMyThread() {
  Terminate();
  WaitFor();
}

void TMyThread::Start() {
  if (running_ || thread_.joinable()) return;  // one run per thread object
  running_ = true;
  thread_ = std::thread([this]() { Execute(); });
}

void TMyThread::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

void TMyThread::Append(TJobResult result) {
  int32_t index;
  {
    std::lock_guard<std::mutex> guard(run_.Lock);
    result.Item->MatrixIndex = static_cast<int32_t>(run_.CorrMatrices.size());
    run_.CorrMatrices.push_back(std::move(result.Correlation));
    run_.CofactorMatrices.push_back(std::move(result.Cofactors));
    run_.Results.push_back(std::move(result.Item));
    index = static_cast<int32_t>(run_.Results.size()) - 1;
  }
  listener_.AddResultRow(index);
}

void TMyThread::RunJobs(const std::vector<const TCorrRatioInfo*>& jobs) {
  const size_t count = jobs.size();
  auto progress = [&](size_t done) {
    listener_.SetProgress(static_cast<int32_t>(done * 100 / count));
  };
  if (mode_ == TComputeMode::ItemByItem) {
    for (size_t i = 0; i < count && !terminated_; ++i) {
      listener_.RepaintStatusBar();
      Append(ComputeJobItemByItem(store_, *jobs[i], parameters_));
      progress(i + 1);
    }
    return;
  }
  TBatchEngine engine(store_, parameters_, threads_);
  engine.Prepare(jobs);
  // Helpers compute jobs ahead of the worker, at most `window` of them; the
  // worker appends them in order and stops between jobs when cancelled.
  struct TSlot {
    std::optional<TJobResult> Result;
    std::exception_ptr Error;
    bool Done = false;
  };
  std::vector<TSlot> slots(count);
  std::mutex lock;
  std::condition_variable ready, room;
  size_t next = 0, consumed = 0;
  const size_t window = 4 * static_cast<size_t>(threads_);
  std::atomic<bool> stop{false};
  std::vector<std::thread> helpers;
  // The helpers are stopped and joined on every way out, also when a
  // listener call raises an error.
  struct THelperStop {
    std::mutex& lock;
    std::atomic<bool>& stop;
    std::condition_variable& room;
    std::vector<std::thread>& helpers;
    ~THelperStop() {
      {
        std::lock_guard<std::mutex> g(lock);
        stop = true;
      }
      room.notify_all();
      for (auto& t : helpers)
        if (t.joinable()) t.join();
    }
  } helperStop{lock, stop, room, helpers};
  const unsigned helperCount = static_cast<unsigned>(std::min<size_t>(threads_, count));
  for (unsigned h = 0; h < helperCount; ++h) {
    helpers.emplace_back([&]() {
      while (true) {
        size_t i;
        {
          std::unique_lock<std::mutex> g(lock);
          room.wait(g, [&]() { return stop || next >= count || next < consumed + window; });
          if (stop || next >= count) return;
          i = next++;
        }
        TSlot local;
        try {
          local.Result.emplace(engine.Compute(*jobs[i]));
        } catch (...) {
          local.Error = std::current_exception();
        }
        {
          std::lock_guard<std::mutex> g(lock);
          slots[i].Result = std::move(local.Result);
          slots[i].Error = local.Error;
          slots[i].Done = true;
        }
        ready.notify_all();
      }
    });
  }
  std::exception_ptr error;
  for (size_t i = 0; i < count && !terminated_; ++i) {
    listener_.RepaintStatusBar();
    TSlot slot;
    {
      std::unique_lock<std::mutex> g(lock);
      ready.wait(g, [&]() { return slots[i].Done; });
      slot = std::move(slots[i]);
      consumed = i + 1;
    }
    room.notify_all();
    if (slot.Error) {
      error = slot.Error;
      break;
    }
    Append(std::move(*slot.Result));
    progress(i + 1);
  }
  if (error) std::rethrow_exception(error);
}

void TMyThread::Execute() {
  running_ = true;
  listener_.ToggleProgressBar();
  listener_.EnableCancel(true);
  // The jobs of this run; the list itself may be rebuilt once the run ends.
  std::vector<std::unique_ptr<TCorrRatioInfo>> own;
  std::vector<const TCorrRatioInfo*> jobs;
  {
    std::lock_guard<std::mutex> guard(run_.Lock);
    for (const auto& job : run_.Jobs) {
      own.push_back(std::make_unique<TCorrRatioInfo>(*job));
      jobs.push_back(own.back().get());
    }
  }
  try {
    if (!jobs.empty()) {
      listener_.SetStatus("Calculating correlation ratio");
      listener_.SetProgress(0);
      RunJobs(jobs);
    }
  } catch (const std::exception& e) {
    listener_.ShowMessage(e.what());
  }
  // Also after an error, so that the window leaves the running state.
  listener_.ToggleProgressBar();
  listener_.EnableCancel(false);
  listener_.FinishRun();
  terminated_ = true;
  running_ = false;
}

}  // namespace tesvane
