// Files beside the model: derived file names and the records of the
// simulation's files (distribution slots, compressed correlation rows).
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/objects.h"

#ifdef __cplusplus
extern "C" {
#endif

// File kinds of the derived file names (1..27).
enum {
  FileKindModel = 1,
  FileKindDependence = 2,
  FileKindFormulas = 3,
  FileKindVariables = 5,
  FileKindDistribution = 7,
  FileKindLegacyResults = 10,
  FileKindLegacyMoments = 11,
  FileKindLegacyQuantiles = 12,
  FileKindLegacyUserQuantiles = 13,
  FileKindSampleText = 18,
  FileKindSampleStore = 19,
  FileKindLegacyCorrelations = 23,
  FileKindSapPairs = 24,
  FileKindInputTable = 25,
  FileKindSampleComma = 26,
  FileKindProbabilities = 27
};

#pragma pack(push, 1)

// One entry of a run's distribution table. The quantile table itself lives in
// the engine's side table; `table` is the entry's 1-based number there, or 0
// when the entry has no table.
typedef struct TDistributionSlot {
  int32_t table;        // 0
  TExtended80 maximum;  // 4: running maximum, initially -1.7e308
  TExtended80 minimum;  // 14: running minimum, initially 1.1e308
} TDistributionSlot;

#pragma pack(pop)

// A compressed correlation row is a sequence of 4-byte singles: a value of at
// most 1.9 is the correlation of the next column, a larger value a repeat
// count of the last value given.
typedef float TCorrRowValue;

// The model's folder with a trailing "/" (none for an empty folder).
TESMIRA_API void ModelFolder(char* out);
// The extension of file kind 1..27, empty otherwise.
TESMIRA_API void FileKindExtension(int32_t kind, char* out);
// Model folder + base name + the kind's extension; false (and an empty out)
// when the name would not fit in 255 characters.
TESMIRA_API bool DerivedFileName(const char* baseName, int32_t kind, char* out);
// Splits a full file name into the model's folder and file name; false when
// either part exceeds 255 characters or there is no model.
TESMIRA_API bool SetModelFileName(const char* fullName);
// The text before the first "." of a name.
TESMIRA_API void BaseName(const char* name, char* out);
// Characters of names in the formula language.
TESMIRA_API bool IsNameChar(char c);

#ifdef __cplusplus
}  // extern "C"
TESMIRA_RAW_RECORD(TDistributionSlot);
static_assert(sizeof(TDistributionSlot) == 24);
static_assert(offsetof(TDistributionSlot, maximum) == 4);
static_assert(offsetof(TDistributionSlot, minimum) == 14);
#endif
