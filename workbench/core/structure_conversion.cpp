#include "structure_conversion.h"

#include <algorithm>
#include <charconv>

#include "cp437.h"
#include "dependence_fill.h"
#include "dependence_tree.h"
#include "model_helpers.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

TStructureConversion* g_active = nullptr;

bool IsVineType(int type) { return type >= DepCanonicalVine && type <= DepUserVine; }
bool IsVineOrMatrixType(int type) { return type >= DepCorrelationMatrix && type <= DepUserVine; }

// The six conversions the engine performs directly.
bool IsDirect(int type, int kind) {
  const bool vines = (type == DepDVine || type == DepCanonicalVine) &&
                     (kind == DepCorrelationMatrix || kind == DepCanonicalVine || kind == DepDVine);
  const bool fromMatrix =
      type == DepCorrelationMatrix && (kind == DepCanonicalVine || kind == DepDVine);
  return type != kind && (vines || fromMatrix);
}

std::string EngineMessage() {
  char text[256] = {};
  Vine_RetrieveErrorMessage(text);
  return Cp437ToUtf8(text);
}

bool ModelHasNodes() { return Get_TSMObjectsNumber(ObjDependenceNode) > 0; }

// The stored choices of the user-defined vine, all of them.
void DiscardPairingChoices(TWorkbench& wb) { TruncatePairingChoices(wb, -1); }

}  // namespace

// ---- the engine --------------------------------------------------------------------

int32_t TConversionEngine::MorvikToCMatrix(TVineProgressCallback callback, int16_t method,
                                           bool toCanonical) {
  return Vine_MorvikToCMatrix(callback, method, toCanonical);
}

int32_t TConversionEngine::MatrixToMorvik(TVineProgressCallback callback, int16_t method) {
  return CMatrix_toMorvik(callback, method);
}

bool TConversionEngine::CanonicalToCMatrix(bool toMorvik, TVineProgressCallback callback,
                                           int16_t method) {
  return CanVine_toCMatrix(toMorvik, callback, method);
}

bool TConversionEngine::VerifyMatrix(bool convert) { return CMatrix_Verify(convert); }

// ---- rules ---------------------------------------------------------------------------

int MethodNumberOfText(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return 0;
  std::size_t last = text.find_last_not_of(" \t");
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  if (*begin == '+') ++begin;
  int value = 0;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  return ec == std::errc() && ptr == end ? value : 0;
}

int ClampMethodNumber(int method) { return method == 0 ? 0 : std::clamp(method, 1, 4); }

bool UsesProgressWindow(int nodesInStructure, int method) {
  return nodesInStructure > 30 || ClampMethodNumber(method) == 1;
}

bool StructureHasContent() {
  if (GetCurrentDependenceStructureRoot() == nullptr || GetNumberOfNodesInStructure() <= 0)
    return false;
  const int type = GetDependenceType(nullptr);
  if (type == DepTree) return true;
  if (type == DepCorrelationMatrix) return !CheckMatrixCells(MatrixMembers(), true);
  if (IsVineType(type)) return Vine_IsTranscended() >= 1;
  return false;
}

// ---- the state machine ---------------------------------------------------------------

TStructureConversion::TStructureConversion(TWorkbench& wb, IConversionPanel& panel)
    : wb_(wb), panel_(panel) {}

TStructureConversion::~TStructureConversion() {
  if (g_active == this) g_active = nullptr;
}

void TStructureConversion::SetMatrixView(bool checked) {
  if (panel_.MatrixViewChecked() == checked) return;
  matrixViewGuard_ = true;
  panel_.SetMatrixViewChecked(checked);
}

void TStructureConversion::ShowFailure(const char* text) {
  if (!ModelHasNodes()) return;
  wb_.Prompt().Show(TMessageKind::Error, std::string(text) + "\n\r" + EngineMessage());
}

void TStructureConversion::Restore(int type, int savedType) {
  wb_.StructureSwapState = savedType;
  panel_.SyncDependenceButtons();
  SetMatrixView(type == DepCorrelationMatrix);
  if (IsVineOrMatrixType(type)) panel_.SetVinesTypeIndex(std::min(type - 1, 2));
  panel_.RefreshView();
}

