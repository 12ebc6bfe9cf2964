#include "simulation/input_samples.h"

#include <string_view>

#include "dependence/generator.h"
#include "files/input_table.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "simulation/run_state.h"
#include "tesmira/files.h"
#include "text/value_text.h"

namespace tesmira {
namespace {

bool HasExtension(std::string_view name) {
  std::size_t slash = name.find_last_of("/\\");
  std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

std::string WithFolderAndExtension(const std::string& name, int kind) {
  std::string out;
  if (name.empty() || HasExtension(name) || !DerivedFileNameText(name, kind, out)) return name;
  return out;
}

std::string InsertPost(const std::string& name) {
  std::size_t slash = name.find_last_of("/\\");
  std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return name + "_post";
  return name.substr(0, dot) + "_post" + name.substr(dot);
}

}  // namespace

bool InputSampleSource::Prepare(bool modelTakesInput, std::string& writeName) {
  modelTakesInput_ = modelTakesInput;
  RunSettings& s = Settings();
  TSampleList* inputs = InputSampleList();
  TSampleList* outputs = OutputSampleList();
  if (inputs == nullptr || outputs == nullptr) return false;
  TSampleList savedInputs = *inputs;
  TSampleList savedOutputs = *outputs;

  std::string requested = s.sampleFile;
  std::string source = requested;
  std::string probability;
  if (modelTakesInput) {
    TExtendedRandomVariable* rv = VariableOfNode(NodeAt(1));
    if (rv) {
      source = std::string(ShortStringView(rv->distribution.u.sample.sampleFile));
      probability = std::string(ShortStringView(rv->distribution.u.sample.probabilityFile));
    }
  }
  writeName.clear();
  if (source.empty()) return false;
  source = WithFolderAndExtension(source, FileKindSampleText);
  probability =
      probability.empty() ? source : WithFolderAndExtension(probability, FileKindProbabilities);
  if (!requested.empty() && !modelTakesInput) requested.clear();  // the request names the source
  if (!requested.empty() && !SameName(LowerCase(requested), LowerCase(source)))
    writeName = requested;
  else if (s.options & 3)
    writeName = InsertPost(source);

  int32_t c = ReadSampleFileHeader(source, inputs, outputs, reader_);
  fileInputs_ = *inputs;
  fileOutputs_ = *outputs;
  inputCount_ = inputs->count;
  outputCount_ = outputs->count;
  columnMap_.assign(static_cast<std::size_t>(inputCount_ + outputCount_) + 1, 0);
  if (modelTakesInput) {
    *inputs = savedInputs;
    *outputs = savedOutputs;
    // Each Sample File variable names its column of the file.
    for (int d = 1; d <= inputs->count; ++d) {
      TExtendedRandomVariable* rv = VariableOfNode(NodeAt(d));
      if (rv == nullptr) continue;
      int column = rv->samplePosition;
      if (column >= 1 && column <= inputCount_ + outputCount_)
        columnMap_[static_cast<std::size_t>(column)] = d;  // positions outside the file are ignored
    }
  } else {
    for (int k = 1; k <= inputCount_; ++k) columnMap_[static_cast<std::size_t>(k)] = k;
  }
  if (c < 1) {
    reader_.Close();
    return false;
  }
  samples_ = c;
  if (modelTakesInput) {
    // With a probability file the samples are drawn from the binary table;
    // the file entries name the run's input each column feeds.
    for (int k = 0; k < fileInputs_.count; ++k)
      fileInputs_.entries[k].objectIndex =
          static_cast<int16_t>(columnMap_[static_cast<std::size_t>(k + 1)]);
    for (int k = 0; k < fileOutputs_.count; ++k) fileOutputs_.entries[k].objectIndex = 0;
    InputSampleTable& table = RunInputTable();
    if (table.Convert(probability, fileInputs_, fileOutputs_, reader_, c)) {
      binary_ = true;
    } else {
      // The text reader may have been consumed by the attempt: read again from the start.
      table.Delete();
      reader_.Close();
      TSampleList in{}, out{};
      if (ReadSampleFileHeader(source, &in, &out, reader_) < 1) return false;
    }
  }
  return true;
}

void InputSampleSource::Close() {
  reader_.Close();
  if (binary_) RunInputTable().Delete();
  binary_ = false;
}

bool InputSampleSource::Read(TSampleList& inputs, TSampleList& outputs, int32_t& idum) {
  if (binary_) {
    double u = NextUniform(idum);
    return RunInputTable().Draw(u, fileInputs_, fileOutputs_, inputs, outputs, !modelTakesInput_) >
           0;
  }
  std::string_view line;
  int columns = inputCount_ + outputCount_;
  for (int k = 1; k <= columns; ++k) {
    double x = 0;
    if (!reader_.ReadLine(line) || !ParseNumberField(line, x)) return false;
    int d = columnMap_[static_cast<std::size_t>(k)];
    if (d >= 1 && d <= inputs.count) {
      SetEntryValue(inputs.entries[d - 1], x);
    } else if (!modelTakesInput_ && k > inputCount_) {
      int o = k - inputCount_;
      if (o <= outputs.count) SetEntryValue(outputs.entries[o - 1], x);
    }
  }
  return true;
}

}  // namespace tesmira
