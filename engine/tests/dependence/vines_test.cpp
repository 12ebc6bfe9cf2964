#include <gtest/gtest.h>

#include <cmath>

#include "model/store.h"
#include "vine_fixture.h"

namespace {

using VineTest = VineModelTest;

// A canonical vine of four nodes (a star under node 1) with all values set.
void FillCanonical4() {
  const double values[][2] = {{0.6, 0}, {0.3, 0.42}, {-0.2, 0.28}};
  for (int p = 2; p <= 4; ++p) {
    ASSERT_TRUE(Vine_SetCorrValue(GetNode(p), 1, values[p - 2][0]));
    for (int level = 2; level < p; ++level)
      ASSERT_TRUE(Vine_SetCorrValue(GetNode(p), level, values[p - 2][1]));
  }
  ASSERT_TRUE(Vine_SetCorrValue(GetNode(4), 3, 0.43));
}

TEST_F(VineTest, SetCorrValueStoresInsideTheOpenIntervalAndRaisesTheLevel) {
  MakeStar(4, 2);
  EXPECT_EQ(Vine_IsTranscended(), 0);
  EXPECT_TRUE(Vine_SetCorrValue(Node(3), 1, 0.5));
  EXPECT_NEAR(Get_node_correlation_with_parent(Node(3)), 0.5, 1e-7);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 1), 0.5, 1e-7);
  EXPECT_TRUE(Vine_SetCorrValue(Node(3), 2, -0.3));
  EXPECT_NEAR(Get_node_correlation_with_parent(Node(3)), 0.5, 1e-7);  // only level 1 is the arc
  // Setting level 1 again to a value that the single slot holds only
  // approximately puts it on the arc again, even after the arc was changed.
  ASSERT_TRUE(Vine_SetCorrValue(Node(3), 1, 0.3));
  ASSERT_TRUE(Set_node_correlation_with_parent(Node(3), 0.9f));
  EXPECT_TRUE(Vine_SetCorrValue(Node(3), 1, 0.3));
  EXPECT_EQ(Get_node_correlation_with_parent(Node(3)), 0.3);
  ASSERT_TRUE(Vine_SetCorrValue(Node(3), 1, 0.5));
  EXPECT_EQ(Vine_IsTranscended(), 2);
  EXPECT_EQ(Vine_MaxTranscended(), 2);
  for (double bad : {1.0, -1.0, 1.5, std::nan("")})
    EXPECT_FALSE(Vine_SetCorrValue(Node(3), 1, bad)) << bad;
  EXPECT_FALSE(Vine_SetCorrValue(Node(3), 0, 0.1));
  // The root's slots follow its three children: level 1 is slot 7.
  EXPECT_TRUE(Vine_SetCorrValue(Node(1), 1, 0.25));
  EXPECT_FLOAT_EQ(tesmira::NodeValuesV2(1)[6], 0.25f);
  EXPECT_EQ(Vine_GetCorrValue(Node(1), 512 - 6 + 1), CorrUnavailable);
  int dummy = 0;
  EXPECT_EQ(Vine_GetCorrValue(&dummy, 1), CorrUnavailable);
}

TEST_F(VineTest, ValuesOfANonVineAreUnavailable) {
  MakeMatrix(3);
  EXPECT_EQ(Vine_GetCorrValue(Node(2), 1), CorrUnavailable);
  EXPECT_FALSE(Vine_SetCorrValue(Node(2), 1, 0.1));
  EXPECT_EQ(Vine_IsTranscended(), -1);
  EXPECT_FALSE(Vine_InitVine());
  EXPECT_EQ(LastError(), "The input structure is not a valid vine. ");
  EXPECT_FALSE(Vine_VerifyVine());
}

TEST_F(VineTest, InitVineLevelsTruncatesAndLevelZeroClearsTheVine) {
  MakeStar(4, 2);
  FillCanonical4();
  EXPECT_EQ(Vine_IsTranscended(), 3);
  ASSERT_TRUE(Vine_InitVineLevels(1));
  EXPECT_EQ(Vine_IsTranscended(), 1);
  EXPECT_NEAR(Vine_GetCorrValue(Node(4), 1), -0.2, 1e-7);
  EXPECT_EQ(Vine_GetCorrValue(Node(4), 2), 0.0);
  EXPECT_EQ(Vine_GetCorrValue(Node(4), 3), 0.0);
  EXPECT_EQ(tesmira::ChildCount(1), 3);

  EXPECT_FALSE(Vine_InitVineLevels(4));  // more levels than children
  EXPECT_EQ(LastError(), "The input structure is not a valid vine. ");

  ASSERT_TRUE(Vine_InitVineLevels(0));
  EXPECT_EQ(LastError(), "");
  EXPECT_EQ(tesmira::ChildCount(1), 0);
  EXPECT_EQ(tesmira::ParentIndex(2), 0);
  EXPECT_EQ(Get_node_correlation_with_parent(Node(4)), 0.0);
  EXPECT_EQ(Vine_IsTranscended(), -1);  // no children left
}

