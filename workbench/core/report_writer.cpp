#include "report_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cp437.h"
#include "model_helpers.h"
#include "number_format.h"
#include "tesmira/distributions.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"

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

void TReporter::WriteRawLine(const std::string& text, int reserve) { WriteLine(text, reserve); }

void TReporter::SelectStyle(int) {}

void TReporter::MarkPreviewedSection() {
  previewCaret_ = textLength_;
  previewLine_ = static_cast<int>(lines_.size());
}

void TReporter::BeginTableRow() {}

void TReporter::AddTableCell(int, char) {}

void TReporter::EndTableRow(const std::string& rowText) { WriteLine(rowText, rowReserve_); }

void TReporter::EndTable() {}

void TReporter::WriteFrameLine(const std::string& line, int reserve) { WriteLine(line, reserve); }

std::string TReporter::TableRowStart() const { return kWall + " "; }

std::string TReporter::TableCell(const std::string& text, int width, char alignment, int, int) {
  return AlignText(text, width, alignment) + " " + kWall;
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
  currentSection_ = id;
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
        if (id == PreviewedSection) MarkPreviewedSection();
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
    currentSection_ = id;
  } else if (mode == 2 && included) {
    if (id == PreviewedSection) MarkPreviewedSection();
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
  currentSection_ = sectionId;
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

void TReporter::TakeCounts() {
  nVariables_ = Get_TSMObjectsNumber(ObjRandomVariable);
  nFormulas_ = Get_TSMObjectsNumber(ObjFormula);
  nNodes_ = Get_TSMObjectsNumber(ObjDependenceNode);
  extraNodes_.clear();
  for (int k = 1; k <= nNodes_; ++k) {
    void* node = Get_TSMObject(k, ObjDependenceNode);
    char name[256] = {};
    GetDepNodeName(node, name);
    if (Variable_exists(name) == 0 && !IsCompositeNode(node)) extraNodes_.push_back(name);
  }
}

std::string TReporter::RowName(int s, int k) const {
  if (GetHeaderModelType() == 3 || k < 1) return std::string();
  auto formula = [](int n) {
    const auto* f = static_cast<const TUdf*>(Get_TSMObject(n, ObjFormula));
    return f ? Short(f->name) : std::string();
  };
  if (s == 4 || s == 22 || s == 6 || s == 20)
    return nFormulas_ > 0 && k <= nFormulas_ ? formula(k) : std::string();
  if (s != 16 || (nVariables_ == 0 && nNodes_ == 0)) return std::string();
  if (k <= nVariables_) {
    const auto* rv =
        static_cast<const TExtendedRandomVariable*>(Get_TSMObject(k, ObjRandomVariable));
    return rv ? Short(rv->distribution.name) : std::string();
  }
  k -= nVariables_;
  if (k <= static_cast<int>(extraNodes_.size())) return extraNodes_[static_cast<size_t>(k - 1)];
  k -= static_cast<int>(extraNodes_.size());
  return k <= nFormulas_ ? formula(k) : std::string();
}

int TReporter::FetchCell(TRepObjectData& d, int s, int selectedOutput, int row, int column,
                         const std::string& name) {
  d = TRepObjectData{};
  d.sectionId = static_cast<uint8_t>(s);
  d.selectedOutput = selectedOutput;
  d.row = name.empty() ? row : 0;
  d.column = column;
  if (!name.empty()) {
    const size_t n = std::min<size_t>(name.size(), 255);
    d.text[0] = static_cast<unsigned char>(n);
    std::memcpy(d.text + 1, name.data(), n);
  }
  return Rep_get_object_data(&d);
}

TReporter::TGrid TReporter::GridCells(int s, const TRepTableInfo& info, int columns, int nIn) {
  int format = FormatNone, width = 0, precision = 0;
  if (ctx_.sections) format = ctx_.sections->GetNumberFormat(s, width, precision);
  const int extra = (s == 4 || s == 16) ? 1 : 0;
  TGrid grid(static_cast<size_t>(info.rows));
  for (int r = 1; r <= info.rows; ++r) {
    auto& row = grid[static_cast<size_t>(r - 1)];
    row.resize(static_cast<size_t>(columns));
    const std::string name = r >= 2 ? RowName(s, r - 1) : std::string();
    for (int c = 1; c <= columns; ++c) {
      TGridCell& cell = row[static_cast<size_t>(c - 1)];
      if (extra && c == 1) {
        if (r == 1)
          cell.text = "Nr.";
        else if (s == 4)
          cell.text = std::to_string(r - 1);
        else
          cell.text = r - 2 < nIn ? std::string("I").append(std::to_string(r - 1))
                                  : std::string("O").append(std::to_string(r - 1 - nIn));
        continue;
      }
      TRepObjectData d;
      if (FetchCell(d, s, info.selectedOutput, r, c - extra, name) != 1) continue;
      cell.text = FormatCell(d, format, width, precision);
      cell.number = d.cellKind != RepCellText;
    }
  }
  return grid;
}

void TReporter::FilterMatrix(TGrid& grid, int nIn, std::vector<bool>& rowShown,
                             std::vector<bool>& colShown) const {
  const int rows = static_cast<int>(grid.size());
  const int columns = static_cast<int>(colShown.size());
  for (int r = 2; r <= rows; ++r) {
    const std::string name = Trim(grid[static_cast<size_t>(r - 1)][1].text);
    bool row = true, column = true;
    if (ctx_.isSampleChecked) {
      row = ctx_.isSampleChecked(name, true);
      column = ctx_.isSampleChecked(name, false);
    }
    // Composite nodes have no row of their own.
    if (IsCompositeNode(Fetch_dep_node(0, name.c_str()))) row = false;
    rowShown[static_cast<size_t>(r - 1)] = row;
    if (r < columns) colShown[static_cast<size_t>(r)] = column;
  }
  // Row and column headers name inputs and outputs apart.
  for (int r = 2; r <= rows; ++r) {
    const int k = r - 2;
    const std::string label =
        k < nIn ? "I" + std::to_string(k + 1) : "O" + std::to_string(k - nIn + 1);
    grid[static_cast<size_t>(r - 1)][0].text = label;
    if (r < columns) grid[0][static_cast<size_t>(r)].text = label;
  }
}

void TReporter::WriteGridBlock(int s, const TGrid& grid, const std::vector<int>& block,
                               const std::vector<int>& widths, const std::vector<bool>& rowShown,
                               bool preview) {
  auto frame = [&](char left, char junction, char right, int reserve) {
    std::string line(1, left);
    for (size_t i = 0; i < block.size(); ++i) {
      if (i) line += junction;
      line += Repeat(kHorizontal, widths[static_cast<size_t>(block[i])] + (i == 0 ? 2 : 1));
    }
    WriteFrameLine(line + right, reserve);
  };
  auto row = [&](int r) {
    BeginTableRow();
    std::string line = TableRowStart();
    for (int c : block) {
      const TGridCell& cell = grid[static_cast<size_t>(r)][static_cast<size_t>(c)];
      AddTableCell(widths[static_cast<size_t>(c)], s == 18 && c >= 2 ? 'r' : 'l');
      line +=
          TableCell(cell.text, widths[static_cast<size_t>(c)], cell.number ? 'r' : 'l', s, c + 1);
    }
    EndTableRow(line);
  };
  auto header = [&] {
    frame('\xDA', '\xC2', '\xBF', 5);
    row(0);
    frame('\xC3', '\xC5', '\xB4', 3);
  };
  header();
  int printed = 1;
  for (int r = 1; r < static_cast<int>(grid.size()); ++r) {
    if (!rowShown[static_cast<size_t>(r)]) continue;
    if (preview && printed >= 3) break;
    if (pageLines_ == 59) {
      frame('\xC0', '\xC1', '\xD9', 0);
      header();
    }
    row(r);
    ++printed;
  }
  frame('\xC0', '\xC1', '\xD9', 0);
  EndTable();
  WriteBlank(3);
}

void TReporter::WriteGridTable(int s, const TRepTableInfo& info) {
  const int nIn = [] {
    const TSampleData* d =
        static_cast<const TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, nullptr));
    return d ? static_cast<int>(d->inputs.count) : 0;
  }();
  const bool preview = PreviewedSection != 0;
  int columns = info.columns + ((s == 4 || s == 16) ? 1 : 0);
  if (preview) columns = std::min(columns, 100);
  TGrid grid = GridCells(s, info, columns, nIn);
  // Section 18: the rows and columns the filter shows (inputs "I", outputs "O").
  std::vector<bool> rowShown(static_cast<size_t>(info.rows), true);
  std::vector<bool> colShown(static_cast<size_t>(columns), true);
  if (s == 18) FilterMatrix(grid, nIn, rowShown, colShown);
  std::vector<int> widths(static_cast<size_t>(columns), 0);
  MeasureInTableFont();
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
  const int fixed = (s == 4 || s == 16 || s == 18) ? 2 : 1;
  const bool oneBlock =
      (s == 4 || s == 16) && !SplitsWideTables() && !(ctx_.sections && ctx_.sections->LineBreaks);
  std::vector<int> rest;
  for (int c = fixed; c < columns; ++c)
    if (colShown[static_cast<size_t>(c)]) rest.push_back(c);
  if (rest.empty() && columns > fixed) return;  // no column of the matrix is shown
  rowReserve_ = s == 4 ? -1 : 0;
  SelectStyle(104);
  // The fixed columns begin every block; the others fill it up to the text width.
  size_t next = 0;
  do {
    std::vector<int> block;
    int sum = 0;
    for (int c = 0; c < fixed && c < columns; ++c) {
      block.push_back(c);
      sum += widths[static_cast<size_t>(c)] + CellPadding();
    }
    bool took = false;
    while (next < rest.size()) {
      const int w = widths[static_cast<size_t>(rest[next])];
      // A writer that splits wide tables keeps whole cells within the width.
      const int needed = SplitsWideTables() ? w + CellPadding() : w;
      if (!oneBlock && took && sum + needed > textWidth_) break;
      block.push_back(rest[next++]);
      sum += w + CellPadding();
      took = true;
    }
    WriteGridBlock(s, grid, block, widths, rowShown, preview);
  } while (next < rest.size() && !preview);
  rowReserve_ = 0;
}

