#include "office_writer.h"

#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#ifdef TESMIRA_WORKBENCH_QTCORE
#include <QtCore/QFileInfo>
#include <QtCore/QLocale>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtCore/QStringList>
#endif

namespace tesmira::wb {
namespace fs = std::filesystem;
namespace {

// The documents' folder, removed with its files when the program ends.
struct TDocumentFolder {
  fs::path path;
  TDocumentFolder() {
    std::string pattern = (fs::temp_directory_path() / "tesmira-report-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path = pattern;
  }
  ~TDocumentFolder() {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
  }
};

// Removes the intermediate file however the generation ends.
struct TRemoveOnExit {
  fs::path path;
  ~TRemoveOnExit() {
    std::error_code ec;
    if (!path.empty()) fs::remove(path, ec);
  }
};

}  // namespace

int OfficeTextWidth(double pageWidth, double leftMargin, double rightMargin) {
  return static_cast<int>(std::trunc((pageWidth - (leftMargin + rightMargin)) * 20));
}

double LocalePageWidth() {
#ifdef TESMIRA_WORKBENCH_QTCORE
  if (QLocale::system().measurementSystem() == QLocale::ImperialUSSystem) return 612;
  return 595.28;
#else
  return 612;
#endif
}

std::string OfficeDocumentFolder() {
  static TDocumentFolder folder;
  if (folder.path.empty()) throw std::runtime_error("No temporary folder for the report document");
  return folder.path.string();
}

std::string ConvertWithWordProcessor(const std::string& rtfPath) {
#ifdef TESMIRA_WORKBENCH_QTCORE
  QString program = QStandardPaths::findExecutable("soffice");
  if (program.isEmpty()) program = QStandardPaths::findExecutable("libreoffice");
  if (program.isEmpty()) return rtfPath;
  const QFileInfo input(QString::fromStdString(rtfPath));
  QProcess process;
  process.start(program, {"--headless", "--convert-to", "odt", "--outdir", input.absolutePath(),
                          input.absoluteFilePath()});
  if (!process.waitForFinished(120000)) {
    process.kill();
    process.waitForFinished();
    return rtfPath;
  }
  const QString odt = input.absolutePath() + "/" + input.completeBaseName() + ".odt";
  if (process.exitStatus() != QProcess::NormalExit || !QFileInfo::exists(odt)) return rtfPath;
  return odt.toStdString();
#else
  return rtfPath;
#endif
}

void TWordReporter::WriteContents() {
  WriteRaw(
      "{\\field{\\*\\fldinst { TOC \\\\o \"1-2\" \\\\h \\\\z }}{\\fldrslt "
      "{\\b\\lang1024\\langfe1024\\noproof\\langnp1033 R-Click and select Upadte Field to "
      "generate Table of Contents.}}}");
}

void TWordReporter::Generate() {
  documentPath_.clear();
  const std::string folder =
      ctx_.temporaryFolder.empty() ? OfficeDocumentFolder() : ctx_.temporaryFolder;
  textWidth_ = OfficeTextWidth(LocalePageWidth(), 72, 72);
  WriteRTFDocument();
  std::string pattern = (fs::path(folder) / "tsoXXXXXX.rtf").string();
  const int fd = mkstemps(pattern.data(), 4);
  if (fd < 0) throw std::runtime_error("Cannot create a temporary file in " + folder);
  TRemoveOnExit intermediate{pattern};
  {
    const size_t size = stream_.size();
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd, stream_.data() + done, size - done);
      if (n <= 0) {
        ::close(fd);
        throw std::runtime_error("Cannot write the temporary file " + pattern);
      }
      done += static_cast<size_t>(n);
    }
    ::close(fd);
  }
  stream_.clear();
  std::string document =
      ctx_.convertDocument ? ctx_.convertDocument(pattern) : ConvertWithWordProcessor(pattern);
  if (document == pattern) {
    // No word processor: the RTF file itself becomes the document.
    fs::path named = fs::path(pattern);
    named.replace_filename(named.stem().string() + "-report.rtf");
    fs::rename(pattern, named);
    document = named.string();
  }
  documentPath_ = document;
  if (ctx_.openDocument && !ctx_.openDocument(document))
    throw std::runtime_error("Cannot open the report document " + document);
  target_.Clear();
  target_.AppendLines({kOfficeNote});
}

}  // namespace tesmira::wb
