#include "rtf_reader.h"

#include <cctype>
#include <optional>

#include "cp437.h"

namespace tesmira::wb {
namespace {

// Bytes 0x80..0x9F of code page 1252; 0 where the byte is undefined.
constexpr char16_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr size_t kMaxDepth = 256;  // deeper groups share their parent's format

struct TCharFormat {
  bool bold = false, italic = false, underline = false;
  int font = 0, halfPoints = 24;
  bool skip = false;       // inside a destination that is not shown
  bool fontTable = false;  // inside the font table
  int uc = 1;              // characters that stand in for a "\uN"
};

class TRtfParser {
 public:
  explicit TRtfParser(std::string_view in) : in_(in) {}

  TRtfDocument Parse() {
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        if (stack_.size() < kMaxDepth) {
          stack_.push_back(fmt_);
        } else {
          ++overflow_;
        }
        pendingDestination_ = true;
        ignorable_ = false;
      } else if (c == '}') {
        if (fmt_.fontTable && !fontName_.empty()) EndFontName();
        if (overflow_ > 0) {
          --overflow_;
        } else if (!stack_.empty()) {
          fmt_ = stack_.back();
          stack_.pop_back();
        }
        pendingDestination_ = false;
      } else if (c == '\\') {
        ControlWord();
      } else if (c == '\r' || c == '\n') {
        // Line ends of the file carry no meaning.
      } else {
        Text(static_cast<uint8_t>(c));
      }
    }
    EndParagraph(false);
    return std::move(doc_);
  }

 private:
  void ControlWord() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++pos_;
      switch (c) {
        case '\\':
        case '{':
        case '}': Text(static_cast<uint8_t>(c)); break;
        case '\'': {
          int value = 0;
          for (int k = 0; k < 2 && pos_ < in_.size(); ++k) {
            const char h = in_[pos_];
            if (!std::isxdigit(static_cast<unsigned char>(h))) break;
            value = value * 16 +
                    (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (h | 0x20) - 'a' + 10);
            ++pos_;
          }
          Text(static_cast<uint8_t>(value));
          break;
        }
        case '~': Character(0x00A0); break;
        case '_': Character(0x2011); break;
        case '*': ignorable_ = true; break;
        case '\r':
        case '\n': Word("par", false, 0); break;
        default: break;
      }
      return;
    }
    const size_t start = pos_;
    while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_]))) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool hasParam = false;
    long param = 0;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
      hasParam = true;
      if (param < 100000000) param = param * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Word(word, hasParam, static_cast<int>(param));
  }

  void Word(std::string_view w, bool hasParam, int p) {
    const bool destination = pendingDestination_;
    pendingDestination_ = false;
    if (destination) {
      if (ignorable_ || w == "fonttbl" || w == "stylesheet" || w == "colortbl" || w == "info" ||
          w == "header" || w == "footer" || w == "headerl" || w == "headerr" || w == "headerf" ||
          w == "footerl" || w == "footerr" || w == "footerf" || w == "pict" || w == "object") {
        if (w == "fonttbl" && !fmt_.skip) {
          fmt_.fontTable = true;
        } else {
          fmt_.skip = true;
        }
        if (w != "fonttbl") fmt_.fontTable = false;
        if (ignorable_) fmt_.skip = true;
        ignorable_ = false;
        return;
      }
    }
    ignorable_ = false;
    if (fmt_.fontTable) {
      if (w == "f" && hasParam) {
        fontNumber_ = p;
        fontName_.clear();
      } else if (w == "fcharset" && hasParam) {
        doc_.charsets[fontNumber_] = p;
      }
      return;
    }
    if (fmt_.skip) return;
    const bool on = !hasParam || p != 0;
    if (w == "par" || w == "sect" || w == "page") {
      EndParagraph(true);
    } else if (w == "line") {
      Character('\n');
    } else if (w == "tab") {
      Character('\t');
    } else if (w == "cell") {
      inTable_ = true;
      EndParagraph(true);
      row_.cells.push_back(std::move(cell_));
      cell_.clear();
    } else if (w == "row") {
      EndRow();
    } else if (w == "trowd") {
      row_ = TRtfTableRow{};
      cell_.clear();
    } else if (w == "cellx") {
      row_.cellRight.push_back(p);
    } else if (w == "intbl") {
      inTable_ = true;
    } else if (w == "pard") {
      inTable_ = false;
      alignment_ = 0;
    } else if (w == "plain") {
      const int uc = fmt_.uc;
      const bool skip = fmt_.skip;
      fmt_ = TCharFormat{};
      fmt_.uc = uc;
      fmt_.skip = skip;
    } else if (w == "b") {
      fmt_.bold = on;
    } else if (w == "i") {
      fmt_.italic = on;
    } else if (w == "ul") {
      fmt_.underline = on;
    } else if (w == "ulnone") {
      fmt_.underline = false;
    } else if (w == "f" && hasParam) {
      fmt_.font = p;
    } else if (w == "fs" && hasParam) {
      fmt_.halfPoints = p;
    } else if (w == "ql") {
      alignment_ = 0;
    } else if (w == "qr") {
      alignment_ = 1;
    } else if (w == "qc") {
      alignment_ = 2;
    } else if (w == "qj") {
      alignment_ = 3;
    } else if (w == "uc" && hasParam) {
      fmt_.uc = p < 0 ? 0 : p;
    } else if (w == "u" && hasParam) {
      Character(static_cast<char32_t>(p < 0 ? p + 65536 : p));
      skipChars_ = fmt_.uc;
    } else if (w == "emdash") {
      Character(0x2014);
    } else if (w == "endash") {
      Character(0x2013);
    } else if (w == "bullet") {
      Character(0x2022);
    } else if (w == "lquote") {
      Character(0x2018);
    } else if (w == "rquote") {
      Character(0x2019);
    } else if (w == "ldblquote") {
      Character(0x201C);
    } else if (w == "rdblquote") {
      Character(0x201D);
    }
  }

  void Text(uint8_t byte) {
    pendingDestination_ = false;
    if (skipChars_ > 0) {
      --skipChars_;
      return;
    }
    if (fmt_.fontTable) {
      if (byte == ';') {
        EndFontName();
      } else {
        AppendUtf8(fontName_, Cp1252ToUnicode(byte));
      }
      return;
    }
    if (fmt_.skip) return;
    Character(Cp1252ToUnicode(byte));
  }

  void EndFontName() {
    size_t b = fontName_.find_first_not_of(' ');
    doc_.fonts[fontNumber_] = b == std::string::npos ? std::string() : fontName_.substr(b);
    fontName_.clear();
  }

  void Character(char32_t c) {
    skipChars_ = 0;
    if (fmt_.skip || fmt_.fontTable) return;
    auto& runs = paragraph_.runs;
    if (runs.empty() || runs.back().bold != fmt_.bold || runs.back().italic != fmt_.italic ||
        runs.back().underline != fmt_.underline || runs.back().font != fmt_.font ||
        runs.back().halfPoints != fmt_.halfPoints) {
      TRtfRun run;
      run.bold = fmt_.bold;
      run.italic = fmt_.italic;
      run.underline = fmt_.underline;
      run.font = fmt_.font;
      run.halfPoints = fmt_.halfPoints;
      runs.push_back(std::move(run));
    }
    AppendUtf8(runs.back().text, c);
  }

  // Ends the paragraph under construction (a "\par", "\cell" or the end).
  void EndParagraph(bool explicitEnd) {
    paragraph_.alignment = alignment_;
    if (inTable_ || (!explicitEnd && !cell_.empty())) {
      cell_.push_back(std::move(paragraph_));
    } else if (explicitEnd || !paragraph_.runs.empty()) {
      tableOpen_ = false;
      TRtfBlock block;
      block.paragraph = std::move(paragraph_);
      doc_.blocks.push_back(std::move(block));
    }
    paragraph_ = TRtfParagraph{};
  }

  void EndRow() {
    if (!doc_.blocks.empty() && tableOpen_) {
      doc_.blocks.back().rows.push_back(std::move(row_));
    } else {
      TRtfBlock block;
      block.isTable = true;
      block.rows.push_back(std::move(row_));
      doc_.blocks.push_back(std::move(block));
      tableOpen_ = true;
    }
    row_ = TRtfTableRow{};
    row_.cellRight = doc_.blocks.back().rows.back().cellRight;  // shared, not copied
    cell_.clear();
  }

  std::string_view in_;
  size_t pos_ = 0;
  TCharFormat fmt_;
  std::vector<TCharFormat> stack_;
  bool pendingDestination_ = false;
  bool ignorable_ = false;
  int skipChars_ = 0;
  int fontNumber_ = 0;
  std::string fontName_;
  bool inTable_ = false;
  int alignment_ = 0;
  bool tableOpen_ = false;
  size_t overflow_ = 0;
  TRtfParagraph paragraph_;
  std::vector<TRtfParagraph> cell_;
  TRtfTableRow row_;
  TRtfDocument doc_;
};

}  // namespace

