// "Options": the settings the user may change.
#pragma once

#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>

#include "options.h"

namespace tesvane {

class TPagesDlg : public QDialog {
 public:
  // Filled from the settings file and the main window's degree range.
  TPagesDlg(int32_t degreeMin, int32_t degreeMax, QWidget* parent = nullptr);

  TOptionsTexts Texts() const;

  QLineEdit* GroupsEdit() const { return edtGroups; }
  QLineEdit* SamplesEdit() const { return edtSamples; }
  QLineEdit* MinEdit() const { return edtMin; }
  QLineEdit* MaxEdit() const { return edtMax; }
  QSpinBox* PrecisionBox() const { return udPrecision; }
  QComboBox* FormatBox() const { return cbFormat; }
  QCheckBox* ImportBox() const { return ckImport; }
  QCheckBox* AllColumnsBox() const { return CheckBox1; }
  QListWidget* ColumnList() const { return CheckListBox1; }
  QPushButton* SaveButton() const { return btnSave; }

 private:
  void SyncAllColumns();

  QLineEdit* edtGroups;
  QLineEdit* edtSamples;
  QLineEdit* edtMin;
  QLineEdit* edtMax;
  QSpinBox* udPrecision;
  QComboBox* cbFormat;
  QCheckBox* ckImport;
  QCheckBox* CheckBox1;
  QListWidget* CheckListBox1;
  QPushButton* btnSave;
  bool syncing_ = false;
};

}  // namespace tesvane
