// Opening a model file whose objects cannot all be read: the open says how
// many are missing and names those it can, the model is not taken for a copy
// of the file, and the damaged file is replaced only when the user agrees.
#include <cstring>
#include <fstream>
#include <iterator>

#include "file_commands.h"
#include "model_fixture.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {
namespace {

using Strings = std::vector<std::string>;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int32_t Int32At(const std::string& bytes, std::size_t at) {
  int32_t v = 0;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

void SetInt32At(std::string& bytes, std::size_t at, int32_t v) {
  std::memcpy(bytes.data() + at, &v, 4);
}

class DamagedModelFiles : public test::ModelTest {
 protected:
  // Variables a, b and c, the formula s and the nodes of the variables,
  // saved as m.tsm; the model is closed afterwards.
  void SetUp() override {
    ModelTest::SetUp();
    AddVariable("a");
    AddVariable("b");
    AddVariable("c");
    AddFormula("s", "a+b+c");
    SyncNodes();
    path = Path("m.tsm");
    ASSERT_TRUE(WriteModelFile(wb, path));
    saved = ReadBytes(path);
    ASSERT_TRUE(NewModel(wb));
  }

  // Directory entry i (0-based): where its size and offset stand.
  std::size_t Entry(int i) const {
    return static_cast<std::size_t>(Int32At(saved, 4 + 166)) + static_cast<std::size_t>(i) * 23;
  }
  int Entries() const { return Int32At(saved, 4 + 158); }
  int Kind(int i) const { return static_cast<unsigned char>(saved[Entry(i)]); }
  int32_t Size(int i) const { return Int32At(saved, Entry(i) + 6); }
  int32_t Offset(int i) const { return Int32At(saved, Entry(i) + 10); }
  int EntryOf(int kind, int n) const {
    for (int i = 0; i < Entries(); ++i)
      if (Kind(i) == kind && n-- == 1) return i;
    ADD_FAILURE() << "no entry " << n << " of kind " << kind;
    return 0;
  }

  int Open() {
    TOpenDialog dialog;
    dialog.Files = {path};
    std::string text;
    return LoadModelFiles(wb, dialog, LoadListed, text);
  }

  std::string path;
  std::string saved;
};

TEST_F(DamagedModelFiles, TheOpenSaysWhatIsMissingAndKeepsTheRest) {
  ASSERT_EQ(Kind(0), ObjRandomVariable);
  const int b = EntryOf(ObjRandomVariable, 2);
  const int last = Entries() - 1;
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
    Strings variables, formulas;
  };
  std::string sizePastTheEnd = saved, huge = saved, outOfRange = saved;
  SetInt32At(sizePastTheEnd, Entry(b) + 6, static_cast<int32_t>(saved.size()) - Offset(b) + 1);
  SetInt32At(huge, Entry(b) + 6, 0x7FFFFFFF);
  std::memset(outOfRange.data() + Offset(b), 0xFF, static_cast<std::size_t>(Size(b)));
  // Cut inside the last block but one, the node of b: the last block, the
  // node of c, lies past the end and shows no name.
  ASSERT_EQ(Kind(last - 1), ObjDependenceNode2);
  ASSERT_EQ(Kind(last), ObjDependenceNode2);
  const std::string truncated = saved.substr(0, static_cast<std::size_t>(Offset(last - 1)) + 100);
  const char* const truncatedWhat = "a file cut short";
  const Case cases[] = {
      {"a size past the end",
       sizePastTheEnd,
       "The file m.tsm is damaged: 1 object could not be read: b",
       {"a", "c"},
       {"s"}},
      {"a huge size",
       huge,
       "The file m.tsm is damaged: 1 object could not be read: b",
       {"a", "c"},
       {"s"}},
      {"a variable block of 0xFF bytes",
       outOfRange,
       "The file m.tsm is damaged: 1 object could not be read",
       {"a", "c"},
       {"s"}},
      {"a file cut short",
       truncated,
       "The file m.tsm is damaged: 2 objects could not be read: b",
       {"a", "b", "c"},
       {"s"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteText(path, c.bytes);
    f.prompt.shown.clear();
    EXPECT_EQ(Open(), 1);
    EXPECT_EQ(f.prompt.Texts(), Strings{c.message});
    EXPECT_EQ(Names(ObjRandomVariable), c.variables);
    EXPECT_EQ(Names(ObjFormula), c.formulas);
    EXPECT_EQ(Get_TSMObjectsNumber(ObjDependenceNode), c.what == truncatedWhat ? 1 : 3);
    EXPECT_EQ(wb.CurrentFileName, path);
    EXPECT_TRUE(wb.Modified);

    // Save asks before it writes over the damaged file; No keeps the file.
    f.prompt.shown.clear();
    f.prompt.answers = {TAnswer::No};
    EXPECT_EQ(SaveModelAs(wb, false), "");
    EXPECT_EQ(f.prompt.Texts(), Strings{"The file m.tsm already exists. Overwrite?"});
    EXPECT_EQ(ReadBytes(path), c.bytes);
    EXPECT_TRUE(wb.Modified);
    ASSERT_TRUE(NewModel(wb));
  }
}

TEST_F(DamagedModelFiles, AgreeingToOverwriteSavesWhatWasRead) {
  std::string huge = saved;
  SetInt32At(huge, Entry(EntryOf(ObjRandomVariable, 2)) + 6, 0x7FFFFFFF);
  WriteText(path, huge);
  ASSERT_EQ(Open(), 1);
  f.prompt.shown.clear();
  f.prompt.answers = {TAnswer::Yes};
  EXPECT_EQ(SaveModelAs(wb, false), path);
  EXPECT_FALSE(wb.Modified);
  // The saved file is whole again: it opens without a message, and the next
  // save asks nothing.
  ASSERT_TRUE(NewModel(wb));
  f.prompt.shown.clear();
  ASSERT_EQ(Open(), 1);
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"a", "c"}));
  EXPECT_FALSE(wb.Modified);
  EXPECT_EQ(SaveModelAs(wb, false), path);
  EXPECT_TRUE(f.prompt.Texts().empty());
}

TEST_F(DamagedModelFiles, AFileOfWhichNothingCanBeReadIsNotOpened) {
  std::string none = saved;
  for (int i = 0; i < Entries(); ++i) SetInt32At(none, Entry(i) + 6, 0x7FFFFFFF);
  WriteText(path, none);
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(f.prompt.Texts(),
            Strings{"There was a problem reading the file. The file m.tsm is locked, corrupt or "
                    "has an unexpected format"});
  EXPECT_EQ(wb.CurrentFileName, "");
  EXPECT_FALSE(wb.FileOpen);
  EXPECT_EQ(Get_TSMObjectsNumber(0), 0);
  EXPECT_EQ(ReadBytes(path), none);
}

}  // namespace
}  // namespace tesmira::wb
