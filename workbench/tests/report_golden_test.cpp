// The plain-text report of a small model compared byte for byte with a file
// that was checked by hand when it was first written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "report_fixture.h"
#include "tesmira/distributions.h"
#include "tesmira/objects.h"

namespace tesmira::wb {
namespace {

class ReportGolden : public ReportWriter {
 protected:
  static void Typed(const std::string& name, int type, double p1, double p2) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    Ran_var_init(&rv);
    SetShortString(rv.distribution.name, name);
    rv.distribution.distType = static_cast<uint8_t>(type);
    rv.representation = 1;
    Process_extended_random_variable(&rv, SetDistributionDefaultsOp);
    rv.distribution.u.params[0] = p1;
    rv.distribution.u.params[1] = p2;
    ASSERT_GT(Create_TSMObject(ObjRandomVariable, &rv), 0) << name;
  }

  // Four inputs of different types in a tree with a latent node, three
  // formulas, user quantiles of one of them, rank correlations.
  void Build() {
    Typed("n", DistNormal, 0, 1);
    Typed("u", DistUniform, 0, 1);
    Typed("e", DistExponential, 1, 0);
    Typed("lu", DistLogUniform, 1, 10);
    for (const char* v : {"n", "u", "e", "lu", "L"}) AddNode(v);
    ASSERT_TRUE(example::Link("n", "u", 0.3, CopulaNormal));
    ASSERT_TRUE(example::Link("n", "L", 0.5, CopulaNormal));
    ASSERT_TRUE(example::Link("L", "e", 0.4, CopulaNormal));
    ASSERT_TRUE(example::Link("L", "lu", -0.2, CopulaNormal));
    AddFormula("total", "n+u+e");
    AddFormula("ratio", "e/(1+u)");
    AddFormula("scaled", "lu*2");
    for (int k = 1; k <= 2; ++k) {
      double x = 0.25 * k;
      ASSERT_EQ(Process_user_quantiles("total", &k, &x, 2), 1);
    }
    int32_t none = 0;
    ASSERT_EQ(Process_user_quantiles("total", &none, nullptr, 3), 1);
    TRunRequest r = DefaultRunRequest;
    r.runs = 1;
    r.seed = 11;
    r.correlationKind = 2;
    r.userQuantiles = 1;
    ASSERT_EQ(Run_simul(&r), RunCompleted);
  }
};

TEST_F(ReportGolden, PlainTextReportOfTheFixture) {
  Build();
  TReportContext c = Context();
  c.modelFileName = "/models/fixture.tsm";
  MemoryTarget t;
  GenerateReport(0, 0, t, c);
  std::string text;
  for (const auto& l : t.lines) text += l + "\n";
  const std::string golden = std::string(TESMIRA_WB_TEST_DATA) + "/report_plain.txt";
  if (std::getenv("TESMIRA_WRITE_GOLDEN")) std::ofstream(golden, std::ios::binary) << text;
  std::ifstream in(golden, std::ios::binary);
  ASSERT_TRUE(in) << golden;
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(text, expected.str());
}

}  // namespace
}  // namespace tesmira::wb
