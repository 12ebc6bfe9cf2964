#include "formula/set_program.h"

#include <cstring>
#include <optional>
#include <unordered_map>

#include "formula/compiler.h"
#include "model/export_guard.h"

namespace tesmira::formula {

std::string DefaultFormulaName0(int f) {
  return f == 0 ? std::string("formula") : "udf" + std::to_string(f);
}

static std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

static bool IsNameChar(char c) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '@' || c == '!' || c == '#' || c == '$' || c == '&';
  });
}

std::vector<Reference> FindReferences(std::string_view text, const std::vector<std::string>& keys) {
  std::vector<Reference> refs;
  for (std::size_t g = 0; g < keys.size(); ++g) {
    const std::string& key = keys[g];
    if (key.empty()) continue;
    std::size_t pos = 0;
    while ((pos = text.find(key, pos)) != std::string_view::npos) {
      std::size_t after = pos + key.size();
      bool bounded = (pos == 0 || !IsNameChar(text[pos - 1])) &&
                     (after >= text.size() || !IsNameChar(text[after]));
      if (bounded) {
        bool inPrev = pos >= 5 && text.substr(pos - 5, 5) == "prev(";
        refs.push_back({static_cast<int>(g), !inPrev});
      }
      pos = after;
    }
  }
  return refs;
}

namespace {

class SetResolver : public Resolver {
 public:
  SetResolver(Environment& env, Runtime& rt, const std::vector<std::string>& keys,
              const std::vector<std::string>* inputNames)
      : env_(env), rt_(rt) {
    if (inputNames) {
      for (std::size_t i = 0; i < inputNames->size(); ++i)
        variables_.try_emplace(Lower((*inputNames)[i]),
                               Operand{OperandKind::Input, static_cast<int32_t>(i)});
    } else {
      for (int v = 0; v < env.VariableCount(); ++v)
        variables_.try_emplace(Lower(env.VariableName(v)), Operand{OperandKind::Zero, 0});
    }
    for (std::size_t g = 0; g < keys.size(); ++g)
      formulas_.try_emplace(keys[g], static_cast<int>(g));
  }
  std::optional<Operand> FindVariable(std::string_view name) override {
    auto it = variables_.find(std::string(name));
    if (it == variables_.end()) return std::nullopt;
    return it->second;
  }
  int FindFormula(std::string_view name) override {
    auto it = formulas_.find(std::string(name));
    return it == formulas_.end() ? -1 : it->second;
  }
  int FindTable(std::string_view name) override {
    const DisTable* t = env_.Table(name);
    if (!t) return -1;
    for (std::size_t i = 0; i < rt_.tables.size(); ++i)
      if (rt_.tables[i] == t) return static_cast<int>(i);
    rt_.tables.push_back(t);
    return static_cast<int>(rt_.tables.size() - 1);
  }

 private:
  Environment& env_;
  Runtime& rt_;
  std::unordered_map<std::string, Operand> variables_;
  std::unordered_map<std::string, int> formulas_;
};

}  // namespace

namespace {

// The formula table as one evaluation sees it: names, lookup keys, the texts
// the user wrote, their working forms and the references between them.
struct FormulaTexts {
  int n = 0;
  std::vector<std::string> names, keys, userTexts, work;
  std::vector<std::vector<Reference>> refs;

