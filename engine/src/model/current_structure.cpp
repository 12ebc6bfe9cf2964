// Current structure, structure names and saved structures.
#include <cstring>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/store_state.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {

using detail::State;

namespace {

constexpr std::size_t kNameLimit = 32;
constexpr int kMaxDepth = 100;

bool StartsWithVineAnyCase(std::string_view s) {
  return s.size() >= 5 && SameName(s.substr(0, 5), "VINE~");
}

// The structure name of a node: TDepNodeV2 its structure name field,
// TDepNodeV1 only the text behind a "VINE~" prefix of its parent name (a
// plain parent name is the name of the node above, not a structure name).
std::string StoredStructureName(int i) {
  if (Design2()) return NodeStructureName(NodeAt(i));
  std::string pn = NodeParentName(i);
  return StartsWithVineAnyCase(pn) ? pn.substr(5) : std::string();
}

struct Composer {
  std::string buffer;
  int start = 0;
  int visits = 0;  // bounds the walk on corrupt child lists

  void Append(std::string_view part) {
    if (!buffer.empty()) buffer += '|';
    buffer += part;
    if (buffer.size() > kNameLimit) buffer.resize(kNameLimit);
  }

  void Visit(int x, bool descend, int depth) {
    if (depth > kMaxDepth || x == 0 || buffer.size() >= kNameLimit || ++visits > 4 * MaxNodes)
      return;
    if (!Design2()) {
      Append(NodeVariableName(NodeAt(x)));
      int n = ChildCount(x);
      for (int k = 1; k <= n; ++k) {
        int c = ChildAt(x, k);
        if (c >= 1 && c <= NodeCount() && c != x) Visit(c, true, depth + 1);
      }
      return;
    }
    std::string sn = NodeStructureName(NodeAt(x));
    if (!sn.empty()) {
      Append(sn);
      return;
    }
    bool composite = IsCompositeType(x);
    if (!composite) {
      Append(NodeVariableName(NodeAt(x)));
    } else if (x != start || !descend) {
      Append("(V)" + NodeVariableName(NodeAt(ChildAt(x, 1))) + "...");
      return;
    }
    if (!descend) return;
    int n = ChildCount(x);
    bool deeper = n < 2 || composite;
    for (int k = 1; k <= n; ++k) {
      int c = ChildAt(x, k);
      if (c < 1 || c > NodeCount() || c == x) continue;
      if (composite && !IsVineType(c)) continue;
      Visit(c, deeper, depth + 1);
    }
  }
};

}  // namespace

std::string ComposeStructureName(const void* root) {
  int r = NodeIndexOf(root);
  if (r == 0) return {};
  Composer c;
  c.start = r;
  c.Visit(r, true, 0);
  return c.buffer;
}

std::string StructureDisplayName(const void* root) {
  int r = NodeIndexOf(root);
  if (r == 0) return {};
  std::string name = StoredStructureName(r);
  if (name.empty() || name == "ROOT") return ComposeStructureName(root);
  return name;
}

// ---- structure scan -------------------------------------------------------------

namespace {

// The next structure root after position pos (0 when none).
int NextRootAfter(int pos) {
  int count = NodeCount();
  for (int j = std::max(pos, 0) + 1; j <= count; ++j) {
    if (ChildCount(j) == 0) continue;
    if (IsStructureHead(j, false)) return j;
    if (IsVineOrMatrixType(j) && !IsVineOrMatrixType(ParentIndex(j))) return j;
  }
  return 0;
}

}  // namespace

void StructureScanBegin() {
  auto& st = State();
  st.scanSavedRoot = st.currentRoot;
  st.scanHasSaved = NodeIndexOf(st.currentRoot) != 0;
  st.scanYielded = false;
  st.scanPos = 0;
}

int StructureScanNext() {
  auto& st = State();
  if (st.scanHasSaved) {
    if (st.scanYielded) return 0;
    st.scanYielded = true;
    return NodeIndexOf(st.scanSavedRoot);
  }
  int r = NextRootAfter(st.scanPos);
  if (r == 0) return 0;
  st.scanPos = r;
  st.currentRoot = NodeAt(r);
  return r;
}

void StructureScanEnd() {
  auto& st = State();
  st.currentRoot = st.scanSavedRoot;
  st.scanHasSaved = false;
  st.scanYielded = false;
}

// ---- saved alternative structure -----------------------------------------------------

namespace {

void SwapLinks(TDepNodeV2& node, detail::StoreState::SavedLinks& links) {
  std::swap(node.parent, links.parent);
  std::swap(node.childCount, links.childCount);
  for (int k = 0; k < MaxChildren; ++k) std::swap(node.children[k], links.children[k]);
}

// The nodes whose saved links go with their saved values: the members of
// the current structure, when no node was added or deleted since the save
// (a conversion relinks only the structure it converts).
std::vector<int> LinkedMembers() {
  std::vector<int> members;
  const int n = NodeCount();
  const int root = CurrentRootIndex();
  if (root == 0 || State().savedLinksV2.size() != static_cast<std::size_t>(n) + 1) return members;
  for (int i = 1; i <= n; ++i)
    if (InStructure(i, root)) members.push_back(i);
  return members;
}

}  // namespace

