// "About Tesvane...": the program's name, version and the date of its executable.
#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QLocale>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>

namespace tesvane {

// The version compiled in, as "<major>.<minor>.<release>" (the build number is not shown).
QString GetVersionText();
// "Compiled on " + the time in the locale's words: "dddd, d of MMMM yyyy, " + short time.
QString CompiledOnText(const QDateTime& time, const QLocale& locale = QLocale());

class TAboutBox : public QDialog {
 public:
  explicit TAboutBox(QWidget* parent = nullptr, const QString& executable = {});
  QLabel* VersionLabel() const { return lblVersion; }
  QLabel* DateLabel() const { return lblDate; }

 private:
  QLabel* lblVersion;
  QLabel* lblDate;
};

}  // namespace tesvane
