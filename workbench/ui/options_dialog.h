// The "Options" dialog: quantiles per distribution, number formats with live
// samples, undo depth and the index columns.
#pragma once

#include <QDialog>

#include "number_format.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tesmira::wb {

class TFrmOptions : public QDialog {
  Q_OBJECT
 public:
  explicit TFrmOptions(QWidget *parent = nullptr);

  void Load(const TDisplaySettings &display, int undoDepth, bool showIndexes);
  TDisplaySettings Display() const { return stored_; }
  int UndoDepth() const { return undo_; }
  bool ShowIndexes() const { return indexes_; }

  void RefreshSamples();
  void DefaultClick();
  void AcceptClick();

  QComboBox *cbxQuantiles, *cbxFormat;
  QSpinBox *udWidth, *udPrecision, *udPrecision2, *udUndo;
  QLabel *labPi3, *labPi, *labPi2, *labPiMx;
  QCheckBox *chkObjIdx;
  QPushButton *butOK, *butCancel, *butDefult;

 private:
  TDisplaySettings stored_;
  int undo_ = 13;
  bool indexes_ = true;
};

}  // namespace tesmira::wb