void TReporter::WritePerOutputTable(int s, const TRepTableInfo& info) {
  int format = FormatNone, width = 0, precision = 0;
  if (ctx_.sections) format = ctx_.sections->GetNumberFormat(s, width, precision);
  const bool preview = PreviewedSection != 0;
  const int maxColumn = preview ? 7 : info.columns;
  std::string name;
  auto cell = [&](int r, int c) {
    if (c > maxColumn) return std::string();
    TRepObjectData d;
    return FetchCell(d, s, 0, r, c, r >= 2 ? name : std::string()) == 1
               ? FormatCell(d, format, width, precision)
               : std::string();
  };
  int rows = info.rows;
  if (preview) rows = std::min(rows, 3);
  for (int j = 2; j <= rows; ++j) {
    name = RowName(s, j - 1);
    const std::string title =
        Short(info.header) + "for " + "Variable " + std::to_string(j - 1) + ": " + Trim(cell(j, 1));
    WriteLine("", 0);
    SelectStyle(103);
    WriteLine(title, 0);
    ReleaseStyle();
    WriteLine("", 0);
    if (s == 6) {
      WriteLine(" Quantile      Value", 0);
      for (int c = 2; c <= std::min(20, maxColumn); ++c)
        WriteLine(
            "  " + AlignText(std::to_string(5 * (c - 1)), 2, 'r') + "% " + ":     " + cell(j, c),
            0);
    } else {
      WriteLine(cell(1, 2) + cell(j, 2), 0);
      WriteLine(cell(1, 3) + cell(j, 3), 0);
      WriteLine("", 0);
      for (int k = 1; k <= 33; ++k) {
        std::string line;
        for (int p : {k, k + 33, k + 66})
          if (p + 3 <= maxColumn) line += cell(1, p + 3) + cell(j, p + 3) + "  ";
        if (!preview || !line.empty()) WriteLine(line, 0);
      }
    }
  }
}

