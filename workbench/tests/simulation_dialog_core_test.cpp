// The quantile grid, the selection lists, the Simulate and belief-net checks
// and the report dialog's content, format and font texts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <stdexcept>

#include "main_view.h"
#include "model_fixture.h"
#include "model_helpers.h"
#include "number_format.h"
#include "quantile_grid.h"
#include "report_dialog_core.h"
#include "selection_list.h"
#include "simulate_command.h"

namespace tesmira::wb::test {
namespace {

class QuantileGridTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    AddVariable("a");
    AddFormula("f", "a");
    AddFormula("g", "a*2");
    grid.SetOutputs({"f", "g"});
    ASSERT_EQ(TQuantileGrid::Allocate(), 8);
  }
  TQuantileGrid grid;
};

TEST_F(QuantileGridTest, StatusesAndColours) {
  grid.SetCellText(1, 2, "0.5");  // Q1 empty: an orphan
  grid.RefreshRowStatus(1, true);
  EXPECT_EQ(grid.CellStatus(1, 2), 2);
  EXPECT_STREQ(TQuantileGrid::CellStatusText(2),
               "An orphan UDQ: will be ignored during simulation");
  EXPECT_EQ(grid.CellColour(1, 1), TQuantileColour::Blue);
  EXPECT_EQ(grid.CellColour(1, 2), TQuantileColour::Blue);

  grid.SetCellText(2, 1, "0.3");
  grid.SetCellText(2, 2, "0.2");
  EXPECT_FALSE(grid.RefreshRowStatus(2, true));
  EXPECT_EQ(grid.Status(2).InvalidColumn, 2);
  EXPECT_EQ(grid.Status(2).FirstMissing, 3);
  EXPECT_EQ(grid.CellColour(2, 1), TQuantileColour::Normal);
  EXPECT_EQ(grid.CellColour(2, 2), TQuantileColour::Red);
  EXPECT_EQ(grid.CellColour(2, 3), TQuantileColour::Blue);
  EXPECT_EQ(grid.CellStatus(2, 2), 1);
  EXPECT_STREQ(TQuantileGrid::CellStatusText(1), "Non-increasing quantile!");
  EXPECT_EQ(grid.CellText(2, 1), FormatNumber(static_cast<double>(0.3f)));

  grid.SetCellText(2, 1, "1");
  grid.SetCellText(2, 2, "abc");  // no number: not set
  EXPECT_EQ(grid.CellStatus(2, 1), 3);
  EXPECT_EQ(grid.CellText(2, 2), "");
  EXPECT_STREQ(TQuantileGrid::CellStatusText(3),
               "The qantile value is not within (0, 1) interval!");

  grid.ResetRow(2);
  EXPECT_TRUE(grid.RefreshRowStatus(2, true));
  EXPECT_EQ(grid.CellText(2, 1), "");
  EXPECT_EQ(grid.Status(2).InvalidColumn, 0);
}

TEST_F(QuantileGridTest, CheckAsksWithTheFailingKind) {
  EXPECT_TRUE(grid.CheckUserQuantiles(f.prompt));
  EXPECT_TRUE(f.prompt.shown.empty());
  grid.SetCellText(2, 1, "1");
  f.prompt.answers = {TAnswer::No};
  TGridCell cell;
  EXPECT_FALSE(grid.CheckUserQuantiles(f.prompt, &cell));
  EXPECT_EQ(cell.Row, 2);
  EXPECT_EQ(cell.Column, 1);
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_NE(f.prompt.shown[0].text.find("qunatiles with values not in (0, 1) interval."),
            std::string::npos);
  grid.SetCellText(2, 1, "0.5");
  grid.SetCellText(2, 2, "0.4");
  EXPECT_TRUE(grid.CheckUserQuantiles(f.prompt));  // answered Yes
  EXPECT_EQ(f.prompt.shown.back().text,
            "The User Defined Quantiles matrix contains non-increasing target quantiles.\n\rThis "
            "will result in incorrect user-defined quantiles generated.\n\rAre you sure you want "
            "to run simulation?");
}

