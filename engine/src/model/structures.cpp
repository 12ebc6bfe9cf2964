// Dependence structures in the store (exported node operations).
#include <cmath>
#include <cstring>
#include <vector>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/store_state.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {

using detail::State;

void* CurrentRoot() { return State().currentRoot; }
int CurrentRootIndex() { return NodeIndexOf(State().currentRoot); }
void SetCurrentRoot(void* node) { State().currentRoot = node; }
int CurrentDependenceType() { return State().currentDepType; }
void SetCurrentDependenceType(int type) { State().currentDepType = type; }
int CurrentStructureType() {
  int r = CurrentRootIndex();
  return r ? NodeDepType(r) : State().currentDepType;
}
int MergeOffset() { return State().mergeOffset; }
bool OldDiagonalBandMode() { return State().oldDiagonalBand; }

}  // namespace tesmira

using namespace tesmira;
using tesmira::detail::State;

namespace {

constexpr int kMaxPath = 100;

void NormaliseShortString(unsigned char* s, std::size_t capacity) {
  std::string text(ShortStringView(s, capacity));
  SetShortString(s, capacity, text);
}

// Removes A from the child list of the first node that lists it; returns that node.
int DetachFromLister(int a) {
  int count = NodeCount();
  for (int j = 1; j <= count; ++j) {
    if (j == a) continue;
    if (RemoveChild(a, j)) return j;
  }
  return 0;
}

bool Lists(int parent, int child) {
  int n = ChildCount(parent);
  for (int k = 1; k <= n; ++k)
    if (ChildAt(parent, k) == child) return true;
  return false;
}

// Whether A is a vine or matrix inside a tree (its parent is not one).
bool VineInsideTree(int a) {
  int p = ParentIndex(a);
  return IsVineOrMatrixType(a) && p != 0 && !IsVineOrMatrixType(p);
}

void ShiftIndexes(int i) {
  // Every stored child and parent index above i drops by one.
  int count = NodeCount();
  for (int j = 1; j <= count; ++j) {
    if (TDepNodeV2* n = NodeV2(j)) {
      int c = ChildCount(j);
      for (int k = 0; k < c; ++k)
        if (n->children[k] > i) --n->children[k];
      if (n->parent > i) --n->parent;
    } else if (TDepNodeV1* v = NodeV1(j)) {
      int c = ChildCount(j);
      for (int k = 0; k < c; ++k)
        if (v->u.children[k] > i) --v->u.children[k];
    }
  }
}

// The old layout's saved copies follow a deletion as the nodes do: the copy
// of D goes, D leaves every saved child list, later indexes drop by one and
// parent names that named D name D's parent, so that a later swap brings
// back no link to a node that is gone.
void RemoveSavedCopyV1(int i, std::string_view dName, std::string_view dParentName) {
  auto& saved = State().savedV1;
  if (i >= static_cast<int>(saved.size())) return;
  detail::FreeRecord(saved[i]);
  saved.erase(saved.begin() + i);
  for (std::size_t j = 1; j < saved.size(); ++j) {
    TDepNodeV1* v = saved[j];
    if (!v) continue;
    int c = v->childCount;
    for (int k = 0; k < c;) {
      if (v->u.children[k] == i) {
        for (int t = k; t + 1 < c; ++t) v->u.children[t] = v->u.children[t + 1];
        v->u.children[--c] = 0;
        continue;
      }
      if (v->u.children[k] > i) --v->u.children[k];
      ++k;
    }
    v->childCount = static_cast<uint8_t>(c);
    if (SameName(ShortStringView(v->parentName), dName))
      SetShortString(v->parentName, NameOf(dParentName));
  }
}

void RemoveFromTable(int i) {
  TModelRecord* m = Model();
  int n = NodeCount();
  void* node = m->nodes[i];
  auto& st = State();
  if (st.currentRoot == node) st.currentRoot = nullptr;
  if (st.scanSavedRoot == node) st.scanSavedRoot = nullptr;
  detail::FreeRecord(node);
  for (int j = i; j < n; ++j) m->nodes[j] = m->nodes[j + 1];
  m->nodes[n] = nullptr;
  m->nodeCount = n - 1;
  if (st.scanPos >= i && st.scanPos > 0) --st.scanPos;
}

}  // namespace

