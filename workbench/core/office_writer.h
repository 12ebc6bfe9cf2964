// The office-document writer: the RTF report with a table-of-contents field
// in place of the contents list, laid out for the page of the locale (US
// Letter or A4 with 72-point margins), written to a temporary file and turned
// into an office document by a word processor found on the PATH ("soffice"
// or "libreoffice", ".odt"); without one the RTF file itself is the document.
// The document is opened by the context's opener; the target only gets a note.
// The intermediate RTF file is removed on every path. The "WordTemplate"
// setting is kept by the settings but not applied.
#pragma once

#include <string>

#include "rtf_writer.h"

namespace tesmira::wb {

// Text width in twips of a page of the given width and margins in points.
int OfficeTextWidth(double pageWidth, double leftMargin, double rightMargin);
// Page width in points by the locale's measurement system: 612 (US Letter) or
// 595.28 (A4).
double LocalePageWidth();
// Folder for the office documents; it lives until the program ends.
std::string OfficeDocumentFolder();
// The conversion by a word processor on the PATH: the ".odt" beside the RTF
// file, or the RTF file's path when there is no word processor or it failed.
std::string ConvertWithWordProcessor(const std::string& rtfPath);

inline constexpr const char* kOfficeNote = "(switch to your word processor for report)";

class TWordReporter : public TRTFReporter {
 public:
  using TRTFReporter::TRTFReporter;

  void WriteContents() override;
  void Generate() override;

  // The document made by the last Generate.
  const std::string& DocumentPath() const { return documentPath_; }

 private:
  std::string documentPath_;
};

}  // namespace tesmira::wb
