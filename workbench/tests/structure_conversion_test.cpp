// Switching structures between matrix and vines over the engine, with a
// scripted panel: swap-back, the method number, the progress rule, the
// questions and the refused, failed and cancelled conversions; Transcend and
// Erase.
#include "structure_conversion.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "dependence_fill.h"
#include "dependence_fixture.h"
#include "undo_items.h"

namespace tesmira::wb {
namespace {

struct ScriptedPanel : IConversionPanel {
  bool matrixView = false;
  int typeIndex = 1;
  std::string correlation;
  std::vector<std::pair<int, int>> selectedCells;
  bool matrixPanelEnabled = true;
  int refreshes = 0, syncs = 0, vineButtonUpdates = 0, descriptions = 0;
  int longConversions = 0, windowsShown = 0, steps = 0;
  bool inLong = false;
  // Answers ProgressFunc: false from this call on (1-based; 0 never).
  int cancelAtStep = 0;

  bool MatrixViewChecked() override { return matrixView; }
  void SetMatrixViewChecked(bool checked) override { matrixView = checked; }
  int VinesTypeIndex() override { return typeIndex; }
  void SetVinesTypeIndex(int index) override { typeIndex = index; }
  std::string CorrelationText() override { return correlation; }
  void SelectMatrixCell(int row, int column) override { selectedCells.emplace_back(row, column); }
  void SetMatrixPanelEnabled(bool enabled) override { matrixPanelEnabled = enabled; }
  void SyncDependenceButtons() override { ++syncs; }
  void UpdateVineButtons() override { ++vineButtonUpdates; }
  void RefreshView() override { ++refreshes; }
  void DescribeSelection() override { ++descriptions; }
  void BeginLongConversion() override {
    ++longConversions;
    inLong = true;
  }
  void ShowProgressWindow() override {
    EXPECT_TRUE(inLong);
    ++windowsShown;
  }
  bool ProgressFunc(int, int) override {
    ++steps;
    return cancelAtStep == 0 || steps < cancelAtStep;
  }
  void EndLongConversion() override { inLong = false; }
};

// Records the method numbers the conversions receive and fails them.
struct RecordingEngine : TConversionEngine {
  std::vector<int> methods;
  int32_t MatrixToMorvik(TVineProgressCallback, int16_t method) override {
    methods.push_back(method);
    return 0;
  }
};

class StructureConversion : public test::DependenceTest {
 protected:
  ScriptedPanel panel;
  TStructureConversion conv{dwb, panel};

