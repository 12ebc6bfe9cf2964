// The model both simulation benchmarks run: x1 heads a binary tree of 10
// normal variables (x2..x10 hang below x(k/2)), every link a normal copula
// with rank correlation 0.3 + 0.05 k, and 5 formulas over them.
#pragma once

#include <string>

#include "model_builder.h"

namespace bench {

inline std::string Name(int k) { return "x" + std::to_string(k); }

inline void BuildModel() {
  for (int k = 1; k <= 10; ++k) example::AddVariable(Name(k), DistNormal, k, 1 + 0.1 * k);
  for (int k = 2; k <= 10; ++k) example::Link(Name(k / 2), Name(k), 0.3 + 0.05 * k, CopulaNormal);
  example::AddFormula("f1", "x1+x2+x3");
  example::AddFormula("f2", "x4*x5-x6");
  example::AddFormula("f3", "(x7+x8)/2");
  example::AddFormula("f4", "x9*x9+x10");
  example::AddFormula("f5", "f1-f3");
}

}  // namespace bench
