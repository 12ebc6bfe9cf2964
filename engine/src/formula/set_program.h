// The evaluation of a whole formula set: references between formulas, the
// evaluation order, the condition formula, the target formula, repetition by
// vary and previous-sample values. Works against an Environment so that it
// can run on the global model or on a set given by a test or a benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/dis_table.h"
#include "formula/program.h"
#include "formula/runtime.h"

namespace tesmira::formula {

// The model as the formula set sees it (0-based formula and variable indexes).
class Environment {
 public:
  virtual ~Environment() = default;
  virtual int FormulaCount() const = 0;
  virtual std::string FormulaName(int f) const = 0;  // may be empty
  virtual std::string FormulaText(int f) const = 0;
  // The 8 bytes of the formula record's value field, or nullptr.
  virtual unsigned char* FormulaValueField(int f) {
    (void)f;
    return nullptr;
  }
  virtual void SetFormulaEvaluated(int f, bool evaluated) { (void)f, (void)evaluated; }
  virtual int VariableCount() const = 0;
  virtual std::string VariableName(int v) const = 0;
  // The first parameter of a parametric variable (types 1..10).
  virtual bool VariableFirstParameter(int v, double& value) const = 0;
  // The distribution table of that (lower-case) name, loading its ".DIS" file
  // when needed; nullptr when there is none.
  virtual const DisTable* Table(std::string_view name) = 0;
};

enum class SetMode {
  RunFirstPass,  // the first pass of a run: records the order, check behaviour
  CheckOne,      // checking one formula (or a text) with the formulas it needs
  CheckSet       // checking the whole set
};

// The default name of formula f (0-based): "formula", "udf1", "udf2", ...
std::string DefaultFormulaName0(int f);

// The 0-based formulas a working text refers to. A name counts where neither
// neighbour is a name character; ordering is false inside prev(...).
struct Reference {
  int formula;
  bool ordering;
};
std::vector<Reference> FindReferences(std::string_view workingText,
                                      const std::vector<std::string>& keys);

class SetProgram {
 public:
  // Compiles and evaluates once. target: 0-based formula, or -1 for a new
  // position after the last formula; text replaces the target's text in
  // CheckOne when hasText. inputNames: the run's inputs (RunFirstPass).
  // Returns true on success with the target's value.
  bool Evaluate(Environment& env, SetMode mode, int target, bool hasText, std::string_view text,
                const std::vector<std::string>* inputNames, double& value);

  // After a successful RunFirstPass: one sample.
  double* Inputs() { return rt_.inputs.data(); }
  bool Sample(bool& failed);
  int OutputCount() const { return static_cast<int>(outputs_.size()); }
  const double* Outputs() const { return outputValues_.data(); }
  const std::string& OutputName(int k) const { return outputNames_[static_cast<std::size_t>(k)]; }
  int OutputFormula(int k) const { return outputs_[static_cast<std::size_t>(k)] + 1; }

  const std::string& Message() const { return rt_.message; }
  // 0-based formula in which the last failure occurred, -1 when none.
  int FailedFormula() const { return failedFormula_; }

  // Most repetitions of one sample by vary.
  static constexpr int32_t MaxRepetitions = 1000000;

 private:
  void Reset(Environment& env, SetMode mode);
  void PrepareSampling(Environment& env, const std::vector<std::string>& userTexts,
                       const std::vector<std::string>& keys);

  Environment* env_ = nullptr;
  Builder builder_;
  Runtime rt_;
  std::vector<int> outputs_;
  std::vector<std::string> outputNames_;
  std::vector<double> outputValues_;
  std::vector<unsigned char*> valueFields_;
  int failedFormula_ = -1;
};

}  // namespace tesmira::formula
