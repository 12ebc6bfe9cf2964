// The RTF report writer: the report of TReporter as a rich-text document in
// code page 1252, with the section settings' fonts as paragraph styles, RTF
// table rows instead of frames and a page header with a PAGE field.
//
// Every text that comes from the model or from a report line is escaped
// (RtfEscape); the control words the writer adds itself stay raw.
//
// For the report panel: a full RTF report hands its bytes to the context's
// lastReportStream, so the panel can save exactly what it shows:
//
//   std::string rtf;
//   TReportContext ctx = ...;  ctx.lastReportStream = &rtf;
//   GenerateReport(1, 0, panelTarget, ctx);
//   // save rtf as the ".rep" file; ReadRtf(rtf) (rtf_reader.h) gives its
//   // paragraphs, runs and tables for display.
#pragma once

#include <string>
#include <string_view>

#include "report_writer.h"

namespace tesmira::wb {

// A code page 437 text as RTF text: "\\", "\{", "\}", a tab as "\tab ",
// characters of code page 1252 beyond ASCII as "\'xx", all others as "\uN?".
std::string RtfEscape(std::string_view cp437);

// The width in points of a UTF-8 text set in a font, estimated from standard
// sans-serif character widths (a monospace family: 0.6 em a character) when no
// font metrics are at hand; bold adds a tenth. Serif faces of the same size
// set the text narrower.
double EstimatedTextWidth(std::string_view utf8, const TRepFont& font);

// The marker written at the previewed section; the driver removes it.
inline constexpr const char* kPreviewMarker = "W1Q3ppQ";

class TRTFReporter : public TReporter {
 public:
  using TReporter::TReporter;

  std::string AlignText(const std::string& text, int width, char mode) override;
  int MeasureText(const std::string& text) override;
  void WriteLine(const std::string& text, int reserve) override;
  void WriteRawLine(const std::string& text, int reserve) override;
  void WriteHeading(const std::string& text, int level) override;
  void WriteRule() override;
  void WritePartHeader() override;
  void WriteBlank(int flags) override;
  void SelectStyle(int index) override;
  void WriteContents() override;
  void WriteObjectDescription(int number) override;
  void BeginTableRow() override;
  void AddTableCell(int width, char alignment) override;
  void EndTableRow(const std::string& rowText) override;
  void EndTable() override;
  void Generate() override;

  // Writes the whole document into the stream with the current text width.
  void WriteRTFDocument();
  std::string FontControlWords(const TRepSectionSetting& entry) const;
  std::string FontTableEntry(const TRepSectionSetting& entry) const;
  void WriteRaw(const std::string& bytes) { stream_ += bytes; }
  void WriteStyledRaw(const std::string& bytes);

  const std::string& Stream() const { return stream_; }
  int TextWidth() const { return textWidth_; }
  void SetTextWidth(int twips) { textWidth_ = twips; }

 protected:
  int ContentsHeadingLevel() const override { return 6; }
  void MarkPreviewedSection() override;
  void ReleaseStyle() override { currentStyle_ = -10; }
  void WriteFrameLine(const std::string& line, int reserve) override;
  std::string TableRowStart() const override { return std::string(); }
  void MeasureInTableFont() override;
  int CellPadding() const override { return 2 * kCellGap; }
  bool SplitsWideTables() const override { return true; }
  static constexpr int kCellGap = 108;  // "\trgaph": twips each side of a cell's text
  std::string TableCell(const std::string& text, int width, char alignment, int section,
                        int column) override;
  const TRepSectionSetting* Entry(int id) const;
  void WriteParagraphEnd() { stream_ += "\r\n \\par "; }

  std::string stream_;
  std::string rowDefinition_;
  std::string styles_[8];
  int cellPosition_ = 0;
  int currentStyle_ = -10;
  int lastFontSection_ = -1;
  TRepFont measureFont_;
  TRepSections ownSections_;  // the default styles when the context has no settings
};

}  // namespace tesmira::wb
