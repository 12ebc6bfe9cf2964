// The results of a run: the sample results block (means and variances), the
// results record, the correlation rows of all sampled columns (kept as
// compressed rows of singles), and the legacy result files ".SIM", ".USE",
// ".CMM" and ".QUA".
//
// After the sampling loop and the empirical distributions (sample_store.h) a
// run computes its statistics (simulation/run_statistics.h) and then calls
// WriteRunResults; the output file
// writer then asks for the correlation rows one by one (Compute_corr_data).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/sample_store.h"
#include "tesmira/objects.h"

namespace tesmira {

// ---- compressed rows ----------------------------------------------------------------

// Compresses row values (the correlations of the columns after the row's own
// column, in order): a value, then a repeat count when at least two following
// values lie within 0.001 of it.
std::vector<float> CompressCorrRow(const float* values, int count);
// Expands a compressed row of `singles` values into buffer[first ..] (buffer
// of `capacity` entries); returns the number of columns filled.
int ExpandCorrRow(const float* row, int singles, float* buffer, int first, int capacity);

// ---- the run's correlations ------------------------------------------------------------

struct RunResultsSetup {
  SampleStore* store = nullptr;  // the run's ".TPS"
  const TSampleList* inputs = nullptr;
  const TSampleList* outputs = nullptr;
  const TUserQuantiles* userQuantiles = nullptr;
  const TSampleResults* sampleResults = nullptr;  // means and variances
  // Correlations of every pair of the store's columns (RecordWidth() squared
  // values, row-major), taken over by WriteRunResults; nullptr when the store
  // could not be read.
  std::vector<float>* correlations = nullptr;
  std::string folder;        // model folder with its trailing separator
  std::string baseName;      // result base name of the legacy files and the record
  bool legacyFiles = false;  // write ".SIM", ".USE", ".CMM", ".QUA"
  bool userQuantileFlag = false;
  int correlationKind = 1;  // 2: rank correlations
  int32_t seed = 0;         // stored saturated to 16 bits
  int32_t options = 3;
  int64_t accepted = 0;
  int64_t planned = 0;
  int resolution = 100;
  bool inputSamples = false;  // the model takes its inputs from a sample file
  // Selection of the sample-file columns by position (for the kept ".TPS"
  // with option bit 8); nullptr keeps every column.
  const uint8_t* selection = nullptr;
};

// Fills the results record, writes the legacy files when asked, prepares the
// correlation rows and settles the ".TPS". Failures add texts to messages.
bool WriteRunResults(const RunResultsSetup& setup, std::vector<std::string>& messages);

// Forgets the run's correlations (a new run or a new model).
void ResetRunCorrelations();

// The reader of stored correlation rows that the output file container
// installs: row i into `row` (compressed singles, at most 2000), its size in
// bytes into *bytes; false when it cannot be read.
using CorrRowReader = bool (*)(int32_t i, float* row, int32_t* bytes);
void SetCorrDataSource(CorrRowReader reader);

}  // namespace tesmira
