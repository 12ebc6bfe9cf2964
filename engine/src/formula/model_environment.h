// The formula set's view of the global model.
#pragma once

#include "formula/set_program.h"

namespace tesmira::formula {

class ModelEnvironment : public Environment {
 public:
  int FormulaCount() const override;
  std::string FormulaName(int f) const override;
  std::string FormulaText(int f) const override;
  unsigned char* FormulaValueField(int f) override;
  void SetFormulaEvaluated(int f, bool evaluated) override;
  int VariableCount() const override;
  std::string VariableName(int v) const override;
  bool VariableFirstParameter(int v, double& value) const override;
  // Tables live in the model record's table slots until the model is freed.
  const DisTable* Table(std::string_view name) override;
};

// Frees the model's loaded distribution tables (the model's release hook).
void FreeDistributionTables();

}  // namespace tesmira::formula
