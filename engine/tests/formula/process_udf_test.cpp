// The formula checks and word lists of the exported interface, and a run's
// formula set over the global model.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "formula/formula_set.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "model_fixture.h"
#include "tesmira/formula.h"
#include "tesmira/model.h"

namespace tesmira {
namespace {

class ModelFormulas : public FreshModelTest {
 protected:
  TUdf* AddFormula(const std::string& name, const std::string& text) {
    TUdf rec{};
    SetShortString(rec.name, name);
    SetShortString(rec.text, text);
    TUdf* out = nullptr;
    int32_t size = 0;
    EXPECT_GT(Create_UDF(&rec, &out, &size), 0);
    return out;
  }
  void AddConstant(const std::string& name, double value) {
    TExtendedRandomVariable rv{};
    SetShortString(rv.distribution.name, name);
    rv.distribution.distType = DistConstant;
    rv.distribution.u.params[0] = value;
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    EXPECT_GT(Create_extended_random_variable(&rv, &out, &size), 0);
  }
  static double Value(const TUdf* u) {
    double v = 0;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(u) + offsetof(TUdf, value), sizeof v);
    return v;
  }
};

TEST_F(ModelFormulas, ProcessUdfChecksAFormulaATextOrTheSet) {
  AddConstant("x", 5);
  TUdf* a = AddFormula("a", "b+x");
  AddFormula("b", "2");
  char text[256] = "";
  double value = -1;
  TUdf* rec = a;
  EXPECT_EQ(Process_UDF(&rec, text, &value), 1);  // a with its own text

  std::strcpy(text, "b+q");  // a with another text
  EXPECT_EQ(Process_UDF(&rec, text, &value), 0);
  EXPECT_STREQ(text, "Can`t interpret \"b+q\"");
  EXPECT_EQ(rec, a);
  // The formula's own text is left as it was.
  EXPECT_EQ(ShortStringView(a->text), "b+x");

  rec = nullptr;
  std::strcpy(text, "max{x,b,3}");  // a new text after the last formula
  EXPECT_EQ(Process_UDF(&rec, text, &value), 1);
  EXPECT_EQ(value, 3);

  rec = nullptr;
  text[0] = '\0';  // the whole set
  EXPECT_EQ(Process_UDF(&rec, text, &value), 1);
}

TEST_F(ModelFormulas, ProcessUdfReportsTheFormulaInWhichTheSetFails) {
  AddFormula("t", "1");
  TUdf* a = AddFormula("a", "b");
  AddFormula("b", "a");
  AddFormula("c", "1");
  char text[256] = "";
  double value = 0;
  TUdf* rec = nullptr;
  EXPECT_EQ(Process_UDF(&rec, text, &value), 0);
  EXPECT_STREQ(text, "Circular redirection: a -> b");
  EXPECT_EQ(rec, a);

  // Checking c alone does not need a and b.
  TUdf* c = GetUDF(3);
  text[0] = '\0';
  EXPECT_EQ(Process_UDF(&c, text, &value), 1);
}

TEST_F(ModelFormulas, WholeSetCheckFindsTheOverflowOfExp) {
  AddFormula("", "udf1*2");
  TUdf* bad = AddFormula("", "exp(100)");
  char text[256] = "";
  double value = 0;
  TUdf* rec = nullptr;
  EXPECT_EQ(Process_UDF(&rec, text, &value), 0);
  EXPECT_STREQ(text, "Overflow: arg of \"Exp\" > 88.03 \"exp(100)\"");
  EXPECT_EQ(rec, bad);
}

TEST_F(ModelFormulas, RunOverTheModelKeepsTheUsersSpelling) {
  AddFormula("Total", "A_Part+B_PART");
  AddFormula("A_Part", "X*2");
  AddFormula("b_part", "Prev(A_Part)");
  FormulaSet set;
  std::string message;
  ASSERT_TRUE(set.Prepare({"x"}, message)) << message;
  ASSERT_EQ(set.OutputCount(), 3);
  EXPECT_EQ(set.OutputName(0), "total");
  EXPECT_EQ(set.OutputName(1), "a_part");
  bool failed = false;
  set.Inputs()[0] = 3;
  EXPECT_TRUE(set.Evaluate(failed));
  EXPECT_FALSE(failed);
  EXPECT_EQ(set.Outputs()[0], 6);
  set.Inputs()[0] = 4;
  EXPECT_TRUE(set.Evaluate(failed));
  EXPECT_EQ(set.Outputs()[0], 14);
  EXPECT_EQ(set.Outputs()[2], 6);
  EXPECT_EQ(Value(GetUDF(0)), 14);
  EXPECT_EQ(ShortStringView(GetUDF(0)->name), "Total");
  EXPECT_EQ(ShortStringView(GetUDF(0)->text), "A_Part+B_PART");
}

TEST_F(ModelFormulas, RunOverTheSampleLists) {
  AddFormula("", "y*2");
  AddFormula("Y", "x+1");
  AddFormula("", "");
  auto inputs = std::make_unique<TSampleList>();
  auto outputs = std::make_unique<TSampleList>();
  std::memset(inputs.get(), 0, sizeof(TSampleList));
  std::memset(outputs.get(), 0, sizeof(TSampleList));
  SetShortString(inputs->entries[0].name, "w");
  SetShortString(inputs->entries[1].name, "x");
  inputs->count = 2;
  FormulaSet set;
  std::string message;
  ASSERT_TRUE(set.PrepareSampleLists(*inputs, *outputs, message)) << message;
  ASSERT_EQ(outputs->count, 2);
  EXPECT_EQ(ShortStringView(outputs->entries[0].name), "formula");
  EXPECT_EQ(ShortStringView(outputs->entries[1].name), "y");
  EXPECT_EQ(outputs->entries[1].objectIndex, 2);
  EXPECT_EQ(EntryValue(outputs->entries[0]), 1.0);
  SetEntryValue(inputs->entries[1], 4);
  bool failed = false;
  EXPECT_TRUE(set.EvaluateSampleLists(*inputs, *outputs, failed));
  EXPECT_FALSE(failed);
  EXPECT_EQ(EntryValue(outputs->entries[0]), 10.0);
  EXPECT_EQ(EntryValue(outputs->entries[1]), 5.0);
}

TEST_F(ModelFormulas, TablesAreLoadedFromTheModelFolder) {
  auto dir = std::filesystem::temp_directory_path() / "tesmira_formula_model_tables";
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "Risk.dis") << "0 10\n1 20\n2 30\n";
  SetShortString(Model()->folder, dir.string() + "\\");
  AddFormula("p", "risk(x)");
  FormulaSet set;
  std::string message;
  ASSERT_TRUE(set.Prepare({"x"}, message)) << message;
  ASSERT_NE(Model()->distTables[1], nullptr);
  bool failed = false;
  set.Inputs()[0] = 25;
  set.Evaluate(failed);
  EXPECT_EQ(set.Outputs()[0], 0.5);
  std::filesystem::remove_all(dir);
}

TEST(PredefinedWords, Groups) {
  EXPECT_EQ(GetNumberOfPredefinedFormulaStrings(0), 3);
  EXPECT_EQ(GetNumberOfPredefinedFormulaStrings(1), 16);
  EXPECT_EQ(GetNumberOfPredefinedFormulaStrings(2), 4);
  EXPECT_EQ(GetNumberOfPredefinedFormulaStrings(3), 0);
  char out[256];
  const std::pair<std::pair<int, int>, const char*> cases[] = {
      {{0, 0}, "constants:"}, {{0, 2}, "<<"},     {{1, 0}, "one-argument functions:"},
      {{1, 1}, "sq"},         {{1, 16}, "prev0"}, {{2, 0}, "multi-argument functions:"},
      {{2, 4}, "i.."},        {{2, 5}, ""},       {{5, 0}, ""}};
  for (auto& [at, word] : cases) {
    GetPredefinedFormulaString(at.first, at.second, out);
    EXPECT_STREQ(out, word) << at.first << "," << at.second;
  }
}

}  // namespace
}  // namespace tesmira
