#include "formula/runtime.h"

#include <cmath>

#include "distributions/special_functions.h"
#include "formula/compiler.h"

namespace tesmira::formula {

namespace {
const double kExpLimit = std::log(1.7e38);
constexpr double kTiny = 1e-9;
}  // namespace

const double* Runtime::Resolve(const Operand& op) {
  auto at = [](auto& v, int32_t i) -> decltype(&v[0]) {
    return (i >= 0 && static_cast<std::size_t>(i) < v.size()) ? &v[static_cast<std::size_t>(i)]
                                                              : nullptr;
  };
  const double* p = nullptr;
  switch (op.kind) {
    case OperandKind::Constant: p = at(constants, op.index); break;
    case OperandKind::Input: p = at(inputs, op.index); break;
    case OperandKind::Zero: p = &zero; break;
    case OperandKind::Formula: p = at(values, op.index); break;
    case OperandKind::Temp: p = at(temps, op.index); break;
  }
  return p ? p : &zero;
}

void Runtime::Link(Builder& builder, int formulaCount, int inputCount) {
  constants = builder.constants;
  inputs.assign(static_cast<std::size_t>(inputCount), 0.0);
  values.assign(static_cast<std::size_t>(formulaCount), 0.0);
  prevValues.assign(static_cast<std::size_t>(formulaCount), 0.0);
  prevInitial.resize(static_cast<std::size_t>(formulaCount), 0.0);
  temps.assign(static_cast<std::size_t>(builder.tempCount), 0.0);
  spans = builder.texts;
  argPtrs.resize(builder.args.size());
  for (std::size_t i = 0; i < builder.args.size(); ++i) argPtrs[i] = Resolve(builder.args[i]);
  int accumulator = 0;
  for (Instr& in : builder.code) {
    in.pa = Resolve(in.a);
    in.pb = Resolve(in.b);
    in.pd = in.dst >= 0 && static_cast<std::size_t>(in.dst) < temps.size()
                ? &temps[static_cast<std::size_t>(in.dst)]
                : nullptr;
    if (in.op == Op::Store)
      in.pd = in.aux2 >= 0 && in.aux2 < formulaCount ? &values[static_cast<std::size_t>(in.aux2)]
                                                     : &zero;
    if (!in.pd) in.pd = &zero;
    in.pargs = in.argCount > 0 ? argPtrs.data() + in.argBegin : nullptr;
    if (in.op == Op::Fn1 && (in.fn == FnSum || in.fn == FnProd)) {
      in.aux =
          static_cast<int16_t>(accumulator < AccumulatorCount ? accumulator : AccumulatorCount - 1);
      ++accumulator;
    }
  }
}

ExecResult Runtime::Fail(const Instr& in, std::string text) {
  if (text.size() > 255) text.resize(255);
  message = std::move(text);
  failedFormula = in.formula;
  return ExecResult::Failed;
}

ExecResult Runtime::Exec(const Instr* begin, const Instr* end) {
  if (run) return check ? ExecMode<true, true>(begin, end) : ExecMode<true, false>(begin, end);
  return check ? ExecMode<false, true>(begin, end) : ExecMode<false, false>(begin, end);
}

template <bool Run, bool Check>
ExecResult Runtime::ExecMode(const Instr* p, const Instr* end) {
  for (; p != end; ++p) {
    const Instr& in = *p;
    switch (in.op) {
      case Op::Add: *in.pd = Check ? 0.0 : *in.pa + *in.pb; break;
      case Op::Sub: *in.pd = Check ? 0.0 : *in.pa - *in.pb; break;
      case Op::Mul: *in.pd = Check ? 0.0 : *in.pa * *in.pb; break;
      case Op::Div:
        if constexpr (Check) {
          *in.pd = 0;
        } else if constexpr (!Run) {
          *in.pd = 1;
        } else {
          double b = *in.pb;
          if (std::fabs(b) <= kTiny) {
            if (!condition0) {
              std::string m = "Division by zero " + spans[static_cast<std::size_t>(in.text)];
              if (in.formula >= 0 && static_cast<std::size_t>(in.formula) < displayNames.size()) {
                std::size_t f = static_cast<std::size_t>(in.formula);
                m += " in udf # " + std::to_string(in.formula + 1) + " " + displayNames[f] +
                     " : `" + texts[f] + "`";
              }
              return Fail(in, std::move(m));
            }
            rejected = true;
            *in.pd = 1;
          } else {
            *in.pd = *in.pa / b;
          }
        }
        break;
      case Op::Pow:
        if constexpr (Check) {
          *in.pd = 0;
        } else if constexpr (!Run) {
          *in.pd = 1;
        } else {
          double a = *in.pa, b = *in.pb;
          if (a > 0) {
            *in.pd = std::pow(a, b);
          } else if (a == 0) {
            *in.pd = 0;
          } else {
            double rb = std::nearbyint(b);
            if (!(std::fabs(b - rb) <= kTiny))
              return Fail(in, "Incorrect operand of \"^\" operator " + FixedText(a, 6, 2));
            *in.pd = std::pow(a, rb);
          }
        }
        break;
      case Op::Fn1: {
        if constexpr (Check) {
          *in.pd = 0;
          break;
        }
        double x = in.absArg ? std::fabs(*in.pa) : *in.pa;
        double v = x;
        switch (in.fn) {
          case FnIdentity: break;
          case FnSq: v = x * x; break;
          case FnSrt:
            if (!Run) {
              v = 1;
              break;
            }
            if (x < 0)
              return Fail(in, "Negative argument of \"Sqrt\" function " + FixedText(x, 6, 2));
            v = std::sqrt(x);
            break;
          case FnExp:
            if (x >= kExpLimit)
              return Fail(in, "Overflow: arg of \"Exp\" > " + FixedText(kExpLimit, 5, 2) + " " +
                                  spans[static_cast<std::size_t>(in.text)]);
            v = std::exp(x);
            break;
          case FnLn:
            if (!Run) {
              v = 1;
              break;
            }
            if (x <= kTiny)
              return Fail(in, "Incorrect argument of \"Ln\" function " + FixedText(x, 6, 2));
            v = std::log(x);
            break;
          case FnLg10:
            if (!Run) {
              v = 1;
              break;
            }
            if (x <= kTiny)
              return Fail(in, "Incorrect argument of \"Lg10\" function " + FixedText(x, 6, 2));
            v = std::log10(x);
            break;
          case FnSin: v = std::sin(x); break;
          case FnCos: v = std::cos(x); break;
          case FnTg: {
            if (!Run) {
              v = 1;
              break;
            }
            double c = std::cos(x);
            if (std::fabs(c) <= kTiny)
              return Fail(in, "Overflow calculating \"Tg\" function " +
                                  spans[static_cast<std::size_t>(in.text)]);
            v = std::sin(x) / c;
            break;
          }
          case FnCtg: {
            if (!Run) {
              v = 1;
              break;
            }
            double s = std::sin(x);
            if (std::fabs(s) <= kTiny)
              return Fail(in, "Overflow calculating \"Ctg\" function " +
                                  spans[static_cast<std::size_t>(in.text)]);
            v = std::cos(x) / s;
            break;
          }
          case FnAtan: v = std::atan(x); break;
          case FnSum: {
            double& acc = accumulators[in.aux];
            acc += x;
            v = acc;
            break;
          }
          case FnProd: {
            double& acc = accumulators[in.aux];
            if (repetition == 0 && acc == 0)
              acc = x;
            else
              acc *= x;
            v = acc;
            break;
          }
          case FnGam: v = static_cast<double>(GammaFunction(x)); break;
          case FnLgam: v = static_cast<double>(LogGamma(x)); break;
          case FnPrev:
            if (in.aux2 >= 0 && static_cast<std::size_t>(in.aux2) < prevValues.size())
              v = sampleCounter > 1 ? prevValues[static_cast<std::size_t>(in.aux2)]
                                    : prevInitial[static_cast<std::size_t>(in.aux2)];
            break;
          case FnPrev0:
            if (sampleCounter > 1 && in.aux2 >= 0 &&
                static_cast<std::size_t>(in.aux2) < prevValues.size())
              v = prevValues[static_cast<std::size_t>(in.aux2)];
            break;
          default: break;
        }
        *in.pd = v;
        break;
      }
      case Op::Table:
        if constexpr (Check) {
          *in.pd = 0;
        } else {
          double x = in.absArg ? std::fabs(*in.pa) : *in.pa;
          const DisTable* t = in.aux2 >= 0 && static_cast<std::size_t>(in.aux2) < tables.size()
                                  ? tables[static_cast<std::size_t>(in.aux2)]
                                  : nullptr;
          *in.pd = t ? t->Value(x) : 0.0;
        }
        break;
      case Op::Max: {
        double m = *in.pargs[0];
        for (int32_t i = 1; i < in.argCount; ++i)
          if (*in.pargs[i] > m) m = *in.pargs[i];
        *in.pd = m;
        break;
      }
      case Op::Min: {
        double m = *in.pargs[0];
        for (int32_t i = 1; i < in.argCount; ++i)
          if (*in.pargs[i] < m) m = *in.pargs[i];
        *in.pd = m;
        break;
      }
      case Op::Vary: {
        if (!Run || firstPass) {
          *in.pd = 0;
          break;
        }
        double start = *in.pargs[0], stop = *in.pargs[1], step = *in.pargs[2];
        if ((start - stop) * step >= 0)
          return Fail(in, "Incorrect arguments for the \"VARY\" function " +
                              spans[static_cast<std::size_t>(in.text)]);
        *in.pd = start + step * repetition;
        double next = start + step * (repetition + 1);
        if (!(step > 0 ? next <= stop : next >= stop))
          varyEnd = true;
        else
          varyMore = true;
        break;
      }
      case Op::Indicator: {
        int32_t m = in.argCount - 2;
        double lo = *in.pargs[0], hi = *in.pargs[in.argCount - 1];
        int32_t c = 0;
        for (int32_t i = 1; i <= m; ++i) {
          double x = *in.pargs[i];
          if (lo <= x && x <= hi) ++c;
        }
        *in.pd = in.aux2 == 0 ? c : (c >= in.aux2 ? 1.0 : 0.0);
        break;
      }
      case Op::Error: return Fail(in, spans[static_cast<std::size_t>(in.text)]);
      case Op::Store: *in.pd = *in.pa; break;
      case Op::Condition:
        if (Run && !firstPass && *in.pa == 0) {
          rejected = true;
          return ExecResult::Rejected;
        }
        break;
    }
  }
  return ExecResult::Ok;
}

}  // namespace tesmira::formula