void TStructureConversion::ReadMethodNumber(int type, int kind) {
  const int number = MethodNumberOfText(panel_.CorrelationText());
  const bool dvineMatrix = (type == DepDVine && kind == DepCorrelationMatrix) ||
                           (type == DepCorrelationMatrix && kind == DepDVine);
  // A structure saved under another method must be computed again.
  if (number != method_ && dvineMatrix) {
    ReleaseSavedStructure();
    wb_.StructureSwapState = 0;
  }
  method_ = number;
}

bool TStructureConversion::ChainFreeNodes() {
  std::vector<void*> free;
  for (int k = 1; k <= Get_TSMObjectsNumber(ObjDependenceNode); ++k) {
    void* q = Get_TSMObject(k, ObjDependenceNode);
    if (!IsLatentNode(q) && NodeParent(q) == nullptr && NodeChildCount(q) == 0) free.push_back(q);
  }
  if (free.empty()) return false;
  for (std::size_t k = 1; k < free.size(); ++k) {
    void* parent = free[k - 1];
    Process_dep_node(free[k], &parent, nullptr, DepNodeAttach);
  }
  SetCurrentDependenceStructureRoot(free.front(), nullptr);
  return true;
}

bool TStructureConversion::RunLong(bool withProgress,
                                   const std::function<bool(TVineProgressCallback)>& run) {
  cancelled_ = false;
  if (!withProgress) return run(nullptr);
  struct TScope {
    TStructureConversion* self;
    TStructureConversion* outer = g_active;
    explicit TScope(TStructureConversion* s) : self(s) {
      g_active = self;
      self->panel_.BeginLongConversion();
    }
    ~TScope() {
      self->panel_.EndLongConversion();
      g_active = outer;
    }
  } scope(this);
  return run(&VineConvertProgress) && !cancelled_;
}

bool TStructureConversion::VineConvertProgress(int16_t percent, int32_t total) {
  TStructureConversion* self = g_active;
  if (self == nullptr) return true;
  if (percent == 1) {
    self->panel_.ShowProgressWindow();
    return true;
  }
  const bool go = self->panel_.ProgressFunc(percent, total);
  if (!go) self->cancelled_ = true;
  return go;
}

void TStructureConversion::DiscardVine(int kind) {
  SetMatrixView(false);
  SetDependenceType(nullptr, kind);
  Vine_InitVine();
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  DiscardPairingChoices(wb_);
}

bool TStructureConversion::ConvertToMatrixOrCanonical(int type, int kind, bool content) {
  const bool toCanonical = kind == DepCanonicalVine;
  if (content && IsDirect(type, kind)) {
    bool ok = false;
    if (type == DepDVine) {
      const auto method = static_cast<int16_t>(ClampMethodNumber(method_));
      ok = RunLong(Vine_IsTranscended() >= 13, [&](TVineProgressCallback callback) {
        return engine_->MorvikToCMatrix(callback, method, toCanonical) == 1;
      });
    } else {
      cancelled_ = false;
      ok = engine_->CanonicalToCMatrix(false, nullptr, 0);
    }
    if (!ok) {
      if (!cancelled_) ShowFailure(toCanonical ? kVineFailure : kMatrixFailure);
      return false;
    }
    if (GetDependenceType(nullptr) != kind) SetDependenceType(nullptr, kind);
    wb_.StructureSwapState = type;
    return true;
  }
  if (toCanonical) {
    // An untranscended D-vine is an ordered list of members: it reads as a
    // canonical vine as it stands.
    SetDependenceType(nullptr, DepCanonicalVine);
    return true;
  }
  SetDependenceType(nullptr, DepCorrelationMatrix);
  if (!CMatrix_Initialize()) {
    ShowFailure(kMatrixFailure);
    if (type != DepCorrelationMatrix) SetDependenceType(nullptr, type);
    return false;
  }
  return true;
}

