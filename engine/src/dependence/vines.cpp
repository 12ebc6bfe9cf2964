// Exported operations on vines: initialisation, truncation, levels, values,
// the old design's edge values and the last-error text.
#include "dependence/vines.h"

#include <algorithm>
#include <cstring>

#include "dependence/vine_slots.h"
#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/store.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira {

namespace {

bool IsVineCode(int type) { return type >= DepCanonicalVine && type <= DepUserVine; }

int CurrentVineTypeCode() {
  const int root = CurrentRootIndex();
  return root ? NodeDepType(root) : CurrentDependenceType();
}

int TotalChildCount() {
  const int root = CurrentRootIndex();
  if (root) return ChildCount(root);
  int total = 0;
  for (int i = 1, n = NodeCount(); i <= n; ++i) total += ChildCount(i);
  return total;
}

bool StartsWithVineMarker(std::string_view name) {
  return name.size() >= 5 && SameName(name.substr(0, 5), "VINE~");
}

// Highest level any node of the current structure has set.
int HighestLevel() {
  int highest = 0;
  for (int i : CurrentStructureMembers()) highest = std::max(highest, NodeVineLevel(i));
  return highest;
}

// The int16 slot of the edge value of (node, level), 0 when there is none.
int EdgeSlot(int node, int level) {
  const int s = VineSlot(node, level);
  if (s == 0) return 0;
  const int e = TopSlot + 1 - s;
  if (!Design2() && e <= 2 * ChildCount(node)) return 0;  // would overwrite the child list
  return e;
}

}  // namespace

bool CurrentStructureIsVineType() { return CurrentIsVine() || IsVineCode(CurrentVineTypeCode()); }

bool VineValidForLevels(int level) {
  if (!CurrentStructureIsVineType() || level < 0) return false;
  const int total = TotalChildCount();
  if (total <= 0 || total < level) return false;
  return total < TopSlot + 1 || CurrentVineTypeCode() == DepUserVine;
}

void ClearVineNodes(const std::vector<int>& members, bool keepParents) {
  const int count = NodeCount();
  std::vector<bool> member(static_cast<std::size_t>(count) + 1, false);
  for (int i : members)
    if (i >= 1 && i <= count) member[i] = true;
  for (int i : members) {
    if (TDepNodeV2* n = NodeV2(i)) {
      n->childCount = 0;
      std::memset(n->children, 0, sizeof n->children);
      const int p = n->parent;
      if (!keepParents && p >= 1 && p <= count && member[p]) n->parent = 0;
      for (float& v : n->values) v = 0.0f;
    } else if (TDepNodeV1* v1 = NodeV1(i)) {
      v1->childCount = 0;
      std::memset(&v1->u, 0, sizeof v1->u);
      const std::string parent = NodeParentName(i);
      if (!keepParents && !StartsWithVineMarker(parent)) SetNodeParentName(i, "");
    }
    SetNodeCorrelation(i, 0.0);
    SetNodeVineLevel(i, 0);
  }
}

void ResetVineValues(const std::vector<int>& members) {
  for (int i : members) {
    for (int s = 2 * ChildCount(i) + 1; s <= TopSlot; ++s) {
      if (float* v = NodeValuesV2(i)) v[s - 1] = 0.0f;
      if (int16_t* v = NodeValuesV1(i)) v[s - 1] = 0;
    }
    SetNodeCorrelation(i, 0.0);
    SetNodeVineLevel(i, 0);
  }
}

void LinkVineChild(int parent, int child) {
  if (parent == child) return;
  if (TDepNodeV2* p = NodeV2(parent)) {
    TDepNodeV2* c = NodeV2(child);
    if (!c || p->childCount < 0 || p->childCount >= MaxChildren) return;
    p->children[p->childCount] = static_cast<int16_t>(child);
    p->childCount = static_cast<int16_t>(p->childCount + 1);
    c->parent = static_cast<int16_t>(parent);
  } else if (TDepNodeV1* p1 = NodeV1(parent)) {
    if (!NodeV1(child) || p1->childCount >= 255) return;
    p1->u.children[p1->childCount] = child;
    p1->childCount = static_cast<uint8_t>(p1->childCount + 1);
    SetNodeParentName(child, NodeVariableName(p1));
  }
}

}  // namespace tesmira

using namespace tesmira;

bool Vine_InitVine(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    ClearVineError();
    if (!Model() || !CurrentStructureIsVineType()) {
      SetVineError(MsgNotVine);
      return false;
    }
    Update_dep_structure();
    ClearVineNodes(CurrentStructureMembers(), false);
    return true;
  });
}

