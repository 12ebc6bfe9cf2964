// Compiles one formula text by the language's reduction steps.
//
// The text is rewritten step by step: each step reduces the innermost bracket
// group, or one binary operation, to an intermediate value, until a single
// operand is left. The rewriting happens once, here; every step that produces
// a value becomes an instruction. A message found while compiling (an unknown
// name, a bracket error, a wrong argument count) becomes an Error instruction
// at the place where the evaluation meets it, so that the messages come in
// the same order as the steps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "formula/program.h"

namespace tesmira::formula {

// Name lookups against the model or the run. Names are lower-case and blank-free.
class Resolver {
 public:
  virtual ~Resolver() = default;
  // A variable: an Input operand in a run, a Zero operand in a check.
  virtual std::optional<Operand> FindVariable(std::string_view name) = 0;
  // A formula by its display name: its 0-based index, or -1.
  virtual int FindFormula(std::string_view name) = 0;
  // A distribution table named name: its id, or -1 (may load a ".DIS" file).
  virtual int FindTable(std::string_view name) = 0;
};

struct CompiledText {
  int32_t begin = 0;  // instructions [begin, end) of the builder's code
  int32_t end = 0;
  bool ok = false;  // false when the text ends in an Error instruction
  Operand result;   // the value of the text when ok
};

// Most intermediate values one formula may need.
inline constexpr int MaxIntermediates = 96;

// The blank-free, lower-cased text the evaluator works on.
std::string WorkingText(std::string_view text);

// Compiles a working text; formula is the 0-based formula it belongs to
// (-1 for a text of no formula), used by prev0 and the messages.
CompiledText CompileText(std::string_view workingText, int32_t formula, Resolver& resolver,
                         Builder& builder);

// The number syntax of formula texts: digits, optionally a point and digits
// (at least one character of this part), optionally "e" with an optional
// sign and digits (none means exponent 0); nothing may follow. A lone point
// reads as 0.
std::optional<double> ReadFormulaNumber(std::string_view text);

// Fixed notation right-aligned in width characters, rounded half up,
// independent of the locale.
std::string FixedText(double value, int width, int decimals);

}  // namespace tesmira::formula
