#include "ui/services.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

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
    QFileDialog dialog(owner, title, proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(proposed);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
  }
};

TPlatformServices platform;
ITesploreServices* installed = nullptr;

}  // namespace

ITesploreServices& Services() { return installed ? *installed : platform; }

void SetServices(ITesploreServices* services) { installed = services; }

void SetDialogOwner(QWidget* w) { owner = w; }

void ShowErrorBox(const QString& message, const QString& caption) {
  Services().ErrorBox(message, caption.isEmpty() ? QStringLiteral("Tesplore Error") : caption);
}

void ShowExceptionBox(const QString& message, const ut::Exception& e, const QString& caption) {
  ShowErrorBox(message + "\n\nDetails:  " + QString::fromStdString(e.message()) +
                   "\n\nFunction: '" + QString::fromStdString(e.function_name()),
               caption);
}
