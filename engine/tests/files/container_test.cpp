// The container's byte layout, the reader's codes at their limits, round
// trips and failed saves.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

#include "files/model_container.h"
#include "model_files_fixture.h"
#include "tesmira/files.h"

namespace {

using ContainerTest = ModelFilesTest;

TEST_F(ContainerTest, OneVariableAndOneFormulaGiveTheDocumentedLayout) {
  ASSERT_NE(AddVariable("x"), nullptr);
  ASSERT_NE(AddFormula("y", "2*x"), nullptr);
  const std::string path = Path("one.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 2);
  const std::string b = ReadAll(path);
  ASSERT_EQ(b.size(), 3091u);
  EXPECT_EQ(At<int32_t>(b, 0), 462);
  EXPECT_EQ(At<double>(b, 4), 2.0);
  EXPECT_EQ(At<int32_t>(b, 4 + 8), ModelTypeFormula);
  EXPECT_EQ(b.substr(4 + 12, 8), std::string("\x07"
                                             "FORMULA"));
  EXPECT_EQ(At<int32_t>(b, 4 + 146), 0);    // links
  EXPECT_EQ(At<int32_t>(b, 4 + 150), 466);  // link table
  EXPECT_EQ(At<int32_t>(b, 4 + 154), 256);
  EXPECT_EQ(At<int32_t>(b, 4 + 158), 2);
  EXPECT_EQ(At<int32_t>(b, 4 + 162), 23);
  EXPECT_EQ(At<int32_t>(b, 4 + 166), 466);     // directory
  EXPECT_EQ(At<int16_t>(b, 4 + 170), 1);       // variables
  EXPECT_EQ(At<int16_t>(b, 4 + 170 + 10), 1);  // formulas
  const int16_t display[5] = {0, 2, 0, 5, 2};
  for (int k = 0; k < 16; ++k)
    EXPECT_EQ(At<int16_t>(b, 4 + 202 + 2 * k), k < 5 ? display[k] : -777) << k;
  EXPECT_EQ(At<int32_t>(b, 4 + 330), 512);
  EXPECT_EQ(b.substr(4 + 234, 96), std::string(96, '\0'));
  EXPECT_EQ(b.substr(4 + 334, 128), std::string(128, '\0'));
  struct Expected {
    int kind, size, offset;
  };
  const Expected entries[2] = {{1, 2176, 512}, {6, 403, 2688}};
  for (int i = 0; i < 2; ++i) {
    TTsmObjectEntry e = At<TTsmObjectEntry>(b, 466 + 23 * i);
    EXPECT_EQ(int{e.kind}, entries[i].kind);
    EXPECT_EQ(int{e.state}, TsmInMemory);
    EXPECT_EQ(int{e.link}, 0);
    EXPECT_EQ(int{e.size}, entries[i].size);
    EXPECT_EQ(int{e.offset}, entries[i].offset);
    EXPECT_EQ(int{e.memoryRef}, 0);
    EXPECT_EQ(int{e.selected}, 1);
    EXPECT_EQ(int{e.duplicate}, 0);
  }
  EXPECT_EQ(std::memcmp(b.data() + 512, Fetch_extended_random_variable(1, nullptr), 2176), 0);
  EXPECT_EQ(std::memcmp(b.data() + 2688, Fetch_UDF(1, nullptr), 403), 0);
}

TEST_F(ContainerTest, ReaderCodesAtTheirLimits) {
  AddVariable("x");
  const std::string good = Path("good.tsm");
  ASSERT_EQ(WriteTSMFile(good.c_str()), 1);
  const std::string base = ReadAll(good);
  struct Case {
    const char* what;
    std::function<void(std::string&)> patch;
    int expected;
  };
  const Case cases[] = {
      {"length 231", [](std::string& b) { Put<int32_t>(b, 0, 231); }, TsmReadImplausible},
      {"length 232", [](std::string& b) { Put<int32_t>(b, 0, 232); }, 1},
      {"length 924", [](std::string& b) { Put<int32_t>(b, 0, 924); }, 1},
      {"length 925", [](std::string& b) { Put<int32_t>(b, 0, 925); }, TsmReadImplausible},
      {"version 2.9", [](std::string& b) { Put<double>(b, 4, 2.9); }, 1},
      {"version 3.0", [](std::string& b) { Put<double>(b, 4, 3.0); }, TsmReadNewerVersion},
      {"321 links", [](std::string& b) { Put<int32_t>(b, 4 + 146, 321); }, TsmReadImplausible},
      {"50001 entries", [](std::string& b) { Put<int32_t>(b, 4 + 158, 50001); },
       TsmReadImplausible},
      {"truncated directory", [](std::string& b) { Put<int32_t>(b, 4 + 158, 200); }, TsmReadShort},
      {"truncated header", [](std::string& b) { b.resize(300); }, TsmReadShort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = base;
    c.patch(bytes);
    const std::string path = Path("case.tsm");
    WriteAll(path, bytes);
    ASSERT_TRUE(Init_data());
    int32_t r = LoadTSMFile(path.c_str(), TsmOpen);
    EXPECT_EQ(r, c.expected);
    if (c.expected == 1) {
      EXPECT_EQ(GetNumberOfRandomVariables(), 1);
    }
  }
  EXPECT_EQ(LoadTSMFile(Path("missing.tsm").c_str(), TsmOpen), TsmReadCannotOpen);
}

TEST_F(ContainerTest, AShortHeaderKeepsTheDefaultsAfterItsEnd) {
  AddVariable("x");
  const std::string path = Path("short.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 1);
  std::string b = ReadAll(path);
  Put<int32_t>(b, 0, 400);
  Put<int32_t>(b, 4 + 400, 12345);  // inside the first data offset's bytes: not read
  for (int k = 0; k < 5; ++k)
    Put<int16_t>(b, 4 + 202 + 2 * k, static_cast<int16_t>(k == 1 ? 7 : k + 1));
  WriteAll(path, b);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(path.c_str(), TsmOpen), 1);
  const TTsmFileHeader* h = CurrentFileHeader();
  EXPECT_EQ(int{h->reserved2[400 - 334]}, 0);
  int16_t settings[5];
  GetDisplaySettings(settings);
  EXPECT_EQ(settings[1], 2);  // fpformat clamped to 2
  EXPECT_EQ(settings[3], 4);
}

TEST_F(ContainerTest, ProbingAFileChangesNothingInTheRunningModel) {
  AddVariable("x");
  const std::string path = Path("other.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 1);
  std::string b = ReadAll(path);
  Put<double>(b, 4, 1.0);  // old node layout
  for (int k = 0; k < 5; ++k) Put<int16_t>(b, 4 + 202 + 2 * k, 1);
  WriteAll(path, b);
  ASSERT_TRUE(Init_data());
  int16_t before[5];
  GetDisplaySettings(before);
  void* header = nullptr;
  EXPECT_EQ(GetFileHeader(path.c_str(), &header), TsmKindModel);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(double{static_cast<TTsmFileHeader*>(header)->designVersion}, 1.0);
  EXPECT_TRUE(IsNodeDesign2());
  int16_t settings[5];
  GetDisplaySettings(settings);
  EXPECT_EQ(settings[3], before[3]);
  EXPECT_EQ(GetFileHeader(Path("none.tsm").c_str(), &header), TsmKindUnknown);
  EXPECT_EQ(header, nullptr);
}

class RoundTrip : public ContainerTest, public ::testing::WithParamInterface<int> {};

TEST_P(RoundTrip, WriteReadWriteGivesTheSameBytes) {
  switch (GetParam()) {
    case 0: BuildTreeModel(); break;
    case 1: BuildMatrixModel(); break;
    default: BuildVineModel(); break;
  }
  const int nodes = GetNumberOfDepNodes(true);
  std::vector<int> parents;
  for (int i = 1; i <= nodes; ++i)
    parents.push_back(GetNode(i) ? static_cast<TDepNodeV2*>(GetNode(i))->parent : -1);
  const std::string first = Path("first.tsm"), second = Path("second.tsm");
  const int32_t written = WriteTSMFile(first.c_str());
  ASSERT_GT(written, 0);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(first.c_str(), TsmOpen), written);
  ASSERT_EQ(GetNumberOfDepNodes(true), nodes);
  for (int i = 1; i <= nodes; ++i)
    EXPECT_EQ(int{static_cast<TDepNodeV2*>(GetNode(i))->parent}, parents[i - 1]);
  ASSERT_EQ(WriteTSMFile(second.c_str()), written);
  EXPECT_TRUE(ReadAll(first) == ReadAll(second));
}

INSTANTIATE_TEST_SUITE_P(Structures, RoundTrip, ::testing::Values(0, 1, 2));

TEST_F(ContainerTest, AFailedSaveLeavesThePreviousFileAsItWas) {
  BuildTreeModel();
  const std::string path = Path("model.tsm");
  ASSERT_GT(WriteTSMFile(path.c_str()), 0);
  const std::string before = ReadAll(path);
  AddVariable("more");
  for (int64_t fault : {int64_t{0}, int64_t{100}, int64_t{5000}, int64_t{1} << 20}) {
    tesmira::SetWriteFaultAfter(fault);
    EXPECT_EQ(WriteTSMFile(path.c_str()), 0) << fault;
    tesmira::SetWriteFaultAfter(-1);
    EXPECT_TRUE(ReadAll(path) == before) << fault;
  }
  // A file that another program holds locked is not replaced.
  {
    ASSERT_TRUE(Init_data());
    int other = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    AddVariable("x");
    EXPECT_EQ(WriteTSMFile(path.c_str()), 0);
    EXPECT_TRUE(ReadAll(path) == before);
    ::close(other);
    ASSERT_TRUE(Init_data());
    ASSERT_GT(LoadTSMFile(path.c_str(), TsmOpen), 0);
    AddVariable("more");
  }
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);  // no temporary file is left behind
  // Saved again, the model is whole and a shorter model leaves no stale bytes.
  ASSERT_GT(WriteTSMFile(path.c_str()), 0);
  ASSERT_TRUE(Delete_TSMObject(Fetch_extended_random_variable(0, "more")));
  ASSERT_GT(WriteTSMFile(path.c_str()), 0);
  EXPECT_TRUE(ReadAll(path) == before);
}

TEST_F(ContainerTest, DeletedLinkedAndUnselectedEntriesAreNotWritten) {
  AddVariable("a");
  void* b = AddVariable("b");
  AddVariable("c");
  AddFormula("f", "a");
  ASSERT_TRUE(Delete_TSMObject(b));
  ASSERT_EQ(Mark_TSMObjectSelected(2, ObjRandomVariable, false), 2);  // c
  const std::string path = Path("part.tsm");
  EXPECT_EQ(WriteTSMFile(path.c_str()), 2);
  const std::string bytes = ReadAll(path);
  int sum = 0;
  for (int k = 0; k < 16; ++k) sum += At<int16_t>(bytes, 4 + 170 + 2 * k);
  EXPECT_EQ(sum, At<int32_t>(bytes, 4 + 158));
  // An empty model writes its header but reports nothing written.
  ASSERT_TRUE(Init_data());
  const std::string empty = Path("empty.tsm");
  EXPECT_EQ(WriteTSMFile(empty.c_str()), 0);
  EXPECT_EQ(ReadAll(empty).size(), 466u);
}

TEST_F(ContainerTest, ExtractsHoldTheSelectionAndLeaveTheModelAsItWas) {
  AddVariable("a");
  AddVariable("b");
  const std::string model = Path("model.tsm");
  ASSERT_EQ(WriteTSMFile(model.c_str()), 2);
  Mark_AllTSMObjectsSelected(false);
  Mark_TSMObjectSelected(2, ObjRandomVariable, true);
  SetExtractState(1);
  EXPECT_EQ(WriteTSMFile(model.c_str()), 0);  // never into the model's own file
  SetExtractState(1);
  const std::string extract = Path("part.tsm");
  ASSERT_EQ(WriteTSMFile(extract.c_str()), 1);
  const std::string bytes = ReadAll(extract);
  EXPECT_EQ(bytes.substr(4 + 46, 32), "Extract file for the model model");
  EXPECT_EQ(CurrentFileHeader()->description[0], 0);
  char folder[256];
  ModelFolder(folder);
  EXPECT_EQ(std::string(folder) + "model.tsm", model);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(extract.c_str(), TsmOpen), 1);
  EXPECT_EQ(Variable_exists("b"), 1);
}

TEST_F(ContainerTest, ImplausibleBlocksAreMarkedDeletedAndTheRestLoads) {
  AddVariable("a");
  AddVariable("b");
  AddFormula("f", "a+b");
  const std::string path = Path("bad.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 3);
  const std::string base = ReadAll(path);
  struct Case {
    const char* what;
    int entry, field, value;
    const char* name;  // the name the damaged block still shows
  };
  const Case cases[] = {
      {"size not the record's", 0, 6, 2000, "a"},  {"size past the end", 1, 6, 1 << 30, "b"},
      {"offset past the end", 1, 10, 1 << 30, ""}, {"negative offset", 0, 10, -8, ""},
      {"kind never stored", 0, 0, 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string b = base;
    if (c.field == 0)
      b[466 + 23 * c.entry] = static_cast<char>(c.value);
    else
      Put<int32_t>(b, 466 + 23 * c.entry + c.field, c.value);
    WriteAll(path, b);
    ASSERT_TRUE(Init_data());
    EXPECT_EQ(LoadTSMFile(path.c_str(), TsmOpen), 3);
    EXPECT_EQ(GetNumberOfRandomVariables(), 1);
    EXPECT_EQ(GetNumberOfFormulas(), 1);
    EXPECT_EQ(int{Get_TSMObjectEntry(c.entry + 1)->state}, TsmDeleted);
    ASSERT_EQ(tesmira::UnreadObjects().size(), 1u);
    EXPECT_EQ(tesmira::UnreadObjects()[0].name, c.name);
  }

  // A file none of whose objects can be read is refused, and loads nothing.
  std::string b = base;
  for (int i = 0; i < 3; ++i) Put<int32_t>(b, 466 + 23 * i + 6, 1 << 30);
  WriteAll(path, b);
  ASSERT_TRUE(Init_data());
  EXPECT_EQ(LoadTSMFile(path.c_str(), TsmOpen), TsmReadImplausible);
  EXPECT_EQ(Get_TSMObjectsNumber(0), 0);
  EXPECT_EQ(tesmira::UnreadObjects().size(), 3u);
}

// A variable or formula whose fields are outside their ranges is not loaded;
// a variable never given a distribution is, as the engine makes such ones.
TEST_F(ContainerTest, RecordsOutsideTheirRangesAreNotLoaded) {
  AddVariable("a");
  AddFormula("f", "2*a");
  const std::string path = Path("range.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 2);
  const std::string base = ReadAll(path);
  const std::size_t a = At<int32_t>(base, 466 + 10), f = At<int32_t>(base, 466 + 23 + 10);
  struct Case {
    const char* what;
    std::size_t at;
    unsigned char value;
    int variables, formulas;
    const char* unreadName;  // nullptr: everything loads
  };
  const Case cases[] = {
      {"a distribution type above 15", a + 33, 16, 0, 1, "a"},
      {"a variable's name longer than 32", a, 33, 0, 1, ""},
      {"a description longer than 100", a + 291, 101, 0, 1, "a"},
      {"too many discrete pairs", a + 33, DistDiscrete, 0, 1, "a"},
      {"a formula's name longer than 32", f, 0xFF, 1, 0, ""},
      {"a variable without a distribution", a + 33, 0, 1, 1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string b = base;
    b[c.at] = static_cast<char>(c.value);
    if (c.value == DistDiscrete) Put<int16_t>(b, a + 194, DiscretePairs + 1);
    WriteAll(path, b);
    ASSERT_TRUE(Init_data());
    EXPECT_EQ(LoadTSMFile(path.c_str(), TsmOpen), 2);
    EXPECT_EQ(GetNumberOfRandomVariables(), c.variables);
    EXPECT_EQ(GetNumberOfFormulas(), c.formulas);
    if (c.unreadName) {
      ASSERT_EQ(tesmira::UnreadObjects().size(), 1u);
      EXPECT_EQ(tesmira::UnreadObjects()[0].name, c.unreadName);
    } else {
      EXPECT_TRUE(tesmira::UnreadObjects().empty());
    }
  }
}

}  // namespace
