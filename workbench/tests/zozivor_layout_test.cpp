#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "file_commands.h"
#include "utilities.h"
#include "zozivor_fixture.h"

namespace tesmira::wb {
namespace {

using test::AddConstant;
using test::ZoziVorTest;
using Layout = ZoziVorTest;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Int32(int32_t v) {
  std::string s;
  for (int shift = 0; shift < 32; shift += 8)
    s += static_cast<char>((static_cast<uint32_t>(v) >> shift) & 0xFF);
  return s;
}

std::string Record(int32_t type, int32_t length, const std::string& payload) {
  return Int32(type) + Int32(1) + Int32(length) + payload;
}

std::string NodeRecord(int number, int x, int y) {
  return Record(1, 12, Int32(number) + Int32(x) + Int32(y));
}

const std::string kHeader = std::string(".DNT") + Int32(1) + Int32(0);

class LayoutWithNodes : public Layout {
 protected:
  void SetUp() override {
    Layout::SetUp();
    for (const char* n : {"s1", "s2", "d3", "d4"}) AddConstant(n, 1);
    graph.ClientWidth = 400;
    graph.ClientHeight = 400;
    graph.SyncWithModel(false);
  }
  std::vector<TGraphPoint> Positions() const {
    std::vector<TGraphPoint> p;
    for (const auto& e : graph.Elements)
      if (e->IsNode())
        p.push_back({static_cast<TGraphNode*>(e.get())->X, static_cast<TGraphNode*>(e.get())->Y});
    return p;
  }
};

TEST_F(LayoutWithNodes, FixedArrangements) {
  using P = std::vector<TGraphPoint>;
  struct Case {
    int kind;
    P expected;
  };
  // Four nodes in 400 x 400.
  const Case cases[] = {
      {0, {{310, 200}, {170, 340}, {30, 200}, {169, 60}}},    // from the right, clockwise
      {1, {{133, 133}, {266, 133}, {133, 266}, {266, 266}}},  // g = 2
      {2, {{100, 133}, {200, 133}, {100, 266}, {200, 266}}},  // f = 2
      {3, {{133, 100}, {266, 100}, {133, 200}, {266, 200}}},  // c/2 + 2 = 4
  };
  for (const Case& c : cases) {
    graph.Arrange(c.kind, false);
    EXPECT_EQ(Positions(), c.expected) << "kind " << c.kind;
  }
  EXPECT_TRUE(wb.Modified);
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(LayoutWithNodes, ArrangeWithUndoIsOneStep) {
  const auto before = Positions();
  graph.Arrange(1, true);
  EXPECT_NE(Positions(), before);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Move Zozivor Node");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Positions(), before);
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(LayoutWithNodes, RelaxPartsCoincidentNodesAndKeepsThemInside) {
  AddConstant("1c3", 0.1);
  graph.SyncWithModel(false);
  for (const auto& e : graph.Elements)
    if (e->IsNode()) {
      static_cast<TGraphNode*>(e.get())->X = 150;
      static_cast<TGraphNode*>(e.get())->Y = 150;
    }
  int draws = 0;
  graph.Random = [&draws] { return (++draws % 7) / 7.0; };
  int held = 3;  // Ctrl stays down for three more steps
  graph.CtrlHeld = [&held] { return held-- > 0; };
  graph.Arrange(4, true);
  EXPECT_GT(draws, 0);
  EXPECT_EQ(held, -1);
  const auto p = Positions();
  for (std::size_t i = 0; i < p.size(); ++i) {
    EXPECT_GE(p[i].X, 50);
    EXPECT_LE(p[i].X, 300);
    EXPECT_GE(p[i].Y, 50);
    EXPECT_LE(p[i].Y, 300);
    for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(p[i] == p[j]) << i << " " << j;
  }
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Positions()[0], (TGraphPoint{150, 150}));
}

TEST_F(Layout, RelaxWithoutArcsOnlyRepels) {
  AddConstant("s1", 1);
  AddConstant("s2", 1);
  graph.ClientWidth = graph.ClientHeight = 600;
  graph.SyncWithModel(false);
  Node(1)->X = 200;
  Node(2)->X = 240;
  Node(1)->Y = Node(2)->Y = 200;
  graph.Relax();
  // Pushed apart until they no longer feel each other (100 pixels), on their line.
  EXPECT_GE(Node(2)->X - Node(1)->X, 100);
  EXPECT_LE(Node(2)->X - Node(1)->X, 115);
  EXPECT_EQ(Node(1)->Y, 200);
  EXPECT_EQ(Node(2)->Y, 200);
}

TEST_F(LayoutWithNodes, SideFileBytesAndRoundTrip) {
  graph.Arrange(0, false);
  const std::string model = Path("net.tsm");
  ASSERT_TRUE(graph.SaveLayout(model));
  const std::string bytes = ReadBytes(Path("net.dnt"));
  std::string expected = kHeader;
  for (const auto& e : graph.Elements) {
    auto* n = static_cast<TGraphNode*>(e.get());
    expected += NodeRecord(n->Number, n->X, n->Y);
  }
  EXPECT_EQ(bytes.substr(0, 12), std::string("\x2E\x44\x4E\x54\x01\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(bytes.size(), 12u + 4 * 24);
  EXPECT_EQ(bytes, expected);
  EXPECT_FALSE(FileExists(Path("net.dnt.tmp")));

  const auto saved = Positions();
  graph.Clear();
  EXPECT_TRUE(graph.LoadLayout(model));
  EXPECT_EQ(Positions(), saved);
}

TEST_F(LayoutWithNodes, SideFileReaderCases) {
  const std::string model = Path("net.tsm");
  graph.Arrange(0, false);
  const auto circle = Positions();
  const int s1 = 1, s2 = 2;
  const std::string nodes12 = NodeRecord(s1, 11, 12) + NodeRecord(s2, 21, 22);
  struct Case {
    const char* what;
    std::string bytes;
    bool ok;
    bool positionsRead;  // s1 and s2 from the file, else the circle
  };
  const Case cases[] = {
      {"an unknown record between nodes",
       kHeader + NodeRecord(s1, 11, 12) + Record(7, 20, std::string(20, 'z')) +
           NodeRecord(s2, 21, 22),
       true, true},
      {"a longer node payload",
       kHeader + Record(1, 16, Int32(1) + Int32(11) + Int32(12) + "abcd") + NodeRecord(2, 21, 22),
       true, true},
      {"a node that does not exist", kHeader + NodeRecord(77, 5, 5) + nodes12, true, true},
      {"a type field cut at the end", kHeader + nodes12 + std::string(3, '\1'), true, true},
      {"a length beyond the end",
       kHeader + nodes12 + Record(7, 0x7FFFFFF0, "x") + NodeRecord(3, 1, 1), true, true},
      {"version 2", ".DNT" + Int32(2) + Int32(0) + nodes12, false, false},
      {"a wrong magic", ".DNX" + Int32(1) + Int32(0) + nodes12, false, false},
      {"a short reserved field", ".DNT" + Int32(1) + std::string(2, '\0'), false, false},
      {"a header cut after the type", kHeader + nodes12 + Int32(1) + Int32(1), false, false},
      {"a short node payload", kHeader + nodes12 + Record(1, 12, Int32(3) + Int32(4)), false,
       false},
      {"a negative length",
       kHeader + NodeRecord(s1, 11, 12) + Record(7, -12, "") + NodeRecord(s2, 21, 22), false,
       false},
      {"a node record shorter than a node", kHeader + Record(1, 8, Int32(1) + Int32(2)) + nodes12,
       false, false},
      {"an empty file", "", false, false},
  };
  for (const Case& c : cases) {
    WriteText(Path("net.dnt"), c.bytes);
    for (const auto& e : graph.Elements) static_cast<TGraphNode*>(e.get())->X = -1;
    wb.Modified = false;
    EXPECT_EQ(graph.LoadLayout(model), c.ok) << c.what;
    EXPECT_FALSE(wb.Modified) << c.what;
    if (c.positionsRead) {
      EXPECT_EQ(Node(1)->X, 11) << c.what;
      EXPECT_EQ(Node(1)->Y, 12) << c.what;
      EXPECT_EQ(Node(2)->X, 21) << c.what;
      EXPECT_EQ(Node(2)->Y, 22) << c.what;
    } else {
      EXPECT_EQ(Positions(), circle) << c.what;
    }
  }
  std::filesystem::remove(Path("net.dnt"));
  EXPECT_FALSE(graph.LoadLayout(model));
  EXPECT_EQ(Positions(), circle);
}

// Any int32 may stand in a side file; the positions are kept to a range that
// the bounds can add their margins to without overflowing.
TEST_F(LayoutWithNodes, ExtremeCoordinatesAreKeptInRange) {
  const std::string model = Path("net.tsm");
  const std::string smallest(
      "\x2e\x44\x4e\x54\x01\0\0\0\0\0\0\0\x01\0\0\0\x01\0\0\0\x0c\0\0\0"
      "\x01\0\0\0\0\0\0\0\0\0\0\x80",
      36);
  ASSERT_EQ(smallest, kHeader + NodeRecord(1, 0, INT32_MIN));
  constexpr int limit = TGraph::kCoordinateLimit;
  struct Case {
    std::string bytes;
    TGraphRect bounds;
  };
  const Case cases[] = {
      {smallest, {-15, -limit - 15, 30, 30}},
      {kHeader + NodeRecord(1, INT32_MAX, INT32_MAX) + NodeRecord(2, INT32_MIN, 5),
       {-limit - 15, -15, limit + 30, limit + 30}},
  };
  for (const Case& c : cases) {
    for (const auto& e : graph.Elements) {
      static_cast<TGraphNode*>(e.get())->X = 0;
      static_cast<TGraphNode*>(e.get())->Y = 0;
    }
    WriteText(Path("net.dnt"), c.bytes);
    EXPECT_TRUE(graph.LoadLayout(model));
    EXPECT_EQ(graph.Bounds, c.bounds);
  }
  EXPECT_EQ(Node(1)->X, limit);
  EXPECT_EQ(Node(2)->X, -limit);
  EXPECT_EQ(Node(2)->Y, 5);
}

TEST_F(LayoutWithNodes, ModelSavesWriteTheSideFileOfZoziVorModelsOnly) {
  wb.AfterSaveHook = [this](const std::string& name) { return graph.SaveLayout(name); };
  const std::string model = Path("net.tsm");
  Node(1)->X = 123;
  ASSERT_TRUE(WriteModelFile(wb, model));
  EXPECT_EQ(ReadBytes(Path("net.dnt")).size(), 12u + 4 * 24);

  SetHeaderModelType(2);
  ASSERT_TRUE(WriteModelFile(wb, Path("formula.tsm")));
  EXPECT_FALSE(FileExists(Path("formula.dnt")));
  EXPECT_TRUE(graph.LoadLayout(Path("formula.tsm")));  // nothing to read

  // A side file that cannot be written fails the save, which says so.
  SetHeaderModelType(3);
  std::filesystem::create_directories(Path("blocked.dnt"));
  wb.Modified = true;
  EXPECT_FALSE(WriteModelFile(wb, Path("blocked.tsm")));
  EXPECT_TRUE(wb.Modified);
  EXPECT_EQ(f.prompt.Texts().back(), "There was a problem writing the file blocked.tsm");
  EXPECT_TRUE(std::filesystem::is_directory(Path("blocked.dnt")));
}

}  // namespace
}  // namespace tesmira::wb
