// The variable list, the selection step and the settings file.
#include <gtest/gtest.h>

#include "settings.h"
#include "test_support.h"

namespace tesvane {
namespace {

using test::TSettingsScope;
using test::TTempDir;
using test::TTestHost;

TRandVarList MakeList(int count) {
  TRandVarList list;
  for (int i = 0; i < count; ++i)
    list.Add(std::make_shared<TRandomVariable>(i, std::string("v").append(std::to_string(i)), "", 2,
                                               2, ""));
  return list;
}

TEST(RandomVariable, TextsAndConstructorOrder) {
  TRandomVariable v(3, "Name", "Desc", 1, 0, "bin.dat");
  EXPECT_EQ(v.IsFunctional, 1);
  EXPECT_EQ(v.VarType, 0);
  EXPECT_EQ(v.TypeText(), "continunous");
  EXPECT_EQ(v.FunctionalText(), "functional / output");
  v.VarType = 1;
  v.IsFunctional = 0;
  EXPECT_EQ(v.TypeText(), "discrete");
  EXPECT_EQ(v.FunctionalText(), "probabilistic / input");
  v.VarType = 7;
  v.IsFunctional = 2;
  EXPECT_EQ(v.TypeText(), "n/a");
  EXPECT_EQ(v.FunctionalText(), "n/a");
}

TEST(RandVarList, FindByNameIgnoresCaseAndTakesTheFirst) {
  TRandVarList list;
  list.Add(std::make_shared<TRandomVariable>(0, "Alpha", "", 2, 2, ""));
  list.Add(std::make_shared<TRandomVariable>(1, "ALPHA", "", 2, 2, ""));
  EXPECT_EQ(list.FindByName("alpha")->Id, 0);
  EXPECT_EQ(list.FindByName("ALPHA")->Id, 0);
  EXPECT_EQ(list.FindByName("beta"), nullptr);
  EXPECT_EQ(list.FindById(1)->Name, "ALPHA");
  EXPECT_EQ(list.FindById(5), nullptr);
}

TEST(SelectVariablesOnLoad, SixtyNineWithoutPickerSeventyWithPicker) {
  TSettingsScope settings(false);
  TTestHost host;
  auto sel = SelectVariablesOnLoad(MakeList(69), nullptr, host, "f");
  EXPECT_EQ(sel.size(), 69u);
  EXPECT_EQ(host.PickerShown, 0);
  sel = SelectVariablesOnLoad(MakeList(70), nullptr, host, "f");
  EXPECT_EQ(host.PickerShown, 1);
  EXPECT_EQ(host.PickerMaximum, 69);
  EXPECT_EQ(sel.size(), 69u);  // cancelled: the first 69
}

TEST(SelectVariablesOnLoad, CancelledPickerOnHundredLoadsFirstSixtyNine) {
  TSettingsScope settings(true);
  TTestHost host;
  auto sel = SelectVariablesOnLoad(MakeList(100), nullptr, host, "f");
  ASSERT_EQ(sel.size(), 69u);
  for (int i = 0; i < 69; ++i) EXPECT_EQ(sel[static_cast<size_t>(i)], i);
}

TEST(SelectVariablesOnLoad, ConfirmedPickerGivesIdsInDisplayOrder) {
  TSettingsScope settings(true);
  TTestHost host;
  host.ConfirmPicker = true;
  host.PickedIds = {7, 2, 5};
  auto sel = SelectVariablesOnLoad(MakeList(10), nullptr, host, "f");
  EXPECT_EQ(host.PickerShown, 1);
  EXPECT_EQ(sel, (std::vector<int32_t>{7, 2, 5}));
  TRandVarList copies = CopySelectedVariables(MakeList(10), sel);
  EXPECT_EQ(copies[0].Name, "v7");
  EXPECT_EQ(copies[0].Id, 0);
  EXPECT_EQ(copies[2].Id, 2);
}

TEST(SelectVariablesOnLoad, GivenSelectionIsUsedAndChecked) {
  TTestHost host;
  TIntList given;
  given.Items = {3, 1};
  EXPECT_EQ(SelectVariablesOnLoad(MakeList(5), &given, host, "f"), (std::vector<int32_t>{3, 1}));
  EXPECT_EQ(host.PickerShown, 0);
  given.Items = {5};
  EXPECT_THROW(SelectVariablesOnLoad(MakeList(5), &given, host, "f"), ESensitivityError);
}

TEST(IniFile, CaseInsensitiveNamesDefaultsAndRoundTrip) {
  TTempDir dir;
  const std::string path = dir.File("Tesvane.ini");
  test::WriteText(path, "[Parameters]\nBottomHeight=300\nNo of groups=abc\nPrecision= 7 \n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("parameters", "Bottomheight", 281), 300);
  EXPECT_EQ(ini.ReadInteger("Parameters", "No of groups", 20), 20);  // not a number
  EXPECT_EQ(ini.ReadInteger("Parameters", "Precision", 4), 7);
  EXPECT_EQ(ini.ReadInteger("Parameters", "Missing", 9), 9);
  EXPECT_TRUE(ini.ReadBool("X", "Y", true));
  ini.WriteInteger("PARAMETERS", "bottomheight", 310);
  ini.WriteBool("General settings", "Import selected", false);
  ini.WriteString("Recent files", "File1", "C:\\data\\a.sae");
  TIniFile again(path);
  EXPECT_EQ(again.ReadInteger("Parameters", "BottomHeight", 0), 310);
  EXPECT_FALSE(again.ReadBool("General settings", "Import selected", true));
  EXPECT_EQ(again.ReadString("recent FILES", "file1", ""), "C:\\data\\a.sae");
  EXPECT_EQ(test::ReadText(path).find("[Parameters]\r\nBottomHeight=310\r\n"), 0u);
}

TEST(Settings, FirstStartWritesExactlyTheDefaults) {
  TTempDir dir;
  TIniFile ini(dir.File("Tesvane.ini"));
  WriteDefaultSettings(ini, 273, 281);
  std::string expected =
      "[Recent files]\r\nNo of recent files=0\r\nFile1=Dump file\r\nMax No of recent files=5\r\n"
      "\r\n[Parameters]\r\nNo of groups=20\r\nLeftWidth=273\r\nBottomheight=281\r\n"
      "No of samples for regression plot=10000\r\nMatrix type=0\r\nDegree min=1\r\nDegree "
      "max=10\r\n"
      "\r\n[ListView]\r\nCol0=30\r\n";
  for (int i = 1; i <= 16; ++i) expected += "Col" + std::to_string(i) + "=70\r\n";
  EXPECT_EQ(test::ReadText(dir.File("Tesvane.ini")), expected);
  // A second run changes nothing.
  TIniFile again(dir.File("Tesvane.ini"));
  WriteDefaultSettings(again, 1, 1);
  EXPECT_EQ(test::ReadText(dir.File("Tesvane.ini")), expected);
}

TEST(Settings, ReadersApplyDefaultsAndClampNonsense) {
  TTempDir dir;
  const std::string path = dir.File("Tesvane.ini");
  TIniFile empty(path);
  EXPECT_EQ(ReadGroupCount(empty), 20);
  EXPECT_EQ(ReadSamplesForRegressionPlot(empty), 10000);
  EXPECT_TRUE(ReadImportSelected(empty));
  TDegreeSettings d = ReadDegreeSettings(empty);
  EXPECT_EQ(d.Min, 1);
  EXPECT_EQ(d.Max, 10);
  EXPECT_EQ(d.Degree, 3);
  TStartSettings s = ReadStartSettings(empty, 180);
  EXPECT_EQ(s.LeftWidth, 273);
  EXPECT_EQ(s.BottomHeight, 281);
  EXPECT_EQ(s.Precision, 4);
  EXPECT_EQ(s.LeftPanelWidth, 225);
  EXPECT_EQ(s.VariablesPanelWidth, 180);
  EXPECT_EQ(s.Width, 800);
  EXPECT_EQ(s.Height, 650);
  EXPECT_EQ(s.Col0, 30);
  EXPECT_TRUE(s.ColumnShown[4]);

  test::WriteText(path,
                  "[Parameters]\r\nNo of groups=0\r\nDegree min=5\r\nDegree max=2\r\n"
                  "Degree of polynomial=40\r\nPrecision=99\r\nSeries1 dot size=9\r\n"
                  "[ListView]\r\nColHide5=0\r\n");
  TIniFile bad(path);
  EXPECT_EQ(ReadGroupCount(bad), 20);
  d = ReadDegreeSettings(bad);
  EXPECT_EQ(d.Min, 1);
  EXPECT_EQ(d.Max, 10);
  EXPECT_EQ(d.Degree, 3);
  s = ReadStartSettings(bad, 180);
  EXPECT_EQ(s.Precision, 4);
  EXPECT_EQ(s.Series1DotSize, 2);
  EXPECT_FALSE(s.ColumnShown[4]);  // ColHide5=0 hides the fifth column
}

TEST(Settings, RecentFilesKeepTheirOrderAcrossStartAndClose) {
  TTempDir dir;
  const std::string path = dir.File("Tesvane.ini");
  test::WriteText(path, "[Recent files]\r\nNo of recent files=3\r\nFile1=a.sae\r\nFile2=b.sae\r\n");
  TIniFile ini(path);
  std::vector<std::string> list = LoadRecentFiles(ini);
  EXPECT_EQ(list, (std::vector<std::string>{"a.sae", "b.sae", "Dump file"}));
  SaveRecentFiles(ini, list);
  TIniFile again(path);
  EXPECT_EQ(LoadRecentFiles(again), list);
  AddToRecentFiles(list, "c.sae");
  AddToRecentFiles(list, "d.sae");
  AddToRecentFiles(list, "e.sae");
  EXPECT_EQ(list.size(), 5u);
  EXPECT_EQ(list.front(), "e.sae");
  EXPECT_EQ(list.back(), "b.sae");
}

TEST(Settings, CloseHandlerWritesTheStateAfterTheDefaults) {
  TTempDir dir;
  TIniFile ini(dir.File("Tesvane.ini"));
  TCloseSettings c;
  c.WindowMaximized = true;
  c.Width = 1024;
  c.Degree = 4;
  c.RecentFiles = {"x.sae", "y.samhdr"};
  c.ColumnWidths.fill(55);
  WriteCloseSettings(ini, c);
  TIniFile back(dir.File("Tesvane.ini"));
  TStartSettings s = ReadStartSettings(back, 100);
  EXPECT_TRUE(s.WindowMaximized);
  EXPECT_EQ(s.Width, 1024);
  EXPECT_EQ(s.Degree.Degree, 4);
  EXPECT_EQ(s.ColumnWidths[13], 55);
  EXPECT_EQ(back.ReadInteger("ListView", "Col15", 0), 70);  // default kept
  EXPECT_EQ(LoadRecentFiles(back), c.RecentFiles);
  EXPECT_EQ(back.ReadInteger("Parameters", "No of groups", 0), 20);

  TOptionsSettings o;
  o.GroupCount = 12;
  o.DegreeMin = 8;
  o.DegreeMax = 3;
  o.ImportSelected = false;
  o.ColumnShown.fill(true);
  o.ColumnShown[5] = false;  // column 8
  WriteOptionsSettings(ini, o);
  TIniFile opt(dir.File("Tesvane.ini"));
  EXPECT_EQ(ReadGroupCount(opt), 12);
  EXPECT_EQ(ReadDegreeSettings(opt).Min, 3);
  EXPECT_EQ(ReadDegreeSettings(opt).Max, 8);
  EXPECT_FALSE(ReadImportSelected(opt));
  EXPECT_FALSE(opt.ReadBool("ListView", "ColHide8", true));
}

}  // namespace
}  // namespace tesvane
