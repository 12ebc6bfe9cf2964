#include "formula/formula_set.h"

#include "formula/model_environment.h"
#include "formula/set_program.h"

namespace tesmira {

FormulaSet::FormulaSet() : program_(std::make_unique<formula::SetProgram>()) {}
FormulaSet::~FormulaSet() = default;

bool FormulaSet::Prepare(const std::vector<std::string>& inputNames, std::string& message) {
  formula::ModelEnvironment env;
  double value = 0;
  bool ok = program_->Evaluate(env, formula::SetMode::RunFirstPass, 0, false, {}, &inputNames, value);
  message = ok ? std::string() : program_->Message();
  return ok;
}

double* FormulaSet::Inputs() { return program_->Inputs(); }
bool FormulaSet::Evaluate(bool& failed) { return program_->Sample(failed); }
int FormulaSet::OutputCount() const { return program_->OutputCount(); }
const double* FormulaSet::Outputs() const { return program_->Outputs(); }
const std::string& FormulaSet::OutputName(int k) const { return program_->OutputName(k); }
int FormulaSet::OutputFormula(int k) const { return program_->OutputFormula(k); }
const std::string& FormulaSet::Message() const { return program_->Message(); }

}  // namespace tesmira
