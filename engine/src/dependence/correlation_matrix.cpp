// Exported operations on correlation matrices: initialisation, cells,
// verification by partial correlations and the rewrite as a canonical vine.
#include <algorithm>
#include <new>
#include <vector>

#include "dependence/partial_correlation.h"
#include "dependence/vine_slots.h"
#include "dependence/vines.h"
#include "model/export_guard.h"
#include "model/store.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira {

namespace {

struct TCanonicalValue {
  int level;
  int position;
  double value;
};

// Reads the upper triangle into M (left-aligned rows); false on an empty,
// unavailable or out-of-range cell.
bool ReadMatrix(int root, const std::vector<int>& nodes, int n, TWorkMatrix& m) {
  const std::vector<int> pos = MatrixPositions(root);
  for (int i = 1; i <= n - 1; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      int holder = 0, slot = 0;
      const int a = nodes[i], b = nodes[j];
      if (!NodeAt(a) || !NodeAt(b)) return false;
      if (!MatrixCellAt(a, pos[a], b, pos[b], holder, slot)) return false;
      const double x = ReadSlot(holder, slot);
      if (IsCorrNotSet(x) || IsCorrUnavailable(x) || !(x > -1.0 && x < 1.0)) return false;
      m.At(i, j - i) = x;
    }
  }
  return true;
}

// Turns the matrix headed by nodes[1] into a canonical vine in the same
// layout (a star stays a star, a chain a chain), so that positions are kept
// and the saved matrix swaps back with every cell where it was: the first
// level from the matrix's first row, the higher levels from the sweep.
void RewriteAsCanonicalVine(const std::vector<int>& nodes, int n,
                            const std::vector<double>& firstRow,
                            const std::vector<TCanonicalValue>& higher) {
  SetDependenceType(nullptr, DepCanonicalVine);
  std::vector<int> members(nodes.begin() + 1, nodes.begin() + n + 1);
  for (int i : members) SetNodeDepType(i, DepCanonicalVine);
  ResetVineValues(members);
  const bool mode = V1MatrixMode();
  SetV1MatrixMode(true);
  for (int k = 1; k <= n - 1; ++k) Vine_SetCorrValue(NodeAt(nodes[k + 1]), 1, firstRow[k]);
  for (const TCanonicalValue& c : higher)
    Vine_SetCorrValue(NodeAt(nodes[c.position]), c.level, c.value);
  SetV1MatrixMode(mode);
}

// Verifies (and with convert rewrites) the matrix headed by root, which is
// the current structure. Sets the message on failure.
bool VerifyOneMatrix(int root, bool convert, bool& saved) {
  const int n = LinkedNodesInStructure(root);
  const std::vector<int> nodes = NodesByPosition(root, n);
  if (n < 2 || nodes[n] == 0) return true;
  TWorkMatrix& m = ConversionMatrix();
  TWorkMatrix& q = MemoMatrix();
  m.Reset(0.0, n);
  q.Reset(MissingValue, n);
  if (!ReadMatrix(root, nodes, n, m)) {
    SetVineError(MsgEmptyCells);
    return false;
  }
  std::vector<double> firstRow(static_cast<std::size_t>(n), 0.0);
  for (int k = 1; k <= n - 1; ++k) firstRow[k] = m.At(1, k);
  std::vector<TCanonicalValue> higher;
  TCanonicalWriter record;
  if (convert) {
    higher.reserve(static_cast<std::size_t>(n) * (n - 1) / 2);
    record = [&higher](int level, int position, double value) {
      higher.push_back({level, position, value});
    };
  }
  if (!PartialCorrelationSweep(m, q, n, record)) {
    SetVineError(MsgNotPositiveDefinite);
    return false;
  }
  if (convert) {
    if (!saved) {
      SaveStructure();
      saved = true;
    }
    RewriteAsCanonicalVine(nodes, n, firstRow, higher);
  }
  return true;
}

}  // namespace

std::vector<int> StructureRootsOfType(int given, int type) {
  std::vector<int> roots;
  if (given) {
    roots.push_back(given);
    return roots;
  }
  StructureScanBegin();
  for (int guard = 0, n = NodeCount(); guard <= n; ++guard) {
    const int root = StructureScanNext();
    if (root == 0) break;
    if (NodeDepType(root) == type && std::find(roots.begin(), roots.end(), root) == roots.end())
      roots.push_back(root);
  }
  StructureScanEnd();
  return roots;
}

