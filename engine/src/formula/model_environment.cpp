#include "formula/model_environment.h"

#include <cstddef>
#include <cstring>
#include <memory>

#include "model/short_string.h"
#include "model/store.h"

namespace tesmira::formula {

int ModelEnvironment::FormulaCount() const {
  return tesmira::Model() ? tesmira::FormulaCount() : 0;
}

std::string ModelEnvironment::FormulaName(int f) const {
  const TUdf* u = FormulaAt(f + 1);
  return u ? std::string(ShortStringView(u->name)) : std::string();
}

std::string ModelEnvironment::FormulaText(int f) const {
  const TUdf* u = FormulaAt(f + 1);
  return u ? std::string(ShortStringView(u->text)) : std::string();
}

unsigned char* ModelEnvironment::FormulaValueField(int f) {
  TUdf* u = FormulaAt(f + 1);
  return u ? reinterpret_cast<unsigned char*>(u) + offsetof(TUdf, value) : nullptr;
}

void ModelEnvironment::SetFormulaEvaluated(int f, bool evaluated) {
  if (TUdf* u = FormulaAt(f + 1)) u->evaluated = evaluated ? 1 : 0;
}

int ModelEnvironment::VariableCount() const {
  return tesmira::Model() ? tesmira::VariableCount() : 0;
}

std::string ModelEnvironment::VariableName(int v) const {
  const TExtendedRandomVariable* rv = VariableAt(v + 1);
  return rv ? std::string(ShortStringView(rv->distribution.name)) : std::string();
}

bool ModelEnvironment::VariableFirstParameter(int v, double& value) const {
  const TExtendedRandomVariable* rv = VariableAt(v + 1);
  if (!rv || rv->distribution.distType < 1 || rv->distribution.distType > 10) return false;
  double p = 0;
  std::memcpy(&p, rv->distribution.u.raw, sizeof p);
  value = p;
  return true;
}

void FreeDistributionTables() {
  TModelRecord* m = tesmira::Model();
  if (!m) return;
  for (int i = 1; i <= MaxDistributionTables; ++i) {
    delete static_cast<DisTable*>(m->distTables[i]);
    m->distTables[i] = nullptr;
  }
}

const DisTable* ModelEnvironment::Table(std::string_view name) {
  TModelRecord* m = tesmira::Model();
  if (!m || name.empty()) return nullptr;
  int slot = 1;
  for (; slot <= MaxDistributionTables && m->distTables[slot]; ++slot) {
    const DisTable* t = static_cast<const DisTable*>(m->distTables[slot]);
    if (t->name == name) return t;
  }
  if (slot > MaxDistributionTables) return nullptr;
  std::string path = FindDisFile(ShortStringView(m->folder), name);
  if (path.empty()) return nullptr;
  auto table = std::make_unique<DisTable>();
  if (!ReadDisTable(path, *table)) return nullptr;
  table->name = std::string(name);
  RegisterModelReleaseHook(&FreeDistributionTables);
  m->distTables[slot] = table.release();
  return static_cast<const DisTable*>(m->distTables[slot]);
}

}  // namespace tesmira::formula
