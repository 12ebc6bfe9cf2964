// Model objects by kind: the generic create, update, fetch and delete
// operations over variables, formulas, dependence nodes and the blocks of a
// simulation run, and the user quantile table.
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace {

constexpr std::string_view kTitles[17] = {"",
                                          "Random variable",
                                          "Basic event",
                                          "Gate",
                                          "Minimal cut set",
                                          "Fault tree",
                                          "Formula",
                                          "Dependence node",
                                          "Sample data",
                                          "Distribution",
                                          "User distribution",
                                          "Input sample",
                                          "Output sample",
                                          "Correlation data",
                                          "Sample results",
                                          "Root dependence node",
                                          "Dependence node"};

bool IsModelObjectKind(int kind) {
  return kind == ObjRandomVariable || kind == ObjFormula || kind == ObjDependenceNode ||
         kind == ObjDependenceNode2;
}

void MarkChanged(int kind, int32_t result) {
  if (IsModelObjectKind(kind) && result > 0 && !ModelLoading()) MarkSamplesOutOfDate();
}

// The block of kind 8, 10, 11, 12 or 14 and its size.
void* BlockOf(int kind, int32_t& size) {
  switch (kind) {
    case ObjSampleData: size = sizeof(TSampleData); return SampleDataBlock();
    case ObjUserDistribution: size = sizeof(TUserQuantiles); return UserQuantileTable();
    case ObjInputSample: size = sizeof(TSampleList); return InputSampleList();
    case ObjOutputSample: size = sizeof(TSampleList); return OutputSampleList();
    case ObjSampleResults: size = sizeof(TSampleResults); return SampleResultsBlock();
    default: return nullptr;
  }
}

// Allocates the missing block of a kind; returns it (nullptr on failure).
void* EnsureBlock(int kind) {
  int32_t size = 0;
  if (void* b = BlockOf(kind, size)) return b;
  if (kind == ObjUserDistribution) return NewUserQuantiles(true);
  AllocateSimulationBlocks();
  return BlockOf(kind, size);
}

int32_t CreateDistribution(const void* data, void** out, int32_t* size) {
  int32_t bytes = DistributionBlockSize();
  if (size) *size = bytes;
  if (!InitDistributionSlotsIfMissing()) return 0;
  if (!data) return 1;
  DistributionSlots* d = DistributionSlotArray(true);
  for (int k = 0; k < MaxSampleListEntries; ++k) {
    if (!d->tables[k].empty()) continue;
    std::vector<double> table(static_cast<std::size_t>(bytes / 8));
    std::memcpy(table.data(), data, static_cast<std::size_t>(bytes));
    d->tables[k] = std::move(table);
    d->slots[k].table = k + 1;
    if (out) *out = d->tables[k].data();
    return k + 1;
  }
  return 0;
}

}  // namespace

bool InitDistributionSlotsIfMissing() {
  if (!DistributionSlotArray(false) && !InitDistributionSlots(false)) return false;
  if (!DistributionSlotArray(true) && !InitDistributionSlots(true)) return false;
  return true;
}

}  // namespace tesmira

using namespace tesmira;

extern "C" {

TESMIRA_API void GetDatatypeTitle(int32_t kind, char* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    CopyOut(out, kind >= 1 && kind <= 16 ? kTitles[kind] : std::string_view());
  });
}

