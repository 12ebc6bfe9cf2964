#include "report_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cp437.h"
#include "number_format.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"

namespace tesmira::wb {
namespace {

constexpr int kPageLines = 60;
const std::string kWall = "\xB3";  // code page 437 box characters
constexpr char kHorizontal = '\xC4';

std::string Short(const unsigned char* s) {
  return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}

std::string TrimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

std::string Trim(std::string s) {
  s = TrimRight(std::move(s));
  const size_t b = s.find_first_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b);
}

// Splits a line at width columns after a tab, blank, ',', '-' or '.'.
std::vector<std::string> Wrap(const std::string& text, size_t width) {
  std::vector<std::string> out;
  std::string rest = text;
  while (rest.size() > width) {
    size_t cut = 0;
    for (size_t i = width; i > 0; --i) {
      const char c = rest[i - 1];
      if (c == '\t' || c == ' ' || c == ',' || c == '-' || c == '.') {
        cut = i;
        break;
      }
    }
    if (cut == 0) cut = width;
    out.push_back(rest.substr(0, cut));
    rest = rest.substr(cut);
  }
  out.push_back(rest);
  return out;
}

std::string Repeat(char c, int n) { return std::string(static_cast<size_t>(std::max(n, 0)), c); }

}  // namespace

const char* DaySuffix(int day) {
  if (day % 10 == 1 && day != 11) return "st";
  if (day % 10 == 2 && day != 12) return "nd";
  if (day % 10 == 3 && day != 13) return "rd";
  return "th";
}

std::string ReportDateTime(const std::tm& t) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  char buf[96];
  std::snprintf(buf, sizeof buf, "%s %02d%s, %04d %02d:%02d:%02d", kMonths[t.tm_mon % 12],
                t.tm_mday, DaySuffix(t.tm_mday), t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

TReporter::TReporter(IReportTarget& target, TReportContext context)
    : target_(target), ctx_(std::move(context)) {}

std::string TReporter::AlignText(const std::string& text, int width, char mode) {
  const int n = static_cast<int>(text.size());
  if (n >= width) return text;
  const int d = width - n;
  if (mode == 'c') return Repeat(' ', d / 2) + text + Repeat(' ', d - d / 2);
  if (mode == 'r') return Repeat(' ', d) + text;
  return text + Repeat(' ', d);
}

int TReporter::MeasureText(const std::string& text) { return static_cast<int>(text.size()); }

void TReporter::WriteLine(const std::string& text, int reserve) {
  std::vector<std::string> pieces;
  if (reserve == -1) {
    pieces.push_back(text);
    reserve = 0;
  } else {
    const bool breaks = ctx_.sections && ctx_.sections->LineBreaks;
    pieces = Wrap(text, breaks ? 73 : 132);
  }
  const int lineCount = static_cast<int>(pieces.size());
  totalLines_ += lineCount;
  pageLines_ += 1;
  const bool newPage = firstLine_ || (pageLines_ + reserve - 1) / kPageLines !=
                                         (pageLines_ - lineCount - 1) / kPageLines;
  if (newPage) {
    if (!firstLine_) {
      lines_.push_back("\f");
      textLength_ += 2;
    }
    firstLine_ = false;
    ++page_;
    pageLines_ = 2;
    if (PreviewedSection == 0) {
      const std::string left = " -- Page " + std::to_string(page_) + " --";
      const std::string line =
          left + AlignText(titleLine_, 72 - static_cast<int>(left.size()), 'r');
      lines_.push_back(line);
      lines_.push_back("");
      textLength_ += static_cast<int64_t>(line.size()) + 2;
    }
  }
  std::string joined;
  for (size_t i = 0; i < pieces.size(); ++i) joined += (i ? "\r\n" : "") + pieces[i];
  textLength_ += static_cast<int64_t>(joined.size()) + 1;
  lines_.push_back(std::move(joined));
}

void TReporter::WriteHeading(const std::string& text, int level) {
  const std::string stars = Repeat('*', 4 - level);
  const std::string line = stars + " " + Trim(text) + " " + stars;
  WriteLine("", 0);
  WriteLine(AlignText(line, 73, 'c'), 2);
  WriteLine("", 0);
}

void TReporter::WriteRule() { WriteLine(Repeat(kHorizontal, 73), 0); }

void TReporter::WritePartHeader() {
  WriteLine("", 4);
  WriteRule();
  const std::string part = "Part: " + std::to_string(sectionNumbers_[1]);
  WriteLine(titleLine_ + AlignText(part, 72 - static_cast<int>(titleLine_.size()), 'r'), 0);
  WriteRule();
}

void TReporter::WriteBlank(int flags) {
  if (flags & 1) WriteLine("", 0);
}

void TReporter::WriteContents() {
  int counter = 0;
  WalkSection(1, 0, true, counter, 1, 1);
}

bool TReporter::InPreviewScope(int id) const {
  const int p = PreviewedSection;
  if (id == p) return true;
  auto in = [&](std::initializer_list<int> ids) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  };
  switch (p) {
    case 2: return in({2, 3});
    case 3:
    case 4: return in({2, 3, 4});
    case 5:
    case 6: return in({5, 6});
    case 7:
    case 8: return in({7, 8});
    case 11: return in({11, 12});
    case 12: return in({11, 12, 13});
    case 13: return in({12, 13});
    case 14: return in({14, 15});
    case 15:
    case 16: return in({14, 15, 16});
    case 17:
    case 18: return in({17, 18});
    case 19:
    case 20: return in({19, 20});
    case 21:
    case 22: return in({21, 22});
    default: return false;
  }
}

