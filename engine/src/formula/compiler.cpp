#include "formula/compiler.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "formula/words.h"
#include "text/value_text.h"

namespace tesmira::formula {

std::string WorkingText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == ' ') continue;
    out.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c);
  }
  return out;
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<double> ReadFormulaNumber(std::string_view t) {
  std::size_t i = 0, n = t.size();
  bool negative = false;
  if (i < n && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
  std::size_t intBegin = i;
  while (i < n && IsDigit(t[i])) ++i;
  std::string_view intPart = t.substr(intBegin, i - intBegin);
  std::string_view fracPart;
  bool point = false;
  if (i < n && t[i] == '.') {
    point = true;
    std::size_t f = ++i;
    while (i < n && IsDigit(t[i])) ++i;
    fracPart = t.substr(f, i - f);
  }
  if (intPart.empty() && !point) return std::nullopt;
  bool expNegative = false;
  std::string_view expDigits;
  if (i < n && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < n && (t[i] == '+' || t[i] == '-')) expNegative = t[i++] == '-';
    std::size_t e = i;
    while (i < n && IsDigit(t[i])) ++i;
    expDigits = t.substr(e, i - e);
  }
  if (i != n) return std::nullopt;
  if (intPart.empty() && fracPart.empty()) return 0.0;  // a lone point

  std::string canonical;
  canonical.reserve(t.size() + 2);
  canonical.append(intPart.empty() ? std::string_view("0") : intPart);
  if (!fracPart.empty()) {
    canonical.push_back('.');
    canonical.append(fracPart);
  }
  if (!expDigits.empty()) {
    canonical.push_back('e');
    if (expNegative) canonical.push_back('-');
    canonical.append(expDigits);
  }
  double value = 0;
  auto [ptr, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                   std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double reads as 0; too large is no number.
    if (!expNegative) return std::nullopt;
    value = 0;
  } else if (ec != std::errc() || ptr != canonical.data() + canonical.size()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::string FixedText(double value, int width, int decimals) {
  return FormatFixed(value, decimals, width);
}

namespace {

// One character of the working text. A reduced span is replaced by cells of
// its intermediate value (temp >= 1), as many as the display copy shows dots,
// so positions stay aligned with the display copy. User text can never form
// an intermediate value's name.
struct Cell {
  char c;
  bool numberSign;  // the sign of a number's exponent, part of the operand
  int16_t temp;     // step number of an intermediate value, 0 for user text
};

bool IsOperatorChar(char c) { return c == '^' || c == '/' || c == '*' || c == '-' || c == '+'; }
bool IsDelimiterChar(char c) {
  return c == ' ' || c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}' ||
         c == ',';
}

class Reducer {
 public:
  Reducer(std::string_view text, int32_t formula, Resolver& resolver, Builder& builder)
      : formula_(formula), resolver_(resolver), b_(builder) {
    cells_.reserve(text.size() + 16);
    for (char c : text) cells_.push_back(Cell{c, false, 0});
    MarkExponentSigns();
    temps_.resize(1);
  }

  CompiledText Run() {
    CompiledText out;
    out.begin = static_cast<int32_t>(b_.code.size());
    // Every step shortens the text or ends; the step limit bounds it anyway.
    for (int step = 1;; ++step) {
      StepResult r = Step(step);
      if (r == StepResult::Done) {
        out.ok = true;
        out.result = result_;
        break;
      }
      if (r == StepResult::Failed) break;
    }
    out.end = static_cast<int32_t>(b_.code.size());
    return out;
  }

 private:
  enum class StepResult { Continued, Done, Failed };

  bool IsOp(const Cell& c) const { return c.temp == 0 && !c.numberSign && IsOperatorChar(c.c); }
  bool IsDelim(const Cell& c) const { return c.temp == 0 && IsDelimiterChar(c.c); }
  bool IsOperandCell(const Cell& c) const { return !IsOp(c) && !IsDelim(c); }
  static int Width(int step) { return step < 10 ? 2 : 3; }

  // A sign right after the "e" of a number belongs to the number: 1e-5.
  void MarkExponentSigns() {
    std::size_t n = cells_.size(), i = 0;
    while (i < n) {
      bool start = i == 0 || (IsDelimiterChar(cells_[i - 1].c) ||
                              (IsOperatorChar(cells_[i - 1].c) && !cells_[i - 1].numberSign));
      if (start && (IsDigit(cells_[i].c) || cells_[i].c == '.')) {
        std::size_t j = i;
        bool digit = false;
        while (j < n && IsDigit(cells_[j].c)) ++j, digit = true;
        if (j < n && cells_[j].c == '.') {
          ++j;
          while (j < n && IsDigit(cells_[j].c)) ++j, digit = true;
        }
        if (digit && j + 2 < n && cells_[j].c == 'e' &&
            (cells_[j + 1].c == '-' || cells_[j + 1].c == '+') && IsDigit(cells_[j + 2].c)) {
          // Only when the exponent's digits end the operand: in 2e+0.5 or
          // 1e-5x the sign stays an operator.
          std::size_t k = j + 2;
          while (k < n && IsDigit(cells_[k].c)) ++k;
          if (k == n || IsDelimiterChar(cells_[k].c) || IsOperatorChar(cells_[k].c)) {
            cells_[j + 1].numberSign = true;
            i = k;
            continue;
          }
        }
        i = j > i ? j : i + 1;
        continue;
      }
      ++i;
    }
  }

  std::string Display(int l, int r) const {
    std::string s;
    for (int i = l; i < r; ++i)
      s.push_back(cells_[static_cast<std::size_t>(i)].temp ? '.'
                                                           : cells_[static_cast<std::size_t>(i)].c);
    return s;
  }
  std::string Quoted(int l, int r) const {
    std::string s(1, '"');
    s += Display(l, r);
    s.push_back('"');
    return s;
  }

  StepResult Fail(std::string message) {
    if (message.size() > 255) message.resize(255);
    Instr in;
    in.op = Op::Error;
    in.formula = formula_;
    in.text = b_.AddText(std::move(message));
    b_.code.push_back(in);
    return StepResult::Failed;
  }
  StepResult CantInterpret(int l, int r) { return Fail("Can`t interpret " + Quoted(l, r)); }

  // The operand written in cells [l, r), or nothing when it is not found.
  std::optional<Operand> Lookup(int l, int r) {
    if (l >= r) return Operand{OperandKind::Constant, b_.AddConstant(0.0)};
    bool anyTemp = false;
    for (int i = l; i < r; ++i) anyTemp = anyTemp || cells_[static_cast<std::size_t>(i)].temp != 0;
    if (anyTemp) {
      int t = cells_[static_cast<std::size_t>(l)].temp;
      if (t == 0 || r - l != Width(t)) return std::nullopt;
      for (int i = l; i < r; ++i)
        if (cells_[static_cast<std::size_t>(i)].temp != t) return std::nullopt;
      return temps_[static_cast<std::size_t>(t)];
    }
    std::string name;
    for (int i = l; i < r; ++i) name.push_back(cells_[static_cast<std::size_t>(i)].c);
    if (auto v = resolver_.FindVariable(name)) return v;
    if (name == "pi") return Operand{OperandKind::Constant, b_.AddConstant(3.14159265358979323846)};
    if (name == "<<") return Operand{OperandKind::Constant, b_.AddConstant(-1.7e38)};
    if (name == ">>") return Operand{OperandKind::Constant, b_.AddConstant(1.7e38)};
    if (auto v = ReadFormulaNumber(name)) return Operand{OperandKind::Constant, b_.AddConstant(*v)};
    int f = resolver_.FindFormula(name);
    if (f >= 0) {
      lastFormula_ = f;
      return Operand{OperandKind::Formula, f};
    }
    return std::nullopt;
  }

  // Replaces cells [l, r) by the intermediate value of step s.
  void Replace(int l, int r, int step, Operand value) {
    if (static_cast<std::size_t>(step) >= temps_.size())
      temps_.resize(static_cast<std::size_t>(step) + 1);
    temps_[static_cast<std::size_t>(step)] = value;
    std::vector<Cell> repl(static_cast<std::size_t>(Width(step)),
                           Cell{'.', false, static_cast<int16_t>(step)});
    cells_.erase(cells_.begin() + l, cells_.begin() + r);
    cells_.insert(cells_.begin() + l, repl.begin(), repl.end());
  }

  Operand NewTemp() { return Operand{OperandKind::Temp, b_.tempCount++}; }

  Instr& Emit(Op op, int l, int r) {
    Instr in;
    in.op = op;
    in.formula = formula_;
    in.text = b_.AddText(Quoted(l, r));
    b_.code.push_back(in);
    return b_.code.back();
  }

  // Finds the innermost group of one bracket kind within [lo, hi).
  // 1: found (gl, gr), 0: none, -1: failed with a message.
  int FindGroup(char open, char close, int lo, int hi, int& gl, int& gr) {
    int p = -1;
    for (int i = lo; i < hi; ++i)
      if (IsDelim(cells_[static_cast<std::size_t>(i)]) &&
          cells_[static_cast<std::size_t>(i)].c == close) {
        p = i;
        break;
      }
    if (p >= 0) {
      for (int q = p - 1; q >= lo; --q)
        if (IsDelim(cells_[static_cast<std::size_t>(q)]) &&
            cells_[static_cast<std::size_t>(q)].c == open) {
          gl = q;
          gr = p + 1;
          return 1;
        }
      Fail(std::string("Opening bracket is expected  \"") + open + "\"");
      return -1;
    }
    for (int i = lo; i < hi; ++i)
      if (IsDelim(cells_[static_cast<std::size_t>(i)]) &&
          cells_[static_cast<std::size_t>(i)].c == open) {
        Fail(std::string("Closing bracket is expected  \"") + close + "\"");
        return -1;
      }
    return 0;
  }

  StepResult Step(int step) {
    int n = static_cast<int>(cells_.size());
    int gl = 0, gr = n;
    bool bracketed = false;
    static constexpr std::array<std::pair<char, char>, 3> kPairs{
        {{'(', ')'}, {'[', ']'}, {'{', '}'}}};
    for (auto [open, close] : kPairs) {
      int l = 0, r = 0;
      int found = FindGroup(open, close, gl, gr, l, r);
      if (found < 0) return StepResult::Failed;
      if (found > 0) {
        gl = l;
        gr = r;
        bracketed = true;
      }
    }
    int cs = bracketed ? gl + 1 : 0;
    int ce = bracketed ? gr - 1 : n;

    // Operators: the first "^", else the first "/", "*", "-", "+".
    for (char op : {'^', '/', '*', '-', '+'}) {
      int p = -1;
      for (int i = cs; i < ce; ++i)
        if (IsOp(cells_[static_cast<std::size_t>(i)]) &&
            cells_[static_cast<std::size_t>(i)].c == op) {
          p = i;
          break;
        }
      if (p < 0) continue;
      int l = p;
      while (l > cs && IsOperandCell(cells_[static_cast<std::size_t>(l - 1)])) --l;
      int r = p + 1;
      while (r < ce && IsOperandCell(cells_[static_cast<std::size_t>(r)])) ++r;
      bool sign = l == p && (op == '-' || op == '+');
      std::optional<Operand> left, right;
      if ((l < p || sign) && r > p + 1) {
        left = Lookup(l, p);
        right = Lookup(p + 1, r);
      }
      if (!left || !right) {
        if (!bracketed) {
          if (auto whole = Lookup(0, n)) {
            result_ = *whole;
            return StepResult::Done;
          }
        }
        return CantInterpret(l, r);
      }
      if (step > MaxIntermediates) return TooMany();
      static constexpr Op kOps[] = {Op::Pow, Op::Div, Op::Mul, Op::Sub, Op::Add};
      const char* order = "^/*-+";
      Op code = kOps[std::string_view(order).find(op)];
      Instr& in = Emit(code, l, r);
      in.a = *left;
      in.b = *right;
      Operand t = NewTemp();
      in.dst = t.index;
      Replace(l, r, step, t);
      return StepResult::Continued;
    }

    if (!bracketed) {
      if (auto whole = Lookup(0, n)) {
        result_ = *whole;
        return StepResult::Done;
      }
      return CantInterpret(0, n);
    }
    return Function(step, gl, gr);
  }

  StepResult TooMany() {
    return Fail("Formula needs more than " + std::to_string(MaxIntermediates) +
                " intermediate values");
  }

  // The arguments between the brackets gl and gr: comma-separated for a
  // brace, one operand otherwise; false when one is not an operand.
  bool Arguments(char kind, int gl, int gr, std::vector<Operand>& args) {
    int cs = gl + 1, ce = gr - 1;
    if (kind == '{') {
      int from = cs;
      for (int i = cs; i <= ce; ++i) {
        if (i == ce || (IsDelim(cells_[static_cast<std::size_t>(i)]) &&
                        cells_[static_cast<std::size_t>(i)].c == ',')) {
          if (args.size() >= 100) return false;
          auto v = Lookup(from, i);
          if (!v) return false;
          args.push_back(*v);
          from = i + 1;
        }
      }
      return true;
    }
    for (int i = cs; i < ce; ++i)
      if (IsDelim(cells_[static_cast<std::size_t>(i)])) return false;
    auto v = Lookup(cs, ce);
    if (!v) return false;
    args.push_back(*v);
    return true;
  }

  // The name in front of the bracket at gl: a one-argument function or a
  // table before "(" or "[", a function of several arguments before "{".
  struct Callee {
    int begin = 0;  // the name's first cell
    bool known = false;
    int fn = -1, table = -1;
    MultiWord multi{};
  };
  Callee FunctionName(char kind, int gl) {
    Callee f;
    f.begin = gl;
    while (f.begin > 0 && IsOperandCell(cells_[static_cast<std::size_t>(f.begin - 1)])) --f.begin;
    bool plainName = true;
    std::string name;
    for (int i = f.begin; i < gl; ++i) {
      plainName = plainName && cells_[static_cast<std::size_t>(i)].temp == 0;
      name.push_back(cells_[static_cast<std::size_t>(i)].c);
    }
    if (!plainName) return f;
    if (kind == '(' || kind == '[') {
      f.fn = OneArgumentFunction(name);
      f.known = f.fn >= 0;
      if (!f.known && kind == '(' && !name.empty()) {
        f.table = resolver_.FindTable(name);
        f.known = f.table >= 0;
      }
    } else {
      f.known = ParseMultiWord(name, f.multi);
    }
    return f;
  }

  // The message when n arguments do not suit a function of several arguments.
  static std::optional<std::string> ArgumentCountError(const MultiWord& multi, int n) {
    switch (multi.word) {
      case MultiWord::Max:
      case MultiWord::Min:
        if (n < 2)
          return std::string("Number of parameters does not match the \"") +
                 (multi.word == MultiWord::Max ? "MAX" : "MIN") + "\" function " +
                 std::to_string(n);
        break;
      case MultiWord::Vary:
        if (n != 3)
          return "Incorrect number of parameters for the \"VARY\" function " + std::to_string(n);
        break;
      case MultiWord::Indicator:
        if (n - 2 < multi.k)
          return "Number of parameters does not match the indicative function " + std::to_string(n);
        break;
    }
    return std::nullopt;
  }

  StepResult Function(int step, int gl, int gr) {
    char kind = cells_[static_cast<std::size_t>(gl)].c;
    std::vector<Operand> args;
    if (!Arguments(kind, gl, gr, args)) return CantInterpret(gl, gr);
    const Callee f = FunctionName(kind, gl);
    const int nl = f.begin;
    if (!f.known) return Fail("Incorrect function name " + Quoted(nl, gr));
    if (gl + 1 == gr - 1) return Fail("No argument for function " + Quoted(nl, gr));

    int n = static_cast<int>(args.size());
    if (kind == '{') {
      if (auto message = ArgumentCountError(f.multi, n)) return Fail(std::move(*message));
    }
    if (step > MaxIntermediates) return TooMany();

    // A plain bracket is its content: no instruction (unless the code is
    // run only in check mode, where a bracket's value is 0).
    if (kind == '(' && f.fn == FnIdentity && !b_.bracketInstructions) {
      Replace(nl, gr, step, args[0]);
      return StepResult::Continued;
    }

    Op code = Op::Fn1;
    if (f.table >= 0) code = Op::Table;
    if (kind == '{') {
      static constexpr Op kMulti[] = {Op::Max, Op::Min, Op::Vary, Op::Indicator};
      code = kMulti[static_cast<int>(f.multi.word)];
    }
    Instr& in = Emit(code, nl, gr);
    if (kind == '{') {
      in.argBegin = static_cast<int32_t>(b_.args.size());
      in.argCount = n;
      b_.args.insert(b_.args.end(), args.begin(), args.end());
      in.aux2 = f.multi.k;
    } else {
      in.a = args[0];
      in.absArg = kind == '[';
      if (code == Op::Table) {
        in.aux2 = f.table;
      } else {
        in.fn = static_cast<uint8_t>(f.fn);
        if (f.fn == FnPrev) {
          // prev of a formula; of anything else, of the formula last looked up.
          in.aux2 = args[0].kind == OperandKind::Formula ? args[0].index : lastFormula_;
        } else if (f.fn == FnPrev0) {
          in.aux2 = formula_;
        }
      }
    }
    Operand t = NewTemp();
    in.dst = t.index;
    Replace(nl, gr, step, t);
    return StepResult::Continued;
  }

  std::vector<Cell> cells_;
  std::vector<Operand> temps_;  // by step number
  int32_t formula_;
  int32_t lastFormula_ = -1;
  Resolver& resolver_;
  Builder& b_;
  Operand result_;
};

}  // namespace

CompiledText CompileText(std::string_view workingText, int32_t formula, Resolver& resolver,
                         Builder& builder) {
  Reducer reducer(workingText, formula, resolver, builder);
  return reducer.Run();
}

}  // namespace tesmira::formula
