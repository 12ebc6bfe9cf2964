#include "png_writer.h"

#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

#include "replacing_file.h"
#include "sample_store.h"

namespace tesvane {

namespace {

const uint32_t* CrcTable() {
  static uint32_t table[256];
  static std::once_flag once;
  std::call_once(once, []() {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
  });
  return table;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  out.push_back(static_cast<uint8_t>(v >> 16));
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

}  // namespace

uint32_t PngCrc32(const uint8_t* data, size_t size, uint32_t crc) {
  const uint32_t* table = CrcTable();
  uint32_t c = crc ^ 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

TBitmap TBitmap::FromRgb(int32_t width, int32_t height, const std::vector<uint8_t>& rgb) {
  TBitmap b;
  b.Width = width;
  b.Height = height;
  b.BitsPerPixel = 24;
  b.Pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0; i + 2 < b.Pixels.size() && i + 2 < rgb.size(); i += 3) {
    b.Pixels[i] = rgb[i + 2];
    b.Pixels[i + 1] = rgb[i + 1];
    b.Pixels[i + 2] = rgb[i];
  }
  return b;
}

void TPNGObject::Assign(const TBitmap& bitmap) {
  const int32_t b = bitmap.BitsPerPixel;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
    throw ESensitivityError("A bitmap of " + std::to_string(b) +
                            " bits per pixel cannot be saved as PNG");
  const int32_t width = bitmap.Width;
  const int32_t height = bitmap.Height < 0 ? -bitmap.Height : bitmap.Height;
  if (width <= 0 || height <= 0 || width > (1 << 24) || height > (1 << 24))
    throw ESensitivityError("An empty bitmap cannot be saved as PNG");
  const size_t rowBytes = static_cast<size_t>(bitmap.RowBytes());
  if (bitmap.Pixels.size() < rowBytes * static_cast<size_t>(height))
    throw ESensitivityError("The bitmap holds fewer pixels than its size");

  hasPalette_ = b < 16;
  hasTrns_ = bitmap.Transparent;
  transparentColor_ = bitmap.TransparentColor;
  bitDepth_ = static_cast<uint8_t>(hasPalette_ ? b : 8);
  colorType_ = hasPalette_ ? 3 : 2;

  // The pixels enter a device-independent bitmap of the chosen format.
  dib_ = TDib();
  dib_.Width = width;
  dib_.Height = height;
  dib_.Bits = hasPalette_ ? b : 24;
  dib_.Stride = ((width * dib_.Bits + 31) / 32) * 4;
  dib_.Rows.assign(static_cast<size_t>(dib_.Stride) * static_cast<size_t>(height), 0);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* src = bitmap.Pixels.data() + rowBytes * static_cast<size_t>(y);
    uint8_t* dst =
        dib_.Rows.data() + static_cast<size_t>(dib_.Stride) * static_cast<size_t>(height - 1 - y);
    if (hasPalette_) {
      std::memcpy(dst, src, rowBytes);
    } else if (b == 24) {
      std::memcpy(dst, src, static_cast<size_t>(width) * 3);
    } else if (b == 32) {
      for (int32_t x = 0; x < width; ++x) std::memcpy(dst + 3 * x, src + 4 * x, 3);
    } else {  // 16 bits, 5-5-5
      for (int32_t x = 0; x < width; ++x) {
        const uint16_t v = static_cast<uint16_t>(src[2 * x] | (src[2 * x + 1] << 8));
        auto expand = [](int c) { return static_cast<uint8_t>((c << 3) | (c >> 2)); };
        dst[3 * x] = expand(v & 31);
        dst[3 * x + 1] = expand((v >> 5) & 31);
        dst[3 * x + 2] = expand((v >> 10) & 31);
      }
    }
  }
  if (hasPalette_) {
    dib_.Colors.assign(static_cast<size_t>(1) << b, TRgb{});
    for (size_t i = 0; i < bitmap.Palette.size() && i < dib_.Colors.size(); ++i)
      dib_.Colors[i] = bitmap.Palette[i];
  }
  assigned_ = true;
}

std::vector<std::string> TPNGObject::ChunkTypes() const {
  std::vector<std::string> t{"IHDR"};
  if (hasPalette_) t.push_back("PLTE");
  if (hasTrns_) t.push_back("tRNS");
  t.push_back("IDAT");
  t.push_back("IEND");
  return t;
}

void TPNGObject::WriteChunk(std::vector<uint8_t>& out, const char* type,
                            const std::vector<uint8_t>& data) const {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian(out, PngCrc32(out.data() + start, out.size() - start));
}

void TPNGObject::WriteIdat(std::vector<uint8_t>& out) const {
  z_stream zs{};
  if (deflateInit(&zs, CompressionLevel) != Z_OK)
    throw ESensitivityError("zlib cannot start deflate");
  std::vector<uint8_t> buffer(MaxIdatSize);
  zs.next_out = buffer.data();
  zs.avail_out = static_cast<uInt>(buffer.size());
  auto drain = [&](int flush) {
    while (true) {
      const int rc = deflate(&zs, flush);
      if (rc == Z_STREAM_ERROR) throw ESensitivityError("zlib deflate failed");
      const bool full = zs.avail_out == 0;
      if (full) {
        WriteChunk(out, "IDAT", buffer);
        zs.next_out = buffer.data();
        zs.avail_out = static_cast<uInt>(buffer.size());
      }
      if (flush == Z_FINISH) {
        if (rc == Z_STREAM_END) return;
      } else if (!full && zs.avail_in == 0) {
        return;
      }
    }
  };
  const int32_t bpp = dib_.Bits == 24 ? 3 : 1;  // bytes one pixel back for the Sub filter
  const size_t rowBytes = static_cast<size_t>((dib_.Width * dib_.Bits + 7) / 8);
  std::vector<uint8_t> raw(rowBytes), filtered(rowBytes + 1);
  for (int32_t y = 0; y < dib_.Height; ++y) {
    // Top row first: the buffer's last stored row.
    const uint8_t* src = dib_.Rows.data() + static_cast<size_t>(dib_.Stride) *
                                                static_cast<size_t>(dib_.Height - 1 - y);
    if (dib_.Bits == 24) {
      for (int32_t x = 0; x < dib_.Width; ++x) {
        raw[3 * static_cast<size_t>(x)] = src[3 * x + 2];
        raw[3 * static_cast<size_t>(x) + 1] = src[3 * x + 1];
        raw[3 * static_cast<size_t>(x) + 2] = src[3 * x];
      }
    } else {
      std::memcpy(raw.data(), src, rowBytes);
    }
    filtered[0] = 1;  // Sub
    for (size_t i = 0; i < rowBytes; ++i)
      filtered[i + 1] = static_cast<uint8_t>(
          raw[i] - (i >= static_cast<size_t>(bpp) ? raw[i - static_cast<size_t>(bpp)] : 0));
    zs.next_in = filtered.data();
    zs.avail_in = static_cast<uInt>(filtered.size());
    drain(Z_NO_FLUSH);
  }
  zs.next_in = nullptr;
  zs.avail_in = 0;
  drain(Z_FINISH);
  const size_t rest = buffer.size() - zs.avail_out;
  if (rest > 0)
    WriteChunk(
        out, "IDAT",
        std::vector<uint8_t>(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(rest)));
  deflateEnd(&zs);
}

std::vector<uint8_t> TPNGObject::Bytes() const {
  if (!assigned_) throw ESensitivityError("No bitmap was assigned to the PNG image");
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  std::vector<uint8_t> ihdr;
  PutBigEndian(ihdr, static_cast<uint32_t>(dib_.Width));
  PutBigEndian(ihdr, static_cast<uint32_t>(dib_.Height));
  ihdr.push_back(bitDepth_);
  ihdr.push_back(colorType_);
  ihdr.push_back(0);
  ihdr.push_back(0);
  ihdr.push_back(0);
  WriteChunk(out, "IHDR", ihdr);
  if (hasPalette_) {
    std::vector<uint8_t> plte;
    for (const TRgb& c : dib_.Colors) {
      plte.push_back(c.Red);
      plte.push_back(c.Green);
      plte.push_back(c.Blue);
    }
    WriteChunk(out, "PLTE", plte);
  }
  if (hasTrns_) {
    std::vector<uint8_t> trns;
    if (hasPalette_) {
      // One alpha byte per palette entry: the transparent colour's entries are 0.
      for (const TRgb& c : dib_.Colors)
        trns.push_back((c.Red == transparentColor_.Red && c.Green == transparentColor_.Green &&
                        c.Blue == transparentColor_.Blue)
                           ? 0
                           : 255);
    } else {
      for (uint8_t v : {transparentColor_.Red, transparentColor_.Green, transparentColor_.Blue}) {
        trns.push_back(0);
        trns.push_back(v);
      }
    }
    WriteChunk(out, "tRNS", trns);
  }
  WriteIdat(out);
  WriteChunk(out, "IEND", {});
  return out;
}

void TPNGObject::SaveToStream(std::ostream& out) const {
  std::vector<uint8_t> bytes = Bytes();
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

void TPNGObject::SaveToFile(const std::string& path) const {
  const std::vector<uint8_t> bytes = Bytes();
  std::string error;
  if (!common::ReplaceFileContent(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()},
                                  error))
    throw ESensitivityError("Cannot write the file " + path + (error.empty() ? "" : ": " + error));
}

}  // namespace tesvane
