// The blocks a simulation run keeps in the store: the input and output sample
// lists, the results record, the user quantile table, the sample results,
// the two tables of tabulated distributions and the moment work arrays.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "tesmira/objects.h"

namespace tesmira {

// ---- extended values of the sample lists -------------------------------------

TExtended80 EncodeExtended(double value);
double DecodeExtended(const TExtended80& value);

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
// Frees every block (End_model_data) / forgets them (Init_Model_data).
void FreeSimulationBlocks();

// Creates the user quantile table when none (all targets missing, values and
// counts 0); on an existing table with reset false only the values become 0.
TUserQuantiles* NewUserQuantiles(bool reset);

// ---- output distributions of kind 9 --------------------------------------------

// Entry k (1..1000) of the run's input or output distribution table: the
// tabulated quantiles (resolution + 1 doubles), empty when none.
std::vector<double>* DistributionTable(bool outputs, int k);
// Replaces / frees the table of an entry.
void SetDistributionTable(bool outputs, int k, std::vector<double> table);
void ClearDistributionTables();

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
// variable in table order followed by every formula.
std::vector<int32_t> SampleColumnMap(void* const* objects, const TSampleList& inputs,
                                     bool zoziVor);

// ---- loading flags and out-of-date results -------------------------------------

// While a model file is being loaded creating or deleting objects does not
// mark the samples out of date. The container sets both flags.
void SetModelLoading(bool loading, bool linkedLoading);
bool ModelLoading();
// Sets the requested-sample count of the results record to 0.
void MarkSamplesOutOfDate();

}  // namespace tesmira
