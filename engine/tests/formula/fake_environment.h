// A formula set without the global model, for the tests.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "formula/set_program.h"

namespace tesmira::formula::fake {

class FakeEnvironment : public Environment {
 public:
  struct Formula {
    std::string name, text;
  };
  std::vector<Formula> formulas;
  std::vector<std::pair<std::string, double>> variables;  // name, first parameter
  std::string folder;
  std::map<std::string, std::unique_ptr<DisTable>> tables;

  int FormulaCount() const override { return static_cast<int>(formulas.size()); }
  std::string FormulaName(int f) const override {
    return formulas[static_cast<std::size_t>(f)].name;
  }
  std::string FormulaText(int f) const override {
    return formulas[static_cast<std::size_t>(f)].text;
  }
  int VariableCount() const override { return static_cast<int>(variables.size()); }
  std::string VariableName(int v) const override {
    return variables[static_cast<std::size_t>(v)].first;
  }
  bool VariableFirstParameter(int v, double& value) const override {
    value = variables[static_cast<std::size_t>(v)].second;
    return true;
  }
  const DisTable* Table(std::string_view name) override {
    auto it = tables.find(std::string(name));
    if (it != tables.end()) return it->second.get();
    std::string path = FindDisFile(folder, name);
    if (path.empty()) return nullptr;
    auto t = std::make_unique<DisTable>();
    if (!ReadDisTable(path, *t)) return nullptr;
    t->name = std::string(name);
    return (tables[std::string(name)] = std::move(t)).get();
  }
};

// A run of a set: the first pass, then samples with the given input values.
struct SetRun {
  FakeEnvironment env;
  SetProgram program;
  std::vector<std::string> inputs;
  std::string message;

  bool Prepare() {
    double v = 0;
    bool ok = program.Evaluate(env, SetMode::RunFirstPass, 0, false, {}, &inputs, v);
    message = ok ? std::string() : program.Message();
    return ok;
  }
  // One sample; false with message on failure.
  bool Sample(const std::vector<double>& values, bool* accepted = nullptr) {
    for (std::size_t i = 0; i < values.size(); ++i) program.Inputs()[i] = values[i];
    bool failed = false;
    bool ok = program.Sample(failed);
    if (accepted) *accepted = ok;
    message = failed ? program.Message() : std::string();
    return !failed;
  }
  double Output(int k) const { return program.Outputs()[k]; }
};

}  // namespace tesmira::formula::fake
