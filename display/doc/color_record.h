// The colours of the plots: one record of 52 integers (variable colours,
// colour-map size and colours, element colours, scatter dot size), its two
// presets, the grayscale set used for printing and the 256-entry palette of the
// plot bitmap built from it.
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

// A colour is a 24-bit value held as blue x 65536 + green x 256 + red.
using TColor = std::int32_t;

struct TColorRecord {
  TColor var[20];             // variable colours (density, histogram)
  std::int32_t ColormapSize;  // colour-map levels, 1 ... 20
  TColor val[20];             // colour-map colours (cobwebs)
  TColor clr[10];             // element colours
  std::int32_t ScattDot;      // scatter dot size, 1 ... 20

  std::int32_t* Values() { return var; }
  const std::int32_t* Values() const { return var; }
  friend bool operator==(const TColorRecord&, const TColorRecord&) = default;
};
static_assert(sizeof(TColorRecord) == 52 * 4);
static_assert(offsetof(TColorRecord, ColormapSize) == 20 * 4);
static_assert(offsetof(TColorRecord, val) == 21 * 4);
static_assert(offsetof(TColorRecord, clr) == 41 * 4);
static_assert(offsetof(TColorRecord, ScattDot) == 51 * 4);

// Roles of the element colours.
enum : int {
  ClrBackground = 0,
  ClrLines = 1,
  ClrText = 2,
  ClrFill = 3,
  ClrDot = 4,
  ClrSelection = 5,
  ClrNotSelected = 6,
  ClrSelected = 7,
  ClrAxis = 8,
};

// Palette layout of the plot bitmap.
inline constexpr int PaletteVar = 0;   // 0 ... 19: variable colours
inline constexpr int PaletteVal = 20;  // 20 ... 39: colour-map colours
inline constexpr int PaletteClr = 40;  // 40 ... 49: element colours
inline constexpr int PaletteOwn = 50;  // entries the record defines
inline constexpr int PaletteSize = 256;

inline constexpr std::int32_t DefaultScattDot = 10;
inline constexpr std::int32_t DefaultColormapSize = 4;

// Preset tags of the colour dialog's "Preset" menu.
enum : int { PresetDefaultColor = 0, PresetDefaultGrayscale = 1 };
TColorRecord ColorPreset(int tag);

// The record the program draws with; starts as "Default Color".
extern TColorRecord ColorRecord;

// Copies the grayscale print set over the element, variable and colour-map
// colours (levels and dot size stay).
void ApplyGrayscalePrintSet(TColorRecord& colors);

// 0xffRRGGBB of a colour, the form the images use.
constexpr std::uint32_t ColorToRgb(TColor c) {
  return 0xff000000u | (static_cast<std::uint32_t>(c & 0xff) << 16) |
         (static_cast<std::uint32_t>(c & 0xff00)) | ((static_cast<std::uint32_t>(c) >> 16) & 0xff);
}

// The 256 entries of the plot bitmap's palette, as 0xffRRGGBB.
using TPalette = std::array<std::uint32_t, PaletteSize>;
TPalette BuildPalette(const TColorRecord& colors);

// Caption of colour-map item i with the given number of levels: "0.00 - 0.25"
// (the locale's decimal separator) or "not used".
QString LevelCaption(int i, int levels, const QLocale& locale = QLocale());
