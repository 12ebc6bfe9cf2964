// The PNG writer of the chart export. A bitmap of 16, 24 or 32
// bits per pixel is written as 8-bit RGB (colour type 2); a bitmap of 1, 4 or
// 8 bits per pixel as an indexed image (colour type 3) with a PLTE of 2^b
// entries. Rows are Sub-filtered and deflated by zlib at level 7 into IDAT
// chunks of at most 65535 bytes. No other chunk than IHDR, PLTE, tRNS, IDAT
// and IEND is written.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tesvane {

struct TRgb {
  uint8_t Red = 0, Green = 0, Blue = 0;
};

// A bitmap as the platform hands it over: rows top-down, each row packed
// without padding. 24 bits: blue, green, red per pixel; 32 bits: blue, green,
// red, unused; 16 bits: 5-5-5 little-endian (bits 10-14 red, 5-9 green, 0-4
// blue); 1, 4 and 8 bits: palette indices packed from the high bits.
struct TBitmap {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitsPerPixel = 24;
  std::vector<uint8_t> Pixels;
  std::vector<TRgb> Palette;  // up to 256 entries for 1, 4 and 8 bits
  bool Transparent = false;
  TRgb TransparentColor;

  int32_t RowBytes() const { return (Width * BitsPerPixel + 7) / 8; }
  // A 24-bit bitmap from top-down rows of red, green, blue bytes.
  static TBitmap FromRgb(int32_t width, int32_t height, const std::vector<uint8_t>& rgb);
};

// The CRC-32 of the PNG standard (polynomial 0xEDB88320, table built on first use).
uint32_t PngCrc32(const uint8_t* data, size_t size, uint32_t crc = 0);

class TPNGObject {
 public:
  // The encoder settings the export uses.
  static constexpr int32_t CompressionLevel = 7;
  static constexpr int32_t MaxIdatSize = 65535;

  // Lists the chunks of the bitmap: IHDR, PLTE when b < 16, tRNS when the
  // bitmap is transparent, IDAT, IEND. Raises ESensitivityError for a bitmap
  // of an unsupported depth or an empty one.
  void Assign(const TBitmap& bitmap);
  void SaveToStream(std::ostream& out) const;
  // Through a temporary file beside it; raises ESensitivityError naming the file.
  void SaveToFile(const std::string& path) const;
  // The whole file as bytes.
  std::vector<uint8_t> Bytes() const;

  // The chunk types in list order ("IHDR", "PLTE", ...).
  std::vector<std::string> ChunkTypes() const;

 private:
  struct TDib {
    // Device-independent bitmap: rows bottom-up, padded to 4 bytes; 24 bits
    // blue, green, red; or 1, 4, 8 bits of indices with a colour table.
    int32_t Width = 0, Height = 0, Bits = 24;
    std::vector<uint8_t> Rows;
    int32_t Stride = 0;
    std::vector<TRgb> Colors;
  };
  void WriteChunk(std::vector<uint8_t>& out, const char* type,
                  const std::vector<uint8_t>& data) const;
  void WriteIdat(std::vector<uint8_t>& out) const;

  bool assigned_ = false;
  bool hasPalette_ = false;
  bool hasTrns_ = false;
  uint8_t bitDepth_ = 8, colorType_ = 2;
  TDib dib_;
  TRgb transparentColor_;
};

}  // namespace tesvane
