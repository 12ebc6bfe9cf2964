// Exported conversions between D-vines, canonical vines and correlation
// matrices. Each computes the new values of a structure completely before it
// rewrites the structure, so a failure or a cancel leaves that structure as
// it was; the structures are saved once, before the first rewrite.
#include <cmath>
#include <new>
#include <vector>

#include "dependence/partial_correlation.h"
#include "dependence/partial_peeling.h"
#include "dependence/rank_correlation.h"
#include "dependence/vine_slots.h"
#include "dependence/vines.h"
#include "model/export_guard.h"
#include "model/store.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira {

namespace {

constexpr std::string_view MsgNotCanonical = "The input structure is not a valid canonical vine. ";
constexpr std::string_view MsgIntermediate =
    "The intermediate correlation matrix is found to be NOT positive definite. ";
constexpr std::string_view MsgApproximation = "The approximation is not positive definite.";

// Progress of one conversion: the callback is called once per percent of
// the estimated work; a false answer cancels.
class TConversionProgress : public TWorkProgress {
 public:
  explicit TConversionProgress(TVineProgressCallback callback) : callback_(callback) {}

  void Start(double total) {
    step_ = total / 100.0;
    counter_ = 0.0;
    threshold_ = step_;
    percent_ = 1;
    if (callback_ && !callback_(1, 100)) cancelled_ = true;
  }

  bool Step() override {
    counter_ += 1.0;
    if (counter_ >= threshold_) {
      if (percent_ < 100) ++percent_;
      threshold_ = counter_ + step_;
      if (callback_ && !cancelled_ && !callback_(percent_, 100)) cancelled_ = true;
    }
    return !cancelled_;
  }

  bool Cancelled() const { return cancelled_; }

 private:
  TVineProgressCallback callback_;
  double counter_ = 0, threshold_ = 0, step_ = 1;
  int16_t percent_ = 0;
  bool cancelled_ = false;
};

// The structure headed by root: its nodes by position and the members.
struct TStructure {
  int root = 0;
  int n = 0;
  std::vector<int> nodes;  // 1..n
  std::vector<int> members;
};

bool ReadStructure(int root, TStructure& s) {
  s.root = root;
  s.n = LinkedNodesInStructure(root);
  s.nodes = NodesByPosition(root, s.n);
  s.members.clear();
  for (int i = 1, count = NodeCount(); i <= count; ++i)
    if (InStructure(i, root)) s.members.push_back(i);
  if (s.n < 2) return false;
  for (int k = 1; k <= s.n; ++k)
    if (s.nodes[k] == 0) return false;
  return true;
}

// Units of work: one per peeling step with a memo, one per call of the
// plain recursion without (a partial correlation given k positions costs
// (3^k - 1) / 2 calls).
double DVineEstimate(int n, int method) {
  double total = 0;
  for (int i = 2; i <= n - 1; ++i)
    total += method == PartialMethodPlain ? (n - i) * ((std::pow(3.0, i - 1) - 1.0) / 2.0 - (i - 1))
                                          : double(n - i) * (i - 1);
  return total;
}

double MatrixEstimate(int n, int method) {
  double total = 0;
  for (int e = 0; e <= n - 2; ++e)
    total += method == PartialMethodPlain ? (n - 1 - e) * (std::pow(3.0, e) - 1.0) / 2.0
                                          : double(n - 1 - e);
  return total;
}

// A stored value as a correlation: the not-set marker reads as 0.
double StoredValue(double x) {
  if (IsCorrNotSet(x)) return 0.0;
  return x;
}

void SetMembersType(const TStructure& s, int type) {
  SetDependenceType(nullptr, type);
  for (int i : s.members) SetNodeDepType(i, type);
}

// Writes the matrix held in m (1-based, full) into the structure.
void RewriteAsMatrix(const TStructure& s, const TWorkMatrix& m) {
  SetMembersType(s, DepCorrelationMatrix);
  MarkMatrixCellsNotSet(s.members);
  for (int k = 1; k < s.n; ++k)
    for (int l = k + 1; l <= s.n; ++l)
      CMatrix_SetCell(NodeAt(s.nodes[k]), NodeAt(s.nodes[l]), m.At(k, l));
}

// Turns the structure into a chain of D-vine values dvine[j][i] (positions
// j, j + i, 1-based j).
void RewriteAsDVine(const TStructure& s, const TCorrRows& dvine) {
  SetMembersType(s, DepDVine);
  ClearVineNodes(s.members, true);
  for (int k = 1; k < s.n; ++k) LinkVineChild(s.nodes[k], s.nodes[k + 1]);
  for (int j = 1; j < s.n; ++j)
    for (int i = 1; j + i <= s.n; ++i) Vine_SetCorrValue(NodeAt(s.nodes[j]), i, dvine[j][i]);
}

// The D-vine of the full matrix in m (1..n): every value into dvine first;
// false when cancelled or when a value is not strictly inside (-1, 1).
bool DVineOfWorkMatrix(int n, TPartialCorrelations& pc, int method, TWorkProgress& progress,
                       TCorrRows& dvine, bool& notDefinite) {
  dvine.assign(static_cast<std::size_t>(n) + 1,
               std::vector<double>(static_cast<std::size_t>(n) + 1, 0.0));
  for (int e = 0; e <= n - 2; ++e) {
    for (int row = 1; row <= n - 1 - e; ++row) {
      pc.SetPivot(row + 1);
      if (method > PartialMethodPlain) {
        pc.ResetMemo();
        if (!progress.Step()) return false;
      }
      const double v = pc.PartialCorr(row, row + e + 1, e);
      if (pc.Cancelled()) return false;
      if (!(v > -1.0 && v < 1.0)) {
        notDefinite = true;
        return false;
      }
      dvine[row][e + 1] = v;
    }
  }
  return true;
}

// The common start of the conversions: a saved structure of the target type
// for the given root is swapped in when it exists. True when that settled it.
bool SwapInSavedResult(int given, int source, int target) {
  if (!given || !SavedStructureExists() || SavedDepType(given) != target) return false;
  if (!MatchAndSwapDepStructures(target)) return false;
  if (CurrentStructureType() == target) return true;
  MatchAndSwapDepStructures(source);
  return false;
}

bool ValidMethod(int16_t& method) {
  if (method == 0) method = PartialMethodMemo;
  return method >= 1 && method <= 4;
}

// The frame of one conversion call: the structures of the source type with
// the estimate of their work, the progress, the save before the first
// rewrite, and on the way out the current structure restored and the work
// matrices freed.
class TConversion {
 public:
  TConversion(TVineProgressCallback callback, int16_t method)
      : progress_(callback),
        method_(method),
        current_(CurrentRoot()),
        given_(CurrentRootIndex()),
        mode_(V1MatrixMode()) {}
  ~TConversion() {
    SetV1MatrixMode(mode_);
    SetCurrentRoot(current_);
    FreeWorkMatrices();
  }

