// Vines and correlation matrices sampled by the run: rank correlations of the
// written samples against the structure's values, the alternative routine,
// refusals, and nothing of one run surviving into the next. Uniform(0, 1)
// marginals at resolution 10000; n = 20000 samples, so a Spearman
// coefficient has a standard error below 1/sqrt(n) = 0.0071 and the
// tolerance is 4 of them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <vector>

#include "rank_statistics.h"
#include "simulation_fixture.h"
#include "tesmira/vines.h"

using example::AddVariable;
using example::Link;
using example::Node;

namespace {

constexpr int kRuns = 200;
constexpr int kSamples = kRuns * 100;
const double kTolerance = 4.0 / std::sqrt(double(kSamples));

class VineRun : public SimulationTest {
 protected:
  // Uniform variables x1..xn.
  void Variables(int n) {
    for (int k = 1; k <= n; ++k) ASSERT_TRUE(AddVariable(Name(k), DistUniform, 0, 1));
  }
  static std::string Name(int k) { return std::string("x").append(std::to_string(k)); }
  static void* N(int k) { return Node(Name(k)); }

  // A chain x1 - x2 - ... - xn (D-vine) or a star under x1 (canonical vine,
  // matrix), of the given type and copula; the current structure.
  void Structure(int n, bool chain, int type, int copula) {
    Variables(n);
    for (int k = 2; k <= n; ++k) ASSERT_TRUE(Link(Name(chain ? k - 1 : 1), Name(k), 0.0, copula));
    SetCurrentDependenceStructureRoot(N(1), "");
    ASSERT_EQ(SetDependenceType(nullptr, type), 1);
    for (int k = 1; k <= n; ++k) ASSERT_EQ(SetBivariateType(N(k), copula), 1);
  }

  // The columns of the sample store of the last run.
  std::vector<std::vector<float>> Samples(int n) {
    char ext[256];
    FileKindExtension(FileKindSampleStore, ext);
    const std::string raw = ReadAll(Path(std::string("model") + ext));
    const std::size_t count = raw.size() / (4 * std::size_t(n));
    std::vector<std::vector<float>> c(static_cast<std::size_t>(n), std::vector<float>(count));
    for (std::size_t i = 0; i < count; ++i)
      for (std::size_t k = 0; k < std::size_t(n); ++k)
        std::memcpy(&c[k][i], raw.data() + (i * n + k) * 4, 4);
    return c;
  }

  std::vector<std::vector<float>> Run(int n, int seed) {
    TRunRequest r = Request(kRuns, seed, RunWriteBinary);
    r.resolution = 10000;
    EXPECT_EQ(Run_simul(&r), 1) << Message(r);
    return Samples(n);
  }
};

TEST_F(VineRun, CorrelationMatrixIsReachedCellByCell) {
  // clang-format off
  const double r[4][4] = {{1, 0.6, 0.3, -0.2},
                          {0.6, 1, 0.5, 0.1},
                          {0.3, 0.5, 1, 0.4},
                          {-0.2, 0.1, 0.4, 1}};
  // clang-format on
  Structure(4, false, DepCorrelationMatrix, CopulaNormal);
  ASSERT_TRUE(CMatrix_Initialize());
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) ASSERT_TRUE(CMatrix_SetCell(N(i + 1), N(j + 1), r[i][j]));
  const auto c = Run(4, 31);
  ASSERT_EQ(c[0].size(), std::size_t(kSamples));
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j)
      EXPECT_NEAR(Spearman(c[i], c[j]), r[i][j], kTolerance) << i << "," << j;
}

TEST_F(VineRun, NormalDVineGivesThePeeledRankCorrelation) {
  // rho13 = rho12 rho23 with rho = 2 sin(pi 0.5 / 6); its rank correlation
  // is (6 / pi) asin(rho13 / 2) = 0.2563.
  Structure(3, true, DepDVine, CopulaNormal);
  ASSERT_TRUE(Vine_SetCorrValue(N(1), 1, 0.5));
  ASSERT_TRUE(Vine_SetCorrValue(N(2), 1, 0.5));
  ASSERT_TRUE(Vine_SetCorrValue(N(1), 2, 0.0));
  const auto c = Run(3, 7);
  EXPECT_NEAR(Spearman(c[0], c[1]), 0.5, kTolerance);
  EXPECT_NEAR(Spearman(c[1], c[2]), 0.5, kTolerance);
  EXPECT_NEAR(Spearman(c[0], c[2]), 0.2563, kTolerance);
}

