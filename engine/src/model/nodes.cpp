// Node access for both layouts and the internal tree queries.
// Every walk along parent or child links is bounded by the node count.
#include <cmath>
#include <cstring>

#include "model/short_string.h"
#include "model/store_state.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {

using detail::State;

namespace {

constexpr std::string_view kDepTypeTitles[] = {
    "Composite Node",     "Dependence Tree", "???",    "Dependence Tree",
    "Correlation Matrix", "Canonical Vine",  "D-Vine", "User-defined Vine"};

constexpr std::string_view kCopulaTitles[] = {"Frank",
                                              "Diagonal Band",
                                              "Minimum Information",
                                              "Elliptical",
                                              "Normal",
                                              "Clayton - Lower Negative Clayton",
                                              "AntiClayton - Upper Negative Clayton",
                                              "Clayton - Upper Negative Clayton",
                                              "AntiClayton - Lower Negative Clayton",
                                              "Gumbel - Lower Negative Gumbel",
                                              "AntiGumbel - Upper Negative Gumbel",
                                              "Gumbel - Upper Negative Gumbel",
                                              "AntiGumbel - Lower Negative Gumbel"};

bool StartsWithVine(std::string_view s, bool anyCase) {
  if (s.size() < 5) return false;
  if (anyCase) return SameName(s.substr(0, 5), "VINE~");
  return s.substr(0, 5) == "VINE~";
}

}  // namespace

std::string_view DependenceTypeTitle(int type) {
  if (type < -3 || type > 4) return {};
  return kDepTypeTitles[type + 3];
}

std::string_view CopulaTitle(int copula) {
  if (copula < 0 || copula > 12) return {};
  return kCopulaTitles[copula];
}

// ---- table -----------------------------------------------------------------

int NodeCount() {
  const TModelRecord* m = Model();
  return m ? std::clamp(m->nodeCount, 0, static_cast<int>(MaxNodes)) : 0;
}

void* NodeAt(int i) {
  if (i < 1 || i > NodeCount()) return nullptr;
  return Model()->nodes[i];
}

TDepNodeV2* NodeV2(int i) { return Design2() ? static_cast<TDepNodeV2*>(NodeAt(i)) : nullptr; }

TDepNodeV1* NodeV1(int i) { return Design2() ? nullptr : static_cast<TDepNodeV1*>(NodeAt(i)); }

int NodeIndexOf(const void* node) {
  if (!node) return 0;
  for (int i = 1; i <= NodeCount(); ++i)
    if (Model()->nodes[i] == node) return i;
  return 0;
}

std::string NodeVariableName(const void* node) {
  if (!node) return {};
  if (Design2()) return std::string(ShortStringView(static_cast<const TDepNodeV2*>(node)->varName));
  return std::string(ShortStringView(static_cast<const TDepNodeV1*>(node)->varName));
}

std::string NodeStructureName(const void* node) {
  if (!node) return {};
  if (Design2())
    return std::string(ShortStringView(static_cast<const TDepNodeV2*>(node)->structName));
  return std::string(ShortStringView(static_cast<const TDepNodeV1*>(node)->varName));
}

void SetNodeVariableName(void* node, std::string_view name) {
  if (!node) return;
  name = NameOf(name);
  if (Design2())
    SetShortString(static_cast<TDepNodeV2*>(node)->varName, name);
  else
    SetShortString(static_cast<TDepNodeV1*>(node)->varName, name);
}

void SetNodeStructureName(void* node, std::string_view name) {
  if (!node || !Design2()) return;
  SetShortString(static_cast<TDepNodeV2*>(node)->structName, NameOf(name));
}

int NodeIndexByName(std::string_view name) {
  name = NameOf(name);
  if (name.empty()) return 0;
  for (int i = 1; i <= NodeCount(); ++i) {
    const void* node = Model()->nodes[i];
    if (!node) continue;
    if (SameName(NodeVariableName(node), name)) return i;
    if (Design2() && SameName(NodeStructureName(node), name)) return i;
  }
  return 0;
}

TExtendedRandomVariable* VariableOfNode(const void* node) {
  if (!node) return nullptr;
  return VariableAt(VariableIndexByName(NodeVariableName(node)));
}

std::string NodeParentName(int i) {
  const TDepNodeV1* n = NodeV1(i);
  return n ? std::string(ShortStringView(n->parentName)) : std::string();
}

void SetNodeParentName(int i, std::string_view name) {
  if (TDepNodeV1* n = NodeV1(i)) SetShortString(n->parentName, NameOf(name));
}

// ---- fields ------------------------------------------------------------------

