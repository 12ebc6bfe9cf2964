#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model_fixture.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace {

class ObjectsTest : public FreshModelTest {
 protected:
  int32_t AddVariable(const char* name) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetShortString(rv.distribution.name, name);
    rv.distribution.distType = DistNormal;
    void* out = nullptr;
    int32_t size = 0;
    return Create_object(ObjRandomVariable, &rv, &out, &size);
  }
};

std::string Title(int kind) {
  char buf[256];
  GetDatatypeTitle(kind, buf);
  return buf;
}

TEST_F(ObjectsTest, KindTitles) {
  EXPECT_EQ(Title(1), "Random variable");
  EXPECT_EQ(Title(4), "Minimal cut set");
  EXPECT_EQ(Title(8), "Sample data");
  EXPECT_EQ(Title(13), "Correlation data");
  EXPECT_EQ(Title(15), "Root dependence node");
  EXPECT_EQ(Title(16), "Dependence node");
  EXPECT_EQ(Title(0), "");
  EXPECT_EQ(Title(17), "");
}

TEST_F(ObjectsTest, BlocksAreCreatedOnceAndFetchedWithTheirSizes) {
  std::vector<uint8_t> data(sizeof(TSampleData), 0);
  data[90004] = 7;
  void* first = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_object(ObjSampleData, data.data(), &first, &size), 1);
  EXPECT_EQ(size, 90048);
  data[90004] = 9;
  void* second = nullptr;
  ASSERT_EQ(Create_object(ObjSampleData, data.data(), &second, &size), 1);
  EXPECT_EQ(first, second);
  int32_t fetched = 0;
  auto* block = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, "", &fetched));
  EXPECT_EQ(block, first);
  EXPECT_EQ(fetched, 90048);
  int32_t requested = block->requested;
  EXPECT_EQ(requested, 9);

  const struct {
    int kind;
    int32_t size;
  } sizes[] = {{ObjUserDistribution, 68000},
               {ObjInputSample, 45002},
               {ObjOutputSample, 45002},
               {ObjSampleResults, 16004},
               {ObjCorrelationData, 8000}};
  for (auto s : sizes) {
    int32_t got = 0;
    EXPECT_EQ(Create_object(s.kind, nullptr, nullptr, &got), 1);
    EXPECT_EQ(got, s.size) << s.kind;
    got = 0;
    Fetch_object(s.kind | 128, 0, "", &got);  // only the low 7 bits count
    EXPECT_EQ(got, s.size) << s.kind;
  }
  Fetch_object(ObjDependenceNode, 1, "", &fetched);
  EXPECT_EQ(fetched, 6720);
  // A fresh user quantile table has every target missing.
  auto* uq = static_cast<TUserQuantiles*>(Fetch_object(ObjUserDistribution, 0, "", nullptr));
  EXPECT_TRUE(IsMissingValue(uq->entries[999].pairs[7].target));
  EXPECT_EQ(Delete_object(ObjSampleData, nullptr), 0);
  EXPECT_EQ(Delete_object(ObjSampleData, uq), 0);  // not the block of that kind
  EXPECT_EQ(Delete_object(ObjSampleData, block), 1);
  EXPECT_EQ(Fetch_object(ObjSampleData, 0, "", nullptr), nullptr);
  EXPECT_EQ(Create_object(2, nullptr, nullptr, nullptr), 0);
}

TEST_F(ObjectsTest, DistributionsFillTheOutputTable) {
  std::vector<double> q(101);
  for (int i = 0; i <= 100; ++i) q[i] = i * 0.5;
  int32_t size = 0;
  EXPECT_EQ(Create_object(ObjDistribution, nullptr, nullptr, &size), 1);
  EXPECT_EQ(size, 808);
  void* first = nullptr;
  for (int k = 1; k <= 1000; ++k) {
    void* out = nullptr;
    ASSERT_EQ(Create_object(ObjDistribution, q.data(), &out, &size), k);
    if (k == 1) first = out;
  }
  EXPECT_EQ(Create_object(ObjDistribution, q.data(), nullptr, &size), 0);
  auto* table = static_cast<double*>(Fetch_object(ObjDistribution, 1, "", &size));
  EXPECT_EQ(table, first);
  EXPECT_EQ(table[100], 50.0);
  EXPECT_EQ(GetDistr(1), first);
  EXPECT_EQ(Delete_object(ObjDistribution, first), 1);
  EXPECT_EQ(GetDistr(1), nullptr);
  EXPECT_EQ(Create_object(ObjDistribution, q.data(), nullptr, &size), 1);  // first free entry
}

