// Model objects by kind and the blocks a simulation run produces: the input
// and output sample lists, the results record, the user quantile table, the
// tabulated output distributions and the sample results block.
//
// The blocks are packed, little-endian file formats: output files and the
// legacy result files store their bytes unchanged. Extended values are the
// x87 10-byte format, held as bytes and read and written with the codec of
// the engine (never by casting).
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/records.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- object kinds ---------------------------------------------------------
enum {
  ObjRandomVariable = 1,
  ObjBasicEvent = 2,
  ObjGate = 3,
  ObjMinimalCutSet = 4,
  ObjFaultTree = 5,
  ObjFormula = 6,
  ObjDependenceNode = 7,
  ObjSampleData = 8,
  ObjDistribution = 9,
  ObjUserDistribution = 10,
  ObjInputSample = 11,
  ObjOutputSample = 12,
  ObjCorrelationData = 13,
  ObjSampleResults = 14,
  ObjRootDependenceNode = 15,
  ObjDependenceNode2 = 16
};

enum {
  MaxSampleListEntries = 1000,
  MaxSampleColumns = 2000,
  UserQuantileTargets = 8,
  CorrelationDataSize = 8000
};

#pragma pack(push, 1)

// An x87 80-bit extended real as stored in records.
typedef struct TExtended80 {
  uint8_t bytes[10];
} TExtended80;

typedef struct TSampleListEntry {
  TShortString32 name;  // 0: lower case
  TExtended80 value;    // 33: the current sample value
  int16_t objectIndex;  // 43: inputs: the node index
} TSampleListEntry;

typedef struct TSampleList {
  TSampleListEntry entries[MaxSampleListEntries];  // entry k (1-based) at 45 (k - 1)
  int16_t count;                                   // 45000
} TSampleList;

typedef unsigned char TShortString8[9];

typedef struct TSampleData {
  TSampleList inputs;        // 0
  TSampleList outputs;       // 45002
  int32_t requested;         // 90004: 0 means no current results
  int32_t accepted;          // 90008
  int16_t modelType;         // 90012
  uint8_t depType;           // 90014
  int16_t seed;              // 90015
  int16_t resolution;        // 90017
  uint8_t correlationKind;   // 90019: 0 none, 1 product moment, 2 rank
  uint8_t userQuantiles;     // 90020
  TShortString8 designTag;   // 90021
  TShortString8 modelName;   // 90030
  TShortString8 sampleName;  // 90039
} TSampleData;

typedef struct TUserQuantilePair {
  float target;  // probability, MissingValue when not set
  float value;
} TUserQuantilePair;

typedef struct TUserQuantileEntry {
  TUserQuantilePair pairs[UserQuantileTargets];  // 0
  int16_t validCount;                            // 64
  int16_t unused;                                // 66
} TUserQuantileEntry;

typedef struct TUserQuantiles {
  TUserQuantileEntry entries[MaxSampleListEntries];
} TUserQuantiles;

// The sample results block: means and variances by column (inputs, then
// outputs); the last 4 bytes are not written.
typedef struct TSampleResults {
  float means[MaxSampleColumns];      // 0
  float variances[MaxSampleColumns];  // 8000
  uint8_t unused[4];                  // 16000
} TSampleResults;

#pragma pack(pop)

// A TOutputDistribution is resolution + 1 doubles: quantiles at i / resolution.
typedef double TOutputDistributionValue;

// ---- exported operations ----------------------------------------------------

// The title of kinds 1..16 into out (>= 256 bytes); empty otherwise.
TESMIRA_API void GetDatatypeTitle(int32_t kind, char* out);
// Creates (kinds 1, 6, 7, 16) or allocates (8, 9, 10, 11, 12, 14) an object.
TESMIRA_API int32_t Create_object(int32_t kind, const void* data, void** out, int32_t* size);
TESMIRA_API int32_t Update_object(int32_t kind, const void* record, void** out,
                                  const char* newName);
TESMIRA_API void* Fetch_object(int32_t kind, int32_t index, const char* name, int32_t* size);
TESMIRA_API int32_t Delete_object(int32_t kind, void* object);
TESMIRA_API void Get_object_name(int32_t kind, const void* object, char* out);

// Operations: 0 allocate, 1 get target k, 2 set target k, 3 validate.
TESMIRA_API int32_t Process_user_quantiles(const char* name, int32_t* k, double* x,
                                           int32_t operation);
// The compressed correlation row of column i (1-based, inputs then outputs)
// with the columns after it; the result is its size in bytes (0: none).
TESMIRA_API int32_t Compute_corr_data(int32_t i, void** row);
TESMIRA_API double Get_sample_correlation(int32_t i, int32_t j);
// Reads the header of a ".sam" file; the number of samples, 0 when it cannot
// be opened, or minus the number of the first bad line.
TESMIRA_API int32_t LoadSampleFileHeader(const char* fileName, TSampleList* inputs,
                                         TSampleList* outputs);
// 1-based position of a name in a sample list, 0 when absent.
TESMIRA_API int32_t Sample_variable_exists(const char* name, const TSampleList* list);
// The run's input sample list when the name is in it, else the output list
// when it is there, else none.
TESMIRA_API TSampleList* Fetch_sample_data(int32_t unused, const char* name);
// The k-th output distribution of the last run (1..1000), none outside.
TESMIRA_API double* GetDistr(int32_t k);

#ifdef __cplusplus
}  // extern "C"

TESMIRA_RAW_RECORD(TExtended80);
static_assert(sizeof(TExtended80) == 10);
TESMIRA_RAW_RECORD(TSampleListEntry);
static_assert(sizeof(TSampleListEntry) == 45);
static_assert(offsetof(TSampleListEntry, value) == 33);
static_assert(offsetof(TSampleListEntry, objectIndex) == 43);
TESMIRA_RAW_RECORD(TSampleList);
static_assert(sizeof(TSampleList) == 45002);
static_assert(offsetof(TSampleList, count) == 45000);
TESMIRA_RAW_RECORD(TSampleData);
static_assert(sizeof(TSampleData) == 90048);
static_assert(offsetof(TSampleData, outputs) == 45002);
static_assert(offsetof(TSampleData, requested) == 90004);
static_assert(offsetof(TSampleData, accepted) == 90008);
static_assert(offsetof(TSampleData, modelType) == 90012);
static_assert(offsetof(TSampleData, depType) == 90014);
static_assert(offsetof(TSampleData, seed) == 90015);
static_assert(offsetof(TSampleData, resolution) == 90017);
static_assert(offsetof(TSampleData, correlationKind) == 90019);
static_assert(offsetof(TSampleData, userQuantiles) == 90020);
static_assert(offsetof(TSampleData, designTag) == 90021);
static_assert(offsetof(TSampleData, modelName) == 90030);
static_assert(offsetof(TSampleData, sampleName) == 90039);
TESMIRA_RAW_RECORD(TUserQuantileEntry);
static_assert(sizeof(TUserQuantileEntry) == 68);
static_assert(offsetof(TUserQuantileEntry, validCount) == 64);
TESMIRA_RAW_RECORD(TUserQuantiles);
static_assert(sizeof(TUserQuantiles) == 68000);
TESMIRA_RAW_RECORD(TSampleResults);
static_assert(sizeof(TSampleResults) == 16004);
static_assert(offsetof(TSampleResults, variances) == 8000);
#endif