bool TStructureConversion::ConvertCanonicalToDVine() {
  const auto method = static_cast<int16_t>(ClampMethodNumber(method_));
  const bool ok = RunLong(UsesProgressWindow(GetNumberOfNodesInStructure(), method),
                          [&](TVineProgressCallback callback) {
                            return engine_->CanonicalToCMatrix(true, callback, method);
                          });
  if (!ok) {
    if (!cancelled_) ShowFailure(kVineFailure);
    return false;
  }
  if (GetDependenceType(nullptr) != DepDVine) SetDependenceType(nullptr, DepDVine);
  wb_.StructureSwapState = DepCanonicalVine;
  return true;
}

bool TStructureConversion::ConvertMatrixToVine(int kind) {
  std::string message;
  TGridRect cell;
  if (!CheckMatrixCells(MatrixMembers(), false, &cell)) {
    panel_.SelectMatrixCell(cell.Top, cell.Left);
    message = kCellsMissing;
  } else if (kind == DepCanonicalVine && !engine_->VerifyMatrix(false)) {
    message = EngineMessage();
  }
  if (!message.empty()) {
    if (wb_.Prompt().Ask(TMessageKind::Confirmation, message + kEmptyVineQuestion, BtnYesNo) !=
        TAnswer::Yes)
      return false;
    CMatrix_Initialize();
    SetDependenceType(nullptr, kind);
    Vine_InitVine();
    DiscardPairingChoices(wb_);
    SetMatrixView(false);
    return true;
  }
  const int nodes = GetNumberOfNodesInStructure();
  const auto method = static_cast<int16_t>(ClampMethodNumber(method_));
  bool ok = false;
  if (kind == DepCanonicalVine) {
    cancelled_ = false;
    ok = engine_->VerifyMatrix(true);
  } else {
    ok = RunLong(UsesProgressWindow(nodes, method), [&](TVineProgressCallback callback) {
      return engine_->MatrixToMorvik(callback, method) == 1;
    });
  }
  if (!ok) {
    if (!cancelled_) ShowFailure(kVineFailure);
    return false;
  }
  SetMatrixView(false);
  if (GetDependenceType(nullptr) != kind) SetDependenceType(nullptr, kind);
  wb_.StructureSwapState = DepCorrelationMatrix;
  return true;
}

bool TStructureConversion::ConvertDependenceStructure(int kind) {
  const bool done = Convert(kind);
  // The code's own changes of the box during the command were no clicks.
  matrixViewGuard_ = false;
  return done;
}

bool TStructureConversion::Convert(int kind) {
  const int type = GetDependenceType(nullptr);
  const int savedType = wb_.StructureSwapState;
  if (kind == type) {
    panel_.RefreshView();
    return true;
  }
  const bool direct = IsDirect(type, kind);
  ReadMethodNumber(type, kind);
  const bool content = StructureHasContent();
  bool swapped = false;
  if (content) {
    if (savedType != 0 && savedType == kind && MatchAndSwapDepStructures(kind)) {
      if (GetDependenceType(nullptr) == kind) {
        wb_.StructureSwapState = type;
        swapped = true;
      } else {
        MatchAndSwapDepStructures(type);
        wb_.StructureSwapState = GetDependenceType(nullptr);
      }
    }
    if (!swapped && !direct &&
        wb_.Prompt().Ask(TMessageKind::Warning, kRemoveQuestion, BtnYesNo) != TAnswer::Yes) {
      Restore(type, savedType);
      return false;
    }
  } else if (kind == DepCorrelationMatrix && GetNumberOfNodesInStructure() <= 0) {
    if (!ChainFreeNodes()) {
      panel_.SetMatrixPanelEnabled(false);
      panel_.UpdateVineButtons();
      panel_.RefreshView();
      return false;
    }
  }

  bool ok = true;
  if (swapped) {
    // The saved structure of that type is back.
  } else if (kind == DepCorrelationMatrix || (type == DepDVine && kind == DepCanonicalVine)) {
    ok = ConvertToMatrixOrCanonical(type, kind, content);
  } else if (!IsVineType(kind)) {
    SetMatrixView(false);
    if (IsVineType(type)) Vine_InitVine();
    SetDependenceType(nullptr, kind);
    SetCurrentDependenceStructureRoot(nullptr, nullptr);
  } else if (type == DepCanonicalVine && kind == DepDVine && content) {
    ok = ConvertCanonicalToDVine();
  } else if (type == DepCorrelationMatrix && (kind == DepCanonicalVine || kind == DepDVine)) {
    ok = ConvertMatrixToVine(kind);
  } else {
    DiscardVine(kind);
  }
  if (!ok) {
    Restore(type, savedType);
    return false;
  }
  wb_.Undo.ClearHistory();
  SetModified(wb_, true);
  panel_.RefreshView();
  return true;
}

