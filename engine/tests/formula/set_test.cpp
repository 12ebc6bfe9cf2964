// Evaluation of a whole formula set over the samples of a run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "fake_environment.h"

namespace tesmira::formula {
namespace {

using fake::SetRun;

TEST(FormulaSet, FormulasAreEvaluatedAfterTheFormulasTheyNeed) {
  SetRun run;
  run.env.formulas = {{"a", "b+1"}, {"b", "2"}};
  ASSERT_TRUE(run.Prepare()) << run.message;
  ASSERT_TRUE(run.Sample({}));
  EXPECT_EQ(run.Output(0), 3);
  EXPECT_EQ(run.Output(1), 2);

  // Also among formulas that are not the first: c needs d, d needs e.
  SetRun chain;
  chain.env.formulas = {{"t", "c"}, {"c", "d*2"}, {"d", "e+1"}, {"e", "x"}};
  chain.inputs = {"x"};
  ASSERT_TRUE(chain.Prepare()) << chain.message;
  ASSERT_TRUE(chain.Sample({4}));
  EXPECT_EQ(chain.Output(0), 10);
  ASSERT_TRUE(chain.Sample({1}));
  EXPECT_EQ(chain.Output(0), 4);
}

TEST(FormulaSet, ReferencesAreWholeNames) {
  std::vector<std::string> keys = {"a", "ab", "x_1"};
  auto refs = FindReferences("ab+a1+a*x_1+prev(a)+prev(x_1)", keys);
  std::vector<std::pair<int, bool>> got;
  for (auto r : refs) got.push_back({r.formula, r.ordering});
  std::vector<std::pair<int, bool>> expected = {
      {0, true}, {0, false}, {1, true}, {2, true}, {2, false}};
  EXPECT_EQ(got, expected);
}

TEST(FormulaSet, CircularAndSelfContainingDefinitions) {
  SetRun circular;
  circular.env.formulas = {{"t", "1"}, {"a", "b"}, {"b", "a"}};
  EXPECT_FALSE(circular.Prepare());
  EXPECT_EQ(circular.message, "Circular redirection: a -> b");

  SetRun three;
  three.env.formulas = {{"t", "1"}, {"a", "c+1"}, {"b", "2"}, {"c", "a"}};
  EXPECT_FALSE(three.Prepare());
  EXPECT_EQ(three.message, "Circular redirection: a -> c");

  SetRun self;
  self.env.formulas = {{"t", "1"}, {"a", "a+1"}};
  EXPECT_FALSE(self.Prepare());
  EXPECT_EQ(self.message, " Self-containing definition: a");

  // Inside prev a formula may name itself, blanks or not.
  SetRun prev;
  prev.env.formulas = {{"t", "1"}, {"a", "prev( a )+1"}};
  EXPECT_TRUE(prev.Prepare()) << prev.message;
}

TEST(FormulaSet, ConditionRejectsSamples) {
  SetRun run;
  run.env.formulas = {{"y", "x*2"}, {"Condition", "x-1"}};
  run.inputs = {"x"};
  ASSERT_TRUE(run.Prepare()) << run.message;
  bool accepted = false;
  ASSERT_TRUE(run.Sample({3}, &accepted));
  EXPECT_TRUE(accepted);
  EXPECT_EQ(run.Output(0), 6);
  ASSERT_TRUE(run.Sample({1}, &accepted));
  EXPECT_FALSE(accepted);
  EXPECT_EQ(run.Output(0), 0);
  EXPECT_EQ(run.Output(1), 0);
  ASSERT_TRUE(run.Sample({2}, &accepted));
  EXPECT_TRUE(accepted);
  EXPECT_EQ(run.Output(0), 4);

  // The condition formula may be the first formula.
  SetRun first;
  first.env.formulas = {{"condition", "x-1"}, {"y", "x"}};
  first.inputs = {"x"};
  ASSERT_TRUE(first.Prepare()) << first.message;
  ASSERT_TRUE(first.Sample({1}, &accepted));
  EXPECT_FALSE(accepted);
}

TEST(FormulaSet, Condition0TurnsADivisionByZeroIntoARejection) {
  SetRun plain;
  plain.env.formulas = {{"t", "1"}, {"y", "1/x"}};
  plain.inputs = {"x"};
  ASSERT_TRUE(plain.Prepare()) << plain.message;
  EXPECT_FALSE(plain.Sample({0}));
  EXPECT_EQ(plain.message, "Division by zero \"1/x\" in udf # 2 y : `1/x`");

  SetRun run;
  run.env.formulas = {{"t", "1"}, {"y", "1/x"}, {"CONDITION0", "1"}};
  run.inputs = {"x"};
  ASSERT_TRUE(run.Prepare()) << run.message;
  bool accepted = true;
  ASSERT_TRUE(run.Sample({0}, &accepted)) << run.message;
  EXPECT_FALSE(accepted);
  ASSERT_TRUE(run.Sample({4}, &accepted));
  EXPECT_TRUE(accepted);
  EXPECT_EQ(run.Output(1), 0.25);

  // A later formula named condition is the condition formula; the division
  // still rejects.
  SetRun both;
  both.env.formulas = {{"t", "1"}, {"y", "1/x"}, {"Condition0", "1"}, {"condition", "x-2"}};
  both.inputs = {"x"};
  ASSERT_TRUE(both.Prepare()) << both.message;
  ASSERT_TRUE(both.Sample({0}, &accepted)) << both.message;
  EXPECT_FALSE(accepted);
  ASSERT_TRUE(both.Sample({2}, &accepted));
  EXPECT_FALSE(accepted);
  ASSERT_TRUE(both.Sample({4}, &accepted));
  EXPECT_TRUE(accepted);

  // The first formula is still evaluated in a sample rejected that way, and
  // its value is then 0: prev reads 0 in the next sample.
  SetRun target;
  target.env.formulas = {{"t", "x*0+7+1/x"}, {"condition0", "1"}, {"p", "prev(t)"}};
  target.inputs = {"x"};
  ASSERT_TRUE(target.Prepare()) << target.message;
  const double x[3] = {1, 0, 1};
  const double prevT[3] = {0, 8, 0};
  for (int s = 0; s < 3; ++s) {
    ASSERT_TRUE(target.Sample({x[s]}, &accepted)) << target.message;
    EXPECT_EQ(accepted, x[s] != 0);
    EXPECT_EQ(target.Output(2), accepted ? prevT[s] : 0) << s;
  }
}

TEST(FormulaSet, PreviousSampleValues) {
  SetRun run;
  run.env.formulas = {{"t", "1"},          {"a", "prev(a)+1"}, {"b", "prev(b)+1+0*prev0(5)"},
                      {"c", "prev0(0)+x"}, {"d", "prev(b)"},   {"e", "prev(e)+0*prev0(v)"}};
  run.inputs = {"x", "v"};
  run.env.variables = {{"v", 10}};
  ASSERT_TRUE(run.Prepare()) << run.message;
  const double expected[3][6] = {{1, 1, 6, 2, 5, 10}, {1, 2, 7, 5, 6, 10}, {1, 3, 8, 9, 7, 10}};
  const double x[3] = {2, 3, 4};
  for (int s = 0; s < 3; ++s) {
    ASSERT_TRUE(run.Sample({x[s], 1}));
    for (int k = 0; k < 6; ++k)
      EXPECT_EQ(run.Output(k), expected[s][k]) << "sample " << s << " output " << k;
  }
}

TEST(FormulaSet, VaryRepeatsTheSampleForTheAccumulators) {
  SetRun run;
  run.env.formulas = {{"s", "sum(vary{1,3,1})"},   {"p", "prod(vary{1,4,1})"},
                      {"h", "sum(vary{0,1,0.5})"}, {"n", "sum(vary{3,1,0-1})"},
                      {"last", "vary{1,3,1}"},     {"plain", "sum(x)+prod(x)"}};
  run.inputs = {"x"};
  ASSERT_TRUE(run.Prepare()) << run.message;
  for (int s = 0; s < 2; ++s) {
    ASSERT_TRUE(run.Sample({5})) << run.message;
    // The repetitions end with the shortest vary (three values).
    EXPECT_EQ(run.Output(0), 6);
    EXPECT_EQ(run.Output(1), 6);
    EXPECT_EQ(run.Output(2), 1.5);
    EXPECT_EQ(run.Output(3), 6);
    EXPECT_EQ(run.Output(4), 3);
  }
  SetRun prod;
  prod.env.formulas = {{"p", "prod(vary{1,4,1})"}};
  ASSERT_TRUE(prod.Prepare());
  ASSERT_TRUE(prod.Sample({}));
  EXPECT_EQ(prod.Output(0), 24);
  // Without vary a sample is evaluated once: sum(x) and prod(x) are x.
  SetRun plain;
  plain.env.formulas = {{"plain", "sum(x)+prod(x)"}};
  plain.inputs = {"x"};
  ASSERT_TRUE(plain.Prepare());
  ASSERT_TRUE(plain.Sample({5}));
  EXPECT_EQ(plain.Output(0), 10);
}

TEST(FormulaSet, VaryAlwaysEnds) {
  SetRun nan;
  nan.env.formulas = {{"s", "sum(vary{0,x,1})"}};
  nan.inputs = {"x"};
  ASSERT_TRUE(nan.Prepare());
  ASSERT_TRUE(nan.Sample({std::nan("")}));
  EXPECT_EQ(nan.Output(0), 0);

  SetRun endless;
  endless.env.formulas = {{"s", "sum(vary{0,1e12,1})"}};
  ASSERT_TRUE(endless.Prepare());
  EXPECT_FALSE(endless.Sample({}));
  EXPECT_EQ(endless.message, "The \"VARY\" function repeats a sample more than 1000000 times");
}

TEST(FormulaSet, NoFormulas) {
  SetRun run;
  run.inputs = {"x"};
  ASSERT_TRUE(run.Prepare());
  EXPECT_EQ(run.program.OutputCount(), 0);
  EXPECT_TRUE(run.Sample({1}));
}

TEST(FormulaSet, DefaultNamesAndOutputs) {
  SetRun run;
  run.env.formulas = {{"", "udf1+udf2"}, {"", "2"}, {"", "Formula*0+3"}, {"Named", ""}};
  ASSERT_TRUE(run.Prepare()) << run.message;
  ASSERT_EQ(run.program.OutputCount(), 3);
  EXPECT_EQ(run.program.OutputName(0), "formula");
  EXPECT_EQ(run.program.OutputName(1), "udf1");
  EXPECT_EQ(run.program.OutputName(2), "udf2");
  EXPECT_EQ(run.program.OutputFormula(2), 3);
  ASSERT_TRUE(run.Sample({}));
  EXPECT_EQ(run.Output(0), 5);
  EXPECT_EQ(run.Output(2), 3);
  // The first pass puts 1 in every output.
  SetRun fresh;
  fresh.env.formulas = run.env.formulas;
  ASSERT_TRUE(fresh.Prepare());
  EXPECT_EQ(fresh.Output(0), 1);
}

class TableFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tesmira_formula_tables_" +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  void Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
  }
  std::filesystem::path dir_;
};

