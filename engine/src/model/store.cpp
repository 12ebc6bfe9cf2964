// The model store interface (variables and formulas).
#include <cstring>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/store_state.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {

using detail::State;

std::string DefaultFormulaName(int k) {
  if (k == 1) return "formula";
  return "udf" + std::to_string(k - 1);
}

std::string FormulaDisplayName(int k) {
  const TUdf* f = FormulaAt(k);
  if (!f) return {};
  std::string_view name = ShortStringView(f->name);
  return name.empty() ? DefaultFormulaName(k) : std::string(name);
}

int VariableCount() {
  const TModelRecord* m = Model();
  return m ? std::clamp(m->varCount, 0, static_cast<int>(MaxVariables)) : 0;
}

int FormulaCount() {
  const TModelRecord* m = Model();
  return m ? std::clamp(m->formulaCount, 0, static_cast<int>(MaxFormulas)) : 0;
}

TExtendedRandomVariable* VariableAt(int k) {
  if (k < 1 || k > VariableCount()) return nullptr;
  return Model()->vars[k];
}

TUdf* FormulaAt(int k) {
  if (k < 1 || k > FormulaCount()) return nullptr;
  return Model()->formulas[k - 1];
}

int VariableIndexOf(const TExtendedRandomVariable* rv) {
  if (!rv) return 0;
  for (int k = 1; k <= VariableCount(); ++k)
    if (Model()->vars[k] == rv) return k;
  return 0;
}

int FormulaIndexOf(const TUdf* udf) {
  if (!udf) return 0;
  for (int k = 1; k <= FormulaCount(); ++k)
    if (Model()->formulas[k - 1] == udf) return k;
  return 0;
}

int VariableIndexByName(std::string_view name) {
  name = NameOf(name);
  for (int k = 1; k <= VariableCount(); ++k) {
    const TExtendedRandomVariable* rv = Model()->vars[k];
    if (rv && SameName(ShortStringView(rv->distribution.name), name)) return k;
  }
  return 0;
}

int FormulaIndexByName(std::string_view name) {
  name = NameOf(name);
  if (name.empty()) return 0;
  for (int k = 1; k <= FormulaCount(); ++k) {
    const TUdf* f = Model()->formulas[k - 1];
    if (!f) continue;
    std::string_view stored = ShortStringView(f->name);
    if (stored.empty()) {
      if (SameName(DefaultFormulaName(k), name)) return k;
    } else if (SameName(stored, name)) {
      return k;
    }
  }
  return 0;
}

}  // namespace tesmira

using namespace tesmira;

namespace {

// Kinds of Object_exists.
constexpr int KindVariable = 1;
constexpr int KindFormula = 6;
constexpr int KindNode = 7;

// Object_exists by kind; kind 0 searches all in order.
int FindObject(std::string_view name, int& kind) {
  if (kind == KindVariable) return VariableIndexByName(name);
  if (kind == KindFormula) return FormulaIndexByName(name);
  if (kind == KindNode || kind == 16) return NodeIndexByName(name);
  if (int k = VariableIndexByName(name)) {
    kind = KindVariable;
    return k;
  }
  if (int k = FormulaIndexByName(name)) {
    kind = KindFormula;
    return k;
  }
  if (int k = NodeIndexByName(name)) {
    kind = KindNode;
    return k;
  }
  return 0;
}

// The clash check of the update operations: a new name held by any object
// other than the renamed one (same kind and same index) is refused with
// minus that object's index; another kind is refused even when the indexes
// are equal.
int RenameClash(std::string_view newName, int ownKind, int ownIndex) {
  if (newName.empty()) return 0;
  int kind = 0;
  int hit = FindObject(newName, kind);
  if (hit == 0) return 0;
  if (kind == ownKind && hit == ownIndex) return 0;
  return -hit;
}

// Stores a record's name normalised: at most 32 characters, zeros behind.
void NormaliseName(unsigned char* s) {
  std::string text(ShortStringView(s, MaxNameLength));
  SetShortString(s, MaxNameLength, text);
}

template <typename T>
T* Fetch(int32_t index, const char* name, int count, int maxIndex, T* (*at)(int),
         int (*byName)(std::string_view)) {
  if (!Model()) return nullptr;
  std::string_view n = NameArg(name);
  if (index == 0) {
    if (n.empty()) return nullptr;
    index = byName(n);
  } else if (index < 0) {
    index = count + 1 + index;
  }
  if (index < 1 || index > maxIndex) return nullptr;
  return at(index);
}

}  // namespace

