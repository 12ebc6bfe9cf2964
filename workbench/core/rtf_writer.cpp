#include "rtf_writer.h"

#include <algorithm>
#include <cmath>

#include "cp437.h"
#include "rtf_reader.h"
#include "tesmira/distributions.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"

namespace tesmira::wb {
namespace {

std::string Short(const unsigned char* s) {
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  const size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool IsBlank(const std::string& s) { return Trim(s).empty(); }

const char* const kParagraphWords =
    "\\ql \\li0\\ri0\\widctlpar\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0";
const char* const kLanguageWords = "\\lang1060\\langfe1033\\cgrid\\langnp1060\\langfenp1033 ";

std::string LowerCase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

std::string RtfEscape(std::string_view cp437) {
  std::string out;
  out.reserve(cp437.size() + 8);
  for (const char ch : cp437) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '\\' || ch == '{' || ch == '}') {
      out += '\\';
      out += ch;
    } else if (ch == '\t') {
      out += "\\tab ";
    } else if (ch == '\r' || ch == '\n') {
      if (ch == '\n') out += "\\line ";
    } else if (byte >= 0x20 && byte < 0x80) {
      out += ch;
    } else {
      const char32_t c = kCp437ToUnicode[byte];
      const int ansi = UnicodeToCp1252(c);
      if (ansi >= 0x80) {
        static const char kHex[] = "0123456789abcdef";
        out += "\\'";
        out += kHex[ansi >> 4];
        out += kHex[ansi & 15];
      } else {
        const int n = c > 32767 ? static_cast<int>(c) - 65536 : static_cast<int>(c);
        out += "\\u" + std::to_string(n) + "?";
      }
    }
  }
  return out;
}

std::string TRTFReporter::AlignText(const std::string& text, int, char) { return text; }

double EstimatedTextWidth(std::string_view utf8, const TRepFont& font) {
  // Advance widths in thousandths of an em of ASCII 32..126 in a common
  // sans-serif design; serif faces are narrower.
  static constexpr short kWidths[95] = {
      278,  278, 355, 556, 556, 889, 667, 222, 333, 333, 389, 584, 278, 333, 278, 278,
      556,  556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,
      1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,
      667,  778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,
      333,  556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
      556,  556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};
  const std::string family = LowerCase(font.name);
  bool mono = false;
  for (const char* word : {"mono", "courier", "consol", "fixed", "typewriter", "terminal"})
    mono = mono || family.find(word) != std::string::npos;
  double ems = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) == 0x80) continue;  // inside a character
    if (mono)
      ems += 0.6;
    else if (c >= 32 && c < 127)
      ems += kWidths[c - 32] / 1000.0;
    else
      ems += c < 0x80 ? 0.0 : 0.75;  // beyond ASCII: a wide letter
  }
  return ems * font.size * (font.bold ? 1.1 : 1.0);
}

int TRTFReporter::MeasureText(const std::string& text) {
  const std::string shown = Cp437ToUtf8(Trim(text)) + "0";
  const double points = ctx_.measureText ? ctx_.measureText(shown, measureFont_)
                                         : EstimatedTextWidth(shown, measureFont_);
  return static_cast<int>(std::ceil(points * 20));
}

void TRTFReporter::MeasureInTableFont() {
  if (const TRepSectionSetting* e = Entry(StyleTable); e && e->font) measureFont_ = *e->font;
  if (const TRepSectionSetting* e = Entry(currentSection_); e && e->font && currentSection_ >= 0)
    measureFont_ = *e->font;
}

void TRTFReporter::WriteLine(const std::string& text, int) {
  SelectStyle(0);
  stream_ += RtfEscape(text);
  WriteParagraphEnd();
}

void TRTFReporter::WriteRawLine(const std::string& text, int) {
  SelectStyle(0);
  stream_ += text;
  WriteParagraphEnd();
}

void TRTFReporter::WriteHeading(const std::string& text, int level) {
  SelectStyle(level);
  stream_ += RtfEscape(text);
  WriteParagraphEnd();
  SelectStyle(0);
}

void TRTFReporter::WriteRule() {}

void TRTFReporter::WritePartHeader() {}

void TRTFReporter::WriteBlank(int flags) {
  if (flags & 2) WriteParagraphEnd();
}

void TRTFReporter::WriteFrameLine(const std::string&, int) {}

