#include "ui/gif_writer.h"

#include <cstdint>
#include <vector>

namespace {

// Codes of variable width packed from the lowest bit up, in sub-blocks of at
// most 255 bytes.
class TCodeStream {
 public:
  void Put(unsigned code, int bits) {
    acc_ |= static_cast<std::uint32_t>(code) << count_;
    count_ += bits;
    while (count_ >= 8) {
      Byte(static_cast<unsigned char>(acc_ & 0xff));
      acc_ >>= 8;
      count_ -= 8;
    }
  }
  std::vector<unsigned char> Finish() {
    if (count_ > 0) Byte(static_cast<unsigned char>(acc_ & 0xff));
    acc_ = 0;
    count_ = 0;
    Flush();
    out_.push_back(0);  // block terminator
    return std::move(out_);
  }

 private:
  void Byte(unsigned char b) {
    block_.push_back(b);
    if (block_.size() == 255) Flush();
  }
  void Flush() {
    if (block_.empty()) return;
    out_.push_back(static_cast<unsigned char>(block_.size()));
    out_.insert(out_.end(), block_.begin(), block_.end());
    block_.clear();
  }
  std::uint32_t acc_ = 0;
  int count_ = 0;
  std::vector<unsigned char> block_, out_;
};

std::vector<unsigned char> Compress(const QImage& img) {
  constexpr unsigned kClear = 256, kEnd = 257;
  // Dictionary: next[code * 256 + byte] = extended code, 0 = none.
  std::vector<std::uint16_t> next(4096u * 256u, 0);
  TCodeStream out;
  int size = 9;
  unsigned maxCode = kEnd;
  out.Put(kClear, size);
  int current = -1;
  for (int y = 0; y < img.height(); ++y) {
    const uchar* row = img.constScanLine(y);
    for (int x = 0; x < img.width(); ++x) {
      const unsigned byte = row[x];
      if (current < 0) {
        current = static_cast<int>(byte);
        continue;
      }
      const std::size_t slot = static_cast<std::size_t>(current) * 256u + byte;
      if (next[slot] != 0) {
        current = next[slot];
        continue;
      }
      out.Put(static_cast<unsigned>(current), size);
      next[slot] = static_cast<std::uint16_t>(++maxCode);
      if (maxCode >= (1u << size) && size < 12) ++size;
      if (maxCode == 4095) {
        out.Put(kClear, size);
        std::fill(next.begin(), next.end(), 0);
        size = 9;
        maxCode = kEnd;
      }
      current = static_cast<int>(byte);
    }
  }
  if (current >= 0) {
    out.Put(static_cast<unsigned>(current), size);
    // The reader adds one more entry on reading that code.
    if (++maxCode >= (1u << size) && size < 12) ++size;
  }
  out.Put(kEnd, size);
  return out.Finish();
}

void Le16(std::vector<unsigned char>& v, int x) {
  v.push_back(static_cast<unsigned char>(x & 0xff));
  v.push_back(static_cast<unsigned char>((x >> 8) & 0xff));
}

}  // namespace

QByteArray GifFile(const QImage& picture) {
  if (picture.isNull() || picture.width() > 65535 || picture.height() > 65535) return {};
  QImage img =
      picture.format() == QImage::Format_Indexed8
          ? picture
          : picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
  std::vector<unsigned char> file = {'G', 'I', 'F', '8', '9', 'a'};
  Le16(file, img.width());
  Le16(file, img.height());
  file.push_back(0xF7);  // a global table of 256 colours, 8 bits each
  file.push_back(0);
  file.push_back(0);
  const QList<QRgb> table = img.colorTable();
  for (int i = 0; i < 256; ++i) {
    const QRgb c = i < table.size() ? table[i] : 0;
    file.push_back(static_cast<unsigned char>(qRed(c)));
    file.push_back(static_cast<unsigned char>(qGreen(c)));
    file.push_back(static_cast<unsigned char>(qBlue(c)));
  }
  file.push_back(0x2C);
  Le16(file, 0);
  Le16(file, 0);
  Le16(file, img.width());
  Le16(file, img.height());
  file.push_back(0);
  file.push_back(8);  // minimum code size
  const std::vector<unsigned char> data = Compress(img);
  file.insert(file.end(), data.begin(), data.end());
  file.push_back(0x3B);
  return QByteArray(reinterpret_cast<const char*>(file.data()),
                    static_cast<qsizetype>(file.size()));
}