TEST_F(ObjectsTest, ModelObjectsByKindAndOutOfDateSamples) {
  void* out = nullptr;
  int32_t size = 0;
  ASSERT_EQ(Create_object(ObjSampleData, nullptr, &out, &size), 1);
  auto* data = static_cast<TSampleData*>(out);
  data->requested = 500;
  EXPECT_EQ(AddVariable("x"), 1);
  EXPECT_EQ(int32_t{data->requested}, 0);  // creating a variable after a run
  data->requested = 500;
  SetModelLoading(true, false);
  EXPECT_EQ(AddVariable("y"), 2);
  EXPECT_EQ(int32_t{data->requested}, 500);  // loading a model file does not
  SetModelLoading(false, false);
  EXPECT_EQ(AddVariable("X"), -1);  // a name clash changes nothing
  EXPECT_EQ(int32_t{data->requested}, 500);

  TUdf udf;
  std::memset(&udf, 0, sizeof udf);
  void* f = nullptr;
  ASSERT_EQ(Create_object(ObjFormula, &udf, &f, &size), 1);
  EXPECT_EQ(size, 403);
  char name[256];
  Get_object_name(ObjFormula, f, name);
  EXPECT_STREQ(name, "formula");
  void* rv = Fetch_object(ObjRandomVariable, 0, "Y", &size);
  ASSERT_NE(rv, nullptr);
  EXPECT_EQ(size, 2176);
  Get_object_name(ObjRandomVariable, rv, name);
  EXPECT_STREQ(name, "y");
  Get_object_name(ObjFormula, rv, name);  // not a formula
  EXPECT_STREQ(name, "");
  void* updated = nullptr;
  EXPECT_EQ(Update_object(ObjRandomVariable, rv, &updated, "z"), 2);
  Get_object_name(ObjRandomVariable, updated, name);
  EXPECT_STREQ(name, "z");
  data->requested = 500;
  EXPECT_EQ(Delete_object(ObjRandomVariable, updated), 2);
  EXPECT_EQ(int32_t{data->requested}, 0);
  EXPECT_EQ(GetNumberOfRandomVariables(), 1);
}

TEST_F(ObjectsTest, UserQuantiles) {
  TUdf udf;
  std::memset(&udf, 0, sizeof udf);
  SetShortString(udf.name, "out");
  ASSERT_EQ(Create_UDF(&udf, nullptr, nullptr), 1);
  int32_t k = 0;
  double x = 0;
  EXPECT_EQ(Process_user_quantiles("out", &k, &x, 0), 1);
  EXPECT_EQ(k, 8);
  struct Case {
    std::vector<double> targets;
    int32_t result;
    int32_t k;
  };
  const Case cases[] = {
      {{0.1, 0.5, 0.5}, -3, 3}, {{0.1, 1.0}, -4, 2},
      {{0.25}, 1, -1},          {{}, 0, -1},
      {{0.0}, -4, 1},           {{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8}, 1, -1},
  };
  for (const Case& c : cases) {
    for (int j = 1; j <= 8; ++j) {
      k = j;
      x = j <= static_cast<int>(c.targets.size()) ? c.targets[j - 1] : MissingValue;
      Process_user_quantiles("OUT", &k, &x, 2);
    }
    k = -1;
    EXPECT_EQ(Process_user_quantiles("out", &k, &x, 3), c.result);
    EXPECT_EQ(k, c.k);
  }
  k = 1;
  EXPECT_EQ(Process_user_quantiles("out", &k, &x, 1), 1);
  EXPECT_NEAR(x, 0.1, 1e-7);
  k = 9;
  EXPECT_EQ(Process_user_quantiles("out", &k, &x, 1), -2);
  k = 1;
  EXPECT_EQ(Process_user_quantiles("nobody", &k, &x, 1), -2);
  EXPECT_EQ(Process_user_quantiles("out", &k, &x, 7), 0);
}

TEST_F(ObjectsTest, SampleListLookups) {
  TSampleList list;
  ClearSampleList(list);
  SetShortString(list.entries[0].name, "alpha");
  SetShortString(list.entries[1].name, "abcdefghij");  // an old 10-character name
  list.count = 2;
  EXPECT_EQ(Sample_variable_exists("ALPHA", &list), 1);
  EXPECT_EQ(Sample_variable_exists("abcdefghijklm", &list), 2);
  EXPECT_EQ(Sample_variable_exists("alphabet", &list), 0);
  EXPECT_EQ(Sample_variable_exists("beta", &list), 0);
  EXPECT_EQ(Fetch_sample_data(0, "alpha"), nullptr);  // no run yet
  ASSERT_TRUE(AllocateSimulationBlocks());
  std::memcpy(OutputSampleList(), &list, sizeof list);
  EXPECT_EQ(Fetch_sample_data(0, "Alpha"), OutputSampleList());
  EXPECT_EQ(Get_sample_correlation(3, 3), 1.0);
}