std::vector<TReporter::TParameterColumn> TReporter::ParameterTable(
    const TExtendedRandomVariable& rv, std::string& typeTitle) {
  int format = FormatNone, width = 0, precision = 0;
  if (ctx_.sections) format = ctx_.sections->GetNumberFormat(currentSection_, width, precision);
  TExtendedRandomVariable copy = rv;
  std::vector<TParameterColumn> columns;
  const int titles = Process_extended_random_variable(&copy, DistributionTitleOp);
  typeTitle = Short(copy.text[0]);
  if (titles < 1) return columns;
  const int count = Process_extended_random_variable(&copy, RepresentationTitlesOp);
  for (int i = 1; i <= count && i <= TextLines; ++i)
    columns.push_back({Short(copy.text[i - 1]), {}, {}});
  const int type = rv.distribution.distType;
  const bool byFile = type == 11 || type == 12 || type == 14 || type == 15;
  for (int i = 1; i <= static_cast<int>(columns.size()); ++i) {
    TParameterColumn& col = columns[static_cast<size_t>(i - 1)];
    std::memcpy(&copy.representation, &i, sizeof i);
    const int labels = Process_extended_random_variable(&copy, ValueLabelsOp);
    for (int r = 1; r <= labels && r <= TextLines; ++r)
      col.labels.push_back(Short(copy.text[r - 1]));
    const int values = Process_extended_random_variable(&copy, DistributionValueTextsOp);
    for (int r = 1; r <= static_cast<int>(col.labels.size()); ++r) {
      std::optional<std::string> v;
      if (byFile) {
        if (r == 1) v = Short(copy.text[0]);
      } else if (r <= values && r <= ValueSlots) {
        double x;
        std::memcpy(&x, &copy.values[r - 1], sizeof x);
        if (!IsMissingValue(x))
          v = format < 0 ? FormatNumberAs(x, 1, 8, 3) : FormatNumberAs(x, format, width, precision);
      }
      col.values.push_back(v);
    }
  }
  return columns;
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
    std::string typeTitle;
    const auto columns = ParameterTable(*rv, typeTitle);
    WriteLine(TrimRight("Distribution type: " + typeTitle), 0);
    if (columns.empty()) return;
    const int w = std::max<int>(1, static_cast<int>(columns[0].title.size()));
    for (int r = 0; r <= 20; ++r) {
      std::string line;
      bool suppressed = false;
      for (size_t i = 0; i < columns.size(); ++i) {
        const TParameterColumn& col = columns[i];
        if (r == 0) {
          line += col.title;
        } else if (static_cast<size_t>(r) <= col.labels.size()) {
          const auto& v = col.values[static_cast<size_t>(r - 1)];
          if (!v) {
            if (i == 0) suppressed = true;
          } else {
            line += " " + col.labels[static_cast<size_t>(r - 1)] + " = " + *v;
          }
        }
        const int edge = static_cast<int>(i + 1) * w;
        if (static_cast<int>(line.size()) < edge)
          line += Repeat(' ', edge - static_cast<int>(line.size()));
      }
      line = TrimRight(line);
      if (!suppressed && (!line.empty() || r == 20)) WriteLine(line, 0);
    }
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
  } else if (objectKind_ == ObjDependenceNode) {
    if (n == 1 && nNodes_ > 0) WriteDependenceStructures();
  }
}