// ---- create, update, delete, fetch -------------------------------------------

int32_t Create_dep_node(const void* record, void** out, int32_t* size) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    bool v2 = Design2();
    if (size) *size = DepNodeSize();
    if (out) *out = nullptr;
    TModelRecord* m = Model();
    if (!m) return 0;
    std::string name = record ? NodeVariableName(record) : std::string();
    if (!name.empty()) {
      for (int i = 1; i <= NodeCount(); ++i) {
        if (SameName(NodeVariableName(NodeAt(i)), name)) {
          if (out) *out = NodeAt(i);
          return -i;
        }
      }
    }
    if (!v2 && record) {
      auto* r = static_cast<const TDepNodeV1*>(record);
      if (r->varName[0] > MaxNameLength || r->parentName[0] > MaxNameLength) return 0;
      if (!(r->rankCorr >= -1.0 && r->rankCorr <= 1.0)) return 0;
    }
    if (NodeCount() >= MaxNodes) return 0;
    void* node = nullptr;
    if (v2) {
      node = NewDepNodeV2();
    } else {
      node = Init_dep_node();
    }
    if (!node) return 0;
    int offset = MergeOffset();
    if (record) {
      std::memcpy(node, record, static_cast<std::size_t>(DepNodeSize()));
      if (v2) {
        auto* n = static_cast<TDepNodeV2*>(node);
        n->recordSize = sizeof(TDepNodeV2);
        NormaliseShortString(n->structName, MaxNameLength);
        NormaliseShortString(n->varName, MaxNameLength);
        // Merging shifts parent and child indexes alike.
        if (offset) {
          int c = std::clamp<int>(n->childCount, 0, MaxChildren);
          for (int k = 0; k < c; ++k)
            if (n->children[k] > 0) n->children[k] = static_cast<int16_t>(n->children[k] + offset);
          if (n->parent > 0) n->parent = static_cast<int16_t>(n->parent + offset);
        }
      } else {
        auto* n = static_cast<TDepNodeV1*>(node);
        if (offset && CurrentStructureType() != DepCorrelationMatrix)
          for (int k = 0; k < n->childCount; ++k)
            if (n->u.children[k] > 0) n->u.children[k] += offset;
      }
    }
    int k = NodeCount() + 1;
    m->nodes[k] = node;
    m->nodeCount = k;
    if (out) *out = node;
    return k;
  });
}

int32_t Update_dep_node(const void* record, void** out, const char* newName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (out) *out = nullptr;
    if (!Model() || !record) return 0;
    std::string oldName = NodeVariableName(record);
    if (oldName.empty()) return 0;
    int i = 0;
    for (int j = 1; j <= NodeCount(); ++j)
      if (SameName(NodeVariableName(NodeAt(j)), oldName)) {
        i = j;
        break;
      }
    if (i == 0) return 0;
    std::string_view nn = NameArg(newName);
    // The node's own name (in any case) is no rename: its variable holds that
    // name too, which is no clash.
    if (!nn.empty() && !SameName(nn, oldName)) {
      int kind = 0;
      int hit = Object_exists(std::string(nn).c_str(), &kind);
      if (hit != 0 && !(kind == 7 && hit == i)) return -hit;
      if (!Design2() && (VariableIndexByName(oldName) || VariableIndexByName(nn))) return 0;
    }
    void* node = NodeAt(i);
    if (node != record) std::memmove(node, record, static_cast<std::size_t>(DepNodeSize()));
    if (Design2()) {
      auto* n = static_cast<TDepNodeV2*>(node);
      NormaliseShortString(n->structName, MaxNameLength);
      NormaliseShortString(n->varName, MaxNameLength);
    } else {
      auto* n = static_cast<TDepNodeV1*>(node);
      NormaliseShortString(n->varName, MaxNameLength);
      NormaliseShortString(n->parentName, MaxNameLength);
    }
    if (!nn.empty()) {
      SetNodeVariableName(node, nn);
      if (!Design2())
        for (int j = 1; j <= NodeCount(); ++j)
          if (SameName(NodeParentName(j), oldName)) SetNodeParentName(j, nn);
    }
    if (out) *out = node;
    return i;
  });
}