bool TReporter::WalkSection(int id, int depth, bool parentIncluded, int& titleCounter, int mode,
                            int siblingNumber) {
  if (depth > 0 && depth <= 5) sectionNumbers_[depth] = siblingNumber;
  TRepSectionInfo info{};
  info.sectionId = static_cast<uint8_t>(id);
  const int r = Rep_get_section_info(&info);
  sectionNumbers_[0] = r;
  if (r <= 0) return false;
  const bool full = PreviewedSection == 0;
  const bool bySettings =
      full && parentIncluded && (!ctx_.sections || ctx_.sections->IsSectionVisible(id, false));
  const bool included = full ? bySettings : InPreviewScope(id);
  if (info.titled) {
    ++titleCounter;
    if (depth == 1 && mode == 2 && bySettings) WritePartHeader();
    if ((mode == 1 || mode == 2) && included) {
      std::string line = Repeat(' ', 2 * depth);
      for (int d = 1; d <= depth && d <= 5; ++d) line += std::to_string(sectionNumbers_[d]) + ".";
      line += " " + Short(info.title);
      if (mode == 1) {
        WriteLine(line, depth);
        if (contentsCursor_ == -1) contentsCursor_ = static_cast<int>(lines_.size()) - 1;
      } else {
        if (id == PreviewedSection) previewCaret_ = textLength_;
        WriteHeading(line, depth);
        if (contentsCursor_ >= 1 && contentsCursor_ < static_cast<int>(lines_.size())) {
          std::string& c = lines_[contentsCursor_];
          const std::string number = std::to_string(page_);
          c += Repeat('.', 70 - static_cast<int>(c.size()) - static_cast<int>(number.size())) +
               number;
          ++contentsCursor_;
        }
      }
    }
  }
  if (info.firstChild) {
    int n = 0;
    for (int c = info.firstChild; c != 0; c = Rep_get_next_section(c))
      if (WalkSection(c, depth + 1, included, titleCounter, mode, n + 1)) ++n;
  } else if (mode == 2 && included) {
    if (id == PreviewedSection) previewCaret_ = textLength_;
    try {
      for (int k = 1; k <= info.count; ++k) {
        if (info.kind == RepText) {
          TRepObjectData d{};
          d.sectionId = static_cast<uint8_t>(id);
          d.row = k;
          d.column = 1;
          if (Rep_get_object_data(&d) == 1) WriteLine(Short(d.text), 0);
        } else if (info.kind == RepTable) {
          WriteTable(id, k);
        }
      }
    } catch (const std::exception&) {
      // The section loses its remaining items; the report goes on.
    }
  }
  return included;
}

