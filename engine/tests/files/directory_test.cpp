// The object directory, linked files and merging.
#include "model/store.h"
#include "model_files_fixture.h"

namespace {

using DirectoryTest = ModelFilesTest;

std::string LinkedName(int n) {
  char name[256];
  GetLinkedFile(n, 0, name);
  return name;
}

TEST_F(DirectoryTest, DeletedEntriesKeepTheirSlotAndNodesCountAsKindSeven) {
  void* a = AddVariable("a");
  void* b = AddVariable("b");
  AddVariable("c");
  SyncNodes();
  EXPECT_EQ(Get_TSMObjectsNumber(ObjDependenceNode), 3);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjDependenceNode2), 3);
  const int slotOfC = Fetch_TSMObject(Fetch_extended_random_variable(0, "c"));
  ASSERT_TRUE(Delete_TSMObject(b));
  EXPECT_EQ(int{Get_TSMObjectEntry(2)->state}, TsmDeleted);
  EXPECT_EQ(Get_TSMObject(2, 0), nullptr);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 2);
  EXPECT_EQ(Fetch_TSMObject(Fetch_extended_random_variable(0, "c")), slotOfC);
  EXPECT_EQ(Get_TSMObjectIndex(a, ObjRandomVariable), 1);
  EXPECT_EQ(Get_TSMObjectIndex(Fetch_extended_random_variable(0, "c"), ObjRandomVariable), 2);
  EXPECT_FALSE(Delete_TSMObject(b));
  EXPECT_EQ(Swap_TSMObjects(1, 2, ObjRandomVariable), 1);
  EXPECT_EQ(Get_TSMObject(1, ObjRandomVariable), Fetch_extended_random_variable(0, "c"));
  EXPECT_EQ(Swap_TSMObjects(1, 3, ObjRandomVariable), -1);
}

TEST_F(DirectoryTest, TheCreateBeyondAFullTableCompactsItFirst) {
  for (int k = 0; k < TsmMaxEntries - 1; ++k)
    ASSERT_GT(Create_TSMObject(ObjDistribution, nullptr), 0);
  void* a = AddVariable("a");
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(Delete_TSMObject(a));
  ASSERT_NE(AddVariable("b"), nullptr);  // the 5001st create
  EXPECT_EQ(Get_TSMObjectsNumber(0), TsmMaxEntries);
  EXPECT_EQ(int{Get_TSMObjectEntry(TsmMaxEntries)->kind}, ObjRandomVariable);
  EXPECT_EQ(Create_TSMObject(ObjDistribution, nullptr), 0);
  EXPECT_EQ(AddVariable("c"), nullptr);
}

class LinkTest : public ModelFilesTest {
 protected:
  // Model files holding one variable each.
  std::string MakeFile(const std::string& name, const std::string& variable) {
    EXPECT_TRUE(Init_data());
    AddVariable(variable);
    std::string path = Path(name);
    EXPECT_EQ(WriteTSMFile(path.c_str()), 1);
    EXPECT_TRUE(Init_data());
    return path;
  }
};

TEST_F(LinkTest, DeadLinksAreRemovedAndTheRestRenumbered) {
  std::string files[3] = {MakeFile("a.tsm", "va"), MakeFile("b.tsm", "vb"),
                          MakeFile("c.tsm", "vc")};
  AddVariable("own");
  for (const std::string& f : files) ASSERT_EQ(LoadTSMFile(f.c_str(), TsmLink), 1);
  EXPECT_EQ(GetLinkedFilesNumber(), 3);
  EXPECT_EQ(IsLinkedTSMObject(4, ObjRandomVariable), 3);
  EXPECT_EQ(Merge_LinkedObjects(2, ObjRandomVariable), 2);
  EXPECT_EQ(Merge_LinkedObjects(1, ObjRandomVariable), -1);  // the model's own
  EXPECT_EQ(Merge_LinkedObjects(3, ObjRandomVariable), 3);
  EXPECT_EQ(ScanDeadLinks(), 2);
  EXPECT_EQ(GetLinkedFilesNumber(), 1);
  EXPECT_EQ(LinkedName(1), files[2]);
  EXPECT_EQ(IsLinkedTSMObject(4, ObjRandomVariable), 1);
  char name[256];
  GetLinkedFile(4, ObjRandomVariable, name);
  EXPECT_EQ(std::string(name), files[2]);
  EXPECT_EQ(UnlinkTSMFile(2), -1);
  EXPECT_EQ(UnlinkTSMFile(1), 1);
  EXPECT_EQ(Variable_exists("vc"), 0);
  EXPECT_EQ(GetNumberOfRandomVariables(), 3);
}