int32_t Delete_dep_node(void* node) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int i = NodeIndexOf(node);
    if (i == 0) return 0;
    int count = NodeCount();
    int p = ParentIndex(i);
    bool v2 = Design2();
    bool composite = IsCompositeType(i);

    if (!v2 && IsVineOrMatrixType(i) && p != 0 && !IsVineOrMatrixType(p)) {
      // The old design keeps a vine or matrix head that hangs below a tree node.
      RemoveChild(i, p);
      SetNodeParentName(i, "vine~" + NodeVariableName(node));
      return i;
    }

    // 1. Children move to D's parent; D leaves every child list. D leaves its
    // parent's list first so that a full list has room for D's children.
    std::string dParentName = NodeParentName(i);
    std::string dName = NodeVariableName(node);
    if (v2 && p) RemoveChild(i, p);
    for (int s = 1; s <= count; ++s) {
      if (s == i) continue;
      if (v2) {
        bool child = ParentIndex(s) == i;
        if (child) {
          if (composite && NodeDepType(s) != DepTree) {
            SetStoredParentIndex(s, 0);
          } else {
            SetStoredParentIndex(s, p);
            if (p) AttachChild(p, s);
            // A child that found no room stays without a parent.
            if (p && StoredParentIndex(s) == p && !Lists(p, s)) SetStoredParentIndex(s, 0);
          }
        }
      } else if (SameName(NodeParentName(s), dName)) {
        SetNodeParentName(s, dParentName);
      }
      RemoveChild(i, s);
    }
    // Nodes created while re-attaching (composite nodes) are beyond count.
    ShiftIndexes(i);

    // 2. A matrix loses D's cell in every other node.
    if (CurrentStructureType() == DepCorrelationMatrix) {
      int n = NodeCount();
      for (int s = 1; s <= n; ++s) {
        if (s == i) continue;
        if (float* vals = NodeValuesV2(s)) {
          int top = std::min(n, static_cast<int>(MaxChildren));
          for (int k = i; k < top; ++k) vals[k - 1] = vals[k];
          if (top >= 1 && top >= i) vals[top - 1] = static_cast<float>(CorrNotSet);
        } else if (int16_t* codes = NodeValuesV1(s)) {
          int top = std::min(n, static_cast<int>(CorrValueSlots));
          for (int k = i; k < top; ++k) codes[k - 1] = codes[k];
          if (top >= 1 && top >= i) codes[top - 1] = -1;
        }
      }
    }

    // 3. D leaves the table.
    if (!v2) RemoveSavedCopyV1(i, dName, dParentName);
    RemoveFromTable(i);
    return i;
  });
}

void* Fetch_dep_node(int32_t index, const char* name) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* {
    if (!Model()) return nullptr;
    std::string_view n = NameArg(name);
    if (index == 0) {
      if (n.empty()) return nullptr;
      index = NodeIndexByName(n);
    } else if (index < 0) {
      index = NodeCount() + 1 + index;
    }
    if (index < 1 || index > MaxNodes) return nullptr;
    return NodeAt(index);
  });
}

// ---- Process_dep_node -----------------------------------------------------------

