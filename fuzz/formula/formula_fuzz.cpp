// Fuzz target of the formula parser and evaluator: the input is the text of
// the second of three formulas; the set is checked, prepared for a run and
// evaluated on a few samples.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formula/set_program.h"

namespace {

class Environment : public tesmira::formula::Environment {
 public:
  std::vector<std::string> texts;
  int FormulaCount() const override { return static_cast<int>(texts.size()); }
  std::string FormulaName(int f) const override { return f == 2 ? "condition0" : ""; }
  std::string FormulaText(int f) const override { return texts[static_cast<std::size_t>(f)]; }
  int VariableCount() const override { return 2; }
  std::string VariableName(int v) const override { return v == 0 ? "a" : "b"; }
  bool VariableFirstParameter(int, double& value) const override {
    value = 1;
    return true;
  }
  const tesmira::formula::DisTable* Table(std::string_view) override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 300) return 0;
  Environment env;
  env.texts = {"udf1+a", std::string(reinterpret_cast<const char*>(data), size), "b"};
  using tesmira::formula::SetMode;
  tesmira::formula::SetProgram program;
  double value = 0;
  program.Evaluate(env, SetMode::CheckOne, 1, false, {}, nullptr, value);
  program.Evaluate(env, SetMode::CheckSet, 0, false, {}, nullptr, value);
  std::vector<std::string> inputs = {"a", "b"};
  if (program.Evaluate(env, SetMode::RunFirstPass, 0, false, {}, &inputs, value)) {
    const double samples[3][2] = {{0, 1}, {-2.5, 0}, {1e300, -1e-300}};
    for (const auto& s : samples) {
      program.Inputs()[0] = s[0];
      program.Inputs()[1] = s[1];
      bool failed = false;
      program.Sample(failed);
    }
  }
  return 0;
}
