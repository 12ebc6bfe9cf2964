// The simulation dialog's headless half: fields, requests, the series over a
// recording engine, outcomes, progress texts, sample names and real runs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ini_file.h"
#include "main_view.h"
#include "model_fixture.h"
#include "model_helpers.h"
#include "simulation_request.h"
#include "tesmira/simulation.h"

namespace tesmira::wb::test {
namespace {

TEST(SimulationFields, RunsFieldClampsRestoresAndKeepsThePlus) {
  struct Case {
    const char* typed;
    bool integer;
    const char* shown;
    const char* label;
    bool band;
  };
  const Case cases[] = {
      {"65535", true, "65534", "=6553500 samples", false},
      {"0", true, "1", "=0 samples", false},
      {"abc", false, "12", "= <error>", false},
      {"+10", true, "+10", "=1000 samples", true},
      {"+", false, "12", "= <error>", true},
      {"-3", true, "1", "=-300 samples", false},
  };
  for (const Case& c : cases) {
    TIntField runs(1, 65534, 12, true);
    SCOPED_TRACE(c.typed);
    EXPECT_EQ(runs.Changed(c.typed), c.integer);
    EXPECT_EQ(runs.Leave(c.typed), c.shown);
    EXPECT_EQ(RunsLabelText(c.typed), c.label);
    EXPECT_EQ(RunsTextSetsBandMode(c.typed), c.band);
  }
  TIntField seed(0, 32767, 1);
  EXPECT_EQ(seed.Leave("+4"), "1");  // no plus outside the runs field
  EXPECT_EQ(seed.Leave("40000"), "32767");
  EXPECT_EQ(seed.Value(), 32767);
}

TEST(SimulationFields, SettingsSectionRoundTripsAndRejectsOutOfRange) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("simini_" + std::to_string(::getpid()))).string();
  std::filesystem::remove(path);
  {
    common::TIniFile ini(path);
    TSimulationChoices c;
    c.CorrelationKind = 2;
    c.Runs = 77;
    c.Seed = 9;
    c.DistributionFileExt = ".QQ";
    c.Binary = true;
    c.Tso = false;
    SimulationSettings(ini, false, c);
    ini.WriteInteger("Simulation", "seed", 40000);
  }
  common::TIniFile ini(path);
  TSimulationChoices r;
  SimulationSettings(ini, true, r);
  EXPECT_EQ(r.CorrelationKind, 2);
  EXPECT_EQ(r.Runs, 77);
  EXPECT_EQ(r.Seed, 1);  // out of range: the default
  EXPECT_EQ(r.DistributionFileExt, ".QQ");
  EXPECT_TRUE(r.Binary);
  EXPECT_FALSE(r.Tso);
  std::filesystem::remove(path);
}

// Records every call; codes by call number.
struct RecordingEngine : ISimulationEngine {
  std::vector<int> seeds, indices;
  std::vector<int32_t> codes;  // by call; missing: 1
  std::vector<std::string> writes;
  int32_t writeResult = 1;
  std::function<void()> duringRun;
  int32_t Run(TRunRequest& r) override {
    seeds.push_back(r.seed);
    indices.push_back(r.simulationIndex);
    if (duringRun) duringRun();
    const std::size_t n = seeds.size() - 1;
    return n < codes.size() ? codes[n] : 1;
  }
  int32_t WriteOutput(const std::string& name) override {
    writes.push_back(name);
    return writeResult;
  }
};

TEST(SimulationSeries, CallsEachRepetitionWithTheNextSeed) {
  RecordingEngine e;
  TRunRequest r = DefaultRunRequest;
  r.seed = 5;
  r.numberOfSimulations = 3;
  EXPECT_EQ(RunSeries(e, r, [] { return false; }), 1);
  EXPECT_EQ(e.seeds, (std::vector<int>{5, 6, 7}));
  EXPECT_EQ(e.indices, (std::vector<int>{1, 2, 3}));
  const TRunOutcome o = FinishSeries(e, 1, "", false, "m.tso", 75, false);
  EXPECT_EQ(e.writes, (std::vector<std::string>{"m.tso"}));
  EXPECT_EQ(o.Status, "Simulation FINISHED! Time used:1 m 15 s");
  EXPECT_TRUE(o.Results);
}

TEST(SimulationSeries, EndsAtAStopOrAtTheFirstFailure) {
  RecordingEngine stopped;
  bool stop = false;
  stopped.duringRun = [&] { stop = true; };
  TRunRequest r = DefaultRunRequest;
  r.numberOfSimulations = 4;
  RunSeries(stopped, r, [&] { return stop; });
  EXPECT_EQ(stopped.seeds.size(), 1u);
  const TRunOutcome o = FinishSeries(stopped, 1, "", true, "m.tso", 3, false);
  EXPECT_EQ(o.Status, "Simulation canceled by the user");
  EXPECT_TRUE(stopped.writes.empty());

  // A failure's code is the series' code even when later runs would succeed.
  RecordingEngine failing;
  failing.codes = {1, -2, 1};
  TRunRequest f = DefaultRunRequest;
  f.numberOfSimulations = 3;
  EXPECT_EQ(RunSeries(failing, f, [] { return false; }), -2);
  EXPECT_EQ(failing.seeds.size(), 2u);
}