void TStructureConversion::chkVinesTypeChange() {
  if (panel_.VinesTypeIndex() < 0) panel_.SetVinesTypeIndex(0);
  const int index = panel_.VinesTypeIndex();
  SetMatrixView(index == 0);
  matrixViewGuard_ = false;
  const int type = GetDependenceType(nullptr);
  const bool structure = IsVineOrMatrixType(type) && GetNumberOfNodesInStructure() > 0;
  if (!structure && !panel_.MatrixViewChecked()) {
    panel_.RefreshView();
    return;
  }
  ConvertDependenceStructure(index + 1);
}

void TStructureConversion::ShowMatrixCheckBoxClick() {
  if (matrixViewGuard_) {
    matrixViewGuard_ = false;
    return;
  }
  if (panel_.MatrixViewChecked()) {
    ConvertDependenceStructure(DepCorrelationMatrix);
  } else {
    const int saved = wb_.StructureSwapState;
    ConvertDependenceStructure(
        saved == DepDVine || saved == DepUserVine ? saved : panel_.VinesTypeIndex() + 1);
  }
}

void TStructureConversion::butVineTranscendClick() {
  IDependenceTree& tree = wb_.Ui().DependenceTree();
  std::vector<TTreeItem> items = tree.Items();
  const int n = static_cast<int>(items.size());
  if (n < 3) return;
  wb_.Undo.ClearHistory();
  if (Vine_IsTranscended() < 1) ReparentTreeItems(wb_);
  Vine_InitVineLevels(2);
  matrixViewGuard_ = false;
  const int type = GetDependenceType(nullptr);
  if (type == DepCanonicalVine)
    Vine_SetCorrValue(tree.ItemNode(items.back()), n - 1, 0);
  else if (type == DepDVine)
    Vine_SetCorrValue(tree.ItemNode(items[1]), n - 1, 0);
  else if (type == DepUserVine)
    wb_.Ui().RebuildUserVineLevels();
  SetModified(wb_, true);
  panel_.RefreshView();
  wb_.Ui().RepaintVineView();
}

void TStructureConversion::butVineEraseClick() {
  const int type = GetDependenceType(nullptr);
  if (!IsVineOrMatrixType(type)) return;
  const bool matrix = type == DepCorrelationMatrix;
  const bool higherOnly = !matrix && Vine_IsTranscended() > 1;
  const char* what = matrix       ? "the current matrix?"
                     : higherOnly ? "transended levels?"
                                  : "initial vine structure?";
  if (wb_.Prompt().Ask(TMessageKind::Confirmation,
                       std::string("Are you sure you want to delete the ") + what,
                       BtnYesNo) != TAnswer::Yes)
    return;
  wb_.Undo.ClearHistory();
  TruncatePairingChoices(wb_, higherOnly ? 1 : 0);
  if (matrix) {
    SetDependenceType(nullptr, DepCanonicalVine);
    panel_.SyncDependenceButtons();
  }
  Vine_InitVineLevels(higherOnly ? 1 : 0);
  ReleaseSavedStructure();
  wb_.StructureSwapState = 0;
  if (!higherOnly) {
    void* root = GetCurrentDependenceStructureRoot();
    void* parent = root ? NodeParent(root) : nullptr;
    if (parent && IsCompositeNode(parent)) {
      Delete_TSMObject(parent);
      SetCurrentDependenceStructureRoot(nullptr, nullptr);
    }
  }
  SetModified(wb_, true);
  panel_.RefreshView();
  wb_.Ui().RepaintVineView();
  panel_.DescribeSelection();
  panel_.UpdateVineButtons();
}

void TStructureConversion::AddNewVineButtonClick() {
  ReleaseSavedStructure();
  wb_.StructureSwapState = 0;
  panel_.RefreshView();
  panel_.UpdateVineButtons();
}

}  // namespace tesmira::wb
