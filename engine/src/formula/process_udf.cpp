// The exported checks and word lists of the formula language.
#include <cstring>
#include <string>
#include <string_view>

#include "formula/model_environment.h"
#include "formula/set_program.h"
#include "model/export_guard.h"
#include "model/store.h"
#include "tesmira/formula.h"

namespace {

void CopyText(char* out, std::string_view text) {
  if (!out) return;
  std::size_t n = text.size() < 255 ? text.size() : 255;
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

constexpr const char* kTitles[3] = {
    "constants:", "one-argument functions:", "multi-argument functions:"};
constexpr const char* kConstants[] = {"pi", "<<", ">>"};
constexpr const char* kOneArgument[] = {"sq",  "srt",  "exp",  "ln",   "lg10", "sin",
                                        "cos", "tg",   "ctg",  "atan", "sum",  "prod",
                                        "gam", "lgam", "prev", "prev0"};
constexpr const char* kMultiArgument[] = {"max", "min", "vary", "i.."};

}  // namespace

int32_t Process_UDF(TUdf** formula, char* text, double* value) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    using namespace tesmira::formula;
    TUdf* record = formula ? *formula : nullptr;
    int index = record ? tesmira::FormulaIndexOf(record) : 0;  // 1-based, 0 when not in the model
    std::string given;
    if (text) given.assign(text, strnlen(text, 255));
    bool hasText = !given.empty();

    SetMode mode = SetMode::CheckOne;
    int target = index > 0 ? index - 1 : -1;
    if (!hasText && index == 0) {
      mode = SetMode::CheckSet;
      target = record ? -1 : 0;
    }
    ModelEnvironment env;
    if (target == 0 && env.FormulaCount() == 0) target = -1;
    SetProgram program;
    double result = 0;
    bool ok = program.Evaluate(env, mode, target, hasText, given, nullptr, result);
    if (ok) {
      if (value) *value = result;
      return 1;
    }
    CopyText(text, program.Message());
    if (!record && !hasText && formula)
      *formula =
          program.FailedFormula() >= 0 ? tesmira::FormulaAt(program.FailedFormula() + 1) : nullptr;
    return 0;
  });
}

int32_t GetNumberOfPredefinedFormulaStrings(int32_t group) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    switch (group) {
      case 0: return 3;
      case 1: return 16;
      case 2: return 4;
      default: return 0;
    }
  });
}

void GetPredefinedFormulaString(int32_t group, int32_t index, char* out) {
  tesmira::GuardedVoid([&] {
    const char* word = "";
    int32_t count = GetNumberOfPredefinedFormulaStrings(group);
    if (count > 0 && index == 0) {
      word = kTitles[group];
    } else if (index >= 1 && index <= count) {
      const char* const* words = group == 0   ? kConstants
                                 : group == 1 ? kOneArgument
                                              : kMultiArgument;
      word = words[index - 1];
    }
    CopyText(out, word);
  });
}