const TRepSectionSetting* TRTFReporter::Entry(int id) const {
  if (!ctx_.sections) return nullptr;
  const int i = ctx_.sections->IndexOfSection(id);
  return i < 0 ? nullptr : &ctx_.sections->Entries[static_cast<size_t>(i)];
}

void TRTFReporter::SelectStyle(int index) {
  if (currentStyle_ >= 100) return;
  if (index == currentStyle_ && (currentSection_ == lastFontSection_ || (index >= 1 && index <= 3)))
    return;
  const int style = index >= 100 ? index - 100 : (index >= 8 ? 0 : index);
  stream_ += "\\pard\\plain " + styles_[style] + " ";
  const int measured = index >= 100 ? index - 100 : index;
  if (measured >= 0 && measured <= 4) {
    if (const TRepSectionSetting* e = Entry(StyleNormal + measured); e && e->font)
      measureFont_ = *e->font;
  } else if (measured >= 6) {
    if (const TRepSectionSetting* e = Entry(StyleLinedraw); e && e->font) measureFont_ = *e->font;
  }
  currentStyle_ = index;
  if (const TRepSectionSetting* e = Entry(currentSection_); e && e->font && currentSection_ >= 0) {
    stream_ += " " + FontControlWords(*e);
    measureFont_ = *e->font;
  }
  lastFontSection_ = currentSection_;
}

void TRTFReporter::WriteContents() {
  SelectStyle(100);
  TReporter::WriteContents();
  currentStyle_ = 0;
}

void TRTFReporter::MarkPreviewedSection() { stream_ += kPreviewMarker; }

void TRTFReporter::BeginTableRow() {
  cellPosition_ = 0;
  rowDefinition_ =
      "\\trowd\\trgaph108\\trleft-108\r\n\\trbrdrt\\brdrs\\brdrw10\r\n"
      "\\trbrdrl\\brdrs\\brdrw10\r\n\\trbrdrb\\brdrs\\brdrw10\r\n"
      "\\trbrdrr\\brdrs\\brdrw10\r\n\\trbrdrh\\brdrs\\brdrw10\r\n"
      "\\trbrdrv\\brdrs\\brdrw10\r\n\r\n";
}

void TRTFReporter::AddTableCell(int width, char) {
  // The cell holds its text and the gaps on both sides of it.
  cellPosition_ += width + 2 * kCellGap;
  rowDefinition_ +=
      "\\clvertalt\r\n\\clbrdrt\\brdrs\\brdrw10\r\n\\clbrdrl\\brdrs\\brdrw10\r\n"
      "\\clbrdrb\\brdrs\\brdrw10\r\n\\clbrdrr\\brdrs\\brdrw10\r\n\\cellx" +
      std::to_string(cellPosition_);
}

std::string TRTFReporter::TableCell(const std::string& text, int, char, int section, int column) {
  std::string cell;
  if (section == 18 && column == 1) cell = "\\ql ";
  if (section == 18 && column >= 3) cell = "\\qr ";
  return cell + RtfEscape(Trim(text)) + "\\cell ";
}

void TRTFReporter::EndTableRow(const std::string& rowText) {
  WriteStyledRaw(rowDefinition_);
  stream_ += "\\pard" + styles_[4] + "\\intbl ";
  // A blank ends the font's control words: a row text may begin with a digit.
  if (const TRepSectionSetting* e = Entry(currentSection_); e && e->font && currentSection_ >= 0)
    stream_ += FontControlWords(*e) + " ";
  stream_ += rowText + "\\row";
  rowDefinition_.clear();
}

void TRTFReporter::EndTable() {
  currentStyle_ = -10;
  SelectStyle(4);
}

void TRTFReporter::WriteStyledRaw(const std::string& bytes) {
  SelectStyle(0);
  if (!bytes.empty()) stream_ += bytes;
}

std::string TRTFReporter::FontControlWords(const TRepSectionSetting& entry) const {
  if (!entry.font) return std::string();
  const TRepFont& f = *entry.font;
  return std::string(f.bold ? "\\b" : "\\b0") + (f.italic ? "\\i" : "\\i0") +
         (f.underline ? "\\ul" : "\\ul0") + "\\f" + std::to_string(entry.fontNumber) + "\\fs" +
         std::to_string(2 * f.size);
}