bool SavedStructureExists() {
  auto& st = State();
  if (!st.savedExists) return false;
  if (st.design2) return NodeCount() > 0;
  return st.savedV1.size() > 1 && st.savedV1[1] != nullptr;
}

bool SaveStructure() {
  auto& st = State();
  int n = NodeCount();
  if (!Model()) return false;
  if (st.design2) {
    st.savedLinksV2.assign(static_cast<std::size_t>(n) + 1, {});
    for (int i = 1; i <= n; ++i) {
      TDepNodeV2* node = NodeV2(i);
      std::memcpy(node->savedValues, node->values, sizeof node->values);
      node->savedDepType = node->depType;
      auto& links = st.savedLinksV2[static_cast<std::size_t>(i)];
      links.parent = node->parent;
      links.childCount = node->childCount;
      std::memcpy(links.children.data(), node->children, sizeof node->children);
    }
  } else {
    if (st.savedV1.size() < static_cast<std::size_t>(n) + 1)
      st.savedV1.resize(static_cast<std::size_t>(n) + 1, nullptr);
    for (int i = 1; i <= n; ++i) {
      if (!st.savedV1[i])
        st.savedV1[i] = static_cast<TDepNodeV1*>(detail::AllocRecord(sizeof(TDepNodeV1)));
      if (!st.savedV1[i]) return false;
      std::memcpy(st.savedV1[i], NodeV1(i), sizeof(TDepNodeV1));
    }
  }
  st.savedExists = true;
  return true;
}

bool SwapWithSavedStructure() {
  auto& st = State();
  if (!st.savedExists) return false;
  int n = NodeCount();
  if (st.design2) {
    for (int i : LinkedMembers())
      SwapLinks(*NodeV2(i), st.savedLinksV2[static_cast<std::size_t>(i)]);
    for (int i = 1; i <= n; ++i) {
      TDepNodeV2* node = NodeV2(i);
      for (int k = 0; k < CorrValueSlots; ++k) std::swap(node->values[k], node->savedValues[k]);
      // A composite node stays one: a node made after the save holds no
      // saved type of its own, and composite nodes are never converted.
      if (node->depType == DepCompositeNode || node->savedDepType == DepCompositeNode) continue;
      int16_t type = node->depType;
      node->depType = static_cast<int16_t>(node->savedDepType);
      node->savedDepType = type;
    }
  } else {
    TDepNodeV1 tmp;
    for (int i = 1; i <= n && i < static_cast<int>(st.savedV1.size()); ++i) {
      if (!st.savedV1[i]) continue;
      std::memcpy(&tmp, NodeV1(i), sizeof tmp);
      std::memcpy(NodeV1(i), st.savedV1[i], sizeof tmp);
      std::memcpy(st.savedV1[i], &tmp, sizeof tmp);
    }
  }
  return true;
}

bool RestoreSavedStructure() {
  auto& st = State();
  if (!st.savedExists) return false;
  int n = NodeCount();
  if (st.design2) {
    for (int i : LinkedMembers()) {
      TDepNodeV2* node = NodeV2(i);
      const auto& links = st.savedLinksV2[static_cast<std::size_t>(i)];
      node->parent = links.parent;
      node->childCount = links.childCount;
      std::memcpy(node->children, links.children.data(), sizeof node->children);
    }
    for (int i = 1; i <= n; ++i) {
      TDepNodeV2* node = NodeV2(i);
      std::memcpy(node->values, node->savedValues, sizeof node->values);
      if (node->depType == DepCompositeNode || node->savedDepType == DepCompositeNode) continue;
      node->depType = static_cast<int16_t>(node->savedDepType);
    }
  } else {
    for (int i = 1; i <= n && i < static_cast<int>(st.savedV1.size()); ++i)
      if (st.savedV1[i]) std::memcpy(NodeV1(i), st.savedV1[i], sizeof(TDepNodeV1));
  }
  return true;
}

int SavedDepType(int i) {
  auto& st = State();
  if (!st.savedExists || !NodeAt(i)) return 0;
  if (st.design2) return NodeV2(i)->savedDepType;
  if (i < static_cast<int>(st.savedV1.size()) && st.savedV1[i]) return st.savedV1[i]->typeBits >> 3;
  return 0;
}

bool SavedStructureMatches() {
  auto& st = State();
  if (!st.savedExists) return false;
  if (st.design2) return true;  // every node is its own saved copy
  int n = NodeCount();
  if (static_cast<int>(st.savedV1.size()) < n + 1) return false;
  for (int i = 1; i <= n; ++i) {
    const TDepNodeV1* node = NodeV1(i);
    const TDepNodeV1* copy = st.savedV1[i];
    if (!node || !copy) return false;
    if (ShortStringView(node->varName) != ShortStringView(copy->varName)) return false;
  }
  return true;
}