TEST_F(VineRun, FrankDVineAndClaytonCanonicalVineReachTheirFirstLevel) {
  // Six-node Frank D-vine (neighbours) beside a four-node Clayton canonical
  // vine (root with each other node), in one model, under both routines.
  const double chain[5] = {0.7, -0.4, 0.5, 0.3, 0.6};
  const double star[3] = {0.6, 0.8, -0.6};
  Variables(10);
  for (int k = 2; k <= 6; ++k) ASSERT_TRUE(Link(Name(k - 1), Name(k), 0.0, CopulaFrank));
  for (int k = 8; k <= 10; ++k) ASSERT_TRUE(Link(Name(7), Name(k), 0.0, CopulaClayton));
  SetCurrentDependenceStructureRoot(N(1), "");
  ASSERT_EQ(SetDependenceType(nullptr, DepDVine), 1);
  SetCurrentDependenceStructureRoot(N(7), "");
  ASSERT_EQ(SetDependenceType(nullptr, DepCanonicalVine), 1);
  for (int k = 1; k <= 10; ++k)
    ASSERT_EQ(SetBivariateType(N(k), k <= 6 ? CopulaFrank : CopulaClayton), 1);
  SetCurrentDependenceStructureRoot(N(1), "");
  for (int k = 1; k <= 5; ++k) ASSERT_TRUE(Vine_SetCorrValue(N(k), 1, chain[k - 1]));
  ASSERT_TRUE(Vine_SetCorrValue(N(1), 2, 0.3));  // conditional values take part too
  ASSERT_TRUE(Vine_SetCorrValue(N(2), 3, -0.2));
  SetCurrentDependenceStructureRoot(N(7), "");
  for (int k = 8; k <= 10; ++k) ASSERT_TRUE(Vine_SetCorrValue(N(k), 1, star[k - 8]));
  ASSERT_TRUE(Vine_SetCorrValue(N(9), 2, 0.5));
  SetCurrentDependenceStructureRoot(nullptr, "");
  for (int seed : {99, 4638}) {
    const auto c = Run(10, seed);
    for (int k = 0; k < 5; ++k)
      EXPECT_NEAR(Spearman(c[k], c[k + 1]), chain[k], kTolerance) << seed << " " << k;
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(Spearman(c[6], c[7 + k]), star[k], kTolerance) << seed << " " << k;
    EXPECT_NEAR(Spearman(c[0], c[7]), 0.0, kTolerance);  // two structures, independent
  }
}

TEST_F(VineRun, CompositeNodePassesItsValueToTheVine) {
  // a - b is a tree; a - (composite) - v1 joins the canonical vine v1 {v2, v3}
  // into it: the vine's root takes the composite node's value, its members
  // keep the vine's rank correlations with the root.
  for (const char* x : {"v1", "v2", "v3", "a", "b"}) ASSERT_TRUE(AddVariable(x, DistUniform, 0, 1));
  ASSERT_TRUE(Link("v1", "v2", 0.0, CopulaFrank));
  ASSERT_TRUE(Link("v1", "v3", 0.0, CopulaFrank));
  SetCurrentDependenceStructureRoot(Node("v1"), "");
  ASSERT_EQ(SetDependenceType(nullptr, DepCanonicalVine), 1);
  ASSERT_TRUE(Vine_SetCorrValue(Node("v2"), 1, 0.6));
  ASSERT_TRUE(Vine_SetCorrValue(Node("v3"), 1, -0.5));
  SetCurrentDependenceStructureRoot(nullptr, "");
  ASSERT_TRUE(Link("a", "b", 0.5, CopulaFrank));
  void* a = Node("a");
  void* target = a;
  int32_t position = 0;
  ASSERT_TRUE(Process_dep_node(Node("v1"), &target, &position, DepNodeAttach));
  ASSERT_EQ(GetNumberOfDepNodes(true), 6);  // the composite node came in
  void* composite = Fetch_dep_node(6, nullptr);
  ASSERT_TRUE(IsCompositeNode(composite));
  ASSERT_TRUE(Set_node_correlation_with_parent(composite, 0.7f));
  ASSERT_EQ(SetBivariateType(composite, CopulaFrank), 1);
  const auto c = Run(6, 12);                           // the composite node has a column of its own
  EXPECT_NEAR(Spearman(c[3], c[4]), 0.5, kTolerance);  // a, b
  EXPECT_NEAR(Spearman(c[3], c[0]), 0.7, kTolerance);  // a, v1 through the composite node
  EXPECT_NEAR(Spearman(c[0], c[1]), 0.6, kTolerance);  // the vine below it
  EXPECT_NEAR(Spearman(c[0], c[2]), -0.5, kTolerance);
}

bool StopAtOnce(int32_t, int32_t) { return false; }

TEST_F(VineRun, NothingSurvivesFromAStoppedRun) {
  Structure(2, true, DepDVine, CopulaNormal);
  ASSERT_TRUE(Vine_SetCorrValue(N(1), 1, 0.8));
  TRunRequest r = Request(kRuns, 3, RunWriteBinary);
  r.progress = StopAtOnce;
  Run_simul(&r);
  ASSERT_TRUE(Vine_SetCorrValue(N(1), 1, -0.6));
  const auto c = Run(2, 3);
  EXPECT_NEAR(Spearman(c[0], c[1]), -0.6, kTolerance);
  // And once more with another value.
  ASSERT_TRUE(Vine_SetCorrValue(N(1), 1, 0.2));
  const auto d = Run(2, 4);
  EXPECT_NEAR(Spearman(d[0], d[1]), 0.2, kTolerance);
}

TEST_F(VineRun, StructuresThatCanNotBeSampledAreNamed) {
  // clang-format off
  const struct { int type, copula; const char* text; } cases[] = {
      {DepUserVine, CopulaFrank, "User-defined vines can not be sampled"},
      {DepUserVine, CopulaNormal, "User-defined vines can not be sampled"},
      {DepCanonicalVine, CopulaMinimumInformation, "minimum information copula can not be used on a vine"},
      {DepCorrelationMatrix, CopulaNormal, "contains empty or invalid data cells"},
  };
  // clang-format on
  for (const auto& k : cases) {
    End_model_data();
    Init_Model_data();
    SetModelFileName(Path("model.tsm").c_str());
    Structure(3, false, k.type, k.copula);
    SetCurrentDependenceStructureRoot(N(1), "my");
    if (k.type == DepCorrelationMatrix) {
      ASSERT_TRUE(CMatrix_Initialize());
    }
    TRunRequest r = Request(1, 1, RunWriteBinary);
    EXPECT_EQ(Run_simul(&r), -3);
    EXPECT_NE(Message(r).find(k.text), std::string::npos) << Message(r);
    EXPECT_NE(Message(r).find("`my`"), std::string::npos) << Message(r);
  }
}

}  // namespace