std::string TRTFReporter::FontTableEntry(const TRepSectionSetting& entry) const {
  if (!entry.font) return std::string();
  return "\\fcharset" + std::to_string(entry.font->charset) + "\\fprq0 " +
         RtfEscape(entry.font->name);
}

void TRTFReporter::WriteRTFDocument() {
  if (!ctx_.sections) {
    ownSections_.EnsureStyleFonts();
    ctx_.sections = &ownSections_;
  }
  TRepSections& settings = *ctx_.sections;
  settings.EnsureStyleFonts();
  contentsCursor_ = -2;
  currentStyle_ = -10;
  lastFontSection_ = -1;
  currentSection_ = 0;
  stream_.clear();
  stream_ += "{\\rtf1\\ansi\\ansicpg1252\\uc1 \\deff0\\deflang1033\\deflangfe1033";
  stream_ += "{\\fonttbl";
  int k = 0;
  for (TRepSectionSetting& e : settings.Entries) {
    if (!e.font) {
      e.fontNumber = -1;
      continue;
    }
    e.fontNumber = k++;
    stream_ += "{\\f" + std::to_string(e.fontNumber) + FontTableEntry(e) + ";}";
  }
  stream_ += "}";
  auto words = [&](int id) {
    const TRepSectionSetting* e = Entry(id);
    return e ? FontControlWords(*e) : std::string();
  };
  stream_ += "{\\stylesheet";
  styles_[0] =
      std::string(kParagraphWords) + " " + words(StyleNormal) + kLanguageWords + "\\snext0";
  stream_ += "{" + styles_[0] + " Normal;}";
  for (int i = 1; i <= 3; ++i) {
    styles_[i] = "\\s" + std::to_string(i) +
                 "\\ql \\li0\\ri0\\sb240\\sa60\\keepn\\widctlpar\\aspalpha\\aspnum\\faauto"
                 "\\adjustright\\rin0\\lin0\\itap0 " +
                 words(StyleNormal + i) +
                 "\\lang1060\\langfe1033\\kerning32\\cgrid\\langnp1060\\langfenp1033 "
                 "\\sbasedon0 \\snext0";
    stream_ += "{" + styles_[i] + " Heading " + std::to_string(i) + ";}";
  }
  styles_[6] =
      std::string(kParagraphWords) + " " + words(StyleHeading1) + kLanguageWords + "\\snext0";
  styles_[4] = std::string("\\s13") + kParagraphWords + words(StyleTable) + kLanguageWords +
               "\\sbasedon0 \\snext0";
  stream_ += "{" + styles_[4] + " Table;}";
  stream_ += "{\\*\\cs10 \\additive Default Paragraph Font;}";
  styles_[5] = std::string("\\s15") + kParagraphWords + words(StyleLinedraw) + kLanguageWords +
               "\\sbasedon0 \\snext15";
  stream_ += "{" + styles_[5] + " Linedraw;}";
  styles_[7].clear();
  stream_ += "}";
  stream_ +=
      "{\\colortbl;"
      "\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
      "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;"
      "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;"
      "\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
      "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;"
      "\\red192\\green192\\blue192;\\red255\\green255\\blue255;}";
  stream_ +=
      "{\\info{\\title Main Title}{\\author Tesmira }{\\creatim\\yr2001\\mo7\\dy8\\hr10\\min58}"
      "{\\version1}}";
  stream_ += "{\\header \\pard\\plain \\ql \\li0\\ri-334\\widctlpar\\tqr\\tx" +
             std::to_string(textWidth_) +
             "\\aspalpha\\aspnum\\faauto\\adjustright\\rin-334\\lin0\\itap0"
             "\\fs24\\lang1060\\langfe1033\\cgrid\\langnp1060\\langfenp1033 "
             "{\\fs20\\lang1033\\langfe1033\\langnp1033 Page: }"
             "{\\field{\\*\\fldinst {\\cs18 PAGE  }}"
             "{\\fldrslt {\\cs18\\lang1024\\langfe1024\\noproof 1}}}"
             "{\\cs18 \\tab Report: " +
             RtfEscape(ModelBaseName()) + "}{\\par }}";
  WriteCommonPart();
  stream_ += " }";
}

