// "Format": the number format of one table section of the report, with an
// automatic preview of that section.
#pragma once

#include <QDialog>
#include <functional>

#include "report_dialog_core.h"

class QCheckBox;
class QComboBox;
class QSpinBox;
class QTextEdit;

namespace tesmira::wb {

class TFrmFormat : public QDialog {
  Q_OBJECT
 public:
  // entry: the section's settings, changed while the dialog is open.
  TFrmFormat(TRepSectionSetting& entry, TRepSections& sections, const TDisplaySettings& display,
             QWidget* parent = nullptr);

  // Generates the section into the pane (the report dialog).
  std::function<void(QTextEdit* pane)> Preview;
  // The showing steps: list texts, the entry's values, the preview option.
  void Start();
  void PreviewClick();
  void CancelClick();

  QComboBox* cbxFormat = nullptr;
  QSpinBox *edWidth = nullptr, *edPrecision = nullptr;
  QCheckBox* chkPreview = nullptr;
  QTextEdit* richPreview = nullptr;

 protected:
  // Closing without OK writes the values of the opening back.
  void reject() override;

 private:
  void Changed();

  TRepSectionSetting& entry_;
  TRepSections& sections_;
  TFormatDialogState state_;
  bool starting_ = false;
};

}  // namespace tesmira::wb
