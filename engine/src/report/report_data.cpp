// The report-data interface over the blocks of the last run.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "model/export_guard.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "simulation/run_state.h"
#include "tesmira/model.h"
#include "tesmira/objects.h"
#include "tesmira/report.h"

namespace tesmira {
namespace {

struct SectionShape {
  uint8_t firstChild;
  const char* title;  // nullptr: untitled
  int32_t count;      // -1: the number of outputs
  uint8_t kind;
  uint8_t next;
};

// clang-format off
constexpr SectionShape kSections[23] = {
    {0, nullptr, 0, 0, 0},                                       // 0
    {2, nullptr, 5, RepHeading, 0},                              // 1
    {3, "Summary Report", 2, RepHeading, 5},                     // 2
    {0, nullptr, 3, RepText, 4},                                 // 3
    {0, nullptr, 1, RepTable, 0},                                // 4
    {6, "Formula Distributions", 1, RepHeading, 7},              // 5
    {0, nullptr, 1, RepTable, 0},                                // 6
    {8, "Random Variable Descriptions", 1, RepHeading, 9},       // 7
    {0, nullptr, 1, RepTable, 0},                                // 8
    {10, "Formula And User-Defined Functions", 1, RepHeading, 11},  // 9
    {0, nullptr, 1, RepTable, 0},                                // 10
    {12, "Simulaton Data And Results", 4, RepHeading, 0},        // 11
    {13, "Dependence Structure", 1, RepHeading, 14},             // 12
    {0, nullptr, 1, RepTable, 0},                                // 13
    {15, "Sampling Results And Data", 2, RepHeading, 17},        // 14
    {0, nullptr, 5, RepText, 16},                                // 15
    {0, nullptr, 1, RepTable, 0},                                // 16
    {18, "Correlation matrix", 1, RepHeading, 19},               // 17
    {0, nullptr, 1, RepTable, 0},                                // 18
    {20, "Output Percentiles", 1, RepHeading, 21},               // 19
    {0, nullptr, 1, RepTable, 0},                                // 20
    {22, "User-defined Quantiles", 1, RepHeading, 0},            // 21
    {0, nullptr, -1, RepTable, 0},                               // 22
};
// clang-format on

void SetShort(unsigned char* s, std::string_view text) {
  const size_t n = std::min<size_t>(text.size(), 255);
  s[0] = static_cast<unsigned char>(n);
  std::memcpy(s + 1, text.data(), n);
}

// The text of a short string field, never longer than the field holds: the
// length byte may come from a damaged file.
template <std::size_t N>
std::string GetShort(const unsigned char (&s)[N]) {
  return std::string(ShortStringView(s));
}

std::string PadRight(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string PadLeft(std::string s, size_t width) {
  if (s.size() < width) s.insert(0, width - s.size(), ' ');
  return s;
}

std::string Centre10(std::string s) {
  if (s.size() + 2 <= 10) s.insert(0, (10 - s.size()) / 2, ' ');
  return PadRight(std::move(s), 10);
}

// The results of the last run, nullptr when there are none.
const TSampleData* Results() {
  const TSampleData* d = SampleDataBlock();
  return d && d->requested != 0 ? d : nullptr;
}

int InCount(const TSampleData& d) {
  return std::clamp<int>(d.inputs.count, 0, MaxSampleListEntries);
}
int OutCount(const TSampleData& d) {
  return std::clamp<int>(d.outputs.count, 0, MaxSampleListEntries);
}

std::string EntryName(const TSampleListEntry& e) {
  return std::string(reinterpret_cast<const char*>(e.name + 1), std::min<int>(e.name[0], 32));
}

// Name of variable k (0-based, inputs then outputs).
std::string VariableName(const TSampleData& d, int k) {
  const int nIn = InCount(d);
  return k < nIn ? EntryName(d.inputs.entries[k]) : EntryName(d.outputs.entries[k - nIn]);
}

// The name cell: "Variable" in row 1, else the name, padded to 10.
std::string NameCell(std::string name) { return PadRight(std::move(name), 10); }

// Quantile at p of variable k (0-based, inputs then outputs); none without a
// table (the inputs of an opened output file have none).
std::optional<double> QuantileOf(const TSampleData& d, int k, double p) {
  const int nIn = InCount(d);
  const bool output = k >= nIn;
  const int index = output ? k - nIn : k;
  const DistributionSlots* slots = DistributionSlotArray(output);
  if (!slots || index < 0 || index >= MaxSampleListEntries) return std::nullopt;
  const auto& table = slots->tables[index];
  const long entry = std::lround(d.resolution * p);
  if (entry < 0 || static_cast<size_t>(entry) >= table.size()) return std::nullopt;
  return table[static_cast<size_t>(entry)];
}

double TableEntry(const TSampleData& d, int output, long entry) {
  (void)d;
  const DistributionSlots* slots = DistributionSlotArray(true);
  if (!slots || output < 0 || output >= MaxSampleListEntries) return 0.0;
  const auto& table = slots->tables[output];
  if (entry < 0 || static_cast<size_t>(entry) >= table.size()) return 0.0;
  return table[static_cast<size_t>(entry)];
}

double MeanOf(int k) {
  const TSampleResults* r = SampleResultsBlock();
  return r && k >= 0 && k < MaxSampleColumns ? r->means[k] : 0.0;
}

double VarianceOf(int k) {
  const TSampleResults* r = SampleResultsBlock();
  return r && k >= 0 && k < MaxSampleColumns ? r->variances[k] : 0.0;
}

// Header of the percentile columns: the percentage in two characters.
std::string PercentHeader(int column, const char* suffix) {
  const double p = 0.05 + 0.45 * (column - 2);
  return PadLeft(std::to_string(std::lround(p * 100)), 2) + suffix;
}

const TUserQuantileEntry* UserQuantilesOf(const TSampleData& d, int output) {
  const TUserQuantiles* q = UserQuantileTable();
  if (!q || output < 1 || output > OutCount(d)) return nullptr;
  return &q->entries[output - 1];
}

int UserQuantileCount(const TUserQuantileEntry& e) {
  return std::clamp<int>(e.validCount, 0, UserQuantileTargets);
}

// Rows 1..5 of the summary text (rows 1..3 shared with section 3).
std::string SummaryLine(const TSampleData& d, int row) {
  switch (row) {
    case 1: {
      std::string line = "Input model file name: " + GetShort(d.modelName);
      return line.substr(0, 31);
    }
    case 2: {
      std::string line = "Number of Samples used: " + std::to_string(d.accepted) + ", of " +
                         std::to_string(d.requested) + " samples total";
      // A negative seed marks the last of repeated simulations; the count is
      // known only for a run made in this session.
      const RunSettings& s = Settings();
      if (d.seed < 0 && s.runs != 0 && s.numberOfSimulations > 1)
        line += " (last simulation of " + std::to_string(s.numberOfSimulations) + " total)";
      return line;
    }
    case 3: return "Random Seed: " + std::to_string(std::abs(static_cast<int>(d.seed)));
    case 4: {
      const char* kind = d.correlationKind == 1   ? "Product Moment Correlation"
                         : d.correlationKind == 2 ? "Rank Correlation"
                                                  : "Correlation";
      return std::string("Output Options: ") + kind;
    }
    case 5: return "Quantile Options: " + std::to_string(d.resolution) + " percentiles generated";
    default: return std::string();
  }
}

bool IsTableSection(int id) {
  switch (id) {
    case 4:
    case 6:
    case 8:
    case 10:
    case 13:
    case 16:
    case 18:
    case 20:
    case 22: return true;
    default: return false;
  }
}

struct Shape {
  int kind = 0, rows = 0, columns = 0;
};

Shape TableShape(const TSampleData& d, int id) {
  const int nIn = InCount(d), nOut = OutCount(d);
  switch (id) {
    case 4: return {1, nOut + 1, 8};
    case 6: return {2, nOut + 1, 20};
    case 8: return {3, GetNumberOfRandomVariables(), 7};
    case 10: return {0, GetNumberOfFormulas(), 2};
    case 13: return {0, GetNumberOfDepNodes(false), 2};
    case 16: return {1, nIn + nOut + 1, 6};
    case 18: return {1, nIn + nOut + 1, nIn + nOut + 2};
    case 20: return {4, nOut + 1, 102};
    default: return {5, 0, 3};
  }
}

// A cell's text or number; 1 (filled).
int TextCell(TRepObjectData& o, std::string_view s) {
  o.cellKind = RepCellText;
  SetShort(o.text, s);
  return 1;
}

int NumberCell(TRepObjectData& o, uint8_t kind, double v) {
  o.cellKind = kind;
  o.number = v;
  return 1;
}

// A statistic that may be unknown: an unknown one leaves the cell empty.
int StatisticCell(TRepObjectData& o, std::optional<double> v) {
  if (!v) {
    o.cellKind = RepCellNone;
    o.number = 0.0;
    return 1;
  }
  return NumberCell(o, RepCellStatistic, *v);
}

// The summary statistics of the outputs: three quantiles, mean, median,
// variance and the error factor.
int SummaryCell(const TSampleData& d, TRepObjectData& o) {
  const int row = o.row, col = o.column;
  if (row < 1 || row > OutCount(d) + 1 || col < 1 || col > 8) return 0;
  if (row == 1) {
    static const char* const kHeads[] = {"Mean", "Median", "Variance", "Err.Factor"};
    if (col == 1) return TextCell(o, NameCell("Variable"));
    if (col <= 4) return TextCell(o, Centre10(PercentHeader(col, "%-quant.")));
    return TextCell(o, Centre10(kHeads[col - 5]));
  }
  const int k = InCount(d) + row - 2;
  switch (col) {
    case 1: return TextCell(o, NameCell(VariableName(d, k)));
    case 2:
    case 3:
    case 4: return StatisticCell(o, QuantileOf(d, k, 0.05 + 0.45 * (col - 2)));
    case 5: return NumberCell(o, RepCellStatistic, MeanOf(k));
    case 6: return StatisticCell(o, QuantileOf(d, k, 0.5));
    case 7: return NumberCell(o, RepCellStatistic, VarianceOf(k));
    default: {
      const std::optional<double> median = QuantileOf(d, k, 0.5), upper = QuantileOf(d, k, 0.95);
      if (!median || !upper) return StatisticCell(o, std::nullopt);
      return NumberCell(o, RepCellStatistic, std::fabs(*median) <= 1e-300 ? 0.0 : *upper / *median);
    }
  }
}

// The 5 % to 95 % quantiles of the outputs.
int QuantilesCell(const TSampleData& d, TRepObjectData& o) {
  const int row = o.row, col = o.column;
  if (row < 1 || row > OutCount(d) + 1 || col < 1 || col > 20) return 0;
  const int k = InCount(d) + row - 2;
  if (col == 1) return TextCell(o, NameCell(row == 1 ? "Variable" : VariableName(d, k)));
  o.integer = 5 * (col - 1);
  if (row == 1) {
    o.cellKind = RepCellPercentHeader;
    return 1;
  }
  return StatisticCell(o, QuantileOf(d, k, o.integer / 100.0));
}

// Mean, variance and three percentiles of every input and output.
int SampleStatisticsCell(const TSampleData& d, TRepObjectData& o) {
  const int row = o.row, col = o.column;
  if (row < 1 || row > InCount(d) + OutCount(d) + 1 || col < 1 || col > 6) return 0;
  if (row == 1) {
    static const char* const kHeads[] = {"Mean", "Variance"};
    if (col == 1) return TextCell(o, NameCell("Variable"));
    if (col <= 3) return TextCell(o, kHeads[col - 2]);
    return TextCell(o, PercentHeader(col - 2, "% Perc"));
  }
  const int k = row - 2;
  switch (col) {
    case 1: return TextCell(o, NameCell(VariableName(d, k)));
    case 2: return NumberCell(o, RepCellStatistic, MeanOf(k));
    case 3: return NumberCell(o, RepCellStatistic, VarianceOf(k));
    default: return StatisticCell(o, QuantileOf(d, k, 0.05 + 0.45 * (col - 4)));
  }
}

// The sample correlation matrix, inputs and outputs each numbered from 1.
int CorrelationCell(const TSampleData& d, TRepObjectData& o) {
  const int row = o.row, col = o.column;
  const int nIn = InCount(d), n = nIn + OutCount(d);
  if (row < 1 || row > n + 1 || col < 1 || col > n + 2) return 0;
  auto ownNumber = [&](int k) { return k < nIn ? k + 1 : k - nIn + 1; };
  if (col == 1)
    return TextCell(
        o, row == 1 ? std::string(" Nr.") : PadLeft(std::to_string(ownNumber(row - 2)), 4));
  if (col == 2) return TextCell(o, NameCell(row == 1 ? "Variable" : VariableName(d, row - 2)));
  if (row == 1) return TextCell(o, PadLeft(std::to_string(ownNumber(col - 3)), 5));
  return NumberCell(o, RepCellCorrelation, Get_sample_correlation(row - 1, col - 2));
}

// Minimum, maximum and the percentiles 0.01 to 0.99 of the outputs' tables.
int PercentilesCell(const TSampleData& d, TRepObjectData& o) {
  const int row = o.row, col = o.column;
  if (row < 1 || row > OutCount(d) + 1 || col < 1 || col > 102) return 0;
  if (col == 1)
    return TextCell(o, NameCell(row == 1 ? "Variable" : VariableName(d, InCount(d) + row - 2)));
  if (row == 1) {
    if (col == 2) return TextCell(o, "MINIMUM SAMPLE VALUE:");
    if (col == 3) return TextCell(o, "MAXIMUM SAMPLE VALUE:");
    const int pc = col - 3;
    return TextCell(o, std::string("perc. 0.") + char('0' + pc / 10) + char('0' + pc % 10) + ":");
  }
  const long entry = col == 2   ? 0
                     : col == 3 ? d.resolution
                                : static_cast<long>(col - 3) * d.resolution / 100;
  return NumberCell(o, RepCellPercentile, TableEntry(d, row - 2, entry));
}

// The user-defined quantiles of the selected output; -1 when it has none.
int UserQuantilesCell(const TSampleData& d, TRepObjectData& o) {
  const int row = o.row, col = o.column;
  const TUserQuantileEntry* e = UserQuantilesOf(d, o.selectedOutput);
  if (!e) return -1;
  const int count = UserQuantileCount(*e);
  if (row < 1 || row > count + 1 || col < 1 || col > 3) return 0;
  if (row == 1) {
    static const char* const kHeads[] = {"Quantile", " P^(X<=x) ", "     x    "};
    return TextCell(o, kHeads[col - 1]);
  }
  const TUserQuantilePair& pair = e->pairs[row - 2];
  if (col == 1) {
    o.cellKind = RepCellInteger;
    o.integer = row - 1;
    return 1;
  }
  return NumberCell(o, RepCellStatistic, col == 2 ? pair.target : pair.value);
}

// Fills one cell; 1 done, 0 outside the table, -1 unknown.
int32_t FillCell(const TSampleData& d, TRepObjectData& o) {
  const int id = o.sectionId, row = o.row, col = o.column;
  switch (id) {
    case 3:
    case 15: {
      const int last = id == 3 ? 4 : 6;
      if (row < 1 || row > last) return 0;
      if (id == 3 && row == 4) return TextCell(o, "");
      return TextCell(o, SummaryLine(d, row));
    }
    case 4: return SummaryCell(d, o);
    case 6: return QuantilesCell(d, o);
    case 8:
    case 10:
    case 13: {
      const int rows = id == 8    ? GetNumberOfRandomVariables() + 1
                       : id == 10 ? GetNumberOfFormulas() + 1
                                  : GetNumberOfDepNodes(true) + 2;
      const int cols = id == 8 ? 7 : 2;
      if (row < 1 || row > rows || col < 1 || col > cols) return 0;
      o.cellKind = id == 8 ? RepCellRandomVariable : id == 10 ? RepCellFormula : RepCellDepNode;
      return 1;
    }
    case 16: return SampleStatisticsCell(d, o);
    case 18: return CorrelationCell(d, o);
    case 20: return PercentilesCell(d, o);
    case 22: return UserQuantilesCell(d, o);
    default: return -1;
  }
}

}  // namespace
}  // namespace tesmira

using namespace tesmira;

static int32_t SectionInfo(TRepSectionInfo* info) {
  if (!info) return -1;
  const TSampleData* d = Results();
  if (!d) return 0;
  info->firstChild = 0;
  info->title[0] = 0;
  info->titled = 0;
  info->count = 0;
  info->kind = 0;
  const int id = info->sectionId;
  if (id == 0) return 0;
  if (id > 22) return -1;
  const SectionShape& s = kSections[id];
  info->firstChild = s.firstChild;
  info->kind = s.kind;
  info->count = s.count < 0 ? OutCount(*d) : s.count;
  if (s.title) {
    info->titled = 1;
    std::string title = s.title;
    if (id == 17) {
      if (d->correlationKind == 1) title = "Product Moment " + title;
      if (d->correlationKind == 2) title = "Rank " + title;
    }
    SetShort(info->title, title);
  }
  if (id == 17 && d->correlationKind != 1 && d->correlationKind != 2) return 0;
  if (id == 21 && d->userQuantiles == 0) return 0;
  return 1;
}

static int32_t TableInfo(TRepTableInfo* info) {
  if (!info) return -1;
  const int id = info->sectionId;
  if (!IsTableSection(id)) return -1;
  info->rows = 0;
  info->columns = 0;
  info->header[0] = 0;
  const TSampleData* d = Results();
  if (!d) return 0;
  const Shape shape = TableShape(*d, id);
  info->tableKind = static_cast<uint8_t>(shape.kind);
  info->rows = shape.rows;
  info->columns = shape.columns;
  switch (id) {
    case 4:
      SetShort(info->header,
               "               Main quantiles,    Location estimates,  Estimates of spread");
      break;
    case 6: SetShort(info->header, "Uncertainty Distributions "); break;
    case 20: SetShort(info->header, "Output Distribution "); break;
    case 22:
      if (const TUserQuantileEntry* e = UserQuantilesOf(*d, info->selectedOutput)) {
        const int count = UserQuantileCount(*e);
        if (count >= 1) {
          info->rows = count + 1;
          const std::string name = EntryName(d->outputs.entries[info->selectedOutput - 1]) + " :";
          SetShort(info->header, name.substr(0, 34));
        }
      }
      break;
    default: break;
  }
  return 1;
}

static int32_t ObjectData(TRepObjectData* data) {
  if (!data) return -1;
  data->number = 0;
  data->integer = 0;
  data->cellKind = RepCellNone;
  data->character = ' ';
  const TSampleData* d = Results();
  const int id = data->sectionId;
  const bool known = id == 3 || id == 15 || IsTableSection(id);
  if (d && data->text[0] != 0) {
    const std::string name = GetShort(data->text);
    int found = -Sample_variable_exists(name.c_str(), &d->inputs);
    if (found == 0) found = Sample_variable_exists(name.c_str(), &d->outputs);
    if (id == 22 && data->selectedOutput == 0) {
      data->selectedOutput = found;
    } else if (data->row == 0) {
      int r = found;
      if (id == 16 || id == 18) r = found < 0 ? -found : found > 0 ? InCount(*d) + found : 0;
      if (r > 0) data->row = r + 1;
    }
  }
  data->text[0] = 0;
  if (!known) return -1;
  if (!d) return 0;
  return FillCell(*d, *data);
}

static int32_t NextSection(int32_t sectionId) {
  const int id = sectionId & 0x7f;
  return id <= 22 ? kSections[id].next : 0;
}

// A failed allocation (the texts are built as strings) ends the call as an
// invalid request instead of crossing the C interface.
TESMIRA_API int32_t Rep_get_section_info(TRepSectionInfo* info) {
  return Guarded<int32_t>(-1, [&] { return SectionInfo(info); });
}

TESMIRA_API int32_t Rep_get_table_info(TRepTableInfo* info) {
  return Guarded<int32_t>(-1, [&] { return TableInfo(info); });
}

TESMIRA_API int32_t Rep_get_object_data(TRepObjectData* data) {
  return Guarded<int32_t>(-1, [&] { return ObjectData(data); });
}

TESMIRA_API int32_t Rep_get_next_section(int32_t sectionId) {
  return Guarded<int32_t>(0, [&] { return NextSection(sectionId); });
}
