// Result codes, messages, progress and the files of a run.
#include <cstring>
#include <fstream>

#include "simulation_fixture.h"

using example::AddFormula;
using example::AddVariable;
using example::Link;
using example::Node;

namespace {

int g_calls = 0;
bool StopAtOnce(int32_t, int32_t) {
  ++g_calls;
  return false;
}
bool CountCalls(int32_t, int32_t) {
  ++g_calls;
  return true;
}

using RunCodes = SimulationTest;

TEST_F(RunCodes, NoRunsAndEmptyStructure) {
  TRunRequest r = Request(0, 1);
  EXPECT_EQ(Run_simul(&r), 0);
  EXPECT_EQ(Message(r), "Number of runs must be non-zero");

  AddVariable("a", DistNormal, 0, 1);
  r = Request(1, 1);
  EXPECT_EQ(Run_simul(&r), -4);
  EXPECT_EQ(Message(r), "Empty dependence structure");
}

TEST_F(RunCodes, BadParametersNameTheVariable) {
  AddVariable("a", DistNormal, 0, 1);
  AddVariable("b", DistUniform, 2, 1);  // lower bound above the upper one
  Link("a", "b", 0.5, CopulaNormal);
  TRunRequest r = Request(1, 1);
  EXPECT_EQ(Run_simul(&r), -2);
  std::string m = Message(r);
  EXPECT_NE(m.find("; check the variable `b`"), std::string::npos) << m;
  EXPECT_NE(m.rfind("; check the variable `b`"), 0u) << "the check message comes first: " << m;
}

TEST_F(RunCodes, UnreadableDistributionFile) {
  AddVariable("a", DistNormal, 0, 1);
  TExtendedRandomVariable rv{};
  Ran_var_init(&rv);
  example::SetName(rv.distribution.name, MaxNameLength, "f");
  rv.distribution.distType = DistFile100;
  example::SetName(rv.distribution.u.fileName, 253, "missing.dis");
  TExtendedRandomVariable* out = nullptr;
  int32_t size = 0;
  ASSERT_GT(Create_extended_random_variable(&rv, &out, &size), 0);
  Link("a", "f", 0.3, CopulaNormal);
  TRunRequest r = Request(1, 1);
  EXPECT_EQ(Run_simul(&r), -2);
  EXPECT_EQ(
      Message(r),
      "Read failure or wrong format of the distribution file missing.dis; check the variable `f`");
}

TEST_F(RunCodes, FormulaErrorsAndRejections) {
  AddVariable("a", DistUniform, 0, 1);
  AddVariable("b", DistUniform, 0, 1);
  Link("a", "b", 0.5, CopulaNormal);

  AddFormula("out", "a+nosuchname");
  TRunRequest r = Request(1, 1, RunWriteInputs | RunWriteOutputs);
  EXPECT_EQ(Run_simul(&r), -3);
  EXPECT_EQ(Message(r).rfind("Model integrity/parsing failure: ", 0), 0u) << Message(r);

  // Every sample rejected: nothing accepted, no message.
  TUdf* f = Fetch_UDF(1, nullptr);
  example::SetName(f->text, 255, "a+b");
  AddFormula("condition", "0");
  r = Request(1, 1, RunWriteInputs | RunWriteOutputs);
  EXPECT_EQ(Run_simul(&r), -5);
  EXPECT_EQ(Message(r), "No output samples produced, no output files created");

  // A division by zero in the middle of the run stops it with the evaluator's message.
  example::SetName(Fetch_UDF(0, "condition")->text, 255, "1");
  example::SetName(f->text, 255, "1/i#{0,a,0.5}");
  r = Request(2, 1, RunWriteInputs | RunWriteOutputs);
  EXPECT_EQ(Run_simul(&r), -7);
  EXPECT_NE(Message(r).find("Division by zero"), std::string::npos) << Message(r);
}

using RunLoop = SimulationTest;

TEST_F(RunLoop, ProgressCallsAndStop) {
  AddVariable("a", DistUniform, 0, 1);
  AddVariable("b", DistUniform, 0, 1);
  Link("a", "b", 0.5, CopulaNormal);
  TRunRequest r = Request(3, 7);
  r.progress = CountCalls;
  g_calls = 0;
  EXPECT_EQ(Run_simul(&r), 1);
  EXPECT_EQ(g_calls, 33);  // 30 blocks and 3 runs
  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->requested, 300);
  EXPECT_EQ(data->accepted, 300);