TEST_F(QuantileGridTest, TabAndBacktabTargets) {
  grid.SetCellText(1, 1, "0.1");
  grid.SetCellText(1, 2, "0.2");
  struct Case {
    bool back;
    TGridCell from, to;
  };
  const Case cases[] = {
      {false, {1, 1}, {1, 2}},  // text to the right
      {false, {1, 3}, {2, 1}},  // the rest is empty
      {false, {2, 1}, {1, 1}},  // after the last row: row 1
      {false, {1, 8}, {2, 1}}, {true, {1, 4}, {1, 3}},
      {true, {2, 1}, {1, 3}},  // previous row at its first empty target
      {true, {1, 1}, {2, 1}},  // from row 1: the last row
  };
  for (const Case& c : cases) {
    const TGridCell t = c.back ? grid.BacktabTarget(c.from) : grid.TabTarget(c.from);
    EXPECT_EQ(t.Row, c.to.Row) << c.from.Row << "," << c.from.Column;
    EXPECT_EQ(t.Column, c.to.Column) << c.from.Row << "," << c.from.Column;
  }
}

TEST(SelectionList, MergeKeepsMarksAndReplacesRenamedItems) {
  TSelectionList samples;
  samples.Merge({"a", "b", "c"}, {"f", "g"});
  ASSERT_EQ(samples.Items.size(), 5u);
  EXPECT_EQ(samples.InputCount(), 3);
  samples.Apply(TSelectionCommand::None);
  samples.Apply(TSelectionCommand::Outputs);
  EXPECT_EQ(samples.CheckedObjects(false), (std::vector<int>{1, 2}));
  samples.Items[0].Checked = true;             // "a"
  samples.Merge({"a", "b", "c"}, {"f", "h"});  // g renamed to h
  std::vector<std::string> texts;
  for (const auto& i : samples.Items) texts.push_back(i.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c", "f", "h"}));
  EXPECT_TRUE(samples.Items[0].Checked);
  EXPECT_FALSE(samples.Items[1].Checked);
  EXPECT_TRUE(samples.Items[3].Checked);
  EXPECT_TRUE(samples.Items[4].Checked);  // new: checked
  EXPECT_EQ(samples.Items[0].Object, ~1);

  TSelectionList dist;
  dist.Merge({}, {"f", "g"});
  dist.Apply(TSelectionCommand::None);
  dist.Apply(TSelectionCommand::Inputs, false);  // on distributions: everything
  EXPECT_EQ(dist.CheckedObjects(false).size(), 2u);
}

TEST(SelectionList, SortingKeepsInputsFirstAndSelectionFollows) {
  TSelectionList l;
  l.Merge({"b", "A", "c"}, {"z", "Y"}, &TSelectionList::NegativeObject);
  l.Selected = l.IndexOf("c");
  l.Sort(SortDescending);
  std::vector<std::string> texts;
  for (const auto& i : l.Items) texts.push_back(i.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"c", "b", "A", "z", "Y"}));
  EXPECT_EQ(l.Selected, 0);
  l.Sort(SortAscending);
  texts.clear();
  for (const auto& i : l.Items) texts.push_back(i.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"A", "b", "c", "Y", "z"}));
  l.Sort(SortNone);
  texts.clear();
  for (const auto& i : l.Items) texts.push_back(i.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"b", "A", "c", "z", "Y"}));
  EXPECT_EQ(l.Items[1].Object, -2);
  l.EnableByKind(false, true);
  l.Apply(TSelectionCommand::All);
  EXPECT_EQ(l.CheckedObjects(true), (std::vector<int>{1, 2}));
}

struct ScriptedHost : ISimulateHost {
  TWorkbench* wb = nullptr;
  int dialogs = 0, reports = 0, variablePanels = 0, saves = 0;
  int result = 1;
  std::string nameAfterSave;
  std::function<void()> inDialog;
  bool beliefRun = true, launched = true;
  std::string launchedFile;
  void CommitActiveEdit() override {}
  bool CheckDistributionFiles() override { return true; }
  bool FormulasPanelVisible() override { return false; }
  bool CurrentMatrixIncomplete() override { return false; }
  bool ConfirmDiscardReport() override { return true; }
  void UncheckMatrixView() override {}
  void RepaintVariableList() override {}
  void AddEmptyFormulaIfNeeded() override {}
  void UpdateReportCommands() override {}
  void SaveModelAs() override {
    ++saves;
    wb->CurrentFileName = nameAfterSave;
  }
  int ShowSimulationDialog() override {
    ++dialogs;
    if (inDialog) inDialog();
    return result;
  }
  void ShowVariablesPanel() override { ++variablePanels; }
  void GenerateReport() override { ++reports; }
  bool RunForBeliefNet() override { return beliefRun; }
  bool LaunchBeliefNet(const std::string& file, bool) override {
    launchedFile = file;
    return launched;
  }
};

class SimulateGatesTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    host.wb = &wb;
  }
  ScriptedHost host;
};

TEST_F(SimulateGatesTest, NoVariableAndCancelledSaveShowNoDialog) {
  EXPECT_EQ(Simulate(wb, host), 0);
  EXPECT_EQ(f.prompt.Texts(),
            (std::vector<std::string>{"Before running Simulation, you have to create at least one "
                                      "random variable"}));
  EXPECT_EQ(host.variablePanels, 1);

  AddVariable("a");
  f.prompt.shown.clear();
  f.prompt.answers = {TAnswer::Cancel};
  EXPECT_EQ(Simulate(wb, host), 0);
  EXPECT_EQ(host.dialogs, 0);
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(f.prompt.shown[0].text,
            "It is advisable for model to be saved before simulation is run.\rDo you wish to save "
            "it now?");

  f.prompt.answers = {TAnswer::No};
  host.result = 6;
  EXPECT_EQ(Simulate(wb, host), 6);
  EXPECT_EQ(host.dialogs, 1);
  EXPECT_EQ(host.reports, 1);
}

TEST_F(SimulateGatesTest, SampleFileSkipsChecksAndDescriptionsComeBackOnThrow) {
  wb.CurrentFileKind = FileKindSampleFile;
  wb.CurrentFileName = Path("s.sam");
  EXPECT_EQ(Simulate(wb, host), 1);  // no variable needed
  EXPECT_EQ(host.dialogs, 1);

  wb.CurrentFileKind = FileKindModelFile;
  TExtendedRandomVariable* rv = AddVariable("a");
  SetShortString(rv->description, "kept");
  host.inDialog = [rv] {
    SetShortString(rv->description, "changed in the run");
    throw std::runtime_error("dialog failed");
  };
  EXPECT_THROW(Simulate(wb, host), std::runtime_error);
  EXPECT_EQ(ShortStringView(rv->description), "kept");
  EXPECT_EQ(wb.ShownDescriptions, nullptr);
}

TEST_F(SimulateGatesTest, VariableListShowsTheSavedDescriptionsWhileTheDialogIsOpen) {
  wb.CurrentFileName = Path("m.tsm");
  TExtendedRandomVariable* rv = AddVariable("a");
  SetShortString(rv->description, "kept");
  std::vector<std::string> during;
  host.inDialog = [&] {
    SetShortString(rv->description, "changed in the run");
    AddVariable("b");
    for (int row : {0, 1})
      during.push_back(ObjectListCell(ObjRandomVariable, row, 3, wb.ShownDescriptions));
  };
  EXPECT_EQ(Simulate(wb, host), 1);
  EXPECT_EQ(during, (std::vector<std::string>{"kept", "n/a"}));
  EXPECT_EQ(wb.ShownDescriptions, nullptr);
  EXPECT_EQ(ObjectListCell(ObjRandomVariable, 0, 3, wb.ShownDescriptions), "kept");
}

TEST_F(SimulateGatesTest, BeliefNetChecksAndHandOver) {
  EXPECT_FALSE(RunBayesianBeliefNet(wb, host, true));
  AddVariable("a");
  EXPECT_FALSE(RunBayesianBeliefNet(wb, host, false));  // New needs two
  EXPECT_EQ(f.prompt.Texts(),
            (std::vector<std::string>{"You must create at least one random variable\r\nbefore "
                                      "exporting to a Bayesian Belief Net.",
                                      "You must create at least two random variables\r\nfor a "
                                      "new Bayesian Belief Net."}));
  EXPECT_EQ(f.prompt.titles,
            (std::vector<std::string>{"Not Enough Variables", "Not Enough Variables"}));

  // A file another process holds locked.
  wb.CurrentFileName = Path("m.tsm");
  const std::string bbn = Path("net.bbn");
  WriteText(bbn, "bbn");
  const int fd = ::open(bbn.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::flock(fd, LOCK_EX);
    ::pause();
    ::_exit(0);
  }
  ::close(fd);
  for (int i = 0; i < 200 && !FileInUse(bbn); ++i) ::usleep(10000);
  f.prompt.shown.clear();
  f.chooser.openAnswers = {{bbn}};
  EXPECT_FALSE(RunBayesianBeliefNet(wb, host, true));
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_EQ(f.prompt.Texts(), (std::vector<std::string>{"The file \"net.bbn\" is currently in "
                                                        "use.\r\nPlease make sure it is not open "
                                                        "in Pellian."}));
  EXPECT_EQ(f.chooser.lastOptions.Title, "Open Bayesian Belief Net File");

  // Free again: the program cannot be started.
  f.prompt.shown.clear();
  f.chooser.openAnswers = {{bbn}};
  host.launched = false;
  const int quant = CurrentDisplaySettings().quantperdistrib;
  EXPECT_FALSE(RunBayesianBeliefNet(wb, host, true));
  EXPECT_EQ(host.launchedFile, bbn);
  EXPECT_EQ(f.prompt.Texts(),
            (std::vector<std::string>{"Unable to initialise Bayesian Belief Net module."}));
  EXPECT_EQ(f.prompt.titles.back(), "Error");
  EXPECT_EQ(CurrentDisplaySettings().quantperdistrib, quant);
}

