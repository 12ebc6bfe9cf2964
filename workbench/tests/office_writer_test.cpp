#include "office_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    c.documentFolder = Path("");
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
  TReportContext c = Office();
  std::string kept;
  c.officeDocument = &kept;
  GenerateReport(2, 0, t, c);
  // Without a word processor the RTF file is the document, kept beside the model.
  EXPECT_EQ(opened_, Path("model-report.rtf"));
  EXPECT_EQ(kept, opened_);
  EXPECT_EQ(intermediate_, opened_);
  ASSERT_TRUE(fs::exists(opened_));
  const std::string doc = ReadFile(opened_);
  EXPECT_EQ(doc, intermediateBytes_);
  EXPECT_NE(doc.find("TOC \\\\o \"1-2\" \\\\h \\\\z"), std::string::npos);
  EXPECT_EQ(doc.find("R-Click"), std::string::npos);
  // The field's result lists the headings of levels 1 and 2 in order, each on
  // its own line before the first heading.
  const TRtfDocument read = ReadRtf(doc);
  std::vector<std::string> paragraphs;
  for (const TRtfBlock& b : read.blocks) {
    if (b.isTable) continue;
    std::string p = b.paragraph.Text();
    p.erase(p.find_last_not_of(' ') + 1);
    paragraphs.push_back(p);
  }
  const auto contents = std::find(paragraphs.begin(), paragraphs.end(), "CONTENTS");
  ASSERT_NE(contents, paragraphs.end());
  std::vector<std::string> listed;
  for (auto p = contents + 1; p != paragraphs.end() && !p->empty() && *p != "END"; ++p) {
    if (std::find(listed.begin(), listed.end(), *p) != listed.end()) break;  // the body
    listed.push_back(*p);
  }
  ASSERT_GE(listed.size(), 3u);
  EXPECT_EQ(listed[0], "  1. Summary Report");
  auto at = contents + 1 + static_cast<std::ptrdiff_t>(listed.size());
  for (const std::string& heading : listed) {
    at = std::find(at, paragraphs.end(), heading);
    EXPECT_NE(at, paragraphs.end()) << heading;
  }
  EXPECT_NE(doc.find("\\tqr\\tx" + std::to_string(OfficeTextWidth(LocalePageWidth(), 72, 72))),
            std::string::npos);
  // The settings' fonts are those from before.
  ASSERT_EQ(sections_.Entries.size(), fontsBefore.size());
  for (size_t i = 0; i < fontsBefore.size(); ++i)
    EXPECT_EQ(sections_.Entries[i].font, fontsBefore[i].font) << i;
  // The target holds the note and the document's full path.
  EXPECT_EQ(t.lines, (std::vector<std::string>{kOfficeNote, opened_}));
  EXPECT_TRUE(t.rtf.empty());
}

TEST_F(OfficeReport, ConvertedDocumentsAreKeptAndNeverOverwritten) {
  Simulate();
  TReportContext c = Office();
  c.convertDocument = [this](const std::string& rtf) {
    intermediate_ = rtf;
    const std::string odt = fs::path(rtf).replace_extension(".odt").string();
    std::ofstream(odt) << "document";
    return odt;
  };
  std::vector<std::string> documents;
  for (int k = 0; k < 2; ++k) {
    MemoryTarget t;
    GenerateReport(2, 0, t, c);
    EXPECT_FALSE(fs::exists(intermediate_));  // only the intermediate RTF goes
    documents.push_back(opened_);
  }
  EXPECT_EQ(documents,
            (std::vector<std::string>{Path("model-report.odt"), Path("model-report-2.odt")}));
  // Nothing of the program removes them: not the writers, not a new model.
  ASSERT_TRUE(Init_data());
  for (const std::string& d : documents) EXPECT_EQ(ReadFile(d), "document") << d;
  // An opener that finds no application leaves the document named in the panel.
  c.openDocument = [](const std::string&) { return false; };
  MemoryTarget t;
  GenerateReport(2, 0, t, c);
  EXPECT_EQ(t.lines, (std::vector<std::string>{kOfficeNote, Path("model-report-3.odt")}));
}

TEST(OfficeDocumentFolder, TheModelsFolderOrTheUsersDocuments) {
  EXPECT_EQ(OfficeDocumentFolder("/data/models/supply.tsm"), "/data/models");
  const std::string unsaved = OfficeDocumentFolder("");
  EXPECT_FALSE(unsaved.empty());
  EXPECT_TRUE(fs::is_directory(unsaved)) << unsaved;
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
