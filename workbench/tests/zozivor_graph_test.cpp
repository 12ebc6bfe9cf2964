#include "zozivor_graph.h"

#include "undo_items.h"
#include "zozivor_fixture.h"

namespace tesmira::wb {
namespace {

using test::AddConstant;
using test::ZoziVorTest;
using Graph = ZoziVorTest;
using Strings = std::vector<std::string>;

TEST(ZoziVorNames, NodeAndArcGrammar) {
  struct NodeCase {
    const char* name;
    bool ok;
    char kind;
    int number;
  };
  const NodeCase nodes[] = {
      {"s", false, 0, 0},
      {"d", false, 0, 0},
      {"sx1", false, 0, 0},
      {"s1x", false, 0, 0},
      {"q1", false, 0, 0},
      {"s-1", false, 0, 0},
      {"s99999999999", false, 0, 0},
      {"dx", true, 'd', -1},
      {"sx", true, 's', -1},
      {"s1", true, 's', 1},
      {"d12", true, 'd', 12},
      {"s150", true, 's', 150},
      {"d2147483647", true, 'd', 2147483647},
  };
  for (const NodeCase& c : nodes) {
    char kind = 0;
    int number = 0;
    EXPECT_EQ(ParseNodeName(c.name, kind, number), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(kind, c.kind) << c.name;
      EXPECT_EQ(number, c.number) << c.name;
    }
  }
  struct ArcCase {
    const char* name;
    bool ok;
    char letter;
    int first, second;
  };
  const ArcCase arcs[] = {
      {"x1c2", false, 0, 0, 0},   {"c2", false, 0, 0, 0},    {"1c", false, 0, 0, 0},
      {"1q2", false, 0, 0, 0},    {"1c2x", false, 0, 0, 0},  {"s1", false, 0, 0, 0},
      {"1c2", true, 'c', 1, 2},   {"3cx", true, 'c', 3, -1}, {"xl12", true, 'l', -1, 12},
      {"10u7", true, 'u', 10, 7},
  };
  for (const ArcCase& c : arcs) {
    char letter = 0;
    int first = 0, second = 0;
    EXPECT_EQ(ParseArcName(c.name, letter, first, second), c.ok) << c.name;
    if (c.ok) {
      EXPECT_EQ(letter, c.letter) << c.name;
      EXPECT_EQ(first, c.first) << c.name;
      EXPECT_EQ(second, c.second) << c.name;
    }
  }
}

TEST(ZoziVorNames, CanonicalArcNames) {
  auto node = [](char kind, int number) {
    TGraphNode n;
    n.Kind = kind;
    n.Number = number;
    return n;
  };
  struct Case {
    TGraphNode a, b;
    const char* canonical;
    const char* reversed;
  };
  const Case cases[] = {
      {node('s', 1), node('d', 2), "1c2", "2c1"},  {node('d', 2), node('s', 1), "1c2", "2c1"},
      {node('d', 5), node('d', 3), "3c5", "5c3"},  {node('s', 3), node('s', 7), "3c7", "7c3"},
      {node('s', 3), node('d', -1), "3cx", "xc3"}, {node('d', 5), node('d', -1), "xc5", "5cx"},
  };
  for (const Case& c : cases) {
    TGraphEdge arc;
    TGraphNode a = c.a, b = c.b;
    arc.First = &a;
    arc.Second = &b;
    EXPECT_EQ(arc.ArcVariableName('c', false), c.canonical);
    EXPECT_EQ(arc.ArcVariableName('c', true), c.reversed);
  }
}

TEST_F(Graph, SyncStacksNewNodesAndKeepsKnownPositions) {
  AddConstant("s1", 1);
  AddConstant("d2", 1);
  AddConstant("1c2", 0.1);
  AddConstant("other", 1);
  AddFormula("S3", "5");
  graph.SyncWithModel(false);
  // Variables from the last one up, then formulas; y counts every node name.
  ASSERT_EQ(NodeNames(), (Strings{"s3", "s1", "d2"}));
  EXPECT_EQ(Node(2)->Y, 20);
  EXPECT_EQ(Node(1)->Y, 40);
  EXPECT_EQ(Node(3)->Y, 60);
  EXPECT_EQ(Node(3)->X, 20);
  ASSERT_EQ(ArcCount(), 1);
  EXPECT_FALSE(graph.WarningVisible());
  EXPECT_EQ(f.ui.views.back(), 0x20Cu);

  Node(1)->X = 300;
  Node(1)->Y = 310;
  graph.SelectedIndex = graph.IndexOf(Node(2));
  AddFormula("s4", "1");
  graph.SyncWithModel(false);
  EXPECT_EQ(Node(1)->X, 300);
  EXPECT_EQ(Node(1)->Y, 310);
  EXPECT_EQ(Node(3)->Y, 60);
  // s4 is the last formula: after the two variables' nodes.
  EXPECT_EQ(Node(4)->Y, 60);
  EXPECT_EQ(graph.SelectedIndex, graph.IndexOf(Node(2)));

  // Gone from the model, gone from the graph, with the arc that used it.
  Delete_TSMObject(Fetch_extended_random_variable(0, "d2"));
  graph.SyncWithModel(false);
  EXPECT_EQ(NodeNames(), (Strings{"s4", "s3", "s1"}));
  EXPECT_EQ(ArcCount(), 0);
  EXPECT_EQ(graph.SelectedIndex, -1);
  EXPECT_TRUE(graph.WarningVisible());  // 1c2 lost its node
  EXPECT_TRUE(f.prompt.shown.empty());
}

TEST_F(Graph, OrphanArcsAreAskedAboutOnlyInteractively) {
  AddConstant("s1", 1);
  AddConstant("1c7", 0.1);
  AddConstant("1l7", 0);
  AddFormula("1u7", "1");
  graph.SyncWithModel(false);
  EXPECT_TRUE(graph.WarningVisible());
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 3);
  EXPECT_FALSE(wb.Modified);