  // Marks every formula that start refers to, directly or through others.
  void Closure(std::string_view start, std::vector<char>& set) const {
    std::vector<int> todo;
    auto mark = [&](const Reference& r) {
      if (set[static_cast<std::size_t>(r.formula)]) return;
      set[static_cast<std::size_t>(r.formula)] = 1;
      todo.push_back(r.formula);
    };
    for (const Reference& r : FindReferences(start, keys)) mark(r);
    while (!todo.empty()) {
      int f = todo.back();
      todo.pop_back();
      for (const Reference& r : refs[static_cast<std::size_t>(f)]) mark(r);
    }
  }
};

// Reads the table; in CheckOne with a text, that text stands for the target's.
FormulaTexts ReadFormulaTexts(Environment& env, SetMode mode, int target, bool hasText,
                              std::string_view text, std::vector<std::string>& displayNames) {
  FormulaTexts t;
  t.n = env.FormulaCount();
  const auto count = static_cast<std::size_t>(t.n);
  t.names.resize(count);
  t.keys.resize(count);
  t.userTexts.resize(count);
  t.work.resize(count);
  displayNames.resize(count);
  for (int f = 0; f < t.n; ++f) {
    std::size_t i = static_cast<std::size_t>(f);
    t.names[i] = env.FormulaName(f);
    displayNames[i] = t.names[i].empty() ? DefaultFormulaName0(f) : t.names[i];
    t.keys[i] = Lower(displayNames[i]);
    t.userTexts[i] = env.FormulaText(f);
    if (mode == SetMode::CheckOne && hasText && f == target) t.userTexts[i] = std::string(text);
    t.work[i] = WorkingText(t.userTexts[i]);
  }
  t.refs.resize(count);
  for (std::size_t i = 0; i < count; ++i) t.refs[i] = FindReferences(t.work[i], t.keys);
  return t;
}

// The condition formula is the last one named condition or condition0; a
// formula named condition0 anywhere turns divisions by zero into rejections.
int FindCondition(const FormulaTexts& t, bool& condition0) {
  int condition = -1;
  for (int f = 0; f < t.n; ++f) {
    std::string lname = Lower(t.names[static_cast<std::size_t>(f)]);
    if (lname == "condition" || lname == "condition0") {
      condition = f;
      condition0 = condition0 || lname == "condition0";
    }
  }
  return condition;
}

// Evaluation order: passes in table order; a formula is taken once every
// formula it refers to (outside prev) has been taken. The first formula is
// the target and counts as evaluated: it is evaluated last. The formulas the
// condition needs come first.
struct EvaluationOrder {
  std::vector<int> conditionOrder, order;
  std::vector<char> evaluated, taken;
  std::vector<char> all;  // every formula that had to be evaluated
};

EvaluationOrder OrderFormulas(const FormulaTexts& t, const std::vector<char>& needed,
                              int condition) {
  const int n = t.n;
  EvaluationOrder o;
  o.evaluated.assign(static_cast<std::size_t>(n), 0);
  o.taken.assign(static_cast<std::size_t>(n), 0);
  if (n > 0) o.evaluated[0] = 1;
  auto passes = [&](const std::vector<char>& subset, std::vector<int>& order) {
    for (int pass = 0; pass < 3 * n; ++pass) {
      bool waiting = false, progress = false;
      for (int f = 0; f < n; ++f) {
        std::size_t i = static_cast<std::size_t>(f);
        if (!subset[i] || o.evaluated[i]) continue;
        bool ready = true;
        for (const Reference& r : t.refs[i])
          if (r.ordering && !o.evaluated[static_cast<std::size_t>(r.formula)]) ready = false;
        if (!ready) {
          waiting = true;
          continue;
        }
        o.evaluated[i] = o.taken[i] = 1;
        order.push_back(f);
        progress = true;
      }
      if (!waiting || !progress) break;
    }
  };
  o.all = needed;
  if (condition >= 0) {
    std::vector<char> subset(static_cast<std::size_t>(n), 0);
    t.Closure(t.work[static_cast<std::size_t>(condition)], subset);
    subset[static_cast<std::size_t>(condition)] = 1;
    passes(subset, o.conditionOrder);
    for (int f = 0; f < n; ++f)
      o.all[static_cast<std::size_t>(f)] |= subset[static_cast<std::size_t>(f)];
  }
  passes(needed, o.order);
  return o;
}

// prev before the second sample: the first readable argument of prev0 in
// the formula's text (a number or a parametric variable's first parameter).
std::vector<double> PrevInitialValues(Environment& env, const FormulaTexts& t) {
  std::vector<double> initial(static_cast<std::size_t>(t.n), 0.0);
  for (int f = 0; f < t.n; ++f) {
    const std::string& w = t.work[static_cast<std::size_t>(f)];
    for (std::size_t pos = w.find("prev0("); pos != std::string::npos;
         pos = w.find("prev0(", pos + 1)) {
      std::size_t from = pos + 6, to = w.find(')', from);
      std::string arg = w.substr(from, to == std::string::npos ? std::string::npos : to - from);
      if (auto v = ReadFormulaNumber(arg)) {
        initial[static_cast<std::size_t>(f)] = *v;
        break;
      }
      bool found = false;
      for (int v = 0; v < env.VariableCount() && !found; ++v) {
        double p = 0;
        if (Lower(env.VariableName(v)) == arg && env.VariableFirstParameter(v, p)) {
          initial[static_cast<std::size_t>(f)] = p;
          found = true;
        }
      }
      if (found) break;
    }
  }
  return initial;
}

// Compiles formula f (-1: a text of no formula, stored in slot n) with its
// store, and the condition check after the condition formula.
void CompileFormula(Builder& builder, Resolver& resolver, int f, std::string_view w, int n,
                    int condition) {
  CompiledText ct = CompileText(w, f, resolver, builder);
  if (!ct.ok) return;
  Instr store;
  store.op = Op::Store;
  store.formula = f;
  store.aux2 = f >= 0 ? f : n;
  store.a = ct.result;
  builder.code.push_back(store);
  if (f == condition) {
    Instr cond;
    cond.op = Op::Condition;
    cond.formula = f;
    cond.a = Operand{OperandKind::Formula, f};
    builder.code.push_back(cond);
  }
}

// The message for formulas that could not be ordered (they refer to themselves).
std::string CircularMessage(const std::vector<int>& missing,
                            const std::vector<std::string>& displayNames) {
  std::string m;
  if (missing.size() < 2) {
    m = " Self-containing definition: " + displayNames[static_cast<std::size_t>(missing[0])];
  } else {
    m = "Circular redirection: ";
    for (std::size_t k = 0; k < missing.size(); ++k) {
      if (k) m += " -> ";
      m += displayNames[static_cast<std::size_t>(missing[k])];
    }
  }
  if (m.size() > 255) m.resize(255);
  return m;
}

}  // namespace

