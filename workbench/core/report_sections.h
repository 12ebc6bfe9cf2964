// The report's section settings: which sections are in the report, their
// fonts and number formats, the output format and the line-break option.
// One object for the workbench, read from and written to the "Report"
// section of the settings file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace common {
class TIniFile;
}

namespace tesmira::wb {

// Paragraph styles that have settings like sections.
enum TRepStyle {
  StyleNormal = -7,
  StyleHeading1 = -6,
  StyleHeading2 = -5,
  StyleHeading3 = -4,
  StyleTable = -3,
  StyleSymbol = -2,
  StyleLinedraw = -1
};

// Number formats of a section: -3 the workbench's default, -2 the table's
// default, -1 none set, 0 scientific, 1 fixed, 2 general.
enum { FormatWorkbenchDefault = -3, FormatTableDefault = -2, FormatNone = -1 };

struct TRepFont {
  std::string name;
  int32_t size = 12;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int32_t charset = 0;
  bool operator==(const TRepFont&) const = default;
};

struct TRepSectionSetting {
  int32_t id = 0;
  bool included = true;
  bool visible = true;
  int32_t fontNumber = -1;  // in the RTF font table
  std::optional<TRepFont> font;
  int32_t format = FormatNone;
  int32_t width = 0;
  int32_t precision = 0;
};

// The default font of a style id (-7..-1).
TRepFont DefaultStyleFont(int32_t style);

class TRepSections {
 public:
  bool FormatPreview = true;
  int32_t Format = 1;  // 0 plain text, 1 RTF, 2 office document
  bool LineBreaks = false;
  std::string WordTemplate;  // kept and stored; not applied
  std::vector<TRepSectionSetting> Entries;

  int IndexOfSection(int32_t id) const;
  int AddSection(int32_t id);
  // Sections 7, 9 and 12 are not visible in a report while the model has
  // no random variables and no formulas.
  bool IsSectionVisible(int32_t id, bool forContentList) const;
  void SetSectionVisible(int32_t id, bool visible);
  // The section's format; width and precision are set for every format but -1.
  int32_t GetNumberFormat(int32_t id, int32_t& width, int32_t& precision) const;
  // Whether the section and all its ancestors are visible (the last
  // UpdateInclusion); true without an entry.
  bool IsSectionIncluded(int32_t id) const;

  void LoadFromIni(const common::TIniFile& ini);
  void SaveToIni(common::TIniFile& ini) const;

  void EnsureStyleFonts();
  void ResetFonts();
  void ResetFormats();
  void UpdateInclusion();
};

}  // namespace tesmira::wb