void FreeSavedStructure() {
  auto& st = State();
  for (TDepNodeV1* p : st.savedV1) detail::FreeRecord(p);
  st.savedV1.clear();
  st.savedLinksV2.clear();
  st.savedExists = false;
}

}  // namespace tesmira

using namespace tesmira;
using tesmira::detail::State;

// ---- exported --------------------------------------------------------------------

void* SetCurrentDependenceStructureRoot(void* node, const char* name) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* {
    auto& st = State();
    void* previous = st.currentRoot;
    int i = NodeIndexOf(node);
    if (node && i == 0) return previous;
    std::string_view n = NameArg(name);
    st.currentRoot = node;
    int rootIndex = i;
    if (!n.empty()) {
      if (node && Design2()) {
        if (NodeIndexByName(n) == 0) {
          SetNodeStructureName(node, n);
          int p = ParentIndex(i);
          if (p && IsCompositeType(p)) SetNodeStructureName(NodeAt(p), n);
        }
      } else if (node) {
        std::string pn = NodeParentName(i);
        if (IsVineOrMatrixType(i)) {
          if (!StartsWithVineAnyCase(pn)) {
            std::string prefix = ParentIndex(i) ? "vine~" : "VINE~";
            SetNodeParentName(i, prefix + std::string(n));
          }
        } else if (pn.empty()) {
          SetNodeParentName(i, "ROOT");
        }
      } else {
        rootIndex = 0;
        for (int j = 1; j <= NodeCount() && rootIndex == 0; ++j)
          if (SameName(StoredStructureName(j), n) || SameName(ComposeStructureName(NodeAt(j)), n))
            rootIndex = j;
        st.currentRoot = NodeAt(rootIndex);
      }
    }
    int typed = node ? i : NodeIndexOf(previous);
    if (rootIndex != 0 && IsVineOrMatrixType(typed)) st.scanPos = rootIndex;
    return previous;
  });
}

void* GetCurrentDependenceStructureRoot(void) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* { return State().currentRoot; });
}

void* GetNextDepStructure(void) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* {
    auto& st = State();
    st.currentRoot = nullptr;
    st.scanSavedRoot = nullptr;
    st.scanHasSaved = false;
    int r = NextRootAfter(st.scanPos);
    if (r == 0) r = NextRootAfter(0);
    if (r == 0) return nullptr;
    st.scanPos = r;
    st.currentRoot = NodeAt(r);
    return st.currentRoot;
  });
}

int32_t GetNumberOfNodesInStructure(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int r = CurrentRootIndex();
    if (r == 0) return 0;
    int count = 0;
    for (int j = 1; j <= NodeCount(); ++j)
      if (InStructure(j, r) && IsLinkedNode(j)) ++count;
    return count;
  });
}

bool ThisNodeInStructure(void* node) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    int r = CurrentRootIndex();
    int i = NodeIndexOf(node);
    return r != 0 && i != 0 && InStructure(i, r) && IsLinkedNode(i);
  });
}

int32_t GetDependenceStrings(void* node, char* typeText, char* copulaText) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int r = ResolveNode(node, true);
    if (r && IsCompositeType(r) && !IsVineOrMatrixType(r)) {
      for (int k = 1; k <= ChildCount(r); ++k) {
        int c = ChildAt(r, k);
        if (IsVineOrMatrixType(c)) {
          r = c;
          break;
        }
      }
    }
    int type = (node && r) ? NodeDepType(r) : CurrentDependenceType();
    int copula = r ? NodeCopula(r) : 0;
    CopyOut(typeText, "Unknown distribution type");
    CopyOut(copulaText, "");
    if (type < -3 || type > 4) return 0;
    std::string t = "Dependence structure type: " + std::string(DependenceTypeTitle(type));
    if (t.size() > 100) t.resize(100);
    std::string c = std::string(type == 0 ? "Bivariate type: " : "Copula type: ") +
                    std::string(CopulaTitle(copula));
    if (node && r && IsVineOrMatrixType(r)) {
      c += " ... Vine name: " + StructureDisplayName(NodeAt(r));
      if (c.size() > 100) c.resize(100);
    }
    CopyOut(typeText, t);
    CopyOut(copulaText, c);
    return 1;
  });
}

bool MatchAndSwapDepStructures(int32_t type) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    if (!SavedStructureExists()) return false;
    if (!SavedStructureMatches() || !SwapWithSavedStructure()) return false;
    auto& st = State();
    void* remembered = st.currentRoot;
    st.currentRoot = nullptr;
    SetDependenceType(remembered, type);
    st.currentRoot = remembered;
    return true;
  });
}

void ReleaseSavedStructure(void) {
  tesmira::GuardedVoid([&] { FreeSavedStructure(); });
}