TEST_F(LinkTest, LinkedObjectsAreNotWrittenAndComeBackThroughTheLink) {
  std::string linked = MakeFile("lib.tsm", "shared");
  AddVariable("own");
  ASSERT_EQ(LoadTSMFile(linked.c_str(), TsmLink), 1);
  const std::string model = Path("model.tsm");
  ASSERT_EQ(WriteTSMFile(model.c_str()), 1);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(model.c_str(), TsmOpen), 1);
  EXPECT_EQ(GetLinkedFilesNumber(), 1);
  EXPECT_EQ(Variable_exists("shared"), 2);
  EXPECT_EQ(IsLinkedTSMObject(2, ObjRandomVariable), 1);
  // A name that is already in the model is refused and counted.
  ASSERT_TRUE(Init_data());
  AddVariable("shared");
  ASSERT_EQ(LoadTSMFile(linked.c_str(), TsmLink), 1);
  EXPECT_EQ(ScanDuplicateNames(), 1);
}

TEST_F(LinkTest, MergingALinkedFileMakesItsObjectsTheModelsOwn) {
  std::string linked = MakeFile("lib.tsm", "shared");
  AddVariable("own");
  ASSERT_EQ(LoadTSMFile(linked.c_str(), TsmLink), 1);
  ASSERT_EQ(LoadTSMFile(linked.c_str(), TsmMerge), 1);
  EXPECT_EQ(GetLinkedFilesNumber(), 0);
  EXPECT_EQ(GetNumberOfRandomVariables(), 2);
  EXPECT_EQ(IsLinkedTSMObject(2, ObjRandomVariable), 0);
  EXPECT_EQ(tesmira::MergeOffset(), 0);  // merge mode ends with the read
}

TEST_F(LinkTest, AtMostThirtyOneLinksAreKeptAndFollowed) {
  std::vector<std::string> files;
  for (int k = 1; k <= 40; ++k)
    files.push_back(MakeFile(std::string("l").append(std::to_string(k)).append(".tsm"),
                             std::string("v").append(std::to_string(k))));
  std::string message;
  static std::string* sink = nullptr;
  sink = &message;
  SetRanvarOverflowHandler([](const char* text) { *sink = text; });
  AddVariable("own");
  for (int k = 0; k < 31; ++k) ASSERT_EQ(LoadTSMFile(files[k].c_str(), TsmLink), 1);
  EXPECT_LT(LoadTSMFile(files[31].c_str(), TsmLink), 0);
  EXPECT_EQ(message, "Tesmira supports only max. 31 linked files");
  EXPECT_EQ(GetLinkedFilesNumber(), 31);
  SetRanvarOverflowHandler(nullptr);
  // A file that declares 40 links: the first 31 are followed.
  const std::string model = Path("model.tsm");
  ASSERT_EQ(WriteTSMFile(model.c_str()), 1);
  std::string bytes = ReadAll(model);
  const int32_t table = static_cast<int32_t>(bytes.size());
  for (int k = 0; k < 40; ++k) {
    std::string record(256, '\0');
    record[0] = static_cast<char>(files[k].size());
    record.replace(1, files[k].size(), files[k]);
    bytes += record;
  }
  Put<int32_t>(bytes, 4 + 146, 40);
  Put<int32_t>(bytes, 4 + 150, table);
  WriteAll(model, bytes);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(model.c_str(), TsmOpen), 1);
  EXPECT_EQ(GetLinkedFilesNumber(), 31);
  EXPECT_EQ(GetNumberOfRandomVariables(), 32);
  EXPECT_EQ(Variable_exists("v32"), 0);
}

TEST_F(LinkTest, WindowsPathsInALinkTableAreFoundInTheModelsFolder) {
  std::string linked = MakeFile("LIB.TSM", "shared");
  AddVariable("own");
  ASSERT_EQ(LoadTSMFile(linked.c_str(), TsmLink), 1);
  const std::string model = Path("model.tsm");
  ASSERT_EQ(WriteTSMFile(model.c_str()), 1);
  std::string bytes = ReadAll(model);
  const std::string dos = "C:\\MODELS\\lib.tsm";
  std::string record(256, '\0');
  record[0] = static_cast<char>(dos.size());
  record.replace(1, dos.size(), dos);
  bytes.replace(466, 256, record);
  WriteAll(model, bytes);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(model.c_str(), TsmOpen), 1);
  EXPECT_EQ(Variable_exists("shared"), 2);
  EXPECT_EQ(LinkedName(1), dos);
}

}  // namespace