  // A D-vine a-b-c-d transcended to its top tree, the current structure.
  void DVineOfFour() {
    Variables({"a", "b", "c", "d"});
    ASSERT_TRUE(Attach("b", "a"));
    ASSERT_TRUE(Attach("c", "b"));
    ASSERT_TRUE(Attach("d", "c"));
    SetCurrentDependenceStructureRoot(Node("a"), nullptr);
    ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
    const double values[][3] = {{0.5, 0.3, 0.1}, {0.4, -0.2, 0}, {0.6, 0, 0}};
    const char* names[] = {"a", "b", "c"};
    for (int j = 0; j < 3; ++j)
      for (int level = 1; level <= 3 - j; ++level)
        ASSERT_TRUE(Vine_SetCorrValue(Node(names[j]), level, values[j][level - 1]));
    ASSERT_EQ(Vine_IsTranscended(), 3);
    panel.typeIndex = 2;
  }
  // A whole-model matrix of n nodes with every cell above the diagonal set
  // to value (0.1 keeps it positive definite), except one left empty.
  std::vector<void*> Matrix(int n, double value = 0.1, bool leaveOneEmpty = false) {
    for (int k = 1; k <= n; ++k) AddVariable(std::string("v").append(std::to_string(k)));
    SyncNodes();
    SetDependenceType(nullptr, DepCorrelationMatrix);
    AddAllNodesToStructure();
    std::vector<void*> m = MatrixMembers();
    EXPECT_EQ(static_cast<int>(m.size()), n);
    for (std::size_t i = 0; i < m.size(); ++i)
      for (std::size_t j = i + 1; j < m.size(); ++j)
        if (!(leaveOneEmpty && i == 1 && j == 2)) CMatrix_SetCell(m[i], m[j], value);
    panel.matrixView = true;
    panel.typeIndex = 0;
    return m;
  }
  // Every level value of the D-vine a, b, c.
  static std::vector<double> DVineValues() {
    std::vector<double> v;
    for (const char* n : {"a", "b", "c"})
      for (int level = 1; level <= 3; ++level) v.push_back(Vine_GetCorrValue(Node(n), level));
    return v;
  }
  // An undo step of its own, to see whether the history survives.
  void PushUndoStep() {
    AddPairingChoice(dwb, 1, 1, 1);
    ASSERT_TRUE(dwb.Undo.CanUndo());
  }
};

TEST(StructureConversionRules, MethodNumberAndProgressRule) {
  const struct {
    const char* text;
    int method;
  } texts[] = {{"2", 2}, {"7", 7}, {"0.5", 0}, {"", 0}, {" 3 ", 3}, {"N/A", 0}, {"2x", 0}};
  for (const auto& t : texts) EXPECT_EQ(MethodNumberOfText(t.text), t.method) << t.text;
  EXPECT_EQ(ClampMethodNumber(7), 4);
  EXPECT_EQ(ClampMethodNumber(-2), 1);
  EXPECT_EQ(ClampMethodNumber(0), 0);
  EXPECT_FALSE(UsesProgressWindow(30, 0));
  EXPECT_FALSE(UsesProgressWindow(30, 3));
  EXPECT_TRUE(UsesProgressWindow(31, 0));
  EXPECT_TRUE(UsesProgressWindow(30, 1));
  EXPECT_TRUE(UsesProgressWindow(2, -5));  // clamped to 1
}

TEST_F(StructureConversion, DVineToMatrixAndBackSwapsTheDVineIn) {
  DVineOfFour();
  const std::vector<double> before = DVineValues();
  PushUndoStep();
  // The user checks "Matrix view".
  panel.matrixView = true;
  conv.ShowMatrixCheckBoxClick();
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  EXPECT_EQ(dwb.StructureSwapState, DepDVine);
  EXPECT_FALSE(dwb.Undo.CanUndo());
  EXPECT_TRUE(dwb.Modified);
  const std::vector<void*> m = MatrixMembers();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_NEAR(CMatrix_GetCell(Node("a"), Node("b")), 0.5, 1e-6);
  EXPECT_NEAR(CMatrix_GetCell(Node("c"), Node("d")), 0.6, 1e-6);
  // Unchecked again: the saved D-vine comes back as it was, not a
  // conversion of the matrix.
  panel.matrixView = false;
  conv.ShowMatrixCheckBoxClick();
  EXPECT_EQ(GetDependenceType(nullptr), DepDVine);
  EXPECT_EQ(dwb.StructureSwapState, DepCorrelationMatrix);
  EXPECT_EQ(DVineValues(), before);
  EXPECT_TRUE(f.prompt.shown.empty());
}

// Fails every conversion of a D-vine.
struct FailingEngine : TConversionEngine {
  int32_t MorvikToCMatrix(TVineProgressCallback, int16_t, bool) override { return 0; }
};

TEST_F(StructureConversion, FailedDVineConversionsSayWhichAndKeepTheDVine) {
  DVineOfFour();
  const std::vector<double> before = DVineValues();
  FailingEngine engine;
  conv.SetEngine(&engine);
  PushUndoStep();
  const struct {
    int kind;
    const char* text;
  } cases[] = {{DepCorrelationMatrix, "Failure while initializing the matrix.\n\r"},
               {DepCanonicalVine, "Failure while converting the vine.\n\r"}};
  for (const auto& c : cases) {
    panel.matrixView = c.kind == DepCorrelationMatrix;
    panel.typeIndex = c.kind - 1;
    EXPECT_FALSE(conv.ConvertDependenceStructure(c.kind));
    ASSERT_FALSE(f.prompt.shown.empty());
    EXPECT_EQ(f.prompt.shown.back().text.rfind(c.text, 0), 0u) << f.prompt.shown.back().text;
    EXPECT_EQ(f.prompt.shown.back().kind, TMessageKind::Error);
    EXPECT_EQ(GetDependenceType(nullptr), DepDVine);
    EXPECT_FALSE(panel.matrixView);
    EXPECT_EQ(panel.typeIndex, 2);
  }
  EXPECT_EQ(DVineValues(), before);
  EXPECT_TRUE(dwb.Undo.CanUndo());
  EXPECT_EQ(dwb.StructureSwapState, 0);
}

TEST_F(StructureConversion, TypeComboWithoutAStructureOnlyRefreshes) {
  Variables({"a", "b", "c"});
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  SetDependenceType(nullptr, DepCanonicalVine);
  panel.typeIndex = 2;
  conv.chkVinesTypeChange();
  EXPECT_EQ(GetDependenceType(nullptr), DepCanonicalVine);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  EXPECT_FALSE(panel.matrixView);
  EXPECT_EQ(panel.refreshes, 1);
  // "Correlation matrix" checks the box and makes a matrix of the free nodes.
  panel.typeIndex = 0;
  conv.chkVinesTypeChange();
  EXPECT_TRUE(panel.matrixView);
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  EXPECT_EQ(MatrixMembers().size(), 3u);
}

TEST_F(StructureConversion, MethodNumberFromTheCorrelationEdit) {
  RecordingEngine engine;
  conv.SetEngine(&engine);
  const std::vector<void*> m = Matrix(3);
  PushUndoStep();
  for (const char* text : {"2", "7", "0.5"}) {
    panel.correlation = text;
    panel.typeIndex = 2;
    EXPECT_FALSE(conv.ConvertDependenceStructure(DepDVine));
  }
  EXPECT_EQ(engine.methods, (std::vector<int>{2, 4, 0}));
  // Each failure said so and left the matrix, its view and the history.
  EXPECT_EQ(f.prompt.shown.size(), 3u);
  EXPECT_EQ(f.prompt.shown[0].text.rfind("Failure while converting the vine.\n\r", 0), 0u);
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  EXPECT_TRUE(panel.matrixView);
  EXPECT_EQ(panel.typeIndex, 0);
  EXPECT_TRUE(dwb.Undo.CanUndo());
  EXPECT_FALSE(dwb.Modified);
}

TEST_F(StructureConversion, MatrixToDVineUsesTheProgressWindowBeyondThirtyNodes) {
  const struct {
    int nodes;
    const char* edit;
    bool window;
  } cases[] = {{30, "", false}, {31, "", true}, {6, "1", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nodes);
    End_data();
    ASSERT_TRUE(Init_data());
    panel = ScriptedPanel{};
    panel.correlation = c.edit;
    Matrix(c.nodes);
    EXPECT_TRUE(conv.ConvertDependenceStructure(DepDVine));
    EXPECT_EQ(GetDependenceType(nullptr), DepDVine);
    EXPECT_EQ(panel.longConversions, c.window ? 1 : 0);
    EXPECT_EQ(panel.windowsShown, c.window ? 1 : 0);
    EXPECT_FALSE(panel.inLong);
  }
}

TEST_F(StructureConversion, CancelledMatrixToDVineChangesNothing) {
  const std::vector<void*> m = Matrix(31, 0.2);
  PushUndoStep();
  panel.cancelAtStep = 3;
  EXPECT_FALSE(conv.ConvertDependenceStructure(DepDVine));
  EXPECT_TRUE(conv.Cancelled());
  EXPECT_EQ(panel.steps, 3);
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  for (std::size_t i = 0; i < m.size(); ++i)
    for (std::size_t j = i + 1; j < m.size(); ++j)
      ASSERT_NEAR(CMatrix_GetCell(m[i], m[j]), 0.2, 1e-6) << i << "," << j;
  EXPECT_TRUE(dwb.Undo.CanUndo());
  EXPECT_FALSE(dwb.Modified);
  EXPECT_TRUE(panel.matrixView);
  EXPECT_EQ(panel.typeIndex, 0);
  EXPECT_EQ(dwb.StructureSwapState, 0);
  EXPECT_TRUE(f.prompt.shown.empty());  // a cancel is no failure
  // Without a cancel the same conversion goes through.
  panel.cancelAtStep = 0;
  EXPECT_TRUE(conv.ConvertDependenceStructure(DepDVine));
  EXPECT_EQ(GetDependenceType(nullptr), DepDVine);
  EXPECT_FALSE(panel.matrixView);
  EXPECT_EQ(dwb.StructureSwapState, DepCorrelationMatrix);
}

TEST_F(StructureConversion, CancelStopsTheEngineAtOnce) {
  Matrix(150, 0.05);
  using Clock = std::chrono::steady_clock;
  Clock::time_point cancelledAt;
  struct TimingPanel : ScriptedPanel {
    Clock::time_point* at = nullptr;
    bool ProgressFunc(int p, int t) override {
      const bool go = ScriptedPanel::ProgressFunc(p, t);
      if (!go) *at = Clock::now();
      return go;
    }
  } timing;
  timing.cancelAtStep = 20;
  timing.matrixView = true;
  timing.typeIndex = 0;
  timing.at = &cancelledAt;
  TStructureConversion c(dwb, timing);
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(c.ConvertDependenceStructure(DepDVine));
  const Clock::time_point end = Clock::now();
  // The engine asks no more after the refusal and returns.
  EXPECT_EQ(timing.steps, 20);
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };
  std::printf("matrix of 150 to D-vine: cancelled at 21 %% after %.1f ms, returned %.2f ms later\n",
              ms(cancelledAt - start), ms(end - cancelledAt));
}

TEST_F(StructureConversion, TreeToCanonicalAsksBeforeRemovingIt) {
  Variables({"a", "b", "c"});
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "a"));
  SetCurrentDependenceStructureRoot(Node("a"), nullptr);
  PushUndoStep();
  f.prompt.answers = {TAnswer::No};
  EXPECT_FALSE(conv.ConvertDependenceStructure(DepCanonicalVine));
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(f.prompt.shown[0].text,
            "Current dependence structure will be removed.\n\rDo you wish to continue?");
  EXPECT_EQ(f.prompt.shown[0].kind, TMessageKind::Warning);
  EXPECT_EQ(GetDependenceType(Node("a")), DepTree);
  EXPECT_EQ(ParentOf("b"), "a");
  EXPECT_TRUE(dwb.Undo.CanUndo());

  f.prompt.answers = {TAnswer::Yes};
  EXPECT_TRUE(conv.ConvertDependenceStructure(DepCanonicalVine));
  EXPECT_EQ(GetDependenceType(Node("a")), DepCanonicalVine);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  EXPECT_FALSE(dwb.Undo.CanUndo());
  EXPECT_TRUE(dwb.PairingChoices.empty());
}

