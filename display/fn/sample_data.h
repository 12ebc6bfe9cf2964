#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "fn/tesplore_var.h"
#include "ut/strings.h"

namespace fn {

// Sample-file types.
using SampleFileType = std::int32_t;
enum : SampleFileType { SampleFileSae = 0, SampleFileSam = 1, SampleFileSamhdr = 2 };

// "sae", "sam", "samhdr"; empty for any other type.
ut::String SampleFileExtension(SampleFileType type);
// The type of a file by its extension: "sam" and "samhdr" (any case) are text
// sample files and modular headers, everything else is comma-separated.
SampleFileType SampleFileTypeOf(const ut::String& path);

// Limits shared by the readers.
inline constexpr std::uint32_t MaxVariables = 69;
inline constexpr std::uint32_t PickerThreshold = 20;
inline constexpr std::uint32_t MaxSamples = 16000;
inline constexpr std::uint32_t InitialSamples = 200;

class SampleData;

// Lets the user choose which variables to keep when a file names many.
class RandVarPicker {
 public:
  virtual ~RandVarPicker() = default;
  // On true, chosen holds the positions (in variables) the user chose, at most
  // limit of them; on false chosen is unchanged.
  virtual bool PickVariables(const std::vector<std::unique_ptr<CTesploreVar>>& variables,
                             std::uint32_t limit, ut::SizeTSet& chosen) = 0;
};

// Reads one sample-file format into a sample set.
class SampleFileReader {
 public:
  explicit SampleFileReader(SampleData& sample_set) : SampleSet(sample_set) {}
  virtual ~SampleFileReader() = default;
  SampleFileReader(const SampleFileReader&) = delete;
  SampleFileReader& operator=(const SampleFileReader&) = delete;

  virtual void ReadHeader(const ut::String& path, RandVarPicker& picker) = 0;
  virtual void LoadSortSamples() = 0;

  const ut::String& GetFilePath() const { return FilePath; }

 protected:
  // Keeps the variables the picker chooses (offered above PickerThreshold
  // columns), else the first MaxVariables; n = number of columns in the file.
  // Returns whether the picker chose.
  bool SelectVariables(std::size_t n, RandVarPicker& picker);
  // Throws the error for a sample that is not a finite number.
  [[noreturn]] static void ThrowNotFinite(std::size_t sample, const ut::String& name,
                                          const char* function);

  SampleData& SampleSet;
  ut::String FilePath;
};

// One loaded sample file: the kept variables, the counts the file declares and
// the reader of its format.
class SampleData {
 public:
  explicit SampleData(RandVarPicker* picker);
  virtual ~SampleData();
  SampleData(const SampleData&) = delete;
  SampleData& operator=(const SampleData&) = delete;

  bool SetFile(const ut::String& path, SampleFileType type);
  void Clear();
  void UpdateNumSamples(std::uint32_t n);
  // Writes the first n samples whose mask bit is set to a text sample file.
  bool SaveSelSamples(const ut::String& path, std::uint32_t n, std::int32_t selected,
                      const std::vector<bool>& mask) const;
  ut::String GetFileName() const;

  CTesploreVar& GetVariable(std::size_t i);
  const CTesploreVar& GetVariable(std::size_t i) const;
  std::uint32_t NumVariables() const { return static_cast<std::uint32_t>(Variables.size()); }
  bool HasVariables() const { return KeptInputs + KeptOutputs != 0; }
  std::int32_t NumVariablesInFile() const { return InputsInFile + OutputsInFile; }
  std::uint32_t GetNumSamples() const { return NumSamples; }
  std::uint32_t GetNumSamplesInFile() const { return NumSamplesInFile; }
  std::int32_t GetKeptInputs() const { return KeptInputs; }
  std::int32_t GetKeptOutputs() const { return KeptOutputs; }
  std::int32_t GetInputsInFile() const { return InputsInFile; }
  std::int32_t GetOutputsInFile() const { return OutputsInFile; }

  void AddVariable(const ut::String& name, bool is_input);
  void RemoveVariable(std::size_t i);
  void SetCounts(std::int32_t kept_inputs, std::int32_t inputs_in_file, std::int32_t kept_outputs,
                 std::int32_t outputs_in_file);
  std::int32_t CountInputs() const;
  std::int32_t CountOutputs() const;
  ut::SizeTSet& GetKeptIndices() { return KeptIndices; }
  const ut::SizeTSet& GetKeptIndices() const { return KeptIndices; }
  std::vector<std::unique_ptr<CTesploreVar>>& GetVariables() { return Variables; }

  // Read and written directly by the readers.
  std::uint32_t NumSamples = InitialSamples;
  std::uint32_t NumSamplesInFile = 0;

 private:
  std::unique_ptr<SampleFileReader> Reader;
  std::vector<std::unique_ptr<CTesploreVar>> Variables;
  std::int32_t KeptInputs = 0;
  std::int32_t InputsInFile = 0;
  std::int32_t KeptOutputs = 0;
  std::int32_t OutputsInFile = 0;
  std::unique_ptr<RandVarPicker> Picker;
  ut::SizeTSet KeptIndices;
};

}  // namespace fn
