// "About Tesplore": the program's name and version and when it was built.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QLocale>

class TFrmAbout : public QDialog {
  Q_OBJECT
 public:
  // executable: the file whose version and last-write time are shown (the
  // running program's when empty). Throws ut::Exception when it carries no
  // version.
  explicit TFrmAbout(QWidget* parent = nullptr, const QString& executable = QString(),
                     const QLocale& locale = QLocale());

  QLabel *m_lblAppNameVersion, *Label2, *lblCompiled;
};

// The major and minor version of an executable; throws ut::Exception when it
// has none.
void GetAppVersion(const QString& executable, int& major, int& minor);