std::string TReporter::FormatCell(const TRepObjectData& d, int format, int width, int precision) {
  const bool byDefault = format < 0;
  switch (d.cellKind) {
    case RepCellText: return Short(d.text);
    case 5: return std::string(1, d.character);
    case RepCellInteger: return AlignText(std::to_string(d.integer), 8, 'r');
    case RepCellStatistic:
      return byDefault ? FormatNumberAs(d.number, 0, 10, 3)
                       : FormatNumberAs(d.number, format, width, precision);
    case 8: return "*";
    case RepCellPercentHeader: return AlignText(std::to_string(d.integer), 2, 'r') + "%";
    case RepCellPercentile:
      return byDefault ? FormatNumberAs(d.number, 0, 11, 4)
                       : FormatNumberAs(d.number, format, width, precision);
    case RepCellCorrelation:
      return byDefault ? FormatNumberAs(d.number, 1, 5, 2)
                       : FormatNumberAs(d.number, format, width, precision);
    case 12: return Short(d.text) + AlignText(std::to_string(d.integer), 6, 'r');
    default: return std::string();
  }
}

void TReporter::WriteTable(int sectionId, int tableNumber) {
  TRepTableInfo info{};
  info.sectionId = static_cast<uint8_t>(sectionId);
  info.selectedOutput = tableNumber;
  if (Rep_get_table_info(&info) <= 0 || info.rows <= 0) return;
  if (info.tableKind == 2 || info.tableKind == 4) {
    WritePerOutputTable(sectionId, info);
  } else if (sectionId == 8 || sectionId == 10 || sectionId == 13) {
    objectKind_ = sectionId == 8    ? ObjRandomVariable
                  : sectionId == 10 ? ObjFormula
                                    : ObjDependenceNode;
    char title[256] = {};
    GetDatatypeTitle(objectKind_, title);
    int rows = info.rows;
    if (PreviewedSection != 0) rows = std::min(rows, 1);
    for (int j = 1; j <= rows; ++j) {
      if (j == 1) {
        WriteLine("", 0);
        WriteLine("Total " + Trim(title) + "s: " + std::to_string(info.rows), 0);
        WriteLine("", 0);
      }
      WriteObjectDescription(j);
    }
  } else {
    WriteGridTable(sectionId, info);
  }
}

