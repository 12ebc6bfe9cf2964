#include "utilities.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>

namespace tesmira::wb {
namespace {

namespace fs = std::filesystem;

// A fresh folder under the test's temporary folder.
struct TempFolder {
  fs::path path;
  TempFolder() {
    path = fs::temp_directory_path() /
           ("wbcore_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~TempFolder() { fs::remove_all(path); }
  std::string File(const std::string& name) const { return (path / name).generic_string(); }
  void Touch(const std::string& name) const { std::ofstream(path / name) << "x"; }
};

TEST(Utilities, MissingTexts) {
  struct {
    const char* text;
    bool missing;
  } cases[] = {{"", true},  {"N/A", true}, {"+", true},    {",", true},  {"-", true},
               {".", true}, {"..", false}, {"n/a", false}, {"0", false}, {"-.", false}};
  for (auto& c : cases) EXPECT_EQ(IsMissingText(c.text), c.missing) << '"' << c.text << '"';
}

TEST(Utilities, NumbersUseAPointWhateverTheLocale) {
  struct {
    const char* text;
    bool ok;
    double value;
  } cases[] = {{"1.5", true, 1.5}, {" -2.25e-3 ", true, -2.25e-3},
               {"+7", true, 7},    {".5", true, 0.5},
               {"1,5", false, 0},  {"abc", false, 0},
               {"1.5x", false, 0}, {".", false, 0},
               {"N/A", false, 0},  {"", false, 0}};
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    const char* set = std::setlocale(LC_ALL, locale);
    if (set == nullptr && std::string(locale) != "C") {
      ADD_FAILURE() << "locale " << locale << " is not installed";
      continue;
    }
    for (auto& c : cases) {
      double number = 42;
      EXPECT_EQ(TryParseNumber(number, c.text), c.ok) << locale << " " << c.text;
      EXPECT_EQ(number, c.ok ? c.value : 42) << locale << " " << c.text;
    }
  }
  std::setlocale(LC_ALL, "C");
}

TEST(Utilities, ClampAndRange) {
  EXPECT_EQ(ClampInt(-5, 0, 10), 0);
  EXPECT_EQ(ClampInt(50, 0, 10), 10);
  EXPECT_EQ(ClampInt(5, 10, 0), 10);  // min wins over an empty range
  EXPECT_EQ(InRangeOr(0, 10, 1, 65534), 10);
  EXPECT_EQ(InRangeOr(70000, 10, 1, 65534), 10);
  EXPECT_EQ(InRangeOr(3, 10, 1, 65534), 3);
}

TEST(Utilities, TextHelpers) {
  std::string edit = "my var name";
  EXPECT_EQ(EditBlanksToUnderscores(edit), "my_var_name");
  EXPECT_EQ(edit, "my_var_name");
  EXPECT_EQ(CounterLabelText(0, 0), "0 total");
  EXPECT_EQ(CounterLabelText(0, 5), "none");
  EXPECT_EQ(CounterLabelText(2, 5), "2 of 5 total");
  EXPECT_EQ(RepeatChar('-', 3), "---");
  EXPECT_EQ(RepeatChar('-', -1), "");
  EXPECT_EQ(ChangeFileExt("a/b.c/model", ".tsm"), "a/b.c/model.tsm");
  EXPECT_EQ(ChangeFileExt("a/model.old.tsm", ".sam"), "a/model.old.sam");
  EXPECT_EQ(ExtractFileName("C:\\x\\y.tsm"), "y.tsm");
  EXPECT_EQ(ExtractFileFolder("C:\\x\\y.tsm"), "C:/x/");
}

TEST(Utilities, UniqueFileNameCountsUp) {
  TempFolder dir;
  std::string base = dir.File("run");
  EXPECT_EQ(UniqueFileName(base, ".sam", true), base + ".sam");
  dir.Touch("run.sam");
  dir.Touch("run1.sam");
  dir.Touch("run2.sam");
  dir.Touch("run3.sae");  // another extension does not count
  EXPECT_EQ(UniqueFileName(base, ".sam", true), base + "3.sam");
  EXPECT_EQ(UniqueFileName(base, ".sam", false), base + "3");
}

TEST(Utilities, UniqueFileNameStopsAt999) {
  TempFolder dir;
  for (int n = 0; n <= 999; ++n)
    dir.Touch(std::string("b").append((n ? std::to_string(n) : std::string())) + ".x");
  EXPECT_EQ(UniqueFileName(dir.File("b"), ".x", true), dir.File("b999.x"));
}

TEST(Utilities, PathsRelativeToTheModel) {
  EXPECT_EQ(RelativeToModel("/data/m/input.sam", "", "/data/m/model.tsm"), "input.sam");
  EXPECT_EQ(RelativeToModel("/data/other/in.sam", "", "/data/m/model.tsm"), "../other/in.sam");
  EXPECT_EQ(RelativeToModel("/data/m/sub/in.sam", "/data/m/link.tsm", "/x/y.tsm"), "sub/in.sam");
  EXPECT_EQ(RelativeToModel("/data/in.sam", "", ""), "/data/in.sam");
  EXPECT_EQ(RelativeToModel("in.sam", "", "/data/m/model.tsm"), "in.sam");
}

TEST(Utilities, AbsolutePathsLeaveTheCurrentFolder) {
  fs::path before = fs::current_path();
  EXPECT_EQ(AbsoluteFromModel("in.sam", "/data/links", "/data/m/model.tsm"), "/data/links/in.sam");
  EXPECT_EQ(AbsoluteFromModel("..\\q\\in.sam", "", "/data/m/model.tsm"), "/data/q/in.sam");
  EXPECT_EQ(AbsoluteFromModel("/abs/in.sam", "/data", ""), "/abs/in.sam");
  EXPECT_EQ(AbsoluteFromModel("in.sam", "", ""),
            (before / "in.sam").lexically_normal().generic_string());
  EXPECT_EQ(fs::current_path(), before);
  EXPECT_EQ(AbsolutePath("d/../m.tsm"), (before / "m.tsm").generic_string());
  EXPECT_EQ(AbsolutePath("/x/./y/../m.tsm"), "/x/m.tsm");
  EXPECT_EQ(AbsolutePath(""), "");
}

TEST(Utilities, DerivedFilesAreFoundWhateverTheCaseOfTheirName) {
  TempFolder dir;
  EXPECT_EQ(FindDerivedFile(dir.File("m.sam")), "");
  dir.Touch("m.SAM");
  EXPECT_EQ(FindDerivedFile(dir.File("m.sam")), dir.File("m.SAM"));
  EXPECT_EQ(FindDerivedFile(dir.File("M.Sam")), dir.File("m.SAM"));
  dir.Touch("m.sam");
  EXPECT_EQ(FindDerivedFile(dir.File("m.sam")), dir.File("m.sam"));  // the exact name first
  EXPECT_EQ(FindDerivedFile(dir.File("m.dnt")), "");
}

}  // namespace
}  // namespace tesmira::wb