TEST(SimulationSeries, OutcomeTexts) {
  struct Case {
    int32_t code;
    const char* message;
    bool stopped;
    int32_t write;
    const char* status;
    TStatusColour colour;
    bool box, results, close;
  };
  const Case cases[] = {
      {-2, "no file", false, 1, "Failure in the simulation process: no file", TStatusColour::Red,
       true, false, false},
      // A run whose output file could not be saved offers no results.
      {1, "", false, 0, "Failure when saving the Output file /x/m.tso", TStatusColour::Red, true,
       false, false},
      {1, "odd", false, 1, "Warning: odd", TStatusColour::Maroon, false, true, false},
      {1, "", false, 1, "Simulation FINISHED! Time used:1 h 2 m 5 s", TStatusColour::Normal, false,
       true, true},
      {0, "", true, 1, "Simulation canceled by the user", TStatusColour::Normal, false, false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    RecordingEngine e;
    e.writeResult = c.write;
    const TRunOutcome o = FinishSeries(e, c.code, c.message, c.stopped, "/x/m.tso", 3725, true);
    EXPECT_EQ(o.Status, c.status);
    EXPECT_EQ(o.Colour, c.colour);
    EXPECT_EQ(!o.ErrorBox.empty(), c.box);
    EXPECT_EQ(o.Results, c.results);
    EXPECT_EQ(o.CloseWhenDone, c.close);
  }
}

TEST(SimulationTexts, ProgressEtaAndVineTexts) {
  EXPECT_EQ(SimulationProgressTexts(250, 1000, 25.0).Eta, "8 runs, 75% left (=~1 m 16 s)");
  EXPECT_EQ(SimulationProgressTexts(950, 1000, 95.0).Eta, "1 run, 5% left (=~6 s)");
  const TProgressState end = SimulationProgressTexts(1000, 1000, 100.0);
  EXPECT_TRUE(end.Finished);
  EXPECT_EQ(end.Percent, 100);
  EXPECT_EQ(SimulationProgressTexts(0, 1000, 5.0).Eta, "10 runs, 100% left");
  EXPECT_EQ(SimulationProgressTexts(5, 0, 5.0).Eta.find("(=~"), std::string::npos);
  EXPECT_EQ(SimulationProgressTexts(1, 1000, std::numeric_limits<double>::infinity()).Eta,
            "ec:4738");
  EXPECT_EQ(VineProgressText(50, 100, 10.0), "Complete: 50% (~11 s.left)");
  EXPECT_EQ(VineProgressText(100, 100, 10.0), "Complete: 99% (~1 s.left)");
}

TEST(SimulationTexts, StatusIsCutAtLineEndsAndWidth) {
  auto chars = [](const std::string& s) { return static_cast<int>(s.size()); };
  EXPECT_EQ(CutStatusText("short", 40, chars), "short");
  EXPECT_EQ(CutStatusText("first\rsecond", 40, chars), "first...");
  EXPECT_EQ(CutStatusText(std::string(50, 'a'), 20, chars), std::string(17, 'a') + "...");
}

TEST(SimulationRequest, OptionBitsResolutionAndObjects) {
  ASSERT_TRUE(Init_data());
  TExtendedRandomVariable rv{};
  SetShortString(rv.distribution.name, "a");
  rv.distribution.distType = 2;
  rv.distribution.u.params[1] = 1;
  ASSERT_GT(Create_TSMObject(ObjRandomVariable, &rv), 0);
  TUdf u{};
  SetShortString(u.name, "f");
  SetShortString(u.text, "a*2");
  ASSERT_GT(Create_TSMObject(ObjFormula, &u), 0);
  TSimulationChoices c;
  c.Input = true;
  c.Output = false;
  c.Binary = true;
  c.Xls = true;
  c.Runs = 70000;
  c.Simulations = 0;
  c.QuantPerDistrib = 2;
  c.MakeDistributionFile = true;
  c.DistributionFileExt = ".ABCDE";
  c.OutputFileName = "/x/m.tso";
  TRunObjects keep;
  TRunRequest r = BuildRunRequest(c, {}, nullptr, keep);
  EXPECT_EQ(r.options, RunWriteInputs | RunWriteBinary | RunCommaSeparated);
  EXPECT_EQ(r.resolution, 10000);
  EXPECT_EQ(r.runs, 65534);
  EXPECT_EQ(r.numberOfSimulations, 1);
  EXPECT_EQ(ShortStringView(r.distributionFileExt), ".ABC");
  EXPECT_EQ(ShortStringView(r.message), "unknown");
  EXPECT_EQ(ShortStringView(r.outputName), "/x/m.tso");
  ASSERT_EQ(keep.Sampled.size(), 3u);  // variable, formula, none
  EXPECT_EQ(r.sampledObjects[0], Get_TSMObject(1, ObjRandomVariable));
  EXPECT_EQ(r.sampledObjects[1], Get_TSMObject(1, ObjFormula));
  EXPECT_EQ(r.sampledObjects[2], nullptr);
  EXPECT_EQ(r.selectedDistributions, nullptr);

  c.Selected = true;
  c.SelectedDistributions = true;
  c.Tso = false;
  c.QuantPerDistrib = 1;
  TRunSelection sel;
  sel.Samples = {1};
  sel.Distributions = {1};
  r = BuildRunRequest(c, sel, nullptr, keep);
  EXPECT_EQ(r.resolution, 1000);
  EXPECT_EQ(ShortStringView(r.outputName), "");
  EXPECT_EQ(r.sampledObjects[0], Get_TSMObject(1, ObjFormula));
  EXPECT_EQ(r.sampledObjects[1], nullptr);
  EXPECT_EQ(r.selectedDistributions[0], Get_TSMObject(1, ObjFormula));
  EXPECT_EQ(r.selectedDistributions[1], nullptr);
  End_data();
}

class SimulationRunTest : public ModelTest {};

TEST_F(SimulationRunTest, RealRunWritesSampleAndOutputFiles) {
  for (const char* v : {"a", "b", "c"}) AddVariable(v);
  AddFormula("f", "a+b");
  AddFormula("g", "b*c");
  SyncNodes();
  ASSERT_GT(WriteTSMFile(Path("m.tsm").c_str()), 0);
  TSimulationChoices c;
  c.Runs = 2;
  c.SamplesFileName = Path("m.sam");
  c.OutputFileName = Path("m.tso");
  TRunObjects keep;
  TRunRequest r = BuildRunRequest(c, {}, nullptr, keep);
  TEngineSimulation engine;
  const int32_t code = RunSeries(engine, r, [] { return false; });
  EXPECT_GT(code, 0);
  const TRunOutcome o = FinishSeries(engine, code, std::string(ShortStringView(r.message)), false,
                                     c.OutputFileName, 75, false);
  EXPECT_EQ(o.Status, "Simulation FINISHED! Time used:1 m 15 s");
  EXPECT_TRUE(std::filesystem::exists(Path("m.sam")));
  EXPECT_TRUE(std::filesystem::exists(Path("m.tso")));

  // An output file in a missing folder.
  const TRunOutcome bad = FinishSeries(engine, code, "", false, Path("none/m.tso"), 1, false);
  EXPECT_EQ(bad.Status, "Failure when saving the Output file " + Path("none/m.tso"));
  EXPECT_EQ(bad.ErrorBox, bad.Status);
  EXPECT_FALSE(bad.Results);
}

TEST_F(SimulationRunTest, MissingDistributionFileFailsTheRun) {
  TExtendedRandomVariable rv = Normal("q");
  rv.distribution.distType = 11;
  SetDistributionFileName(rv, Path("missing.DIS"));
  ASSERT_GT(Create_TSMObject(ObjRandomVariable, &rv), 0);
  AddFormula("f", "q");
  SyncNodes();
  TSimulationChoices c;
  c.Runs = 1;
  c.SamplesFileName = Path("m.sam");
  TRunObjects keep;
  TRunRequest r = BuildRunRequest(c, {}, nullptr, keep);
  TEngineSimulation engine;
  const int32_t code = RunSeries(engine, r, [] { return false; });
  EXPECT_EQ(code, RunDistributionFileFailure);
  const std::string message(ShortStringView(r.message));
  const TRunOutcome o = FinishSeries(engine, code, message, false, "", 1, false);
  EXPECT_EQ(o.Status, "Failure in the simulation process: " + message);
  EXPECT_FALSE(o.Results);
}

TEST_F(SimulationRunTest, ProcessSamplesRunsAndName) {
  EXPECT_EQ(ProcessSamplesRuns(250), 3);
  EXPECT_EQ(ProcessSamplesRuns(100), 1);
  EXPECT_EQ(ProcessSamplesFileName(Path("s.sam"), false), Path("s_post.sam"));
  WriteText(Path("s_post.sam"), "x");
  EXPECT_EQ(ProcessSamplesFileName(Path("s.sam"), false), Path("s_post1.sam"));
  EXPECT_EQ(ProcessSamplesFileName(Path("s.sam"), true), Path("s_post.sae"));
}

}  // namespace
}  // namespace tesmira::wb::test

namespace tesmira::wb::test {
namespace {

TEST_F(SimulationRunTest, SamplePathLongerThanTheRecordIsRefused) {
  const std::string folder = std::string(60, 'd') + "/" + std::string(60, 'e');
  std::filesystem::create_directories(dir_ / folder);
  const std::string sam = Path(folder + "/s.sam");
  ASSERT_GT(sam.size(), 126u);
  WriteText(sam, "1\na\n0\n1    ;* n\n1\n");
  EXPECT_EQ(CreateVariablesFromSampleFile(f.wb, sam), -1);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 0);
  EXPECT_EQ(f.prompt.Texts().back(),
            "The path of the sample file is longer than 126 characters:\r" + sam);
  EXPECT_FALSE(f.wb.Modified);
}

}  // namespace
}  // namespace tesmira::wb::test
