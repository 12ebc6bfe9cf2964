// Byte images of the records, the markers, the model type and the design flag.
#include <cmath>
#include <cstring>
#include <vector>

#include "model/store.h"
#include "model_fixture.h"

namespace {

template <typename T>
T At(const void* record, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
  return value;
}

using RecordsTest = ModelTest;

TEST_F(RecordsTest, VariableAbcNormalHasTheFileLayout) {
  TExtendedRandomVariable rv = NormalVariable("abc", 0.0, 1.0);
  TExtendedRandomVariable* stored = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_extended_random_variable(&rv, &stored, &size), 1);
  ASSERT_EQ(size, 2176);
  ASSERT_NE(stored, &rv);
  const auto* b = reinterpret_cast<const unsigned char*>(stored);
  EXPECT_EQ(b[0], 3);
  EXPECT_EQ(std::memcmp(b + 1, "abc", 3), 0);
  EXPECT_EQ(b[33], DistNormal);
  EXPECT_EQ(At<double>(b, 34), 0.0);
  EXPECT_EQ(At<double>(b, 42), 1.0);
  EXPECT_EQ(At<int16_t>(b, 288), 0);
  EXPECT_EQ(b[290], 0);
  EXPECT_EQ(b[291], 0);  // empty description
  for (int k = 0; k < 20; ++k) EXPECT_EQ(At<double>(b, 2012 + 8 * k), MissingValue);
  EXPECT_EQ(At<int32_t>(b, 2172), 1);
  // The store's copy is byte-identical, and so is a round trip through update.
  EXPECT_EQ(std::memcmp(stored, &rv, 2176), 0);
  std::vector<unsigned char> before(b, b + 2176);
  TExtendedRandomVariable copy;
  std::memcpy(&copy, stored, sizeof copy);
  TExtendedRandomVariable* out = nullptr;
  ASSERT_EQ(Update_extended_random_variable(&copy, &out, "", false), 1);
  EXPECT_EQ(out, stored);
  EXPECT_EQ(std::memcmp(before.data(), stored, 2176), 0);
  EXPECT_EQ(std::memcmp(Fetch_extended_random_variable(0, "ABC"), before.data(), 2176), 0);
}

TEST_F(RecordsTest, FormulaRoundTripIsByteIdentical) {
  TUdf f = Formula("total", "a+b");
  f.value = 2.5;
  TUdf* stored = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_UDF(&f, &stored, &size), 1);
  EXPECT_EQ(size, 403);
  EXPECT_EQ(std::memcmp(stored, &f, 403), 0);
  EXPECT_EQ(At<double>(stored, 395), 2.5);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(stored)[135], 3);
}

TEST_F(RecordsTest, NewDepNodeV2HoldsCorrNotSetInEverySlot) {
  TDepNodeV2* n = NewDepNodeV2();
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(At<int32_t>(n, 0), 6720);
  EXPECT_EQ(At<int16_t>(n, 90), 256);
  const auto* b = reinterpret_cast<const unsigned char*>(n);
  for (int k = 4; k < 90; ++k) EXPECT_EQ(b[k], 0) << "offset " << k;
  for (int k = 92; k < 98; ++k) EXPECT_EQ(b[k], 0) << "offset " << k;
  for (int k = 112; k < 2624; ++k) ASSERT_EQ(b[k], 0) << "offset " << k;
  for (int k = 0; k < 512; ++k)
    ASSERT_EQ(At<float>(n, 2624 + 4 * k), static_cast<float>(CorrNotSet)) << k;
  EXPECT_NEAR(At<float>(n, 2624), CorrNotSet, 1e-9);
  Free_record(n);
}

TEST_F(RecordsTest, DesignFlagChoosesTheNodeLayout) {
  EXPECT_TRUE(IsNodeDesign2());
  EXPECT_EQ(DepNodeSize(), 6720);
  EXPECT_FALSE(Set_model_dep_type(1.99));
  EXPECT_FALSE(IsNodeDesign2());
  EXPECT_EQ(DepNodeSize(), 1108);
  EXPECT_TRUE(Set_model_dep_type(2.0));
  EXPECT_EQ(DepNodeSize(), 6720);
  Set_model_dep_type(1.0);
  End_model_data();
  Init_Model_data();
  EXPECT_TRUE(IsNodeDesign2());
}