  int Given() const { return given_; }
  int Method() const { return method_; }
  TConversionProgress& Progress() { return progress_; }
  const std::vector<TStructure>& Structures() const { return structures_; }

  // Allocates the work matrices and starts the progress; false (with the
  // message) when the memory cannot be had.
  bool Begin(int source, bool withMemo, double (*estimate)(int n, int method)) {
    if (!AllocateWorkMatrices(NodeCount(), withMemo)) {
      SetVineError(MsgNoMemory);
      return false;
    }
    double total = 0;
    for (int root : StructureRootsOfType(given_, source)) {
      TStructure s;
      if (!ReadStructure(root, s)) continue;
      total += estimate(s.n, method_);
      structures_.push_back(std::move(s));
    }
    progress_.Start(total);
    return true;
  }

  void SaveOnce() {
    if (!saved_) saved_ = SaveStructure();
  }
  bool Saved() const { return saved_; }

  // Rewrites s as the matrix in the conversion matrix M.
  void WriteMatrix(const TStructure& s) {
    SaveOnce();
    SetV1MatrixMode(true);
    RewriteAsMatrix(s, ConversionMatrix());
    SetV1MatrixMode(mode_);
  }

  // The D-vine of the matrix in M, then s rewritten as that D-vine; false
  // when cancelled or not positive definite (s is left as it was).
  bool WriteDVineOfMatrix(const TStructure& s) {
    TPartialCorrelations pc(ConversionMatrix(),
                            method_ > PartialMethodPlain ? &MemoMatrix() : nullptr, s.n, method_,
                            &progress_);
    TCorrRows dvine;
    bool notDefinite = false;
    if (!DVineOfWorkMatrix(s.n, pc, method_, progress_, dvine, notDefinite)) {
      if (notDefinite) SetVineError(MsgNotPositiveDefinite);
      return false;
    }
    SaveOnce();
    RewriteAsDVine(s, dvine);
    return true;
  }

