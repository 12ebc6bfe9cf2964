#include "office_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "report_fixture.h"
#include "rtf_reader.h"

namespace tesmira::wb {
namespace {
namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(OfficeTextWidth, PageWidthLessMarginsInTwips) {
  EXPECT_EQ(OfficeTextWidth(612, 72, 72), 9360);
  EXPECT_EQ(OfficeTextWidth(595.28, 72, 72), 9025);  // A4, truncated
  const double page = LocalePageWidth();
  EXPECT_TRUE(page == 612 || page == 595.28) << page;
}

class OfficeReport : public ReportWriter {
 protected:
  // Generation with the conversion and the opener watched.
  TReportContext Office() {
    TReportContext c = Context();
    c.temporaryFolder = Path("");
    c.convertDocument = [this](const std::string& rtf) {
      intermediate_ = rtf;
      intermediateBytes_ = ReadFile(rtf);
      if (failConversion_) throw std::runtime_error("conversion failed");
      return rtf;  // no word processor
    };
    c.openDocument = [this](const std::string& path) {
      opened_ = path;
      return true;
    };
    return c;
  }

  std::string intermediate_, intermediateBytes_, opened_;
  bool failConversion_ = false;
};

TEST_F(OfficeReport, DocumentWithContentsFieldAndFontsKept) {
  Simulate();
  const auto fontsBefore = sections_.Entries;
  MemoryTarget t;
  GenerateReport(2, 0, t, Office());
  // The intermediate file is gone; the document is the RTF the writer made.
  ASSERT_FALSE(intermediate_.empty());
  EXPECT_FALSE(fs::exists(intermediate_));
  ASSERT_FALSE(opened_.empty());
  ASSERT_TRUE(fs::exists(opened_));
  const std::string doc = ReadFile(opened_);
  EXPECT_EQ(doc, intermediateBytes_);
  EXPECT_NE(doc.find("TOC \\\\o \"1-2\" \\\\h \\\\z"), std::string::npos);
  EXPECT_NE(doc.find("R-Click and select Upadte Field to generate Table of Contents."),
            std::string::npos);
  // No contents list of its own; the page header's tab stop at the text width.
  const std::string text = ReadRtf(doc).PlainText();
  EXPECT_EQ(text.find("  1. Summary Report \n  2."), std::string::npos);
  EXPECT_NE(text.find("1. Summary Report"), std::string::npos);
  EXPECT_NE(doc.find("\\tqr\\tx" + std::to_string(OfficeTextWidth(LocalePageWidth(), 72, 72))),
            std::string::npos);
  // The settings' fonts are those from before.
  ASSERT_EQ(sections_.Entries.size(), fontsBefore.size());
  for (size_t i = 0; i < fontsBefore.size(); ++i)
    EXPECT_EQ(sections_.Entries[i].font, fontsBefore[i].font) << i;
  // The target only holds the note.
  EXPECT_EQ(t.lines, std::vector<std::string>{kOfficeNote});
  EXPECT_TRUE(t.rtf.empty());
}

TEST_F(OfficeReport, IntermediateFileIsRemovedWhenConversionFails) {
  Simulate();
  failConversion_ = true;
  MemoryTarget t;
  EXPECT_THROW(GenerateReport(2, 0, t, Office()), std::runtime_error);
  ASSERT_FALSE(intermediate_.empty());
  EXPECT_FALSE(fs::exists(intermediate_));
  EXPECT_TRUE(opened_.empty());
}

TEST_F(OfficeReport, WordProcessorConvertsToOdt) {
  const char* path = std::getenv("PATH");
  bool found = false;
  for (std::stringstream dirs(path ? path : ""); !found;) {
    std::string dir;
    if (!std::getline(dirs, dir, ':')) break;
    found = fs::exists(fs::path(dir) / "soffice") || fs::exists(fs::path(dir) / "libreoffice");
  }
  if (!found) GTEST_SKIP() << "no word processor on the PATH";
  Simulate();
  TReportContext c = Office();
  c.convertDocument = nullptr;  // the real conversion
  MemoryTarget t;
  GenerateReport(2, 0, t, c);
  ASSERT_FALSE(opened_.empty());
  EXPECT_EQ(fs::path(opened_).extension(), ".odt");
  EXPECT_GT(fs::file_size(opened_), 0u);
  for (const auto& e : fs::directory_iterator(Path("")))
    EXPECT_NE(e.path().extension(), ".rtf") << e.path();
}

}  // namespace
}  // namespace tesmira::wb