int32_t Variable_exists(const char* name) {
  return tesmira::Guarded<int32_t>(0,
                                   [&]() -> int32_t { return VariableIndexByName(NameArg(name)); });
}

int32_t UDF_exists(const char* name) {
  return tesmira::Guarded<int32_t>(0,
                                   [&]() -> int32_t { return FormulaIndexByName(NameArg(name)); });
}

int32_t Node_exists(const char* name) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t { return NodeIndexByName(NameArg(name)); });
}

int32_t Object_exists(const char* name, int32_t* kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int k = kind ? *kind : 0;
    if (k != KindVariable && k != KindFormula && k != KindNode && k != 16) k = 0;
    int hit = FindObject(NameArg(name), k);
    if (hit && kind) *kind = k;
    return hit;
  });
}

TExtendedRandomVariable* Fetch_extended_random_variable(int32_t index, const char* name) {
  return tesmira::Guarded<TExtendedRandomVariable*>(nullptr, [&]() -> TExtendedRandomVariable* {
    return Fetch<TExtendedRandomVariable>(index, name, VariableCount(), MaxVariables, VariableAt,
                                          VariableIndexByName);
  });
}

TUdf* Fetch_UDF(int32_t index, const char* name) {
  return tesmira::Guarded<TUdf*>(nullptr, [&]() -> TUdf* {
    return Fetch<TUdf>(index, name, FormulaCount(), FormulaSlots, FormulaAt, FormulaIndexByName);
  });
}

int32_t GetNumberOfRandomVariables(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t { return VariableCount(); });
}

int32_t GetNumberOfFormulas(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t { return FormulaCount(); });
}

int32_t GetNumberOfDepNodes(bool all) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int n = NodeCount();
    if (all || !Design2()) return n;
    int count = 0;
    for (int i = 1; i <= n; ++i)
      if (!IsCompositeType(i)) ++count;
    return count;
  });
}

TExtendedRandomVariable* GetRanVar(int32_t k) {
  return tesmira::Guarded<TExtendedRandomVariable*>(
      nullptr, [&]() -> TExtendedRandomVariable* { return VariableAt(k); });
}

void* GetNode(int32_t k) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* { return NodeAt(k); });
}

TUdf* GetUDF(int32_t k) {
  return tesmira::Guarded<TUdf*>(nullptr, [&]() -> TUdf* { return FormulaAt(k + 1); });
}

// ---- variables ----------------------------------------------------------------

int32_t Create_extended_random_variable(const TExtendedRandomVariable* record,
                                        TExtendedRandomVariable** out, int32_t* size) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (size) *size = sizeof(TExtendedRandomVariable);
    if (out) *out = nullptr;
    TModelRecord* m = Model();
    if (!m || !record) return 0;
    std::string_view name = ShortStringView(record->distribution.name);
    if (int k = VariableIndexByName(name)) {
      if (out) *out = m->vars[k];
      return -k;
    }
    if (VariableCount() >= MaxVariables) return 0;
    auto* rv =
        static_cast<TExtendedRandomVariable*>(detail::AllocRecord(sizeof(TExtendedRandomVariable)));
    if (!rv) return 0;
    std::memcpy(rv, record, sizeof *rv);
    NormaliseName(rv->distribution.name);
    int k = VariableCount() + 1;
    m->vars[k] = rv;
    m->varCount = k;
    if (out) *out = rv;
    return k;
  });
}

int32_t Update_extended_random_variable(const TExtendedRandomVariable* record,
                                        TExtendedRandomVariable** out, const char* newName,
                                        bool propagate) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (out) *out = nullptr;
    TModelRecord* m = Model();
    if (!m || !record) return 0;
    std::string oldName(NameOf(ShortStringView(record->distribution.name)));
    std::string_view nn = NameArg(newName);
    int k = VariableIndexByName(oldName);
    if (int clash = RenameClash(nn, KindVariable, k); clash != 0 && k != 0) return clash;
    if (k == 0) return 0;
    TExtendedRandomVariable* rv = m->vars[k];
    if (rv != record) std::memmove(rv, record, sizeof *rv);
    NormaliseName(rv->distribution.name);
    if (!nn.empty()) SetShortString(rv->distribution.name, nn);
    if (out) *out = rv;
    if (propagate && !nn.empty()) {
      for (int i = 1; i <= NodeCount(); ++i) {
        void* node = NodeAt(i);
        if (SameName(NodeVariableName(node), oldName)) SetNodeVariableName(node, nn);
        if (!Design2() && SameName(NodeParentName(i), oldName)) SetNodeParentName(i, nn);
      }
    }
    return k;
  });
}