 private:
  TConversionProgress progress_;
  int method_;
  void* current_;
  int given_;
  bool mode_;
  bool saved_ = false;
  std::vector<TStructure> structures_;
};

// The canonical values of s (levels 1 and up, from the first row of M and
// the partial-correlation sweep); false when the sweep finds M not
// positive definite.
bool WriteCanonicalOfMatrix(TConversion& frame, const TStructure& s) {
  TWorkMatrix& m = ConversionMatrix();
  std::vector<double> firstRow(static_cast<std::size_t>(s.n) + 1, 0.0);
  for (int k = 1; k <= s.n - 1; ++k) firstRow[k] = m.At(1, k + 1);
  for (int r = 1; r <= s.n - 1; ++r)
    for (int k = 1; k <= s.n - r; ++k) m.At(r, k) = m.At(r, r + k);  // left-aligned rows
  struct TValue {
    int level, position;
    double value;
  };
  std::vector<TValue> higher;
  if (!PartialCorrelationSweep(m, MemoMatrix(), s.n,
                               [&higher](int level, int position, double value) {
                                 higher.push_back({level, position, value});
                               }))
    return false;
  frame.SaveOnce();
  const bool mode = V1MatrixMode();
  SetV1MatrixMode(true);
  SetMembersType(s, DepCanonicalVine);
  if (frame.Given() != 0) {
    // The structure becomes a star: every further node under the first.
    ClearVineNodes(s.members, true);
    for (int k = 2; k <= s.n; ++k) LinkVineChild(s.nodes[1], s.nodes[k]);
  } else {
    ResetVineValues(s.members);
  }
  for (int k = 1; k <= s.n - 1; ++k) Vine_SetCorrValue(NodeAt(s.nodes[k + 1]), 1, firstRow[k]);
  for (const TValue& v : higher) Vine_SetCorrValue(NodeAt(s.nodes[v.position]), v.level, v.value);
  SetV1MatrixMode(mode);
  return true;
}

// D-vine s peeled into M; false when cancelled or failed.
bool PeelDVine(TConversion& frame, const TStructure& s, bool withMemo) {
  const int method = frame.Method();
  TWorkMatrix& m = ConversionMatrix();
  m.Reset(0.0, s.n);
  TPartialCorrelations pc(m, withMemo ? &MemoMatrix() : nullptr, s.n, method, &frame.Progress());
  for (int i = 1; i <= s.n - 1 && !pc.Cancelled(); ++i) {
    for (int j = 1; j <= s.n - i && !pc.Cancelled(); ++j) {
      pc.SetPivot(j + 1);
      if (method > PartialMethodPlain) pc.ResetMemo();
      double x = StoredValue(Vine_GetCorrValue(NodeAt(s.nodes[j]), i));
      if (!(x >= -1.0 && x <= 1.0)) x = 0.0;  // an unavailable level counts as independent
      if (i > 1) x = RankToProduct(true, x);
      pc.PeelToMatrix(j, j + i, i - 1, x);
    }
  }
  if (pc.Failed()) SetVineError(MsgApproximation);
  return !pc.Cancelled() && !frame.Progress().Cancelled();
}

}  // namespace

}  // namespace tesmira

using namespace tesmira;

int32_t Vine_MorvikToCMatrix(TVineProgressCallback callback, int16_t method, bool toCanonical) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ClearVineError();
    if (!Model() || !ValidMethod(method)) return 0;
    TConversion frame(callback, method);
    if (frame.Given() && NodeDepType(frame.Given()) != DepDVine) {
      SetVineError(MsgNotVine);
      return 0;
    }
    if (SwapInSavedResult(frame.Given(), DepDVine,
                          toCanonical ? DepCanonicalVine : DepCorrelationMatrix))
      return 1;
    const bool withMemo = toCanonical || method > PartialMethodPlain;
    if (!frame.Begin(DepDVine, withMemo, DVineEstimate)) return 0;
    try {
      for (const TStructure& s : frame.Structures()) {
        if (frame.Progress().Cancelled()) return 0;
        SetCurrentRoot(NodeAt(s.root));
        if (!PeelDVine(frame, s, withMemo)) return 0;
        if (!toCanonical) {
          frame.WriteMatrix(s);
        } else if (!WriteCanonicalOfMatrix(frame, s)) {
          // Every structure returns to its state before the call.
          SetVineError(MsgIntermediate);
          if (frame.Saved()) {
            RestoreSavedStructure();
            FreeSavedStructure();
          }
          return 0;
        }
      }
    } catch (const std::bad_alloc&) {
      SetVineError(MsgNoMemory);
      return 0;
    }
    return 1;
  });
}

