#include "qt_services.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "open_dialog.h"

namespace tesmira::wb {

QString ConvertFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    out << parts[i].trimmed() + " (" + patterns + ")";
  }
  return out.join(";;");
}

TAnswer TQtPrompt::Ask(TMessageKind kind, const std::string& text, unsigned buttons) {
  return AskTitled(kind, "", text, buttons);
}

TAnswer TQtPrompt::AskTitled(TMessageKind kind, const std::string& title, const std::string& text,
                             unsigned buttons) {
  QString message = QString::fromStdString(text);
  message.replace("\n\r", "\n").replace("\r\n", "\n").replace('\r', '\n');
  QMessageBox box(parent_);
  box.setWindowTitle(!title.empty()                       ? QString::fromStdString(title)
                     : kind == TMessageKind::Error        ? "Error"
                     : kind == TMessageKind::Warning      ? "Warning"
                     : kind == TMessageKind::Information  ? "Information"
                     : kind == TMessageKind::Confirmation ? "Confirm"
                                                          : "Tesmira");
  box.setIcon(kind == TMessageKind::Error          ? QMessageBox::Critical
              : kind == TMessageKind::Warning      ? QMessageBox::Warning
              : kind == TMessageKind::Information  ? QMessageBox::Information
              : kind == TMessageKind::Confirmation ? QMessageBox::Question
                                                   : QMessageBox::NoIcon);
  box.setText(message);
  // clang-format off
  const std::pair<unsigned, std::pair<QMessageBox::StandardButton, TAnswer>> kButtons[] = {
      {BtnYes, {QMessageBox::Yes, TAnswer::Yes}},       {BtnNo, {QMessageBox::No, TAnswer::No}},
      {BtnOk, {QMessageBox::Ok, TAnswer::Ok}},          {BtnCancel, {QMessageBox::Cancel, TAnswer::Cancel}},
      {BtnYesToAll, {QMessageBox::YesToAll, TAnswer::YesToAll}},
      {BtnNoToAll, {QMessageBox::NoToAll, TAnswer::NoToAll}}};
  // clang-format on
  QMessageBox::StandardButtons set;
  for (const auto& [bit, pair] : kButtons)
    if (buttons & bit) set |= pair.first;
  if (set == QMessageBox::NoButton) set = QMessageBox::Ok;
  box.setStandardButtons(set);
  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const auto& [bit, pair] : kButtons)
    if (pair.first == pressed) return pair.second;
  return TAnswer::Cancel;
}

bool TQtFileChooser::ChooseOpen(const TFileDialogOptions& options,
                                std::vector<std::string>& names) {
  TOpenTsmDialog dialog(parent_);
  dialog.setWindowTitle(QString::fromStdString(options.Title.empty() ? "Open" : options.Title));
  dialog.setNameFilter(ConvertFilter(options.Filter));
  dialog.setFileMode(options.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  if (!options.InitialFolder.empty())
    dialog.setDirectory(QString::fromStdString(options.InitialFolder));
  if (!options.InitialName.empty()) dialog.selectFile(QString::fromStdString(options.InitialName));
  if (dialog.exec() != QDialog::Accepted) return false;
  names.clear();
  for (const QString& f : dialog.selectedFiles()) names.push_back(f.toStdString());
  return !names.empty();
}

bool TQtFileChooser::ChooseSave(const TFileDialogOptions& options, std::string& name) {
  QFileDialog dialog(parent_,
                     QString::fromStdString(options.Title.empty() ? "Save As" : options.Title));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The core asks the overwrite question itself.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(ConvertFilter(options.Filter));
  if (!options.InitialFolder.empty())
    dialog.setDirectory(QString::fromStdString(options.InitialFolder));
  if (!options.InitialName.empty()) dialog.selectFile(QString::fromStdString(options.InitialName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  name = dialog.selectedFiles().front().toStdString();
  return true;
}

}  // namespace tesmira::wb
