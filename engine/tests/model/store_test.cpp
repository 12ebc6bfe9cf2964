// Variables and formulas through the exported store functions: lookups,
// fetches, create, update, rename and delete with their return conventions.
#include <string>
#include <vector>

#include "model/store.h"
#include "model_fixture.h"

namespace {

using StoreTest = ModelTest;

std::string VarName(int k) { return ModelTest::NameOf(GetRanVar(k)->distribution.name); }

TEST_F(StoreTest, CreateReturnsIndexOrMinusTheHolder) {
  for (const char* name : {"a", "b", "c"}) AddVariable(name);
  TExtendedRandomVariable rv = NormalVariable("B", 5.0);
  TExtendedRandomVariable* out = nullptr;
  int32_t size = 0;
  EXPECT_EQ(Create_extended_random_variable(&rv, &out, &size), -2);
  EXPECT_EQ(out, GetRanVar(2));
  EXPECT_EQ(size, 2176);
  EXPECT_EQ(GetNumberOfRandomVariables(), 3);
  EXPECT_EQ(double(GetRanVar(2)->distribution.u.params[0]), 0.0);  // unchanged
  EXPECT_EQ(Create_extended_random_variable(nullptr, &out, &size), 0);
}

TEST_F(StoreTest, TableHoldsAThousandVariables) {
  for (int k = 1; k <= 1000; ++k)
    ASSERT_EQ(AddVariable(std::string("v").append(std::to_string(k))), k);
  TExtendedRandomVariable rv = NormalVariable("one_too_many");
  TExtendedRandomVariable* out = reinterpret_cast<TExtendedRandomVariable*>(&rv);
  int32_t size = 0;
  EXPECT_EQ(Create_extended_random_variable(&rv, &out, &size), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(GetNumberOfRandomVariables(), 1000);
}

TEST_F(StoreTest, NamesCountOnTheirFirst32CharactersWithoutCase) {
  std::string long40(40, 'q');
  long40.replace(0, 4, "Long");
  TExtendedRandomVariable rv = NormalVariable("x");
  rv.distribution.name[0] = 32;
  std::memcpy(rv.distribution.name + 1, long40.data(), 32);
  TExtendedRandomVariable* out = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_extended_random_variable(&rv, &out, &size), 1);
  EXPECT_EQ(Variable_exists(long40.c_str()), 1);  // compared as its first 32 characters
  std::string upper = long40;
  upper[0] = 'l';
  upper[1] = 'O';
  EXPECT_EQ(Variable_exists(upper.c_str()), 1);
  EXPECT_EQ(Variable_exists(long40.substr(0, 31).c_str()), 0);
  // A rename to a 40-character name stores 32 characters.
  AddVariable("short");
  TExtendedRandomVariable copy = *GetRanVar(2);
  std::string renamed = "R" + std::string(39, 'z');
  ASSERT_EQ(Update_extended_random_variable(&copy, &out, renamed.c_str(), false), 2);
  EXPECT_EQ(VarName(2), renamed.substr(0, 32));
}

TEST_F(StoreTest, FetchByIndexNameAndFromTheEnd) {
  for (const char* name : {"a", "b", "x"}) AddVariable(name);
  struct Case {
    int32_t index;
    const char* name;
    int expected;  // 0: none
  } cases[] = {{-1, "", 3}, {-3, "", 1}, {-4, "", 0},    {0, "x", 3},
               {0, "X", 3}, {0, "", 0},  {0, "nope", 0}, {2, "", 2},
               {2, "x", 2}, {4, "", 0},  {1001, "", 0},  {0, nullptr, 0}};
  for (const Case& c : cases) {
    TExtendedRandomVariable* rv = Fetch_extended_random_variable(c.index, c.name);
    EXPECT_EQ(rv, c.expected ? GetRanVar(c.expected) : nullptr)
        << c.index << " " << (c.name ? c.name : "null");
  }
  EXPECT_EQ(GetRanVar(0), nullptr);
  EXPECT_EQ(GetRanVar(4), nullptr);
  EXPECT_EQ(GetNode(1), nullptr);
}

TEST_F(StoreTest, RenameWithPropagationRenamesTheNode) {
  AddVariable("a");
  AddVariable("other");
  ASSERT_EQ(Update_dep_structure(), 2);  // one node per variable
  TExtendedRandomVariable copy = *GetRanVar(1);
  TExtendedRandomVariable* out = nullptr;
  ASSERT_EQ(Update_extended_random_variable(&copy, &out, "b", true), 1);
  EXPECT_EQ(VarName(1), "b");
  EXPECT_EQ(Node_exists("b"), 1);
  EXPECT_EQ(Node_exists("a"), 0);
  // Without propagation the node keeps its name.
  copy = *GetRanVar(1);
  ASSERT_EQ(Update_extended_random_variable(&copy, &out, "c", false), 1);
  EXPECT_EQ(Node_exists("b"), 1);
}

TEST_F(StoreTest, RenameClashes) {
  AddVariable("a");
  AddVariable("b");
  AddFormula("f1");
  AddFormula("f2");
  TExtendedRandomVariable copy = *GetRanVar(1);
  TExtendedRandomVariable* out = nullptr;
  struct Case {
    const char* newName;
    int expected;
  } cases[] = {
      {"B", -2},   // another variable
      {"f2", -2},  // a formula with another index
      {"F1", -1},  // a formula with the same index is still another object
      {"A", 1},    // the variable's own name in another case
      {"", 1},     // no rename
  };
  for (const Case& c : cases) {
    copy = *GetRanVar(1);
    EXPECT_EQ(Update_extended_random_variable(&copy, &out, c.newName, false), c.expected)
        << c.newName;
  }
  EXPECT_EQ(VarName(1), "A");
  // Unknown old name.
  TExtendedRandomVariable ghost = NormalVariable("ghost");
  EXPECT_EQ(Update_extended_random_variable(&ghost, &out, "z", false), 0);
  EXPECT_EQ(Update_extended_random_variable(&ghost, &out, "", false), 0);
}

TEST_F(StoreTest, UpdateCopiesTheWholeRecord) {
  AddVariable("a");
  TExtendedRandomVariable edited = *GetRanVar(1);
  edited.distribution.u.params[1] = 7.0;
  edited.representation = 3;
  TExtendedRandomVariable* out = nullptr;
  ASSERT_EQ(Update_extended_random_variable(&edited, &out, "", false), 1);
  EXPECT_EQ(double(out->distribution.u.params[1]), 7.0);
  EXPECT_EQ(out->representation, 3);
}

TEST_F(StoreTest, DeleteClosesTheGap) {
  for (const char* name : {"v1", "v2", "v3", "v4", "v5"}) AddVariable(name);
  TExtendedRandomVariable* third = GetRanVar(3);
  EXPECT_EQ(Delete_extended_random_variable(GetRanVar(2), false), 2);
  EXPECT_EQ(GetNumberOfRandomVariables(), 4);
  EXPECT_EQ(GetRanVar(2), third);
  EXPECT_EQ(VarName(4), "v5");
  EXPECT_EQ(GetRanVar(5), nullptr);
  EXPECT_EQ(tesmira::Model()->vars[5], nullptr);
  TExtendedRandomVariable stranger = NormalVariable("v1");
  EXPECT_EQ(Delete_extended_random_variable(&stranger, false), 0);
  EXPECT_EQ(Delete_extended_random_variable(nullptr, true), 0);
}

TEST_F(StoreTest, DeleteWithNodeRemovesTheVariablesNode) {
  for (const char* name : {"a", "b", "c"}) AddVariable(name);
  Update_dep_structure();
  ASSERT_EQ(GetNumberOfDepNodes(true), 3);
  EXPECT_EQ(Delete_extended_random_variable(GetRanVar(2), true), 2);
  EXPECT_EQ(GetNumberOfDepNodes(true), 2);
  EXPECT_EQ(Node_exists("b"), 0);
  EXPECT_EQ(Node_exists("c"), 2);
}

TEST_F(StoreTest, FormulasCreateFetchAndDefaultNames) {
  EXPECT_EQ(AddFormula("", "1+1"), 1);
  EXPECT_EQ(AddFormula("", "2"), 2);
  EXPECT_EQ(AddFormula("total", "3"), 3);
  TUdf dup = Formula("TOTAL");
  TUdf* out = nullptr;
  int32_t size = 0;
  EXPECT_EQ(Create_UDF(&dup, &out, &size), -3);
  EXPECT_EQ(out, GetUDF(2));
  EXPECT_EQ(size, 403);
  EXPECT_EQ(GetNumberOfFormulas(), 3);
  // Empty names are not a clash: a formula without a name has a default one.
  struct Case {
    const char* name;
    int expected;
  } cases[] = {{"formula", 1}, {"FORMULA", 1}, {"udf1", 2}, {"udf2", 0},
               {"total", 3},   {"", 0},        {nullptr, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(UDF_exists(c.name), c.expected) << (c.name ? c.name : "null");
  EXPECT_EQ(GetUDF(0), Fetch_UDF(1, ""));
  EXPECT_EQ(GetUDF(2), Fetch_UDF(-1, ""));
  EXPECT_EQ(GetUDF(3), nullptr);
  EXPECT_EQ(GetUDF(-1), nullptr);
  EXPECT_EQ(Fetch_UDF(0, "udf1"), GetUDF(1));
  EXPECT_EQ(Fetch_UDF(1002, ""), nullptr);
  EXPECT_EQ(tesmira::FormulaDisplayName(2), "udf1");
}

TEST_F(StoreTest, FormulaTableHoldsAThousand) {
  for (int k = 1; k <= 1000; ++k)
    ASSERT_EQ(AddFormula(std::string("f").append(std::to_string(k))), k);
  EXPECT_EQ(AddFormula("extra"), 0);
  EXPECT_EQ(tesmira::Model()->formulas[1000], nullptr);
}

TEST_F(StoreTest, FormulaUpdateAndDelete) {
  AddFormula("f", "1");
  AddFormula("", "2");
  AddFormula("g", "3");
  AddVariable("x");
  TUdf edited = *GetUDF(0);
  edited.text[0] = 1;
  edited.text[1] = '9';
  TUdf* out = nullptr;
  EXPECT_EQ(Update_UDF(&edited, &out, ""), 1);
  EXPECT_EQ(out->text[1], '9');
  EXPECT_EQ(Update_UDF(&edited, &out, "x"), -1);  // a variable's name
  EXPECT_EQ(Update_UDF(&edited, &out, "G"), -3);  // another formula
  EXPECT_EQ(Update_UDF(&edited, &out, "F"), 1);   // its own name
  // A formula without a name is found by its address.
  EXPECT_EQ(Update_UDF(GetUDF(1), &out, "named"), 2);
  EXPECT_EQ(UDF_exists("named"), 2);
  TUdf ghost = Formula("ghost");
  EXPECT_EQ(Update_UDF(&ghost, &out, ""), 0);
  TUdf* third = GetUDF(2);
  EXPECT_EQ(Delete_UDF(GetUDF(1)), 2);
  EXPECT_EQ(GetUDF(1), third);
  EXPECT_EQ(GetNumberOfFormulas(), 2);
  EXPECT_EQ(Delete_UDF(&ghost), 0);
}

TEST_F(StoreTest, ObjectExistsSearchesVariablesFormulasThenNodes) {
  AddVariable("v");
  AddFormula("shared");
  TDepNodeV2* rec = NewDepNodeV2();
  SetName(rec->varName, "shared");
  void* node = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_dep_node(rec, &node, &size), 1);
  Free_record(rec);
  struct Case {
    const char* name;
    int32_t kindIn;
    int expected;
    int32_t kindOut;
  } cases[] = {
      {"shared", 0, 1, 6}, {"SHARED", 7, 1, 7}, {"shared", 16, 1, 16}, {"shared", 1, 0, 1},
      {"v", 0, 1, 1},      {"v", 6, 0, 6},      {"none", 3, 0, 3},     {"shared", 6, 1, 6},
  };
  for (const Case& c : cases) {
    int32_t kind = c.kindIn;
    EXPECT_EQ(Object_exists(c.name, &kind), c.expected) << c.name << " " << c.kindIn;
    EXPECT_EQ(kind, c.kindOut) << c.name << " " << c.kindIn;
  }
}

TEST_F(StoreTest, NodeCountLeavesOutCompositeNodes) {
  AddVariable("a");
  Update_dep_structure();
  void* node = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_dep_node(nullptr, &node, &size), 2);
  static_cast<TDepNodeV2*>(node)->depType = DepCompositeNode;
  EXPECT_EQ(GetNumberOfDepNodes(true), 2);
  EXPECT_EQ(GetNumberOfDepNodes(false), 1);
  Set_model_dep_type(1.0);  // the old design has no composite nodes to leave out
  EXPECT_EQ(GetNumberOfDepNodes(false), 2);
  Set_model_dep_type(2.0);
}

TEST_F(StoreTest, RemoveSpaces) {
  char out[256];
  RemoveSpacesFS(" a b  c ", out);
  EXPECT_STREQ(out, "abc");
  RemoveSpacesFS(nullptr, out);
  EXPECT_STREQ(out, "");
}

TEST_F(StoreTest, ModelWithInputSamplesLooksAtTheFirstNode) {
  EXPECT_FALSE(IsModelWithInputSamples());
  AddVariable("s");
  Update_dep_structure();
  EXPECT_FALSE(IsModelWithInputSamples());
  GetRanVar(1)->distribution.distType = DistSampleFile;
  EXPECT_TRUE(IsModelWithInputSamples());
  End_model_data();
  EXPECT_FALSE(IsModelWithInputSamples());
  Init_Model_data();
}

int g_initCalls = 0;
int g_releaseCalls = 0;
bool g_modelAliveAtRelease = false;

TEST_F(StoreTest, HooksRunAtInitAndRelease) {
  tesmira::RegisterModelInitHook([] { ++g_initCalls; });
  static const tesmira::ModelHook release = [] {
    ++g_releaseCalls;
    g_modelAliveAtRelease = tesmira::Model() != nullptr && tesmira::NodeCount() == 0;
  };
  tesmira::RegisterModelReleaseHook(release);
  tesmira::RegisterModelReleaseHook(release);  // once only
  AddVariable("a");
  Update_dep_structure();
  int before = g_releaseCalls;
  End_model_data();
  EXPECT_EQ(g_releaseCalls, before + 1);
  EXPECT_TRUE(g_modelAliveAtRelease);
  int inits = g_initCalls;
  Init_Model_data();
  EXPECT_EQ(g_initCalls, inits + 1);
}

TEST_F(StoreTest, RunDataIsKeptBesideTheRecords) {
  AddVariable("a");
  TExtendedRandomVariable* rv = GetRanVar(1);
  auto* table = static_cast<double*>(std::malloc(101 * sizeof(double)));
  tesmira::SetVariableQuantiles(rv, table);
  rv->readingFile = 1;
  EXPECT_EQ(tesmira::VariableQuantiles(rv), table);
  tesmira::ResetRunData(false);  // frees the table
  EXPECT_EQ(tesmira::VariableQuantiles(rv), nullptr);
  EXPECT_EQ(rv->readingFile, 0);
  // A table still set when the model ends is freed with it (checked by the sanitizer).
  tesmira::SetVariableQuantiles(rv, static_cast<double*>(std::malloc(8)));
}

}  // namespace