TEST(ReportDialogCore, ContentGreyingAndNumbering) {
  TRepSections sections;
  std::vector<TContentItem> items = {
      {1, 1, "Summary", true, true, ""},
      {2, 2, "Text", true, true, ""},
      {10, 1, "Simulaton Data And Results", false, true, ""},
      {11, 2, "Structure", true, true, ""},
      {12, 3, "Deep", true, true, ""},
      {14, 2, "Samples", true, true, ""},
      {20, 1, "Percentiles", true, true, ""},
  };
  RefreshContentItems(items, sections, false);
  std::vector<std::string> texts;
  for (const auto& i : items) texts.push_back(i.Text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"  1. Summary", "    1.1. Text",
                                      "  ... Simulaton Data And Results", "    ... Structure",
                                      "      ... Deep", "    ... Samples", "  2. Percentiles"}));
  EXPECT_FALSE(items[3].Enabled);
  EXPECT_TRUE(items[2].Enabled);
  EXPECT_FALSE(sections.IsSectionVisible(10, true));
  EXPECT_TRUE(sections.IsSectionVisible(11, true));
  EXPECT_EQ(ContentWarning(true, "/d/model.tso"),
            "Part of the report sections is unavaliable because the input model file was not "
            "found.\rInput filename:\r/d/model.tsm");
  EXPECT_EQ(ContentWarning(false, "/d/model.tso"), "");
}

TEST(ReportDialogCore, FormatTextsDefaultsAndCancel) {
  EXPECT_EQ(NumberFormatText(1, 12, 4), "fixed, w:12, p:4");
  EXPECT_EQ(NumberFormatText(-2, 12, 4), "table default");
  EXPECT_EQ(FontSectionName(-1), "Linedraw");
  EXPECT_EQ(FontSectionName(22), "User Defined Quantiles Table");
  EXPECT_EQ(PreviewSectionOf(StyleLinedraw), 4);
  TDisplaySettings d;
  d.fpformat = 1;
  d.fpwidth = 7;
  d.fpprecision = 6;
  EXPECT_THROW(TableDefaultFormat(5, d), std::logic_error);
  EXPECT_EQ(TableDefaultFormat(13, d).Width, 7);

  TRepSectionSetting entry;
  entry.id = 18;
  entry.format = 1;
  entry.width = 12;
  entry.precision = 4;
  TFormatDialogState state(entry, d);
  EXPECT_EQ(state.ListItems()[0], "Table Default (Scientific)");
  EXPECT_EQ(state.ListItems()[1], "Tesmira Default (Fixed)");
  EXPECT_EQ(state.Position(), 3);
  int w = 0, p = 0;
  state.Change(0, w, p);
  EXPECT_EQ(w, 5);
  EXPECT_EQ(p, 2);
  EXPECT_EQ(entry.format, FormatTableDefault);
  w = 9;
  state.Change(4, w, p);
  EXPECT_EQ(entry.format, 2);
  EXPECT_EQ(entry.width, 9);
  state.Cancel();
  EXPECT_EQ(entry.format, 1);
  EXPECT_EQ(entry.width, 12);
  EXPECT_EQ(entry.precision, 4);
}

}  // namespace
}  // namespace tesmira::wb::test