void SetProgram::Reset(Environment& env, SetMode mode) {
  env_ = &env;
  builder_ = Builder{};
  builder_.bracketInstructions = mode == SetMode::CheckOne;
  rt_ = Runtime{};
  outputs_.clear();
  outputNames_.clear();
  outputValues_.clear();
  valueFields_.clear();
  failedFormula_ = -1;
}

bool SetProgram::Evaluate(Environment& env, SetMode mode, int target, bool hasText,
                          std::string_view text, const std::vector<std::string>* inputNames,
                          double& value) {
  Reset(env, mode);
  value = 0;
  const FormulaTexts t = ReadFormulaTexts(env, mode, target, hasText, text, rt_.displayNames);
  const int n = t.n;
  rt_.texts = t.userTexts;
  for (int f = 0; f < n; ++f) env.SetFormulaEvaluated(f, f == 0);
  if (mode == SetMode::RunFirstPass) target = n > 0 ? 0 : -1;

  std::string targetWork;
  if (mode == SetMode::CheckSet)
    targetWork = n > 0 ? t.work[0] : std::string();
  else if (target >= 0 && target < n)
    targetWork = t.work[static_cast<std::size_t>(target)];
  else
    targetWork = WorkingText(text);
  if (target >= n) target = -1;

  // CheckOne evaluates what the target needs; the other modes evaluate everything.
  std::vector<char> needed(static_cast<std::size_t>(n), mode == SetMode::CheckOne ? 0 : 1);
  if (mode == SetMode::CheckOne) {
    t.Closure(targetWork, needed);
    if (target >= 0) needed[static_cast<std::size_t>(target)] = 1;
  }
  const int condition = FindCondition(t, rt_.condition0);
  const EvaluationOrder o = OrderFormulas(t, needed, condition);
  rt_.prevInitial = PrevInitialValues(env, t);

  // Compile in evaluation order; the target comes last.
  SetResolver resolver(env, rt_, t.keys, mode == SetMode::RunFirstPass ? inputNames : nullptr);
  for (int f : o.conditionOrder)
    CompileFormula(builder_, resolver, f, t.work[static_cast<std::size_t>(f)], n, condition);
  for (int f : o.order)
    CompileFormula(builder_, resolver, f, t.work[static_cast<std::size_t>(f)], n, condition);
  const std::size_t targetBegin = builder_.code.size();
  if (target < 0 || !o.taken[static_cast<std::size_t>(target)])
    CompileFormula(builder_, resolver, target, targetWork, n, condition);

  const int inputCount =
      inputNames && mode == SetMode::RunFirstPass ? static_cast<int>(inputNames->size()) : 0;
  rt_.Link(builder_, n + 1, inputCount);
  rt_.run = mode == SetMode::RunFirstPass;
  rt_.check = mode != SetMode::CheckSet;
  rt_.firstPass = true;

  const Instr* code = builder_.code.data();
  if (rt_.Exec(code, code + targetBegin) == ExecResult::Failed) {
    failedFormula_ = rt_.failedFormula;
    return false;
  }
  std::vector<int> missing;
  for (int f = 0; f < n; ++f)
    if (o.all[static_cast<std::size_t>(f)] && !o.evaluated[static_cast<std::size_t>(f)])
      missing.push_back(f);
  if (!missing.empty()) {
    rt_.message = CircularMessage(missing, rt_.displayNames);
    failedFormula_ = missing[0];
    return false;
  }
  if (rt_.Exec(code + targetBegin, code + builder_.code.size()) == ExecResult::Failed) {
    failedFormula_ = rt_.failedFormula;
    return false;
  }
  value = rt_.values[static_cast<std::size_t>(target >= 0 ? target : n)];
  for (int f = 0; f < n; ++f) {
    std::size_t i = static_cast<std::size_t>(f);
    if (!o.taken[i] && f != target) continue;
    if (unsigned char* field = env.FormulaValueField(f))
      std::memcpy(field, &rt_.values[i], sizeof(double));
    env.SetFormulaEvaluated(f, true);
  }
  if (mode == SetMode::RunFirstPass) PrepareSampling(env, t.userTexts, t.keys);
  return true;
}