TEST_F(ObjectsTest, ColumnMapOfTheOrderedObjects) {
  AddVariable("a");
  AddVariable("b");
  TUdf udf;
  std::memset(&udf, 0, sizeof udf);
  SetShortString(udf.name, "f1");
  Create_UDF(&udf, nullptr, nullptr);
  SetShortString(udf.name, "f2");
  Create_UDF(&udf, nullptr, nullptr);
  TSampleList inputs;
  ClearSampleList(inputs);
  SetShortString(inputs.entries[0].name, "b");  // node order differs from variable order
  SetShortString(inputs.entries[1].name, "a");
  inputs.count = 2;
  std::vector<int32_t> all = SampleColumnMap(nullptr, inputs, false);
  EXPECT_EQ(std::vector<int32_t>(all.begin() + 1, all.begin() + 6),
            (std::vector<int32_t>{2, 1, 3, 4, 0}));
  void* selected[] = {Fetch_UDF(2, ""), Fetch_extended_random_variable(2, ""), nullptr};
  std::vector<int32_t> some = SampleColumnMap(selected, inputs, false);
  EXPECT_EQ(some[1], 4);
  EXPECT_EQ(some[2], 1);
  EXPECT_EQ(some[3], 0);
  // With the run's outputs a formula maps to its output entry: f1 is no
  // output, f2 is the first one.
  TSampleList outputs;
  ClearSampleList(outputs);
  outputs.entries[0].objectIndex = 2;
  outputs.count = 1;
  std::vector<int32_t> mapped = SampleColumnMap(selected, inputs, false, &outputs);
  EXPECT_EQ(mapped[1], 3);
  EXPECT_EQ(mapped[2], 1);
  void* first[] = {Fetch_UDF(1, ""), nullptr};
  EXPECT_EQ(SampleColumnMap(first, inputs, false, &outputs)[1], 0);
}

TEST(ExtendedCodec, BytesAndRoundTrips) {
  TExtended80 one = EncodeExtended(1.0);
  const uint8_t expected[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xff, 0x3f};
  EXPECT_EQ(std::memcmp(one.bytes, expected, 10), 0);
  TExtended80 m2 = EncodeExtended(-2.0);
  EXPECT_EQ(m2.bytes[9], 0xc0);
  EXPECT_EQ(m2.bytes[8], 0x00);
  for (double v :
       {0.0, -0.0, 1.0, -3.75, 1e-310, 4.9e-324, 1.7976931348623157e308, 123.456, -5.4321e-05}) {
    double back = DecodeExtended(EncodeExtended(v));
    EXPECT_EQ(std::memcmp(&back, &v, 8), 0) << v;
  }
  EXPECT_TRUE(std::isinf(DecodeExtended(EncodeExtended(INFINITY))));
  EXPECT_TRUE(std::isnan(DecodeExtended(EncodeExtended(NAN))));
  // A 64-bit mantissa rounds to nearest even: 1 + 2^-53 + 2^-63 rounds up.
  TExtended80 e = one;
  e.bytes[0] = 0x01;  // 2^-63
  e.bytes[1] = 0x04;  // 2^-53
  EXPECT_EQ(DecodeExtended(e), 1.0 + 0x1p-52);
  // An extended value beyond the double range reads as infinity.
  TExtended80 big = one;
  big.bytes[9] = 0x7f;
  big.bytes[8] = 0xfe;
  EXPECT_TRUE(std::isinf(DecodeExtended(big)));
}

TEST(Real48Codec, BytesAndRoundTrips) {
  uint8_t b[6];
  EncodeReal48(1.0, b);
  const uint8_t one[6] = {0x81, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(b, one, 6), 0);
  EncodeReal48(-0.5, b);
  EXPECT_EQ(b[0], 0x80);
  EXPECT_EQ(b[5], 0x80);
  for (double v : {0.0, 1.0, -0.5, 123.456, 1e30, -7.25e-20}) {
    EncodeReal48(v, b);
    EXPECT_NEAR(DecodeReal48(b), v, std::fabs(v) * 1e-11) << v;
  }
  EncodeReal48(1e-100, b);
  EXPECT_EQ(DecodeReal48(b), 0.0);
}

}  // namespace
}  // namespace tesmira
