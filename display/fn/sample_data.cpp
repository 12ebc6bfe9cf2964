#include "fn/sample_data.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "fn/sae_reader.h"
#include "fn/sam_reader.h"
#include "fn/samhdr_reader.h"
#include "ut/exception.h"
#include "ut/file.h"

namespace fn {

ut::String SampleFileExtension(SampleFileType type) {
  switch (type) {
    case SampleFileSae: return "sae";
    case SampleFileSam: return "sam";
    case SampleFileSamhdr: return "samhdr";
    default: return ut::String();
  }
}

SampleFileType SampleFileTypeOf(const ut::String& path) {
  ut::String ext = ut::file_extension(path);
  ext.to_lower();
  if (ext == SampleFileExtension(SampleFileSam)) return SampleFileSam;
  if (ext == SampleFileExtension(SampleFileSamhdr)) return SampleFileSamhdr;
  return SampleFileSae;
}

bool SampleFileReader::SelectVariables(std::size_t n, RandVarPicker& picker) {
  ut::SizeTSet& kept = SampleSet.GetKeptIndices();
  bool picked = false;
  if (n > PickerThreshold) {
    picked = picker.PickVariables(SampleSet.GetVariables(), MaxVariables, kept);
  }
  if (picked) {
    // Only columns of the file count, and no more than the limit.
    kept.erase(kept.lower_bound(n), kept.end());
    while (kept.size() > MaxVariables) kept.erase(std::prev(kept.end()));
    for (std::size_t i = n; i-- > 0;) {
      if (kept.count(i) == 0) SampleSet.RemoveVariable(i);
    }
  } else {
    while (SampleSet.NumVariables() > MaxVariables) {
      SampleSet.RemoveVariable(SampleSet.NumVariables() - 1);
      if (!kept.empty()) kept.erase(std::prev(kept.end()));
    }
  }
  return picked;
}

void SampleFileReader::ThrowNotFinite(std::size_t sample, const ut::String& name,
                                      const char* function) {
  throw ut::Exception("Sample " + ut::int_to_string(static_cast<long long>(sample)) +
                          " of variable \"" + name + "\" is not a finite number.",
                      function);
}

SampleData::SampleData(RandVarPicker* picker) : Picker(picker) {
  if (!picker) throw ut::Exception("Invalid 'RandVarPicker' pointer", "SampleData::SampleData");
}

SampleData::~SampleData() {
  Variables.clear();
  KeptIndices.clear();
  Reader.reset();
}

bool SampleData::SetFile(const ut::String& path, SampleFileType type) {
  Reader.reset();
  switch (type) {
    case SampleFileSae: Reader = std::make_unique<SaeSampleFileReader>(*this); break;
    case SampleFileSamhdr: Reader = std::make_unique<ModularSampleHeaderFileReader>(*this); break;
    case SampleFileSam: Reader = std::make_unique<SamSampleFileReader>(*this); break;
    default: throw ut::Exception("Unknown sample file type.", "SampleData::SetFile");
  }
  Reader->ReadHeader(path, *Picker);
  Reader->LoadSortSamples();
  return true;
}

void SampleData::Clear() {
  Variables.clear();
  KeptIndices.clear();
  KeptInputs = 0;
  KeptOutputs = 0;
  Reader.reset();
}

void SampleData::UpdateNumSamples(std::uint32_t n) {
  n = std::min({n, NumSamplesInFile, MaxSamples});
  if (n <= NumSamples) return;
  if (!Reader) {
    throw ut::Exception("The sample file has not yet been chosen.", "SampleData::UpdateNumSamples");
  }
  Reader->LoadSortSamples();
  NumSamples = n;
}

ut::String SampleData::GetFileName() const { return Reader ? Reader->GetFilePath() : ut::String(); }

CTesploreVar& SampleData::GetVariable(std::size_t i) { return *Variables.at(i); }

const CTesploreVar& SampleData::GetVariable(std::size_t i) const { return *Variables.at(i); }

void SampleData::AddVariable(const ut::String& name, bool is_input) {
  auto var = std::make_unique<CTesploreVar>();
  var->SetName(name);
  var->IsInput = is_input;
  var->SetIsOutput(!is_input);
  Variables.push_back(std::move(var));
}

void SampleData::RemoveVariable(std::size_t i) {
  if (i >= Variables.size()) throw std::out_of_range("SampleData::RemoveVariable");
  Variables.erase(Variables.begin() + static_cast<std::ptrdiff_t>(i));
}

void SampleData::SetCounts(std::int32_t kept_inputs, std::int32_t inputs_in_file,
                           std::int32_t kept_outputs, std::int32_t outputs_in_file) {
  KeptInputs = kept_inputs;
  InputsInFile = inputs_in_file;
  KeptOutputs = kept_outputs;
  OutputsInFile = outputs_in_file;
}

std::int32_t SampleData::CountInputs() const {
  std::int32_t n = 0;
  for (const auto& v : Variables) n += v->GetIsOutput() ? 0 : 1;
  return n;
}

std::int32_t SampleData::CountOutputs() const {
  return static_cast<std::int32_t>(Variables.size()) - CountInputs();
}

}  // namespace fn
