#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fn/sample_data.h"

namespace fn {

// Reads text sample files: a header of remark lines (';'), an input count line,
// the input names, an output count line, the output names and a sample count
// line, then one value per line, sample after sample (inputs, then outputs).
// The file stays open until the reader is destroyed, so that the samples can be
// read again.
class SamSampleFileReader : public SampleFileReader {
 public:
  explicit SamSampleFileReader(SampleData& sample_set) : SampleFileReader(sample_set) {}
  ~SamSampleFileReader() override;

  void ReadHeader(const ut::String& path, RandVarPicker& picker) override;
  void LoadSortSamples() override;
  void CloseFile();

 private:
  // Reads the next line into Line (LineNumber + 1); false at the end of the file.
  bool ReadLine();
  // Skips white space and remark lines from Position; false at the end of the file.
  bool SkipRemarks();

  std::FILE* File = nullptr;
  std::string Line;
  std::size_t Position = 0;
  std::int32_t LineNumber = 0;
  long DataStart = 0;
  std::int32_t CountLine = 0;
  std::vector<ut::String> ColumnNames;  // every column of the header, kept or not
  char* ReadBuffer = nullptr;           // getline's buffer
  std::size_t ReadBufferSize = 0;
};

}  // namespace fn
