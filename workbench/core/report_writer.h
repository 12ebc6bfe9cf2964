// The report writer: walks the report-data sections of the last run, numbers
// them, writes a contents list with page numbers and lays out text lines,
// headings and tables. TReporter writes fixed-pitch plain text of 73 columns
// in pages of 60 lines; its primitives are virtual so that other formats
// replace them.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "report_sections.h"
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
  TRepSections* sections = nullptr;
  std::string modelFileName;  // the model's full file name
  std::function<std::tm()> clock;
  // Correlation-matrix filter: whether a variable's row or column is shown.
  std::function<bool(const std::string& name, bool rows)> isSampleChecked;
  bool targetIsReportPanel = true;
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
  virtual void WriteHeading(const std::string& text, int level);
  virtual void WriteRule();
  virtual void WritePartHeader();
  virtual void WriteBlank(int flags);
  virtual void WriteContents();
  virtual void WriteObjectDescription(int number);
  virtual bool WalkSection(int id, int depth, bool parentIncluded, int& titleCounter, int mode,
                           int siblingNumber);
  virtual void WriteTable(int sectionId, int tableNumber);
  virtual void Generate();

  // Caret position at which the previewed section begins (plain text).
  int64_t PreviewCaret() const { return previewCaret_; }

  // Hands the lines written so far to the target in one piece.
  void Flush();

 protected:
  bool InPreviewScope(int id) const;
  std::string FormatCell(const TRepObjectData& d, int format, int width, int precision);
  void WriteGridTable(int sectionId, const TRepTableInfo& info);
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
  bool firstLine_ = true;
};

// The plain-text writer of the "DOS Compatible (Plain Text)" format.
class TDOSReporter : public TReporter {
 public:
  using TReporter::TReporter;
  void Generate() override;
};

// Writes a report of the last run into the target: format 0 plain text (the
// other formats come with their writers); previewedSection 0 for a full report.
void GenerateReport(int format, int previewedSection, IReportTarget& target,
                    const TReportContext& context);

}  // namespace tesmira::wb
