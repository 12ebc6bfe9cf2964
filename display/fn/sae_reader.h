#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fn/sample_data.h"
#include "ut/file.h"

namespace fn {

// Reads comma-separated sample files: a line of variable names, then one line
// per sample with one value per named column. Lines end in CR, LF or any run of
// them; blank lines are skipped. The file is read in pieces of whole lines
// through one buffer: once to find the names and count the samples, and once
// more for the samples that are loaded.
class SaeSampleFileReader : public SampleFileReader {
 public:
  explicit SaeSampleFileReader(SampleData& sample_set) : SampleFileReader(sample_set) {}

  void ReadHeader(const ut::String& path, RandVarPicker& picker) override;
  void LoadSortSamples() override;

  // The result of ParseSamples: the sample lines read, and why it stopped early.
  struct ParseResult {
    std::uint32_t samples = 0;
    bool end_of_text = false;  // the text ended before count lines
    bool bad_line = false;     // line samples + 1 did not hold num_fields fields
    bool not_finite = false;   // sample samples + 1 of column is not a finite number
    std::size_t column = 0;
  };
  // Reads up to count sample lines of num_fields comma-separated fields from
  // [text, end) (blank lines skipped) into column arrays: targets[c][s] receives
  // column c of line s, or nothing when targets[c] is null. Fields are read like
  // the C library's strtod in the C locale (text after the number ignored, no
  // number gives 0).
  static ParseResult ParseSamples(const char* text, const char* end, std::size_t num_fields,
                                  const std::vector<float*>& targets, std::uint32_t count);
  // Number of lines of [text, end) that hold more than white space.
  static std::uint64_t CountNonBlankLines(const char* text, const char* end);
  // Reads count sample lines of the file from offset on into column arrays;
  // stops at the first bad line, or at the end of the file.
  static ParseResult ReadSamples(ut::File& file, std::uint64_t offset, std::size_t num_fields,
                                 const std::vector<float*>& targets, std::uint32_t count);

 private:
  std::uint64_t DataOffset = 0;  // file offset just after the names line
};

}  // namespace fn
