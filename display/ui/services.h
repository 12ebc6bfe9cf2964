// Message boxes and file choosers of the display program. The windows reach
// them through one service object, which tests replace to answer them.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <set>

#include "doc/sample_data_view.h"
#include "doc/settings.h"

#include "ut/exception.h"

class QColor;
class QDialog;
class QFont;
class QPrinter;
class QWidget;

class ITesploreServices {
 public:
  virtual ~ITesploreServices() = default;
  // Modal boxes with the error or the information icon and an OK button.
  virtual void ErrorBox(const QString& message, const QString& caption) = 0;
  virtual void InfoBox(const QString& message, const QString& caption) = 0;
  // The chosen path, or empty when cancelled. filter in Qt's syntax.
  virtual QString OpenFile(const QString& title, const QString& filter, const QString& folder) = 0;
  virtual QString SaveFile(const QString& title, const QString& filter, const QString& proposed,
                           const QString& suffix) = 0;
  // The export options (size, JPEG quality) before an export; false cancels.
  virtual bool ExportOptions(TFrameSettings& settings, bool jpeg) = 0;
  // The printer to print on, with the print settings and title; null cancels.
  virtual std::unique_ptr<QPrinter> ChoosePrinter(TPrintSettings& settings, QString& title) = 0;
  // Shows one of the program's own dialogs modally; its result code.
  virtual int Exec(QDialog& dialog) = 0;
  // The platform's colour and font dialogs, opened with the value given;
  // false when cancelled.
  virtual bool ChooseColor(QColor& color) = 0;
  virtual bool ChooseFont(QFont& font) = 0;
  // Asks the desktop to open a document with its program; not checked.
  virtual void OpenDocument(const QString& path) = 0;
};

// The document's chooser: the "Choose Random Variables" dialog.
class TServicesPicker : public RandVarPickerUI {
 public:
  bool PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables,
                     std::uint32_t limit, ut::SizeTSet& chosen) override;
};

// A file name as it enters the program (command line, drop, recent file,
// dialog): absolute and normalised. Empty stays empty.
QString AbsoluteFilePath(const QString& name);

// The services in use; the platform's dialogs unless a test installs others.
ITesploreServices& Services();
// Installs services (not owned; null restores the platform's dialogs).
void SetServices(ITesploreServices* services);
// The window that owns the dialogs.
void SetDialogOwner(QWidget* owner);

// The error box; an empty caption reads "Tesplore Error".
void ShowErrorBox(const QString& message, const QString& caption = QString());
// message, the exception's message and its function's name in one error box.
void ShowExceptionBox(const QString& message, const ut::Exception& e,
                      const QString& caption = QString());
