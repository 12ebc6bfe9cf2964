#include "formula/formula_set.h"

#include <algorithm>

#include "formula/model_environment.h"
#include "formula/set_program.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"

namespace tesmira {

FormulaSet::FormulaSet() : program_(std::make_unique<formula::SetProgram>()) {}
FormulaSet::~FormulaSet() = default;

bool FormulaSet::Prepare(const std::vector<std::string>& inputNames, std::string& message) {
  formula::ModelEnvironment env;
  double value = 0;
  bool ok =
      program_->Evaluate(env, formula::SetMode::RunFirstPass, 0, false, {}, &inputNames, value);
  message = ok ? std::string() : program_->Message();
  inputCount_ = ok ? inputNames.size() : 0;
  return ok;
}

double* FormulaSet::Inputs() { return program_->Inputs(); }
bool FormulaSet::Evaluate(bool& failed) { return program_->Sample(failed); }
int FormulaSet::OutputCount() const { return program_->OutputCount(); }
const double* FormulaSet::Outputs() const { return program_->Outputs(); }
const std::string& FormulaSet::OutputName(int k) const { return program_->OutputName(k); }
int FormulaSet::OutputFormula(int k) const { return program_->OutputFormula(k); }
const std::string& FormulaSet::Message() const { return program_->Message(); }

static int ListCount(const TSampleList& list) {
  return std::clamp(static_cast<int>(list.count), 0, static_cast<int>(MaxSampleListEntries));
}

bool FormulaSet::PrepareSampleLists(const TSampleList& inputs, TSampleList& outputs,
                                    std::string& message) {
  std::vector<std::string> names;
  int count = ListCount(inputs);
  for (int i = 0; i < count; ++i) names.emplace_back(ShortStringView(inputs.entries[i].name));
  if (!Prepare(names, message)) return false;
  int n = std::min(OutputCount(), static_cast<int>(MaxSampleListEntries));
  for (int k = 0; k < n; ++k) {
    TSampleListEntry& e = outputs.entries[k];
    SetShortString(e.name, OutputName(k));
    SetEntryValue(e, 1.0);
    e.objectIndex = static_cast<int16_t>(OutputFormula(k));
  }
  outputs.count = static_cast<int16_t>(n);
  return true;
}

bool FormulaSet::EvaluateSampleLists(const TSampleList& inputs, TSampleList& outputs,
                                     bool& failed) {
  double* in = Inputs();
  int count = ListCount(inputs);
  int prepared = static_cast<int>(inputCount_);
  for (int i = 0; i < count && i < prepared; ++i) in[i] = EntryValue(inputs.entries[i]);
  bool accepted = Evaluate(failed);
  if (!failed) {
    int n = std::min(OutputCount(), static_cast<int>(MaxSampleListEntries));
    const double* out = Outputs();
    for (int k = 0; k < n; ++k) SetEntryValue(outputs.entries[k], out[k]);
  }
  return accepted;
}

}  // namespace tesmira
