// The report dialog's headless half: the content list (numbering, greying,
// visibility), the texts of the Format and Fonts lists, the table default
// number formats and the Format dialog's state with its Cancel restore.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "number_format.h"
#include "report_sections.h"

namespace tesmira::wb {

struct TContentItem {
  int Id = 0;
  int Depth = 1;  // two blanks of indentation per level
  std::string Title;
  bool Checked = true;
  bool Enabled = true;
  std::string Text;  // what the list shows
};

// The titled sections of the report-data tree, walked from section 1.
std::vector<TContentItem> ReportContentItems(const TRepSections& sections);
// Greys the items under unchecked ones (and sections 7, 9, 12 of an empty
// model), stores each check mark as its section's visibility and renumbers
// the texts: "  5.1. Title", or "  ... Title" for an unchecked or grey item.
void RefreshContentItems(std::vector<TContentItem>& items, TRepSections& sections, bool modelEmpty);
// The warning of the Content tab ("" for a model with variables or formulas).
std::string ContentWarning(bool modelEmpty, const std::string& modelFileName);

// Names of the table sections of the Format list, and of the sections and
// styles of the Fonts list ("" for other ids).
std::string FormatSectionName(int id);
std::string FontSectionName(int id);
const std::vector<int>& TableSections();
// "fixed, w:12, p:4", "table default", ...
std::string NumberFormatText(int format, int width, int precision);
// "Times New Roman, 12".
std::string FontText(const TRepFont& font);

struct TNumberFormat {
  int Format = 0;
  int Width = 10;
  int Precision = 3;
};
// The table default of a table section; throws std::logic_error
// ("unknown table requested format") for another section.
TNumberFormat TableDefaultFormat(int section, const TDisplaySettings& display);
// "Scientific", "Fixed", "General".
std::string FormatWord(int format);

// The Format dialog on one entry: list position 0 table default, 1 the
// workbench default, 2..4 formats 0..2.
class TFormatDialogState {
 public:
  TFormatDialogState(TRepSectionSetting& entry, const TDisplaySettings& display);
  std::vector<std::string> ListItems() const;
  int Position() const;
  // A change of the list or the edits: position 0 and 1 load their width and
  // precision (returned through width and precision); the entry takes them.
  void Change(int position, int& width, int& precision);
  static bool EditsEnabled(int position) { return position >= 2; }
  // Writes back the values the entry had when the dialog opened.
  void Cancel();

 private:
  TRepSectionSetting& entry_;
  TDisplaySettings display_;
  TNumberFormat table_;
  int oldFormat_, oldWidth_, oldPrecision_;
};

// The section previewed for a style entry of the Fonts list (the id itself
// for a section).
int PreviewSectionOf(int id);

}  // namespace tesmira::wb
