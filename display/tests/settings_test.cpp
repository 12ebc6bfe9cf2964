#include "doc/settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "sample_files.h"

namespace {

using testfiles::TempDir;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(Settings, WindowPlacement) {
  TempDir dir;
  struct Case {
    const char* window;
    TWindowPlacement expected;
  };
  // Screen 1280 x 1024.
  const Case cases[] = {
      {"Top=50\nLeft=60\nWidth=900\nHeight=700", {50, 60, 900, 700}},
      {"Top=50\nLeft=60\nWidth=50\nHeight=700", {50, 60, -1, 700}},
      {"Top=925\nLeft=60\nWidth=900\nHeight=700", {-1, 60, -1, -1}},
      {"Top=924\nLeft=1180\nWidth=10000\nHeight=100", {924, 1180, 10000, 100}},
      {"Top=-1\nLeft=60\nWidth=900\nHeight=700", {-1, 60, -1, -1}},
      {"Top=-2\nLeft=60", {-1, 60, -1, -1}},
      {"Top=5\nLeft=5\nWidth=10001\nHeight=abc", {5, 5, -1, -1}},
  };
  for (const Case& c : cases) {
    const std::string path = dir.Write("w.INI", std::string("[Window]\n") + c.window + "\n");
    const TMainSettings s = ReadMainSettings(path, 1280, 1024, "Sans", 9);
    EXPECT_EQ(s.Placement.Top, c.expected.Top) << c.window;
    EXPECT_EQ(s.Placement.Left, c.expected.Left) << c.window;
    EXPECT_EQ(s.Placement.Width, c.expected.Width) << c.window;
    EXPECT_EQ(s.Placement.Height, c.expected.Height) << c.window;
  }
  EXPECT_TRUE(
      ReadMainSettings(dir.Write("w.INI", "[Window]\nTop=50\nLeft=60\nWidth=900\nHeight=700\n"),
                       1280, 1024, "Sans", 9)
          .Placement.Placed());
  EXPECT_FALSE(
      ReadMainSettings(dir.Write("w.INI", "[Window]\nTop=50\nLeft=60\nWidth=50\nHeight=700\n"),
                       1280, 1024, "Sans", 9)
          .Placement.Placed());
}

TEST(Settings, MainWindowValuesAndDefaults) {
  TempDir dir;
  TMainSettings d = ReadMainSettings(dir.File("none.INI"), 1280, 1024, "Sans", 9);
  EXPECT_EQ(d.Colors, ColorPreset(PresetDefaultColor));
  EXPECT_TRUE(d.Toolbar && d.Parameters && d.RTUpdate);
  EXPECT_FALSE(d.Maximized);
  EXPECT_EQ(d.Fonts[1].Name, "Sans");
  EXPECT_EQ(d.Fonts[0].Size, 9);

  struct Case {
    const char* colors;
    int dot, levels;
  };
  const Case cases[] = {{"ScattDot=0\nColormapSize=25", 10, 4},
                        {"ScattDot=21\nColormapSize=0", 10, 4},
                        {"ScattDot=abc\nColormapSize=1", 10, 1},
                        {"scattdot=20\nCOLORMAPSIZE=20", 20, 20}};
  for (const Case& c : cases) {
    const TMainSettings s = ReadMainSettings(
        dir.Write("c.INI", std::string("[Colors]\n") + c.colors + "\n"), 1280, 1024, "Sans", 9);
    EXPECT_EQ(s.Colors.ScattDot, c.dot) << c.colors;
    EXPECT_EQ(s.Colors.ColormapSize, c.levels) << c.colors;
  }
  const TMainSettings s = ReadMainSettings(
      dir.Write("c.INI",
                "[colors]\r\nvar3=255\r\nclr9=abc\r\n[Misc]\r\nOpenDir=/a, b/\r\n"
                "[Fonts]\r\nName1=Serif\r\nSize0=14\r\n[Window]\r\nToolbar=0\r\nRTUpdate=7\r\n"),
      1280, 1024, "Sans", 9);
  EXPECT_EQ(s.Colors.var[3], 255);
  EXPECT_EQ(s.Colors.clr[9], 0);
  EXPECT_EQ(s.OpenDir, "/a, b/");
  EXPECT_EQ(s.Fonts[1].Name, "Serif");
  EXPECT_EQ(s.Fonts[0].Size, 14);
  EXPECT_EQ(s.Fonts[0].Name, "Sans");
  EXPECT_FALSE(s.Toolbar);
  EXPECT_TRUE(s.RTUpdate);
}

TEST(Settings, FrameAndPrintValues) {
  TempDir dir;
  struct Case {
    const char* text;
    TFrameSettings expected;
  };
  const Case cases[] = {
      {"", {50, false, 800, 600, 5, 3}},
      {"[Export]\nJPEGCompression=101\nImageWidth=15\nImageHeight=10001\n[Interface]"
       "\nSelectionMode=4\nMouseSensitivity=-3",
       {50, false, 800, 600, -3, 3}},
      {"[Export]\nJPEGCompression=0\nNotWindowSize=1\nImageWidth=16\nImageHeight=10000\n[Interface]"
       "\nSelectionMode=0",
       {0, true, 16, 10000, 5, 0}},
  };
  for (const Case& c : cases) {
    const TFrameSettings s = ReadFrameSettings(dir.Write("f.INI", c.text));
    EXPECT_EQ(s.JPEGCompression, c.expected.JPEGCompression) << c.text;
    EXPECT_EQ(s.NotWindowSize, c.expected.NotWindowSize) << c.text;
    EXPECT_EQ(s.ImageWidth, c.expected.ImageWidth) << c.text;
    EXPECT_EQ(s.ImageHeight, c.expected.ImageHeight) << c.text;
    EXPECT_EQ(s.MouseSensitivity, c.expected.MouseSensitivity) << c.text;
    EXPECT_EQ(s.SelectionMode, c.expected.SelectionMode) << c.text;
  }
  const TPrintSettings p = ReadPrintSettings(dir.File("none.INI"));
  EXPECT_EQ(p.Scale, 90);
  EXPECT_EQ(p.Flags, 15);
  EXPECT_FALSE(p.BW);
}

// The four owners open the file each by itself: every section and any key the
// program does not know survive their writes.
TEST(Settings, OwnersWritingInTurnKeepEverything) {
  TempDir dir;
  const std::string path = dir.Write(
      "t.INI",
      "; written by hand\r\n[Other]\r\nKeep=me\r\n[View]\r\nFuture=1\r\n[MRU]\r\n3=/old.sam\r\n");
  TMainSettings m = ReadMainSettings(path, 1280, 1024, "Sans", 9);
  m.Placement = {10, 20, 300, 400};
  m.Maximized = true;
  m.Mru = {"/a.sam", "", "/c, d.sam", ""};
  m.Colors.var[0] = 0x123456;
  WriteMainSettings(path, m, false);  // maximised: the placement is not written
  TViewSettings v;
  v.PlotType = 4;
  WriteViewSettings(path, v);
  TFrameSettings f;
  f.ImageWidth = 1024;
  WriteFrameSettings(path, f);
  TPrintSettings p;
  p.BW = true;
  WritePrintSettings(path, p);

  const std::string text = Slurp(path);
  for (const char* line :
       {"[Other]\r\nKeep=me\r\n", "Future=1\r\n", "PlotType=4\r\n", "ImageWidth=1024\r\n",
        "BW=1\r\n", "Maximized=1\r\n", "var0=1193046\r\n", "0=/a.sam\r\n", "2=/c, d.sam\r\n",
        "UndoSize=13\r\n", "SelectionMode=3\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(text.find("Top="), std::string::npos);
  EXPECT_EQ(text.find("3=/old.sam"), std::string::npos);  // an empty entry deletes its key
  EXPECT_EQ(text.find("\n1="), std::string::npos);

  const TMainSettings back = ReadMainSettings(path, 1280, 1024, "Sans", 9);
  EXPECT_EQ(back.Mru[2], "/c, d.sam");
  EXPECT_EQ(back.Colors.var[0], 0x123456);
  EXPECT_TRUE(back.Maximized);
  EXPECT_EQ(ReadViewSettings(path).PlotType, 4);
  EXPECT_EQ(ReadFrameSettings(path).ImageWidth, 1024);
  EXPECT_TRUE(ReadPrintSettings(path).BW);

  m.Maximized = false;
  WriteMainSettings(path, m, true);
  EXPECT_EQ(ReadMainSettings(path, 1280, 1024, "Sans", 9).Placement.Width, 300);
}

TEST(Settings, UnwritableFileIsSilent) {
  TempDir dir;
  EXPECT_NO_THROW(WriteViewSettings(dir.File("no/such/dir/t.INI"), TViewSettings{}));
  EXPECT_EQ(ReadViewSettings(dir.File("no/such/dir/t.INI")).UndoSize, 13);
}

}  // namespace