int32_t Delete_extended_random_variable(TExtendedRandomVariable* record, bool deleteNode) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    TModelRecord* m = Model();
    int k = VariableIndexOf(record);
    if (!m || k == 0) return 0;
    std::string name(ShortStringView(record->distribution.name));
    if (deleteNode) {
      for (int i = 1; i <= NodeCount(); ++i) {
        if (SameName(NodeVariableName(NodeAt(i)), name)) {
          Delete_dep_node(NodeAt(i));
          break;
        }
      }
      if (!Design2())
        for (int i = 1; i <= NodeCount(); ++i)
          if (SameName(NodeParentName(i), name)) SetNodeParentName(i, "");
    }
    // The node deletion may not change the variable table, but look again.
    k = VariableIndexOf(record);
    if (k == 0) return 0;
    if (double* q = VariableQuantiles(record)) {
      std::free(q);
      SetVariableQuantiles(record, nullptr);
    }
    detail::FreeRecord(record);
    int n = VariableCount();
    for (int j = k; j < n; ++j) m->vars[j] = m->vars[j + 1];
    m->vars[n] = nullptr;
    m->varCount = n - 1;
    return k;
  });
}

// ---- formulas --------------------------------------------------------------------

int32_t Create_UDF(const TUdf* record, TUdf** out, int32_t* size) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (size) *size = sizeof(TUdf);
    if (out) *out = nullptr;
    TModelRecord* m = Model();
    if (!m || !record) return 0;
    std::string_view name = ShortStringView(record->name);
    if (!name.empty()) {
      if (int k = FormulaIndexByName(name)) {
        if (out) *out = m->formulas[k - 1];
        return -k;
      }
    }
    if (FormulaCount() >= MaxFormulas) return 0;
    auto* f = static_cast<TUdf*>(detail::AllocRecord(sizeof(TUdf)));
    if (!f) return 0;
    std::memcpy(f, record, sizeof *f);
    NormaliseName(f->name);
    int k = FormulaCount() + 1;
    m->formulas[k - 1] = f;
    m->formulaCount = k;
    if (out) *out = f;
    return k;
  });
}

int32_t Update_UDF(const TUdf* record, TUdf** out, const char* newName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (out) *out = nullptr;
    TModelRecord* m = Model();
    if (!m || !record) return 0;
    std::string_view name = ShortStringView(record->name);
    int k = name.empty() ? FormulaIndexOf(record) : FormulaIndexByName(name);
    std::string_view nn = NameArg(newName);
    if (k == 0) return 0;
    if (int clash = RenameClash(nn, KindFormula, k)) return clash;
    TUdf* f = m->formulas[k - 1];
    if (f != record) std::memmove(f, record, sizeof *f);
    NormaliseName(f->name);
    if (!nn.empty()) SetShortString(f->name, nn);
    if (out) *out = f;
    return k;
  });
}

int32_t Delete_UDF(TUdf* record) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    TModelRecord* m = Model();
    int k = FormulaIndexOf(record);
    if (!m || k == 0) return 0;
    detail::FreeRecord(record);
    int n = FormulaCount();
    for (int j = k - 1; j < n - 1; ++j) m->formulas[j] = m->formulas[j + 1];
    m->formulas[n - 1] = nullptr;
    m->formulaCount = n - 1;
    return k;
  });
}

void RemoveSpacesFS(const char* text, char* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    std::size_t o = 0;
    if (text)
      for (std::size_t i = 0; text[i] != '\0' && i < 255; ++i)
        if (text[i] != ' ') out[o++] = text[i];
    out[o] = '\0';
  });
}

bool IsModelWithInputSamples(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    if (!Model() || NodeCount() < 1) return false;
    const TExtendedRandomVariable* rv = VariableOfNode(NodeAt(1));
    return rv && rv->distribution.distType == DistSampleFile;
  });
}
