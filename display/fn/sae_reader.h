#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fn/sample_data.h"

namespace fn {

// Reads comma-separated sample files: a line of variable names, then one line
// per sample with one value per named column. Lines end in CR, LF or any run of
// them; blank lines are skipped. The whole file is read into memory once.
class SaeSampleFileReader : public SampleFileReader {
 public:
  explicit SaeSampleFileReader(SampleData& sample_set) : SampleFileReader(sample_set) {}

  void ReadHeader(const ut::String& path, RandVarPicker& picker) override;
  void LoadSortSamples() override;

  // The result of ParseSamples: the samples read, and the line that failed (its
  // sample number, from 1) or the sample that was not a finite number.
  struct ParseResult {
    std::uint32_t samples = 0;
    bool bad_line = false;
    bool not_finite = false;
    std::size_t column = 0;  // column of the value that was not finite
  };
  // Reads up to count sample lines of num_fields comma-separated fields from
  // text (blank lines skipped) into column arrays: targets[c] receives column c,
  // or nothing when it is null. Fields are read like the C library's strtod in
  // the C locale (text after the number ignored, no number gives 0). next
  // receives the position after the last line read.
  static ParseResult ParseSamples(const char* text, const char* end, std::size_t num_fields,
                                  const std::vector<float*>& targets, std::uint32_t count,
                                  const char** next);
  // Number of lines of text that hold more than white space.
  static std::uint64_t CountNonBlankLines(const char* text, const char* end);

 private:
  // Reads the next non-blank line from Position; false at the end.
  bool ReadLine(ut::String& line);

  std::unique_ptr<char[]> Buffer;
  std::size_t Length = 0;
  std::size_t Position = 0;
};

}  // namespace fn
