#include "program_starter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace tesmira::wb {

bool TQtProgramStarter::StartProgram(const std::string& program,
                                     const std::vector<std::string>& args) {
  const QString path = QString::fromStdString(program);
  if (!QFileInfo(path).isExecutable()) return false;
  QStringList list;
  for (const std::string& a : args) list << QString::fromStdString(a);
  return QProcess::startDetached(path, list);
}

bool TQtProgramStarter::OpenDocument(const std::string& path) {
  const QString p = QString::fromStdString(path);
  const QUrl url = p.contains("://") ? QUrl(p) : QUrl::fromLocalFile(p);
  return QDesktopServices::openUrl(url);
}

std::string ProgramFolder() { return QCoreApplication::applicationDirPath().toStdString() + "/"; }

}  // namespace tesmira::wb