bool Vine_InitVineLevels(int32_t level) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    if (level == 0) return Vine_InitVine();
    ClearVineError();
    if (!Model() || !VineValidForLevels(level)) {
      SetVineError(MsgNotVine);
      return false;
    }
    const bool userDefined = CurrentVineTypeCode() == DepUserVine;
    for (int i : CurrentStructureMembers()) {
      if (NodeVineLevel(i) > level) SetNodeVineLevel(i, level);
      int top = TopSlot;
      if (userDefined)
        top = std::min(top, TopSlot + 1 - level);  // the slots above hold edge values
      for (int j = level + 2 * ChildCount(i) + 1; j <= top; ++j) {
        if (float* v = NodeValuesV2(i)) v[j - 1] = 0.0f;
        if (int16_t* v = NodeValuesV1(i)) v[j - 1] = 0;
      }
    }
    return true;
  });
}

int32_t Vine_IsTranscended(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!Model() || !VineValidForLevels(0)) return -1;
    return HighestLevel();
  });
}

int32_t Vine_MaxTranscended(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t { return Vine_IsTranscended(); });
}

double Vine_GetCorrValue(void* node, int32_t level) {
  return tesmira::Guarded<double>(0.0, [&]() -> double {
    const int i = NodeIndexOf(node);
    const int s = VineSlot(i, level);
    return s ? ReadSlot(i, s) : CorrUnavailable;
  });
}

bool Vine_SetCorrValue(void* node, int32_t level, double x) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    const int i = NodeIndexOf(node);
    const int s = VineSlot(i, level);
    if (s == 0 || !(x > -1.0 && x < 1.0)) return false;
    if (WriteSlot(i, s, x) && level == 1) SetNodeCorrelation(i, x);
    if (NodeVineLevel(i) < level) SetNodeVineLevel(i, level);
    return true;
  });
}

int32_t Vine_GetEdgeValue(void* node, int32_t level) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    const int i = NodeIndexOf(node);
    const int e = EdgeSlot(i, level);
    if (e == 0 || NodeVineLevel(i) >= e) return -1;
    // A design-2 slot is a single and may hold anything a file brought along.
    const double raw = ReadRawSlot(i, e);
    if (!(raw > -32769.0 && raw < 32768.0)) return -1;
    return static_cast<uint16_t>(static_cast<int16_t>(raw));
  });
}

bool Vine_SetEdgeValue(void* node, int32_t level, int16_t value) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    const int i = NodeIndexOf(node);
    const int e = EdgeSlot(i, level);
    if (e == 0 || NodeVineLevel(i) >= e) return false;
    WriteRawSlot(i, e, value);
    if (NodeVineLevel(i) < level) SetNodeVineLevel(i, level);
    return true;
  });
}

void Vine_RetrieveErrorMessage(char* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    const std::string& text = VineError();
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  });
}

int32_t Vine_CheckNotTranscended(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!Model()) return 0;
    SetCurrentRoot(nullptr);
    int32_t count = 0;
    StructureScanBegin();
    for (int guard = 0, n = NodeCount(); guard <= n; ++guard) {
      const int root = StructureScanNext();
      if (root == 0) break;
      if (IsVineType(root) && Vine_IsTranscended() <= 1) ++count;
    }
    StructureScanEnd();
    return count;
  });
}

bool Vine_VerifyVine(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    ClearVineError();
    if (!Model() || Vine_IsTranscended() < 0) {
      SetVineError(MsgNotVine);
      return false;
    }
    const int type = CurrentVineTypeCode();
    const std::vector<int> members = CurrentStructureMembers();
    bool ok = true;
    for (int i : members) {
      // Child lists and parent links must agree.
      for (int k = 1, kids = ChildCount(i); k <= kids && ok; ++k) {
        const int c = ChildAt(i, k);
        if (!NodeAt(c) || c == i || ParentIndex(c) != i) ok = false;
      }
      if (!ok) break;
      const int level = NodeVineLevel(i);
      const int offset = 2 * ChildCount(i);
      if (level < 0 || level + offset > TopSlot) {
        ok = false;
        break;
      }
      // In a user-defined vine the top slots hold edge values, not correlations.
      const int last =
          type == DepUserVine ? std::min(level + offset, TopSlot - level) : level + offset;
      for (int s = offset + 1; s <= last && ok; ++s) {
        const double v = ReadSlot(i, s);
        if (!IsCorrNotSet(v) && !(v > -1.0 && v < 1.0)) ok = false;
      }
      if (!ok) break;
    }
    const int root = CurrentRootIndex();
    if (ok && root && IsVineType(root)) {
      // Node p of a canonical vine holds levels 1..p-1, node p of a D-vine
      // levels 1..n-p, any node of a user-defined vine at most n-1 levels.
      const int n = LinkedNodesInStructure(root);
      const std::vector<int> nodes = NodesByPosition(root, n);
      std::vector<bool> seen(static_cast<std::size_t>(NodeCount()) + 1, false);
      for (int p = 1; p <= n && ok; ++p) {
        const int i = nodes[p];
        if (i == 0 || seen[i]) {
          ok = false;
          break;
        }
        seen[i] = true;
        const int level = NodeVineLevel(i);
        const int allowed = type == DepCanonicalVine ? p - 1 : type == DepDVine ? n - p : n - 1;
        if (level > allowed) ok = false;
      }
    }
    if (!ok) SetVineError(MsgNotVine);
    return ok;
  });
}