void TRTFReporter::Generate() {
  textWidth_ = 8640;
  if (ctx_.targetIsReportPanel) target_.SetVisible(false);
  WriteRTFDocument();
  std::string bytes = std::move(stream_);
  stream_.clear();
  if (PreviewedSection != 0) {
    if (const size_t at = bytes.find(kPreviewMarker); at != std::string::npos) {
      // The marker's place in the shown text: one line per paragraph and per
      // table cell.
      const TRtfDocument doc = ReadRtf(bytes);
      const std::string marker = kPreviewMarker;
      int64_t offset = 0;
      int line = 0;
      bool found = false;
      auto visit = [&](const std::string& text) {
        if (found) return;
        if (const size_t p = text.find(marker); p != std::string::npos) {
          offset += static_cast<int64_t>(p);
          found = true;
          return;
        }
        offset += static_cast<int64_t>(text.size()) + 1;
        ++line;
      };
      for (const TRtfBlock& b : doc.blocks) {
        if (!b.isTable) {
          visit(b.paragraph.Text());
          continue;
        }
        for (const TRtfTableRow& r : b.rows)
          for (size_t c = 0; c < r.cells.size(); ++c) visit(r.CellText(c));
      }
      previewCaret_ = offset;
      previewLine_ = line;
      bytes.erase(at, marker.size());
    }
  }
  target_.LoadRtf(bytes);
  if (PreviewedSection == 0 && ctx_.targetIsReportPanel && ctx_.lastReportStream)
    *ctx_.lastReportStream = std::move(bytes);
  target_.SetVisible(true);
  target_.SetCaret(0);
}

void TRTFReporter::WriteObjectDescription(int n) {
  if (objectKind_ == ObjRandomVariable) {
    auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(n, ObjRandomVariable));
    if (!rv) return;
    char title[256] = {};
    GetDatatypeTitle(ObjRandomVariable, title);
    std::string line = RtfEscape((Trim(title) + " name: ").substr(0, 39)) +
                       RtfEscape(Short(rv->distribution.name)) +
                       "\\tab Index: " + std::to_string(n);
    const std::string description = Short(rv->description);
    if (!IsBlank(description))
      line += " \\i Description: " + RtfEscape(description.substr(0, 117)) + "\\i0";
    WriteRawLine(line, 0);
    std::string typeTitle;
    const auto columns = ParameterTable(*rv, typeTitle);
    WriteRawLine("Distribution type: " + RtfEscape(typeTitle) + " \\pard{\\tx1900\\tx4000", 0);
    if (columns.empty()) {
      WriteRaw(" }");
      return;
    }
    std::string head;
    for (const auto& c : columns) head += RtfEscape(Trim(c.title)) + " \\tab ";
    WriteRawLine(head, 0);
    for (int r = 1; r <= 19; ++r) {
      std::string row;
      bool suppressed = false;
      for (size_t i = 0; i < columns.size(); ++i) {
        const auto& c = columns[i];
        if (c.labels.size() < static_cast<size_t>(r)) {
          row += " \\tab ";
          continue;
        }
        const std::string& label = c.labels[static_cast<size_t>(r - 1)];
        const auto& value = c.values[static_cast<size_t>(r - 1)];
        row += i == 0 ? std::string("{").append(RtfEscape(Trim(label))) + "}"
                      : std::string(" ").append(RtfEscape(label));
        row += " = " + (value ? RtfEscape(Trim(*value)) : std::string()) + "\\tab ";
        if (i == 0 && !value) suppressed = true;
      }
      if (suppressed || LowerCase(row) == " \\tab  \\tab  \\tab ") continue;
      WriteRawLine(row, 0);
    }
    WriteRawLine(" \\tab  \\tab  \\tab }", 0);
  } else if (objectKind_ == ObjFormula) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(n, ObjFormula));
    if (!f) return;
    const bool many = GetNumberOfFormulas() > 9;
    WriteRawLine("", 0);
    WriteRawLine("\\pard \\tqr\\tx800\\tx900{" + std::string(many && n < 10 ? "  " : "") +
                     std::to_string(n) + ".  " + RtfEscape(Short(f->name)) + ":  " +
                     RtfEscape(Short(f->text)) + " }",
                 0);
    const std::string description = Short(f->description);
    if (!IsBlank(description))
      WriteRawLine("\\pard \\tqr\\tx800\\tx900{" + std::string(many ? "  " : "") +
                       "       \\i Description: " + RtfEscape(description) + " }",
                   0);
  } else {
    TReporter::WriteObjectDescription(n);
  }
}

}  // namespace tesmira::wb
