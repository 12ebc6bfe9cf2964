// Simulation: the run request and the run entry.
#pragma once

#include <stdbool.h>
#include <stdint.h>

#include "tesmira/api.h"

#ifdef __cplusplus
extern "C" {
#endif

// Progress of a run: current and total sample iterations of the whole series.
// Returning false stops the run.
typedef bool (*TSimProgressCallback)(int32_t current, int32_t total);

// Called between blocks of samples so that the caller can process pending window events.
typedef void (*TMessagePumpHook)(void);

// Option bits of a run request.
enum {
  RunWriteInputs = 1,
  RunWriteOutputs = 2,
  RunWriteSelected = 4,
  RunWriteBinary = 8,
  RunCommaSeparated = 16
};

// Result codes of Run_simul.
enum {
  RunCompleted = 1,
  RunNoRuns = 0,
  RunInitFailure = -1,
  RunDistributionFileFailure = -2,
  RunModelIntegrityFailure = -3,
  RunEmptyDependenceStructure = -4,
  RunNoOutputSamples = -5,
  RunZoziVorFailure = -6,
  RunStoppedWithMessage = -7
};

// One simulation request (memory only; natural alignment). Short strings hold
// their length in byte 0.
typedef struct TRunRequest {
  int32_t runs;                          // runs of 100 samples; 0 is refused
  int32_t seed;                          // > 0 seed, 0 clock, < 0 continue the stream
  int32_t resolution;                    // 100, 1000 or 10000; 0 means 100
  uint8_t correlationKind;               // 0 none, 1 product moment, 2 rank
  int32_t options;                       // Run* option bits
  uint8_t userQuantiles;                 // 1: compute the outputs' user quantiles
  uint8_t distributionFile;              // 1: write distribution files of the selected objects
  unsigned char distributionFileExt[5];  // short string of up to 4 characters
  uint8_t inputSampleMode;               // 1: take the input samples from a sample file
  unsigned char sourceSampleFile[256];   // in input sample mode, the base name for the results
  TSimProgressCallback progress;         // none: always continue
  unsigned char message[256];            // out: the run's message
  unsigned char outputName[256];         // base name of the result files
  unsigned char sampleFile[256];         // full name of the text sample file; empty: default
  void** sampledObjects;                 // with RunWriteSelected: object pointers, ended by none
  void** selectedDistributions;          // with distributionFile: object pointers, ended by none
  int16_t numberOfSimulations;           // simulations in the series
  int16_t simulationIndex;               // 1-based index of this simulation in the series
  uint8_t separateSampleFiles;           // 1: every simulation writes its own sample file
} TRunRequest;

// The engine's default request; callers copy it and set their fields.
__attribute__((visibility("default"))) extern const TRunRequest DefaultRunRequest;
TESMIRA_API bool AlwaysContinue(int32_t current, int32_t total);

TESMIRA_API bool Init_simul(void);
TESMIRA_API int32_t Run_simul(TRunRequest* request);

// Installs the hook called between blocks of samples (none to remove it).
TESMIRA_API void SetMessagePumpHook(TMessagePumpHook hook);

#ifdef __cplusplus
}  // extern "C"
#endif
