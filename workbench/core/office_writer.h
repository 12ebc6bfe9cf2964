// The office-document writer: the RTF report with a table-of-contents field
// (its result already filled with the headings) in place of the contents
// list, laid out for the page of the locale (US Letter or A4 with 72-point
// margins), and turned into an office document by a word processor found on
// the PATH ("soffice" or "libreoffice", ".odt"); without one the RTF file
// itself is the document. The document is kept for the user beside the model
// (in the user's documents folder for an unsaved model) under a name no other
// file has; only the intermediate RTF file of a conversion is removed. The
// context's opener shows it; the target gets a note and the document's full
// path. The "WordTemplate" setting is kept by the settings but not applied.
#pragma once

#include <string>

#include "rtf_writer.h"

namespace tesmira::wb {

// Text width in twips of a page of the given width and margins in points.
int OfficeTextWidth(double pageWidth, double leftMargin, double rightMargin);
// Page width in points by the locale's measurement system: 612 (US Letter) or
// 595.28 (A4).
double LocalePageWidth();
// Folder the office document of a model is kept in: the model's folder, or
// the user's documents folder (the home folder) for an unsaved model.
std::string OfficeDocumentFolder(const std::string& modelFileName);
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