int32_t Vine_MorvikToCanonical(TVineProgressCallback callback, int16_t method) {
  return tesmira::Guarded<int32_t>(
      0, [&]() -> int32_t { return Vine_MorvikToCMatrix(callback, method, true); });
}

int32_t CMatrix_toMorvik(TVineProgressCallback callback, int16_t method) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ClearVineError();
    if (!Model() || !ValidMethod(method)) return 0;
    TConversion frame(callback, method);
    if (frame.Given() && NodeDepType(frame.Given()) != DepCorrelationMatrix) {
      SetVineError(MsgNotMatrix);
      return 0;
    }
    if (SwapInSavedResult(frame.Given(), DepCorrelationMatrix, DepDVine)) return 1;
    if (!frame.Begin(DepCorrelationMatrix, method > PartialMethodPlain, MatrixEstimate)) return 0;
    TWorkMatrix& m = ConversionMatrix();
    try {
      for (const TStructure& s : frame.Structures()) {
        if (frame.Progress().Cancelled()) return 0;
        SetCurrentRoot(NodeAt(s.root));
        m.Reset(0.0, s.n);
        for (int i = 1; i <= s.n; ++i)
          for (int j = 1; j <= s.n; ++j) {
            const double x = CMatrix_GetCell(NodeAt(s.nodes[i]), NodeAt(s.nodes[j]));
            if (IsCorrNotSet(x) || IsCorrUnavailable(x) || !(x >= -1.0 && x <= 1.0)) {
              SetVineError(MsgEmptyCells);
              return 0;
            }
            m.At(i, j) = x;
          }
        if (!frame.WriteDVineOfMatrix(s)) return 0;
      }
    } catch (const std::bad_alloc&) {
      SetVineError(MsgNoMemory);
      return 0;
    }
    return 1;
  });
}

namespace {

double CanonicalEstimate(int n, int) { return n; }

}  // namespace

bool CanVine_toCMatrix(bool toMorvik, TVineProgressCallback callback, int16_t method) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    ClearVineError();
    if (!Model()) return false;
    if (CurrentStructureType() != DepCanonicalVine) {
      SetVineError(MsgNotCanonical);
      return false;
    }
    if (!ValidMethod(method)) return false;
    TConversion frame(callback, method);
    if (SwapInSavedResult(frame.Given(), DepCanonicalVine,
                          toMorvik ? DepDVine : DepCorrelationMatrix))
      return true;
    if (!frame.Begin(DepCanonicalVine, method > PartialMethodPlain,
                     toMorvik ? MatrixEstimate : CanonicalEstimate))
      return false;
    TWorkMatrix& m = ConversionMatrix();
    try {
      for (const TStructure& s : frame.Structures()) {
        if (frame.Progress().Cancelled()) return false;
        SetCurrentRoot(NodeAt(s.root));
        TCorrRows canonical(static_cast<std::size_t>(s.n));
        for (int p = 2; p <= s.n; ++p) {
          canonical[p - 1].assign(static_cast<std::size_t>(p), 0.0);
          for (int l = 1; l <= p - 1; ++l) {
            const double x = StoredValue(Vine_GetCorrValue(NodeAt(s.nodes[p]), l));
            canonical[p - 1][l] = x >= -1.0 && x <= 1.0 ? x : 0.0;
          }
        }
        TCorrRows r;
        MatrixFromCanonical(canonical, r);
        m.Reset(0.0, s.n);
        for (int i = 1; i <= s.n; ++i)
          for (int j = 1; j <= s.n; ++j) m.At(i, j) = r[i - 1][j - 1];
        if (!toMorvik) {
          frame.WriteMatrix(s);
          for (int k = 0; k < s.n; ++k) frame.Progress().Step();
        } else if (!frame.WriteDVineOfMatrix(s)) {
          return false;
        }
      }
    } catch (const std::bad_alloc&) {
      SetVineError(MsgNoMemory);
      return false;
    }
    return true;
  });
}