TEST_F(StructureConversion, IncompleteMatrixToCanonicalOffersTheEmptyVine) {
  const std::vector<void*> m = Matrix(4, 0.1, true);
  panel.typeIndex = 1;
  f.prompt.answers = {TAnswer::No};
  EXPECT_FALSE(conv.ConvertDependenceStructure(DepCanonicalVine));
  EXPECT_EQ(f.prompt.Texts(), std::vector<std::string>{"Some matrix cells are still not filled or "
                                                       "invalid. Convert to the empty vine?"});
  EXPECT_EQ(panel.selectedCells, (std::vector<std::pair<int, int>>{{2, 3}}));
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
  EXPECT_TRUE(panel.matrixView);
  EXPECT_EQ(panel.typeIndex, 0);
  EXPECT_NEAR(CMatrix_GetCell(m[0], m[1]), 0.1, 1e-6);

  f.prompt.answers = {TAnswer::Yes};
  EXPECT_TRUE(conv.ConvertDependenceStructure(DepCanonicalVine));
  EXPECT_EQ(GetDependenceType(nullptr), DepCanonicalVine);
  EXPECT_FALSE(panel.matrixView);
  EXPECT_LE(Vine_IsTranscended(), 0);
}

TEST_F(StructureConversion, InvalidMatrixToCanonicalGivesTheEngineMessage) {
  const std::vector<void*> m = Matrix(3, 0.9);
  CMatrix_SetCell(m[1], m[2], -0.9);  // not positive definite
  f.prompt.answers = {TAnswer::No};
  EXPECT_FALSE(conv.ConvertDependenceStructure(DepCanonicalVine));
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  const std::string& text = f.prompt.shown[0].text;
  EXPECT_GT(text.size(), std::string(" Convert to the empty vine?").size());
  EXPECT_EQ(text.substr(text.size() - 27), " Convert to the empty vine?");
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
}

