// Runs compiled formula instructions. One Runtime holds the value slots of a
// compiled set (constants, inputs, formula values, intermediates) and the
// state of the evaluation (modes, accumulators, repetition, previous values).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formula/dis_table.h"
#include "formula/program.h"

namespace tesmira::formula {

inline constexpr int AccumulatorCount = 12;

enum class ExecResult { Ok, Failed, Rejected };

struct Runtime {
  // Value slots (sized by Link and never resized afterwards).
  std::vector<double> constants;
  std::vector<double> inputs;
  std::vector<double> values;  // per formula
  std::vector<double> temps;
  std::vector<double> prevValues;   // per formula: value at the end of the previous sample
  std::vector<double> prevInitial;  // per formula: prev before the second sample
  std::vector<const double*> argPtrs;
  std::vector<const DisTable*> tables;
  double zero = 0;

  // For messages.
  std::vector<std::string> displayNames;  // per formula
  std::vector<std::string> texts;         // per formula, as the user wrote them
  std::vector<std::string> spans;         // quoted spans and compile messages of the code

  // Modes.
  bool run = false;    // in a run (inputs are sampled)
  bool check = false;  // check behaviour: operations and one-argument functions are not computed
  bool firstPass = false;
  bool condition0 = false;  // a division by zero rejects the sample

  // Per sample.
  int64_t sampleCounter = 0;  // 0 in the first pass, then 1, 2, ...
  int32_t repetition = 0;
  bool varyMore = false;  // some vary has another value
  bool varyEnd = false;   // some vary has reached its end
  bool rejected = false;
  double accumulators[AccumulatorCount] = {};

  // The failure of the last Exec.
  std::string message;
  int32_t failedFormula = -1;

  // Sizes the slots, resolves operand pointers of code and numbers the
  // accumulators of sum and prod in program order.
  void Link(Builder& builder, int formulaCount, int inputCount);

  ExecResult Exec(const Instr* begin, const Instr* end);

 private:
  template <bool Run, bool Check>
  ExecResult ExecMode(const Instr* begin, const Instr* end);
  ExecResult Fail(const Instr& in, std::string text);
  const double* Resolve(const Operand& op);
};

}  // namespace tesmira::formula