  // No to All keeps them all after one question.
  f.prompt.answers = {TAnswer::NoToAll};
  graph.SyncWithModel(true);
  ASSERT_EQ(f.prompt.shown.size(), 1u);
  EXPECT_EQ(f.prompt.shown[0].text,
            "Arc to nonexisting node was found (1l7).\n\rDo you wish to remove it?");
  EXPECT_EQ(f.prompt.shown[0].buttons, unsigned(BtnYes | BtnNo | BtnNoToAll | BtnYesToAll));
  EXPECT_FALSE(wb.Undo.CanUndo());

  // No, then Yes to All: the two others go in one undo group.
  f.prompt.shown.clear();
  f.prompt.answers = {TAnswer::No, TAnswer::YesToAll};
  graph.SyncWithModel(true);
  EXPECT_EQ(f.prompt.Texts().size(), 2u);
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"s1", "1l7"}));
  EXPECT_EQ(Names(ObjFormula), Strings{});
  EXPECT_TRUE(graph.WarningVisible());
  EXPECT_TRUE(wb.Modified);
  ASSERT_TRUE(wb.Undo.CanUndo());
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"s1", "1c7", "1l7"}));
  EXPECT_EQ(Names(ObjFormula), Strings{"1u7"});
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(Graph, ClickInAddModeCreatesANodeAsOneStep) {
  TGraphNode* s1 = PlaceNode(1, {100, 120});
  ASSERT_NE(s1, nullptr);
  EXPECT_EQ(s1->NodeName(), "s1");
  EXPECT_EQ(s1->X, 100);
  EXPECT_EQ(s1->Y, 120);
  EXPECT_EQ(Value("s1"), 1.0);
  EXPECT_EQ(graph.SelectedIndex, graph.IndexOf(s1));
  EXPECT_TRUE(wb.Modified);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Zozivor Node");
  EXPECT_EQ(f.ui.views.back(), unsigned(ViewGraph));

  // A press, a drag and a release: one step with the final position.
  graph.SetEditMode(2);
  Drag({300, 100}, {320, 140});
  EXPECT_EQ(NodeNames(), (Strings{"s1", "d2"}));
  EXPECT_EQ(Node(2)->X, 320);
  EXPECT_EQ(Node(2)->Y, 140);
  EXPECT_EQ(PlaceNode(3, {500, 500})->NodeName(), "dx");

  ASSERT_TRUE(wb.Undo.Undo());
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(NodeNames(), Strings{"s1"});
  EXPECT_EQ(Names(ObjRandomVariable), Strings{"s1"});
  EXPECT_EQ(f.ui.panels.back(), TPanel::ZoziVor);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(NodeNames(), (Strings{"s1", "d2"}));
  EXPECT_EQ(Node(2)->X, 320);
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"s1", "d2"}));
}

