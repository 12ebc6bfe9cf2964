// The boxes, file choosers and modal dialogs of the sensitivity program go
// through this class, so that tests answer them instead of a user.
#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtWidgets/QMessageBox>

class QDialog;

namespace tesvane {

class TUiServices {
 public:
  virtual ~TUiServices() = default;
  // A box with an OK button.
  virtual void Message(QWidget* parent, const QString& caption, const QString& text,
                       QMessageBox::Icon icon);
  // An open dialog; "" when cancelled. `selected` is the filter entry shown first.
  virtual QString OpenFile(QWidget* parent, const QString& title, const QStringList& filters,
                           int selected, const QString& defaultSuffix, const QString& start);
  // A save dialog that asks before overwriting; "" when cancelled. `selected`
  // is the filter entry shown first and receives the chosen one.
  virtual QString SaveFile(QWidget* parent, const QString& title, const QStringList& filters,
                           int& selected, const QString& start);
  // Shows a modal dialog; returns its result code.
  virtual int Exec(QDialog& dialog);
  // Opens a document with the desktop's viewer; failures are not reported.
  virtual void OpenDocument(const QString& path);
};

// A file name as the program keeps it: absolute and normalised ("" stays
// ""). Every name from the command line or a file dialog goes through it, so
// the caption and the recent files do not depend on the current folder.
QString AbsolutePath(const QString& path);

// The services in use (the default ones unless a test installs its own).
TUiServices& Services();
void SetServices(TUiServices* services);  // nullptr restores the defaults

}  // namespace tesvane