TESMIRA_API int32_t Create_object(int32_t kind, const void* data, void** out, int32_t* size) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (out) *out = nullptr;
    int32_t result = 0;
    switch (kind) {
      case ObjRandomVariable: {
        TExtendedRandomVariable blank;
        std::memset(&blank, 0, sizeof blank);
        const auto* rv = data ? static_cast<const TExtendedRandomVariable*>(data) : &blank;
        TExtendedRandomVariable* p = nullptr;
        int32_t s = 0;
        result = Create_extended_random_variable(rv, &p, &s);
        if (out) *out = p;
        if (size) *size = s;
        break;
      }
      case ObjFormula: {
        TUdf blank;
        std::memset(&blank, 0, sizeof blank);
        const auto* udf = data ? static_cast<const TUdf*>(data) : &blank;
        TUdf* p = nullptr;
        int32_t s = 0;
        result = Create_UDF(udf, &p, &s);
        if (out) *out = p;
        if (size) *size = s;
        break;
      }
      case ObjDependenceNode:
      case ObjDependenceNode2: {
        void* p = nullptr;
        int32_t s = 0;
        result = Create_dep_node(data, &p, &s);
        if (out) *out = p;
        if (size) *size = s;
        break;
      }
      case ObjSampleData:
      case ObjUserDistribution:
      case ObjInputSample:
      case ObjOutputSample:
      case ObjSampleResults: {
        int32_t s = 0;
        bool existed = BlockOf(kind, s) != nullptr;
        void* block = EnsureBlock(kind);
        BlockOf(kind, s);
        if (size) *size = s;
        if (!block) return 0;
        if (kind == ObjSampleData && !existed) static_cast<TSampleData*>(block)->requested = 0;
        if (data) std::memcpy(block, data, kind == ObjSampleResults ? 16000 : s);
        if (out) *out = block;
        return 1;
      }
      case ObjDistribution: return CreateDistribution(data, out, size);
      case ObjCorrelationData:
        if (size) *size = CorrelationDataSize;
        return 1;
      default: return 0;
    }
    MarkChanged(kind, result);
    return result;
  });
}

TESMIRA_API int32_t Update_object(int32_t kind, const void* record, void** out,
                                  const char* newName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!record) return 0;
    switch (kind) {
      case ObjRandomVariable: {
        TExtendedRandomVariable* p = nullptr;
        int32_t r = Update_extended_random_variable(
            static_cast<const TExtendedRandomVariable*>(record), &p, newName, true);
        if (out) *out = p;
        return r;
      }
      case ObjFormula: {
        TUdf* p = nullptr;
        int32_t r = Update_UDF(static_cast<const TUdf*>(record), &p, newName);
        if (out) *out = p;
        return r;
      }
      case ObjDependenceNode:
      case ObjDependenceNode2: {
        void* p = nullptr;
        int32_t r = Update_dep_node(record, &p, newName);
        if (out) *out = p;
        return r;
      }
      default: return 0;
    }
  });
}

TESMIRA_API void* Fetch_object(int32_t kind, int32_t index, const char* name, int32_t* size) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* {
    kind &= 127;
    int32_t s = 0;
    switch (kind) {
      case ObjRandomVariable:
        if (size) *size = sizeof(TExtendedRandomVariable);
        return Fetch_extended_random_variable(index, name);
      case ObjFormula:
        if (size) *size = sizeof(TUdf);
        return Fetch_UDF(index, name);
      case ObjDependenceNode:
      case ObjDependenceNode2:
        if (size) *size = DepNodeSize();
        return Fetch_dep_node(index, name);
      case ObjSampleData:
      case ObjUserDistribution:
      case ObjInputSample:
      case ObjOutputSample:
      case ObjSampleResults: {
        void* block = BlockOf(kind, s);
        if (size) *size = s;
        return block;
      }
      case ObjDistribution:
        if (size) *size = DistributionBlockSize();
        return OutputDistribution(index);
      case ObjCorrelationData:
        if (size) *size = CorrelationDataSize;
        return nullptr;
      default: return nullptr;
    }
  });
}

TESMIRA_API int32_t Delete_object(int32_t kind, void* object) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int32_t result = 0;
    switch (kind) {
      case ObjRandomVariable:
        result =
            Delete_extended_random_variable(static_cast<TExtendedRandomVariable*>(object), true);
        break;
      case ObjFormula: result = Delete_UDF(static_cast<TUdf*>(object)); break;
      case ObjDependenceNode:
      case ObjDependenceNode2: result = Delete_dep_node(object); break;
      case ObjDistribution: {
        DistributionSlots* d = DistributionSlotArray(true);
        if (!d || !object) return 0;
        for (int k = 0; k < MaxSampleListEntries; ++k) {
          if (!d->tables[k].empty() && d->tables[k].data() == object) {
            std::vector<double>().swap(d->tables[k]);
            d->slots[k].table = 0;
            return k + 1;
          }
        }
        return 0;
      }
      case ObjSampleData:
      case ObjUserDistribution:
      case ObjInputSample:
      case ObjOutputSample:
      case ObjSampleResults: {
        int32_t s = 0;
        if (!object || BlockOf(kind, s) != object) return 0;
        ForgetSimulationBlock(kind);
        return 1;
      }
      default: return 0;
    }
    MarkChanged(kind, result);
    return result;
  });
}

