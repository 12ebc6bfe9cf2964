#include "ud_vine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "dependence_fixture.h"
#include "pairing_choices.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira::wb {
namespace {

class UDVine : public test::DependenceTest {
 protected:
  // A tree of variables given as (parent, child) links under root, made the
  // current user-defined vine.
  void Tree(const char* root, const std::vector<std::pair<const char*, const char*>>& links) {
    std::vector<const char*> names{root};
    for (const auto& l : links) names.push_back(l.second);
    for (const char* n : names) AddVariable(n);
    SyncNodes();
    AddRoot(root);
    for (const auto& l : links) AddUnder(l.first, l.second);
    SetCurrentDependenceStructureRoot(Node(root), "");
    ASSERT_EQ(SetDependenceType(nullptr, DepUserVine), 1);
  }
  int Items() { return static_cast<int>(tree.Items().size()); }
  bool Build() {
    levels.BuildFirst(UDTreeDescription(tree));
    return levels.BuildLevels(Items(), dwb, width);
  }
  // Level x as "label<parent label" per node, separated by blanks.
  std::string Shape(int x) {
    std::string s;
    for (const auto& n : levels.Level(x)->Nodes) {
      if (!s.empty()) s += ' ';
      s += n->FullLabel();
      if (n->parent) s += std::string("<").append(n->parent->FullLabel());
    }
    return s;
  }

