#include "doc/palette_file.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "replacing_file.h"

namespace {

// Reads numbers the way formatted C input does: white space skipped, then the
// longest prefix that forms a number of the asked kind.
class TScanner {
 public:
  explicit TScanner(std::string text) : text_(std::move(text)) {}

  bool Float(double& value) {
    SkipBlanks();
    std::size_t p = pos_;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
    const std::size_t digitsStart = p;
    while (p < text_.size() && std::isdigit(static_cast<unsigned char>(text_[p]))) ++p;
    if (p < text_.size() && text_[p] == '.') ++p;
    while (p < text_.size() && std::isdigit(static_cast<unsigned char>(text_[p]))) ++p;
    if (p == digitsStart || (p == digitsStart + 1 && text_[digitsStart] == '.')) return false;
    if (p < text_.size() && (text_[p] == 'e' || text_[p] == 'E')) {
      std::size_t q = p + 1;
      if (q < text_.size() && (text_[q] == '+' || text_[q] == '-')) ++q;
      if (q < text_.size() && std::isdigit(static_cast<unsigned char>(text_[q]))) {
        while (q < text_.size() && std::isdigit(static_cast<unsigned char>(text_[q]))) ++q;
        p = q;
      }
    }
    // The digits are ASCII and the point is the separator whatever the locale.
    std::istringstream in(text_.substr(pos_, p - pos_));
    in.imbue(std::locale::classic());
    in >> value;
    pos_ = p;
    return !in.fail();
  }

  // "%i": decimal, 0x hexadecimal or 0 octal, with an optional sign.
  bool Int(long long& value) {
    SkipBlanks();
    std::size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
    int base = 10;
    if (HexPrefix(p)) {
      base = 16;
      p += 2;
    } else if (p < text_.size() && text_[p] == '0') {
      base = 8;
    }
    if (!Digits(p, base, value)) return false;
    if (negative) value = -value;
    return true;
  }

  // "%X": hexadecimal with an optional 0x and sign.
  bool Hex(long long& value) {
    SkipBlanks();
    std::size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) negative = text_[p++] == '-';
    if (HexPrefix(p)) p += 2;
    if (!Digits(p, 16, value)) return false;
    if (negative) value = -value;
    return true;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  // "0x" followed by a hexadecimal digit at p.
  bool HexPrefix(std::size_t p) const {
    return p + 2 < text_.size() && text_[p] == '0' &&
           (text_[p + 1] == 'x' || text_[p + 1] == 'X') &&
           std::isxdigit(static_cast<unsigned char>(text_[p + 2]));
  }
  static int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
  }
  bool Digits(std::size_t p, int base, long long& value) {
    const std::size_t start = p;
    unsigned long long v = 0;
    while (p < text_.size() && DigitValue(text_[p]) < base) {
      // Overlong numbers keep their low bits, as unsigned conversion does.
      v = v * static_cast<unsigned>(base) + static_cast<unsigned>(DigitValue(text_[p]));
      ++p;
    }
    if (p == start) return false;
    value = static_cast<long long>(v);
    pos_ = p;
    return true;
  }

  std::string text_;
  std::size_t pos_ = 0;
};

void AppendHex(std::string& out, TColor c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.6X\r\n", static_cast<unsigned>(c) & 0xffffffu);
  out += buf;
}

}  // namespace

bool WritePaletteFile(const std::string& path, const TColorRecord& colors) {
  std::string text = "1.000000\r\n";
  text += std::to_string(colors.ColormapSize) + "\r\n";
  text += std::to_string(colors.ScattDot) + "\r\n";
  for (int i = 0; i < 20; ++i) {
    AppendHex(text, colors.val[i]);
    AppendHex(text, colors.var[i]);
  }
  for (int i = 0; i < 9; ++i) AppendHex(text, colors.clr[i]);

  std::string error;
  return common::ReplaceFileContent(path, text, error);
}

bool ReadPaletteFile(const std::string& path, TColorRecord& colors) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  TScanner scan(std::string(std::istreambuf_iterator<char>(in), {}));
  double version = 0.0;
  if (!scan.Float(version) || version >= 2.0) return false;

  TColorRecord read = colors;
  long long v = 0;
  bool more = scan.Int(v);
  if (more) read.ColormapSize = v >= 1 && v <= 20 ? static_cast<std::int32_t>(v) : 1;
  if (more) more = scan.Int(v);
  if (more) read.ScattDot = v >= 1 && v <= 20 ? static_cast<std::int32_t>(v) : 1;
  for (int i = 0; i < 20 && more; ++i) {
    more = scan.Hex(v);
    if (more) read.val[i] = static_cast<TColor>(v & 0xffffff);
    if (more) more = scan.Hex(v);
    if (more) read.var[i] = static_cast<TColor>(v & 0xffffff);
  }
  for (int i = 0; i < 9 && more; ++i) {
    more = scan.Hex(v);
    if (more) read.clr[i] = static_cast<TColor>(v & 0xffffff);
  }
  colors = read;
  return true;
}
