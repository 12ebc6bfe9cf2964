#include "services.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtCore/QUrl>
#include <QtGui/QDesktopServices>
#include <QtWidgets/QDialog>
#include <QtWidgets/QFileDialog>

namespace tesvane {

QString AbsolutePath(const QString& path) {
  if (path.isEmpty()) return path;
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void TUiServices::Message(QWidget* parent, const QString& caption, const QString& text,
                          QMessageBox::Icon icon) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

QString TUiServices::OpenFile(QWidget* parent, const QString& title, const QStringList& filters,
                              int selected, const QString& defaultSuffix, const QString& start) {
  QFileDialog dialog(parent, title, start);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filters);
  if (selected >= 0 && selected < filters.size()) dialog.selectNameFilter(filters[selected]);
  if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

QString TUiServices::SaveFile(QWidget* parent, const QString& title, const QStringList& filters,
                              int& selected, const QString& start) {
  QFileDialog dialog(parent, title, start);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(filters);
  if (selected >= 0 && selected < filters.size()) dialog.selectNameFilter(filters[selected]);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  selected = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
  return dialog.selectedFiles().first();
}

int TUiServices::Exec(QDialog& dialog) { return dialog.exec(); }

void TUiServices::OpenDocument(const QString& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {
TUiServices DefaultServices;
TUiServices* Current = &DefaultServices;
}  // namespace

TUiServices& Services() { return *Current; }
void SetServices(TUiServices* services) { Current = services ? services : &DefaultServices; }

}  // namespace tesvane
