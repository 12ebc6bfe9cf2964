// Output files: the result blocks after the model's objects, reading them
// back with the run's model, and the correlation rows read from the file.
#include "model_files_fixture.h"
#include "tesmira/files.h"
#include "tesmira/simulation.h"

namespace {

class OutputFileTest : public ModelFilesTest {
 protected:
  // Three inputs (two of them linked) and two outputs, run and saved.
  void RunModel(const std::string& modelName = "model.tsm") {
    AddVariable("a", 0, 1);
    AddVariable("b", 1, 2);
    AddVariable("c", 2, 3);
    SyncNodes();
    ASSERT_TRUE(Link("a", "b", 0.7));
    AddFormula("s", "a+b");
    AddFormula("p", "a*c");
    model_ = Path(modelName);
    ASSERT_EQ(WriteTSMFile(model_.c_str()), 8);
    TRunRequest r = DefaultRunRequest;
    r.runs = 10;
    r.seed = 7;
    r.correlationKind = 2;
    r.options = 0;
    ASSERT_EQ(Run_simul(&r), RunCompleted);
  }
  std::string model_;
};

TEST_F(OutputFileTest, ResultsFollowTheModelsObjectsInTheirOrder) {
  RunModel();
  const std::string path = Path("model.tso");
  ASSERT_EQ(WriteTSOFile(path.c_str()), 8 + 12);
  const std::string b = ReadAll(path);
  EXPECT_EQ(b.substr(4 + 46, 42), "Simulation Output file for the model model");
  struct Expected {
    int kind, state, size;
  };
  const Expected results[12] = {{8, 2, 90048},  {9, 1, 808},    {9, 1, 808}, {10, 2, 68000},
                                {11, 2, 45002}, {12, 2, 45002}, {13, 1, -1}, {13, 1, -1},
                                {13, 1, -1},    {13, 1, -1},    {13, 1, -1}, {14, 2, 16004}};
  const int32_t directory = At<int32_t>(b, 4 + 166);
  int32_t expectedOffset = At<int32_t>(b, 4 + 330);
  for (int i = 0; i < 20; ++i) {
    TTsmObjectEntry e = At<TTsmObjectEntry>(b, static_cast<std::size_t>(directory + 23 * i));
    EXPECT_EQ(int{e.offset}, expectedOffset) << i;
    expectedOffset += e.size;
    if (i < 8) continue;
    const Expected& x = results[i - 8];
    EXPECT_EQ(int{e.kind}, x.kind) << i;
    EXPECT_EQ(int{e.state}, x.state) << i;
    const int expectedSize = x.size > 0 ? x.size : e.size - e.size % 4;
    EXPECT_EQ(int{e.size}, expectedSize) << i;
    // The row of the last column covers no column: it is empty.
    if (i == 18) {
      EXPECT_EQ(int{e.size}, 0);
    }
  }
  EXPECT_EQ(static_cast<std::size_t>(expectedOffset), b.size());
  void* header = nullptr;
  EXPECT_EQ(GetFileHeader(path.c_str(), &header), TsmKindOutput);
  // The model's directory is as it was.
  EXPECT_EQ(Get_TSMObjectsNumber(0), 8);
  // Correlation row j is the block written for it.
  for (int j = 1; j <= 5; ++j) {
    TTsmObjectEntry e = At<TTsmObjectEntry>(b, static_cast<std::size_t>(directory + 23 * (13 + j)));
    ASSERT_EQ(int{e.kind}, ObjCorrelationData);
    std::string row(8000, '\0');
    ASSERT_TRUE(GetCorrData(row.data(), j));
    EXPECT_TRUE(row.substr(0, static_cast<std::size_t>(e.size)) ==
                b.substr(static_cast<std::size_t>(e.offset), static_cast<std::size_t>(e.size)))
        << j;
  }
  EXPECT_FALSE(GetCorrData(std::string(8000, '\0').data(), 6));
  EXPECT_NEAR(Get_sample_correlation(1, 2), 0.7, 0.2);
}

TEST_F(OutputFileTest, AnOpenedOutputFileBringsItsModelAndWritesBackTheSameBytes) {
  RunModel();
  const std::string first = Path("model.tso"), second = Path("copy.tso");
  ASSERT_GT(WriteTSOFile(first.c_str()), 0);
  const double r12 = Get_sample_correlation(1, 2);
  ASSERT_TRUE(Init_data());
  void* header = nullptr;
  ASSERT_EQ(GetFileHeader(first.c_str(), &header), TsmKindOutput);
  ASSERT_EQ(LoadTSMFile(first.c_str(), TsmOpen), 20);
  EXPECT_EQ(GetNumberOfRandomVariables(), 3);
  EXPECT_EQ(GetNumberOfFormulas(), 2);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 3);  // the model's copies were refused
  EXPECT_EQ(ScanDuplicateNames(), 0);                     // ... and are not the user's duplicates
  EXPECT_FLOAT_EQ(static_cast<float>(Get_sample_correlation(1, 2)), static_cast<float>(r12));
  std::vector<int> rowSizes;
  for (int slot = 1; const TTsmObjectEntry* e = Get_TSMObjectEntry(slot); ++slot)
    if (e->kind == ObjCorrelationData && e->state != TsmDeleted) rowSizes.push_back(int{e->size});
  ASSERT_EQ(rowSizes.size(), 5u);
  EXPECT_EQ(rowSizes[4], 0);  // read back empty
  ASSERT_EQ(WriteTSMFile(second.c_str()), 20);
  EXPECT_TRUE(ReadAll(first) == ReadAll(second));
}