  TUDVineLevels levels;
  TTextWidth width = [](const std::string& s) { return 7 * static_cast<int>(s.size()); };
};

TEST_F(UDVine, PathNeedsNoChoiceAndBuildsEveryLevel) {
  // a root with two children, then a chain: no node needs a choice.
  Tree("b", {{"b", "a"}, {"b", "c"}, {"c", "d"}, {"d", "e"}});
  ASSERT_TRUE(Build());
  ASSERT_EQ(levels.LevelCount(), 4);
  EXPECT_EQ(Shape(1), "b|a b|c<b|a c|d<b|c d|e<c|d");
  EXPECT_EQ(Shape(2), "b|a|b|c b|c|c|d<b|a|b|c c|d|d|e<b|c|c|d");
  EXPECT_EQ(Shape(3), "b|a|b|c|b|c|c|d b|c|c|d|c|d|d|e<b|a|b|c|b|c|c|d");
  for (int x = 0; x < 4; ++x) EXPECT_EQ(levels.Level(x)->Count(), 5 - x);
  // The dependence node follows right down to the first level.
  EXPECT_EQ(levels.Level(2)->At(1)->DependenceNode(), Node("d"));
  // The engine holds the vine up to its last tree.
  EXPECT_EQ(Vine_IsTranscended(), 4);
  EXPECT_TRUE(dwb.PairingChoices.empty());
}

TEST_F(UDVine, StarWaitsThenFollowsTheChoice) {
  Tree("r", {{"r", "x"}, {"r", "y"}, {"r", "z"}});
  ASSERT_FALSE(Build());
  ASSERT_EQ(levels.LevelCount(), 2);
  const TUDNodes& top = *levels.Top();
  EXPECT_TRUE(top.Incomplete);
  ASSERT_EQ(top.Count(), 1);
  // A placeholder for r: no left, r's label, waiting for r (position 1).
  EXPECT_EQ(top.At(0)->left, nullptr);
  EXPECT_EQ(top.At(0)->Label(), "r");
  EXPECT_EQ(top.At(0)->pendingVertex, 1);

  // Every connector of a root with children x, y, z, as the second tree.
  const std::vector<std::string> expected = {
      "x|r r|z<x|r r|y<r|z",  // 0: like 1, the first edge starts the tree
      "x|r r|z<x|r r|y<r|z",  // 1: r-x to r-z, r-z to r-y
      "x|r r|y<x|r r|z<x|r",  // 2
      "x|r r|y<x|r r|z<r|y",  // 3
  };
  for (int b = 0; b <= 3; ++b) {
    AddPairingChoice(dwb, 1, 1, b);
    if (b == 0) {
      levels.RebuildTop(dwb, width);  // the waiting level again, from the first
      EXPECT_TRUE(levels.BuildLevels(Items(), dwb, width));
    } else {
      EXPECT_TRUE(Build()) << b;
    }
    EXPECT_EQ(Shape(1), expected[b]) << b;
    EXPECT_EQ(levels.LevelCount(), 3) << b;
    ASSERT_TRUE(dwb.Undo.Undo());
    EXPECT_TRUE(dwb.PairingChoices.empty());
  }
  EXPECT_EQ(ui.vineRebuilds, 4);  // each undo asks the view to rebuild
  ASSERT_FALSE(Build());          // the undone choice no longer joins
  EXPECT_TRUE(levels.Top()->Incomplete);
}

TEST_F(UDVine, InnerNodeJoinsItsEdgesIntoOnePath) {
  // a - r - {x, y, z}: the edge a-r joins r's edges as one path.
  Tree("a", {{"a", "r"}, {"r", "x"}, {"r", "y"}, {"r", "z"}});
  ASSERT_FALSE(Build());
  const TUDNode& pending = *levels.Top()->At(0);
  EXPECT_EQ(pending.FullLabel(), "a|r");
  EXPECT_EQ(pending.pendingVertex, 2);
  EXPECT_NE(pending.left, nullptr);
  const std::vector<std::string> expected = {
      "a|r r|z<a|r r|y<r|z r|x<r|y",  // P - z - y - x
      "a|r r|x<a|r r|z<a|r r|y<r|z",  // x - P - z - y
      "a|r r|x<a|r r|y<r|x r|z<a|r",  // y - x - P - z
      "a|r r|x<a|r r|y<r|x r|z<r|y",  // P - x - y - z
      "a|r r|x<a|r r|y<r|x r|z<r|y",  // a choice past the edges joins at the end
  };
  for (int b = 0; b <= 4; ++b) {
    dwb.PairingChoices = {{1, 2, b}};
    EXPECT_TRUE(Build()) << b;
    EXPECT_EQ(Shape(1), expected[b]) << b;
  }
}

TEST_F(UDVine, RetranscendFromLevelTwoKeepsLowerChoices) {
  // q - a - r - {x, y, z}: level 1 needs a choice for r; with it, the edge
  // a-r of level 1 has two children and level 2 needs one for it.
  Tree("q", {{"q", "a"}, {"a", "r"}, {"r", "x"}, {"r", "y"}, {"r", "z"}});
  AddPairingChoice(dwb, 1, 3, 1);
  ASSERT_FALSE(Build());
  ASSERT_EQ(levels.LevelCount(), 3);
  EXPECT_EQ(levels.Top()->At(0)->pendingVertex, 2);
  EXPECT_EQ(levels.Level(1)->At(1)->FullLabel(), "a|r");
  // Choice 0: the edge r-z of level 2 gets two children, level 3 waits.
  AddPairingChoice(dwb, 2, 2, 0);
  levels.RebuildTop(dwb, width);
  ASSERT_FALSE(levels.BuildLevels(Items(), dwb, width));
  EXPECT_EQ(levels.LevelCount(), 4);
  EXPECT_EQ(Shape(2), "q|a|a|r a|r|r|z<q|a|a|r r|z|r|y<a|r|r|z a|r|r|x<a|r|r|z");

  TruncatePairingChoices(dwb, 2);
  EXPECT_EQ(dwb.PairingChoices, (TPairingChoices{{1, 3, 1}}));
  ASSERT_FALSE(Build());
  EXPECT_EQ(levels.LevelCount(), 3);
  EXPECT_TRUE(levels.Top()->Incomplete);
}

TEST_F(UDVine, WideLabelsSwitchToLetters) {
  Tree("alpha_one", {{"alpha_one", "beta_two"}, {"beta_two", "gamma_three"}});
  ASSERT_TRUE(Build());
  // "alpha_one|beta_two" is 126 pixels wide: the first level gets letters.
  EXPECT_EQ(levels.Level(0)->At(0)->Label(), "alpha_one->A");
  EXPECT_EQ(levels.Level(0)->At(2)->Label(), "gamma_three->C");
  EXPECT_EQ(levels.Level(1)->At(0)->Label(), "A|B");
  EXPECT_EQ(levels.Level(1)->At(1)->Label(), "B|C");
  // The full labels keep the names.
  EXPECT_EQ(levels.Level(1)->At(1)->FullLabel(), "beta_two|gamma_three");
  EXPECT_EQ(UDWidgetRowText(*levels.Level(0)->At(0), 0), "A|B");

  const std::vector<std::pair<int, std::string>> letters = {{0, "A"},    {25, "Z"},   {26, "AA"},
                                                            {27, "AB"},  {51, "AZ"},  {52, "BA"},
                                                            {701, "ZZ"}, {702, "AAA"}};
  for (const auto& [i, s] : letters) EXPECT_EQ(UDAbbreviation(i), s) << i;
}

TEST_F(UDVine, LongPathLabelsAreCutAndLevelsBuildFast) {
  // Without abbreviation each level doubles the names of its labels.
  const int n = 200;
  for (int i = 0; i < n; ++i) AddVariable(std::string("v").append(std::to_string(i)));
  SyncNodes();
  AddRoot("v0");
  for (int i = 1; i < n; ++i) {
    const std::string p = std::string("v").append(std::to_string(i - 1)),
                      c = std::string("v").append(std::to_string(i));
    AddUnder(p.c_str(), c.c_str());
  }
  SetCurrentDependenceStructureRoot(Node("v0"), "");
  ASSERT_EQ(SetDependenceType(nullptr, DepUserVine), 1);

  const TTextWidth pixels = width;
  for (bool abbreviate : {false, true}) {
    width = abbreviate ? pixels : TTextWidth{};
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Build());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("path of %d, %s: %d levels in %.3f s\n", n, abbreviate ? "letters" : "names",
                levels.LevelCount(), seconds);
    EXPECT_EQ(levels.LevelCount(), n - 1);
    EXPECT_EQ(levels.Top()->Count(), 2);
    EXPECT_LT(seconds, 1.0);
  }
  // Level 2 fits: "v0|v1|v1|v2". The top does not.
  width = {};
  ASSERT_TRUE(Build());
  EXPECT_EQ(levels.Level(2)->At(0)->FullLabel(), "v0|v1|v1|v2");
  const std::string top = levels.Top()->At(0)->FullLabel();
  EXPECT_EQ(top.size(), UDLabelCap + 3);
  EXPECT_EQ(top.substr(UDLabelCap), "...");
  EXPECT_EQ(top.substr(0, 12), "v0|v1|v1|v2|");
}

