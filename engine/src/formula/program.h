// The compiled form of formula texts: a flat list of instructions over value
// slots. A text is compiled once (names resolved, constants converted, the
// reduction order fixed) and the instructions are replayed per sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tesmira::formula {

// Where an operand's value lives.
enum class OperandKind : uint8_t {
  Constant,  // constants pool (numbers, pi, << and >>)
  Input,     // the run's input values
  Zero,      // a model variable outside a run: always 0
  Formula,   // a formula's current value
  Temp       // an intermediate value of a reduction step
};

struct Operand {
  OperandKind kind = OperandKind::Constant;
  int32_t index = 0;
};

enum class Op : uint8_t {
  Add,
  Sub,
  Mul,
  Div,
  Pow,
  Fn1,    // one-argument function fn of a (of |a| with absArg)
  Table,  // distribution table aux2 at a
  Max,    // over the argument list
  Min,
  Vary,       // start, end, step
  Indicator,  // lo, x1..xm, hi; aux2 = k (0 for #)
  Error,      // a message found while compiling: text
  Store,      // formula value := a
  Condition,  // the condition formula's value a is exactly 0: reject the sample
};

// One-argument function words; their order (from Sq on) is the published list.
enum Fn1Code : uint8_t {
  FnIdentity,
  FnSq,
  FnSrt,
  FnExp,
  FnLn,
  FnLg10,
  FnSin,
  FnCos,
  FnTg,
  FnCtg,
  FnAtan,
  FnSum,
  FnProd,
  FnGam,
  FnLgam,
  FnPrev,
  FnPrev0,
  Fn1Count
};

struct Instr {
  Op op = Op::Error;
  uint8_t fn = 0;        // Fn1Code
  bool absArg = false;   // name[e]: the function of |e|
  int16_t aux = 0;       // accumulator slot of sum and prod
  int32_t aux2 = 0;      // table id; k of the indicator; formula of prev/prev0; formula of Store
  int32_t text = -1;     // quoted span of the step, or the message of Error
  int32_t formula = -1;  // 0-based formula the instruction belongs to (-1: a text of no formula)
  int32_t argBegin = 0;  // multi-argument functions: operands args[argBegin ..]
  int32_t argCount = 0;
  Operand a, b;
  int32_t dst = -1;  // temp slot written

  // Filled by linking.
  const double* pa = nullptr;
  const double* pb = nullptr;
  double* pd = nullptr;
  const double* const* pargs = nullptr;
};

// Instructions, constants and texts of any number of compiled texts.
struct Builder {
  std::vector<Instr> code;
  std::vector<double> constants;
  std::vector<Operand> args;
  std::vector<std::string> texts;
  int32_t tempCount = 0;
  // Every plain bracket becomes an instruction. For code that only runs in
  // check mode, where a bracket gives 0 like every one-argument function.
  bool bracketInstructions = false;

  int32_t AddConstant(double v) {
    constants.push_back(v);
    return static_cast<int32_t>(constants.size() - 1);
  }
  int32_t AddText(std::string t) {
    texts.push_back(std::move(t));
    return static_cast<int32_t>(texts.size() - 1);
  }
};

}  // namespace tesmira::formula
