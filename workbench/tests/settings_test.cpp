#include "settings.h"

#include "fakes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tesmira::wb {
namespace {

namespace fs = std::filesystem;

struct Settings : ::testing::Test {
  fs::path file =
      fs::temp_directory_path() / ("wbcore_settings_" + std::to_string(getpid()) + ".INI");
  ~Settings() override { fs::remove(file); }

  void Fixture(const std::string& text) { std::ofstream(file, std::ios::binary) << text; }
  std::string Text() {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Reads with a 1920 x 1080 screen and a client 1000 pixels wide.
  TWorkbenchSettings Read(TWorkbenchSettings s = {}) {
    s.Read(file.string(), 1920, 1080, 1000);
    return s;
  }
};

TEST_F(Settings, WindowPositionIsClampedOrCentred) {
  struct {
    const char* window;
    int top, left, width, height;
  } cases[] = {
      {"Top=-1\r\nLeft=20\r\nWidth=500\r\nHeight=400\r\n", -1, -1, -1, -1},
      {"Top=10\r\nWidth=500\r\nHeight=400\r\n", -1, -1, -1, -1},
      {"Top=5000\r\nLeft=5000\r\nWidth=50\r\nHeight=20000\r\n", 980, 1820, 100, 10000},
      {"Top=-7\r\nLeft=3\r\n", -1, -1, -1, -1},
      {"Top=10\r\nLeft=20\r\n", 10, 20, 100, 100},
      {"Top=10\r\nLeft=20\r\nWidth=640\r\nHeight=480\r\n", 10, 20, 640, 480},
  };
  for (auto& c : cases) {
    Fixture(std::string("[Window]\r\n") + c.window);
    TWorkbenchSettings s = Read();
    EXPECT_EQ(s.Top, c.top) << c.window;
    EXPECT_EQ(s.Left, c.left) << c.window;
    EXPECT_EQ(s.Width, c.width) << c.window;
    EXPECT_EQ(s.Height, c.height) << c.window;
  }
}

TEST_F(Settings, ValuesAreClampedAndMissingKeysKeepTheCurrentValues) {
  Fixture(
      "[Options]\r\nundo=1000000\r\nfpformat=7\r\nfpwidth=-3\r\nfpprecision=40\r\n"
      "fpprecisionCMX=9\r\nShowObjIdx=0\r\n"
      "[ForWindow]\r\nSymbSortAsc=-1\r\nSymbSort=7\r\nSymb=37\r\nColWidth0=2000\r\nColWidthNr="
      "55\r\n"
      "Split=990\r\n"
      "[VarWindow]\r\nColWidth2=5\r\nShowPlot=4\r\n"
      "[DepWindow]\r\nTreeSort=1\r\n"
      "[MRU]\r\n1=\r\n2=/m/a,b.tsm\r\n");
  TWorkbenchSettings current;
  current.VarList.Split = 321;
  current.VarList.ColWidth = {40, 41, 42, 43, 44};
  TWorkbenchSettings s = Read(current);
  EXPECT_EQ(s.Undo, 100);
  EXPECT_EQ(s.Display.fpformat, 2);
  EXPECT_EQ(s.Display.fpwidth, 0);
  EXPECT_EQ(s.Display.fpprecision, 18);
  EXPECT_EQ(s.Display.fpprecisionCMX, 4);
  EXPECT_EQ(s.Display.quantperdistrib, 0);
  EXPECT_FALSE(s.ShowObjIdx);
  EXPECT_EQ(s.SymbSortAsc, -1);  // the remainder keeps the dividend's sign
  EXPECT_EQ(s.SymbSort, -1);     // no such column of five
  EXPECT_EQ(s.Symb, 37);
  EXPECT_EQ(s.ForList.ColWidth[0], 600);  // ColWidth0 overrides ColWidthNr's width
  EXPECT_EQ(s.ForList.ColWidthNrTag, 55);
  EXPECT_EQ(s.ForList.Split, 875);  // at most 7/8 of the client width
  EXPECT_EQ(s.VarList.Split, 321);
  EXPECT_EQ(s.VarList.ColWidth, (std::array<int, 5>{40, 41, 10, 43, 44}));
  EXPECT_EQ(s.ShowPlot, 1);
  EXPECT_EQ(s.TreeSort, 1);
  EXPECT_EQ(s.Mru, (std::array<std::string, 4>{"", "/m/a,b.tsm", "", ""}));
}

TEST_F(Settings, WriteThenReadGivesTheSameValuesAndKeepsForeignSections) {
  Fixture(
      "[Simulation]\r\nruns=250\r\n[Options]\r\nfpformat=1\r\nSomething=else\r\n"
      "[MRU]\r\n1=/old/first.tsm\r\n");
  TWorkbenchSettings s;
  s.WorkDir = "/home/u/models";
  s.Top = 11;
  s.Left = 22;
  s.Width = 800;
  s.Height = 600;
  s.Maximized = true;
  s.Toolbar = false;
  s.VarList = {300, 0, {0, 80, 90, 100, 110}, 35};  // index column hidden
  s.ForList = {250, 0, {30, 81, 91, 101, 111}, 30};
  s.ShowPlot = 1;
  s.Symb = 5;
  s.SymbSortAsc = 3;
  s.SymbSort = 2;
  s.SymbReport = 1;
  s.Display = {1, 0, 12, 7, 3};
  s.Undo = 60;
  s.ShowObjIdx = false;
  s.Mru = {"", "/m/two.tsm", "/m/three, with comma.tsm", ""};
  s.TreeSort = 0;
  s.WordWrap = true;
  ASSERT_TRUE(s.Write(file.string(), true));

  std::string text = Text();
  EXPECT_NE(text.find("[Simulation]\r\nruns=250\r\n"), std::string::npos);
  EXPECT_NE(text.find("Something=else"), std::string::npos);
  EXPECT_EQ(text.find("1=/old/first.tsm"), std::string::npos);  // the empty entry's key is gone

  TWorkbenchSettings r = Read();
  EXPECT_EQ(r.WorkDir, s.WorkDir);
  EXPECT_EQ(std::tie(r.Top, r.Left, r.Width, r.Height), std::tie(s.Top, s.Left, s.Width, s.Height));
  EXPECT_EQ(r.Maximized, true);
  EXPECT_EQ(r.Toolbar, false);
  EXPECT_EQ(r.VarList.Split, 300);
  EXPECT_EQ(r.VarList.ColWidth, (std::array<int, 5>{35, 80, 90, 100, 110}));
  EXPECT_EQ(r.ForList.ColWidth, s.ForList.ColWidth);
  EXPECT_EQ(std::tie(r.ShowPlot, r.Symb, r.SymbSortAsc, r.SymbSort, r.SymbReport),
            std::tie(s.ShowPlot, s.Symb, s.SymbSortAsc, s.SymbSort, s.SymbReport));
  EXPECT_EQ(std::tie(r.Display.quantperdistrib, r.Display.fpformat, r.Display.fpwidth,
                     r.Display.fpprecision, r.Display.fpprecisionCMX),
            std::make_tuple(1, 0, 12, 7, 3));
  EXPECT_EQ(r.Undo, 60);
  EXPECT_EQ(r.ShowObjIdx, false);
  EXPECT_EQ(r.Mru, s.Mru);
  EXPECT_EQ(r.TreeSort, 0);
  EXPECT_EQ(r.WordWrap, true);

  // A maximised window keeps the last normal position.
  s.Top = 99;
  ASSERT_TRUE(s.Write(file.string(), false));
  EXPECT_EQ(Read().Top, 11);
}

TEST_F(Settings, ReadOrWriteOneValue) {
  Fixture("[Simulation]\r\nruns=0\r\nruns2=70000\r\nruns3=500\r\n");
  common::TIniFile ini(file.string());
  for (const char* key : {"runs", "runs2", "missing"})
    EXPECT_EQ(IniReadOrWriteInteger(ini, true, "Simulation", 65534, 1, 10, 77, key), 10) << key;
  EXPECT_EQ(IniReadOrWriteInteger(ini, true, "Simulation", 65534, 1, 10, 77, "runs3"), 500);
  EXPECT_EQ(IniReadOrWriteInteger(ini, false, "Simulation", 65534, 1, 10, 77, "runs"), 77);
  EXPECT_EQ(ini.ReadInteger("Simulation", "runs", 0), 77);
  EXPECT_TRUE(IniReadOrWriteBool(ini, true, "Simulation", true, false, "flag"));
  EXPECT_FALSE(IniReadOrWriteBool(ini, false, "Simulation", true, false, "flag"));
  EXPECT_FALSE(IniReadOrWriteBool(ini, true, "Simulation", true, true, "flag"));
}

TEST_F(Settings, ASettingsFileThatCannotBeWrittenIsReportedOnce) {
  test::FakePrompt prompt;
  TWorkbenchSettings s;
  EXPECT_TRUE(WriteSettingsAtExit(prompt, s, file.string(), true));
  EXPECT_TRUE(prompt.shown.empty());

  const std::string blocked =
      (fs::temp_directory_path() / "wbcore_no_such_folder" / "t.INI").string();
  EXPECT_FALSE(WriteSettingsAtExit(prompt, s, blocked, true));
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].kind, TMessageKind::Warning);
  EXPECT_EQ(prompt.shown[0].text,
            "The settings could not be saved: there was a problem writing the file " + blocked);
}

}  // namespace
}  // namespace tesmira::wb
