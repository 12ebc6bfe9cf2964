#include "model_helpers.h"

#include "model_fixture.h"
#include "workbench.h"

namespace tesmira::wb {
namespace {

using test::ModelTest;
using Helpers = ModelTest;

TEST_F(Helpers, SetModifiedWithAnOutputOrSampleFileOnlyClears) {
  for (int kind : {FileKindOutputFile, FileKindSampleFile}) {
    wb.CurrentFileKind = kind;
    wb.Modified = true;
    wb.ReportAvailable = true;
    SetModified(wb, true, true);
    EXPECT_FALSE(wb.Modified);
    EXPECT_TRUE(wb.ReportAvailable);
  }
  EXPECT_EQ(f.ui.saveButtonUpdates, 0);
  wb.CurrentFileKind = FileKindModelFile;
  SetModified(wb, true);
  EXPECT_TRUE(wb.Modified);
  EXPECT_FALSE(wb.ReportAvailable);
  SetModified(wb, false, true);  // force changes nothing
  EXPECT_FALSE(wb.Modified);
  EXPECT_EQ(f.ui.saveButtonUpdates, 2);
}

TEST_F(Helpers, UniqueNamesCountUpTheTrailingNumber) {
  AddVariable("Var12");
  AddVariable("X");
  AddNode("LATENT1");
  AddNode("LATENT2");
  AddFormula("f1", "1");
  struct {
    const char* name;
    int kind;
    const char* unique;
  } cases[] = {
      {"", 7, "LATENT3"},    {"", 1, "V1"},
      {"Var12", 1, "Var13"}, {"X", 1, "X1"},
      {"f", 6, "f2"},        {"f0", 6, "f2"},
      {"A0099", 1, "A100"},  {"B99999999999999999999", 1, "B100000000000000000000"},
  };
  for (auto& c : cases) EXPECT_EQ(UniqueObjectName(c.name, c.kind), c.unique) << c.name;
}

TEST_F(Helpers, SampleFileInputLooksAtTheFirstVariableOnly) {
  TExtendedRandomVariable first = Normal("a"), second = Normal("b");
  second.distribution.distType = DistSampleFile;
  Create_TSMObject(ObjRandomVariable, &first);
  Create_TSMObject(ObjRandomVariable, &second);
  EXPECT_EQ(FirstSampleFileVariable(), -1);
  EXPECT_FALSE(IsSampleInputModel());
  Swap_TSMObjects(1, 2, ObjRandomVariable);
  EXPECT_EQ(FirstSampleFileVariable(), 1);
  EXPECT_TRUE(IsSampleInputModel());
}

TEST_F(Helpers, VariableIndexByNameKnowsOnlyVariables) {
  AddVariable("a");
  AddVariable("b");
  EXPECT_EQ(VariableIndexByName(1, "B"), 2);
  try {
    VariableIndexByName(6, "b");
    ADD_FAILURE() << "no exception";
  } catch (const EWorkbenchError& e) {
    EXPECT_STREQ(e.what(), "tsmName2Idx for unknown DT");
  }
}

TEST_F(Helpers, DistributionFileNamesStayInTheirField) {
  TExtendedRandomVariable rv = Normal("q");
  rv.distribution.distType = DistFile100;
  rv.samplePosition = 0x0302;
  rv.readingFile = 0x04;
  const std::string longName(300, 'n');
  SetDistributionFileName(rv, longName);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&rv);
  EXPECT_EQ(bytes[288], 0x02);
  EXPECT_EQ(bytes[289], 0x03);
  EXPECT_EQ(bytes[290], 0x04);
  EXPECT_EQ(GetDistributionFileName(rv), longName.substr(0, 253));
  EXPECT_EQ(GetProbabilityFileName(rv), "");