TEST_F(VineTest, VerifyVineChecksValuesAndLevels) {
  MakeStar(4, 2);
  FillCanonical4();
  EXPECT_TRUE(Vine_VerifyVine());
  // A value written past the checks.
  tesmira::NodeValuesV2(3)[1] = 1.5f;
  EXPECT_FALSE(Vine_VerifyVine());
  EXPECT_EQ(LastError(), "The input structure is not a valid vine. ");
  tesmira::NodeValuesV2(3)[1] = 0.1f;
  EXPECT_TRUE(Vine_VerifyVine());
  // Position 2 of a canonical vine has only the first level.
  ASSERT_TRUE(Vine_SetCorrValue(Node(2), 2, 0.1));
  EXPECT_FALSE(Vine_VerifyVine());
}

TEST_F(VineTest, CheckNotTranscendedCountsVinesWithAtMostOneLevel) {
  MakeStar(4, 2);
  FillCanonical4();
  EXPECT_EQ(Vine_CheckNotTranscended(), 0);
  EXPECT_EQ(GetCurrentDependenceStructureRoot(), nullptr);
  SetCurrentDependenceStructureRoot(Node(1), "");
  ASSERT_TRUE(Vine_InitVineLevels(1));
  EXPECT_EQ(Vine_CheckNotTranscended(), 1);
}

TEST_F(VineTest, EdgeValuesLiveAtTheTopOfTheSlotsUntilLevelsReachThem) {
  for (bool design2 : {true, false}) {
    End_model_data();
    Init_Model_data();
    Set_model_dep_type(design2 ? 2.0 : 1.0);
    MakeStar(3, 4);
    EXPECT_EQ(Vine_GetEdgeValue(Node(2), 1), 0) << design2;
    ASSERT_TRUE(Vine_SetEdgeValue(Node(2), 1, 7)) << design2;
    EXPECT_EQ(Vine_GetEdgeValue(Node(2), 1), 7) << design2;
    ASSERT_TRUE(Vine_SetEdgeValue(Node(3), 2, -2)) << design2;
    EXPECT_EQ(Vine_GetEdgeValue(Node(3), 2), 65534) << design2;  // read back unsigned
    EXPECT_EQ(Vine_IsTranscended(), 2);
    // Truncating a user-defined vine to two levels keeps the top slot.
    ASSERT_TRUE(Vine_InitVineLevels(2));
    EXPECT_EQ(Vine_GetEdgeValue(Node(2), 1), 7) << design2;
  }
  // A design-2 top slot holding no integer of 16 bits reads as absent.
  End_model_data();
  Init_Model_data();
  Set_model_dep_type(2.0);
  MakeStar(3, 4);
  tesmira::NodeValuesV2(2)[511] = 1e10f;
  EXPECT_EQ(Vine_GetEdgeValue(Node(2), 1), -1);
  tesmira::NodeValuesV2(2)[511] = std::nanf("");
  EXPECT_EQ(Vine_GetEdgeValue(Node(2), 1), -1);
}

TEST_F(VineTest, OldDesignKeepsVineValuesAsCodesBehindTheChildList) {
  Set_model_dep_type(1.0);
  MakeStar(3, 2);
  EXPECT_EQ(tesmira::NodeParentName(3), "x1");
  tesmira::SetNodeParentName(1, "VINE~v");
  ASSERT_TRUE(Vine_SetCorrValue(Node(3), 2, 0.5));
  EXPECT_EQ(tesmira::NodeValuesV1(3)[1], 16000);
  EXPECT_NEAR(Vine_GetCorrValue(Node(3), 2), 0.5, 1e-9);
  // The root's two children occupy slots 1..4.
  ASSERT_TRUE(Vine_SetCorrValue(Node(1), 1, 0.25));
  EXPECT_EQ(tesmira::NodeValuesV1(1)[4], 8000);
  EXPECT_EQ(tesmira::ChildAt(1, 1), 2);
  EXPECT_EQ(tesmira::ChildAt(1, 2), 3);
}

}  // namespace