  r.progress = StopAtOnce;
  g_calls = 0;
  Run_simul(&r);
  EXPECT_EQ(data->requested, 0);  // no run completed: no current results
  EXPECT_EQ(data->accepted, 10);
  EXPECT_EQ(g_calls, 33);  // the progress display still reaches the end
}

TEST_F(RunLoop, ConditionHalvesTheAcceptedSamples) {
  AddVariable("a", DistUniform, 0, 1);
  AddVariable("b", DistUniform, 0, 1);
  Link("a", "b", 0.0, CopulaNormal);
  AddFormula("out", "a+b");
  AddFormula("condition", "i#{0,a,0.5}");
  TRunRequest r = Request(40, 11, RunWriteInputs | RunWriteOutputs);
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  EXPECT_EQ(data->requested, 4000);
  // Binomial(4000, 0.5): standard deviation 31.6; allow 4.5 of them.
  EXPECT_NEAR(data->accepted, 2000, 143);
}

TEST_F(RunLoop, SameSeedSameFiles) {
  AddVariable("a", DistNormal, 0, 1);
  AddVariable("b", DistLogNormal, 1, 3);
  AddVariable("c", DistUniform, 0, 1);
  Link("a", "b", 0.6, CopulaClayton);
  Link("a", "c", -0.4, CopulaFrank);
  AddFormula("out", "a*b+c");
  std::string a, b, sae;
  for (int pass = 0; pass < 2; ++pass) {
    TRunRequest r = Request(2, 123, RunWriteInputs | RunWriteOutputs);
    ASSERT_EQ(Run_simul(&r), 1) << Message(r);
    (pass == 0 ? a : b) = ReadAll(Path("model.SAM"));
    if (pass == 0) sae = ReadAll(Path("model.sae"));
  }
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_FALSE(sae.empty());
  TRunRequest r = Request(2, 124, RunWriteInputs | RunWriteOutputs);
  ASSERT_EQ(Run_simul(&r), 1);
  EXPECT_NE(ReadAll(Path("model.SAM")), a);
}

// Two constants and their sum: every sample is the same, so the whole file is known.
TEST_F(RunLoop, SampleFilesByteExact) {
  AddVariable("x", DistConstant, 1.03125);
  AddVariable("y", DistConstant, -2.5);
  Link("x", "y", 0.0, CopulaNormal);
  AddFormula("z", "x+y");
  TRunRequest r = Request(1, 5, RunWriteInputs | RunWriteOutputs);
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  std::string sam = ReadAll(Path("model.SAM"));
  std::string header =
      "2  ; Number of input variables (array of names goes next)\r\n"
      "x\r\ny\r\n"
      "1  ; Number of output variables (array of names goes next)\r\n"
      "z\r\n";
  ASSERT_EQ(sam.substr(0, header.size()), header);
  std::string sample = " 1.0313E+00\r\n-2.5000E+00\r\n-1.4688E+00\r\n";
  std::size_t first = sam.find(sample);
  ASSERT_NE(first, std::string::npos) << sam.substr(0, 400);
  EXPECT_EQ(sam.size() - first, 100 * sample.size());
  std::string sae = ReadAll(Path("model.sae"));
  EXPECT_EQ(sae.substr(0, sae.find("\r\n") + 2).find("x"), 0u) << sae.substr(0, 80);
}

TEST_F(RunLoop, InputSamplesFromAFile) {
  // A source file of 250 samples of two inputs.
  {
    std::ofstream out(Path("source.sam"), std::ios::binary);
    out << "2  ; Number of input variables (array of names goes next)\r\np\r\nq\r\n"
        << "0  ; Number of output variables\r\n250  ; Number of samples\r\n";
    for (int i = 0; i < 250; ++i) out << " " << (i % 10) << ".0000E+00\r\n 1.0000E+00\r\n";
  }
  TExtendedRandomVariable rv{};
  for (int k = 0; k < 2; ++k) {
    Ran_var_init(&rv);
    example::SetName(rv.distribution.name, MaxNameLength, k == 0 ? "p" : "q");
    rv.distribution.distType = DistSampleFile;
    example::SetName(rv.distribution.u.sample.sampleFile, 126, Path("source.sam"));
    rv.samplePosition = static_cast<int16_t>(k + 1);
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    ASSERT_GT(Create_extended_random_variable(&rv, &out, &size), 0);
  }
  Link("p", "q", 0.0, CopulaNormal);
  AddFormula("s", "p+q");
  TRunRequest r = Request(1, 1, RunWriteInputs | RunWriteOutputs);
  g_calls = 0;
  r.progress = CountCalls;
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  EXPECT_EQ(g_calls, 28);  // 25 blocks and 3 runs
  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  EXPECT_EQ(data->accepted, 250);
  std::string post = ReadAll(Path("source_post.sam"));
  ASSERT_FALSE(post.empty());
  EXPECT_NE(post.find("s\r\n"), std::string::npos);
  EXPECT_NE(post.find(" 9.0000E+00\r\n 1.0000E+00\r\n 1.0000E+01\r\n"), std::string::npos);
}

}  // namespace