TEST_F(OutputFileTest, ALinkedFilesDuplicateStillWarnsWhenTheOutputFileIsOpened) {
  // A linked file that holds another "a" than the model's.
  const std::string output = Path("model.tso"), other = Path("other.tsm");
  AddVariable("a", 5, 1);
  ASSERT_EQ(WriteTSMFile(other.c_str()), 1);
  ASSERT_TRUE(Init_data());
  RunModel();
  ASSERT_EQ(LoadTSMFile(other.c_str(), TsmLink), 1);
  ASSERT_GT(WriteTSOFile(output.c_str()), 0);
  ASSERT_TRUE(Init_data());
  void* header = nullptr;
  ASSERT_EQ(GetFileHeader(output.c_str(), &header), TsmKindOutput);
  ASSERT_EQ(LoadTSMFile(output.c_str(), TsmOpen), 20);
  EXPECT_EQ(GetNumberOfRandomVariables(), 3);
  EXPECT_EQ(ScanDuplicateNames(), 1);
}

TEST_F(OutputFileTest, TheModelOfAnOutputFileIsFoundByTheOutputFilesOwnName) {
  struct Case {
    const char* model;   // the model the run saved
    const char* output;  // the output file's name
  };
  // A moved model: the recorded name names no file. A long name: old files
  // recorded 8 characters of it.
  const Case cases[] = {{"model.tsm", "renamed.tso"}, {"longmodelname.tsm", "longmodelname.tso"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    ASSERT_TRUE(Init_data());
    RunModel(c.model);
    const std::string output = Path(c.output);
    ASSERT_GT(WriteTSOFile(output.c_str()), 0);
    const std::string own =
        Path(std::string(c.output).substr(0, std::string(c.output).find('.')) + ".tsm");
    if (own != model_) std::filesystem::rename(model_, own);
    ASSERT_TRUE(Init_data());
    ASSERT_EQ(LoadTSMFile(output.c_str(), TsmOpen), 20);
    EXPECT_EQ(GetNumberOfRandomVariables(), 3);
    EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 3);
    EXPECT_EQ(ScanDuplicateNames(), 0);
  }
}

TEST_F(OutputFileTest, AHandOverRunLeavesTheSampleStoreAndItsDescription) {
  AddVariable("a");
  AddVariable("b");
  SyncNodes();
  AddFormula("s", "a+b");
  SetModelFileName(Path("net.tsm").c_str());
  TRunRequest r = DefaultRunRequest;
  r.runs = 2;
  r.seed = 3;
  r.options = RunWriteBinary;
  ASSERT_EQ(Run_simul(&r), RunCompleted);
  EXPECT_TRUE(std::filesystem::exists(Path("net.TPS")));
  EXPECT_EQ(ReadAll(Path("net.RVINFO")).substr(0, 40),
            "[General]\r\nNumberOfRandomVariables=2\r\n\r\n");
}

