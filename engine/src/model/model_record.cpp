// The global model record, the records it owns, markers, model
// type and the design flag.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/store_state.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace detail {

StoreState& State() {
  static StoreState state;
  return state;
}

void* AllocRecord(std::size_t size) { return std::calloc(1, size); }

void FreeRecord(void* p) { std::free(p); }

}  // namespace detail

using detail::State;

TModelRecord* Model() { return State().model; }
bool Design2() { return State().design2; }
void SetDesign2(bool on) { State().design2 = on; }
int Resolution() { return State().resolution; }
void SetResolution(int resolution) { State().resolution = resolution; }

namespace {
void AddHook(std::vector<ModelHook>& hooks, ModelHook hook) {
  if (!hook) return;
  for (ModelHook h : hooks)
    if (h == hook) return;
  hooks.push_back(hook);
}
}  // namespace

void RegisterModelInitHook(ModelHook hook) { AddHook(State().initHooks, hook); }
void RegisterModelReleaseHook(ModelHook hook) { AddHook(State().releaseHooks, hook); }

std::string_view NameArg(const char* name) {
  if (!name) return {};
  std::size_t n = 0;
  while (n < MaxNameLength && name[n] != '\0') ++n;
  return std::string_view(name, n);
}

void CopyOut(char* out, std::string_view text) {
  if (!out) return;
  std::size_t n = std::min<std::size_t>(text.size(), 255);
  if (n > 0) std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

double* VariableQuantiles(const TExtendedRandomVariable* rv) {
  auto& q = State().quantiles;
  auto it = q.find(rv);
  return it == q.end() ? nullptr : it->second;
}

void SetVariableQuantiles(const TExtendedRandomVariable* rv, double* table) {
  auto& q = State().quantiles;
  if (table)
    q[rv] = table;
  else
    q.erase(rv);
}

void ResetRunData(bool forget) {
  auto& st = State();
  if (!forget)
    for (auto& entry : st.quantiles) std::free(entry.second);
  st.quantiles.clear();
  if (!st.model) return;
  for (int k = 1; k <= st.model->varCount && k <= MaxVariables; ++k)
    if (st.model->vars[k]) st.model->vars[k]->readingFile = 0;
}

}  // namespace tesmira

using namespace tesmira;
using tesmira::detail::State;

// ---- life cycle ---------------------------------------------------------

TModelRecord* Init_Model_data(void) {
  return tesmira::Guarded<TModelRecord*>(nullptr, [&]() -> TModelRecord* {
    auto& st = State();
    if (st.model) End_model_data();
    auto* m = new (std::nothrow) TModelRecord;
    if (!m) return nullptr;
    std::memset(m, 0, sizeof *m);
    SetShortString(m->designTag, "Tesmira2 Dependence Design v2.0");
    m->modelType = ModelTypeFormula;
    st.model = m;
    st.design2 = true;
    st.resolution = 100;
    st.mergeOffset = 0;
    st.currentDepType = 0;
    st.currentRoot = nullptr;
    st.scanPos = 0;
    st.scanSavedRoot = nullptr;
    st.scanHasSaved = false;
    st.scanYielded = false;
    FreeSavedStructure();
    st.quantiles.clear();
    for (ModelHook h : st.initHooks) h();
    return m;
  });
}

void End_model_data(void) {
  tesmira::GuardedVoid([&] {
    auto& st = State();
    TModelRecord* m = st.model;
    if (m) {
      for (int i = 1; i <= MaxNodes; ++i) {
        detail::FreeRecord(m->nodes[i]);
        m->nodes[i] = nullptr;
      }
      m->nodeCount = 0;
      st.currentRoot = nullptr;
      st.scanSavedRoot = nullptr;
      // Distribution tables and simulation blocks belong to other areas.
      for (ModelHook h : st.releaseHooks) h();
      for (int k = 0; k < FormulaSlots; ++k) {
        detail::FreeRecord(m->formulas[k]);
        m->formulas[k] = nullptr;
      }
      m->formulaCount = 0;
      ResetRunData(false);
      for (int k = 1; k <= MaxVariables; ++k) {
        detail::FreeRecord(m->vars[k]);
        m->vars[k] = nullptr;
      }
      m->varCount = 0;
      delete m;
      st.model = nullptr;
    } else {
      for (ModelHook h : st.releaseHooks) h();
    }
    ResetRunData(false);
    FreeSavedStructure();
    st.currentRoot = nullptr;
    st.scanSavedRoot = nullptr;
    st.scanHasSaved = false;
  });
}

