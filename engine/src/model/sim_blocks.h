// The blocks a simulation run keeps in the store: the input and output sample
// lists, the results record, the user quantile table, the sample results,
// the two tables of tabulated distributions and the moment work arrays.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tesmira/files.h"
#include "tesmira/objects.h"

namespace tesmira {

// ---- extended values of the sample lists -------------------------------------

TExtended80 EncodeExtended(double value);
double DecodeExtended(const TExtended80& value);

// The 6-byte real of old result files (exponent byte biased by 129, 39-bit
// mantissa, sign in the top bit): zero below its range, the largest value
// above it.
void EncodeReal48(double value, uint8_t out[6]);
double DecodeReal48(const uint8_t in[6]);

inline double EntryValue(const TSampleListEntry& e) { return DecodeExtended(e.value); }
inline void SetEntryValue(TSampleListEntry& e, double v) { e.value = EncodeExtended(v); }

// ---- the blocks (nullptr when not allocated) ----------------------------------

TSampleList* InputSampleList();
TSampleList* OutputSampleList();
TSampleData* SampleDataBlock();
TUserQuantiles* UserQuantileTable();
TSampleResults* SampleResultsBlock();

// Allocates whatever does not exist yet (lists, results record with its
// requested count 0, user quantiles initialised, sample results, the
// distribution tables and work arrays); true when all exist afterwards.
bool AllocateSimulationBlocks();
// Frees every block (at the end of a model and when a new one begins).
void FreeSimulationBlocks();
// Frees the block of kind 8, 10, 11, 12 or 14.
void ForgetSimulationBlock(int kind);
// Creates the two distribution tables when missing; true when both exist.
bool InitDistributionSlotsIfMissing();

// Creates the user quantile table when none (all targets missing, values and
// counts 0); on an existing table with reset false only the values become 0.
TUserQuantiles* NewUserQuantiles(bool reset);

// ---- distribution tables (output distributions, kind 9) ----------------------------

// One table per sample-list entry: the slots of the documented layout, the
// tabulated quantiles of each entry (resolution + 1 doubles, empty when none)
// in a side table, and the running extremes kept as doubles while sampling
// (copied into the slots by SyncSlotExtremes).
struct DistributionSlots {
  TDistributionSlot slots[MaxSampleListEntries];
  std::vector<double> tables[MaxSampleListEntries];
  double maximum[MaxSampleListEntries];
  double minimum[MaxSampleListEntries];
};

// The input or output table, nullptr when none.
DistributionSlots* DistributionSlotArray(bool outputs);
// Creates the array (no tables) or, when it exists, keeps its tables and
// resets the extremes to -1.7e308 and 1.1e308.
DistributionSlots* InitDistributionSlots(bool outputs);
// Creates the array when missing, frees its tables and resets the extremes
// (the start of a run that samples).
DistributionSlots* ResetDistributionSlots(bool outputs);
// Frees every table and the array.
void FreeDistributionSlots(bool outputs);
// Copies the running extremes into the slots' extended fields.
void SyncSlotExtremes(DistributionSlots& d);
// The quantile table of entry k (1-based) of the output array, nullptr when none.
double* OutputDistribution(int k);

// Size in bytes of a TOutputDistribution at the current resolution.
int32_t DistributionBlockSize();

// ---- sample lists -----------------------------------------------------------

// 1-based position of a name in a list (without regard to case; a stored name
// of exactly 10 characters also matches a longer name that begins with it).
int SampleListPosition(const TSampleList& list, std::string_view name);
// Builds the input list from the node table: one entry per node in node
// order, lower-cased variable name, object index = node index.
void BuildInputSampleList(TSampleList& list);
// Clears a list (all bytes zero).
void ClearSampleList(TSampleList& list);

// The column map of the sample files: map[k] (k = 1..2000) is the sample-list
// position of the k-th object of the ordered object list (a variable: its
// input position by lower-cased name; a formula: input count + its formula
// number; in a ZoziVor model any other object: k itself), 0 for none.
// objects is the run request's list, ended by none; nullptr means every
// variable in table order followed by every formula. With the run's output
// list a formula maps to input count + the position of its output entry (the
// entry whose object index is the formula's number; 0 when it is no output),
// which differs from its formula number when a formula before it is no output.
std::vector<int32_t> SampleColumnMap(void* const* objects, const TSampleList& inputs, bool zoziVor,
                                     const TSampleList* outputs = nullptr);

// ---- loading flags and out-of-date results -------------------------------------

// While a model file is being loaded creating or deleting objects does not
// mark the samples out of date. The container sets both flags.
void SetModelLoading(bool loading, bool linkedLoading);
bool ModelLoading();
// Sets the requested-sample count of the results record to 0.
void MarkSamplesOutOfDate();

}  // namespace tesmira