void TReporter::WriteGridTable(int s, const TRepTableInfo& info) {
  int format = FormatNone, width = 0, precision = 0;
  if (ctx_.sections) format = ctx_.sections->GetNumberFormat(s, width, precision);
  const int nIn = [] {
    const TSampleData* d =
        static_cast<const TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, nullptr));
    return d ? static_cast<int>(d->inputs.count) : 0;
  }();
  const int extra = (s == 4 || s == 16) ? 1 : 0;
  const int columns = info.columns + extra;
  struct Cell {
    std::string text;
    bool number = false;
  };
  std::vector<std::vector<Cell>> grid(static_cast<size_t>(info.rows));
  for (int r = 1; r <= info.rows; ++r) {
    auto& row = grid[static_cast<size_t>(r - 1)];
    row.resize(static_cast<size_t>(columns));
    for (int c = 1; c <= columns; ++c) {
      Cell& cell = row[static_cast<size_t>(c - 1)];
      if (extra && c == 1) {
        if (r == 1)
          cell.text = "Nr.";
        else if (s == 4)
          cell.text = std::to_string(r - 1);
        else
          cell.text = r - 2 < nIn ? "I" + std::to_string(r - 1) : "O" + std::to_string(r - 1 - nIn);
        continue;
      }
      TRepObjectData d{};
      d.sectionId = static_cast<uint8_t>(s);
      d.selectedOutput = info.selectedOutput;
      d.row = r;
      d.column = c - extra;
      if (Rep_get_object_data(&d) != 1) continue;
      cell.text = FormatCell(d, format, width, precision);
      cell.number = d.cellKind != RepCellText;
    }
  }
  // Section 18: the rows and columns the filter shows (inputs "I", outputs "O").
  std::vector<bool> rowShown(static_cast<size_t>(info.rows), true);
  std::vector<bool> colShown(static_cast<size_t>(columns), true);
  if (s == 18 && ctx_.isSampleChecked) {
    for (int r = 2; r <= info.rows; ++r) {
      const std::string name = Trim(grid[static_cast<size_t>(r - 1)][1].text);
      rowShown[static_cast<size_t>(r - 1)] = ctx_.isSampleChecked(name, true);
      colShown[static_cast<size_t>(r)] = ctx_.isSampleChecked(name, false);
    }
  }
  if (s == 18) {
    // Row and column headers name inputs and outputs apart.
    for (int r = 2; r <= info.rows; ++r) {
      const int k = r - 2;
      const std::string label =
          k < nIn ? "I" + std::to_string(k + 1) : "O" + std::to_string(k - nIn + 1);
      grid[static_cast<size_t>(r - 1)][0].text = label;
      grid[0][static_cast<size_t>(r)].text = label;
    }
  }
  std::vector<int> widths(static_cast<size_t>(columns), 0);
  for (int r = 0; r < info.rows; ++r) {
    if (!rowShown[static_cast<size_t>(r)]) continue;
    for (int c = 0; c < columns; ++c)
      widths[static_cast<size_t>(c)] =
          std::max(widths[static_cast<size_t>(c)],
                   MeasureText(grid[static_cast<size_t>(r)][static_cast<size_t>(c)].text));
  }
  if (Short(info.header).size() > 0) {
    WriteLine(Short(info.header), 0);
    WriteLine("", 0);
  }
  const int fixed = 2;
  const bool oneBlock = (s == 4 || s == 16) && !(ctx_.sections && ctx_.sections->LineBreaks);
  std::vector<int> rest;
  for (int c = fixed; c < columns; ++c)
    if (colShown[static_cast<size_t>(c)]) rest.push_back(c);
  size_t next = 0;
  do {
    std::vector<int> block;
    int sum = 0;
    for (int c = 0; c < fixed && c < columns; ++c) {
      block.push_back(c);
      sum += widths[static_cast<size_t>(c)] + 3;
    }
    bool took = false;
    while (next < rest.size()) {
      const int w = widths[static_cast<size_t>(rest[next])];
      if (!oneBlock && took && sum + w > textWidth_) break;
      block.push_back(rest[next++]);
      sum += w + 3;
      took = true;
    }
    auto frame = [&](char left, char junction, char right, int reserve) {
      std::string line(1, left);
      for (size_t i = 0; i < block.size(); ++i) {
        if (i) line += junction;
        line += Repeat(kHorizontal, widths[static_cast<size_t>(block[i])] + (i == 0 ? 2 : 1));
      }
      WriteLine(line + right, reserve);
    };
    auto row = [&](int r) {
      std::string line = kWall + " ";
      for (int c : block) {
        const Cell& cell = grid[static_cast<size_t>(r)][static_cast<size_t>(c)];
        line += AlignText(cell.text, widths[static_cast<size_t>(c)], cell.number ? 'r' : 'l') +
                " " + kWall;
      }
      WriteLine(line, s == 4 ? -1 : 0);
    };
    auto header = [&] {
      frame('\xDA', '\xC2', '\xBF', 5);
      row(0);
      frame('\xC3', '\xC5', '\xB4', 3);
    };
    header();
    for (int r = 1; r < info.rows; ++r) {
      if (!rowShown[static_cast<size_t>(r)]) continue;
      if (pageLines_ == 59) {
        frame('\xC0', '\xC1', '\xD9', 0);
        header();
      }
      row(r);
    }
    frame('\xC0', '\xC1', '\xD9', 0);
    WriteBlank(3);
  } while (next < rest.size());
}

void TReporter::WritePerOutputTable(int s, const TRepTableInfo& info) {
  int format = FormatNone, width = 0, precision = 0;
  if (ctx_.sections) format = ctx_.sections->GetNumberFormat(s, width, precision);
  auto cell = [&](int r, int c) {
    TRepObjectData d{};
    d.sectionId = static_cast<uint8_t>(s);
    d.row = r;
    d.column = c;
    return Rep_get_object_data(&d) == 1 ? FormatCell(d, format, width, precision) : std::string();
  };
  int rows = info.rows;
  if (PreviewedSection != 0) rows = std::min(rows, 3);
  for (int j = 2; j <= rows; ++j) {
    const std::string title =
        Short(info.header) + "for " + "Variable " + std::to_string(j - 1) + ": " + Trim(cell(j, 1));
    WriteLine("", 0);
    WriteLine(title, 0);
    WriteLine("", 0);
    if (s == 6) {
      WriteLine(" Quantile      Value", 0);
      for (int c = 2; c <= 20; ++c)
        WriteLine(
            "  " + AlignText(std::to_string(5 * (c - 1)), 2, 'r') + "% " + ":     " + cell(j, c),
            0);
    } else {
      WriteLine(cell(1, 2) + cell(j, 2), 0);
      WriteLine(cell(1, 3) + cell(j, 3), 0);
      WriteLine("", 0);
      for (int k = 1; k <= 33; ++k) {
        std::string line;
        for (int p : {k, k + 33, k + 66}) line += cell(1, p + 3) + cell(j, p + 3) + "  ";
        WriteLine(line, 0);
      }
    }
  }
}