bool Set_model_dep_type(double version) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    auto& st = State();
    bool design2 = version >= 2.0;
    // Nodes of the old layout are smaller than the new one: once they are in
    // the table, the flag can not select the new layout (their records would
    // be read beyond their end). The caller sees the unchanged flag.
    if (design2 && !st.design2 && st.model && st.model->nodeCount > 0) return st.design2;
    st.design2 = design2;
    return st.design2;
  });
}

bool IsNodeDesign2(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool { return State().design2; });
}

// ---- records --------------------------------------------------------------

TExtendedRandomVariable* Ran_var_init(TExtendedRandomVariable* rv) {
  return tesmira::Guarded<TExtendedRandomVariable*>(nullptr, [&]() -> TExtendedRandomVariable* {
    if (!rv) return rv;
    std::memset(rv->distribution.name, 0, sizeof rv->distribution.name);
    rv->distribution.distType = 0;
    rv->readingFile = 0;
    std::memset(rv->description, 0, sizeof rv->description);
    return rv;
  });
}

TExtendedRandomVariable* Init_extended_random_variable(void) {
  return tesmira::Guarded<TExtendedRandomVariable*>(nullptr, [&]() -> TExtendedRandomVariable* {
    auto* rv =
        static_cast<TExtendedRandomVariable*>(detail::AllocRecord(sizeof(TExtendedRandomVariable)));
    return Ran_var_init(rv);
  });
}

void Dep_node_init(TDepNodeV1* node) {
  tesmira::GuardedVoid([&] {
    if (!node || State().design2) return;
    std::memset(node->varName, 0, sizeof node->varName);
    std::memset(node->parentName, 0, sizeof node->parentName);
    node->rankCorr = 0.0;
    node->childCount = 0;
    node->typeBits = static_cast<uint8_t>(node->typeBits & ~3u);
    node->vineLevel = 0;
    node->reserved = 0;
    if (CurrentStructureType() == DepCorrelationMatrix) {
      for (int k = 0; k < CorrValueSlots; ++k) node->u.values[k] = -1;
    } else {
      std::memset(&node->u, 0, sizeof node->u);
    }
  });
}

TDepNodeV1* Init_dep_node(void) {
  return tesmira::Guarded<TDepNodeV1*>(nullptr, [&]() -> TDepNodeV1* {
    auto* node = static_cast<TDepNodeV1*>(detail::AllocRecord(sizeof(TDepNodeV1)));
    Dep_node_init(node);
    return node;
  });
}

TDepNodeV2* NewDepNodeV2(void) {
  return tesmira::Guarded<TDepNodeV2*>(nullptr, [&]() -> TDepNodeV2* {
    auto* node = static_cast<TDepNodeV2*>(detail::AllocRecord(sizeof(TDepNodeV2)));
    if (!node) return nullptr;
    node->recordSize = sizeof(TDepNodeV2);
    node->capacity = MaxChildren;
    for (int k = 0; k < CorrValueSlots; ++k) node->values[k] = static_cast<float>(CorrNotSet);
    return node;
  });
}

void Free_record(void* record) {
  tesmira::GuardedVoid([&] { detail::FreeRecord(record); });
}

int32_t DepNodeSize(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    return State().design2 ? static_cast<int32_t>(sizeof(TDepNodeV2))
                           : static_cast<int32_t>(sizeof(TDepNodeV1));
  });
}

// ---- model type and markers --------------------------------------------------

int32_t GetModelType(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    const TModelRecord* m = State().model;
    return m ? m->modelType : ModelTypeFormula;
  });
}

bool IsZoziVorModel(void) {
  return tesmira::Guarded<bool>(false,
                                [&]() -> bool { return GetModelType() == ModelTypeZoziVor; });
}

void SetModelType(int32_t type) {
  tesmira::GuardedVoid([&] {
    TModelRecord* m = State().model;
    if (!m) return;
    m->modelType =
        (type >= ModelTypeFaultTree && type <= ModelTypeZoziVor) ? type : ModelTypeFormula;
  });
}

bool IsMissingValue(double value) {
  return tesmira::Guarded<bool>(false,
                                [&]() -> bool { return std::fabs(value - MissingValue) < 1e-09; });
}
