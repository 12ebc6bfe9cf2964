#include "variable_frame_core.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <tuple>

#include "model_fixture.h"
#include "model_helpers.h"
#include "tesmira/distributions.h"

namespace tesmira::wb {
namespace {

using test::ModelTest;

class VariableCore : public ModelTest {
 protected:
  static double Param(const char* name, int i) {
    double v;
    std::memcpy(&v, &Fetch_extended_random_variable(0, name)->distribution.u.params[i], sizeof v);
    return v;
  }
  TVariableFrameCore core;
};

TEST_F(VariableCore, TypeSwitchRestoresTheParametersShownBefore) {
  AddVariable("x", 7);
  TVariableView v = core.Show("", {0}, 0);
  EXPECT_EQ(v.TypeIndex, DistNormal - 1);
  ASSERT_EQ(v.Columns[0].Cells.size(), 2u);
  EXPECT_EQ(v.Columns[0].Cells[0], "7");
  EXPECT_FALSE(v.HelpLines.empty());
  ASSERT_TRUE(core.ChangeType(wb, {0}, DistUniform, false));
  EXPECT_EQ(Fetch_extended_random_variable(0, "x")->distribution.distType, DistUniform);
  ASSERT_TRUE(core.ChangeType(wb, {0}, DistNormal, false));
  EXPECT_EQ(Param("x", 0), 7);
  EXPECT_EQ(Param("x", 1), 1);
  EXPECT_FALSE(core.ChangeType(wb, {0}, DistNormal, false));  // the same type: nothing
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Fetch_extended_random_variable(0, "x")->distribution.distType, DistUniform);
}

TEST_F(VariableCore, SeveralSelectedShowWhatTheyShare) {
  AddVariable("a", 1);
  AddVariable("b", 2);
  TExtendedRandomVariable u = Normal("u");
  u.distribution.distType = DistUniform;
  u.distribution.u.params[1] = 3;
  Create_TSMObject(ObjRandomVariable, &u);
  TVariableView v = core.Show("", {0, 1}, 0);
  EXPECT_EQ(v.Name, "a; b");
  EXPECT_EQ(v.TypeIndex, DistNormal - 1);
  EXPECT_FALSE(v.HideGrid);
  EXPECT_EQ(v.Columns[0].Cells[0], " ");  // the means differ
  EXPECT_EQ(v.Columns[0].Cells[1], "1");  // the deviations agree
  EXPECT_FALSE(v.NameEnabled);
  v = core.Show("", {0, 2}, 0);
  EXPECT_TRUE(v.HideGrid);
  EXPECT_EQ(v.TypeIndex, -1);
  EXPECT_EQ(core.Show("", {}, -1).Message, "No variable selected");
}

TEST_F(VariableCore, ResetIsOneUndoStep) {
  AddVariable("x", 5);
  core.Show("", {0}, 0);
  ASSERT_TRUE(core.Reset(wb, {0}));
  EXPECT_EQ(Param("x", 0), 0);
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Param("x", 0), 5);
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(VariableCore, ColumnUpdatesAndTheirErrors) {
  AddVariable("x", 5);
  AddVariable("y", 5);
  core.Show("", {0, 1}, 0);
  std::string message;
  EXPECT_FALSE(core.UpdateColumn(wb, {0, 1}, 1, {"abc", "1"}, false, message));
  EXPECT_EQ(message, "Error in the Parameters column: \"abc\" is not a number (data not updated!)");
  EXPECT_EQ(Param("x", 0), 5);
  EXPECT_FALSE(wb.Undo.CanUndo());
  EXPECT_FALSE(core.UpdateColumn(wb, {0, 1}, 1, {"1", "-2"}, false, message));
  EXPECT_TRUE(message.starts_with("Error in the Parameters column: "));
  EXPECT_TRUE(message.ends_with(" (data not updated!)"));
  EXPECT_TRUE(core.LastUpdateFailed);
  ASSERT_TRUE(core.UpdateColumn(wb, {0, 1}, 1, {"3", "2"}, false, message));
  EXPECT_EQ(Param("x", 0), 3);
  EXPECT_EQ(Param("y", 0), 3);  // carried over to the other selected variable
  EXPECT_EQ(Param("y", 1), 2);
}

TEST_F(VariableCore, RenameAndDescription) {
  AddVariable("x");
  AddVariable("z");
  AddFormula("f", "x*2");
  core.Show("", {0}, 0);
  std::string message;
  EXPECT_EQ(core.Rename(wb, "z", message), -1);
  EXPECT_EQ(message,
            "(Name not changed!): Function, variable or other object with the same name already "
            "exists");
  EXPECT_EQ(core.Rename(wb, "my var", message), 1);
  EXPECT_EQ(Names(ObjRandomVariable)[0], "my_var");
  EXPECT_EQ(FormulaText("f"), "my_var*2");
  EXPECT_TRUE(core.SetDescription(wb, {0}, "the input"));
  EXPECT_EQ(ShortStringView(Fetch_extended_random_variable(0, "my_var")->description), "the input");
}

TEST_F(VariableCore, BrowseSetsTheProbabilityFileOfItsSampleFileOnly) {
  wb.CurrentFileName = Path("m.tsm");
  AddVariable("n");
  TExtendedRandomVariable d = Normal("d");
  d.distribution.distType = DistDiscrete;
  Process_extended_random_variable(&d, SetDistributionDefaultsOp);
  Create_TSMObject(ObjRandomVariable, &d);
  for (const char* name : {"s1", "s2"}) {
    TExtendedRandomVariable s = Normal(name);
    s.distribution.distType = DistSampleFile;
    std::memset(s.distribution.u.raw, 0, sizeof s.distribution.u.raw);
    SetShortString(s.distribution.u.sample.sampleFile, "data.sam");
    Create_TSMObject(ObjRandomVariable, &s);
  }
  const TExtendedRandomVariable n0 = *Fetch_extended_random_variable(0, "n");
  const TExtendedRandomVariable d0 = *Fetch_extended_random_variable(0, "d");
  f.chooser.openAnswers.push_back({Path("p.prb")});
  ASSERT_TRUE(BrowseVariableFile(wb, 2));
  EXPECT_EQ(GetProbabilityFileName(*Fetch_extended_random_variable(0, "s1")), "p.prb");
  EXPECT_EQ(GetProbabilityFileName(*Fetch_extended_random_variable(0, "s2")), "p.prb");
  EXPECT_EQ(std::memcmp(&n0, Fetch_extended_random_variable(0, "n"), sizeof n0), 0);
  EXPECT_EQ(std::memcmp(&d0, Fetch_extended_random_variable(0, "d"), sizeof d0), 0);
  EXPECT_EQ(f.chooser.lastOptions.Filter, "Probabilistic files (.prb)|*.prb|All files (*.*)|*.*");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(GetProbabilityFileName(*Fetch_extended_random_variable(0, "s1")), "");
}

TEST_F(VariableCore, CarryOverSkipsLinkedVariables) {
  AddVariable("l", 4);
  ASSERT_GT(WriteTSMFile(Path("link.tsm").c_str()), 0);
  ASSERT_TRUE(Init_data());
  AddVariable("own", 1);
  ASSERT_GT(LoadTSMFile(Path("link.tsm").c_str(), TsmLink), 0);
  ASSERT_EQ(Names(ObjRandomVariable), (std::vector<std::string>{"own", "l"}));
  TVariableView v = core.Show("", {0, 1}, 0);
  EXPECT_TRUE(v.Linked);
  EXPECT_EQ(v.Message, "Link from: link.tsm");
  core.ChangeType(wb, {0, 1}, DistUniform, false);
  EXPECT_EQ(Fetch_extended_random_variable(0, "own")->distribution.distType, DistUniform);
  EXPECT_EQ(Fetch_extended_random_variable(0, "l")->distribution.distType, DistNormal);
  EXPECT_EQ(Param("l", 0), 4);
}

TEST(VariableHelpArea, FreeHeightChoosesHelpPlotOrTabs) {
  struct Case {
    int free;
    bool discrete;
    int tab;
    bool help, plot, tabs;
  } const cases[] = {
      {400, false, 1, true, true, false}, {190, false, 0, true, true, false},
      {189, false, 0, true, false, true}, {189, false, 1, false, true, true},
      {0, false, 1, false, true, true},   {-1, false, 0, false, false, false},
      {400, true, 1, true, false, false}, {-5, true, 0, true, false, false},
  };
  for (const Case& c : cases) {
    const THelpArea a = HelpAreaLayout(c.free, c.discrete, c.tab);
    EXPECT_EQ(std::tie(a.Help, a.Plot, a.Tabs), std::tie(c.help, c.plot, c.tabs))
        << c.free << " " << c.discrete << " " << c.tab;
  }
  EXPECT_EQ(DiscreteRowsFit(240, 24), 10);
  EXPECT_EQ(DiscreteRowsFit(10, 24), 1);
  EXPECT_EQ(DiscreteRowsFit(5000, 24), 20);
}

TEST_F(VariableCore, FileMissingForFileTypesOnly) {
  wb.CurrentFileName = Path("m.tsm");
  AddVariable("x");
  core.Show(wb.CurrentFileName, {0}, 0);
  EXPECT_FALSE(core.FileMissing(wb.CurrentFileName));  // a Normal has no file
  core.EditRecord.distribution.distType = DistFile100;
  SetDistributionFileName(core.EditRecord, "");
  EXPECT_TRUE(core.FileMissing(wb.CurrentFileName));
  SetDistributionFileName(core.EditRecord, "t.dis");
  EXPECT_TRUE(core.FileMissing(wb.CurrentFileName));
  std::ofstream(Path("t.dis")) << "x\n";
  EXPECT_FALSE(core.FileMissing(wb.CurrentFileName));  // found beside the model
}

}  // namespace
}  // namespace tesmira::wb