TEST_F(OutputFileTest, AnUnnamedModelTakesItsResultNamesFromTheSampleFileOrIsRefused) {
  AddVariable("a");
  SyncNodes();
  AddFormula("s", "2*a");
  TRunRequest r = DefaultRunRequest;
  r.runs = 1;
  r.seed = 3;
  r.options = RunWriteInputs | RunWriteOutputs;
  ASSERT_EQ(Run_simul(&r), RunInitFailure);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.message + 1), r.message[0]),
            "The results have no file name: save the model or give an output name first");
  EXPECT_FALSE(std::filesystem::exists(".SIM"));
  const std::string sample = Path("draws.sam");
  tesmira::SetShortString(r.sampleFile, 255, sample);
  ASSERT_EQ(Run_simul(&r), RunCompleted);
  EXPECT_TRUE(std::filesystem::exists(sample));
  EXPECT_TRUE(std::filesystem::exists(Path("draws.SIM")));
}

}  // namespace

namespace {

using ProbeTest = ModelFilesTest;

TEST_F(ProbeTest, SampleFilesAreProbedAndLoadedAsInputSamples) {
  AddVariable("a");
  SyncNodes();
  AddFormula("s", "2*a");
  SetModelFileName(Path("m.tsm").c_str());
  TRunRequest r = DefaultRunRequest;
  r.runs = 1;
  r.seed = 5;
  r.options = RunWriteInputs | RunWriteOutputs;
  ASSERT_EQ(Run_simul(&r), RunCompleted);
  const std::string sam = Path("m.sam");
  ASSERT_TRUE(std::filesystem::exists(sam) || std::filesystem::exists(Path("m.SAM")));
  const std::string file = std::filesystem::exists(sam) ? sam : Path("m.SAM");
  ASSERT_TRUE(Init_data());
  void* header = nullptr;
  ASSERT_EQ(GetFileHeader(file.c_str(), &header), TsmKindSampleFile);
  EXPECT_EQ(static_cast<TSampleFileHeader*>(header)->count, 100);
  ASSERT_EQ(LoadSampleFile(file.c_str()), 100);
  TSampleList* inputs = Fetch_sample_data(0, "a");
  ASSERT_NE(inputs, nullptr);
  EXPECT_EQ(int{inputs->count}, 1);
  // Bytes that are neither a container, a sample file nor an old model.
  WriteAll(Path("junk.bin"), std::string(300, '\x07'));
  EXPECT_EQ(GetFileHeader(Path("junk.bin").c_str(), &header), TsmKindLegacyUnreadable);
}

TEST_F(ProbeTest, AFileThatBringsTooManyVariablesWarnsOnce) {
  static std::vector<std::string> messages;
  messages.clear();
  SetRanvarOverflowHandler([](const char* text) { messages.push_back(text); });
  AddVariable("extra1");
  AddVariable("extra2");
  const std::string path = Path("extra.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 2);
  ASSERT_TRUE(Init_data());
  for (int k = 1; k <= MaxVariables; ++k)
    ASSERT_NE(AddVariable(std::string("v").append(std::to_string(k))), nullptr);
  EXPECT_EQ(RanvarOverflowMessage(false), 1);
  ASSERT_EQ(LoadTSMFile(path.c_str(), TsmMerge), 2);
  SetRanvarOverflowHandler(nullptr);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0],
            "Can`t create any more random variables.\n\rTesmira supports only max. 1000 variables");
  EXPECT_EQ(messages[1],
            "The file that`s being loaded contains too many input variables.\n\rTesmira supports "
            "only max. 1000 "
            "variables,\n\rthe extraneous ones will be discarded.\n\rThis might result in numerous "
            "errors in the "
            "Formula/UDF panel");
}

}  // namespace
