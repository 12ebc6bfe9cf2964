// The formulas of a model, compiled once per run and replayed per sample.
//
// Use from the Monte Carlo loop:
//
//   tesmira::FormulaSet set;
//   std::string message;
//   if (!set.Prepare(inputNames, message)) -> model integrity failure, message
//   for every sample:
//     double* in = set.Inputs();             // one value per input, list order
//     ... write the sample's input values into in[0 .. inputNames.size()-1] ...
//     bool failed = false;
//     bool accepted = set.Evaluate(failed);  // allocates nothing
//     if (failed) -> stop the run; set.Message() says why
//     set.Outputs()[k] is output k's value (0 when the sample was rejected)
//
// or, working on the run's TSampleList blocks directly, PrepareSampleLists and
// EvaluateSampleLists.
//
// Prepare reads the global model (formula names and texts, variables for the
// initial values of prev, the model folder for ".DIS" tables), lower-cases a
// private copy of every text, resolves every name once, orders the formulas by
// their references, checks the whole set as the first pass of a run does, and
// records one flat instruction program: the condition formula's subset first,
// then the remaining formulas, then the first formula (the target). Evaluate
// replays that program; only an error builds a message.
//
// The outputs are the first formula and every formula with a non-empty text,
// in table order; OutputName(k) is the display name the output list shows and
// OutputFormula(k) the 1-based formula index. After every sample the formula
// values are also stored in the model's formula records, so the set must be
// prepared again after formulas are created or deleted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tesmira/objects.h"

namespace tesmira {

namespace formula {
class SetProgram;
}

class FormulaSet {
 public:
  FormulaSet();
  ~FormulaSet();
  FormulaSet(const FormulaSet&) = delete;
  FormulaSet& operator=(const FormulaSet&) = delete;

  // Compiles the model's formulas for a run whose input list holds inputNames
  // (compared without regard to case, first match in list order). Runs the
  // first pass (input values 0). False with the evaluator's message on failure.
  bool Prepare(const std::vector<std::string>& inputNames, std::string& message);

  // The input values of the current sample, one per input name.
  double* Inputs();
  // Evaluates all formulas on the current sample (all repetitions of vary).
  // Returns true when the sample is accepted; failed is set on an error or an
  // unhandled division by zero (Message() then holds the text).
  bool Evaluate(bool& failed);

  int OutputCount() const;
  const double* Outputs() const;
  const std::string& OutputName(int k) const;  // 0-based k
  int OutputFormula(int k) const;              // 1-based formula index

  const std::string& Message() const;

  // The same over the run's sample lists. Prepare takes the input names from
  // the input list and fills the output list: one entry per output with its
  // lower-cased display name, the value 1 and the formula index, and the count.
  bool PrepareSampleLists(const TSampleList& inputs, TSampleList& outputs, std::string& message);
  // Reads the input values from the list, evaluates the sample and writes the
  // output values into the output list (unless an error occurred).
  bool EvaluateSampleLists(const TSampleList& inputs, TSampleList& outputs, bool& failed);

 private:
  std::unique_ptr<formula::SetProgram> program_;
  std::size_t inputCount_ = 0;
};

}  // namespace tesmira