void TReporter::Flush() {
  std::vector<std::string> utf8;
  utf8.reserve(lines_.size());
  for (const std::string& line : lines_) utf8.push_back(Cp437ToUtf8(line));
  target_.AppendLines(utf8);
  lines_.clear();
}

std::string TReporter::ModelBaseName() const {
  const std::string& file = ctx_.modelFileName;
  const size_t slash = file.find_last_of("/\\");
  std::string base = file.substr(slash == std::string::npos ? 0 : slash + 1);
  if (const size_t dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
  return base;
}

void TReporter::WriteCommonPart() {
  TakeCounts();
  totalLines_ = pageLines_ = page_ = 0;
  firstLine_ = true;
  const std::string& file = ctx_.modelFileName;
  char version[16];
  std::snprintf(version, sizeof version, "%3.1f", GetVelnarVersion());
  titleLine_ = std::string("Tesmira v") + version + " Report: " + ModelBaseName();
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
    WriteHeading("CONTENTS", ContentsHeadingLevel());
    WriteContents();
  }
  int counter = 0;
  WalkSection(1, 0, true, counter, 2, 1);
  if (full) WriteHeading("END", ContentsHeadingLevel());
}

void TReporter::Generate() {
  if (ctx_.targetIsReportPanel) target_.SetVisible(false);
  WriteCommonPart();
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

}  // namespace tesmira::wb
