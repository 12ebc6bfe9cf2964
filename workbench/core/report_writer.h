// The report writer: walks the report-data sections of the last run, numbers
// them, writes a contents list with page numbers and lays out text lines,
// headings and tables. TReporter writes fixed-pitch plain text of 73 columns
// in pages of 60 lines; its primitives are virtual so that other formats
// replace them.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "report_sections.h"
#include "tesmira/records.h"
#include "tesmira/report.h"

namespace tesmira::wb {

// Where a report goes (the report panel, a preview pane, a test's memory).
// Lines are UTF-8 and arrive in one piece per generation.
class IReportTarget {
 public:
  virtual ~IReportTarget() = default;
  virtual void Clear() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void AppendLines(const std::vector<std::string>& lines) = 0;
  virtual void LoadRtf(const std::string& bytes) = 0;
  virtual int64_t TextLength() const = 0;
  virtual void SetCaret(int64_t position) = 0;
  virtual void SetModified(bool modified) = 0;
  virtual void ScrollToLine(int line) = 0;
};

struct TReportContext {
  // The settings; the RTF writer stores the font numbers of its font table.
  TRepSections* sections = nullptr;
  std::string modelFileName;  // the model's full file name
  std::function<std::tm()> clock;
  // Correlation-matrix filter: whether a variable's row or column is shown.
  std::function<bool(const std::string& name, bool rows)> isSampleChecked;
  bool targetIsReportPanel = true;
  // Width in points of a UTF-8 text set in a font (the RTF writer's
  // measuring, from the window side's font metrics); without it the writer
  // estimates the width from standard character widths.
  std::function<double(const std::string& text, const TRepFont& font)> measureText;
  // Receives the RTF bytes of a full RTF report (the report panel keeps them
  // for saving); null when nobody keeps them.
  std::string* lastReportStream = nullptr;
  // Opens the office document (the desktop's application for its format);
  // false when it could not be opened (the panel still names the document).
  std::function<bool(const std::string& path)> openDocument;
  // Receives the full path of the office document kept for the user.
  std::string* officeDocument = nullptr;
  // Turns an RTF file into the office document beside it and returns the
  // document's path, or the RTF file's own path when no converter is present.
  std::function<std::string(const std::string& rtfPath)> convertDocument;
  // Folder the office document is kept in; the model's folder when empty
  // (OfficeDocumentFolder).
  std::string documentFolder;
};

// "MMMM dd" + ordinal suffix + ", yyyy" and the time "hh:mm:ss", in English.
std::string ReportDateTime(const std::tm& t);
// "st", "nd", "rd" or "th" for a day of the month.
const char* DaySuffix(int day);

class TReporter {
 public:
  TReporter(IReportTarget& target, TReportContext context);
  virtual ~TReporter() = default;

  int PreviewedSection = 0;

  virtual std::string AlignText(const std::string& text, int width, char mode);
  virtual int MeasureText(const std::string& text);
  virtual void WriteLine(const std::string& text, int reserve);
  virtual void WriteRawLine(const std::string& text, int reserve);
  virtual void WriteHeading(const std::string& text, int level);
  virtual void WriteRule();
  virtual void WritePartHeader();
  virtual void WriteBlank(int flags);
  virtual void SelectStyle(int style);
  virtual void WriteContents();
  virtual void WriteDependenceStructures();
  virtual void WriteObjectDescription(int number);
  virtual bool WalkSection(int id, int depth, bool parentIncluded, int& titleCounter, int mode,
                           int siblingNumber);
  virtual void BeginTableRow();
  virtual void AddTableCell(int width, char alignment);
  virtual void EndTableRow(const std::string& rowText);
  virtual void EndTable();
  virtual void WriteTable(int sectionId, int tableNumber);
  virtual void Generate();

  // Caret position at which the previewed section begins, and its line.
  int64_t PreviewCaret() const { return previewCaret_; }
  int PreviewLine() const { return previewLine_; }

  // Hands the lines written so far to the target in one piece.
  void Flush();