TEST_F(StructureConversion, NewMatrixChainsTheFreeNodes) {
  Variables({"a", "b", "c"});
  SetCurrentDependenceStructureRoot(nullptr, nullptr);
  SetDependenceType(nullptr, DepCanonicalVine);
  ASSERT_EQ(GetDependenceType(nullptr), DepCanonicalVine);
  EXPECT_TRUE(conv.ConvertDependenceStructure(DepCorrelationMatrix));
  EXPECT_EQ(ParentOf("b"), "a");
  EXPECT_EQ(ParentOf("c"), "b");
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), Node("a"));
  EXPECT_EQ(GetDependenceType(nullptr), DepCorrelationMatrix);
}

TEST_F(StructureConversion, TranscendBuildsTheTopTree) {
  Variables({"a", "b", "c", "d"});
  AddRoot("a");
  AddUnder("a", "b");
  SetCurrentDependenceStructureRoot(Node("a"), nullptr);
  SetDependenceType(nullptr, DepDVine);
  PushUndoStep();
  // Two items: nothing happens.
  conv.butVineTranscendClick();
  EXPECT_EQ(Vine_IsTranscended(), 0);
  EXPECT_TRUE(dwb.Undo.CanUndo());
  EXPECT_EQ(panel.refreshes, 0);

  AddUnder("b", "c");
  AddUnder("c", "d");
  SetDependenceType(nullptr, DepDVine);
  conv.butVineTranscendClick();
  EXPECT_EQ(Vine_IsTranscended(), 3);
  EXPECT_FALSE(dwb.Undo.CanUndo());
  EXPECT_EQ(ui.vineRepaints, 1);
}