TEST_F(RecordsTest, NewDepNodeV1IsClearedAndMatrixValuesAreMinusOne) {
  Set_model_dep_type(1.0);
  TDepNodeV1* n = Init_dep_node();
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->varName[0], 0);
  EXPECT_EQ(n->childCount, 0);
  EXPECT_EQ(double(n->rankCorr), 0.0);
  for (int k = 0; k < 512; ++k) ASSERT_EQ(n->u.values[k], 0);
  n->typeBits = 0xFF;
  ASSERT_EQ(SetDependenceType(nullptr, DepCorrelationMatrix), 1);
  Dep_node_init(n);
  EXPECT_EQ(n->typeBits, 0xFC);  // copula bits cleared, type bits kept
  for (int k = 0; k < 512; ++k) ASSERT_EQ(n->u.values[k], -1);
  EXPECT_EQ(n->vineLevel, 0);
  Free_record(n);
  // With the design flag true the old initialisation does nothing.
  Set_model_dep_type(2.0);
  TDepNodeV1 raw;
  std::memset(&raw, 0x5A, sizeof raw);
  Dep_node_init(&raw);
  EXPECT_EQ(raw.childCount, 0x5A);
}

TEST_F(RecordsTest, RanVarInitClearsNameTypeFlagAndDescription) {
  TExtendedRandomVariable rv = NormalVariable("x");
  rv.readingFile = 1;
  rv.description[0] = 4;
  EXPECT_EQ(Ran_var_init(&rv), &rv);
  EXPECT_EQ(rv.distribution.name[0], 0);
  EXPECT_EQ(rv.distribution.distType, 0);
  EXPECT_EQ(rv.readingFile, 0);
  EXPECT_EQ(rv.description[0], 0);
  EXPECT_EQ(double(rv.distribution.u.params[1]), 1.0);  // the rest is the caller's
  EXPECT_EQ(Ran_var_init(nullptr), nullptr);
  TExtendedRandomVariable* fresh = Init_extended_random_variable();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->distribution.distType, 0);
  Free_record(fresh);
}

TEST_F(RecordsTest, ModelTypeStoresOneToThreeAndTwoOtherwise) {
  struct Case {
    int32_t in, out;
  } cases[] = {{1, 1}, {2, 2}, {3, 3}, {0, 2}, {4, 2}, {-1, 2}};
  for (const Case& c : cases) {
    SetModelType(c.in);
    EXPECT_EQ(GetModelType(), c.out) << c.in;
  }
  SetModelType(3);
  EXPECT_TRUE(IsZoziVorModel());
  End_model_data();
  EXPECT_EQ(GetModelType(), 2);
  EXPECT_FALSE(IsZoziVorModel());
  Init_Model_data();
}

TEST_F(RecordsTest, InitModelDataClearsTheRecord) {
  TModelRecord* m = Init_Model_data();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->varCount, 0);
  EXPECT_EQ(m->nodeCount, 0);
  EXPECT_EQ(m->formulaCount, 0);
  EXPECT_EQ(m->modelType, 2);
  EXPECT_EQ(m->fileName[0], 0);
  EXPECT_EQ(NameOf(m->designTag), "Tesmira2 Dependence Design v2.0");
  EXPECT_EQ(tesmira::Resolution(), 100);
}

TEST(Markers, MissingValueToleranceIsOneBillionth) {
  struct Case {
    double value;
    bool missing;
  } cases[] = {
      {MissingValue, true},         {-5.4321000000001e-05, true}, {-5.4321e-05 + 9e-10, true},
      {-5.4321e-05 - 2e-09, false}, {-5.4323e-05, false},         {0.0, false},
      {std::nan(""), false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsMissingValue(c.value), c.missing) << c.value;
}

TEST(Versions, DesignAndProgram) {
  EXPECT_EQ(GetDataDesignVersion(), 2.0);
  EXPECT_EQ(GetVelnarVersion(), 2.2);
}

TEST(CorrelationCodes, OldLayoutEncoding) {
  using tesmira::DecodeCorrV1;
  using tesmira::EncodeCorrV1;
  tesmira::SetV1MatrixMode(false);
  struct Case {
    double value;
    int16_t code;
  } plain[] = {{0.5, 16000}, {1.2, 32000},     {-1.0, -32000},
               {1.0, 32000}, {CorrNotSet, -1}, {-0.25, -8000}};
  for (const Case& c : plain) EXPECT_EQ(EncodeCorrV1(c.value), c.code) << c.value;
  EXPECT_EQ(DecodeCorrV1(16000), 0.5);
  EXPECT_EQ(DecodeCorrV1(-32000), -1.0);

  tesmira::SetV1MatrixMode(true);
  Case matrix[] = {
      {1.0, 31999}, {-1.0, -31999}, {CorrNotSet, 0}, {CorrUnavailable, 0}, {0.5, 16000}};
  for (const Case& c : matrix) EXPECT_EQ(EncodeCorrV1(c.value), c.code) << c.value;
  EXPECT_EQ(DecodeCorrV1(-1), 0.0);
  EXPECT_EQ(DecodeCorrV1(-2), 0.0);
  // -1 never reads back as a positive correlation, nor does the old code 32001.
  EXPECT_LT(DecodeCorrV1(EncodeCorrV1(-1.0)), -0.999);
  EXPECT_LT(DecodeCorrV1(32001), -0.999);
  tesmira::SetV1MatrixMode(false);
}

}  // namespace