 protected:
  bool InPreviewScope(int id) const;
  // The writer's own parts of the layout.
  virtual int ContentsHeadingLevel() const { return 1; }
  virtual void MarkPreviewedSection();
  virtual void ReleaseStyle() {}
  virtual void WriteFrameLine(const std::string& line, int reserve);
  virtual std::string TableRowStart() const;
  // Table layout: the font the cells are measured in is chosen before the
  // columns are measured; the room a cell takes beside its text; whether a
  // table wider than the text width is always split into column blocks.
  virtual void MeasureInTableFont() {}
  virtual int CellPadding() const { return 3; }
  virtual bool SplitsWideTables() const { return false; }
  virtual std::string TableCell(const std::string& text, int width, char alignment, int section,
                                int column);
  // Header block, contents, body and "END", through the primitives.
  void WriteCommonPart();
  std::string ModelBaseName() const;
  std::string FormatCell(const TRepObjectData& d, int format, int width, int precision);
  void WriteGridTable(int sectionId, const TRepTableInfo& info);
  // A grid table's cells; numbers are right-aligned.
  struct TGridCell {
    std::string text;
    bool number = false;
  };
  using TGrid = std::vector<std::vector<TGridCell>>;
  TGrid GridCells(int sectionId, const TRepTableInfo& info, int columns, int inputs);
  // The correlation matrix's rows and columns the filter shows, and its
  // input ("I") and output ("O") labels.
  void FilterMatrix(TGrid& grid, int inputs, std::vector<bool>& rowShown,
                    std::vector<bool>& colShown) const;
  // One framed block of the grid's columns, header repeated on a new page.
  void WriteGridBlock(int sectionId, const TGrid& grid, const std::vector<int>& block,
                      const std::vector<int>& widths, const std::vector<bool>& rowShown,
                      bool preview);
  // Counts of the model objects taken when the report begins.
  void TakeCounts();
  // The name that data row k of a table asks for instead of its number, or
  // empty for the plain row number.
  std::string RowName(int sectionId, int k) const;
  // One cell by row number, or by name when name is not empty.
  int FetchCell(TRepObjectData& d, int sectionId, int selectedOutput, int row, int column,
                const std::string& name);
  // A variable's parameter table: one column per representation, its row
  // labels and value texts (none for a missing value).
  struct TParameterColumn {
    std::string title;
    std::vector<std::string> labels;
    std::vector<std::optional<std::string>> values;
  };
  std::vector<TParameterColumn> ParameterTable(const TExtendedRandomVariable& rv,
                                               std::string& typeTitle);
  void WritePerOutputTable(int sectionId, const TRepTableInfo& info);

  IReportTarget& target_;
  TReportContext ctx_;
  std::vector<std::string> lines_;  // code page 437, flushed at the end
  int64_t textLength_ = 0;
  int totalLines_ = 0, pageLines_ = 0, page_ = 0;
  int contentsCursor_ = -1;
  int sectionNumbers_[6] = {};
  std::string titleLine_;
  int textWidth_ = 73;
  int objectKind_ = 1;
  int64_t previewCaret_ = 0;
  int previewLine_ = 0;
  bool firstLine_ = true;
  int currentSection_ = 0;
  int nVariables_ = 0, nFormulas_ = 0, nNodes_ = 0;
  std::vector<std::string> extraNodes_;  // nodes that are not variables, composites left out
  int rowReserve_ = 0;
};

// The plain-text writer of the "DOS Compatible (Plain Text)" format.
class TDOSReporter : public TReporter {
 public:
  using TReporter::TReporter;
  void Generate() override;
};

// Writes a report of the last run into the target: format 0 plain text, 1 RTF,
// 2 office document; previewedSection 0 for a full report, else a preview
// (plain text for format 0, RTF otherwise) whose caret stands where the
// section begins, scrolled to two lines above it.
void GenerateReport(int format, int previewedSection, IReportTarget& target,
                    const TReportContext& context);

}  // namespace tesmira::wb