bool Process_dep_node(void* node, void** inoutNode, int32_t* inoutInt, int32_t operation) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    int a = NodeIndexOf(node);
    if (a == 0) return false;
    void* dummyNode = nullptr;
    int32_t dummyInt = 0;
    void*& pn = inoutNode ? *inoutNode : dummyNode;
    int32_t& pi = inoutInt ? *inoutInt : dummyInt;
    int p = ParentIndex(a);
    switch (operation) {
      case DepNodeAttach: {
        int t = NodeIndexOf(pn);
        if (t == 0 || t == a || t == p || ParentIndex(t) == a) return false;
        // Nor below one of its own descendants, which would close a loop.
        for (int q = ParentIndex(t), steps = 0; q != 0 && steps <= NodeCount();
             q = ParentIndex(q), ++steps)
          if (q == a) return false;
        RemoveChild(a, t);
        int before = ChildCount(t);
        if (Design2()) {
          AttachChild(t, a);
        } else {
          // The parent names are authoritative in the old design; a child list
          // that still holds A would contradict the new name.
          DetachFromLister(a);
          SetNodeParentName(a, NodeVariableName(NodeAt(t)));
        }
        int after = ChildCount(t);
        int k = pi;
        if (k >= ChildCapacity(t)) {
          pi = 0;
          return false;
        }
        if (k > 0 && k <= before && after > before) {
          TDepNodeV2* tn = NodeV2(t);
          int16_t moved = tn->children[after - 1];
          for (int j = after - 1; j >= k; --j) tn->children[j] = tn->children[j - 1];
          tn->children[k - 1] = moved;
        }
        return true;
      }
      case DepNodeDetach: {
        bool vineInTree = VineInsideTree(a);
        int former = DetachFromLister(a);
        SetStoredParentIndex(a, 0);
        if (!Design2())
          SetNodeParentName(a, vineInTree ? "vine~" + NodeVariableName(node) : std::string());
        pn = NodeAt(former);
        pi = former;
        return true;
      }
      case DepNodeCount: pi = ChildCount(a); return true;
      case DepNodeChild: {
        int c = ChildAt(a, pi);
        pn = NodeAt(c);
        return pn != nullptr;
      }
      case DepNodeParent: {
        int q = p;
        if (!Design2() && !VineInsideTree(a)) {
          std::string name = NodeParentName(a);
          for (int j = 1; j <= NodeCount(); ++j)
            if (j != a && !name.empty() && SameName(NodeVariableName(NodeAt(j)), name)) {
              q = j;
              break;
            }
        }
        pn = NodeAt(q);
        pi = q;
        return q != 0;
      }
      case DepNodeRoot: {
        int r = StructureRootOf(a);
        pi = r;
        pn = NodeAt(r);
        return true;
      }
      case DepNodeIsParent: {
        int t = NodeIndexOf(pn);
        if (t == 0) return false;
        if (p == t) return true;
        return !Design2() && SameName(NodeParentName(a), NodeVariableName(NodeAt(t)));
      }
      case DepNodeIsChild: {
        int t = NodeIndexOf(pn);
        if (t == 0) return false;
        if (ParentIndex(t) == a) return true;
        return !Design2() && SameName(NodeParentName(t), NodeVariableName(node));
      }
      default: return false;
    }
  });
}

// ---- rebuild -------------------------------------------------------------------------

namespace {

// Cuts every link that leads back into the current path of a depth-first
// walk over the child lists (at most kMaxPath deep). Nodes whose walk
// finished are not walked again, so the work stays linear in the links.
void BreakLoops() {
  int count = NodeCount();
  enum : char { kNew, kOnPath, kDone };
  std::vector<char> state(static_cast<std::size_t>(count) + 1, kNew);
  struct Frame {
    int node;
    int next;  // next child position (1-based)
  };
  std::vector<Frame> stack;
  for (int start = 1; start <= count; ++start) {
    if (state[start] != kNew) continue;
    stack.clear();
    stack.push_back({start, 1});
    state[start] = kOnPath;
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next > ChildCount(f.node)) {
        state[f.node] = kDone;
        stack.pop_back();
        continue;
      }
      int c = ChildAt(f.node, f.next);
      if (c < 1 || c > count || state[c] == kOnPath) {
        // A link back into the path (or an invalid entry) is cut here, and
        // the cut child no longer names this node as its parent.
        RemoveChild(c, f.node);
        if (c >= 1 && c <= count && StoredParentIndex(c) == f.node) SetStoredParentIndex(c, 0);
        continue;  // the same position now holds the next child
      }
      ++f.next;
      if (state[c] == kDone || stack.size() >= static_cast<std::size_t>(kMaxPath)) continue;
      state[c] = kOnPath;
      stack.push_back({c, 1});
    }
  }
}

}  // namespace