  rv.distribution.distType = DistSampleFile;
  SetShortString(rv.distribution.u.sample.probabilityFile, "p.prb");
  SetDistributionFileName(rv, longName);
  EXPECT_EQ(GetDistributionFileName(rv), longName.substr(0, 126));
  EXPECT_EQ(GetProbabilityFileName(rv), "p.prb");
}

TEST_F(Helpers, NodeIndicesAndCaptions) {
  AddVariable("A");
  AddVariable("B");
  SyncNodes();
  void* l1 = AddNode("L1");
  void* l2 = AddNode("L2");
  ASSERT_TRUE(l1 && l2);
  EXPECT_EQ(ExtraNodeIndex(l1), 3);
  EXPECT_EQ(ExtraNodeIndex(l2), 4);
  EXPECT_EQ(ExtraNodeIndex(nullptr), -1);
  EXPECT_EQ(NthExtraNode(2), l2);
  EXPECT_EQ(NthExtraNode(3), nullptr);

  ASSERT_TRUE(Attach("B", "A"));
  ASSERT_TRUE(Set_node_correlation_with_parent(Node("B"), 0.3f));
  EXPECT_EQ(DependenceNodeCaption(wb, Node("B"), true, false), "(0.30) B");
  EXPECT_EQ(DependenceNodeCaption(wb, Node("B"), false, true), "2. B");
  EXPECT_EQ(DependenceNodeCaption(wb, l2, false, true), "4. L2");
  EXPECT_EQ(DependenceNodeCaption(wb, Node("A"), false, false), "A");
  EXPECT_FALSE(ShowsStructureName(Node("A")));  // a tree, not a vine or matrix
}

TEST_F(Helpers, MatrixCells) {
  for (const char* n : {"x1", "x2", "x3"}) AddVariable(n);
  SyncNodes();
  SetDependenceType(nullptr, DepCorrelationMatrix);
  SetCurrentDependenceStructureRoot(GetNode(1), "");
  AddAllNodesToStructure();
  SyncNodes();
  ASSERT_TRUE(CMatrix_Initialize());
  std::vector<void*> nodes = {Node("x1"), Node("x2"), Node("x3")};
  EXPECT_TRUE(CheckMatrixCells({nodes[0]}, false));
  EXPECT_TRUE(CheckMatrixCells({nodes[0]}, true));
  EXPECT_TRUE(CheckMatrixCells(nodes, true));  // still blank
  TGridRect cell;
  EXPECT_FALSE(CheckMatrixCells(nodes, false, &cell));
  EXPECT_EQ(std::tie(cell.Left, cell.Top, cell.Right, cell.Bottom), std::make_tuple(2, 1, 2, 1));
  ASSERT_TRUE(CMatrix_SetCell(nodes[0], nodes[1], 0.3));
  ASSERT_TRUE(CMatrix_SetCell(nodes[0], nodes[2], 0.1));
  EXPECT_FALSE(CheckMatrixCells(nodes, false, &cell));
  EXPECT_EQ(std::tie(cell.Left, cell.Top), std::make_tuple(3, 2));
  EXPECT_FALSE(CheckMatrixCells(nodes, true, &cell));
  EXPECT_EQ(std::tie(cell.Left, cell.Top), std::make_tuple(2, 1));
  ASSERT_TRUE(CMatrix_SetCell(nodes[1], nodes[2], -0.2));
  EXPECT_TRUE(CheckMatrixCells(nodes, false));
}

TEST_F(Helpers, FormulaReferences) {
  AddFormula("g", "x+1");
  AddFormula("", "a*b");
  TUdf* nameless = static_cast<TUdf*>(Get_TSMObject(2, ObjFormula));
  SetShortString(nameless->description, " product");
  std::string ref = "G";
  EXPECT_EQ(ResolveFormulaReference(ref), 1);
  ref = " A*B product";
  EXPECT_EQ(ResolveFormulaReference(ref), 2);
  EXPECT_EQ(ref, "");
  ref = "h";
  EXPECT_EQ(ResolveFormulaReference(ref), 0);
}

TEST_F(Helpers, RenameReferencesRewritesOwnFormulasAndNamesLinkedOnes) {
  // A linked file with a formula that refers to x.
  AddVariable("x");
  AddFormula("lf", "x*2");
  ASSERT_GT(WriteTSMFile(Path("link.tsm").c_str()), 0);
  ASSERT_TRUE(Init_data());
  AddVariable("x1");
  AddFormula("own", "x+sin(x)+x1");
  AddFormula("self", "x");
  std::string far;
  for (int i = 0; i < 85; ++i) far += "x+";
  AddFormula("far", far + "x");
  ASSERT_GT(LoadTSMFile(Path("link.tsm").c_str(), TsmLink), 0);

  const int self = UDF_exists("self");
  EXPECT_EQ(RenameReferences(self, "x", "yyy"),
            "Name reference was updated in UDF(s) named: \"own\", but NOT for \"far\", \"lf\" due "
            "to the linked status.");
  EXPECT_EQ(FormulaText("own"), "yyy+sin(yyy)+x1");
  EXPECT_EQ(FormulaText("self"), "x");
  EXPECT_EQ(FormulaText("lf"), "x*2");
  EXPECT_EQ(FormulaText("far"), far + "x");  // unchanged: the rewrite would not fit
  EXPECT_EQ(RenameReferences(0, "zz", "q"), "");
  EXPECT_EQ(RenameReferences(0, "yyy", "x"),
            "Name reference was updated in UDF(s) named: \"own\".");
}

TEST_F(Helpers, ReparentTreeItemsFollowsTheModel) {
  for (const char* n : {"a", "b", "c"}) AddVariable(n);
  SyncNodes();
  ASSERT_TRUE(Attach("b", "a"));
  ASSERT_TRUE(Attach("c", "b"));
  SetCurrentDependenceStructureRoot(Node("a"), "");
  test::FakeTree& tree = f.ui.tree;
  tree.AddTopLevelItem("c", Node("c"));
  tree.AddTopLevelItem("b", Node("b"));
  ReparentTreeItems(wb);
  // b had no item parent: its parent a gets an item first, as its first sibling.
  ASSERT_EQ(tree.items.size(), 3u);
  EXPECT_EQ(tree.items[0]->node, Node("a"));
  EXPECT_EQ(tree.ItemOf(Node("b"))->parent, tree.ItemOf(Node("a")));
  EXPECT_EQ(tree.ItemOf(Node("c"))->parent, tree.ItemOf(Node("b")));
  EXPECT_EQ(ParentOf("b"), "a");
  EXPECT_EQ(ParentOf("c"), "b");
  EXPECT_EQ(TreeIndexOfNode(tree, Node("c")), 3);
  EXPECT_EQ(TreeIndexOfNode(tree, nullptr), 0);
}

TEST_F(Helpers, HeaderModelTypeAndDisplaySettings) {
  SetHeaderModelType(ModelTypeZoziVor);
  EXPECT_EQ(GetHeaderModelType(), ModelTypeZoziVor);
  SetHeaderModelType(ModelTypeFormula);
  EXPECT_EQ(GetHeaderModelType(), ModelTypeFormula);
  TDisplaySettings s{2, 0, 10, 3, 1};
  SetCurrentDisplaySettings(s);
  TDisplaySettings r = CurrentDisplaySettings();
  EXPECT_EQ(std::tie(r.quantperdistrib, r.fpformat, r.fpwidth, r.fpprecision, r.fpprecisionCMX),
            std::make_tuple(2, 0, 10, 3, 1));
  EXPECT_EQ(FormatNumber(3.14159), " 3.14E+000");
  EXPECT_EQ(FormatCorrelation(-0.25), "-0.3");
  SetCurrentDisplaySettings(TDisplaySettings{});
}

}  // namespace
}  // namespace tesmira::wb