namespace {

// A model of Sample File variables whose probability file exists draws its
// samples at random from the file, as many as the request asks for.
TEST_F(RunLoop, InputSamplesDrawnWithTheirProbabilities) {
  {
    std::ofstream out(Path("src.sam"), std::ios::binary);
    out << "1  ; Number of input variables (array of names goes next)\r\np\r\n"
        << "0  ; Number of output variables\r\n3  ; Number of samples\r\n"
        << " 1.0000E+00\r\n 2.0000E+00\r\n 3.0000E+00\r\n";
    std::ofstream prb(Path("src.PRB"), std::ios::binary);
    prb << "0.25\r\n0.75\r\n0\r\n";
  }
  TExtendedRandomVariable rv{};
  Ran_var_init(&rv);
  example::SetName(rv.distribution.name, MaxNameLength, "p");
  rv.distribution.distType = DistSampleFile;
  example::SetName(rv.distribution.u.sample.sampleFile, 126, Path("src.sam"));
  rv.samplePosition = 1;
  TExtendedRandomVariable* created = nullptr;
  int32_t size = 0;
  ASSERT_GT(Create_extended_random_variable(&rv, &created, &size), 0);
  Node("p");
  AddFormula("twice", "2*p");
  TRunRequest r = Request(20, 3, RunWriteInputs | RunWriteOutputs);
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  EXPECT_EQ(data->accepted, 2000);
  // Sample 3 has probability 0; sample 1 about a quarter of the draws
  // (binomial standard deviation 19.4; 5 of them allowed).
  std::string post = ReadAll(Path("src_post.sam"));
  std::size_t ones = 0, threes = 0;
  for (std::size_t at = 0;
       (at = post.find("\r\n 1.0000E+00\r\n 2.0000E+00\r\n", at)) != std::string::npos; ++at)
    ++ones;
  for (std::size_t at = 0; (at = post.find(" 3.0000E+00", at)) != std::string::npos; ++at) ++threes;
  EXPECT_EQ(threes, 0u);
  EXPECT_NEAR(static_cast<double>(ones), 500.0, 97.0);
  char ext[256];
  FileKindExtension(FileKindInputTable, ext);
  EXPECT_FALSE(std::filesystem::exists(Path(std::string("src") + ext)))
      << "the table is deleted after the run";
}

// An output name without the legacy results extension names the result files.
TEST_F(RunLoop, OutputNameBecomesTheBaseName) {
  AddVariable("a", DistUniform, 0, 1);
  AddVariable("b", DistUniform, 0, 1);
  Link("a", "b", 0.5, CopulaNormal);
  TRunRequest r = Request(1, 1, RunWriteInputs);
  example::SetName(r.outputName, 255, "/elsewhere/case7.out");
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  EXPECT_TRUE(std::filesystem::exists(Path("case7.SAM")));
  char ext[256];
  FileKindExtension(FileKindLegacyResults, ext);
  EXPECT_FALSE(std::filesystem::exists(Path(std::string("case7") + ext)));
  EXPECT_FALSE(std::filesystem::exists(Path(std::string("model") + ext)));

  r = Request(1, 1, RunWriteInputs);
  example::SetName(r.outputName, 255, std::string("anything") + ext);
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  EXPECT_TRUE(std::filesystem::exists(Path("model.SAM")));
  EXPECT_TRUE(std::filesystem::exists(Path(std::string("model") + ext)))
      << "legacy results are written";
}

// With only the selected objects written, the files hold exactly those.
TEST_F(RunLoop, SelectedObjectsOnly) {
  AddVariable("a", DistUniform, 0, 1);
  TExtendedRandomVariable* b = AddVariable("b", DistUniform, 0, 1);
  AddVariable("c", DistUniform, 0, 1);
  Link("a", "b", 0.5, CopulaNormal);
  Link("a", "c", 0.5, CopulaNormal);
  AddFormula("f", "a+b+c");
  TUdf* g = AddFormula("g", "a-c");
  void* objects[] = {g, b, nullptr};
  TRunRequest r = Request(1, 1, RunWriteInputs | RunWriteOutputs | RunWriteSelected);
  r.sampledObjects = objects;
  ASSERT_EQ(Run_simul(&r), 1) << Message(r);
  std::string sam = ReadAll(Path("model.SAM"));
  EXPECT_EQ(sam.rfind("1  ; Number of input variables (array of names goes next)\r\nb\r\n"
                      "1  ; Number of output variables (array of names goes next)\r\ng\r\n",
                      0),
            0u)
      << sam.substr(0, 200);
  std::string sae = ReadAll(Path("model.sae"));
  EXPECT_EQ(sae.substr(0, sae.find("\r\n")), "b, g");
}

int g_pumps = 0;
void CountPumps() { ++g_pumps; }

TEST_F(RunLoop, MessagePumpBetweenBlocksAndNoModel) {
  AddVariable("a", DistUniform, 0, 1);
  Node("a");
  SetMessagePumpHook(CountPumps);
  g_pumps = 0;
  TRunRequest r = Request(3, 9);
  EXPECT_EQ(Run_simul(&r), 1);
  SetMessagePumpHook(nullptr);
  EXPECT_EQ(g_pumps, 30);

  End_model_data();
  r = Request(1, 1);
  EXPECT_EQ(Run_simul(&r), -1);
  EXPECT_EQ(Message(r), "Initialization failure");
  Init_Model_data();
}

TEST_F(RunLoop, SeriesWriteNumberedFilesAndNegateTheLastSeed) {
  AddVariable("a", DistUniform, 0, 1);
  AddVariable("b", DistUniform, 0, 1);
  Link("a", "b", 0.5, CopulaNormal);
  int32_t size = 0;
  auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
  for (int k = 1; k <= 3; ++k) {
    TRunRequest r = Request(1, 40 + k, RunWriteInputs | RunWriteOutputs);
    r.numberOfSimulations = 3;
    r.simulationIndex = static_cast<int16_t>(k);
    ASSERT_EQ(Run_simul(&r), 1) << Message(r);
    data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
    int seed = data->seed;  // a packed field: read by value
    EXPECT_EQ(seed, k < 3 ? 40 + k : -(40 + k));
  }
  for (const char* name : {"model001.SAM", "model002.SAM", "model003.SAM"})
    EXPECT_TRUE(std::filesystem::exists(Path(name))) << name;
}

// Tail dependence tells the copulas apart: Clayton gathers joint small values,
// Gumbel joint large ones. The seed 4638 samples every arc of a tree with the
// copula of the tree's head.
double CornerRatio(const std::string& raw) {
  std::size_t n = raw.size() / 8, low = 0, high = 0;
  for (std::size_t i = 0; i < n; ++i) {
    float u, v;
    std::memcpy(&u, raw.data() + 8 * i, 4);
    std::memcpy(&v, raw.data() + 8 * i + 4, 4);
    low += (u < 0.05f && v < 0.05f);
    high += (u > 0.95f && v > 0.95f);
  }
  return (low + 1.0) / (high + 1.0);
}

TEST_F(RunLoop, AlternativeRoutineFollowsTheHeadCopula) {
  AddVariable("a", DistUniform, 0, 1);
  AddVariable("b", DistUniform, 0, 1);
  ASSERT_TRUE(Link("a", "b", 0.7, CopulaGumbel));
  ASSERT_EQ(SetBivariateType(Node("a"), CopulaClayton), 1);
  char ext[256];
  FileKindExtension(FileKindSampleStore, ext);
  TRunRequest r = Request(100, 4639, RunWriteBinary);
  ASSERT_EQ(Run_simul(&r), 1);
  double ordinary = CornerRatio(ReadAll(Path(std::string("model") + ext)));
  r = Request(100, 4638, RunWriteBinary);
  ASSERT_EQ(Run_simul(&r), 1);
  double alternative = CornerRatio(ReadAll(Path(std::string("model") + ext)));
  EXPECT_LT(ordinary, 0.8);      // Gumbel: upper corner
  EXPECT_GT(alternative, 1.25);  // Clayton: lower corner
}

}  // namespace