int NodeDepType(int i) {
  if (const TDepNodeV2* n = NodeV2(i)) return n->depType;
  if (const TDepNodeV1* n = NodeV1(i)) return n->typeBits >> 3;
  return 0;
}

void SetNodeDepType(int i, int type) {
  if (TDepNodeV2* n = NodeV2(i)) {
    n->depType = static_cast<int16_t>(type);
  } else if (TDepNodeV1* v = NodeV1(i)) {
    if (type < 0 || type > 31) return;  // the old layout has no composite or latent nodes
    v->typeBits = static_cast<uint8_t>((v->typeBits & 7u) | (static_cast<unsigned>(type) << 3));
  }
}

int NodeCopula(int i) {
  if (const TDepNodeV2* n = NodeV2(i)) return n->copula;
  if (const TDepNodeV1* n = NodeV1(i)) return n->typeBits & 3;
  return 0;
}

void SetNodeCopula(int i, int copula) {
  if (TDepNodeV2* n = NodeV2(i)) {
    n->copula = static_cast<int16_t>(copula);
  } else if (TDepNodeV1* v = NodeV1(i)) {
    if (copula < 0 || copula > 3) return;  // the old layout stores 0..3 only
    v->typeBits = static_cast<uint8_t>((v->typeBits & ~3u) | static_cast<unsigned>(copula));
  }
}

double NodeCorrelation(int i) {
  if (const TDepNodeV2* n = NodeV2(i)) return n->rankCorr;
  if (const TDepNodeV1* n = NodeV1(i)) return n->rankCorr;
  return 0.0;
}

void SetNodeCorrelation(int i, double value) {
  if (TDepNodeV2* n = NodeV2(i)) n->rankCorr = value;
  if (TDepNodeV1* n = NodeV1(i)) n->rankCorr = value;
}

int NodeVineLevel(int i) {
  if (const TDepNodeV2* n = NodeV2(i)) return n->vineLevel;
  if (const TDepNodeV1* n = NodeV1(i)) return n->vineLevel;
  return 0;
}

void SetNodeVineLevel(int i, int level) {
  if (TDepNodeV2* n = NodeV2(i)) n->vineLevel = static_cast<int16_t>(level);
  if (TDepNodeV1* n = NodeV1(i)) n->vineLevel = level;
}

float* NodeValuesV2(int i) {
  TDepNodeV2* n = NodeV2(i);
  return n ? n->values : nullptr;
}

int16_t* NodeValuesV1(int i) {
  TDepNodeV1* n = NodeV1(i);
  return n ? n->u.values : nullptr;
}

// ---- children -----------------------------------------------------------------

int ChildCapacity(int /*i*/) { return MaxChildren; }

int ChildCount(int i) {
  if (const TDepNodeV2* n = NodeV2(i)) return std::clamp<int>(n->childCount, 0, MaxChildren);
  if (const TDepNodeV1* n = NodeV1(i)) return n->childCount;
  return 0;
}

int ChildAt(int i, int k) {
  if (k < 1 || k > ChildCount(i)) return 0;
  if (const TDepNodeV2* n = NodeV2(i)) return n->children[k - 1];
  if (const TDepNodeV1* n = NodeV1(i)) return n->u.children[k - 1];
  return 0;
}

namespace {

bool ListsChild(int parent, int child) {
  int n = ChildCount(parent);
  for (int k = 1; k <= n; ++k)
    if (ChildAt(parent, k) == child) return true;
  return false;
}

void AppendChild(int parent, int child) {
  TDepNodeV2* p = NodeV2(parent);
  if (!p) return;
  int n = ChildCount(parent);
  if (n >= MaxChildren || ListsChild(parent, child)) return;
  p->children[n] = static_cast<int16_t>(child);
  p->childCount = static_cast<int16_t>(n + 1);
}

}  // namespace

int RemoveChild(int child, int parent) {
  int n = ChildCount(parent);
  for (int k = 1; k <= n; ++k) {
    if (ChildAt(parent, k) != child) continue;
    if (TDepNodeV2* p = NodeV2(parent)) {
      for (int j = k; j < n; ++j) p->children[j - 1] = p->children[j];
      p->children[n - 1] = 0;
      p->childCount = static_cast<int16_t>(n - 1);
    } else if (TDepNodeV1* v = NodeV1(parent)) {
      for (int j = k; j < n; ++j) v->u.children[j - 1] = v->u.children[j];
      v->u.children[n - 1] = 0;
      v->childCount = static_cast<uint8_t>(n - 1);
    }
    return k;
  }
  return 0;
}

// ---- links ----------------------------------------------------------------------