TESMIRA_API void Get_object_name(int32_t kind, const void* object, char* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    std::string name;
    switch (kind) {
      case ObjRandomVariable:
        if (int k = VariableIndexOf(static_cast<const TExtendedRandomVariable*>(object)); k > 0)
          name = ShortStringView(VariableAt(k)->distribution.name);
        break;
      case ObjFormula:
        if (int k = FormulaIndexOf(static_cast<const TUdf*>(object)); k > 0)
          name = FormulaDisplayName(k);
        break;
      case ObjDependenceNode:
      case ObjDependenceNode2:
        if (NodeIndexOf(object) > 0) name = NodeVariableName(object);
        break;
      case ObjRootDependenceNode:
        if (NodeIndexOf(object) > 0) name = StructureDisplayName(object);
        break;
      default: break;
    }
    CopyOut(out, name);
  });
}

TESMIRA_API int32_t Sample_variable_exists(const char* name, const TSampleList* list) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!list) return 0;
    return SampleListPosition(*list, NameArg(name));
  });
}

TESMIRA_API TSampleList* Fetch_sample_data(int32_t /*unused*/, const char* name) {
  return tesmira::Guarded<TSampleList*>(nullptr, [&]() -> TSampleList* {
    std::string_view n = NameArg(name);
    if (TSampleList* in = InputSampleList(); in && SampleListPosition(*in, n) > 0) return in;
    if (TSampleList* out = OutputSampleList(); out && SampleListPosition(*out, n) > 0) return out;
    return nullptr;
  });
}

TESMIRA_API double* GetDistr(int32_t k) {
  return tesmira::Guarded<double*>(nullptr, [&]() -> double* { return OutputDistribution(k); });
}

TESMIRA_API int32_t Process_user_quantiles(const char* name, int32_t* k, double* x,
                                           int32_t operation) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!InputSampleList() || !OutputSampleList()) {
      if (!AllocateSimulationBlocks()) return -1;
    }
    std::string_view n = NameArg(name);
    if (operation == 0) {
      if (!UserQuantileTable() && !NewUserQuantiles(true)) return -1;
      if (k) *k = UserQuantileTargets;
      return 1;
    }
    if (operation < 1 || operation > 3) return 0;
    int output = FormulaIndexByName(n);
    if (output <= 0) output = SampleListPosition(*OutputSampleList(), n);
    if (output <= 0) return -2;
    if (!UserQuantileTable() && !NewUserQuantiles(true)) return -1;
    if (output > MaxSampleListEntries) return 0;
    TUserQuantileEntry& e = UserQuantileTable()->entries[output - 1];
    auto missing = [](float v) { return IsMissingValue(v); };
    if (operation == 1 || operation == 2) {
      int target = k ? *k : 0;
      if (target < 1 || target > UserQuantileTargets) return -2;
      TUserQuantilePair& pair = e.pairs[target - 1];
      if (operation == 2) pair.target = static_cast<float>(x ? *x : MissingValue);
      if (x) *x = pair.target;
      return missing(pair.target) ? 0 : 1;
    }
    // Validation: targets strictly between 0 and 1, strictly increasing, up to
    // the first missing one.
    e.validCount = 0;
    double previous = -1.0;
    for (int j = 1; j <= UserQuantileTargets; ++j) {
      float t = e.pairs[j - 1].target;
      if (missing(t)) return e.validCount > 0 ? 1 : 0;
      if (!(t > 0.0f && t < 1.0f)) {
        if (k) *k = j;
        return -4;
      }
      if (!(t > previous)) {
        if (k) *k = j;
        return -3;
      }
      previous = t;
      ++e.validCount;
    }
    return 1;
  });
}

}  // extern "C"
