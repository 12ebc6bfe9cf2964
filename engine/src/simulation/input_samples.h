// Input samples read from a text sample file instead of being drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/sample_files.h"
#include "tesmira/objects.h"

namespace tesmira {

// Closes its file and deletes the binary table when it goes out of scope.
class InputSampleSource {
 public:
  InputSampleSource() = default;
  InputSampleSource(const InputSampleSource&) = delete;
  InputSampleSource& operator=(const InputSampleSource&) = delete;
  ~InputSampleSource() { Close(); }

  // Opens the source file, reads its header and maps its columns onto the
  // model's inputs. writeName receives the sample file the run writes (empty
  // for none). False when no sample can be read.
  bool Prepare(bool modelTakesInput, std::string& writeName);
  // Number of samples announced by the file's header.
  int32_t Samples() const { return samples_; }
  bool FileHasOutputs() const { return outputCount_ > 0; }
  // True when the samples are drawn at random from the binary input-sample
  // table (a model of Sample File variables whose probability file exists):
  // the run then draws as many samples as it requests.
  bool Binary() const { return binary_; }
  // Reads (or, from the binary table, draws) one sample into the lists; false
  // on a read error (the run then takes no more samples).
  bool Read(TSampleList& inputs, TSampleList& outputs, int32_t& idum);
  void Close();

 private:
  TextLineReader reader_;
  TSampleList fileInputs_{};
  TSampleList fileOutputs_{};
  bool binary_ = false;
  std::vector<int32_t> columnMap_;  // column k (1-based) -> input position, 0 for none
  int inputCount_ = 0;              // columns of the file: its inputs, then its outputs
  int outputCount_ = 0;
  int32_t samples_ = 0;
  bool modelTakesInput_ = false;
};

}  // namespace tesmira
