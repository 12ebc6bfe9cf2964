// The PNG writer, decoded by an independent decoder (zlib inflate
// and an unfilter of all five filter types written here, and Qt's QImage when
// the GUI is built).
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "png_writer.h"
#include "test_support.h"

#ifdef TESVANE_TEST_QIMAGE
#include <QtGui/QImage>
#endif

namespace tesvane {
namespace {

struct TChunk {
  std::string Type;
  std::vector<uint8_t> Data;
};

uint32_t BigEndian(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

std::vector<TChunk> Chunks(const std::vector<uint8_t>& file) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_TRUE(file.size() >= 8 && std::equal(signature, signature + 8, file.begin()));
  std::vector<TChunk> chunks;
  size_t pos = 8;
  while (pos + 12 <= file.size()) {
    const uint32_t length = BigEndian(&file[pos]);
    TChunk c;
    c.Type.assign(reinterpret_cast<const char*>(&file[pos + 4]), 4);
    c.Data.assign(file.begin() + static_cast<std::ptrdiff_t>(pos + 8),
                  file.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length));
    const uint32_t crc = BigEndian(&file[pos + 8 + length]);
    const std::vector<uint8_t> typeAndData(
        file.begin() + static_cast<std::ptrdiff_t>(pos + 4),
        file.begin() + static_cast<std::ptrdiff_t>(pos + 8 + length));
    EXPECT_EQ(crc, static_cast<uint32_t>(
                       ::crc32(0, typeAndData.data(), static_cast<uInt>(typeAndData.size()))))
        << c.Type;
    chunks.push_back(std::move(c));
    pos += 12 + length;
  }
  EXPECT_EQ(pos, file.size());
  return chunks;
}

// Decodes a non-interlaced 8-bit RGB or indexed PNG into top-down RGB bytes.
std::vector<uint8_t> Decode(const std::vector<uint8_t>& file, int& width, int& height) {
  auto chunks = Chunks(file);
  EXPECT_EQ(chunks.front().Type, "IHDR");
  const auto& h = chunks.front().Data;
  width = static_cast<int>(BigEndian(&h[0]));
  height = static_cast<int>(BigEndian(&h[4]));
  const int depth = h[8], colorType = h[9];
  EXPECT_EQ(depth, 8);
  std::vector<uint8_t> palette, idat;
  for (const auto& c : chunks) {
    if (c.Type == "PLTE") palette = c.Data;
    if (c.Type == "IDAT") idat.insert(idat.end(), c.Data.begin(), c.Data.end());
  }
  const int bpp = colorType == 2 ? 3 : 1;
  const size_t stride = static_cast<size_t>(width * bpp);
  std::vector<uint8_t> raw((stride + 1) * static_cast<size_t>(height));
  uLongf rawSize = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(raw.data(), &rawSize, idat.data(), static_cast<uLong>(idat.size())), Z_OK);
  EXPECT_EQ(rawSize, raw.size());
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = &raw[static_cast<size_t>(y) * (stride + 1)];
    uint8_t* out = &pixels[static_cast<size_t>(y) * stride];
    const uint8_t* up = y > 0 ? out - stride : nullptr;
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= static_cast<size_t>(bpp) ? out[i - static_cast<size_t>(bpp)] : 0;
      const int b = up ? up[i] : 0;
      const int c = (up && i >= static_cast<size_t>(bpp)) ? up[i - static_cast<size_t>(bpp)] : 0;
      int pred = 0;
      switch (in[0]) {
        case 0: pred = 0; break;
        case 1: pred = a; break;
        case 2: pred = b; break;
        case 3: pred = (a + b) / 2; break;
        case 4: {
          const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          pred = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
          break;
        }
        default: ADD_FAILURE() << "filter " << int{in[0]};
      }
      out[i] = static_cast<uint8_t>(in[1 + i] + pred);
    }
  }
  if (colorType == 2) return pixels;
  std::vector<uint8_t> rgb;
  for (uint8_t index : pixels)
    for (int k = 0; k < 3; ++k) rgb.push_back(palette[3 * index + static_cast<size_t>(k)]);
  return rgb;
}

TEST(PngWriter, OneWhitePixel) {
  for (int bits : {24, 32}) {
    TBitmap b;
    b.Width = 1;
    b.Height = 1;
    b.BitsPerPixel = bits;
    b.Pixels.assign(static_cast<size_t>(bits / 8), 0xFF);
    TPNGObject png;
    png.Assign(b);
    EXPECT_EQ(png.ChunkTypes(), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    auto bytes = png.Bytes();
    auto chunks = Chunks(bytes);
    EXPECT_EQ(chunks[0].Data, (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0}));
    std::vector<uint8_t> raw(4);
    uLongf size = 4;
    ASSERT_EQ(uncompress(raw.data(), &size, chunks[1].Data.data(),
                         static_cast<uLong>(chunks[1].Data.size())),
              Z_OK);
    // Sub filter; nothing lies one pixel to the left of the only pixel.
    EXPECT_EQ(raw, (std::vector<uint8_t>{1, 0xFF, 0xFF, 0xFF}));
    EXPECT_TRUE(chunks[2].Data.empty());
  }
}