TRtfDocument ReadRtf(std::string_view bytes) { return TRtfParser(bytes).Parse(); }

void TRtfCellEdges::push_back(int edge) {
  if (!values_) {
    values_ = std::make_shared<std::vector<int>>();
  } else if (values_->size() != count_) {
    values_ = std::make_shared<std::vector<int>>(
        values_->begin(), values_->begin() + static_cast<std::ptrdiff_t>(count_));
  }
  values_->push_back(edge);
  ++count_;
}

char32_t Cp1252ToUnicode(uint8_t byte) {
  if (byte >= 0x80 && byte < 0xA0 && kHigh1252[byte - 0x80] != 0) return kHigh1252[byte - 0x80];
  return byte;
}

int UnicodeToCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int k = 0; k < 32; ++k)
    if (kHigh1252[k] == c) return 0x80 + k;
  return -1;
}

std::string TRtfParagraph::Text() const {
  std::string s;
  for (const TRtfRun& r : runs) s += r.text;
  return s;
}

std::string TRtfTableRow::CellText(size_t cell) const {
  if (cell >= cells.size()) return std::string();
  std::string s;
  for (size_t k = 0; k < cells[cell].size(); ++k) {
    if (k > 0) s += '\n';
    s += cells[cell][k].Text();
  }
  return s;
}

std::string TRtfDocument::PlainText() const {
  std::string s;
  for (const TRtfBlock& b : blocks) {
    if (!b.isTable) {
      s += b.paragraph.Text() + "\n";
      continue;
    }
    for (const TRtfTableRow& r : b.rows) {
      for (size_t c = 0; c < r.cells.size(); ++c)
        s += std::string(c ? "\t" : "").append(r.CellText(c));
      s += "\n";
    }
  }
  return s;
}

}  // namespace tesmira::wb