TEST_F(Graph, DragBetweenNodesCreatesTheArcObjects) {
  PlaceNode(1, {100, 100});
  PlaceNode(2, {300, 100});
  graph.SetEditMode(1);
  graph.MouseDown(Client({102, 98}), TMouseButton::Left);
  EXPECT_EQ(graph.DragState, 2);
  graph.MouseMove(Client({250, 130}));
  EXPECT_EQ(graph.TargetIndex, graph.IndexOf(Node(2)));
  graph.MouseUp(Client({250, 130}), TMouseButton::Left);
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"s1", "d2", "1c2", "1l2", "1u2"}));
  EXPECT_EQ(Value("1c2"), 0.1);
  EXPECT_EQ(Value("1l2"), 0.0);
  EXPECT_EQ(Value("1u2"), 1.0);
  ASSERT_EQ(ArcCount(), 1);
  EXPECT_EQ(graph.TargetIndex, -1);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Zozivor Arc");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"s1", "d2"}));
  EXPECT_EQ(ArcCount(), 0);
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"s1", "d2", "1c2", "1l2", "1u2"}));
  EXPECT_EQ(ArcCount(), 1);
}

TEST_F(Graph, RefusedArcsCreateNothing) {
  PlaceNode(1, {100, 100});  // s1
  PlaceNode(2, {300, 100});  // d2
  PlaceNode(2, {300, 300});  // d3
  graph.SetEditMode(1);
  Drag({100, 100}, {300, 100});  // s1 - d2
  const int steps = Get_TSMObjectsNumber(ObjRandomVariable);
  wb.Modified = false;
  struct Case {
    const char* what;
    TGraphPoint from, to;
  };
  const Case cases[] = {{"demand to demand", {300, 100}, {300, 300}},
                        {"onto the start node", {100, 100}, {104, 100}},
                        {"the same pair again", {100, 100}, {300, 100}},
                        {"the same pair reversed", {300, 100}, {100, 100}},
                        {"onto empty space far away", {100, 100}, {100, 100}}};
  for (const Case& c : cases) {
    graph.MouseDown(Client(c.from), TMouseButton::Left);
    graph.MouseMove(Client(c.to));
    EXPECT_EQ(graph.TargetIndex, -1) << c.what;
    graph.MouseUp(Client(c.to), TMouseButton::Left);
    EXPECT_EQ(ArcCount(), 1) << c.what;
    EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), steps) << c.what;
    EXPECT_FALSE(wb.Modified) << c.what;
  }
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Zozivor Arc");
}

TEST_F(Graph, ClicksSelectNodesAndArcs) {
  PlaceNode(1, {100, 100});
  PlaceNode(1, {200, 100});
  Node(2)->X = 100;  // s2 lies on s1
  graph.SetEditMode(0);
  graph.SelectedIndex = -1;
  for (int expected : {1, 2, 1}) {
    Click({101, 100});
    ASSERT_NE(graph.NodeAt(graph.SelectedIndex), nullptr);
    EXPECT_EQ(graph.NodeAt(graph.SelectedIndex)->Number, expected);
  }
  Node(2)->X = 100;
  Node(2)->Y = 300;

  // An arc s1(100,100) - d3(300,100).
  PlaceNode(2, {300, 100});
  graph.SetEditMode(1);
  Drag({300, 100}, {100, 100});
  ASSERT_EQ(ArcCount(), 1);
  graph.SetEditMode(0);
  Click({200, 104});
  EXPECT_NE(graph.EdgeAt(graph.SelectedIndex), nullptr);
  Click({290, 104});  // within 14 pixels of d3
  ASSERT_NE(graph.NodeAt(graph.SelectedIndex), nullptr);
  EXPECT_EQ(graph.NodeAt(graph.SelectedIndex)->Number, 3);
  // Select mode takes the nearest element at any distance.
  graph.SelectedIndex = -1;
  Click({600, 150});
  EXPECT_EQ(graph.SelectedIndex, graph.IndexOf(Node(3)));
  EXPECT_EQ(graph.DragState, 0);
}

