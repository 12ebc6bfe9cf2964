// The run's binary sample store ".TPS", the moment accumulators, and the
// empirical distributions built from the store after the sampling loop,
// with the distribution files (".DIS").
//
// A run uses them like this:
//
//   ResetDistributionSlots(false); ResetDistributionSlots(true);  (sim_blocks.h)
//   SampleStore& store = RunSampleStore();
//   store.Create(DerivedFileName(model, 19), inputs.count, outputs.count, keepOutputs);
//   per accepted sample: store.Append(inputs, outputs);
//                        AccumulateMoments(sum, sumsq, inputs, 0) ... (simulation/run_statistics.h)
//   store.Finish();
//   BuildEmpiricalDistributions(store, inputs, setup(outputs = false), messages);
//   BuildEmpiricalDistributions(store, outputs, setup(outputs = true), messages);
//   WriteRunResults(...)  (result_files.h)
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "files/buffered_file.h"
#include "tesmira/objects.h"

namespace tesmira {

// Memory for arrays of millions of values, in whole 2 MB pages where the
// system grants them: filling a column then costs a few page faults instead
// of one for every 4 KB, which on a virtual machine took most of the results
// phase. Throws std::bad_alloc when there is no memory.
inline constexpr std::size_t kLargePage = std::size_t{1} << 21;
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* p, std::size_t bytes) noexcept;

// An allocator whose resize leaves new floats unset: a column of millions of
// values that is overwritten at once would otherwise be zero-filled first.
// Arrays of 2 MB and more come from AllocateLarge.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  UninitializedAllocator() = default;
  template <class U>
  UninitializedAllocator(const UninitializedAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  T* allocate(std::size_t n) {
    if (n < kLargePage / sizeof(T)) return std::allocator<T>::allocate(n);
    if (n > std::size_t(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateLarge(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n < kLargePage / sizeof(T))
      std::allocator<T>::deallocate(p, n);
    else
      FreeLarge(p, n * sizeof(T));
  }
};

// One column of the store as read back.
using SampleColumn = std::vector<float, UninitializedAllocator<float>>;

class SampleStore {
 public:
  // Creates the file empty (and forgets the correlations of the last run); a
  // record holds the input values and, with keepOutputs, the output values
  // after them, as singles.
  bool Create(const std::string& path, int inputCount, int outputCount, bool keepOutputs);
  // Appends the lists' current values as one record and updates the running
  // extremes of the run's distribution tables.
  void Append(const TSampleList& inputs, const TSampleList& outputs);
  // The same from plain values by list position (0-based).
  void Append(const double* inputs, const double* outputs);
  // Flushes the file; false when any write failed.
  bool Finish();
  // Closes (when open) and deletes the file.
  void Delete();
  // Forgets the store without deleting its file.
  void Reset();

  const std::string& Path() const { return path_; }
  int InputCount() const { return inputCount_; }
  int OutputCount() const { return outputCount_; }
  int RecordWidth() const { return inputCount_ + (keepOutputs_ ? outputCount_ : 0); }
  int64_t Records() const { return records_; }
  bool Failed() const { return failed_; }

  // Reads columns [first, first + count) of every record into cols[c] (each
  // resized to Records()); false on a read error.
  bool ReadColumns(int first, int count, std::vector<SampleColumn>& cols) const;

 private:
  BufferedFile file_;
  std::string path_;
  int inputCount_ = 0, outputCount_ = 0;
  bool keepOutputs_ = false;
  int64_t records_ = 0;
  bool failed_ = false;
};

// The run's store.
SampleStore& RunSampleStore();

struct EmpiricalSetup {
  bool outputs = false;  // build the output entries (else the inputs)
  int resolution = 100;
  TUserQuantiles* userQuantiles = nullptr;  // outputs: fill the valid targets
  bool distributionFiles = false;           // outputs: write ".DIS" files
  // Distribution selection by position 1..(inputs + outputs); nullptr: all.
  const uint8_t* distributionSelection = nullptr;
  std::string extension;  // distribution file extension (empty: ".DIS")
  std::string folder;     // model folder with its trailing separator
};

// Builds the quantile table of every entry of the list (exact order
// statistics of the stored singles; the extremes from the running minimum
// and maximum), the user quantiles and the distribution files. Failures add
// texts to messages ("Initialization failure" when memory for a table could
// not be had); false when a table could not be built.
bool BuildEmpiricalDistributions(const SampleStore& store, const TSampleList& list,
                                 const EmpiricalSetup& setup, std::vector<std::string>& messages);

// Writes one distribution file: resolution + 1 lines of a probability label
// and a value. Returns false with a message when it could not be written.
bool WriteDistributionFile(const std::string& folder, const std::string& name,
                           const std::string& extension, const std::vector<double>& table,
                           std::vector<std::string>& messages);

// Sorts singles ascending (radix sort; NaN last).
void SortSingles(std::span<float> values);

// out[i] = the value at rank ranks[i] (1..n, clamped) of values in ascending
// order, NaN last: bit for bit what a full sort would put there.
// Short columns are sorted in place; long ones are left as they are.
void ValuesAtRanks(std::span<float> values, std::span<const int64_t> ranks, std::span<float> out);

// Frees the memory that sorting and the empirical distributions keep for the
// rest of a run's results phase.
void ReleaseResultsScratch();

}  // namespace tesmira