TEST_F(StructureConversion, EraseQuestionsAndWhatGoes) {
  DVineOfFour();
  AddPairingChoice(dwb, 1, 2, 1);
  AddPairingChoice(dwb, 2, 1, 0);
  f.prompt.answers = {TAnswer::No};
  conv.butVineEraseClick();
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete the transended levels?");
  EXPECT_EQ(Vine_IsTranscended(), 3);
  EXPECT_TRUE(dwb.Undo.CanUndo());

  // Yes: the first tree stays, the higher ones and the choices go.
  conv.butVineEraseClick();
  EXPECT_EQ(Vine_IsTranscended(), 1);
  EXPECT_NEAR(Vine_GetCorrValue(Node("a"), 1), 0.5, 1e-6);
  EXPECT_NEAR(Vine_GetCorrValue(Node("c"), 1), 0.6, 1e-6);
  EXPECT_TRUE(dwb.PairingChoices.empty());
  EXPECT_EQ(panel.descriptions, 1);

  conv.butVineEraseClick();
  EXPECT_EQ(f.prompt.shown.back().text,
            "Are you sure you want to delete the initial vine structure?");
  EXPECT_LE(Vine_IsTranscended(), 0);
}

TEST_F(StructureConversion, EraseMatrixLeavesAnEmptyCanonicalVine) {
  Matrix(3);
  conv.butVineEraseClick();
  EXPECT_EQ(f.prompt.shown.back().text, "Are you sure you want to delete the the current matrix?");
  EXPECT_EQ(GetDependenceType(nullptr), DepCanonicalVine);
  EXPECT_EQ(panel.syncs, 1);
}

}  // namespace
}  // namespace tesmira::wb