TEST_F(Graph, MovingANodeIsOneUndoStep) {
  PlaceNode(1, {100, 100});
  graph.SetEditMode(0);
  wb.Modified = false;
  graph.MouseDown(Client({100, 100}), TMouseButton::Left);
  EXPECT_EQ(graph.DragState, 1);
  graph.MouseMove(Client({150, 110}));
  graph.MouseMove(Client({180, 160}));
  graph.MouseUp(Client({180, 160}), TMouseButton::Right);  // any button ends it
  EXPECT_EQ(graph.DragState, 0);
  EXPECT_EQ(Node(1)->X, 180);
  EXPECT_EQ(Node(1)->Y, 160);
  EXPECT_TRUE(wb.Modified);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Move Zozivor Node");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Node(1)->X, 100);
  EXPECT_EQ(Node(1)->Y, 100);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Zozivor Node");
  ASSERT_TRUE(wb.Undo.Redo());
  EXPECT_EQ(Node(1)->X, 180);

  // A click without a move records nothing; other buttons start nothing.
  Click({180, 160});
  graph.MouseDown(Client({180, 160}), TMouseButton::Right);
  EXPECT_EQ(graph.DragState, 0);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Move Zozivor Node");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Zozivor Node");
}

TEST_F(Graph, NodeLimits) {
  PlaceNode(3, {50, 50});
  f.prompt.shown.clear();
  PlaceNode(3, {400, 400});
  EXPECT_EQ(f.prompt.Texts(), Strings{kDxExistsMessage});
  EXPECT_EQ(f.prompt.Texts()[0],
            "Zozivor model already contains Dx node.\n\rNew Dx node was not created.");
  EXPECT_EQ(graph.NodeCount(), 1);

  for (int i = 1; i <= 99; ++i)
    PlaceNode(i % 2 ? 1 : 2, {40 * (i % 20) + 100, 40 * (i / 20) + 100});
  EXPECT_EQ(graph.NodeCount(), 100);
  EXPECT_EQ(graph.NextFreeNodeNumber(), -1);
  f.prompt.shown.clear();
  PlaceNode(1, {900, 900});
  EXPECT_EQ(f.prompt.Texts(),
            Strings{"Zozivor model can contain only 99 nodes.\n\rNew node was not created."});
  EXPECT_EQ(graph.NodeCount(), 100);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), 100);

  // Freed numbers come back, lowest first.
  for (int number : {7, 2}) {
    graph.SelectedIndex = graph.IndexOfNode(number, false);
    graph.DeleteSelected();
  }
  EXPECT_EQ(PlaceNode(1, {900, 900})->NodeName(), "s2");
  EXPECT_EQ(PlaceNode(2, {900, 950})->NodeName(), "d7");
}

TEST_F(Graph, DeletingANodeTakesItsArcsAndUndoBringsThemBack) {
  PlaceNode(1, {100, 100});  // s1
  PlaceNode(2, {300, 100});  // d2
  PlaceNode(2, {300, 300});  // d3
  graph.SetEditMode(1);
  Drag({100, 100}, {300, 100});
  // The user gave the supply and the cost their own values.
  Fetch_extended_random_variable(0, "s1")->distribution.u.params[0] = 50;
  Fetch_extended_random_variable(0, "1c2")->distribution.u.params[0] = 7.5;
  const Strings all = Names(ObjRandomVariable);

  // One arc: no question.
  graph.SelectedIndex = graph.IndexOf(Node(1));
  graph.DeleteSelected();
  EXPECT_TRUE(f.prompt.shown.empty());
  EXPECT_EQ(NodeNames(), (Strings{"d2", "d3"}));
  EXPECT_EQ(ArcCount(), 0);
  EXPECT_EQ(Names(ObjRandomVariable), (Strings{"d2", "d3"}));
  EXPECT_EQ(graph.SelectedIndex, -1);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Delete Zozivor Node");
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Names(ObjRandomVariable), all);
  EXPECT_EQ(Value("s1"), 50);
  EXPECT_EQ(Value("1c2"), 7.5);
  ASSERT_EQ(ArcCount(), 1);
  EXPECT_EQ(Node(1)->X, 100);

  // Two arcs: a question; No changes nothing, not even the modified flag.
  graph.SetEditMode(1);
  Drag({100, 100}, {300, 300});
  wb.Modified = false;
  f.prompt.answers = {TAnswer::No};
  graph.SelectedIndex = graph.IndexOf(Node(1));
  graph.DeleteSelected();
  EXPECT_EQ(f.prompt.Texts(), Strings{"Are you sure you want to delete node \"s1\"?"});
  EXPECT_EQ(ArcCount(), 2);
  EXPECT_EQ(graph.NodeCount(), 3);
  EXPECT_FALSE(wb.Modified);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Add Zozivor Arc");

  // An arc alone.
  graph.SetEditMode(0);
  Click({200, 104});
  ASSERT_NE(graph.EdgeAt(graph.SelectedIndex), nullptr);
  graph.DeleteSelected();
  EXPECT_EQ(ArcCount(), 1);
  EXPECT_EQ(wb.Undo.ActionCaption(true), "Delete Zozivor Arc");
  EXPECT_EQ(Fetch_extended_random_variable(0, "1c2"), nullptr);
  ASSERT_TRUE(wb.Undo.Undo());
  EXPECT_EQ(Value("1c2"), 7.5);
}

