#include "zozivor/network.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "model/short_string.h"
#include "model/sim_blocks.h"

namespace tesmira {
namespace {

using Named = std::vector<std::pair<std::string, double>>;

TSampleList MakeList(const Named& entries) {
  TSampleList list;
  ClearSampleList(list);
  for (std::size_t k = 0; k < entries.size(); ++k) {
    SetShortString(list.entries[k].name, entries[k].first);
    SetEntryValue(list.entries[k], entries[k].second);
  }
  list.count = static_cast<int16_t>(entries.size());
  return list;
}

std::string Names(const TSampleList& list) {
  std::string out;
  for (int k = 0; k < list.count; ++k) {
    if (k) out += ' ';
    out += ShortStringView(list.entries[k].name);
  }
  return out;
}

// "name/type/binding" per node, "from>to L.. U.. C.." per arc.
std::string Describe(const ZoziVorNetworkTables& t) {
  std::ostringstream out;
  for (int v = 1; v <= t.NodeCount(); ++v) {
    const ZoziVorNode& n = t.nodes[static_cast<std::size_t>(v)];
    out << n.name << '/' << (n.type ? n.type : '-') << '/' << n.binding << ' ';
  }
  out << '|';
  for (int a = 1; a <= t.ArcCount(); ++a) {
    const ZoziVorArc& arc = t.arcs[static_cast<std::size_t>(a)];
    out << ' ' << t.nodes[static_cast<std::size_t>(arc.from)].name << '>'
        << t.nodes[static_cast<std::size_t>(arc.to)].name << " L" << arc.lowerBinding << " U"
        << arc.upperBinding << " C" << arc.costBinding;
  }
  return out.str();
}

// A network set up from the lists and solved once; the values of the
// network's lists by position.
struct Solved {
  ZoziVorNetwork net;
  std::vector<double> in, out;
  std::string message;
  bool ok = false;
};

void SetupAndSolve(Solved& s, const Named& inputs, const Named& outputs = {},
                   const std::string& trace = {}) {
  TSampleList in = MakeList(inputs), out = MakeList(outputs);
  ASSERT_TRUE(s.net.Setup(in, out, 0, trace, s.message)) << s.message;
  s.in.clear();
  for (int k = 0; k < in.count; ++k) s.in.push_back(EntryValue(in.entries[k]));
  s.out.assign(static_cast<std::size_t>(out.count), -99);
  s.ok = s.net.Solve(s.in.data(), s.out.data(), 1, s.message);
}

// Two plants, two markets, every crossing open up to 100.
Named InstanceA() {
  return {{"S1", 20}, {"S2", 30}, {"D3", 25},   {"D4", 25},   {"1C3", 1},   {"1C4", 4},
          {"2C3", 3}, {"2C4", 2}, {"1U3", 100}, {"1U4", 100}, {"2U3", 100}, {"2U4", 100}};
}

double Output(Solved& s, const std::string& name) {
  const auto& t = s.net.Tables();
  for (int a = 1; a <= t.ArcCount(); ++a) {
    const auto& arc = t.arcs[static_cast<std::size_t>(a)];
    std::string from = t.nodes[static_cast<std::size_t>(arc.from)].name;
    std::string to = t.nodes[static_cast<std::size_t>(arc.to)].name;
    if (name == from + "F" + to) return s.out[static_cast<std::size_t>(2 * a - 2)];
    if (name == from + "M" + to) return s.out[static_cast<std::size_t>(2 * a - 1)];
  }
  if (name == "opt") return s.out.back();
  ADD_FAILURE() << "no output " << name;
  return NAN;
}

TEST(ZoziVorNetwork, BindsNamesToNodesAndArcs) {
  struct Case {
    std::vector<std::string> inputs, outputs;
    std::string expected;
  };
  // clang-format off
  const Case cases[] = {
      {{"S1", "d3", "1C2", "1L2", "1U2"}, {},
       "1/S/1 3/d/2 2/-/0 | 1>2 L4 U5 C3"},
      // Ignored names, and a separator at the end or the start.
      {{"FORMULA", "formula", "1C", "C2", "x"}, {}, "|"},
      // Same name, other type: two nodes; arcs find the first of that name.
      {{"S1", "s1", "1c2"}, {}, "1/S/1 1/s/2 2/-/0 | 1>2 L0 U0 C3"},
      // A second letter C/L/U makes an arc name; the later of "L" and "l" separates.
      {{"sl2", "aUbLc", "AlCc"}, {}, "s/-/0 2/-/0 aUb/-/0 c/-/0 A/-/0 Cc/-/0 |"},
      {{"pC2", "pU2", "pL2", "qCr"}, {}, "p/-/0 2/-/0 q/-/0 r/-/0 | p>2 L3 U2 C1 q>r L0 U0 C4"},
      // A cost bound to an output drops the arc; outputs bind negatively.
      {{"1U2"}, {"1C2", "S1", "2c3"}, "1/-/0 2/-/0 1/S/-2 3/-/0 |"},
      {{"1C2"}, {"D2"}, "1/-/0 2/-/0 2/D/-1 | 1>2 L0 U0 C1"},
      // Node names and arc ends are cut to 10 characters.
      {{"S12345678901234", "12345678901234C9"}, {},
       "1234567890/S/1 9/-/0 | 1234567890>9 L0 U0 C2"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Named in, out;
    for (const auto& n : c.inputs) in.push_back({n, 0});
    for (const auto& n : c.outputs) out.push_back({n, 0});
    ZoziVorNetwork net;
    net.Bind(MakeList(in), MakeList(out));
    EXPECT_EQ(Describe(net.Tables()), c.expected);
  }
}

TEST(ZoziVorNetwork, SetupReplacesTheListsAndMarksArcParameters) {
  ZoziVorNetwork net;
  TSampleList in = MakeList({{"s1", 0}, {"d2", 0}, {"1c2", 0}, {"1u2", 0}, {"2c1", 0}});
  TSampleList out = MakeList({{"total", 0}, {"2l1", 0}});
  std::string message;
  ASSERT_TRUE(net.Setup(in, out, 0, {}, message));
  EXPECT_EQ(Names(in), "s1 d2 1c2 1u2 2c1 total 2l1");
  EXPECT_EQ(Names(out), "1F2 1M2 2F1 2M1 opt");
  uint8_t flags[1000] = {};
  EXPECT_EQ(net.MarkArcParameterEntries(flags, 1000), 2);
  std::string marked;
  for (int p = 0; p < 10; ++p) marked += flags[p] ? '1' : '0';
  EXPECT_EQ(marked, "0001110100");  // 1c2, 1u2, 2c1 and the output 2l1 (5 + 2)
  net.End();
}

TEST(ZoziVorNetwork, TooManyNodesFailAtSetup) {
  Named names;
  for (int k = 1; k <= 800; ++k) names.push_back({std::string("s").append(std::to_string(k)), 1});
  TSampleList in = MakeList(names), out = MakeList({});
  ZoziVorNetwork net;
  std::string message;
  EXPECT_FALSE(net.Setup(in, out, 0, {}, message));
  EXPECT_EQ(message,
            "ZoziVor Error 2\r\n\r\nThe number of nodes is too large. The maximal number is "
            "800.; iteration 0");
  EXPECT_EQ(in.count, 800);  // the lists stay as they were
}

TEST(ZoziVorNetwork, SolvesTheTransportInstance) {
  Solved s;
  SetupAndSolve(s, InstanceA());
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_DOUBLE_EQ(Output(s, "opt"), 85);
  EXPECT_DOUBLE_EQ(Output(s, "1F3"), 20);
  EXPECT_DOUBLE_EQ(Output(s, "1F4"), 0);
  EXPECT_DOUBLE_EQ(Output(s, "2F3"), 5);
  EXPECT_DOUBLE_EQ(Output(s, "2F4"), 25);
  // The unused crossing would cost 4 - 1 + 3 - 2 = 4 more per unit.
  EXPECT_DOUBLE_EQ(Output(s, "1M4"), 4);
  EXPECT_EQ(s.net.InfeasibleSamples(), 0);
}

TEST(ZoziVorNetwork, NegativeCostArcEndsAtItsCeiling) {
  Solved s;
  SetupAndSolve(s, {{"S1", 10},
                    {"D2", 10},
                    {"1C2", 5},
                    {"1U2", 100},
                    {"1C3", 1},
                    {"1U3", 100},
                    {"3C2", -3},
                    {"3U2", 4}});
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_DOUBLE_EQ(Output(s, "1F2"), 6);
  EXPECT_DOUBLE_EQ(Output(s, "1F3"), 4);
  EXPECT_DOUBLE_EQ(Output(s, "3F2"), 4);
  EXPECT_DOUBLE_EQ(Output(s, "opt"), 22);
  EXPECT_EQ(s.net.Tables().arcs[3].state, 'c');
}

TEST(ZoziVorNetwork, SuppliesAndDemandsAreWholeNumbersAndBalancedByDx) {
  // Halves go to even; an arc with only a cost has the bounds [0, 1].
  for (auto [supply, whole] : {std::pair{2.5, 2.0}, {3.5, 4.0}, {2.6, 3.0}}) {
    Solved s;
    SetupAndSolve(s, {{"S1", supply}, {"dx", 0}, {"1Cx", 1}, {"1Ux", 10}});
    ASSERT_TRUE(s.ok) << s.message;
    EXPECT_EQ(s.in[1], whole) << supply;  // the "dx" entry takes up the supply
    EXPECT_EQ(Output(s, "1Fx"), whole);
  }
  Solved s;
  SetupAndSolve(s, {{"S1", 5}, {"D2", 3}, {"dx", 0}, {"1C2", 1}, {"1U2", 10}, {"1Cx", 7}});
  ASSERT_TRUE(s.ok) << s.message;
  EXPECT_EQ(s.in[2], 2);
  EXPECT_EQ(Output(s, "1F2"), 3);
  EXPECT_EQ(Output(s, "1Fx"), 2);  // more than the default upper bound 1: infeasible
  EXPECT_EQ(s.net.Tables().arcs[2].upper, 1);
  EXPECT_EQ(s.net.InfeasibleSamples(), 1);
}

TEST(ZoziVorNetwork, UnbalancedOrInfeasibleSamplesStopWithTheirMessages) {
  struct Case {
    Named inputs;
    std::string message;
  };
  // clang-format off
  const Case cases[] = {
      {{{"S1", 5}, {"D2", 3}, {"1C2", 1}},
       "Zozivor error -3: Sum of demands is not equal to sum of supplies. Create dx demand node! "},
      {{{"S1", -5}, {"D2", -5}, {"1C2", 1}}, "Zozivor error -1: Sum of supplies is negative"},
      {{{"S1", 5}, {"D2", -5}, {"1C2", 1}}, "Zozivor error -2: Sum of demands is negative"},
      {{{"S1", 5}, {"D2", 5}, {"1C2", 1}, {"1L2", 3}, {"1U2", 2}},
       "ZoziVor Error 10\r\n\r\nThe problem is INFEASIBLE!\n\rArc ( 1, 2) has negative "
       "capacity.; iteration 1"},
      {{{"S1", 5}, {"D2", 5}, {"2C1", 1}},
       "ZoziVor Error 12\r\n\r\n The problem is INFEASIBLE!\r\n Node 1 is blocking; iteration 1"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Solved s;
    SetupAndSolve(s, c.inputs);
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.message, c.message);
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(ZoziVorNetwork, WritesTheTrace) {
  std::string path = (std::filesystem::temp_directory_path() /
                      ("zozivor_trace_" + std::to_string(::getpid()) + ".znp"))
                         .string();
  Solved s;
  SetupAndSolve(s, InstanceA(), {}, path);
  ASSERT_TRUE(s.ok);
  ASSERT_TRUE(s.net.End());
  std::string text = ReadFile(path);
  std::filesystem::remove(path);
  // clang-format off
  const char* lines[] = {
      "Start ZoziVor",
      "",
      "Iteration 1",
      "BEGIN",
      " PROBLEM NUMBER   1       4 NODES",
      "SUPPLY",
      "           1                          20",
      "           2                          30",
      "ARCS                         c      a       b ",
      "           1           3    1.00    0.00  100.00",
      "           1           4    4.00    0.00  100.00",
      "           2           3    3.00    0.00  100.00",
      "           2           4    2.00    0.00  100.00",
      "DEMAND",
      "           3                          25",
      "           4                          25",
      "END",
      "",
      "Value :         0.00",
      "",
      "   arcs .     a .  flow.       b .     c . marg.cost  arctype . pot[v] . pot[w]",
      "  1    3    0.00   20.00  100.00    1.00    0.00        tree     0.00    1.00",
      "  1    4    0.00    0.00  100.00    4.00    4.00       bottom    0.00    0.00",
      "  2    3    0.00    5.00  100.00    3.00    0.00        tree    -2.00    1.00",
      "  2    4    0.00   25.00  100.00    2.00    0.00        tree    -2.00    0.00",
      "Recalculated Value :        85.00",
  };
  // clang-format on
  std::string expected;
  for (const char* line : lines) expected += std::string(line) + "\r\n";
  EXPECT_EQ(text, expected);
}

}  // namespace
}  // namespace tesmira