int32_t Update_dep_structure(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!Model()) return 0;
    int changes = 0;
    bool v2 = Design2();
    // 1. Nodes without a reason to exist are deleted.
    for (int i = NodeCount(); i >= 1; --i) {
      void* node = NodeAt(i);
      std::string name = NodeVariableName(node);
      bool hasVariable = !name.empty() && VariableIndexByName(name) != 0;
      bool remove;
      if (v2) {
        bool latent = IsLatentType(i);
        remove = (name.empty() && NodeStructureName(node).empty() && !latent) ||
                 (latent && hasVariable) || (!hasVariable && ChildCount(i) == 0 && !latent);
      } else {
        remove = name.empty() || (!hasVariable && ChildCount(i) == 0);
      }
      if (remove && Delete_dep_node(node) != 0) ++changes;
    }
    // 2. Every variable gets a node.
    for (int k = 1; k <= VariableCount(); ++k) {
      std::string name(ShortStringView(VariableAt(k)->distribution.name));
      bool found = false;
      for (int i = 1; i <= NodeCount() && !found; ++i)
        found = SameName(NodeVariableName(NodeAt(i)), name);
      if (found) continue;
      void* out = nullptr;
      int32_t size = 0;
      if (Create_dep_node(nullptr, &out, &size) > 0) {
        SetNodeVariableName(out, name);
        ++changes;
      }
    }
    // 3. Child lists are rebuilt from the parent indexes.
    if (v2) {
      int count = NodeCount();
      for (int x = 1; x <= count && x <= NodeCount(); ++x) {
        TDepNodeV2* n = NodeV2(x);
        int oldCount = ChildCount(x);
        std::vector<int> former(n->children, n->children + oldCount);
        std::memset(n->children, 0, sizeof n->children);
        n->childCount = 0;
        for (int s = 1; s <= NodeCount(); ++s) {
          if (s == x || StoredParentIndex(s) != x) continue;
          AttachChild(x, s);
          // A link that can not be made (a tree node below a member of a
          // vine) is dropped rather than left half made.
          if (StoredParentIndex(s) == x && !Lists(x, s)) SetStoredParentIndex(s, 0);
        }
        for (int c : former) {
          if (c < 1 || c > NodeCount() || c == x || !IsVineType(c)) continue;
          bool reattached = false;
          for (int k = 1; k <= ChildCount(x) && !reattached; ++k) reattached = ChildAt(x, k) == c;
          if (!reattached && StoredParentIndex(c) != x) {
            if (StoredParentIndex(c) == 0) AttachChild(x, c);
          }
        }
        if (ChildCount(x) != oldCount) ++changes;
      }
    }
    // 4. Loops are broken.
    BreakLoops();
    return changes;
  });
}

// ---- types and copulas --------------------------------------------------------------

int32_t GetDependenceType(void* node) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int r = ResolveNode(node, false);
    return r ? NodeDepType(r) : CurrentDependenceType();
  });
}

int32_t SetDependenceType(void* node, int32_t type) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int n = NodeIndexOf(node);
    if (type < 0 || type > 4) {
      if (type == DepLatentNode && n && Design2()) SetNodeDepType(n, DepLatentNode);
      return -1;
    }
    int r = ResolveNode(node, false);
    bool noCurrent = CurrentRootIndex() == 0;
    for (int j = 1; j <= NodeCount(); ++j) {
      if (!InStructure(j, r) || IsCompositeType(j)) continue;
      if (node && !(j == r || !IsLinkedNode(j))) continue;
      int old = NodeDepType(j);
      SetNodeDepType(j, type);
      if (!Design2() && old != type) {
        int cop = NodeCopula(j);
        if (type == DepCorrelationMatrix)
          SetNodeCopula(j, 0);
        else if (type >= DepCanonicalVine && cop == CopulaMinimumInformation)
          SetNodeCopula(j, CopulaElliptical);
      }
      if (noCurrent && type == DepCorrelationMatrix && CurrentRootIndex() == 0)
        SetCurrentRoot(NodeAt(j));
    }
    int cur = NodeIndexOf(CurrentRoot());
    if (!node || (n != 0 && (n == cur || (cur == 0 && IsStructureHead(n, false)))))
      SetCurrentDependenceType(type);
    return Model() ? 1 : 0;
  });
}

int32_t GetBivariateType(void* node) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (node) {
      int i = NodeIndexOf(node);
      return i ? NodeCopula(i) : 0;
    }
    for (int j = 1; j <= NodeCount(); ++j)
      if (NodeDepType(j) <= 4) return NodeCopula(j);
    return 0;
  });
}

int32_t SetBivariateType(void* node, int32_t copula) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (copula < 0 || copula > 12) return -1;
    if (node) {
      int i = NodeIndexOf(node);
      if (i == 0 || NodeDepType(i) > 4) return -1;
      SetNodeCopula(i, copula);
      return 1;
    }
    int n = NodeCount();
    for (int j = 1; j <= n; ++j)
      if (NodeDepType(j) < 5) SetNodeCopula(j, copula);
    return n > 0 ? 1 : 0;
  });
}

