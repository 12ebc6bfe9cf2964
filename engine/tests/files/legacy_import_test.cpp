// Import of the old DOS model files, written here record by record.
#include <array>

#include "model_files_fixture.h"
#include "tesmira/files.h"

namespace {

using Real48 = std::array<uint8_t, 6>;
constexpr Real48 kOne = {0x81, 0, 0, 0, 0, 0};            // 1.0
constexpr Real48 kMinusThree = {0x82, 0, 0, 0, 0, 0xC0};  // -3.0
constexpr Real48 kThree = {0x82, 0, 0, 0, 0, 0x40};       // 3.0
constexpr Real48 kHalf = {0x80, 0, 0, 0, 0, 0};           // 0.5
constexpr Real48 kZero = {0, 0, 0, 0, 0, 0};

void PutShort(std::string& rec, std::size_t offset, const std::string& text) {
  rec[offset] = static_cast<char>(text.size());
  rec.replace(offset + 1, text.size(), text);
}

void PutReal(std::string& rec, std::size_t offset, const Real48& r) {
  rec.replace(offset, 6, reinterpret_cast<const char*>(r.data()), 6);
}

std::string VariableRecord(const std::string& name, int code,
                           std::array<Real48, 4> p = {kOne, kThree, kZero, kZero},
                           const std::string& description = "") {
  std::string rec(138, '\0');
  PutShort(rec, 1, name);
  rec[12] = static_cast<char>(code);
  for (int k = 0; k < 4; ++k) PutReal(rec, 13 + 6 * k, p[static_cast<std::size_t>(k)]);
  PutShort(rec, 37, description);
  return rec;
}

std::string FormulaRecord(const std::string& text) {
  std::string rec(256, '\0');
  PutShort(rec, 0, text);
  return rec;
}

std::string NodeRecord(const std::string& model, const std::string& name, const std::string& parent,
                       const Real48& corr, const std::vector<int16_t>& children,
                       int declared = -1) {
  std::string rec(875, '\0');
  PutShort(rec, 0, model);
  PutShort(rec, 10, name);
  PutShort(rec, 652, parent);
  PutReal(rec, 663, corr);
  rec[669] = static_cast<char>(declared >= 0 ? declared : static_cast<int>(children.size()));
  rec[670] = 2;  // copula code
  for (std::size_t k = 0; k < children.size() && k < 99; ++k)
    std::memcpy(rec.data() + 671 + 2 * k, &children[k], 2);
  return rec;
}

using LegacyImportTest = ModelFilesTest;

TEST_F(LegacyImportTest, VariablesTakeTheirTypeAndParametersFromTheCode) {
  struct Case {
    int code, type, params;
  };
  const Case cases[] = {{0, DistConstant, 1},
                        {1, DistUniform, 2},
                        {2, DistLogUniform, 2},
                        {3, DistNormal, 2},
                        {4, DistLogNormal, 2},
                        {5, DistExponential, 4},
                        {6, DistGamma, 4},
                        {7, DistWeibull, 4},
                        {8, DistBeta, 4},
                        {9, DistTriangular, 4},
                        {11, 0, 0},
                        {13, 0, 0}};
  std::string file;
  for (const Case& c : cases)
    file += VariableRecord(std::string("v").append(std::to_string(c.code)), c.code,
                           {kOne, kMinusThree, kHalf, kThree}, "about v");
  std::string distr = VariableRecord("d", 10);
  distr.replace(13, 24, std::string(24, '\0'));
  PutShort(distr, 13, "DATA");
  PutShort(distr, 22, ".DIS");
  file += distr;
  WriteAll(Path("MODEL.RAN"), file);
  uint8_t kind = 0;
  ASSERT_EQ(ImportADOSFile(Path("MODEL.RAN").c_str(), &kind), 13);
  EXPECT_EQ(kind, ObjRandomVariable);
  const double values[4] = {1.0, -3.0, 0.5, 3.0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const TExtendedRandomVariable* rv =
        Fetch_extended_random_variable(0, ("v" + std::to_string(c.code)).c_str());
    ASSERT_NE(rv, nullptr);
    EXPECT_EQ(int{rv->distribution.distType}, c.type);
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(double{rv->distribution.u.params[k]}, k < c.params ? values[k] : 0.0);
    EXPECT_EQ(tesmira::ShortStringView(rv->description), "about v");
  }
  const TExtendedRandomVariable* d = Fetch_extended_random_variable(0, "d");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(int{d->distribution.distType}, DistFile100);
  EXPECT_EQ(tesmira::ShortStringView(d->distribution.u.fileName, 253), "DATA.DIS");
  // The names exist now: a second import creates nothing.
  kind = 0;
  EXPECT_EQ(ImportADOSFile(Path("MODEL.RAN").c_str(), &kind), 0);
}

TEST_F(LegacyImportTest, CountingChangesNothing) {
  WriteAll(Path("M.RAN"), VariableRecord("a", 3) + VariableRecord("b", 3));
  uint8_t kind = LegacyCountOnly;
  EXPECT_EQ(ImportADOSFile(Path("M.RAN").c_str(), &kind), 2);
  EXPECT_EQ(kind, ObjRandomVariable);
  EXPECT_EQ(GetNumberOfRandomVariables(), 0);
  char folder[256];
  ModelFolder(folder);
  EXPECT_EQ(std::string(folder), "");
  void* header = nullptr;
  EXPECT_EQ(GetFileHeader(Path("M.RAN").c_str(), &header), TsmKindLegacyModel);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(int{static_cast<TTsmFileHeader*>(header)->kindCounts[0]}, 2);
  EXPECT_EQ(Get_TSMObjectsNumber(0), 0);
  EXPECT_EQ(GetNumberOfRandomVariables(), 0);
}

TEST_F(LegacyImportTest, FormulaFilesSkipTheirHeaderAndKeepTheTrailerAsTheVariableFile) {
  std::string file = FormulaRecord("header") + FormulaRecord(":profit:a-b") + FormulaRecord("") +
                     FormulaRecord("a*b") + FormulaRecord("VARS");
  WriteAll(Path("MODEL.FML"), file);
  WriteAll(Path("VARS.RAN"), VariableRecord("a", 3) + VariableRecord("b", 3));
  uint8_t kind = 0;
  ASSERT_EQ(DOStoTSMObjects(Path("MODEL.FML").c_str(), &kind), 2);
  EXPECT_EQ(kind, ObjFormula);
  EXPECT_EQ(GetNumberOfFormulas(), 2);
  EXPECT_EQ(tesmira::ShortStringView(GetUDF(0)->name), "profit");
  EXPECT_EQ(tesmira::ShortStringView(GetUDF(0)->text), "a-b");
  EXPECT_EQ(tesmira::ShortStringView(GetUDF(1)->text), "a*b");
  EXPECT_EQ(Get_TSMObjectsNumber(ObjFormula), 2);
  EXPECT_EQ(Get_TSMObject(1, ObjFormula), GetUDF(0));
  // Without a name the formula reader's trailer names the variable file.
  kind = ObjRandomVariable;
  EXPECT_EQ(DOStoTSMObjects(nullptr, &kind), 2);
  EXPECT_EQ(Variable_exists("b"), 2);
  // Only a header and a trailer: no formula.
  ASSERT_TRUE(Init_data());
  WriteAll(Path("EMPTY.FML"), FormulaRecord("header") + FormulaRecord("VARS"));
  kind = 0;
  EXPECT_EQ(ImportADOSFile(Path("EMPTY.FML").c_str(), &kind), 0);
  EXPECT_EQ(GetNumberOfFormulas(), 0);
}

TEST_F(LegacyImportTest, DependenceFilesGiveOldLayoutNodesThatSurviveASave) {
  // Node 1 heads 2 and 3; its record declares 120 children (more than fit)
  // and names an index outside the file.
  std::vector<int16_t> children = {2, 3, 9, -1};
  std::string file = NodeRecord("MODEL", "a", "", kZero, children, 120) +
                     NodeRecord("MODEL", "b", "a", kHalf, {}) +
                     NodeRecord("MODEL", "c", "a", kHalf, {});
  WriteAll(Path("MODEL.220"), file);
  WriteAll(Path("MODEL.FML"), FormulaRecord("h") + FormulaRecord("a+b+c") + FormulaRecord("MODEL"));
  WriteAll(Path("MODEL.RAN"),
           VariableRecord("a", 3) + VariableRecord("b", 3) + VariableRecord("c", 3));
  uint8_t kind = 0;
  ASSERT_EQ(DOStoTSMObjects(Path("MODEL.220").c_str(), &kind), 3);
  EXPECT_EQ(kind, ObjDependenceNode);
  EXPECT_FALSE(IsNodeDesign2());
  const auto* a = static_cast<const TDepNodeV1*>(GetNode(1));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(int{a->childCount}, 2);
  EXPECT_EQ(a->u.children[0], 2);
  EXPECT_EQ(a->u.children[1], 3);
  EXPECT_EQ(int{a->typeBits}, 2);
  kind = ObjFormula;
  EXPECT_EQ(DOStoTSMObjects(nullptr, &kind), 1);
  kind = ObjRandomVariable;
  EXPECT_EQ(DOStoTSMObjects(nullptr, &kind), 3);

  const std::string path = Path("model.tsm");
  ASSERT_EQ(WriteTSMFile(path.c_str()), 7);
  EXPECT_LT(At<double>(ReadAll(path), 4), 2.0);
  ASSERT_TRUE(Init_data());
  ASSERT_EQ(LoadTSMFile(path.c_str(), TsmOpen), 7);
  EXPECT_FALSE(IsNodeDesign2());
  ASSERT_EQ(GetNumberOfDepNodes(true), 3);
  const auto* b = static_cast<const TDepNodeV1*>(GetNode(2));
  EXPECT_EQ(tesmira::ShortStringView(b->parentName), "a");
  EXPECT_EQ(double{b->rankCorr}, 0.5);
  EXPECT_EQ(int{static_cast<const TDepNodeV1*>(GetNode(1))->childCount}, 2);
  EXPECT_EQ(GetNumberOfRandomVariables(), 3);

  // A model of new-layout nodes takes no old-layout nodes.
  ASSERT_TRUE(Init_data());
  AddVariable("x");
  SyncNodes();
  kind = 0;
  EXPECT_EQ(ImportADOSFile(Path("MODEL.220").c_str(), &kind), 0);
  EXPECT_TRUE(IsNodeDesign2());
  EXPECT_EQ(GetNumberOfDepNodes(true), 1);
}

}  // namespace
