#include "dependence/vine_slots.h"

#include <algorithm>
#include <cmath>

#include "model/store.h"
#include "tesmira/records.h"
#include "tesmira/structures.h"

namespace tesmira {

namespace {

std::string& ErrorText() {
  static std::string text;
  return text;
}

// Position of node i for matrix cells: its place on the chain of first
// children from root (root = 1), or its table index when it is not on it.
int MatrixPosition(int root, int i) {
  if (root == 0) return i;
  int x = root;
  const int count = NodeCount();
  for (int step = 0; step <= count && x != 0; ++step) {
    if (x == i) return step + 1;
    x = ChildAt(x, 1);
  }
  return i;
}

}  // namespace

void ClearVineError() { ErrorText().clear(); }

void SetVineError(std::string_view text) { ErrorText().assign(text.substr(0, 255)); }

const std::string& VineError() { return ErrorText(); }

bool IsCorrNotSet(double x) { return std::fabs(x - CorrNotSet) < 1e-9; }

bool IsCorrUnavailable(double x) { return std::fabs(x - CorrUnavailable) < 1e-9; }

std::vector<int> CurrentStructureMembers() {
  std::vector<int> members;
  const int count = NodeCount();
  const int root = CurrentRootIndex();
  const bool all = root == 0 || ChildCount(root) == 0;
  for (int i = 1; i <= count; ++i)
    if (all || InStructure(i, root)) members.push_back(i);
  return members;
}

int NodeAtPosition(int root, int c) {
  if (!NodeAt(root) || c < 1) return 0;
  if (c == 1) return root;
  if (ChildCount(root) >= c - 1) {
    const int child = ChildAt(root, c - 1);
    return NodeAt(child) ? child : 0;  // a corrupt child index is no node
  }
  int x = root;
  for (int step = 1; step < c; ++step) {
    x = ChildAt(x, 1);
    if (!NodeAt(x)) return 0;
  }
  return x;
}

std::vector<int> NodesByPosition(int root, int n) {
  std::vector<int> nodes(static_cast<std::size_t>(std::max(n, 0)) + 1, 0);
  if (!NodeAt(root) || n < 1) return nodes;
  const int k = ChildCount(root);
  int chain = root;  // the node c-1 steps down the chain of first children
  for (int c = 1; c <= n; ++c) {
    if (c > 1 && chain != 0) {
      chain = ChildAt(chain, 1);
      if (!NodeAt(chain)) chain = 0;
    }
    nodes[c] = c == 1 ? root : (k >= c - 1 ? ChildAt(root, c - 1) : chain);
    if (!NodeAt(nodes[c])) nodes[c] = 0;  // a corrupt child index is no node
  }
  return nodes;
}

int LinkedNodesInStructure(int root) {
  if (!NodeAt(root)) return 0;
  int n = 0;
  const int count = NodeCount();
  for (int i = 1; i <= count; ++i)
    if (InStructure(i, root) && IsLinkedNode(i)) ++n;
  return n;
}

bool CurrentIsVine() { return IsVine(nullptr); }

bool CurrentIsMatrix() { return CurrentStructureType() == DepCorrelationMatrix; }

int VineSlot(int node, int level) {
  if (!CurrentIsVine() || !NodeAt(node) || level < 1 || level > TopSlot) return 0;
  if (!Design2() && NodeParentName(node).empty()) return 0;
  const int slot = level + 2 * ChildCount(node);
  return slot <= TopSlot ? slot : 0;
}

bool MatrixCell(int a, int b, int& holder, int& slot) {
  holder = slot = 0;
  if (a == b || !NodeAt(a) || !NodeAt(b) || !CurrentIsMatrix()) return false;
  const int root = CurrentRootIndex();
  return MatrixCellAt(a, MatrixPosition(root, a), b, MatrixPosition(root, b), holder, slot);
}

std::vector<int> MatrixPositions(int root) {
  const int count = NodeCount();
  std::vector<int> pos(static_cast<std::size_t>(count) + 1);
  for (int i = 0; i <= count; ++i) pos[i] = i;
  std::vector<bool> seen(static_cast<std::size_t>(count) + 1, false);
  int x = root;
  for (int step = 0; step < count && NodeAt(x) && !seen[x]; ++step) {
    seen[x] = true;  // a chain that loops back ends here
    pos[x] = step + 1;
    x = ChildAt(x, 1);
  }
  return pos;
}

bool MatrixCellAt(int a, int pa, int b, int pb, int& holder, int& slot) {
  holder = slot = 0;
  if (a == b || !NodeAt(a) || !NodeAt(b)) return false;
  if (pa == pb) return false;  // two nodes claiming one place: no cell
  const int low = pa < pb ? a : b;
  const int high = std::max(pa, pb);
  if (high <= TopSlot) {
    holder = low;
    slot = high + 2 * ChildCount(low);
  } else {
    holder = high - TopSlot;
    if (!NodeAt(holder)) return false;
    slot = low + 2 * ChildCount(holder);
  }
  return holder <= MaxNodes && slot >= 1 && slot <= TopSlot;
}

double ReadSlot(int i, int s) {
  if (s < 1 || s > TopSlot) return CorrUnavailable;
  if (const float* v = NodeValuesV2(i)) return v[s - 1];
  if (const int16_t* v = NodeValuesV1(i)) return DecodeCorrV1(v[s - 1]);
  return CorrUnavailable;
}

bool WriteSlot(int i, int s, double x) {
  if (s < 1 || s > TopSlot) return false;
  if (float* v = NodeValuesV2(i)) {
    // The stored single is compared with x itself: a value that a single
    // cannot hold exactly always counts as a change.
    if (static_cast<double>(v[s - 1]) == x) return false;
    v[s - 1] = static_cast<float>(x);
    return true;
  }
  if (int16_t* v = NodeValuesV1(i)) {
    const int16_t code = EncodeCorrV1(x);
    if (v[s - 1] == code) return false;
    v[s - 1] = code;
    return true;
  }
  return false;
}

double ReadRawSlot(int i, int s) {
  if (s < 1 || s > TopSlot) return 0.0;
  if (const float* v = NodeValuesV2(i)) return v[s - 1];
  if (const int16_t* v = NodeValuesV1(i)) return v[s - 1];
  return 0.0;
}

void WriteRawSlot(int i, int s, double raw) {
  if (s < 1 || s > TopSlot) return;
  if (float* v = NodeValuesV2(i)) v[s - 1] = static_cast<float>(raw);
  if (int16_t* v = NodeValuesV1(i)) v[s - 1] = static_cast<int16_t>(raw);
}

}  // namespace tesmira