void MarkMatrixCellsNotSet(const std::vector<int>& members) {
  for (int i : members) {
    const int top = std::min(TopSlot, 2 * ChildCapacity(i));
    for (int s = 2 * ChildCount(i) + 1; s <= top; ++s) {
      if (float* v = NodeValuesV2(i)) v[s - 1] = static_cast<float>(CorrNotSet);
      if (int16_t* v = NodeValuesV1(i)) v[s - 1] = -1;
    }
  }
}

}  // namespace tesmira

using namespace tesmira;

bool CMatrix_Initialize(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    if (!Model() || CurrentStructureType() != DepCorrelationMatrix) return false;
    Update_dep_structure();
    MarkMatrixCellsNotSet(CurrentStructureMembers());
    return true;
  });
}

double CMatrix_GetCell(void* nodeA, void* nodeB) {
  return tesmira::Guarded<double>(0.0, [&]() -> double {
    const int a = NodeIndexOf(nodeA);
    const int b = NodeIndexOf(nodeB);
    if (a != 0 && a == b) return 1.0;
    int holder = 0, slot = 0;
    if (!MatrixCell(a, b, holder, slot)) return CorrUnavailable;
    return ReadSlot(holder, slot);
  });
}

bool CMatrix_SetCell(void* nodeA, void* nodeB, double x) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    const int a = NodeIndexOf(nodeA);
    const int b = NodeIndexOf(nodeB);
    int holder = 0, slot = 0;
    if (a == b || !(x > -1.0 && x < 1.0) || !MatrixCell(a, b, holder, slot)) return false;
    WriteSlot(holder, slot, x);
    return true;
  });
}

void AddAllNodesToStructure(void) {
  tesmira::GuardedVoid([&] {
    const int count = NodeCount();
    if (!Model() || count < 1) return;
    int root = CurrentRootIndex();
    if (root == 0) root = 1;
    // The root's child list is rebuilt in index order (child k is node k + 1
    // under root 1), so that matrix positions and node indexes coincide.
    for (int guard = 0; guard <= MaxChildren && ChildCount(root) > 0; ++guard)
      RemoveChild(ChildAt(root, 1), root);
    for (int i = 1; i <= count; ++i) {
      if (i == root) continue;
      if (const int p = ParentIndex(i)) RemoveChild(i, p);
      if (Design2())
        SetStoredParentIndex(i, 0);
      else
        SetNodeParentName(i, "");
      LinkVineChild(root, i);
    }
  });
}

bool CMatrix_Verify(bool convert) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    ClearVineError();
    if (!Model()) return false;
    void* const current = CurrentRoot();
    const int given = CurrentRootIndex();
    if (given) {
      if (NodeDepType(given) != DepCorrelationMatrix) {
        SetVineError(MsgNotMatrix);
        return false;
      }
      // A canonical vine saved from an earlier conversion of this matrix is
      // swapped back in (and only a canonical vine: another saved structure
      // must not be taken for one).
      if (convert && SavedStructureExists() && SavedDepType(given) == DepCanonicalVine &&
          MatchAndSwapDepStructures(DepCanonicalVine)) {
        if (CurrentStructureType() == DepCanonicalVine) return true;
        MatchAndSwapDepStructures(DepCorrelationMatrix);
      }
    }
    if (!AllocateWorkMatrices(NodeCount(), true)) {
      SetVineError(MsgNoMemory);
      return false;
    }
    // The structures are saved once, before the first rewrite, unless a saved
    // copy exists already (it may hold a D-vine that must survive).
    bool saved = SavedStructureExists();
    bool ok = true;
    try {
      for (int root : StructureRootsOfType(given, DepCorrelationMatrix)) {
        SetCurrentRoot(NodeAt(root));
        if (!VerifyOneMatrix(root, convert, saved)) {
          ok = false;
          break;
        }
      }
    } catch (const std::bad_alloc&) {
      SetVineError(MsgNoMemory);
      ok = false;
    }
    SetCurrentRoot(current);
    FreeWorkMatrices();
    return ok;
  });
}