// The outputs of a run: the first formula and every formula with a text.
void SetProgram::PrepareSampling(Environment& env, const std::vector<std::string>& userTexts,
                                 const std::vector<std::string>& keys) {
  for (int f = 0; f < static_cast<int>(userTexts.size()); ++f)
    if (f == 0 || !userTexts[static_cast<std::size_t>(f)].empty()) outputs_.push_back(f);
  for (int f : outputs_) {
    outputNames_.push_back(keys[static_cast<std::size_t>(f)]);
    valueFields_.push_back(env.FormulaValueField(f));
  }
  outputValues_.assign(outputs_.size(), 1.0);
  rt_.check = false;
  rt_.firstPass = false;
  rt_.sampleCounter = 0;
}

bool SetProgram::Sample(bool& failed) {
  failed = false;
  rt_.message.clear();
  if (++rt_.sampleCounter == 1) {
    std::fill(rt_.prevValues.begin(), rt_.prevValues.end(), 0.0);
    std::fill(rt_.values.begin(), rt_.values.end(), 0.0);
  }
  rt_.rejected = false;
  rt_.repetition = 0;
  for (double& a : rt_.accumulators) a = 0;
  const Instr* begin = builder_.code.data();
  const Instr* end = begin + builder_.code.size();
  ExecResult r = ExecResult::Ok;
  for (;;) {
    rt_.varyMore = rt_.varyEnd = false;
    r = rt_.Exec(begin, end);
    if (r == ExecResult::Failed) {
      failed = true;
      failedFormula_ = rt_.failedFormula;
      return false;
    }
    if (r == ExecResult::Rejected || rt_.rejected || !rt_.varyMore || rt_.varyEnd) break;
    if (++rt_.repetition >= MaxRepetitions) {
      failed = true;
      rt_.message = "The \"VARY\" function repeats a sample more than " +
                    std::to_string(MaxRepetitions) + " times";
      return false;
    }
  }
  const bool accepted = !rt_.rejected;
  // A sample rejected by a division by zero still evaluates the first formula,
  // whose value is then 0 (a rejection by the condition formula ends the
  // evaluation before it and leaves its value as it was).
  if (!accepted && r == ExecResult::Ok && !rt_.values.empty()) rt_.values[0] = 0;
  for (std::size_t k = 0; k < outputs_.size(); ++k) {
    std::size_t f = static_cast<std::size_t>(outputs_[k]);
    double v = rt_.values[f];
    rt_.prevValues[f] = v;
    outputValues_[k] = accepted ? v : 0.0;
    if (valueFields_[k]) std::memcpy(valueFields_[k], &v, sizeof v);
  }
  return accepted;
}

}  // namespace tesmira::formula
