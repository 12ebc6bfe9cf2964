#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "doc/color_record.h"
#include "doc/palette_file.h"
#include "sample_files.h"

namespace {

using testfiles::TempDir;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

std::string FirstLines(const std::string& text, int n) {
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) pos = text.find('\n', pos) + 1;
  return text.substr(0, pos);
}

TEST(Colors, DefaultColorPaletteFileByteForByte) {
  TempDir dir;
  const std::string path = dir.File("d.pal");
  ASSERT_TRUE(WritePaletteFile(path, ColorPreset(PresetDefaultColor)));
  // Version, levels, dot size; then colour-map and variable colour by turns;
  // then element colours 0 ... 8.
  const char* lines[] = {
      "1.000000", "4",      "10",     "000000", "000000", "0000FF", "FF0000", "008000", "00FF00",
      "FF0000",   "0000FF", "000080", "808000", "008080", "008080", "800000", "800080", "FFFF00",
      "808080",   "00FFFF", "800000", "800080", "008000", "808080", "000080", "FF00FF", "808000",
      "808080",   "004040", "00FF00", "400040", "C0C0C0", "FF8080", "C0C0C0", "80FF80", "808000",
      "8080FF",   "FFFFFF", "FFFF80", "000000", "80FFFF", "000000", "FF80FF", "FFFFFF", "000000",
      "000000",   "808000", "000000", "808080", "808080", "0000FF", "0000FF"};
  std::string expected;
  for (const char* l : lines) expected += std::string(l) + "\r\n";
  EXPECT_EQ(Slurp(path), expected);
}

TEST(Colors, PaletteFileRoundTripAndDamage) {
  TempDir dir;
  TColorRecord x{};
  for (int i = 0; i < 52; ++i) x.Values()[i] = (i * 0x3A5F17) & 0xffffff;
  x.ColormapSize = 7;
  x.ScattDot = 13;
  const std::string path = dir.File("x.pal");
  ASSERT_TRUE(WritePaletteFile(path, x));
  TColorRecord y = ColorPreset(PresetDefaultColor);
  y.clr[9] = x.clr[9];  // never in the file
  ASSERT_TRUE(ReadPaletteFile(path, y));
  EXPECT_EQ(y, x);

  const TColorRecord shown = ColorPreset(PresetDefaultGrayscale);
  struct Case {
    const char* what;
    std::string text;
    bool read;
    int levels, dot;
  };
  const Case cases[] = {
      {"levels and dot out of range", "1.0\n25\n0\n", true, 1, 1},
      {"version 2.0", "2.0\n7\n7\n", false, 4, 10},
      {"unreadable version", "abc\n7\n7\n", false, 4, 10},
      {"cut after line 10", FirstLines(Slurp(path), 10), true, 7, 13},
  };
  for (const Case& c : cases) {
    TColorRecord r = shown;
    EXPECT_EQ(ReadPaletteFile(dir.Write("c.pal", c.text), r), c.read) << c.what;
    EXPECT_EQ(r.ColormapSize, c.levels) << c.what;
    EXPECT_EQ(r.ScattDot, c.dot) << c.what;
  }
  // Cut after line 10: colour-map 0 ... 3 and variable 0 ... 2 come from the
  // file, the rest stays as shown.
  TColorRecord cut = shown;
  ReadPaletteFile(dir.Write("c.pal", FirstLines(Slurp(path), 10)), cut);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(cut.val[i], i <= 3 ? x.val[i] : shown.val[i]) << i;
    EXPECT_EQ(cut.var[i], i <= 2 ? x.var[i] : shown.var[i]) << i;
  }
  EXPECT_EQ(0, std::memcmp(cut.clr, shown.clr, sizeof cut.clr));

  // Colours are kept to 24 bits, element colours too; %i reads hex and octal.
  TColorRecord m = shown;
  std::string text = "1.0\n0x3\n010\n";
  for (int i = 0; i < 40; ++i) text += "1ABCDEF\n";
  text += "FF123456\n";
  ASSERT_TRUE(ReadPaletteFile(dir.Write("m.pal", text), m));
  EXPECT_EQ(m.ColormapSize, 3);
  EXPECT_EQ(m.ScattDot, 8);
  EXPECT_EQ(m.val[19], 0xABCDEF);
  EXPECT_EQ(m.clr[0], 0x123456);
  EXPECT_EQ(m.clr[1], shown.clr[1]);

  TColorRecord untouched = shown;
  EXPECT_FALSE(ReadPaletteFile(dir.File("none.pal"), untouched));
  EXPECT_EQ(untouched, shown);
  EXPECT_FALSE(WritePaletteFile(dir.File("no/such/dir.pal"), shown));
}

TEST(Colors, PaletteLayout) {
  TColorRecord c = ColorPreset(PresetDefaultColor);
  const TPalette p = BuildPalette(c);
  EXPECT_EQ(p[0], 0xff000000u);
  EXPECT_EQ(p[1], 0xff0000ffu);   // var1 = FF0000: pure blue
  EXPECT_EQ(p[21], 0xffff0000u);  // val1 = 0000FF: pure red
  EXPECT_EQ(p[40], 0xffffffffu);  // clr0, the background
  EXPECT_EQ(p[43], 0xff008080u);  // clr3 = 808000: teal
  EXPECT_EQ(p[47], 0xffff0000u);  // clr7
  EXPECT_EQ(p[48], 0xffff0000u);  // clr8
  ApplyGrayscalePrintSet(c);
  EXPECT_EQ(c.clr[7], 0xFFFFFF);
  EXPECT_EQ(c.var[1], 0x808080);
  EXPECT_EQ(c.val[14], 0x101010);
  EXPECT_EQ(c.ColormapSize, 4);
}

TEST(Colors, LevelCaptions) {
  const QLocale c(QLocale::C), de(QLocale::German, QLocale::Germany);
  EXPECT_EQ(LevelCaption(0, 4, c), "0.00 - 0.25");
  EXPECT_EQ(LevelCaption(3, 4, c), "0.75 - 1.00");
  EXPECT_EQ(LevelCaption(4, 4, c), "not used");
  EXPECT_EQ(LevelCaption(0, 3, c), "0.00 - 0.33");
  EXPECT_EQ(LevelCaption(1, 3, c), "0.33 - 0.67");
  EXPECT_EQ(LevelCaption(2, 3, c), "0.67 - 1.00");
  EXPECT_EQ(LevelCaption(3, 3, c), "not used");
  EXPECT_EQ(LevelCaption(19, 20, c), "0.95 - 1.00");
  EXPECT_EQ(LevelCaption(1, 4, de), "0,25 - 0,50");
  EXPECT_EQ(LevelCaption(2, 3, de), "0,67 - 1,00");
}

}  // namespace