int StoredParentIndex(int i) {
  const TDepNodeV2* n = NodeV2(i);
  return n ? n->parent : 0;
}

void SetStoredParentIndex(int i, int parent) {
  if (TDepNodeV2* n = NodeV2(i)) n->parent = static_cast<int16_t>(parent);
}

int ParentIndex(int i) {
  int count = NodeCount();
  if (i < 1 || i > count) return 0;
  if (Design2()) {
    int p = StoredParentIndex(i);
    if (p >= 1 && p <= count) return p == i ? 0 : p;
  }
  for (int j = 1; j <= count; ++j)
    if (j != i && ListsChild(j, i)) return j;
  if (!Design2()) {
    // The parent names are authoritative for models of the old design.
    std::string pn = NodeParentName(i);
    if (!pn.empty() && !SameName(pn, "ROOT") && !StartsWithVine(pn, true)) {
      for (int j = 1; j <= count; ++j)
        if (j != i && SameName(NodeVariableName(NodeAt(j)), pn)) return j;
    }
  }
  return 0;
}

int StructureRootOf(int i) {
  int count = NodeCount();
  if (i < 1 || i > count) return 0;
  int r = i;
  for (int steps = 0; steps < count; ++steps) {
    int p = ParentIndex(r);
    if (p == 0 || p == i) break;
    r = p;
  }
  return r;
}

bool IsStructureHead(int i, bool withComposite) {
  if (!NodeAt(i)) return false;
  if (Design2()) return ParentIndex(i) == 0 || (withComposite && IsCompositeType(i));
  std::string pn = NodeParentName(i);
  if (pn.empty() || SameName(pn, "ROOT") || StartsWithVine(pn, false)) return true;
  return withComposite && StartsWithVine(pn, true);
}

bool IsLinkedNode(int i) {
  if (!NodeAt(i)) return false;
  if (ChildCount(i) > 0 || ParentIndex(i) != 0) return true;
  if (!Design2()) {
    std::string pn = NodeParentName(i);
    return !pn.empty() && !SameName(pn, "ROOT");
  }
  return false;
}

bool InStructure(int i, int root) {
  if (!NodeAt(i)) return false;
  if (root == 0) return ChildCount(i) == 0 && ParentIndex(i) == 0;
  if (i == root) return true;
  int x = i;
  for (int steps = 0; steps < MaxChildren; ++steps) {
    x = ParentIndex(x);
    if (x == 0) return false;
    if (x == root) return true;
  }
  return false;
}

int ResolveNode(const void* node, bool fallback) {
  if (int i = NodeIndexOf(node)) return i;
  if (int r = NodeIndexOf(State().currentRoot)) return r;
  if (fallback && NodeCount() >= 1) return 1;
  return 0;
}

bool IsTreeOrLatent(int i) {
  int t = NodeDepType(i);
  return NodeAt(i) && (t == DepTree || t == DepLatentNode);
}
bool IsVineType(int i) {
  int t = NodeDepType(i);
  return NodeAt(i) && t >= DepCanonicalVine && t <= DepUserVine;
}
bool IsVineOrMatrixType(int i) {
  int t = NodeDepType(i);
  return NodeAt(i) && t >= DepCorrelationMatrix && t <= DepUserVine;
}
bool IsCompositeType(int i) { return NodeAt(i) && NodeDepType(i) == DepCompositeNode; }
bool IsLatentType(int i) { return NodeAt(i) && NodeDepType(i) == DepLatentNode; }
bool IsVineHeadWithChildren(int i) {
  if (ChildCount(i) == 0 || !IsVineOrMatrixType(i)) return false;
  int p = ParentIndex(i);
  return p == 0 || IsCompositeType(p);
}
bool IsDVineSampled(int i) {
  return NodeAt(i) && NodeDepType(i) == DepDVine && !State().oldDiagonalBand;
}
bool IsNormalVine(int i) { return IsVineType(i) && NodeCopula(i) == CopulaNormal; }
bool IsCanonicalVineNode(int i) { return NodeAt(i) && NodeDepType(i) == DepCanonicalVine; }

// ---- attaching (TDepNodeV2 only) ------------------------------------------------