TEST_F(Graph, LinkedElementsAreNotDeleted) {
  AddConstant("s5", 1);
  AddConstant("5c6", 0.1);
  AddConstant("7u8", 1);  // an arc without its nodes
  ASSERT_GT(WriteTSMFile(Path("link.tsm").c_str()), 0);
  ASSERT_TRUE(Init_data());
  SetHeaderModelType(3);
  AddConstant("d6", 1);
  AddConstant("5l6", 0);
  AddConstant("5u6", 1);
  ASSERT_GT(LoadTSMFile(Path("link.tsm").c_str(), TsmLink), 0);
  graph.SyncWithModel(false);
  ASSERT_EQ(graph.NodeCount(), 2);
  ASSERT_EQ(ArcCount(), 1);
  const std::size_t objects = Names(ObjRandomVariable).size();
  graph.SelectedIndex = graph.IndexOf(Node(5));
  graph.DeleteSelected();
  graph.SelectedIndex = graph.IndexOf(graph.FindArc(Node(5), Node(6)));
  graph.DeleteSelected();
  graph.SelectedIndex = graph.IndexOf(Node(6));
  graph.DeleteSelected();
  EXPECT_EQ(f.prompt.Texts(),
            (Strings{"Variable or UDF representing selected object is linked from external "
                     "file.\n\rObject is read-only and can not be deleted.",
                     "Variable or UDF representing selected object is linked from external "
                     "file.\n\rObject is read-only and can not be deleted.",
                     "At least one of the arcs linked to selected node is represented by an "
                     "object belonging to a linked file.\n\rSelected object is read-only and "
                     "can not be deleted."}));
  EXPECT_EQ(Names(ObjRandomVariable).size(), objects);
  EXPECT_EQ(graph.Elements.size(), 3u);
  // The linked orphan shows the warning but is not offered for deletion.
  f.prompt.shown.clear();
  f.prompt.answers = {TAnswer::YesToAll};
  graph.SyncWithModel(true);
  EXPECT_TRUE(graph.WarningVisible());
  EXPECT_TRUE(f.prompt.shown.empty());
  EXPECT_NE(Fetch_extended_random_variable(0, "7u8"), nullptr);
  EXPECT_FALSE(wb.Undo.CanUndo());
}

TEST_F(Graph, AFullModelLeavesNoElementBehind) {
  PlaceNode(1, {100, 100});
  PlaceNode(2, {300, 100});
  // Room for two more variables: not enough for an arc.
  for (int i = Get_TSMObjectsNumber(ObjRandomVariable); i < MaxVariables - 2; ++i)
    AddConstant(std::string("v").append(std::to_string(i)), 0);
  wb.Modified = false;
  const std::string caption = wb.Undo.ActionCaption(true);
  graph.SetEditMode(1);
  Drag({100, 100}, {300, 100});
  EXPECT_EQ(ArcCount(), 0);
  EXPECT_EQ(Fetch_extended_random_variable(0, "1c2"), nullptr);
  EXPECT_EQ(Get_TSMObjectsNumber(ObjRandomVariable), MaxVariables - 2);

  AddConstant("w1", 0);
  AddConstant("w2", 0);
  f.prompt.shown.clear();
  PlaceNode(1, {500, 500});
  EXPECT_EQ(graph.NodeCount(), 2);
  EXPECT_EQ(graph.SelectedIndex, -1);
  EXPECT_EQ(graph.DragState, 0);
  EXPECT_FALSE(wb.Modified);
  EXPECT_EQ(wb.Undo.ActionCaption(true), caption);
  ASSERT_EQ(f.prompt.shown.size(), 1u);  // the engine's overflow warning
  EXPECT_NE(f.prompt.shown[0].text.find("Can`t create any more random variables"),
            std::string::npos);
}

}  // namespace
}  // namespace tesmira::wb
