// Settings of the last run request and the state of the running simulation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulation/sampling_plan.h"
#include "tesmira/simulation.h"

namespace tesmira {

// The settings a request leaves in the engine until the next request.
struct RunSettings {
  int32_t runs = 0;
  int32_t seed = 0;
  int32_t resolution = 100;
  int correlationKind = 0;
  int32_t options = 0;
  bool userQuantiles = false;
  bool distributionFile = false;
  std::string distributionExtension;
  bool inputSampleMode = false;
  std::string sampleBaseName;
  std::string sampleFile;  // the text sample file to write
  TSimProgressCallback progress = AlwaysContinue;
  void** sampledObjects = nullptr;
  void** selectedDistributions = nullptr;
  int numberOfSimulations = 1;
  int simulationIndex = 1;
  bool separateSampleFiles = true;
  bool legacyFiles = true;
};

RunSettings& Settings();

// The uniform stream's caller state (idum of the generator).
int32_t& RunIdum();

// Quantile tables of the run, one per node position (nullptr for a node
// without a variable or without a table).
struct NodeTables {
  std::vector<std::vector<double>> tables;  // by variable index (1-based)
  std::vector<const double*> byNode;        // by node position (0-based)
  std::vector<int> sizeByNode;              // N of each node's table
};
NodeTables& RunTables();
void ReleaseRunTables();

// Input sample mode (samples read from a text sample file).
class InputSampleSource;

// The run driver: samples, evaluates, writes, and returns the result code.
int32_t RunMonteCarlo(std::string& message, bool modelTakesInput);

// Calls the installed message pump, if any.
void PumpMessages();

}  // namespace tesmira
