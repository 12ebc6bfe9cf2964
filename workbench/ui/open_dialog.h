// The model-file open dialog: a non-native file dialog with a preview panel
// that shows the header of the selected file.
#pragma once

#include <QFileDialog>

class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace tesmira::wb {

class TOpenTsmDialog : public QFileDialog {
  Q_OBJECT
 public:
  explicit TOpenTsmDialog(QWidget* parent = nullptr);

  // Shows the preview of the file (the dialog calls it on every change of
  // the current file and when the preview button is toggled).
  void UpdatePreview(const QString& fileName);

  QLabel* TsmLabel = nullptr;
  QToolButton* PreviewButton = nullptr;
  QPlainTextEdit* Memo = nullptr;

 private:
  void SetLabel(const QString& text);
  QString current_;
};

}  // namespace tesmira::wb