void TReporter::WriteObjectDescription(int n) {
  if (objectKind_ == ObjRandomVariable) {
    auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(n, ObjRandomVariable));
    if (!rv) return;
    char title[256] = {};
    GetDatatypeTitle(ObjRandomVariable, title);
    WriteLine((Trim(title) + " name: ").substr(0, 39) + Short(rv->distribution.name) +
                  "     index: " + std::to_string(n),
              0);
    const std::string description = Short(rv->description);
    if (!Trim(description).empty()) WriteLine(("Description: " + description).substr(0, 113), 0);
  } else if (objectKind_ == ObjFormula) {
    auto* f = static_cast<TUdf*>(Get_TSMObject(n, ObjFormula));
    if (!f) return;
    const std::string lead = GetNumberOfFormulas() > 9 ? " " : "";
    WriteLine(
        (n < 10 ? lead : "") + std::to_string(n) + ". " + Short(f->name) + ": " + Short(f->text),
        0);
    const std::string description = Short(f->description);
    if (!Trim(description).empty()) WriteLine(lead + "     Description: " + description, 0);
    WriteLine("", 0);
  }
}

void TReporter::Flush() {
  std::vector<std::string> utf8;
  utf8.reserve(lines_.size());
  for (const std::string& line : lines_) utf8.push_back(Cp437ToUtf8(line));
  target_.AppendLines(utf8);
  lines_.clear();
}

void TReporter::Generate() {
  if (ctx_.targetIsReportPanel) target_.SetVisible(false);
  totalLines_ = pageLines_ = page_ = 0;
  firstLine_ = true;
  const std::string file = ctx_.modelFileName;
  std::string base =
      file.substr(file.find_last_of("/\\") == std::string::npos ? 0 : file.find_last_of("/\\") + 1);
  if (const size_t dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
  char version[16];
  std::snprintf(version, sizeof version, "%3.1f", GetVelnarVersion());
  titleLine_ = std::string("Tesmira v") + version + " Report: " + base;
  const TTsmFileHeader* header = CurrentFileHeader();
  WriteRule();
  WriteLine("Model File: " + file, 0);
  WriteLine(
      ("Model Type: " + (header ? Short(header->modelTypeName) : std::string())).substr(0, 44), 0);
  WriteLine(
      ("Case Description: " + (header ? Short(header->description) : std::string())).substr(0, 118),
      0);
  std::tm now{};
  if (ctx_.clock) {
    now = ctx_.clock();
  } else {
    const std::time_t t = std::time(nullptr);
    localtime_r(&t, &now);
  }
  WriteLine("Current Date and Time: " + ReportDateTime(now), 0);
  WriteRule();
  const bool full = PreviewedSection == 0;
  if (full) {
    WriteBlank(2);
    WriteHeading("CONTENTS", 1);
    WriteContents();
  }
  int counter = 0;
  WalkSection(1, 0, true, counter, 2, 1);
  if (full) WriteHeading("END", 1);
  Flush();
  target_.SetVisible(true);
  target_.SetCaret(0);
}

void TDOSReporter::Generate() {
  textWidth_ = 73;
  contentsCursor_ = -1;
  target_.Clear();
  TReporter::Generate();
}

void GenerateReport(int format, int previewedSection, IReportTarget& target,
                    const TReportContext& context) {
  (void)format;
  TReportContext ctx = context;
  ctx.targetIsReportPanel = previewedSection == 0 && context.targetIsReportPanel;
  TDOSReporter writer(target, ctx);
  writer.PreviewedSection = previewedSection;
  writer.Generate();
  target.SetModified(true);
  if (previewedSection != 0) target.SetCaret(writer.PreviewCaret());
}

}  // namespace tesmira::wb
