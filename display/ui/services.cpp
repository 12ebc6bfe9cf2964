#include "ui/services.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrinter>
#include <QUrl>

#include "ui/export_dialog.h"
#include "ui/picker_dialog.h"
#include "ui/print_dialog.h"

namespace {

QPointer<QWidget> owner;

class TPlatformServices : public ITesploreServices {
 public:
  void ErrorBox(const QString& message, const QString& caption) override {
    QMessageBox::critical(owner, caption, message);
  }
  void InfoBox(const QString& message, const QString& caption) override {
    QMessageBox::information(owner, caption, message);
  }
  QString OpenFile(const QString& title, const QString& filter, const QString& folder) override {
    return QFileDialog::getOpenFileName(owner, title, folder, filter);
  }
  QString SaveFile(const QString& title, const QString& filter, const QString& proposed,
                   const QString& suffix) override {
    // The dialog starts in the proposal's folder with its bare name selected;
    // a name with a folder part would be taken inside that folder once more.
    const QFileInfo info(proposed);
    QFileDialog dialog(owner, title, proposed.isEmpty() ? QString() : info.absolutePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    if (!proposed.isEmpty()) dialog.selectFile(info.fileName());
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
  }
  bool ExportOptions(TFrameSettings& s, bool jpeg) override {
    TFrmBitmapExport dialog(s, jpeg, owner);
    return dialog.exec() == QDialog::Accepted;
  }
  std::unique_ptr<QPrinter> ChoosePrinter(TPrintSettings& s, QString& title) override {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    TFrmPrint dialog(s, title, printer.get(), owner);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return printer;
  }
  int Exec(QDialog& dialog) override { return dialog.exec(); }
  void OpenDocument(const QString& path) override {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  }
  bool ChooseColor(QColor& color) override {
    const QColor chosen = QColorDialog::getColor(color, owner);
    if (!chosen.isValid()) return false;
    color = chosen;
    return true;
  }
  bool ChooseFont(QFont& font) override {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, owner);
    if (ok) font = chosen;
    return ok;
  }
};

TPlatformServices platform;
ITesploreServices* installed = nullptr;

}  // namespace

QString AbsoluteFilePath(const QString& name) {
  if (name.isEmpty()) return name;
  return QDir::cleanPath(QFileInfo(name).absoluteFilePath());
}

ITesploreServices& Services() { return installed ? *installed : platform; }

void SetServices(ITesploreServices* services) { installed = services; }

void SetDialogOwner(QWidget* w) { owner = w; }

bool TServicesPicker::PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables,
                                    std::uint32_t limit, ut::SizeTSet& chosen) {
  TFrmTesploreRandVarPicker dialog(owner);
  dialog.SetupPicker(variables, static_cast<int>(limit));
  if (Services().Exec(dialog) != QDialog::Accepted) return false;
  const std::set<std::size_t> picked = dialog.GetPickedIndices();
  chosen = picked;
  return true;
}

void ShowErrorBox(const QString& message, const QString& caption) {
  Services().ErrorBox(message, caption.isEmpty() ? QStringLiteral("Tesplore Error") : caption);
}

void ShowExceptionBox(const QString& message, const ut::Exception& e, const QString& caption) {
  ShowErrorBox(message + "\n\nDetails:  " + QString::fromStdString(e.message()) +
                   "\n\nFunction: '" + QString::fromStdString(e.function_name()),
               caption);
}
