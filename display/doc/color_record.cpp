#include "doc/color_record.h"

namespace {

// clang-format off
constexpr TColor kColorVars[20] = {
    0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x808000, 0x008080, 0x800080, 0x808080, 0x800000, 0x008000,
    0x000080, 0x808000, 0x004040, 0x400040, 0xFF8080, 0x80FF80, 0x8080FF, 0xFFFF80, 0x80FFFF, 0xFF80FF};
constexpr TColor kColorVals[20] = {
    0x000000, 0x0000FF, 0x008000, 0xFF0000, 0x000080, 0x008080, 0x800000, 0xFFFF00, 0x00FFFF, 0x800080,
    0x808080, 0xFF00FF, 0x808080, 0x00FF00, 0xC0C0C0, 0xC0C0C0, 0x808000, 0xFFFFFF, 0x000000, 0x000000};
constexpr TColor kColorClrs[10] = {
    0xFFFFFF, 0x000000, 0x000000, 0x808000, 0x000000, 0x808080, 0x808080, 0x0000FF, 0x0000FF, 0x000000};
// The grayscale list serves as variable and colour-map colours alike.
constexpr TColor kGrayList[20] = {
    0x000000, 0x808080, 0xC0C0C0, 0x404040, 0xE0E0E0, 0xA0A0A0, 0x606060, 0x202020, 0xD0D0D0, 0xA0A0A0,
    0x909090, 0x707070, 0x505050, 0x303030, 0x101010, 0x000000, 0x808080, 0xC0C0C0, 0x404040, 0xE0E0E0};
constexpr TColor kGrayClrs[10] = {
    0xFFFFFF, 0x000000, 0x000000, 0x808080, 0x000000, 0x808080, 0x808080, 0xFFFFFF, 0x000000, 0x000000};
// clang-format on

}  // namespace

TColorRecord ColorPreset(int tag) {
  TColorRecord r{};
  const bool gray = tag == PresetDefaultGrayscale;
  for (int i = 0; i < 20; ++i) {
    r.var[i] = gray ? kGrayList[i] : kColorVars[i];
    r.val[i] = gray ? kGrayList[i] : kColorVals[i];
  }
  for (int i = 0; i < 10; ++i) r.clr[i] = gray ? kGrayClrs[i] : kColorClrs[i];
  r.ColormapSize = DefaultColormapSize;
  r.ScattDot = DefaultScattDot;
  return r;
}

TColorRecord ColorRecord = ColorPreset(PresetDefaultColor);

void ApplyGrayscalePrintSet(TColorRecord& colors) {
  for (int i = 0; i < 20; ++i) colors.var[i] = colors.val[i] = kGrayList[i];
  for (int i = 0; i < 10; ++i) colors.clr[i] = kGrayClrs[i];
}

TPalette BuildPalette(const TColorRecord& colors) {
  TPalette p{};
  for (int i = 0; i < 20; ++i) {
    p[PaletteVar + i] = ColorToRgb(colors.var[i]);
    p[PaletteVal + i] = ColorToRgb(colors.val[i]);
  }
  for (int i = 0; i < 10; ++i) p[PaletteClr + i] = ColorToRgb(colors.clr[i]);
  // The rest carries no drawing colour: a fixed 6 x 6 x 6 colour cube.
  for (int i = PaletteOwn; i < PaletteSize; ++i) {
    const int k = i - PaletteOwn;
    const std::uint32_t r = (k / 36) % 6 * 51, g = (k / 6) % 6 * 51, b = k % 6 * 51;
    p[i] = 0xff000000u | (r << 16) | (g << 8) | b;
  }
  return p;
}

QString LevelCaption(int i, int levels, const QLocale& locale) {
  const float a = 1.0f / static_cast<float>(levels);
  if (static_cast<float>(i) * a >= 1.0f) return QStringLiteral("not used");
  return locale.toString(static_cast<double>(static_cast<float>(i) * a), 'f', 2) +
         QStringLiteral(" - ") +
         locale.toString(static_cast<double>(static_cast<float>(i + 1) * a), 'f', 2);
}
