#include "office_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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

// Removes the intermediate file however the generation ends.
struct TRemoveOnExit {
  fs::path path;
  ~TRemoveOnExit() {
    std::error_code ec;
    if (!path.empty()) fs::remove(path, ec);
  }
};

// Creates "<folder>/<name>-report.rtf" (or "-report-2", "-3", ...) where
// neither that RTF file nor its office document exists yet; returns the RTF
// file's path and its open descriptor.
std::string CreateDocumentFile(const fs::path& folder, const std::string& name, int& fd) {
  for (int n = 1; n <= 9999; ++n) {
    const std::string stem =
        name + "-report" + (n == 1 ? std::string() : std::string("-").append(std::to_string(n)));
    const fs::path rtf = folder / (stem + ".rtf");
    std::error_code ec;
    if (fs::exists(folder / (stem + ".odt"), ec)) continue;
    fd = ::open(rtf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) return rtf.string();
    if (errno != EEXIST) break;
  }
  throw std::runtime_error("Cannot create the report document in " + folder.string());
}

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

std::string OfficeDocumentFolder(const std::string& modelFileName) {
  const fs::path model(modelFileName);
  if (model.has_parent_path() && model.is_absolute()) return model.parent_path().string();
#ifdef TESMIRA_WORKBENCH_QTCORE
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents.toStdString();
#endif
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  return fs::current_path().string();
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
  // The field's result is the contents list itself, so a reader sees the
  // headings before (or without) updating the field.
  WriteRaw("{\\field{\\*\\fldinst { TOC \\\\o \"1-2\" \\\\h \\\\z }}{\\fldrslt ");
  TRTFReporter::WriteContents();
  WriteRaw("}}");
}

void TWordReporter::Generate() {
  documentPath_.clear();
  const std::string folder =
      ctx_.documentFolder.empty() ? OfficeDocumentFolder(ctx_.modelFileName) : ctx_.documentFolder;
  textWidth_ = OfficeTextWidth(LocalePageWidth(), 72, 72);
  WriteRTFDocument();
  const std::string name = ModelBaseName().empty() ? std::string("tesmira") : ModelBaseName();
  int fd = -1;
  const std::string rtf = CreateDocumentFile(folder, name, fd);
  TRemoveOnExit intermediate{rtf};
  {
    const size_t size = stream_.size();
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd, stream_.data() + done, size - done);
      if (n <= 0) {
        ::close(fd);
        throw std::runtime_error("Cannot write the report document " + rtf);
      }
      done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) throw std::runtime_error("Cannot write the report document " + rtf);
  }
  stream_.clear();
  const std::string document =
      ctx_.convertDocument ? ctx_.convertDocument(rtf) : ConvertWithWordProcessor(rtf);
  // Without a word processor the RTF file itself is the document: it stays.
  if (document == rtf) intermediate.path.clear();
  documentPath_ = document;
  if (ctx_.officeDocument) *ctx_.officeDocument = document;
  if (ctx_.openDocument) ctx_.openDocument(document);
  target_.Clear();
  target_.AppendLines({kOfficeNote, document});
}

}  // namespace tesmira::wb