double Get_node_correlation_with_parent(void* node) {
  return tesmira::Guarded<double>(0.0, [&]() -> double {
    int i = NodeIndexOf(node);
    return i ? NodeCorrelation(i) : 0.0;
  });
}

bool Set_node_correlation_with_parent(void* node, float value) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    int i = NodeIndexOf(node);
    if (i == 0) return false;
    SetNodeCorrelation(i, static_cast<double>(value));
    return true;
  });
}

void GetDepNodeName(void* node, char* out) {
  tesmira::GuardedVoid([&] { CopyOut(out, NodeIndexOf(node) ? NodeVariableName(node) : ""); });
}

void SetDepNodeName(void* node, const char* name) {
  tesmira::GuardedVoid([&] {
    if (NodeIndexOf(node)) SetNodeVariableName(node, NameArg(name));
  });
}

bool SetDepNodeOrder(void* node, int16_t order) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    int i = NodeIndexOf(node);
    TDepNodeV2* n = NodeV2(i);
    if (!n) return false;
    n->orderStamp = order;
    return true;
  });
}

bool IsVine(void* node) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    if (node) return IsVineType(NodeIndexOf(node));
    int r = CurrentRootIndex();
    return IsVineType(r) || IsCompositeType(r);
  });
}

bool IsVineOrMatrix(void* node) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    if (node) return IsVineOrMatrixType(NodeIndexOf(node));
    int r = CurrentRootIndex();
    return IsVineOrMatrixType(r) || IsCompositeType(r);
  });
}

bool IsCompositeNode(void* node) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    return IsCompositeType(node ? NodeIndexOf(node) : CurrentRootIndex());
  });
}

bool IsLatentNode(void* node) {
  return tesmira::Guarded<bool>(false, [&]() -> bool { return IsLatentType(NodeIndexOf(node)); });
}

void GetModelDependenceTypes(TDependenceTypeSet* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    std::memset(out, 0, sizeof *out);
    StructureScanBegin();
    for (int guard = 0; guard <= MaxNodes; ++guard) {
      int r = StructureScanNext();
      if (r == 0) break;
      unsigned bit = static_cast<unsigned>(NodeDepType(r)) & 255u;
      out->bits[bit / 8] = static_cast<uint8_t>(out->bits[bit / 8] | (1u << (bit % 8)));
    }
    StructureScanEnd();
  });
}

bool CheckDepValue(char* message, double value) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    int type = GetDependenceType(nullptr);
    std::string_view text;
    if (type == DepTree || type == DepLatentNode) {
      if (!(value >= -1.0 && value <= 1.0)) text = "Must be within [-1.0, 1.0] interval";
    } else if (type >= DepCorrelationMatrix && type <= DepUserVine) {
      if (!(value > -1.0 && value < 1.0)) text = "Must be bigger than -1.0 and smaller than 1.0";
    } else if (!(value >= -1.0 && value <= 1.0)) {
      // A composite current root (or a type out of range) still takes
      // correlations only.
      text = "Must be within [-1.0, 1.0] interval";
    }
    CopyOut(message, text);
    return text.empty();
  });
}

void SetMergeMode(bool on) {
  tesmira::GuardedVoid([&] { State().mergeOffset = on ? NodeCount() : 0; });
}

bool GetExposedVinesInTrees(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool { return State().exposedVines; });
}
void SetExposedVinesInTrees(bool flag) {
  tesmira::GuardedVoid([&] { State().exposedVines = flag; });
}
void SetOldDiagonalBandMode(bool on) {
  tesmira::GuardedVoid([&] { State().oldDiagonalBand = on; });
}
bool GetOldDiagonalBandMode(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool { return State().oldDiagonalBand; });
}

bool GetDependenceTypeTitle(int32_t type, char* out) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    std::string_view t = DependenceTypeTitle(type);
    CopyOut(out, t);
    return !t.empty();
  });
}

bool GetCopulaTitle(int32_t copula, char* out) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    std::string_view t = CopulaTitle(copula);
    CopyOut(out, t);
    return !t.empty();
  });
}