namespace {

// Creates a composite node standing for the vine headed by `vine` and
// returns its index (0 when the table is full).
int NewCompositeNode(int vine) {
  void* out = nullptr;
  int32_t size = 0;
  int k = Create_dep_node(nullptr, &out, &size);
  if (k <= 0) return 0;
  SetNodeVariableName(out, "COMP_NODE" + std::to_string(k));
  SetNodeDepType(k, DepCompositeNode);
  SetNodeStructureName(out, NodeStructureName(NodeAt(vine)));
  SetNodeCopula(k, NodeCopula(vine));
  return k;
}

// Moves child under parent, detaching it from any former parent first.
void Relink(int parent, int child) {
  int old = ParentIndex(child);
  if (old) RemoveChild(child, old);
  SetStoredParentIndex(child, 0);
  AttachChild(parent, child);
}

// The composite node above a vine head (created when missing); 0 on failure.
// A member of a vine or matrix gets none: moving it would tear its structure
// apart. A new composite node takes the head's place below a tree node.
int CompositeAbove(int vine) {
  int p = ParentIndex(vine);
  if (p && IsCompositeType(p)) return p;
  if (p && !IsTreeOrLatent(p)) return 0;
  int k = NewCompositeNode(vine);
  if (k == 0) return 0;
  if (p) RemoveChild(vine, p);
  SetStoredParentIndex(vine, 0);
  AttachChild(k, vine);
  if (p) AttachChild(p, k);
  return k;
}

void AttachChildBounded(int x, int c, int depth);

}  // namespace

void AttachChild(int parent, int child) { AttachChildBounded(parent, child, 0); }

namespace {

void AttachChildBounded(int x, int c, int depth) {
  if (!Design2() || depth > 8) return;
  if (!NodeAt(x) || !NodeAt(c) || x == c) return;
  int cp = ParentIndex(c);
  // A vine that already hangs under a composite node is attached through
  // that composite node (step 1 below reuses it).
  bool viaComposite = IsTreeOrLatent(x) && IsVineType(c) && IsCompositeType(cp);
  if (cp != 0 && cp != x && !viaComposite) return;
  if (ChildCount(x) >= MaxChildren && !ListsChild(x, c)) return;
  // A node never goes below its own descendants (nor does the composite
  // node above it): that would close a loop.
  int count = NodeCount();
  for (int a = x, steps = 0; a != 0 && steps <= count; a = ParentIndex(a), ++steps)
    if (a == c || (cp != 0 && a == cp && IsCompositeType(cp))) return;

  if (IsTreeOrLatent(x) && IsVineType(c)) {
    // 1. a vine below a tree node hangs under a composite node.
    int k = CompositeAbove(c);
    if (k == 0 || k == x) return;
    if (cp == x) {
      RemoveChild(c, x);
    }
    AttachChildBounded(x, k, depth + 1);
    return;
  }
  if (IsVineType(x) && IsTreeOrLatent(c)) {
    // 2. a tree node below a vine hangs under the vine's composite node.
    int xp = ParentIndex(x);
    if (xp && IsCompositeType(xp)) {
      if (cp == x) RemoveChild(c, x), SetStoredParentIndex(c, 0);
      AttachChildBounded(xp, c, depth + 1);
      return;
    }
    int k = CompositeAbove(x);
    if (k == 0) return;
    if (cp == x) RemoveChild(c, x), SetStoredParentIndex(c, 0);
    AttachChildBounded(k, c, depth + 1);
    return;
  }
  if (IsVineHeadWithChildren(x) && IsVineHeadWithChildren(c)) {
    // 3. two vine or matrix heads are joined through their composite nodes.
    int kx = CompositeAbove(x);
    int kc = CompositeAbove(c);
    if (kx == 0 || kc == 0 || kx == kc) return;
    Relink(kx, kc);
    return;
  }
  // 4. a plain link.
  AppendChild(x, c);
  if (ListsChild(x, c)) SetStoredParentIndex(c, x);
}

}  // namespace

// ---- the old design's int16 correlation codes ---------------------------------------

bool V1MatrixMode() { return State().v1MatrixMode; }
void SetV1MatrixMode(bool on) { State().v1MatrixMode = on; }

int16_t EncodeCorrV1(double value) {
  if (std::isnan(value)) return 0;
  double scaled = std::nearbyint(std::clamp(value, -1.0, 1.0) * 32000.0);
  auto code = static_cast<int16_t>(scaled);
  if (State().v1MatrixMode) {
    // +1 and -1 are kept just inside the open interval (the documented 32001
    // for -1 would read back as +1.00003).
    if (code == 32000) return 31999;
    if (code == -32000) return -31999;
    if (code == -1 || code == -2) return 0;
  }
  return code;
}

double DecodeCorrV1(int16_t code) {
  if (State().v1MatrixMode && (code == -1 || code == -2)) return 0.0;
  if (code == 32001) return -31999.0 / 32000.0;  // written by the old program for -1
  return std::clamp(code / 32000.0, -1.0, 1.0);
}

}  // namespace tesmira
