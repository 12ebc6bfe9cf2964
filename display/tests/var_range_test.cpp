#include <gtest/gtest.h>

#include <vector>

#include "fn/var_range.h"

namespace {

using fn::CVarRange;
using Intervals = std::vector<CVarRange::Interval>;

CVarRange Make(const Intervals& start) {
  CVarRange r;
  if (start.empty()) {  // intersect two disjoint pieces away: nothing selected
    r.Combine(0.0f, 0.1f, fn::SelectReplace);
    r.Combine(0.5f, 0.6f, fn::SelectIntersect);
    return r;
  }
  r.Combine(start[0].first, start[0].second, fn::SelectReplace);
  for (std::size_t i = 1; i < start.size(); ++i) {
    r.Combine(start[i].first, start[i].second, fn::SelectUnite);
  }
  return r;
}

struct CombineCase {
  const char* what;
  Intervals start;
  float a, b;
  int mode;
  Intervals result;
};

TEST(VarRange, CombineModes) {
  const CombineCase cases[] = {
      {"unite overlapping the upper",
       {{0.1f, 0.3f}, {0.6f, 0.8f}},
       0.7f,
       0.9f,
       fn::SelectUnite,
       {{0.1f, 0.3f}, {0.6f, 0.9f}}},
      {"unite joining two",
       {{0.1f, 0.3f}, {0.6f, 0.8f}},
       0.2f,
       0.7f,
       fn::SelectUnite,
       {{0.1f, 0.8f}}},
      {"unite touching", {{0.1f, 0.3f}}, 0.3f, 0.5f, fn::SelectUnite, {{0.1f, 0.5f}}},
      {"unite in a gap",
       {{0.1f, 0.2f}, {0.8f, 0.9f}},
       0.4f,
       0.5f,
       fn::SelectUnite,
       {{0.1f, 0.2f}, {0.4f, 0.5f}, {0.8f, 0.9f}}},
      {"unite below all",
       {{0.5f, 0.6f}},
       0.1f,
       0.2f,
       fn::SelectUnite,
       {{0.1f, 0.2f}, {0.5f, 0.6f}}},
      {"unite empty", {}, 0.4f, 0.6f, fn::SelectUnite, {{0.4f, 0.6f}}},
      {"intersect whole axis", {{0.0f, 1.0f}}, 0.2f, 0.4f, fn::SelectIntersect, {{0.2f, 0.4f}}},
      {"intersect disjoint", {{0.2f, 0.4f}}, 0.5f, 0.7f, fn::SelectIntersect, {}},
      {"intersect clips several",
       {{0.1f, 0.3f}, {0.5f, 0.7f}},
       0.2f,
       0.6f,
       fn::SelectIntersect,
       {{0.2f, 0.3f}, {0.5f, 0.6f}}},
      {"intersect touching drops", {{0.1f, 0.3f}}, 0.3f, 0.5f, fn::SelectIntersect, {}},
      {"replace intersection of two",
       {{0.1f, 0.3f}, {0.5f, 0.7f}},
       0.2f,
       0.6f,
       fn::SelectReplaceIntersection,
       {{0.2f, 0.6f}}},
      {"replace intersection in a gap",
       {{0.1f, 0.2f}, {0.8f, 0.9f}},
       0.4f,
       0.5f,
       fn::SelectReplaceIntersection,
       {{0.1f, 0.2f}, {0.4f, 0.5f}, {0.8f, 0.9f}}},
      {"replace intersection touching",
       {{0.1f, 0.3f}},
       0.3f,
       0.5f,
       fn::SelectReplaceIntersection,
       {{0.1f, 0.3f}, {0.3f, 0.5f}}},
      {"replace intersection keeps others",
       {{0.1f, 0.2f}, {0.4f, 0.6f}, {0.8f, 0.9f}},
       0.5f,
       0.7f,
       fn::SelectReplaceIntersection,
       {{0.1f, 0.2f}, {0.5f, 0.7f}, {0.8f, 0.9f}}},
      {"replace", {{0.1f, 0.2f}, {0.8f, 0.9f}}, 0.3f, 0.35f, fn::SelectReplace, {{0.3f, 0.35f}}},
      {"unknown mode", {{0.1f, 0.2f}}, 0.3f, 0.4f, 4, {{0.1f, 0.2f}}},
      {"negative mode", {{0.1f, 0.2f}}, 0.3f, 0.4f, -1, {{0.1f, 0.2f}}},
  };
  for (const CombineCase& c : cases) {
    SCOPED_TRACE(c.what);
    CVarRange r = Make(c.start);
    ASSERT_EQ(r.GetIntervals(), c.start);
    r.Combine(c.a, c.b, c.mode);
    EXPECT_EQ(r.GetIntervals(), c.result);
    EXPECT_EQ(r.Count(), static_cast<int>(c.result.size()));
  }
}

TEST(VarRange, ContainsAndReset) {
  CVarRange r;
  EXPECT_EQ(r.GetIntervals(), Intervals({{0.0f, 1.0f}}));
  r.Combine(0.1f, 0.3f, fn::SelectReplace);
  r.Combine(0.6f, 0.8f, fn::SelectUnite);
  const std::pair<float, bool> probes[] = {{0.0f, false}, {0.1f, true},   {0.2f, true},
                                           {0.3f, true},  {0.45f, false}, {0.6f, true},
                                           {0.8f, true},  {0.81f, false}, {1.0f, false}};
  for (auto [x, inside] : probes) EXPECT_EQ(r.Contains(x), inside) << x;
  CVarRange copy(r);
  r.Combine(0.0f, 0.05f, fn::SelectIntersect);
  EXPECT_EQ(r.Count(), 0);
  for (float x : {0.0f, 0.05f, 0.5f, 1.0f}) EXPECT_FALSE(r.Contains(x));
  EXPECT_EQ(copy.Count(), 2);  // the copy has intervals of its own
  r.Reset();
  EXPECT_TRUE(r.Contains(0.0f));
  EXPECT_TRUE(r.Contains(1.0f));
}

}  // namespace