TEST(PngWriter, RgbImageDecodesToTheSamePixels) {
  const int w = 37, h = 23;
  std::vector<uint8_t> rgb;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      rgb.push_back(static_cast<uint8_t>(x * 7));
      rgb.push_back(static_cast<uint8_t>(y * 11));
      rgb.push_back(static_cast<uint8_t>((x * y) ^ 0x5A));
    }
  TPNGObject png;
  png.Assign(TBitmap::FromRgb(w, h, rgb));
  int dw = 0, dh = 0;
  EXPECT_EQ(Decode(png.Bytes(), dw, dh), rgb);
  EXPECT_EQ(dw, w);
  EXPECT_EQ(dh, h);
#ifdef TESVANE_TEST_QIMAGE
  auto bytes = png.Bytes();
  QImage image;
  ASSERT_TRUE(image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "PNG"));
  ASSERT_EQ(image.width(), w);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const QRgb p = image.pixel(x, y);
      const size_t i = 3 * static_cast<size_t>(y * w + x);
      EXPECT_EQ(qRed(p), rgb[i]);
      EXPECT_EQ(qGreen(p), rgb[i + 1]);
      EXPECT_EQ(qBlue(p), rgb[i + 2]);
    }
#endif
}

TEST(PngWriter, PaletteImageHasAFullPlte) {
  TBitmap b;
  b.Width = 5;
  b.Height = 3;
  b.BitsPerPixel = 8;
  for (int i = 0; i < 256; ++i)
    b.Palette.push_back(
        TRgb{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)});
  for (int i = 0; i < 15; ++i) b.Pixels.push_back(static_cast<uint8_t>(i * 17));
  TPNGObject png;
  png.Assign(b);
  auto bytes = png.Bytes();
  auto chunks = Chunks(bytes);
  EXPECT_EQ(chunks[0].Data[8], 8);
  EXPECT_EQ(chunks[0].Data[9], 3);
  EXPECT_EQ(chunks[1].Type, "PLTE");
  EXPECT_EQ(chunks[1].Data.size(), 768u);
  int w, h;
  auto rgb = Decode(bytes, w, h);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(rgb[3 * static_cast<size_t>(i)], i * 17);
    EXPECT_EQ(rgb[3 * static_cast<size_t>(i) + 1], 255 - i * 17);
  }
}

TEST(PngWriter, LargeImageIsSplitIntoFullIdatChunks) {
  const int w = 400, h = 300;
  std::mt19937 rng(1);
  std::vector<uint8_t> rgb(static_cast<size_t>(w * h * 3));
  for (auto& v : rgb) v = static_cast<uint8_t>(rng());
  TPNGObject png;
  png.Assign(TBitmap::FromRgb(w, h, rgb));
  auto bytes = png.Bytes();
  auto chunks = Chunks(bytes);
  size_t idats = 0;
  for (size_t i = 0; i < chunks.size(); ++i) {
    if (chunks[i].Type != "IDAT") continue;
    ++idats;
    if (chunks[i + 1].Type == "IDAT") {
      EXPECT_EQ(chunks[i].Data.size(), 65535u);
    }
  }
  EXPECT_GE(idats, 5u);
  int dw, dh;
  EXPECT_EQ(Decode(bytes, dw, dh), rgb);
  test::TTempDir dir;
  png.SaveToFile(dir.File("chart.png"));
  auto text = test::ReadText(dir.File("chart.png"));
  EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.end()), bytes);
  EXPECT_THROW(png.SaveToFile(dir.File("missing/chart.png")), ESensitivityError);
}

TEST(PngWriter, CrcOfTheStandardAndBadBitmaps) {
  const uint8_t iend[] = {'I', 'E', 'N', 'D'};
  EXPECT_EQ(PngCrc32(iend, 4), 0xAE426082u);
  TPNGObject png;
  TBitmap b;
  b.BitsPerPixel = 12;
  EXPECT_THROW(png.Assign(b), ESensitivityError);
  b.BitsPerPixel = 24;
  EXPECT_THROW(png.Assign(b), ESensitivityError);  // empty
}

}  // namespace
}  // namespace tesvane
