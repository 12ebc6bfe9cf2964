// The binary input-sample table ".TPP": the samples of a ".sam" file with a
// cumulative probability per sample, from which a run draws its input
// samples at random.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/sample_files.h"
#include "tesmira/objects.h"

namespace tesmira {

class InputSampleTable {
 public:
  ~InputSampleTable();
  // Builds the table from the ".sam" reader positioned after its header: N
  // samples of (input count + output count) values, then the probabilities
  // of the probability file (probabilityName when it contains ".PRB", else
  // the model folder, its base name and ".PRB"). The table is named after the
  // probability file's base name with ".TPP" in the model folder. False when
  // the probability file is missing or a value cannot be read or written.
  bool Convert(const std::string& probabilityName, const TSampleList& inputs,
               const TSampleList& outputs, TextLineReader& sam, int32_t samples);
  // Draws sample c, the first whose cumulative probability reaches u (the
  // last when none does), into the run's lists: value i of the sample goes to
  // the run's entry named by the objectIndex of the file's entry i; with
  // withOutputs the output values follow into the output list. Indexes
  // outside the run's lists are ignored. Returns c (1-based), 0 on failure.
  int32_t Draw(double u, const TSampleList& fileInputs, const TSampleList& fileOutputs,
               TSampleList& runInputs, TSampleList& runOutputs, bool withOutputs);
  // Closes and deletes the table.
  void Delete();

  bool IsOpen() const { return fd_ >= 0; }
  int32_t Samples() const { return samples_; }
  const std::string& Path() const { return path_; }
  const std::vector<float>& Cumulative() const { return cumulative_; }

 private:
  int fd_ = -1;
  std::string path_;
  int32_t samples_ = 0;
  int width_ = 0;
  std::vector<float> cumulative_;
  std::vector<float> record_;
};

// The run's table.
InputSampleTable& RunInputTable();

}  // namespace tesmira