TEST_F(UDVine, WidgetConnectorsAndHits) {
  Tree("r", {{"r", "x"}, {"r", "y"}, {"r", "z"}});
  ASSERT_FALSE(Build());
  TUDMetrics m;
  m.rowHeight = 16;
  m.indent = 19;
  m.textWidth = width;
  m.textHeight = 14;
  m.valueExtra = 40;
  TUDLayout layout;
  layout.Compute(levels, Items(), m);
  // First level: "(v) x" with an indent, 7 + 19 + 40, plus 2 + 12.
  ASSERT_EQ(layout.LevelCount(), 2);
  EXPECT_EQ(layout.LevelWidth(0), 7 + 19 + 40 + 14);
  // The pending level is as wide as the widget.
  EXPECT_EQ(layout.LevelWidth(1), 200 + 14);
  const int left = layout.LevelLeft(1);
  ASSERT_EQ(layout.Widgets().size(), 1u);
  const TUDWidget& g = layout.Widgets()[0];
  EXPECT_EQ(g.top, 16);
  EXPECT_EQ(g.height, 5 * 16);
  EXPECT_FALSE(g.circle);
  ASSERT_EQ(g.connectors.size(), 4u);
  const int middle = 16 + 40;
  EXPECT_EQ(g.connectors[0].a.x, left + 10);
  EXPECT_EQ(g.connectors[0].a.y, middle);
  EXPECT_EQ(g.connectors[0].b.x, left + 42);
  EXPECT_EQ(g.connectors[0].b.y, 16 + 8);
  EXPECT_EQ(g.connectors[3].b.y, 16 + 64 + 8);
  EXPECT_EQ(g.connectors[2].a.x, left + 58);  // between the rows of y and z
  EXPECT_EQ(g.connectors[2].a.y, 16 + 3 * 16);
  EXPECT_EQ(layout.ContentHeight(), 6 * 16);

  struct Case {
    TUDPoint p;
    int connector;
  };
  const std::vector<Case> cases = {
      {{left + 26, (middle + 24) / 2}, 0},  // the middle of connector 0
      {{left + 10, middle}, -1},            // the shared start is excluded
      {{left + 42, 24}, -1},                // the right end is excluded
      {{left + 58 + 16, 16 + 24}, 1},       // within a row height of upright 1
      {{left + 58 + 17, 16 + 24}, -1},
      {{left + 26, (middle + 88) / 2 + 3}, 3},
      {{left + 150, middle}, -1},
  };
  for (const Case& c : cases) {
    const auto [w, k] = layout.HitConnector(c.p);
    EXPECT_EQ(w < 0 ? -1 : g.connectors[k].index, c.connector) << c.p.x << "," << c.p.y;
  }

  // The widget's rows belong to the pending node; nothing lies below them.
  EXPECT_EQ(layout.HitCell({5, 3 * 16 + 1}), (std::pair<int, int>{0, 3}));
  EXPECT_EQ(layout.HitCell({left + 5, 4 * 16}), (std::pair<int, int>{1, 0}));
  EXPECT_EQ(layout.HitCell({left + 5, 6 * 16}), (std::pair<int, int>{-1, -1}));
  EXPECT_EQ(layout.HitCell({layout.ContentWidth(), 0}), (std::pair<int, int>{-1, -1}));

  // Pressing on connector 2 records it; moving off and onto another shows
  // no cross; coming back does.
  TUDConnectorTrack track;
  track.Update(layout, {left + 58, 16 + 3 * 16 + 8});
  EXPECT_TRUE(track.onConnector);
  EXPECT_EQ(track.index, 2);
  track.Update(layout, {left + 150, 16});
  EXPECT_FALSE(track.onConnector);
  track.Update(layout, {left + 58, 16 + 16 + 8});
  EXPECT_FALSE(track.onConnector);
  EXPECT_EQ(track.index, 2);
  track.Update(layout, {left + 60, 16 + 3 * 16 + 2});
  EXPECT_TRUE(track.onConnector);
}

}  // namespace
}  // namespace tesmira::wb
