// Switching the current dependence structure between a correlation matrix,
// a canonical vine, a D-vine and a user-defined vine, and the vine commands
// Transcend, Erase and Add New. The logic runs over the engine and reaches
// the dependence panel through a small interface, so that it runs without a
// window.
//
// A conversion that is refused, fails or is cancelled leaves the structure,
// its type, the saved type, the "Matrix view" box, the type combo and the undo
// history as they were; the history is cleared only when a conversion went
// through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tesmira/vines.h"

namespace tesmira::wb {

class TWorkbench;

// The controls of the dependence panel that the conversions read and set.
class IConversionPanel {
 public:
  virtual ~IConversionPanel() = default;
  // "Matrix view": set by the code without the box's click handler running.
  virtual bool MatrixViewChecked() = 0;
  virtual void SetMatrixViewChecked(bool checked) = 0;
  // The structure-type combo: 0 "Correlation matrix", 1 "Canonical", 2 "D-vine", -1 none.
  virtual int VinesTypeIndex() = 0;
  virtual void SetVinesTypeIndex(int index) = 0;
  // The text of the correlation edit (m_edtDepRank).
  virtual std::string CorrelationText() = 0;
  // Selects the grid cell (1-based row and column of the matrix) and focuses the grid.
  virtual void SelectMatrixCell(int row, int column) = 0;
  virtual void SetMatrixPanelEnabled(bool enabled) = 0;
  // The tree and vine buttons and the type controls follow the current type.
  virtual void SyncDependenceButtons() = 0;
  virtual void UpdateVineButtons() = 0;
  // The dependence view refilled from the model (UpdateView 0x010).
  virtual void RefreshView() = 0;
  // The selection described again (the vine view's cell or the tree's item).
  virtual void DescribeSelection() = 0;

  // A long conversion: the main window hidden while it runs; the progress
  // window shown on the engine's first report, then fed; false from
  // ProgressFunc cancels.
  virtual void BeginLongConversion() = 0;
  virtual void ShowProgressWindow() = 0;
  virtual bool ProgressFunc(int percent, int total) = 0;
  virtual void EndLongConversion() = 0;
};

// The engine's conversions, virtual so that a test can watch or replace them.
class TConversionEngine {
 public:
  virtual ~TConversionEngine() = default;
  virtual int32_t MorvikToCMatrix(TVineProgressCallback callback, int16_t method, bool toCanonical);
  virtual int32_t MatrixToMorvik(TVineProgressCallback callback, int16_t method);
  virtual bool CanonicalToCMatrix(bool toMorvik, TVineProgressCallback callback, int16_t method);
  virtual bool VerifyMatrix(bool convert);
};

// The integer the correlation edit holds (a whole number, surrounding blanks
// allowed), or 0.
int MethodNumberOfText(const std::string& text);
// A nonzero method number clamped to 1..4.
int ClampMethodNumber(int method);
// Whether a conversion to a D-vine runs with the progress window.
bool UsesProgressWindow(int nodesInStructure, int method);
// What the current structure holds: a tree with nodes, a vine with at least
// one tree, or a matrix with a value above the diagonal.
bool StructureHasContent();

class TStructureConversion {
 public:
  static constexpr const char* kRemoveQuestion =
      "Current dependence structure will be removed.\n\rDo you wish to continue?";
  static constexpr const char* kCellsMissing = "Some matrix cells are still not filled or invalid.";
  static constexpr const char* kEmptyVineQuestion = " Convert to the empty vine?";
  static constexpr const char* kVineFailure = "Failure while converting the vine.";
  static constexpr const char* kMatrixFailure = "Failure while initializing the matrix.";

  TStructureConversion(TWorkbench& wb, IConversionPanel& panel);
  ~TStructureConversion();
  TStructureConversion(const TStructureConversion&) = delete;
  TStructureConversion& operator=(const TStructureConversion&) = delete;

  // Null: the engine itself.
  void SetEngine(TConversionEngine* engine) { engine_ = engine ? engine : &own_; }

  // Converts the current structure to dependence type kind (0..4): true when
  // done, false when refused, failed or cancelled.
  bool ConvertDependenceStructure(int kind);
  // The user chose an item of the type combo.
  void chkVinesTypeChange();
  // The user clicked "Matrix view" (the box already shows its new state).
  void ShowMatrixCheckBoxClick();
  // The code's own change of "Matrix view": a click it causes is ignored once.
  void SetMatrixView(bool checked);
  void butVineTranscendClick();
  void butVineEraseClick();
  void AddNewVineButtonClick();

  int MethodNumber() const { return method_; }
  bool Cancelled() const { return cancelled_; }

  // The engine's progress callback during a conversion of this object.
  static bool VineConvertProgress(int16_t percent, int32_t total);

 private:
  bool Convert(int kind);
  bool ConvertToMatrixOrCanonical(int type, int kind, bool content);
  bool ConvertCanonicalToDVine();
  bool ConvertMatrixToVine(int kind);
  bool RunLong(bool withProgress, const std::function<bool(TVineProgressCallback)>& run);
  void DiscardVine(int kind);
  void ReadMethodNumber(int type, int kind);
  bool ChainFreeNodes();
  void Restore(int type, int savedType);
  void ShowFailure(const char* text);

  TWorkbench& wb_;
  IConversionPanel& panel_;
  TConversionEngine own_;
  TConversionEngine* engine_ = &own_;
  int method_ = 0;
  bool cancelled_ = false;
  bool matrixViewGuard_ = false;
};

}  // namespace tesmira::wb
