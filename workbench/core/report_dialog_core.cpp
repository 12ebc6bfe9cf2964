#include "report_dialog_core.h"

#include <algorithm>

#include "cp437.h"
#include "model/short_string.h"
#include "number_format.h"
#include "tesmira/report.h"

namespace tesmira::wb {

namespace {

void Walk(int id, int depth, std::vector<TContentItem>& items, const TRepSections& sections,
          int guard) {
  if (guard > 64) return;
  TRepSectionInfo info{};
  info.sectionId = static_cast<uint8_t>(id);
  if (Rep_get_section_info(&info) <= 0) return;
  int childDepth = depth;
  if (info.titled && depth > 0) {
    TContentItem item;
    item.Id = id;
    item.Depth = depth;
    item.Title = Cp437ToUtf8(ShortStringView(info.title));
    item.Checked = sections.IsSectionVisible(id, true);
    items.push_back(item);
  }
  if (info.titled || depth == 0) childDepth = depth + 1;
  for (int c = info.firstChild; c != 0; c = Rep_get_next_section(c))
    Walk(c, childDepth, items, sections, guard + 1);
}

}  // namespace

std::vector<TContentItem> ReportContentItems(const TRepSections& sections) {
  std::vector<TContentItem> items;
  Walk(1, 0, items, sections, 0);
  return items;
}

void RefreshContentItems(std::vector<TContentItem>& items, TRepSections& sections,
                         bool modelEmpty) {
  int greyBelow = -1;  // depth of the unchecked item whose subtree is grey
  for (TContentItem& item : items) {
    if (greyBelow >= 0 && item.Depth <= greyBelow) greyBelow = -1;
    item.Enabled = greyBelow < 0;
    if (modelEmpty && (item.Id == 7 || item.Id == 9 || item.Id == 12)) item.Enabled = false;
    if (greyBelow < 0 && (!item.Checked || !item.Enabled)) greyBelow = item.Depth;
    sections.SetSectionVisible(item.Id, item.Checked);
  }
  std::vector<int> numbers;
  for (TContentItem& item : items) {
    const std::string indent(static_cast<std::size_t>(2 * item.Depth), ' ');
    numbers.resize(static_cast<std::size_t>(item.Depth), 0);
    if (!item.Checked || !item.Enabled) {
      item.Text = indent + "... " + item.Title;
      continue;
    }
    ++numbers.back();
    std::string number;
    for (int n : numbers) number += std::to_string(n) + ".";
    item.Text = indent + number + " " + item.Title;
  }
}

std::string ContentWarning(bool modelEmpty, const std::string& modelFileName) {
  if (!modelEmpty) return "";
  std::string name = modelFileName;
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
  return "Part of the report sections is unavaliable because the input model file was not "
         "found.\rInput filename:\r" +
         name + ".tsm";
}

std::string FormatSectionName(int id) {
  switch (id) {
    case 4: return "Summary Report";
    case 6: return "Formula Distributions";
    case 8: return "Random Variable Descriptions";
    case 13: return "Dependence Structure";
    case 16: return "Sampling Results and Data";
    case 18: return "Product Moment Correlation Matrix";
    case 20: return "Output Percentiles";
    case 22: return "User Defined Quantiles";
    default: return "";
  }
}

std::string FontSectionName(int id) {
  static const char* const kStyles[] = {"Normal", "Heading 1", "Heading 2", "Heading 3",
                                        "Table",  "Symbol",    "Linedraw"};
  static const char* const kSections[] = {"Summary Report Title",
                                          "Summary Report Text",
                                          "Summary Report Table",
                                          "Formula Distributions Title",
                                          "Formula Distributions Table",
                                          "Random Variable Descriptions Title",
                                          "Random Variable Descriptions Text",
                                          "Formula and UDF Title",
                                          "Formula and UDF Text",
                                          "Simulation Data and Results Title",
                                          "Dependence Structure Title",
                                          "Dependence Structure Text",
                                          "Sampling Results and Data Title",
                                          "Sampling Results and Data Text",
                                          "Sampling Results and Data Table",
                                          "Product Moment Correlation Matrix Title",
                                          "Product Moment Correlation Matrix Table",
                                          "Output Percentiles Title",
                                          "Output Percentiles Table",
                                          "User Defined Quantiles Title",
                                          "User Defined Quantiles Table"};
  if (id >= -7 && id <= -1) return kStyles[id + 7];
  if (id >= 2 && id <= 22) return kSections[id - 2];
  return "";
}

const std::vector<int>& TableSections() {
  static const std::vector<int> kIds = {4, 6, 8, 13, 16, 18, 20, 22};
  return kIds;
}

std::string NumberFormatText(int format, int width, int precision) {
  static const char* const kNames[] = {"tesmira default", "table default", "/",
                                       "scientific",      "fixed",         "general"};
  if (format < -3 || format > 2) return "";
  std::string text = kNames[format + 3];
  if (format >= 0) text += ", w:" + std::to_string(width) + ", p:" + std::to_string(precision);
  return text;
}

std::string FontText(const TRepFont& font) { return font.name + ", " + std::to_string(font.size); }

TNumberFormat TableDefaultFormat(int section, const TDisplaySettings& display) {
  switch (section) {
    case 4:
    case 6:
    case 16:
    case 20:
    case 22: return {0, 10, 3};
    case 8: return {0, 8, 3};
    case 13: return {2, display.fpwidth, display.fpprecision};
    case 18: return {0, 5, 2};
    default: throw std::logic_error("unknown table requested format");
  }
}

std::string FormatWord(int format) {
  return format == 1 ? "Fixed" : format == 2 ? "General" : "Scientific";
}

TFormatDialogState::TFormatDialogState(TRepSectionSetting& entry, const TDisplaySettings& display)
    : entry_(entry),
      display_(display),
      table_(TableDefaultFormat(entry.id, display)),
      oldFormat_(entry.format),
      oldWidth_(entry.width),
      oldPrecision_(entry.precision) {}

std::vector<std::string> TFormatDialogState::ListItems() const {
  return {"Table Default (" + FormatWord(table_.Format) + ")",
          "Tesmira Default (" + FormatWord(display_.fpformat) + ")", "Scientific", "Fixed",
          "General"};
}

int TFormatDialogState::Position() const {
  if (entry_.format == FormatWorkbenchDefault) return 1;
  if (entry_.format >= 0 && entry_.format <= 2) return entry_.format + 2;
  return 0;
}

void TFormatDialogState::Change(int position, int& width, int& precision) {
  if (position < 0 || position > 4) return;
  if (position == 0) {
    width = table_.Width;
    precision = table_.Precision;
  } else if (position == 1) {
    width = display_.fpwidth;
    precision = display_.fpprecision;
  }
  entry_.format = position == 0   ? FormatTableDefault
                  : position == 1 ? FormatWorkbenchDefault
                                  : position - 2;
  entry_.width = width;
  entry_.precision = precision;
}

void TFormatDialogState::Cancel() {
  entry_.format = oldFormat_;
  entry_.width = oldWidth_;
  entry_.precision = oldPrecision_;
}

int PreviewSectionOf(int id) {
  switch (id) {
    case StyleNormal: return 3;
    case StyleHeading1: return 2;
    case StyleHeading2: return 12;
    case StyleHeading3: return 6;
    case StyleTable: return 4;
    case StyleSymbol: return 8;
    case StyleLinedraw: return 4;
    default: return id;
  }
}

}  // namespace tesmira::wb