TEST_F(TableFiles, ADisFileIsAFunction) {
  // Labels 0..4 over quantiles; the value is the label of the last quantile
  // not above x, divided by rows - 1.
  Write("TAB.DIS", "0 1.0\r\n1 2.0\r\n2 3.0\r\n3 4.0\r\n4 5.0\r\n");
  SetRun run;
  run.env.folder = dir_.string() + "/";
  run.env.formulas = {{"p", "Tab(x)"}};
  run.inputs = {"x"};
  ASSERT_TRUE(run.Prepare()) << run.message;
  const double cases[][2] = {{0.5, 0}, {1, 0}, {2.5, 0.25}, {4, 0.75}, {9, 1}, {std::nan(""), 0}};
  for (auto& c : cases) {
    ASSERT_TRUE(run.Sample({c[0]}));
    EXPECT_EQ(run.Output(0), c[1]) << c[0];
  }
  // A table name is a function name: with an empty bracket it lacks its argument.
  SetRun empty;
  empty.env.folder = dir_.string();
  empty.env.formulas = {{"p", "tab()"}};
  EXPECT_FALSE(empty.Prepare());
  EXPECT_EQ(empty.message, "No argument for function \"tab()\"");
}

TEST_F(TableFiles, FilesThatAreNoTables) {
  Write("one.DIS", "0 1.0\n");
  Write("bad.DIS", "0 1.0\n1 x\n");
  std::string big;
  for (int i = 0; i <= 10001; ++i) big += std::to_string(i) + " " + std::to_string(i) + "\n";
  Write("big.DIS", big);
  for (const char* name : {"one", "bad", "big", "none"}) {
    SetRun run;
    run.env.folder = dir_.string();
    run.env.formulas = {{"p", std::string(name) + "(1)"}};
    EXPECT_FALSE(run.Prepare()) << name;
    EXPECT_EQ(run.message, "Incorrect function name \"" + std::string(name) + "(1)\"");
  }
}

}  // namespace
}  // namespace tesmira::formula
